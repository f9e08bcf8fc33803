#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include "mainwindow/naming/namestore.h"

class MainWindow;
class QGridLayout;
class QLabel;
class QLineEdit;

namespace Ui {
class RenamePage;
}

// The channel rename sub-page of the system settings: every input, output
// and scene name in one place, cleared, loaded and saved per group.
class RenamePage final : public QWidget
{
    Q_OBJECT
public:
    RenamePage(MainWindow *window, NameStore *names, QWidget *parent = nullptr);
    ~RenamePage() override;

    const QList<QLineEdit *> &inputEdits() const { return m_inputEdits; }
    const QList<QLineEdit *> &outputEdits() const { return m_outputEdits; }
    const QList<QLineEdit *> &sceneEdits() const { return m_sceneEdits; }

    // Longest name a field takes when typing: the in-place editors' limits.
    static int lengthLimit(NameStore::Kind kind, int language);
    // Inputs or outputs a bulk save covers for the model: its port count,
    // or the rows shown when the model text gives none.
    static int saveCount(NameStore::Kind kind, const QString &model);

public slots:
    // Shows the rows of the matrix size's inputs and outputs.
    void applyModel(const QString &model);
    void on_pushButton_ClearInput_clicked();
    void on_pushButton_ClearOutput_clicked();
    void on_pushButton_ClearScene_clicked();
    void on_pushButton_LoadInput_clicked();
    void on_pushButton_LoadOutput_clicked();
    void on_pushButton_LoadScene_clicked();
    void on_pushButton_SaveInput_clicked();
    void on_pushButton_SaveOutput_clicked();
    void on_pushButton_SaveScene_clicked();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // One group box: its rows, in channel order.
    struct Group
    {
        NameStore::Kind kind = NameStore::Input;
        QGridLayout *grid = nullptr;
        QList<QLabel *> *labels = nullptr;
        QList<QLineEdit *> *edits = nullptr;
        int columns = 1;
        int shown = 0;
    };

    Group &group(NameStore::Kind kind);
    void buildRows(Group &g, const QString &name);
    void layoutRows(Group &g, int shown);
    void retranslateRows();
    void applyLimits();
    // Puts `text` into a field; a name longer than the typing limit is kept whole.
    void putText(NameStore::Kind kind, int number, const QString &text);
    void loadFromStore(NameStore::Kind kind, int number);
    void clearGroup(NameStore::Kind kind);
    void loadGroup(NameStore::Kind kind);
    void saveGroup(NameStore::Kind kind);
    void onNameChanged(int kind, int number);
    void onLanguageChanged();
    void arrangeChannelGroups();
    QString defaultText(NameStore::Kind kind, int number) const;

    Ui::RenamePage *ui = nullptr;
    MainWindow *m_window = nullptr;
    NameStore *m_names = nullptr;
    QList<QLineEdit *> m_inputEdits;
    QList<QLineEdit *> m_outputEdits;
    QList<QLineEdit *> m_sceneEdits;
    QList<QLabel *> m_inputLabels;
    QList<QLabel *> m_outputLabels;
    QList<QLabel *> m_sceneLabels;
    Group m_groups[3];
};
