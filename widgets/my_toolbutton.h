#pragma once

#include <QToolButton>

class MyLineEdit;
class QLineEdit;

// Input or output button that the operator renames in place by a left
// double-click. The name is wrapped after 8 characters.
class my_ToolButton final : public QToolButton
{
    Q_OBJECT
public:
    explicit my_ToolButton(QWidget *parent = nullptr);

    static constexpr int PortButtonHeight = 52;
    static constexpr int PortIconSize = 24;
    // A port button of a page's column: checkable and exclusive, so the
    // chosen port shows; the icon beside the name tells whether a signal is
    // connected (not yet, to start with).
    static my_ToolButton *createPortButton(QWidget *parent, const QString &objectName);
    void setSignalConnected(bool connected);

    MyLineEdit *editor() const { return m_editor; }
    QString oldText() const { return m_oldText; }
    bool isEditing() const { return m_editing; }
    // Opens the in-place editor, as a left double-click does. Its limit is
    // 16 characters (20 in English), or the current name's length if longer.
    void startRename();

signals:
    // A rename was accepted and the button shows the new name.
    void send_Input_signal();
    // The editor opened: number 1 (input/output button).
    void sendLineEdit(my_ToolButton *nToolButton, QLineEdit *nlineEdit, int number);

public slots:
    // 1 accept the editor's text, 2 restore the previous name. Does nothing
    // when no rename is open, so an accept after Escape commits nothing.
    void m_ReName(int num);

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void closeEditor();

    MyLineEdit *m_editor = nullptr;
    QString m_oldText;
    bool m_editing = false;
};
