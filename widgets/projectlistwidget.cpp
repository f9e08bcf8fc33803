#include "projectlistwidget.h"

#include <QApplication>
#include <QDataStream>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>

namespace {
constexpr QDataStream::Version MimeStreamVersion = QDataStream::Qt_5_15;
}

ProjectListWidget::ProjectListWidget(QWidget *parent) : QListWidget(parent)
{
    // The drags are our own (performDrag); the view's built-in ones would
    // carry neither the number nor our type.
    setDragEnabled(false);
    setAcceptDrops(true);
    setDefaultDropAction(Qt::MoveAction);
}

QListWidgetItem *ProjectListWidget::makeItem(int scene, const QString &name)
{
    auto *item = new QListWidgetItem(name);
    item->setData(SceneRole, scene);
    return item;
}

int ProjectListWidget::sceneOf(const QListWidgetItem *item)
{
    return item ? item->data(SceneRole).toInt() : 0;
}

QMimeData *ProjectListWidget::mimeDataFor(int scene, const QString &name)
{
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out.setVersion(MimeStreamVersion);
    out << qint32(scene) << name;
    auto *mime = new QMimeData;
    mime->setText(name);
    mime->setData(mimeType(), payload);
    return mime;
}

std::optional<ProjectListWidget::DraggedScene> ProjectListWidget::sceneFromMime(const QMimeData *mime)
{
    if (!mime || !mime->hasFormat(mimeType()))
        return std::nullopt;
    const QByteArray payload = mime->data(mimeType());
    QDataStream in(payload);
    in.setVersion(MimeStreamVersion);
    qint32 scene = 0;
    QString name;
    in >> scene >> name;
    if (in.status() != QDataStream::Ok || !in.atEnd() || scene < 0)
        return std::nullopt;
    return DraggedScene{scene, name};
}

int ProjectListWidget::dropRow(const QPoint &pos) const
{
    const QListWidgetItem *below = itemAt(pos + QPoint(0, DropRowOffset));
    return below ? row(below) : count();
}

bool ProjectListWidget::acceptsDrop(const QMimeData *mime, const QObject *source) const
{
    const auto *list = qobject_cast<const ProjectListWidget *>(source);
    return list && list->window() == window() && sceneFromMime(mime).has_value();
}

void ProjectListWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressPos = event->pos();
        m_dragArmed = true;
    }
    QListWidget::mousePressEvent(event);
}

void ProjectListWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragArmed && (event->buttons() & Qt::LeftButton)
        && (event->pos() - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
        m_dragArmed = false;
        performDrag();
        return;
    }
    QListWidget::mouseMoveEvent(event);
}

void ProjectListWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_dragArmed = false;
    QListWidget::mouseReleaseEvent(event);
}

void ProjectListWidget::performDrag()
{
    // The item that was pressed, not the current one: a press on an empty
    // spot must not carry off whatever was selected before.
    QListWidgetItem *item = itemAt(m_pressPos);
    if (!item)
        return;

    auto *drag = new QDrag(this);
    drag->setMimeData(mimeDataFor(sceneOf(item), item->text()));
    const QRect itemRect = visualItemRect(item);
    const QPixmap picture = viewport()->grab(itemRect);
    drag->setPixmap(picture);
    drag->setHotSpot(QPoint(0, picture.height() / 2 / qMax<qreal>(1.0, picture.devicePixelRatio())));
    if (drag->exec(Qt::MoveAction) != Qt::MoveAction)
        return;
    // By pointer, not row: a drop into this same list has shifted the rows.
    // Looked up rather than used directly, since the list may have changed
    // while the drag ran.
    for (int i = 0; i < count(); ++i) {
        if (this->item(i) == item) {
            delete takeItem(i);
            break;
        }
    }
}

void ProjectListWidget::dragEnterEvent(QDragEnterEvent *event)
{
    if (acceptsDrop(event->mimeData(), event->source())) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void ProjectListWidget::dragMoveEvent(QDragMoveEvent *event)
{
    if (acceptsDrop(event->mimeData(), event->source())) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

bool ProjectListWidget::dropScene(const QMimeData *mime, const QObject *source, const QPoint &pos)
{
    const auto dragged = sceneFromMime(mime);
    if (!dragged || !acceptsDrop(mime, source))
        return false;
    QListWidgetItem *item = makeItem(dragged->scene, dragged->name);
    insertItem(dropRow(pos), item);
    setCurrentItem(item);
    return true;
}

void ProjectListWidget::dropEvent(QDropEvent *event)
{
    if (!dropScene(event->mimeData(), event->source(), event->pos())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}
