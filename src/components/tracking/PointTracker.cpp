#include "PointTracker.h"

#include "PatchMatcher.h"

#include <QLineF>
#include <algorithm>
#include <cmath>

namespace tracking {

namespace {
constexpr double kMinContrast = 2.0; // grey levels
constexpr double kBlend = 0.2;       // of a good match's patch taken into the template
// The first frame's patch sought this far around each match: where it is found as well, its
// position is taken, so the errors of a template that follows the point do not add up.
constexpr int kAnchorReach = 2;
constexpr double kAnchorStep = 1.5; // pixels: farther than this, the point no longer looks as at first
// While the motion goes as predicted the patch is sought only a few pixels around the prediction
// (twice the last miss, and this much more); a weaker match, or a peak at the narrow area's edge,
// is sought again over the whole search area.
constexpr int kNarrowReach = 6;

bool onEdge(QPointF found, QPointF predicted, int reach)
{
    return std::abs(found.x() - predicted.x()) > reach - 1 || std::abs(found.y() - predicted.y()) > reach - 1;
}
}

PointTracker::PointTracker(FrameSource frames, TrackOptions options)
    : m_frames(std::move(frames)), m_options(options)
{
}

QImage PointTracker::grey(int n) const
{
    const QImage picture = m_frames(n);
    return picture.isNull() ? picture : picture.convertToFormat(QImage::Format_Grayscale8);
}

TrackResult PointTracker::run(int from, QPointF start, int to, const Progress& progress) const
{
    TrackResult result;
    result.stopFrame = from;
    QImage previous = grey(from);
    if (previous.isNull()) {
        result.stop = TrackStop::NoPicture;
        return result;
    }
    PatchMatcher matcher(m_options.templateRadius);
    if (!matcher.fits(previous.size(), start)) {
        result.stop = TrackStop::LeftPicture;
        return result;
    }
    // A flat patch matches any flat area equally well.
    if (matcher.setTemplate(previous, start) < kMinContrast) {
        result.stop = TrackStop::NoDetail;
        return result;
    }
    PatchMatcher anchor(m_options.templateRadius);
    anchor.setTemplate(previous, start);
    result.points.push_back({from, start, 1.0});

    const int step = to >= from ? 1 : -1;
    QPointF last = start, beforeLast = start;
    int reach = m_options.searchRadius; // until the motion has been predicted once
    for (int n = from + step; n != to + step; n += step) {
        result.stopFrame = n;
        const QImage frame = grey(n);
        if (frame.isNull() || frame.size() != previous.size()) {
            result.stop = TrackStop::NoPicture;
            return result;
        }
        // Constant velocity from the last two positions.
        const QPointF predicted = last + (last - beforeLast);
        PatchMatcher::Match match = matcher.find(frame, predicted, reach);
        if (reach < m_options.searchRadius &&
            (!match.found || match.score < m_options.refreshBelow || onEdge(match.pos, predicted, reach)))
            match = matcher.find(frame, predicted, m_options.searchRadius);
        if (!match.found || match.score < m_options.minConfidence) {
            const PatchMatcher::Match flowed = matcher.flow(previous, last, frame);
            if (flowed.found && flowed.score >= m_options.minConfidence)
                match = flowed;
            else {
                result.stop = matcher.fits(frame.size(), predicted) ? TrackStop::Lost : TrackStop::LeftPicture;
                return result;
            }
        }
        if (!matcher.fits(frame.size(), match.pos)) {
            result.stop = TrackStop::LeftPicture;
            return result;
        }
        const PatchMatcher::Match anchored = anchor.find(frame, match.pos, kAnchorReach);
        if (anchored.found && anchored.score >= m_options.minConfidence &&
            QLineF(anchored.pos, match.pos).length() <= kAnchorStep)
            match.pos = anchored.pos;
        result.points.push_back({n, match.pos, match.score});
        if (match.score < m_options.refreshBelow)
            matcher.setTemplate(frame, match.pos);
        else
            matcher.blendTemplate(frame, match.pos, kBlend);
        const double miss = QLineF(match.pos, predicted).length();
        reach = std::min(m_options.searchRadius, kNarrowReach + int(std::ceil(2 * miss)));
        beforeLast = last;
        last = match.pos;
        previous = frame;
        if (progress && !progress(result.points.back()) && n != to) {
            result.stop = TrackStop::Cancelled;
            result.stopFrame = n + step;
            return result;
        }
    }
    result.stopFrame = to;
    return result;
}

} // namespace tracking
