#include "edidlineedit.h"

#include <QMouseEvent>

EdidLineEdit::EdidLineEdit(QWidget *parent) : QLineEdit(parent) {}

void EdidLineEdit::mousePressEvent(QMouseEvent *event)
{
    QLineEdit::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        selectAll();
        emit lineEditPressed(this);
    }
}
