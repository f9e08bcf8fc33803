#include "app/theme_gui.h"

#include <QApplication>
#include <QColor>
#include <QPalette>

void Theme::applyPalette()
{
    QPalette palette = QApplication::palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Text, QColor(QLatin1String(FieldTextColour)));
        palette.setColor(group, QPalette::PlaceholderText, QColor(QLatin1String(PlaceholderColour)));
        palette.setColor(group, QPalette::Base, QColor(QLatin1String(FieldBackgroundColour)));
    }
    QApplication::setPalette(palette);
}
