#include "tipsdecor.h"

#include "app/commonlyused.h"

#include <QBitmap>
#include <QFile>
#include <QGuiApplication>
#include <QLayout>
#include <QPainter>
#include <QScreen>
#include <QWidget>

namespace TipsDecor {

QPixmap trayIcon()
{
    const QString local = CommonlyUsed::applicationDir() + QStringLiteral("/image/trayIcon.png");
    QPixmap pixmap;
    if (QFile::exists(local))
        pixmap.load(local);
    if (pixmap.isNull())
        pixmap.load(QStringLiteral("://image/trayIcon.png"));
    return pixmap;
}

void applyRoundedMask(QWidget *widget, int radius)
{
    if (widget->width() <= 0 || widget->height() <= 0)
        return;
    QBitmap mask(widget->size());
    mask.fill(Qt::color0);
    QPainter painter(&mask);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::color1);
    painter.drawRoundedRect(mask.rect(), radius, radius);
    painter.end();
    widget->setMask(mask);
}

void fixSizeForContents(QWidget *dialog)
{
    int height = MinimumDialogHeight;
    if (QLayout *layout = dialog->layout()) {
        layout->activate();
        const int needed = layout->hasHeightForWidth() ? layout->totalHeightForWidth(DialogWidth)
                                                       : layout->totalSizeHint().height();
        height = qMax(height, needed);
    }
    dialog->setFixedSize(DialogWidth, height);
    // A fold that ended while hidden may still be the current geometry.
    dialog->resize(DialogWidth, height);
}

void centreIn(QWidget *widget, const QRect &area)
{
    if (!area.isValid())
        return;
    widget->move(area.center() - QPoint(widget->width() / 2, widget->height() / 2));
}

QRect primaryAvailableArea()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}
}
