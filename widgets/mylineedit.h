#pragma once

#include <QLineEdit>

// In-place editor of the renamable buttons. Enter accepts, Escape cancels;
// losing focus or a right click finishes with the last choice (accept unless
// Escape was pressed).
class MyLineEdit final : public QLineEdit
{
    Q_OBJECT
public:
    static constexpr int Accepted = 0;
    static constexpr int Cancelled = 1;
    static constexpr int FinishAccept = 1;
    static constexpr int FinishCancel = 2;

    explicit MyLineEdit(QWidget *parent = nullptr);

    int state() const { return m_state; }
    void setState(int state) { m_state = state; }

signals:
    // 1 accept, 2 cancel.
    void renamefinished(int num);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    int m_state = Accepted;
};
