#include "config/CScreenWorkArea.h"

#include <QGuiApplication>
#include <QScreen>

std::optional<QRect> CScreenWorkArea::workArea() const
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return std::nullopt;
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return std::nullopt;
    return screen->availableGeometry();
}
