#include "mylineedit.h"

#include <QKeyEvent>
#include <QMouseEvent>

MyLineEdit::MyLineEdit(QWidget *parent) : QLineEdit(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setContextMenuPolicy(Qt::NoContextMenu);
}

void MyLineEdit::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Enter:
    case Qt::Key_Return:
        m_state = Accepted;
        emit renamefinished(FinishAccept);
        break;
    case Qt::Key_Escape:
        m_state = Cancelled;
        emit renamefinished(FinishCancel);
        clearFocus();
        break;
    default:
        QLineEdit::keyPressEvent(event);
        break;
    }
}

void MyLineEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    emit renamefinished(m_state == Accepted ? FinishAccept : FinishCancel);
}

void MyLineEdit::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        emit renamefinished(m_state == Accepted ? FinishAccept : FinishCancel);
        return;
    }
    QLineEdit::mousePressEvent(event);
}
