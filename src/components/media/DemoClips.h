#pragma once

#include <QStringList>

// Short demo clips the program's start script opens: a swinging pendulum and a bouncing ball,
// 640x360, H.264 in MP4 (MPEG-4 Part 2 in AVI when no H.264 encoder is present).
class DemoClips {
public:
    // Writes the clips into `folder` unless they are there already; returns their paths, or an
    // empty list when the folder cannot be made or a clip cannot be written.
    static QStringList ensure(const QString& folder, QString* error = nullptr);
};
