#include "app/windowfit.h"

WindowFit fitWindowToArea(const QSize &size, const QSize &minimumSize, const QRect &available)
{
    WindowFit fit;
    fit.minimumSize = minimumSize;
    QSize current = size;
    if (current.height() > available.height()) {
        fit.minimumSize.setHeight(qMin(fit.minimumSize.height(), available.height()));
        current.setHeight(available.height());
    }
    if (current.width() > available.width()) {
        fit.minimumSize.setWidth(qMin(fit.minimumSize.width(), available.width()));
        current.setWidth(available.width());
    }
    QRect geometry(QPoint(0, 0), current);
    geometry.moveCenter(available.center());
    fit.geometry = geometry;
    return fit;
}
