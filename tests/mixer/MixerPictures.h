#pragma once

#include <QImage>
#include <cmath>
#include <random>

// Small pictures the mixer tests are made of, and the arithmetic of the blends written out in
// plain floating point, independently of the fixed-point code that runs them.
namespace MixerPictures {

inline QImage filled(int w, int h, QRgb colour)
{
    QImage p(w, h, QImage::Format_RGB32);
    p.fill(colour);
    return p;
}

inline QImage noise(int w, int h, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    QImage p(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.setPixel(x, y, qRgb(byte(rng), byte(rng), byte(rng)));
    return p;
}

// Largest difference of any channel of any pixel; -1 for pictures of different sizes.
inline int maxDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return -1;
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

struct Rgb {
    double r, g, b;
};

inline Rgb rgb(QRgb p) { return {double(qRed(p)), double(qGreen(p)), double(qBlue(p))}; }
inline double luma(const Rgb& p) { return 0.299 * p.r + 0.587 * p.g + 0.114 * p.b; }
inline double strongest(const Rgb& p) { return std::max({p.r, p.g, p.b}); }
inline double chroma(const Rgb& p) { return strongest(p) - std::min({p.r, p.g, p.b}); }
inline double intensity(const Rgb& p, double c) { return (1 - c) * luma(p) + c * strongest(p); }
inline double gain1(double w) { return std::min(1.0, 2 * (1 - w)); }
inline double gain2(double w) { return std::min(1.0, 2 * w); }
inline Rgb gained(const Rgb& p, double g)
{
    return {std::round(p.r * g), std::round(p.g * g), std::round(p.b * g)};
}

} // namespace MixerPictures
