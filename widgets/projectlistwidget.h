#pragma once

#include <QListWidget>
#include <QPoint>

#include <optional>

class QMimeData;

// Scene list of the polling dialog: items move between two such lists (and
// within one) by drag and drop. Each item carries its scene number, so a
// moved item still says which scene it is whatever its name reads.
class ProjectListWidget final : public QListWidget
{
    Q_OBJECT
public:
    // Marks drags that come from a ProjectListWidget; other drops are refused.
    static QString mimeType() { return QStringLiteral("application/x-trivane-scene-item"); }
    // The drop lands on the row of the item this far below the pointer.
    static constexpr int DropRowOffset = 15;
    // Item data role that holds the scene number (int).
    static constexpr int SceneRole = Qt::UserRole;

    explicit ProjectListWidget(QWidget *parent = nullptr);

    // An item showing `name` for scene `scene`; the caller owns it until it
    // is added to a list.
    static QListWidgetItem *makeItem(int scene, const QString &name);
    // The scene number of an item; 0 for none.
    static int sceneOf(const QListWidgetItem *item);

    // Drag data of one item: the private type with number and name, and the
    // name as plain text. The caller owns it.
    static QMimeData *mimeDataFor(int scene, const QString &name);
    struct DraggedScene
    {
        int scene = 0;
        QString name;
    };
    // The number and name in drag data of mimeDataFor(); nothing for other
    // or damaged data.
    static std::optional<DraggedScene> sceneFromMime(const QMimeData *mime);

    // Row a drop at pos (viewport coordinates) inserts at.
    int dropRow(const QPoint &pos) const;
    // Drag data of ours, dragged from a ProjectListWidget of the same window
    // (this one or its sibling in the dialog).
    bool acceptsDrop(const QMimeData *mime, const QObject *source) const;
    // Inserts the dragged scene (number and name) at dropRow(pos) and makes
    // it current, when acceptsDrop; true when inserted. What a drop event
    // does with its data and source.
    bool dropScene(const QMimeData *mime, const QObject *source, const QPoint &pos);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void performDrag();

    QPoint m_pressPos;
    // A left press in this list that may still become a drag.
    bool m_dragArmed = false;
};
