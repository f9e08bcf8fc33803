#pragma once

#include <QPixmap>
#include <QRect>

class QWidget;

// Look shared by the message dialogs: rounded outline, window icon, placement.
namespace TipsDecor {
static constexpr int CornerRadius = 18;
static constexpr int DialogWidth = 420;
static constexpr int MinimumDialogHeight = 200;

// "image/trayIcon.png" below the application directory wins over the resource.
QPixmap trayIcon();
// Rounded-rectangle mask over the whole widget.
void applyRoundedMask(QWidget *widget, int radius = CornerRadius);
// Fixed width, height as the wrapped contents need (at least the minimum).
void fixSizeForContents(QWidget *dialog);
void centreIn(QWidget *widget, const QRect &area);
QRect primaryAvailableArea();
}
