#include "app/commonlyused.h"

#include <QDebug>
#include <QFile>
#include <QWidget>

void CommonlyUsed::Load_stylesheet(QWidget *widget, const QString &fallbackPath)
{
    if (!widget)
        return;
    const QString overridePath = styleSheetOverridePath();
    QFile file(QFile::exists(overridePath) ? overridePath : fallbackPath);
    qDebug() << "file.fileName() = " << file.fileName();
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "cannot open style sheet" << file.fileName() << file.errorString();
        return;
    }
    const QByteArray content = file.readAll();
    widget->setStyleSheet(tr(content.constData()));
}
