#include "projectlistwidget.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>

ProjectListWidget::ProjectListWidget(QWidget *parent) : QListWidget(parent)
{
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
}

int ProjectListWidget::dropRow(const QPoint &pos) const
{
    const QListWidgetItem *below = itemAt(pos + QPoint(0, DropRowOffset));
    return below ? row(below) : count();
}

void ProjectListWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pressPos = event->pos();
    QListWidget::mousePressEvent(event);
}

void ProjectListWidget::mouseMoveEvent(QMouseEvent *event)
{
    if ((event->buttons() & Qt::LeftButton)
        && (event->pos() - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
        performDrag();
        return;
    }
    QListWidget::mouseMoveEvent(event);
}

void ProjectListWidget::performDrag()
{
    QListWidgetItem *item = currentItem();
    if (!item)
        return;
    auto *mime = new QMimeData;
    mime->setText(item->text());
    mime->setData(mimeType(), item->text().toUtf8());

    auto *drag = new QDrag(this);
    drag->setMimeData(mime);
    const QRect itemRect = visualItemRect(item);
    const QPixmap picture = viewport()->grab(itemRect);
    drag->setPixmap(picture);
    drag->setHotSpot(QPoint(0, picture.height() / 2 / qMax<qreal>(1.0, picture.devicePixelRatio())));
    if (drag->exec(Qt::MoveAction) == Qt::MoveAction) {
        // By pointer, not row: a drop into this same list has shifted the rows.
        delete item;
    }
}

bool ProjectListWidget::acceptsDrop(const QMimeData *mime)
{
    return mime && mime->hasFormat(mimeType()) && mime->hasText();
}

void ProjectListWidget::dragEnterEvent(QDragEnterEvent *event)
{
    if (acceptsDrop(event->mimeData())) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void ProjectListWidget::dragMoveEvent(QDragMoveEvent *event)
{
    if (acceptsDrop(event->mimeData())) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void ProjectListWidget::dropEvent(QDropEvent *event)
{
    if (!acceptsDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    insertItem(dropRow(event->pos()), event->mimeData()->text());
    event->setDropAction(Qt::MoveAction);
    event->accept();
}
