#pragma once

#include <QString>

class QWidget;

// The main window's place, size and maximised state, kept in the settings file's [Window]
// section between sessions. A place that no screen shows any more (a monitor unplugged) is not
// taken back: the window then opens where the window system puts it.
namespace WindowPlacement {
void remember(const QWidget& window, const QString& iniPath);
// Before the window is shown; false when nothing usable was kept.
bool restore(QWidget& window, const QString& iniPath);
} // namespace WindowPlacement
