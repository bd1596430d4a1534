#pragma once

#include "components/analysis/AnalysisDoc.h"

// An analysis with every kind of entry, on a 1024 x 512 picture at 25 fps whose calibration
// takes a horizontal reference line of 256 pixels for 2 m with pixels `aspect` times as wide as
// high. Points are given in pixels and stored as fractions whose binary form is exact.
namespace AnalysisSample {

constexpr int kWidth = 1024, kHeight = 512;
constexpr double kRefPixels = 256, kRefLength = 2;

inline QPointF frac(double x, double y) { return {x / kWidth, y / kHeight}; }

inline analysis::Measurement measurement(analysis::Measurement::Kind kind, int type, int id,
                                         std::initializer_list<QPointF> pixels, int calibration = 0)
{
    analysis::Measurement m;
    m.kind = kind;
    m.type = type;
    m.id = id;
    m.color = QColor(255, 255, 128);
    m.firstFrame = 25;
    m.lastFrame = 75;
    m.curFrame = 50;
    m.calibration = calibration;
    size_t i = 0;
    for (const QPointF& p : pixels)
        m.points[i++] = frac(p.x(), p.y());
    m.key = QStringLiteral("knee");
    return m;
}

inline analysis::View view(const QString& videoPath, double aspect)
{
    analysis::View v;
    v.video = {videoPath, QStringLiteral("/data/") + videoPath, 123456, 250, 25, QSize(kWidth, kHeight)};
    v.timeLine.keyframes = {50, 100};
    v.timeLine.ranges = {{0.5, 4}};
    v.timeLine.syncPoints = {{2.5, 2}};
    v.timeLine.stopwatch = true;
    v.timeLine.stopwatchStart = 1.25;
    v.calibrations.push_back({QSize(kWidth, kHeight), 1, aspect, kRefLength, {frac(0, 256), frac(kRefPixels, 256)}});
    v.calibrationInForce = 0;
    v.calibrationLineId = 3;
    v.calibLength = kRefLength;
    v.calibUnit = 1;
    v.calibAspect = aspect;
    analysis::Drawing text;
    text.type = 8;
    text.id = 4;
    text.color = QColor(10, 20, 30, 40);
    text.style = 18 * 256;
    text.points = {QPointF(10.5, 20.25), QPointF(10.5, 20.25)};
    text.text = QStringLiteral("a, \"b\"\n\u00fc\u4e2d");
    text.firstFrame = 1;
    text.lastFrame = 9;
    text.curFrame = 5;
    v.drawings.push_back(text);
    using M = analysis::Measurement;
    // A 3-4-5 triangle of 64-pixel steps; an angle with its vertex at (320, 320).
    v.measurements.push_back(measurement(M::Distance, 3, 5, {{128, 64}, {320, 320}}));
    v.measurements.push_back(measurement(M::Angle, 3, 6, {{320, 64}, {320, 320}, {576, 320}}));
    v.measurements.push_back(measurement(M::Angle, 1, 7, {{128, 320}, {320, 128}}));
    v.measurements.push_back(measurement(M::Distance, 3, 8, {{0, 0}, {64, 0}}, -1));
    v.measurements[1].orientation = true;
    // Eight pixels right per frame at 25 fps along row 300, from (100, 300) at frame 10.
    analysis::Trajectory path{QStringLiteral("hip, left"), QColor(0, 200, 255), 5, 2, {}};
    for (int k = 0; k < 7; ++k)
        path.points.push_back({10 + k, (10 + k) / 25.0, QPointF(100 + 8 * k, 300), 1.0 - k / 64.0});
    v.trajectories.push_back(path);
    return v;
}

inline analysis::Document document(double aspect = 1.0)
{
    analysis::Document doc;
    doc.views.push_back(view(QStringLiteral("clips/jump, \"take 2\" \u00fc.mp4"), aspect));
    return doc;
}

} // namespace AnalysisSample
