#pragma once

#include "components/media/FixtureWriter.h"
#include "zorvik-media/FrameSteps.h"

#include <QString>
#include <QStringList>
#include <vector>

class MediaSource;

// Clips written once per test run into the scratch folder, and the references the ffmpeg
// command line gives for them.
namespace MediaFixtures {

// Writes `recipe` as `name` (extension picks the container) unless already written in this run;
// returns the path, or an empty string with `error` set.
QString clip(const QString& name, const FixtureRecipe& recipe, QString* error = nullptr);

// Per-frame MD5s of the decoded pictures by `ffmpeg -fps_mode passthrough -f framemd5`.
QStringList ffmpegFrameMd5(const QString& path);
// Frame count by `ffprobe -count_frames`; -1 when ffprobe fails.
int ffprobeFrameCount(const QString& path);

using Order = FrameSteps::Order;
// MD5s of the decoded pictures as the engine gives them, visited in `order`, listed by frame.
QStringList engineFrameMd5(MediaSource& source, Order order, unsigned seed = 1);

// The mean difference per colour channel of two pictures over `area` (255 when either does not
// cover it).
double meanDifference(const class QImage& a, const class QImage& b, const class QRect& area);

// The frame number pattern read from a whole shown picture.
int shownNumber(const class QImage& picture);

// A 60-frame H.264 clip (MPEG-4 where that encoder is missing) with key frames every 20.
QString gopClip();

} // namespace MediaFixtures
