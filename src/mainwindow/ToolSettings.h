#pragma once

#include <QColor>
#include <QString>

// The drawing colour and line width chosen last, kept in the settings file's [Tools] section so
// the next session draws as this one did. A value that is no colour or no offered width is not
// taken back.
namespace ToolSettings {
struct Tools {
    QColor colour;
    int lineWidth = 1;
};
void remember(const Tools& tools, const QString& iniPath);
Tools restore(const QString& iniPath, const Tools& defaults);
} // namespace ToolSettings
