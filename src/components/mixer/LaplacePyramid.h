#pragma once

#include <QImage>
#include <array>
#include <vector>

class RowPool;

// One channel of a picture as floating-point samples.
struct FloatPlane {
    int width = 0;
    int height = 0;
    std::vector<float> samples;

    void resize(int w, int h);
    float* row(int y) { return samples.data() + size_t(y) * size_t(width); }
    const float* row(int y) const { return samples.data() + size_t(y) * size_t(width); }
};

// A picture's red, green and blue planes.
using ColourPlanes = std::array<FloatPlane, 3>;

// The Laplacian pyramid of a colour picture (Burt and Adelson). Level 0 has the picture's size,
// each further level half the size of the one before (rounded up). A Gaussian level is the one
// below it smoothed with the binomial kernel [1 4 6 4 1]/16 in both directions and every second
// sample kept ("reduce"); the edges repeat their outermost sample. "Expand" brings a level back
// to the size below by interpolating with the same kernel:
//     fine(2i) = (coarse(i − 1) + 6·coarse(i) + coarse(i + 1)) / 8,
//     fine(2i + 1) = (coarse(i) + coarse(i + 1)) / 2,
// in each direction. The pyramid keeps the detail levels L_k = G_k − expand(G_k+1) and, as its
// last level, the coarsest Gaussian level itself, so collapsing it (expand the top, add the
// detail below, repeat) gives the picture back.
class LaplacePyramid {
public:
    // Levels for a picture of that size: halve while the smaller side stays at least 2 samples,
    // at most kMaxLevels, at least 1. The coarsest level is thus a handful of samples, little
    // more than the picture's overall brightness: everything the size of a subject lies in the
    // detail levels, where a fusion compares contrast. (A coarsest level of 8 or more samples
    // per side holds the low-frequency body of any subject larger than an eighth of the
    // picture, and a fusion that picks that level by brightness loses a dark subject's body.)
    static constexpr int kMaxLevels = 12;
    static int levelsFor(int width, int height);

    // Builds the pyramid of an RGB32 or RGB888 picture whose channels are first multiplied by
    // `gain`.
    void build(const QImage& picture, double gain, RowPool& pool);
    // Collapses the pyramid into an RGB32 picture of level 0's size (`out` must have it);
    // samples are rounded to the nearest and clamped to 0 .. 255. The levels are used up: each
    // holds its Gaussian level afterwards.
    void collapse(QImage& out, RowPool& pool);

    int levels() const { return int(m_levels.size()); }
    ColourPlanes& level(int k) { return m_levels[size_t(k)]; }
    const ColourPlanes& level(int k) const { return m_levels[size_t(k)]; }

    static void reduce(const FloatPlane& fine, FloatPlane& coarse, RowPool& pool);
    // Expands `coarse` to width × height (the size of the level below it).
    static void expand(const FloatPlane& coarse, int width, int height, FloatPlane& fine, RowPool& pool);
    // The expansion of `coarse` to the size of `fine`, stored into it, or taken from or added
    // to what it holds; `wide` is room for the widened coarse rows.
    enum class Combine { Store, Subtract, Add };
    static void expandInto(const FloatPlane& coarse, FloatPlane& fine, Combine combine, FloatPlane& wide, RowPool& pool);

private:
    std::vector<ColourPlanes> m_levels;
    FloatPlane m_scratch; // widened rows of a level; kept so that no frame allocates them again
};

// Laplace Pyramid with maximum Intensity: both videos' pictures (gained as in BlendGains) are
// split into Laplacian pyramids. On each detail level every sample takes the coefficients of the
// video with the stronger local contrast there, measured as (1 − c)·|ΔY| + c·max(|ΔR|, |ΔG|,
// |ΔB|) with ΔY = 0.299·ΔR + 0.587·ΔG + 0.114·ΔB; on the coarsest level the video of greater
// intensity (1 − c)·Y + c·max(R, G, B), as in the pixel-wise blend. Ties go to video 1. The fused
// pyramid is collapsed into the output. Edges and textures of both videos thus survive at every
// scale, a dark subject on a bright background included, which a pixel-wise maximum loses.
class LaplaceFusion {
public:
    // a, b: RGB32 or RGB888 of one size; out: RGB32 of that size.
    void fuse(const QImage& a, const QImage& b, QImage& out, double blend, double colour, RowPool& pool);

private:
    LaplacePyramid m_first; // kept between calls: no reallocation per frame
    LaplacePyramid m_second;
};
