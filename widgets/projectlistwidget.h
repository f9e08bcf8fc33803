#pragma once

#include <QListWidget>
#include <QPoint>

// Scene list of the polling dialog: items move between two such lists (and
// within one) by drag and drop.
class ProjectListWidget final : public QListWidget
{
    Q_OBJECT
public:
    // Marks drags that come from a ProjectListWidget; other drops are refused.
    static QString mimeType() { return QStringLiteral("application/x-trivane-scene-item"); }
    // The drop lands on the row of the item this far below the pointer.
    static constexpr int DropRowOffset = 15;

    explicit ProjectListWidget(QWidget *parent = nullptr);

    // Row a drop at pos (viewport coordinates) inserts at.
    int dropRow(const QPoint &pos) const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void performDrag();
    static bool acceptsDrop(const QMimeData *mime);

    QPoint m_pressPos;
};
