#pragma once

#include <QPushButton>

class MyLineEdit;
class QLineEdit;

// Scene button that the operator renames in place by a left double-click.
// The name is wrapped every 6 characters.
class MyButton final : public QPushButton
{
    Q_OBJECT
public:
    explicit MyButton(QWidget *parent = nullptr);

    MyLineEdit *editor() const { return m_editor; }
    QString oldText() const { return m_oldText; }
    bool isEditing() const { return m_editing; }
    // Opens the in-place editor; limit 18 characters, or the current name's
    // length if longer.
    void startRename();

signals:
    // The editor opened: number 2 (scene button).
    void sendLineEdit(MyButton *nToolButton, QLineEdit *nlineEdit, int number);
    // The operator gave the scene a new name (accepted, not empty, not the
    // old text): the owner stores all scene names. Not sent for a cancel.
    void send_Scene_renamed();

public slots:
    // 1 accept, 2 restore the previous name; nothing when no rename is open.
    void m_ReName(int num);

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void closeEditor();

    MyLineEdit *m_editor = nullptr;
    QString m_oldText;
    bool m_editing = false;
};
