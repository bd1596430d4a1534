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

TEST(Blend, TheEndsOfTheBlendWeightGiveEachVideoUnchanged)
{
    const QImage a = noise(53, 31, 1), b = noise(53, 31, 2);
    OvVidMixer mixer;
    for (int alg = 1; alg <= 3; ++alg)
        for (double c : {0.01, 0.5, 1.0}) {
            EXPECT_EQ(blendWith(mixer, alg, 0.0, c, a, b), a) << "alg " << alg << " c " << c;
            EXPECT_EQ(blendWith(mixer, alg, 1.0, c, a, b), b) << "alg " << alg << " c " << c;
            // The same picture twice at full gain is that picture.
            EXPECT_EQ(blendWith(mixer, alg, 0.5, c, a, a), a) << "alg " << alg << " c " << c;
        }
}

TEST(Blend, GainMaximumIntensityKeepsTheMoreIntensePixel)
{
    // Brighter wins at the middle weight whatever the colour weight.
    EXPECT_EQ(blendPixel(1, 0.5, 0.5, qRgb(40, 40, 40), qRgb(200, 200, 200)), qRgb(200, 200, 200));
    EXPECT_EQ(blendPixel(1, 0.5, 0.5, qRgb(210, 180, 20), qRgb(30, 60, 90)), qRgb(210, 180, 20));
    // Pure red (luma 76.2, strongest channel 255) against grey 120: the colour weight decides.
    // They are equally intense at c = (120 − 76.245) / (255 − 76.245) = 0.245.
    EXPECT_EQ(blendPixel(1, 0.5, 0.2, qRgb(255, 0, 0), qRgb(120, 120, 120)), qRgb(120, 120, 120));
    EXPECT_EQ(blendPixel(1, 0.5, 0.3, qRgb(255, 0, 0), qRgb(120, 120, 120)), qRgb(255, 0, 0));
    EXPECT_EQ(blendPixel(1, 0.5, 0.01, qRgb(120, 120, 120), qRgb(255, 0, 0)), qRgb(120, 120, 120));
    EXPECT_EQ(blendPixel(1, 0.5, 1.0, qRgb(120, 120, 120), qRgb(255, 0, 0)), qRgb(255, 0, 0));
    // A tie goes to video 1.
    EXPECT_EQ(blendPixel(1, 0.5, 1.0, qRgb(0, 0, 200), qRgb(200, 0, 0)), qRgb(0, 0, 200));
}

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
    const QImage a = noise(64, 48, 11), b = noise(64, 48, 12);
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

TEST(LaplacePyramid, LevelsHalveAndHoldDetailAboveASmoothBase)
{
    // A smooth ramp has almost no detail; a checkerboard's detail sits in level 0.
    QImage ramp(64, 64, QImage::Format_RGB32), checker(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            ramp.setPixel(x, y, qRgb(2 * x + y, 2 * x + y, 2 * x + y));
            const int v = (x + y) % 2 ? 200 : 50;
            checker.setPixel(x, y, qRgb(v, v, v));
        }
    RowPool pool(0);
    LaplacePyramid a, b;
    a.build(ramp, 1.0, pool);
    b.build(checker, 1.0, pool);
    ASSERT_EQ(a.levels(), 6); // 64 32 16 8 4 2
    EXPECT_EQ(a.level(1)[0].width, 32);
    EXPECT_EQ(a.level(3)[0].height, 8);
    EXPECT_EQ(a.level(5)[0].width, 2);
    const auto meanAbs = [](const FloatPlane& p, int margin) {
        double s = 0;
        int n = 0;
        for (int y = margin; y < p.height - margin; ++y)
            for (int x = margin; x < p.width - margin; ++x, ++n)
                s += std::abs(p.row(y)[x]);
        return s / n;
    };
    EXPECT_LT(meanAbs(a.level(0)[0], 6), 0.01);  // a linear ramp is reproduced by the expansion
    EXPECT_GT(meanAbs(b.level(0)[0], 3), 60.0);  // ±75 around the mean
    EXPECT_LT(meanAbs(b.level(1)[0], 3), 1.0);   // the binomial kernel removes the checkerboard
    // The base level holds the mean brightness (the edges, repeated, tilt it a little).
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_NEAR(b.level(5)[0].row(y)[x], 125.0, 2.0) << x << "," << y;
}

TEST(Blend, LaplacePyramidKeepsDetailsOfBothVideosThatAPixelMaximumLoses)
{
    // Video 1: a dark square (20) on mid grey (128). Video 2: lighter grey (150) with a bright
    // bar elsewhere. The square is a quarter of the picture's height: only a pyramid that goes
    // down to a few samples holds all of it in detail levels, where video 1's contrast beats
    // video 2's flat grey; the coarsest level, picked by brightness, then carries no more than
    // the overall grey of video 2.
    QImage a = filled(96, 64, qRgb(128, 128, 128)), b = filled(96, 64, qRgb(150, 150, 150));
    for (int y = 20; y < 36; ++y)
        for (int x = 16; x < 32; ++x)
            a.setPixel(x, y, qRgb(20, 20, 20));
    for (int y = 40; y < 44; ++y)
        for (int x = 50; x < 90; ++x)
            b.setPixel(x, y, qRgb(250, 250, 250));
    OvVidMixer mixer;
    const QImage pixelMax = blendWith(mixer, 1, 0.5, 0.5, a, b).copy();
    const QImage pyramid = blendWith(mixer, 3, 0.5, 0.5, a, b);
    // The pixel-wise maximum shows video 2's grey where video 1's square was.
    EXPECT_EQ(pixelMax.pixel(24, 28), qRgb(150, 150, 150));
    // The pyramid keeps nearly the whole depth of the square (108) below video 2's grey, with
    // no bright ring around it, and the bright bar.
    const int background = qRed(pyramid.pixel(80, 10));
    EXPECT_NEAR(background, 150, 8);
    EXPECT_GT(background - qRed(pyramid.pixel(24, 28)), 90);
    EXPECT_GT(background - qRed(pyramid.pixel(17, 21)), 80) << "the square's corner";
    EXPECT_NEAR(qRed(pyramid.pixel(8, 28)), background, 10) << "beside the square";
    EXPECT_NEAR(qRed(pyramid.pixel(40, 28)), background, 10) << "beside the square";
    EXPECT_GT(qRed(pyramid.pixel(70, 41)), 235);
}

TEST(Blend, WorksOnOtherFormatsAndSizesAtTheLargerSize)
{
    OvVidMixer mixer;
    const QImage a = noise(30, 20, 5);
    const QImage b = noise(30, 20, 6);
    // 24-bit pictures (as the views draw them) are read as they are, in either place and mixed
    // with 32-bit ones; other formats are converted. The pictures all agree.
    const QImage a24 = a.convertToFormat(QImage::Format_RGB888), b24 = b.convertToFormat(QImage::Format_RGB888);
    for (int alg = 1; alg <= 3; ++alg) {
        const QImage viaRgb32 = blendWith(mixer, alg, 0.4, 0.7, a, b).copy();
        for (const auto& [first, second] : {std::pair{a24, b24}, std::pair{a24, b}, std::pair{a, b24},
                                            std::pair{a24, b.convertToFormat(QImage::Format_ARGB32)}}) {
            const QImage mixed = blendWith(mixer, alg, 0.4, 0.7, first, second);
            EXPECT_EQ(mixed.format(), QImage::Format_RGB32);
            EXPECT_EQ(mixed, viaRgb32) << "alg " << alg << " formats " << first.format() << ", " << second.format();
        }
    }
    // 4 x 3 white and 2 x 5 red: a 4 x 5 picture, black where neither reaches.
    const QImage out = blendWith(mixer, 1, 0.5, 0.5, filled(4, 3, qRgb(255, 255, 255)), filled(2, 5, qRgb(200, 0, 0)));
    ASSERT_EQ(out.size(), QSize(4, 5));
    EXPECT_EQ(out.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(out.pixel(1, 4), qRgb(200, 0, 0));
    EXPECT_EQ(out.pixel(3, 4), qRgb(0, 0, 0));
}

TEST(Blend, SharedRowsGiveTheSamePictureAsOneThread)
{
    // Large enough to be cut into bands.
    const QImage a = noise(640, 200, 31), b = noise(640, 200, 32);
    RowPool one(0), many(3);
    QImage outOne(a.size(), QImage::Format_RGB32), outMany(a.size(), QImage::Format_RGB32);
    BlendMaxIntensity::gainMax(a, b, outOne, 0.4, 0.6, one);
    BlendMaxIntensity::gainMax(a, b, outMany, 0.4, 0.6, many);
    EXPECT_EQ(outOne, outMany);
    BlendMaxIntensity::gainMaxSaturation(a, b, outOne, 0.6, 0.3, one);
    BlendMaxIntensity::gainMaxSaturation(a, b, outMany, 0.6, 0.3, many);
    EXPECT_EQ(outOne, outMany);
    // 24-bit rows are unpacked band by band.
    const QImage a24 = a.convertToFormat(QImage::Format_RGB888);
    BlendMaxIntensity::gainMax(a24, b, outMany, 0.4, 0.6, many);
    BlendMaxIntensity::gainMax(a, b, outOne, 0.4, 0.6, one);
    EXPECT_EQ(outOne, outMany);
    LaplaceFusion f1, f2;
    f1.fuse(a, b, outOne, 0.5, 0.5, one);
    f2.fuse(a, b, outMany, 0.5, 0.5, many);
    EXPECT_EQ(outOne, outMany);
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

TEST(Blend, CreationSettingsAreKeptAsGiven)
{
    OvVidMixer mixer;
    EXPECT_DOUBLE_EQ(mixer.colorWeight(), 0.5);
    EXPECT_DOUBLE_EQ(mixer.blendWeight(), 0.5);
    EXPECT_EQ(mixer.blendAlgorithm(), 1);
    for (int i = 0; i < 3; ++i)
        mixer.setSwitch(i, 1);
    mixer.setSwitch(3, 7); // no such switch
    mixer.setByteSetting(0);
    mixer.setRect(0, QRectF(0, 0, 1, 1));
    mixer.setRect(1, QRectF(0, 0, 1, 0.5));
    mixer.setPoint(QPointF(0.25, 0));
    mixer.setSetting(3);
    EXPECT_EQ(mixer.switchValue(0) + mixer.switchValue(1) + mixer.switchValue(2), 3);
    EXPECT_EQ(mixer.switchValue(3), 0);
    EXPECT_EQ(mixer.rect(1), QRectF(0, 0, 1, 0.5));
    EXPECT_EQ(mixer.rect(2), QRectF());
    EXPECT_EQ(mixer.point(), QPointF(0.25, 0));
    EXPECT_EQ(mixer.setting(), 3);
    EXPECT_EQ(OvVidMixer::algorithmName(2), QStringLiteral("Gain maximum Intensitiy with Saturation"));
    EXPECT_EQ(OvVidMixer::algorithmName(0), QString());
}
