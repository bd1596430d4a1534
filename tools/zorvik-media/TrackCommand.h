#pragma once

#include <QString>
#include <QStringList>

// `zorvik-media track VIDEO --frame N --point X,Y [--to M] [--csv OUT] ...`: follows a point
// without a window and prints its trajectory table. Returns the tool's exit status.
int trackCommand(const QString& path, const QStringList& args);
