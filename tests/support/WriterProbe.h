#pragma once

#include <QString>

// What ffprobe says about the first video (or audio) stream of a written file.
struct ProbedStream {
    bool ok = false;
    QString codec;
    QString pixelFormat; // e.g. "yuv420p"
    int width = 0;
    int height = 0;
    QString rate;   // r_frame_rate as ffprobe prints it, e.g. "2997/100"
    int frames = 0; // frames or audio packets actually read (-count_frames)
    int sampleRate = 0;
    int channels = 0;
    double duration = 0;
};

namespace WriterProbe {
ProbedStream video(const QString& path);
ProbedStream audio(const QString& path);
// How long each packet of the first video stream lasts, in seconds, in file order.
QList<double> packetDurations(const QString& path);
// Frame numbers read from every picture of the file through the engine (MediaSource).
QList<int> shownNumbers(const QString& path);
} // namespace WriterProbe
