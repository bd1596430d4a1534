#include "PatchMatcher.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/video/tracking.hpp>

#include <cmath>
#include <vector>

namespace tracking {

namespace {

// The weights' standard deviation in patch radii: half a radius took the error over a busy
// background from 0.30 to 0.18 px without costing the clean, noisy or blurred cases.
constexpr double kWeightSigma = 0.5;
constexpr int kRefineReach = 2; // pixels around the plain match's peak the weighted one looks

// OpenCV counts a pixel's centre at integers, the program at half-integers.
cv::Point2f toCv(QPointF p) { return {float(p.x() - 0.5), float(p.y() - 0.5)}; }
QPointF fromCv(double x, double y) { return {x + 0.5, y + 0.5}; }

// A view of the picture's pixels, no copy.
cv::Mat view(const QImage& grey)
{
    return cv::Mat(grey.height(), grey.width(), CV_8UC1, const_cast<uchar*>(grey.constBits()),
                   std::size_t(grey.bytesPerLine()));
}

// The offset of a peak from its middle sample, by the parabola through three samples.
double peakOffset(float before, float at, float after)
{
    const double curve = double(before) - 2.0 * at + after;
    return curve < 0 ? 0.5 * (double(before) - after) / curve : 0.0;
}

} // namespace

struct PatchMatcher::Template {
    cv::Mat pixels; // CV_32F, 2r+1 square
    // Weights falling off from the centre: the point is what lies at the centre, and the
    // background at the patch's edge, which stays where it was while the point moves, is to
    // pull the match as little as it can.
    cv::Mat weights;
};


PatchMatcher::PatchMatcher(int radius) : m_radius(std::max(2, radius)) {}
PatchMatcher::~PatchMatcher() = default;

bool PatchMatcher::fits(QSize size, QPointF pos) const
{
    return pos.x() - m_radius >= 0.5 && pos.y() - m_radius >= 0.5 && pos.x() + m_radius <= size.width() - 0.5
        && pos.y() + m_radius <= size.height() - 0.5;
}

double PatchMatcher::setTemplate(const QImage& grey, QPointF pos)
{
    auto t = std::make_unique<Template>();
    const int side = 2 * m_radius + 1;
    cv::getRectSubPix(view(grey), cv::Size(side, side), toCv(pos), t->pixels, CV_32F);
    const cv::Mat g = cv::getGaussianKernel(side, kWeightSigma * m_radius, CV_32F);
    t->weights = g * g.t();
    cv::Scalar mean, deviation;
    cv::meanStdDev(t->pixels, mean, deviation);
    m_template = std::move(t);
    return deviation[0];
}

void PatchMatcher::blendTemplate(const QImage& grey, QPointF pos, double weight)
{
    if (!m_template)
        return;
    const int side = 2 * m_radius + 1;
    cv::Mat patch;
    cv::getRectSubPix(view(grey), cv::Size(side, side), toCv(pos), patch, CV_32F);
    cv::addWeighted(m_template->pixels, 1.0 - weight, patch, weight, 0.0, m_template->pixels);
}

// The whole search area is matched plainly (a weighted match costs several times as much), and
// the weighted match settles the position within a few pixels of the plain one's peak.
PatchMatcher::Match PatchMatcher::find(const QImage& grey, QPointF predicted, int searchRadius) const
{
    if (searchRadius <= kRefineReach)
        return search(grey, predicted, searchRadius, true);
    const Match coarse = search(grey, predicted, searchRadius, false);
    if (!coarse.found)
        return coarse;
    const Match fine = search(grey, coarse.pos, kRefineReach, true);
    return fine.found ? fine : coarse;
}

PatchMatcher::Match PatchMatcher::search(const QImage& grey, QPointF predicted, int searchRadius, bool weighted) const
{
    if (!m_template || grey.isNull())
        return {};
    const cv::Point2f c = toCv(predicted);
    const int reach = searchRadius + m_radius;
    const cv::Rect wanted(int(std::floor(c.x)) - reach, int(std::floor(c.y)) - reach, 2 * reach + 2, 2 * reach + 2);
    const cv::Rect area = wanted & cv::Rect(0, 0, grey.width(), grey.height());
    const int side = 2 * m_radius + 1;
    // Two more than the patch, so the peak has neighbours on every side.
    if (area.width < side + 2 || area.height < side + 2)
        return {};
    cv::Mat region;
    view(grey)(area).convertTo(region, CV_32F);
    cv::Mat scores;
    if (weighted)
        cv::matchTemplate(region, m_template->pixels, scores, cv::TM_CCOEFF_NORMED, m_template->weights);
    else
        cv::matchTemplate(region, m_template->pixels, scores, cv::TM_CCOEFF_NORMED);
    double best = 0;
    cv::Point at;
    cv::minMaxLoc(scores, nullptr, &best, nullptr, &at);
    if (!std::isfinite(best))
        return {};
    double dx = 0, dy = 0;
    if (at.x > 0 && at.x < scores.cols - 1)
        dx = peakOffset(scores.at<float>(at.y, at.x - 1), scores.at<float>(at.y, at.x), scores.at<float>(at.y, at.x + 1));
    if (at.y > 0 && at.y < scores.rows - 1)
        dy = peakOffset(scores.at<float>(at.y - 1, at.x), scores.at<float>(at.y, at.x), scores.at<float>(at.y + 1, at.x));
    return {fromCv(area.x + at.x + dx + m_radius, area.y + at.y + dy + m_radius), best, true};
}

double PatchMatcher::scoreAt(const QImage& grey, QPointF pos) const
{
    const int side = 2 * m_radius + 1;
    cv::Mat patch, score;
    cv::getRectSubPix(view(grey), cv::Size(side, side), toCv(pos), patch, CV_32F);
    cv::matchTemplate(patch, m_template->pixels, score, cv::TM_CCOEFF_NORMED, m_template->weights);
    const double s = score.at<float>(0, 0);
    return std::isfinite(s) ? s : 0.0;
}

PatchMatcher::Match PatchMatcher::flow(const QImage& previous, QPointF from, const QImage& grey) const
{
    if (!m_template || grey.isNull() || previous.size() != grey.size())
        return {};
    const std::vector<cv::Point2f> before{toCv(from)};
    std::vector<cv::Point2f> after;
    std::vector<uchar> status;
    std::vector<float> error;
    const int side = 2 * m_radius + 1;
    cv::calcOpticalFlowPyrLK(view(previous), view(grey), before, after, status, error, cv::Size(side, side), 3);
    if (status.empty() || !status[0])
        return {};
    const QPointF pos = fromCv(after[0].x, after[0].y);
    if (!fits(grey.size(), pos))
        return {};
    return {pos, scoreAt(grey, pos), true};
}

} // namespace tracking
