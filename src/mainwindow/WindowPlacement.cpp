#include "mainwindow/WindowPlacement.h"

#include "app/M_Ini.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {
const QLatin1String kSection("Window");

int read(const char* key, const QString& iniPath)
{
    return M_Ini::num_get(kSection, QLatin1String(key), -1, iniPath);
}
} // namespace

namespace WindowPlacement {

void remember(const QWidget& window, const QString& iniPath)
{
    if (iniPath.isEmpty())
        return;
    // A maximised or full-screen window keeps the place it had before, to go back to.
    const QRect normal = window.isMaximized() || window.isFullScreen() ? window.normalGeometry() : window.geometry();
    if (!normal.isValid() || !QDir().mkpath(QFileInfo(iniPath).absolutePath()))
        return;
    M_Ini::str_set(kSection, QStringLiteral("Left"), QString::number(normal.x()), iniPath);
    M_Ini::str_set(kSection, QStringLiteral("Top"), QString::number(normal.y()), iniPath);
    M_Ini::str_set(kSection, QStringLiteral("Width"), QString::number(normal.width()), iniPath);
    M_Ini::str_set(kSection, QStringLiteral("Height"), QString::number(normal.height()), iniPath);
    M_Ini::str_set(kSection, QStringLiteral("Maximized"), window.isMaximized() ? QStringLiteral("1") : QStringLiteral("0"),
                   iniPath);
}

bool restore(QWidget& window, const QString& iniPath)
{
    if (iniPath.isEmpty())
        return false;
    const QRect kept(read("Left", iniPath), read("Top", iniPath), read("Width", iniPath), read("Height", iniPath));
    if (kept.width() < window.minimumWidth() || kept.height() < window.minimumHeight() || kept.width() <= 0 ||
        kept.height() <= 0)
        return false;
    bool seen = false;
    for (const QScreen* screen : QGuiApplication::screens())
        seen = seen || screen->availableGeometry().intersects(kept);
    if (!seen)
        return false;
    window.setGeometry(kept);
    if (read("Maximized", iniPath) == 1)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    return true;
}

} // namespace WindowPlacement
