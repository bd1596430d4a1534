#pragma once

#include <QImage>
#include <QString>
#include <functional>

extern "C" {
#include <libavutil/rational.h>
}

// What clip to write: codec, size, rate, GOP structure, and how each picture is painted.
struct FixtureRecipe {
    QString encoder = QStringLiteral("libx264"); // an FFmpeg encoder name
    int width = 176;
    int height = 144;
    int frames = 30;
    AVRational rate{25, 1};
    int gop = 12;
    int bFrames = 2;
    bool openGop = false;
    // Interlaced coding and the stored field order; with `fieldPictures` each field carries its
    // own picture number (2n and 2n + 1 in display order), otherwise the frame's number.
    bool interlaced = false;
    bool bottomFieldFirst = false;
    bool fieldPictures = false;
    // Sub-pictures per frame for the high-speed layouts (the open flags' low byte 3, 4, 5),
    // each carrying its own number; 0 = one picture per frame.
    int highSpeedLayout = 0;
    bool variableRate = false; // irregular presentation times (millisecond time base)
    bool audio = false;        // a sine tone in a second stream
    int rotation = 0;          // degrees clockwise players turn the pictures (a display matrix)
    AVRational sampleAspect{0, 1}; // the pixels' width over their height; 0 = not stated
    int quality = 4;           // codec quantiser scale where it applies: lower is better
    // Paints frame n (an RGB888 image of the clip's size); empty = the frame-number pattern.
    std::function<void(QImage&, int)> painter;
    int gapEvery = 0; // after every that many frames the time of one frame is skipped
    bool live = false; // Matroska and WebM written as a live stream: no length, no cues
};

// Writes small clips with the FFmpeg libraries, for tests, benchmarks and demo files; the
// container follows the file extension (.mp4 .mov .mkv .avi .webm .ts .dv).
class FixtureWriter {
public:
    // 0 on success, else a negative code; `error` receives a reason.
    static int write(const QString& path, const FixtureRecipe& recipe, QString* error = nullptr);
    static bool encoderAvailable(const QString& encoder);
    // The picture number painted for sub-picture `sub` of frame n in `recipe`.
    static int pictureNumber(const FixtureRecipe& recipe, int frame, int sub);
};
