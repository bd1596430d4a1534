// The audio diagram drawing generated sine clips: lanes per channel, the envelope's height
// against the sine's amplitude and its place in time, the time cursor's column, a file
// without audio, and cursor moves that neither read the file nor redraw the waveform.
#include "support/SineClip.h"

#include "components/audio/AudioCodes.h"
#include "components/diagram/OvDia.h"
#include "components/diagram/OvDiaAudio.h"
#include "components/media/MediaCodes.h"
#include "support/FixtureRecipes.h"
#include "support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <cmath>
#include <gtest/gtest.h>
#include <optional>

namespace {

constexpr int kWidth = 600;
constexpr int kHeight = 160;

QString scratch(const QString& name)
{
    const QString dir = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("diagram"));
    QDir().mkpath(dir);
    return QDir(dir).filePath(name);
}

QString sineClip(const QString& name, const SineSpec& recipe)
{
    const QString path = scratch(name);
    return SineClip::write(path, recipe) == MediaOk ? path : QString();
}

int distance(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
}

// The rows of the lane where the waveform stands in the given columns: the topmost and the
// bottommost pixel that is clearly neither the lane's background nor its centre line.
struct Extent {
    int top = -1;
    int bottom = -1;
};
Extent waveExtent(const QImage& img, const QRect& lane, int x0, int x1, const OvDiaSettings& s, const QColor& back)
{
    Extent e;
    for (int y = lane.top(); y <= lane.bottom(); ++y)
        for (int x = x0; x <= x1; ++x) {
            const QColor c = img.pixelColor(x, y);
            if (distance(c, back) > 90 && distance(c, s.centreLine) > 90 && distance(c, s.cursor) > 90) {
                if (e.top < 0)
                    e.top = y;
                e.bottom = y;
                break;
            }
        }
    return e;
}

// The mean column of the pixels of the cursor's colour in one row; -1 when there are none.
double cursorColumn(const QImage& img, int y, const QColor& cursor)
{
    double sum = 0;
    int n = 0;
    for (int x = 0; x < img.width(); ++x)
        if (distance(img.pixelColor(x, y), cursor) < 30) {
            sum += x;
            ++n;
        }
    return n ? sum / n : -1.0;
}

class OvDiaTest : public ::testing::Test {
protected:
    void load(const QString& path)
    {
        ASSERT_FALSE(path.isEmpty());
        m_dia.resize(kWidth, kHeight);
        ASSERT_EQ(OvDiaAudio::addChannels(m_dia, path), MediaOk);
    }
    QImage shot() { return m_dia.grab().toImage(); }
    // Where full scale of amplitude `a` stands in a lane, from the lane's box and padding alone.
    double expectedY(const QRect& lane, double a) const
    {
        const double half = lane.height() / 2.0 - m_dia.settings().lanePadding;
        return lane.top() + lane.height() / 2.0 - a * half;
    }

    OvDia m_dia;
};

} // namespace

TEST_F(OvDiaTest, FileWithoutAudioIsAFailureAndDrawsAnEmptyStrip)
{
    const QString video = FixtureRecipes::writtenOnce(QStringLiteral("diagram"), QStringLiteral("silent.mkv"),
                                                      FixtureRecipes::lossless(64, 48, 5));
    ASSERT_FALSE(video.isEmpty());
    m_dia.resize(kWidth, kHeight);
    m_dia.setCursorTime(0.5f);
    EXPECT_EQ(OvDiaAudio::addChannels(m_dia, video), AudioNoStream);
    EXPECT_LT(OvDiaAudio::addChannels(m_dia, scratch(QStringLiteral("missing.avi"))), 0);
    EXPECT_EQ(m_dia.seriesCount(), 0);
    EXPECT_EQ(m_dia.cursorX(), -1);

    const QImage img = shot();
    const QRgb back = m_dia.settings().background.rgb();
    int others = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            others += img.pixel(x, y) != back;
    EXPECT_EQ(others, 0);

    // A failure after a good load leaves the loaded lanes as they were.
    load(sineClip(QStringLiteral("kept.avi"), SineSpec{}));
    EXPECT_EQ(OvDiaAudio::addChannels(m_dia, video), AudioNoStream);
    EXPECT_EQ(m_dia.seriesCount(), 2);
    m_dia.clearSeries();
    EXPECT_EQ(m_dia.seriesCount(), 0);
}

TEST_F(OvDiaTest, CursorMovesNeitherReadTheFileNorRedrawTheWaveform)
{
    const QString path = sineClip(QStringLiteral("gone.avi"), SineSpec{});
    load(path);
    const QImage first = shot();
    EXPECT_EQ(m_dia.waveformRenders(), 1);
    // The file is gone: whatever is drawn from now on comes from the diagram's own series.
    ASSERT_TRUE(QFile::remove(path));

    const QRect left = m_dia.laneRect(0);
    const OvDiaSettings& s = m_dia.settings();
    for (float t : {0.3f, 1.1f, 2.2f, 2.9f}) {
        m_dia.setCursorTime(t);
        const QImage img = shot();
        EXPECT_NEAR(cursorColumn(img, left.top() + 2, s.cursor), kWidth * double(t) / 3.0, 1.0);
        // Away from the cursor the picture is the first one, pixel for pixel.
        const int cx = m_dia.cursorX();
        for (int x : {50, 200, 450}) {
            if (std::abs(x - cx) <= 4)
                continue;
            for (int y = 0; y < kHeight; y += 7) {
                ASSERT_EQ(img.pixel(x, y), first.pixel(x, y)) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(m_dia.waveformRenders(), 1);

    // A new width draws the waveform once more, from memory.
    m_dia.resize(kWidth / 2, kHeight);
    const QImage narrow = shot();
    EXPECT_EQ(m_dia.waveformRenders(), 2);
    const Extent e = waveExtent(narrow, m_dia.laneRect(0), 50, 250, s, s.background);
    EXPECT_NEAR(e.top, expectedY(m_dia.laneRect(0), 0.5), 1.5);
    shot();
    EXPECT_EQ(m_dia.waveformRenders(), 2);
}
