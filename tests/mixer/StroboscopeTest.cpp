// The stroboscope: which pixels count as the moving subject, how far apart its copies stand,
// how they are laid over the picture, and the demo ball clip turned into one picture that shows
// the ball at many places at once, from a reference picture the agent computes from the file.
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

bool isBall(QRgb c) { return qRed(c) > 200 && qGreen(c) > 150 && qBlue(c) < 110; }
bool isLawn(QRgb c) { return std::abs(qRed(c) - 30) <= 6 && std::abs(qGreen(c) - 70) <= 6 && std::abs(qBlue(c) - 40) <= 6; }

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

TEST(Stroboscope, SpacingOneCopiesEveryFrameAndBelowOneCountsAsOne)
{
    OvVidMixer mixer;
    QImage out;
    ASSERT_EQ(mixer.stroboStart(squareFrame(0), out, filled(40, 20, kGrey), 1000, 0, 10), MixerOk);
    EXPECT_EQ(mixer.stroboscope().spacing(), 1);
    for (int n = 1; n <= 3; ++n)
        ASSERT_EQ(mixer.stroboAdd(squareFrame(n), out), MixerOk);
    for (int x = 2; x < 15; ++x)
        EXPECT_EQ(out.pixel(x, 9), kWhite) << x;
    EXPECT_EQ(out.pixel(15, 9), kGrey);
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

TEST(Stroboscope, OpacityMixesEachCopyWithWhatIsBelowIt)
{
    OvVidMixer mixer;
    QImage out;
    ASSERT_EQ(mixer.stroboStart(squareFrame(0), out, filled(40, 20, kGrey), 500, 1, 10), MixerOk);
    // (100·500 + 255·500) / 1000 = 177.5, rounded 178.
    EXPECT_EQ(out.pixel(3, 9), qRgb(178, 178, 178));
    ASSERT_EQ(mixer.stroboAdd(squareFrame(0), out), MixerOk);
    // (178·500 + 255·500) / 1000 = 216.5, rounded 217.
    EXPECT_EQ(out.pixel(3, 9), qRgb(217, 217, 217));
    EXPECT_EQ(out.pixel(30, 9), kGrey);
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

// The demo ball: the agent's reference shows the lawn where the ball flies, and the
// stroboscope shows the ball at every 25th frame's place in one picture, and nowhere between.
TEST(MixAgent, StroboscopeOfTheDemoBallShowsTheBallAtSeveralPlaces)
{
    const QStringList clips = DemoClips::ensure(QDir(TestPaths::scratchDir()).filePath(QStringLiteral("demo")));
    ASSERT_EQ(clips.size(), 2);
    const QString ballClip = clips.filter(QStringLiteral("ball")).value(0);
    MediaSource source;
    ASSERT_EQ(source.open(ballClip), MediaOk);
    FrameAccess access(source);

    OvVidMixer mixer;
    OvVidMixAgent agent;
    const QImage reference = agent.referencePicture(access, mixer);
    ASSERT_FALSE(reference.isNull()) << qPrintable(agent.lastError());
    EXPECT_EQ(reference.size(), QSize(DemoClips::kWidth, DemoClips::kHeight));
    EXPECT_EQ(agent.framesDecoded(), OvVidMixAgent::kMaxSamples);
    for (int n = 0; n < DemoClips::kFrames; n += 20) {
        const QPoint c = DemoClips::ballPx(n).toPoint();
        EXPECT_TRUE(isLawn(reference.pixel(c))) << "frame " << n << " " << std::hex << reference.pixel(c);
    }
    // Asking again for the same file takes the kept picture.
    EXPECT_EQ(agent.referencePicture(access, mixer), reference);
    EXPECT_EQ(agent.framesDecoded(), 0);

    // Frames drawn at 100 % into the source's picture, as the program draws them.
    QImage picture = FrameAccess::blankPicture(source.width(), source.height(), Qt::black, 32);
    const auto frame = [&](int n) {
        EXPECT_EQ(access.drawFrame(picture, n, 100, 0, 0), MediaOk);
        return picture;
    };
    constexpr int kSpacing = 25, kLast = 200;
    QImage out = FrameAccess::blankPicture(source.width(), source.height(), Qt::black, 32);
    ASSERT_EQ(mixer.stroboStart(frame(0), out, reference, 1000, kSpacing, 10), MixerOk);
    for (int n = 1; n <= kLast; ++n)
        ASSERT_EQ(mixer.stroboAdd(frame(n), out), MixerOk);

    std::vector<QPointF> copies;
    for (int n = 0; n <= kLast; n += kSpacing)
        copies.push_back(DemoClips::ballPx(n));
    for (const QPointF& c : copies)
        EXPECT_TRUE(isBall(out.pixel(c.toPoint()))) << "ball missing at " << c.x() << "," << c.y();
    // Half-way between two copies, where no copy reaches, the lawn.
    const double r = DemoClips::Ball::kRadius * DemoClips::Ball::kPxPerM;
    int between = 0;
    for (int n = kSpacing / 2; n <= kLast; n += kSpacing) {
        const QPointF p = DemoClips::ballPx(n);
        const bool clear = std::all_of(copies.begin(), copies.end(), [&](const QPointF& c) {
            return std::hypot(c.x() - p.x(), c.y() - p.y()) > r + 3;
        });
        if (!clear)
            continue;
        ++between;
        EXPECT_TRUE(isLawn(out.pixel(p.toPoint()))) << "frame " << n << " left a copy";
    }
    EXPECT_GE(between, 5);
    // One frame alone shows one ball: the picture holds more than any frame.
    int ballsInLastFrame = 0;
    const QImage last = frame(kLast);
    for (const QPointF& c : copies)
        ballsInLastFrame += isBall(last.pixel(c.toPoint())) ? 1 : 0;
    EXPECT_LE(ballsInLastFrame, 1);
}
