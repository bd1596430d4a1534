// The three blends checked against their definitions on small pictures: the ends of the blend
// weight give the sources, the maximum of intensity and the colour weight decide as defined,
// the saturation variant takes the stronger colour, and the Laplacian pyramid reconstructs its
// picture and keeps details of both videos that a pixel-wise maximum loses.
#include "MixerPictures.h"
#include "components/mixer/BlendMaxIntensity.h"
#include "components/mixer/LaplacePyramid.h"
#include "components/mixer/MixerCodes.h"
#include "components/mixer/OvVidMixer.h"
#include "components/mixer/RowPool.h"

#include <gtest/gtest.h>
#include <limits>

using namespace MixerPictures;

namespace {

QImage blendWith(OvVidMixer& mixer, int alg, double w, double c, const QImage& a, const QImage& b)
{
    EXPECT_EQ(mixer.setBlendAlgorithm(alg), MixerOk);
    EXPECT_EQ(mixer.setBlendWeight(w), MixerOk);
    EXPECT_EQ(mixer.setColorWeight(c), MixerOk);
    return mixer.blend(a, b);
}

QRgb blendPixel(int alg, double w, double c, QRgb a, QRgb b)
{
    OvVidMixer mixer;
    const QImage out = blendWith(mixer, alg, w, c, filled(1, 1, a), filled(1, 1, b));
    EXPECT_FALSE(out.isNull());
    return out.isNull() ? 0 : out.pixel(0, 0);
}

// Algorithm 1 in floating point: the gained pixel of greater intensity, video 1 on a tie.
// Returns false where the two intensities are too close for the fixed-point code to be held to
// the same choice.
bool gainMaxByDefinition(QRgb pa, QRgb pb, double w, double c, Rgb& out)
{
    const Rgb a = gained(rgb(pa), gain1(w)), b = gained(rgb(pb), gain2(w));
    const double ia = intensity(a, c), ib = intensity(b, c);
    out = ia >= ib ? a : b;
    return std::abs(ia - ib) > 0.02;
}

bool gainMaxSaturationByDefinition(QRgb pa, QRgb pb, double w, double c, Rgb& out)
{
    const Rgb a = gained(rgb(pa), gain1(w)), b = gained(rgb(pb), gain2(w));
    const double ia = intensity(a, c), ib = intensity(b, c);
    const Rgb& win = ia >= ib ? a : b;
    const Rgb& lose = ia >= ib ? b : a;
    if (chroma(lose) <= chroma(win)) {
        out = win;
    } else {
        const double yw = luma(win), yl = luma(lose);
        const auto mix = [&](double wc, double lc) {
            return std::clamp(std::round(yw + (1 - c) * (wc - yw) + c * (lc - yl)), 0.0, 255.0);
        };
        out = {mix(win.r, lose.r), mix(win.g, lose.g), mix(win.b, lose.b)};
    }
    return std::abs(ia - ib) > 0.02 && std::abs(chroma(lose) - chroma(win)) > 0;
}

} // namespace

TEST(Blend, TheBlendWeightFadesTheOtherVideoByItsGain)
{
    // At w = 0.25 video 2 counts half: 200 becomes 100, which beats 90 but not 150.
    EXPECT_EQ(blendPixel(1, 0.25, 0.5, qRgb(150, 150, 150), qRgb(200, 200, 200)), qRgb(150, 150, 150));
    EXPECT_EQ(blendPixel(1, 0.25, 0.5, qRgb(90, 90, 90), qRgb(200, 200, 200)), qRgb(100, 100, 100));
    // And the other way round at w = 0.75.
    // (100, 50, 30) has intensity 0.5·62.7 + 0.5·100 = 81.3 at c = 0.5.
    EXPECT_EQ(blendPixel(1, 0.75, 0.5, qRgb(200, 100, 60), qRgb(80, 80, 80)), qRgb(100, 50, 30));
    EXPECT_EQ(blendPixel(1, 0.75, 0.5, qRgb(200, 100, 60), qRgb(110, 110, 110)), qRgb(110, 110, 110));
    // At w = 0.1 video 2 keeps a fifth.
    EXPECT_EQ(blendPixel(1, 0.1, 0.5, qRgb(10, 10, 10), qRgb(250, 200, 100)), qRgb(50, 40, 20));
}

TEST(Blend, GainMaximumIntensityFollowsItsDefinitionOnEveryPixel)
{
    const QImage a = noise(521, 6, 11), b = noise(521, 6, 12);
    const QImage a24 = a.convertToFormat(QImage::Format_RGB888), b24 = b.convertToFormat(QImage::Format_RGB888);
    OvVidMixer mixer;
    for (double w : {0.1, 0.3, 0.5, 0.62, 0.9})
        for (double c : {0.01, 0.37, 1.0}) {
            const QImage out = blendWith(mixer, 1, w, c, a, b);
            int checked = 0;
            for (int y = 0; y < a.height(); ++y)
                for (int x = 0; x < a.width(); ++x) {
                    Rgb expected{};
                    if (!gainMaxByDefinition(a.pixel(x, y), b.pixel(x, y), w, c, expected))
                        continue;
                    ++checked;
                    const Rgb got = rgb(out.pixel(x, y));
                    ASSERT_EQ(got.r, expected.r) << x << "," << y << " w " << w << " c " << c;
                    ASSERT_EQ(got.g, expected.g);
                    ASSERT_EQ(got.b, expected.b);
                }
            EXPECT_GT(checked, 64 * 48 * 9 / 10);
            // The engine's 24-bit pictures, read as they are, blend to the same picture.
            EXPECT_EQ(blendWith(mixer, 1, w, c, a24, b24), out) << "w " << w << " c " << c;
        }
}

TEST(Blend, SaturationVariantTakesTheStrongerColourAtTheWinnersBrightness)
{
    // Bright grey wins; the dark blue's colour comes in by the colour weight.
    // Y(grey) = 200, Y(blue) = 17.1: at c = 1 the output is 200 + (0, 0, 150) − 17.1.
    EXPECT_EQ(blendPixel(2, 0.5, 1.0, qRgb(200, 200, 200), qRgb(0, 0, 150)), qRgb(183, 183, 255));
    // At c = 0.5: 200 + 0.5·(−17.1, −17.1, 132.9) = (191.45, 191.45, 266.45 → 255).
    EXPECT_EQ(blendPixel(2, 0.5, 0.5, qRgb(200, 200, 200), qRgb(0, 0, 150)), qRgb(191, 191, 255));
    // The winner is the more colourful one: it stays as it is.
    EXPECT_EQ(blendPixel(2, 0.5, 0.5, qRgb(250, 40, 40), qRgb(100, 100, 100)), qRgb(250, 40, 40));
    // Algorithm 1 on the same pair shows only the grey.
    EXPECT_EQ(blendPixel(1, 0.5, 1.0, qRgb(200, 200, 200), qRgb(0, 0, 150)), qRgb(200, 200, 200));

    const QImage a = noise(40, 30, 21), b = noise(40, 30, 22);
    OvVidMixer mixer;
    for (double w : {0.2, 0.5, 0.8})
        for (double c : {0.01, 0.5, 1.0}) {
            const QImage out = blendWith(mixer, 2, w, c, a, b);
            for (int y = 0; y < a.height(); ++y)
                for (int x = 0; x < a.width(); ++x) {
                    Rgb expected{};
                    if (!gainMaxSaturationByDefinition(a.pixel(x, y), b.pixel(x, y), w, c, expected))
                        continue;
                    const Rgb got = rgb(out.pixel(x, y));
                    // Fixed point against floating point: within one step.
                    ASSERT_LE(std::abs(got.r - expected.r), 1) << x << "," << y << " w " << w << " c " << c;
                    ASSERT_LE(std::abs(got.g - expected.g), 1);
                    ASSERT_LE(std::abs(got.b - expected.b), 1);
                }
        }
}

TEST(LaplacePyramid, CollapsesBackIntoThePictureItWasBuiltFrom)
{
    RowPool pool(2);
    for (const QSize size : {QSize(1, 1), QSize(7, 5), QSize(37, 23), QSize(160, 90), QSize(301, 17)}) {
        const QImage picture = noise(size.width(), size.height(), unsigned(size.width() * 7 + size.height()));
        LaplacePyramid pyramid;
        pyramid.build(picture, 1.0, pool);
        EXPECT_EQ(pyramid.levels(), LaplacePyramid::levelsFor(size.width(), size.height()));
        QImage out(size, QImage::Format_RGB32);
        pyramid.collapse(out, pool);
        EXPECT_EQ(out, picture) << size.width() << "x" << size.height();
    }
    // Down to 2 samples on the smaller side: 1080 540 270 135 68 34 17 9 5 3 2.
    EXPECT_EQ(LaplacePyramid::levelsFor(1920, 1080), 11);
    EXPECT_EQ(LaplacePyramid::levelsFor(640, 360), 9);
    EXPECT_EQ(LaplacePyramid::levelsFor(15, 400), 4);
    EXPECT_EQ(LaplacePyramid::levelsFor(16, 16), 4);
    EXPECT_EQ(LaplacePyramid::levelsFor(3, 3), 2);
    EXPECT_EQ(LaplacePyramid::levelsFor(400, 2), 1);
    EXPECT_EQ(LaplacePyramid::levelsFor(1, 1), 1);
    EXPECT_EQ(LaplacePyramid::levelsFor(16384, 16384), LaplacePyramid::kMaxLevels);
}

TEST(Blend, APictureTheCallerHoldsIsNeverOverwritten)
{
    OvVidMixer mixer;
    const QImage a = noise(32, 32, 41), b = noise(32, 32, 42);
    const QImage first = blendWith(mixer, 1, 0.0, 0.5, a, b); // = a
    const QImage second = blendWith(mixer, 1, 1.0, 0.5, a, b); // = b, in another buffer
    EXPECT_EQ(first, a);
    EXPECT_EQ(second, b);
    QImage third = blendWith(mixer, 1, 0.0, 0.5, a, b);
    EXPECT_EQ(first, a);
    EXPECT_EQ(second, b);
    EXPECT_EQ(third, a);
}

TEST(Blend, BadInputAndParametersAreRefusedWithAReason)
{
    OvVidMixer mixer;
    EXPECT_TRUE(mixer.blend(QImage(), noise(4, 4, 1)).isNull());
    EXPECT_FALSE(mixer.lastError().isEmpty());
    EXPECT_TRUE(mixer.blend(noise(4, 4, 1), QImage(0, 3, QImage::Format_RGB32)).isNull());

    EXPECT_EQ(mixer.setBlendAlgorithm(0), MixerBadArgument);
    EXPECT_EQ(mixer.setBlendAlgorithm(4), MixerBadArgument);
    EXPECT_EQ(mixer.blendAlgorithm(), 1);
    EXPECT_EQ(mixer.setBlendAlgorithm(3), MixerOk);
    EXPECT_EQ(mixer.blendAlgorithm(), 3);

    EXPECT_EQ(mixer.setBlendWeight(std::numeric_limits<double>::quiet_NaN()), MixerBadArgument);
    EXPECT_DOUBLE_EQ(mixer.blendWeight(), 0.5);
    EXPECT_EQ(mixer.setBlendWeight(1.7), MixerOk);
    EXPECT_DOUBLE_EQ(mixer.blendWeight(), 1.0);
    EXPECT_EQ(mixer.setColorWeight(-3), MixerOk);
    EXPECT_DOUBLE_EQ(mixer.colorWeight(), 0.0);
    EXPECT_EQ(mixer.setColorWeight(std::numeric_limits<double>::quiet_NaN()), MixerBadArgument);
    EXPECT_DOUBLE_EQ(mixer.colorWeight(), 0.0);
}
