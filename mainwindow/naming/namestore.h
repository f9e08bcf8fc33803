#pragma once

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <optional>
#include <QVariant>

// The operator's names of the 16 inputs, 16 outputs and 32 scenes: the one
// place they live. Names are kept plain (no line breaks, a single "&");
// display() gives the text a button shows. The file "SignalSwitching.ini"
// holds each name under its key counted from 0, as the button text (wrapped,
// "&" doubled, nothing cut), which is what older copies of the file hold as
// well; an entry that shows its default is written empty.
class NameStore final : public QObject
{
    Q_OBJECT
public:
    enum Kind { Input = 0, Output = 1, Scene = 2 };
    static constexpr int ChannelCount = 16;
    static constexpr int SceneCount = 32;
    // A longer stored value is cut to this on load (a damaged file).
    static constexpr int MaxStoredLength = 64;

    explicit NameStore(QObject *parent = nullptr);

    static int count(Kind kind);
    // "HDMI-%1" for inputs and outputs; the scene default of the language.
    static QString defaultName(Kind kind, int number, int language);

    // Plain name of entry `number` (1-based); the default when none is set.
    QString name(Kind kind, int number) const;
    QStringList names(Kind kind) const;
    // True when the operator (or the file) gave entry `number` a name.
    bool hasName(Kind kind, int number) const;
    // Sets a plain name (line breaks removed, trimmed, cut to
    // MaxStoredLength); empty text or the entry's own default text restores
    // the default. Emits nameChanged when the shown name changes.
    void setName(Kind kind, int number, const QString &plain);
    // Every entry of `kind` back to its default.
    void resetAll(Kind kind);

    // Button text: names longer than 8 characters break after the 8th
    // (scenes every 6 characters), every "&" doubled.
    QString display(Kind kind, int number) const;

    // Scene defaults follow the interface language.
    void setLanguage(int language);
    int language() const { return m_language; }

    // Reads the file; an empty or missing value gives that entry its default.
    // A missing file means all defaults and counts as loaded; an unreadable
    // one leaves loaded() false (and the names as they were), so nothing
    // overwrites it.
    bool load();
    bool loaded() const { return m_loaded; }
    // Writes one kind (all its entries); false when not loaded yet or when
    // the values did not reach the file.
    bool save(Kind kind);
    // Inputs and outputs, scenes too when `withScenes`.
    bool saveAll(bool withScenes);

signals:
    void nameChanged(int kind, int number);

private:
    QStringList &list(Kind kind);
    const QStringList &list(Kind kind) const;
    // Writes the kinds whose names differ from what was last written.
    bool write(std::initializer_list<Kind> kinds);
    QString storedText(Kind kind, int number) const;
    // Line breaks removed, trimmed, cut to MaxStoredLength; empty when the
    // text is the entry's default (of any language for scenes).
    static QString normalised(Kind kind, int number, const QString &plain);
    static bool isDefaultText(Kind kind, int number, const QString &plain);

    // One entry per input, output or scene; an empty entry shows the default.
    QStringList m_inputs;
    QStringList m_outputs;
    QStringList m_scenes;
    int m_language = 0;
    bool m_loaded = false;
    // What this store last wrote to the file, per kind.
    std::optional<QStringList> m_written[3];
};
