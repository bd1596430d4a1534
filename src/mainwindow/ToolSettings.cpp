#include "mainwindow/ToolSettings.h"

#include "app/M_Ini.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QLatin1String kSection("Tools");
constexpr int kMaxLineWidth = 8;
} // namespace

namespace ToolSettings {

void remember(const Tools& tools, const QString& iniPath)
{
    if (iniPath.isEmpty() || !QDir().mkpath(QFileInfo(iniPath).absolutePath()))
        return;
    M_Ini::str_set(kSection, QStringLiteral("Colour"), tools.colour.name(), iniPath);
    M_Ini::str_set(kSection, QStringLiteral("LineWidth"), QString::number(tools.lineWidth), iniPath);
}

Tools restore(const QString& iniPath, const Tools& defaults)
{
    Tools tools = defaults;
    if (iniPath.isEmpty())
        return tools;
    const QColor colour(M_Ini::str_get(kSection, QStringLiteral("Colour"), iniPath));
    if (colour.isValid())
        tools.colour = colour;
    const int width = M_Ini::num_get(kSection, QStringLiteral("LineWidth"), 0, iniPath);
    if (width >= 1 && width <= kMaxLineWidth)
        tools.lineWidth = width;
    return tools;
}

} // namespace ToolSettings
