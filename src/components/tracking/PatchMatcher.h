#pragma once

#include <QImage>
#include <QPointF>
#include <memory>

namespace tracking {

// Finds a small patch of one frame in another with sub-pixel accuracy. Frames are 8-bit grey
// pictures; positions are picture coordinates (a pixel's centre at half-integers).
class PatchMatcher {
public:
    struct Match {
        QPointF pos;
        double score = 0; // normalised cross-correlation, -1 .. 1
        bool found = false;
    };

    explicit PatchMatcher(int radius);
    ~PatchMatcher();
    PatchMatcher(const PatchMatcher&) = delete;
    PatchMatcher& operator=(const PatchMatcher&) = delete;

    int radius() const { return m_radius; }
    // Whether the patch around `pos` lies wholly inside a picture of `size`.
    bool fits(QSize size, QPointF pos) const;

    // Takes the patch centred on `pos` (interpolated between pixels) as the one to look for;
    // gives its contrast (the standard deviation of its grey levels).
    double setTemplate(const QImage& grey, QPointF pos);
    // Moves the template a `weight` of the way towards the patch at `pos`. A template averaged
    // over the frames keeps what moves with the point and blurs what it passes over, so a busy
    // background pulls the match less than in any single frame.
    void blendTemplate(const QImage& grey, QPointF pos, double weight);
    // The best match within `searchRadius` pixels of `predicted`; not found when the search area
    // cannot hold the patch.
    Match find(const QImage& grey, QPointF predicted, int searchRadius) const;
    // Where the point at `from` in `previous` moved to in `grey`, by pyramidal optical flow, scored
    // by how well the template matches there.
    Match flow(const QImage& previous, QPointF from, const QImage& grey) const;

private:
    struct Template;
    double scoreAt(const QImage& grey, QPointF pos) const;
    Match search(const QImage& grey, QPointF predicted, int searchRadius, bool weighted) const;
    int m_radius;
    std::unique_ptr<Template> m_template;
};

} // namespace tracking
