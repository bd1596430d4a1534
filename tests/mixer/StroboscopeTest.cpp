// The stroboscope: which pixels count as the moving subject, how far apart its copies stand,
// and how they are laid over the picture; the temporal median; and which frames the agent samples.
#include "MixerPictures.h"
#include "components/media/DemoClips.h"
#include "components/media/FrameAccess.h"
#include "components/media/MediaCodes.h"
#include "components/media/MediaSource.h"
#include "components/mixer/MixerCodes.h"
#include "components/mixer/OvVidMixAgent.h"
#include "components/mixer/OvVidMixer.h"
#include "components/mixer/RowPool.h"
#include "components/mixer/TemporalMedian.h"
#include "support/TestPaths.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace MixerPictures;

namespace {

constexpr QRgb kGrey = 0xff646464; // 100, 100, 100
constexpr QRgb kWhite = 0xffffffff;

// A 40 x 20 grey scene with a white 4 x 4 square at column 2 + 3n, rows 8 .. 11: frame n.
QImage squareFrame(int n)
{
    QImage p = filled(40, 20, kGrey);
    for (int y = 8; y < 12; ++y)
        for (int x = 2 + 3 * n; x < 6 + 3 * n; ++x)
            p.setPixel(x, y, kWhite);
    return p;
}

} // namespace

TEST(Stroboscope, EveryNthFrameLeavesACopyOfItsSubject)
{
    OvVidMixer mixer;
    const QImage reference = filled(40, 20, kGrey);
    QImage out;
    ASSERT_EQ(mixer.stroboStart(squareFrame(0), out, reference, 1000, 3, 10), MixerOk);
    for (int n = 1; n <= 9; ++n)
        ASSERT_EQ(mixer.stroboAdd(squareFrame(n), out), MixerOk);
    EXPECT_EQ(mixer.stroboscope().framesAdded(), 9);
    ASSERT_EQ(out.size(), QSize(40, 20));
    // Copies of frames 0, 3, 6 and 9 on row 9; frames between them left nothing.
    for (int x = 0; x < 40; ++x) {
        bool inCopy = false;
        for (int n : {0, 3, 6, 9})
            inCopy = inCopy || (x >= 2 + 3 * n && x < 6 + 3 * n);
        EXPECT_EQ(out.pixel(x, 9), inCopy ? kWhite : kGrey) << "column " << x;
    }
    // The majority clean-up takes the corners of a 4 x 4 square (4 of 9 neighbours move there).
    EXPECT_EQ(out.pixel(11, 8), kGrey);
    EXPECT_EQ(out.pixel(12, 8), kWhite);
    EXPECT_EQ(out.pixel(14, 11), kGrey);
    EXPECT_EQ(out.pixel(13, 11), kWhite);
    EXPECT_EQ(out.pixel(12, 7), kGrey);
}

TEST(Stroboscope, OnlyDifferencesAboveTheThresholdInBlocksBecomeTheSubject)
{
    const QImage reference = filled(30, 30, kGrey);
    QImage frame = reference.copy();
    // A 6 x 6 patch that differs by exactly 10 in green, a lone bright speck, a 2-pixel bar.
    for (int y = 2; y < 8; ++y)
        for (int x = 2; x < 8; ++x)
            frame.setPixel(x, y, qRgb(100, 110, 100));
    frame.setPixel(20, 4, kWhite);
    for (int y = 12; y < 24; ++y)
        for (int x = 20; x < 22; ++x)
            frame.setPixel(x, y, qRgb(0, 0, 0));

    OvVidMixer mixer;
    QImage out;
    ASSERT_EQ(mixer.stroboStart(frame, out, reference, 1000, 1, 10), MixerOk);
    EXPECT_EQ(out.pixel(4, 4), kGrey) << "a difference of 10 is not above a threshold of 10";
    EXPECT_EQ(out.pixel(20, 4), kGrey) << "a lone pixel is noise";
    EXPECT_EQ(out.pixel(20, 17), qRgb(0, 0, 0)) << "a bar two pixels wide is a subject";
    EXPECT_EQ(out.pixel(21, 17), qRgb(0, 0, 0));
    EXPECT_EQ(out.pixel(22, 17), kGrey);

    ASSERT_EQ(mixer.stroboStart(frame, out, reference, 1000, 1, 9), MixerOk);
    EXPECT_EQ(out.pixel(4, 4), qRgb(100, 110, 100));
    EXPECT_EQ(mixer.stroboscope().threshold(), 9);

    // The pixel-level mask says the same.
    std::vector<uint8_t> mask, raw;
    RowPool pool(0);
    Stroboscope::movingMask(frame, reference, 9, mask, raw, pool);
    EXPECT_EQ(raw[size_t(4) * 30 + 20], 1);
    EXPECT_EQ(mask[size_t(4) * 30 + 20], 0);
    EXPECT_EQ(mask[size_t(2) * 30 + 2], 0); // corner of the patch
    EXPECT_EQ(mask[size_t(2) * 30 + 3], 1); // its edge
}

TEST(Stroboscope, RefusesWhatDoesNotFitAndLeavesThePictureAlone)
{
    OvVidMixer mixer;
    QImage out = filled(5, 5, qRgb(1, 2, 3));
    EXPECT_EQ(mixer.stroboAdd(squareFrame(0), out), MixerNotStarted);
    EXPECT_FALSE(mixer.lastError().isEmpty());
    EXPECT_EQ(mixer.stroboStart(squareFrame(0), out, filled(41, 20, kGrey), 1000, 1, 10), MixerSizeMismatch);
    EXPECT_EQ(mixer.stroboStart(QImage(), out, filled(40, 20, kGrey), 1000, 1, 10), MixerBadPicture);
    EXPECT_EQ(mixer.stroboStart(squareFrame(0), out, filled(40, 20, kGrey), 1001, 1, 10), MixerBadArgument);
    EXPECT_EQ(out, filled(5, 5, qRgb(1, 2, 3)));

    // Pictures in 24-bit RGB are taken as well; the output is 32-bit.
    ASSERT_EQ(mixer.stroboStart(squareFrame(0).convertToFormat(QImage::Format_RGB888), out,
                                filled(40, 20, kGrey).convertToFormat(QImage::Format_RGB888), 1000, 1, 10),
              MixerOk);
    EXPECT_EQ(out.format(), QImage::Format_RGB32);
    EXPECT_EQ(out.pixel(3, 9), kWhite);
    EXPECT_EQ(mixer.stroboAdd(filled(39, 20, kGrey), out), MixerSizeMismatch);
    QImage small = filled(3, 3, kGrey);
    EXPECT_EQ(mixer.stroboAdd(squareFrame(1), small), MixerSizeMismatch);
    EXPECT_EQ(mixer.stroboAdd(squareFrame(1).convertToFormat(QImage::Format_RGB888), out), MixerOk);
    EXPECT_EQ(out.pixel(7, 9), kWhite);
}

TEST(TemporalMedian, TakesTheMiddleValueOfEachChannel)
{
    const auto one = [](int r, int g, int b) { return filled(2, 1, qRgb(r, g, b)); };
    RowPool pool(0);
    const QImage odd = TemporalMedian::of({one(10, 0, 5), one(200, 1, 5), one(30, 2, 9),
                                           one(40, 3, 9).convertToFormat(QImage::Format_RGB888), one(250, 4, 9)},
                                          pool);
    ASSERT_EQ(odd.format(), QImage::Format_RGB32);
    EXPECT_EQ(odd.pixel(1, 0), qRgb(40, 2, 9));
    // Of an even count the upper middle value.
    const QImage even = TemporalMedian::of({one(10, 0, 0), one(200, 0, 0), one(30, 0, 0), one(40, 0, 0)}, pool);
    EXPECT_EQ(qRed(even.pixel(0, 0)), 40);
    EXPECT_TRUE(TemporalMedian::of({one(1, 1, 1), filled(3, 1, 0)}, pool).isNull());
    EXPECT_TRUE(TemporalMedian::of({}, pool).isNull());
}

TEST(MixAgent, SamplesFramesEvenlyFromFirstToLastWithinItsBudget)
{
    const std::vector<int> many = OvVidMixAgent::sampleFrames(300, 640 * 360 * 3);
    ASSERT_EQ(many.size(), size_t(OvVidMixAgent::kMaxSamples));
    EXPECT_EQ(many.front(), 0);
    EXPECT_EQ(many.back(), 299);
    for (size_t i = 1; i < many.size(); ++i) {
        EXPECT_GT(many[i], many[i - 1]);
        EXPECT_NEAR(many[i] - many[i - 1], 299.0 / 20, 1.0);
    }
    EXPECT_EQ(OvVidMixAgent::sampleFrames(5, 100), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(OvVidMixAgent::sampleFrames(300, OvVidMixAgent::kSampleBudget / 4), (std::vector<int>{0, 100, 199, 299}));
    EXPECT_EQ(OvVidMixAgent::sampleFrames(1, 100), std::vector<int>{0});
    EXPECT_TRUE(OvVidMixAgent::sampleFrames(0, 100).empty());

    OvVidMixer mixer;
    OvVidMixAgent agent;
    EXPECT_TRUE(agent.referencePicture(QStringLiteral("no/such/clip.mkv"), 0, mixer).isNull());
    EXPECT_EQ(agent.lastCode(), MixerNoSource);
    EXPECT_FALSE(agent.lastError().isEmpty());
}
