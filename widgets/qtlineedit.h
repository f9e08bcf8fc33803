#pragma once

#include <QLineEdit>
#include <QStringList>

// Command line of the console: Up and Down walk through the lines entered
// before (as in a terminal), and a click on the empty field opens the
// completion list so that the example commands can be picked.
class QtLineEdit final : public QLineEdit
{
    Q_OBJECT
public:
    static constexpr int MaximumHistory = 100;

    explicit QtLineEdit(QWidget *parent = nullptr);

    // Entered lines, oldest first. Return adds the text by itself.
    void addToHistory(const QString &line);
    QStringList history() const { return m_history; }

signals:
    // A line was entered with Return or Enter (also added to the history).
    void Send_Command(QString command);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QStringList m_history;
    int m_historyIndex = 0;  // == size() means "the line being typed"
    QString m_draft;
};
