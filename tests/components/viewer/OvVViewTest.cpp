// The viewer widget: which frame and which part of it it shows at a zoom and offset, the mouse
// in picture pixels, the collections drawn above the picture, and a refused file.
#include "support/MediaFixtures.h"
#include "support/FixtureRecipes.h"

#include "components/media/DecodeAhead.h"
#include "components/media/FrameCache.h"
#include "components/media/FramePattern.h"
#include "components/media/MediaCodes.h"
#include "components/viewer/OvVView.h"
#include "components/viewer/OverlayCollection.h"
#include "components/viewer/PictureMapping.h"
#include "support/TestPaths.h"

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr int kBlock = 16;

QString patternClip()
{
    FixtureRecipe recipe = FixtureRecipes::lossless(176, 144, 12);
    return MediaFixtures::clip(QStringLiteral("viewer_pattern.mkv"), recipe);
}

// Blocks of 16 x 16 pixels in colours far apart, so the colour under a point names its block.
QString blockClip()
{
    FixtureRecipe recipe = FixtureRecipes::lossless(160, 128, 3);
    recipe.painter = [](QImage& image, int) {
        QPainter p(&image);
        for (int by = 0; by * kBlock < image.height(); ++by)
            for (int bx = 0; bx * kBlock < image.width(); ++bx)
                p.fillRect(bx * kBlock, by * kBlock, kBlock, kBlock,
                           QColor((bx * 67) % 256, (by * 97 + bx * 13) % 256, ((bx + by) * 41) % 256));
    };
    return MediaFixtures::clip(QStringLiteral("viewer_blocks.mkv"), recipe);
}

QImage shown(OvVView& view) { return view.grab().toImage().convertToFormat(QImage::Format_RGB32); }

int shownNumber(OvVView& view) { return MediaFixtures::shownNumber(shown(view)); }

bool near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

struct MouseRecord {
    int flags = -1, x = 0, y = 0;
    double xImg = 0, yImg = 0;
};

void send(QWidget& w, QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons buttons,
          Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QMouseEvent event(type, pos, w.mapToGlobal(pos), button, buttons, mods);
    QApplication::sendEvent(&w, &event);
}

// Draws a filled square given in picture pixels on frames first .. last.
class SquareOverlay final : public OverlayCollection {
public:
    SquareOverlay(QRectF square, int first, int last) : m_square(square), m_first(first), m_last(last) {}
    void draw(QPainter& painter, const PictureMapping& map, int frame) const override
    {
        if (frame < m_first || frame > m_last)
            return;
        painter.fillRect(QRectF(map.toViewer(m_square.topLeft()), map.toViewer(m_square.bottomRight())), Qt::magenta);
    }

private:
    QRectF m_square;
    int m_first, m_last;
};

} // namespace

TEST(OvVView, ShowsFrameZeroAfterOpeningThenTheFrameAsked)
{
    const QString path = patternClip();
    ASSERT_FALSE(path.isEmpty());
    OvVView view;
    ASSERT_EQ(view.open(path, 131072), MediaOk);
    EXPECT_EQ(view.pictureWidth(), 176);
    EXPECT_EQ(view.pictureHeight(), 144);
    EXPECT_EQ(view.frameCount(), 12);
    EXPECT_EQ(view.path(), path);
    view.resize(176, 144);
    EXPECT_EQ(view.currentFrame(), 0);
    EXPECT_EQ(shownNumber(view), 0);
    view.setCurrentFrame(7);
    EXPECT_EQ(shownNumber(view), 7);
    view.setCurrentFrame(99); // kept within the file
    EXPECT_EQ(view.currentFrame(), 11);
    EXPECT_EQ(shownNumber(view), 11);
    view.setCurrentFrame(-3);
    EXPECT_EQ(shownNumber(view), 0);
}

TEST(OvVView, ReducedAndEnlargedPicturesShowTheRightFrame)
{
    OvVView view;
    ASSERT_EQ(view.open(patternClip(), 0), MediaOk);
    for (int zoom : {50, 37, 100, 200}) {
        view.setZoom(zoom);
        view.resize(view.scaledSize());
        for (int frame : {3, 10}) {
            view.setCurrentFrame(frame);
            EXPECT_EQ(shownNumber(view), frame) << "zoom " << zoom;
        }
    }
    EXPECT_EQ(OvVView::scaledSize(QSize(176, 144), 50), QSize(88, 72));
    EXPECT_EQ(OvVView::scaledSize(QSize(173, 145), 50), QSize(86, 72)); // 86.5 and 72.5 go to even
}

TEST(OvVView, OffsetShowsThatPartOfThePictureAndIsLimited)
{
    OvVView view;
    ASSERT_EQ(view.open(patternClip(), 0), MediaOk);
    view.setCurrentFrame(5);
    const QImage full = view.picture(100).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(full.size(), QSize(176, 144));
    view.resize(100, 60);
    view.setOffsetX(40);
    view.setOffsetY(20);
    EXPECT_EQ(shown(view), full.copy(40, 20, 100, 60));

    // At 200 % each picture pixel covers two by two viewer pixels.
    view.setZoom(200);
    view.setOffsetX(61);
    view.setOffsetY(33);
    const QImage big = shown(view);
    for (int y = 0; y < 60; y += 3)
        for (int x = 0; x < 100; x += 3)
            ASSERT_EQ(big.pixel(x, y), full.pixel((x + 61) / 2, (y + 33) / 2)) << x << "," << y;

    view.setOffsetX(-5);
    EXPECT_EQ(view.offsetX(), 0);
    view.setOffsetX(100000);
    view.setOffsetY(100000);
    EXPECT_EQ(view.offsetX(), 352 - 100);
    EXPECT_EQ(view.offsetY(), 288 - 60);
    view.setZoom(50); // 88 x 72: nothing left to scroll across, 12 pixels down
    EXPECT_EQ(view.offsetX(), 0);
    EXPECT_EQ(view.offsetY(), 72 - 60);
}

TEST(OvVView, MousePointMapsToThePictureAtEveryZoomAndOffset)
{
    OvVView view;
    ASSERT_EQ(view.open(blockClip(), 0), MediaOk);
    const QImage picture = view.picture(100).convertToFormat(QImage::Format_RGB32);
    view.resize(100, 80);
    MouseRecord rec;
    QObject::connect(&view, &OvVView::SpecialMouseDown, [&](int f, int x, int y, double xi, double yi) {
        rec = {f, x, y, xi, yi};
    });
    int checked = 0;
    for (int zoom : {25, 50, 73, 100, 150, 200, 333}) {
        for (QPoint offset : {QPoint(0, 0), QPoint(7, 5), QPoint(100000, 100000)}) {
            view.setZoom(zoom);
            view.setOffsetX(offset.x());
            view.setOffsetY(offset.y());
            const QImage screen = shown(view);
            const double scale = double(view.scaledSize().width()) / picture.width();
            const double margin = 1.5 / scale + 1;
            for (int y = 1; y < 80; y += 6) {
                for (int x = 1; x < 100; x += 6) {
                    send(view, QEvent::MouseButtonPress, QPointF(x, y), Qt::LeftButton, Qt::LeftButton);
                    send(view, QEvent::MouseButtonRelease, QPointF(x, y), Qt::LeftButton, Qt::NoButton);
                    ASSERT_EQ(rec.flags, 1);
                    ASSERT_EQ(rec.x, x);
                    ASSERT_EQ(rec.y, y);
                    // The point on the picture lies where the viewer drew that pixel from.
                    const double bx = std::fmod(rec.xImg, kBlock);
                    const double by = std::fmod(rec.yImg, kBlock);
                    if (rec.xImg >= picture.width() || rec.yImg >= picture.height() || bx < margin ||
                        bx > kBlock - margin || by < margin || by > kBlock - margin)
                        continue;
                    const QRgb want = picture.pixel(int(rec.xImg), int(rec.yImg));
                    ASSERT_TRUE(near(screen.pixel(x, y), want, 12))
                        << "zoom " << zoom << " offset " << view.offsetX() << "," << view.offsetY() << " at " << x
                        << "," << y << " -> " << rec.xImg << "," << rec.yImg;
                    // And back: a point placed there is drawn under the mouse again.
                    const QPointF back = view.mapping().toViewer(QPointF(rec.xImg, rec.yImg));
                    ASSERT_NEAR(back.x(), x, 1e-9);
                    ASSERT_NEAR(back.y(), y, 1e-9);
                    ++checked;
                }
            }
        }
    }
    EXPECT_GT(checked, 500);

    // Sub-pixel positions keep their fraction in picture pixels.
    view.setZoom(200);
    view.setOffsetX(10);
    view.setOffsetY(0);
    send(view, QEvent::MouseButtonPress, QPointF(20.5, 3.25), Qt::LeftButton, Qt::LeftButton);
    send(view, QEvent::MouseButtonRelease, QPointF(20.5, 3.25), Qt::LeftButton, Qt::NoButton);
    EXPECT_DOUBLE_EQ(rec.xImg, 15.25);
    EXPECT_DOUBLE_EQ(rec.yImg, 1.625);
}

TEST(OvVView, MouseEventsPackButtonAndKeysAndClickFollowsARelease)
{
    OvVView view;
    ASSERT_EQ(view.open(patternClip(), 0), MediaOk);
    view.resize(176, 144);
    std::vector<std::pair<char, int>> events;
    QObject::connect(&view, &OvVView::SpecialMouseDown, [&](int f, int, int, double, double) { events.push_back({'D', f}); });
    QObject::connect(&view, &OvVView::SpecialMouseMove, [&](int f, int, int, double, double) { events.push_back({'M', f}); });
    QObject::connect(&view, &OvVView::SpecialMouseUp, [&](int f, int, int, double, double) { events.push_back({'U', f}); });
    QObject::connect(&view, &OvVView::Click, [&] { events.push_back({'C', 0}); });

    send(view, QEvent::MouseButtonPress, QPointF(10, 10), Qt::RightButton, Qt::RightButton,
         Qt::ShiftModifier | Qt::ControlModifier);
    send(view, QEvent::MouseButtonRelease, QPointF(10, 10), Qt::RightButton, Qt::NoButton);
    send(view, QEvent::MouseButtonPress, QPointF(20, 20), Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
    send(view, QEvent::MouseMove, QPointF(30, 25), Qt::NoButton, Qt::LeftButton, Qt::ShiftModifier);
    send(view, QEvent::MouseButtonRelease, QPointF(500, 25), Qt::LeftButton, Qt::NoButton, Qt::AltModifier);
    const std::vector<std::pair<char, int>> want = {
        {'D', 2 + 4 * 3}, {'U', 2}, {'C', 0}, {'D', 1 + 4}, {'M', 1 + 4}, {'U', 1 + 4 * 4}, // released outside: no Click
    };
    EXPECT_EQ(events, want);
}

TEST(OvVView, CollectionsAreDrawnAboveThePictureOnTheirFramesOnly)
{
    OvVView view;
    ASSERT_EQ(view.open(patternClip(), 0), MediaOk);
    const SquareOverlay square(QRectF(40, 30, 20, 10), 2, 4);
    view.setCollections(&square, nullptr, nullptr);
    view.resize(120, 100);
    view.setZoom(200);
    view.setOffsetX(50);
    view.setOffsetY(40);
    // Picture (40,30)..(60,40) lies at viewer (30,20)..(70,40) at this zoom and offset.
    const QRgb magenta = QColor(Qt::magenta).rgb();
    view.setCurrentFrame(3);
    QImage image = shown(view);
    EXPECT_EQ(image.pixel(31, 21), magenta);
    EXPECT_EQ(image.pixel(68, 38), magenta);
    EXPECT_NE(image.pixel(72, 38), magenta);
    EXPECT_NE(image.pixel(31, 42), magenta);
    view.setCurrentFrame(5);
    EXPECT_NE(shown(view).pixel(31, 21), magenta);
    view.setCollections(nullptr, nullptr, nullptr);
    view.setCurrentFrame(3);
    EXPECT_NE(shown(view).pixel(31, 21), magenta);
}

TEST(OvVView, RefusedFileKeepsTheShownOneAndCloseEmptiesTheViewer)
{
    OvVView view;
    const QString good = patternClip();
    ASSERT_EQ(view.open(good, 0), MediaOk);
    view.resize(176, 144);
    view.setBackColor(QColor(1, 2, 3));
    view.setCurrentFrame(4);
    EXPECT_EQ(view.open(TestPaths::scratchDir() + QStringLiteral("/no such file.avi"), 0), MediaFileMissing);
    EXPECT_TRUE(view.isOpen());
    EXPECT_EQ(view.path(), good);
    EXPECT_EQ(shownNumber(view), 4);

    view.close();
    EXPECT_FALSE(view.isOpen());
    EXPECT_TRUE(view.picture(100).isNull());
    EXPECT_FALSE(view.copyToClipboard());
    const QImage empty = shown(view);
    EXPECT_EQ(empty.pixel(0, 0), qRgb(1, 2, 3));
    EXPECT_EQ(empty.pixel(175, 143), qRgb(1, 2, 3));
}

TEST(OvVView, PictureAndClipboardHoldTheCurrentFrameWithItsCollections)
{
    OvVView view;
    ASSERT_EQ(view.open(patternClip(), 0), MediaOk);
    view.setCurrentFrame(9);
    const QImage half = view.picture(50);
    EXPECT_EQ(half.size(), QSize(88, 72));
    EXPECT_EQ(MediaFixtures::shownNumber(view.picture(100)), 9);

    const SquareOverlay square(QRectF(100, 100, 10, 10), 0, 20);
    view.setCollections(nullptr, nullptr, &square);
    view.setZoom(50); // the clipboard gets the frame at its own size whatever the zoom
    ASSERT_TRUE(view.copyToClipboard());
    const QImage copied = QApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(176, 144));
    EXPECT_EQ(MediaFixtures::shownNumber(copied), 9);
    EXPECT_EQ(copied.pixel(105, 105), QColor(Qt::magenta).rgb());
}

TEST(OvVView, PlayingShowsFramesTheWorkerHandsOverAndStoppingShowsTheCurrentOne)
{
    const QString path = MediaFixtures::gopClip();
    ASSERT_FALSE(path.isEmpty());
    OvVView view;
    ASSERT_EQ(view.open(path, 131072), MediaOk);
    view.resize(view.scaledSize());
    view.source().cache().removeOwner(view.source().cacheOwner());
    ASSERT_EQ(shownNumber(view), 0);

    view.setPlaying(true);
    int previous = 0;
    for (const int n : {3, 4, 9, 30, 31, 45}) {
        view.setCurrentFrame(n);
        // Never decoded here: the frame as soon as the worker has it, else the one before.
        const int seen = shownNumber(view);
        EXPECT_TRUE(seen == n || seen == previous) << "frame " << n << " showed " << seen;
        DecodeAhead* worker = view.source().decodeAheadWorker();
        ASSERT_NE(worker, nullptr);
        ASSERT_TRUE(worker->waitIdle(120000));
        QCoreApplication::processEvents();
        EXPECT_EQ(shownNumber(view), n);
        // The window ahead of the shown frame is decoded too.
        for (int k = n; k < std::min(n + 8, view.frameCount()); ++k)
            EXPECT_TRUE(view.source().isDecoded(k)) << "frame " << k << " after " << n;
        previous = n;
    }

    // Stopping on a frame the worker never reached shows that frame.
    view.setCurrentFrame(58);
    view.source().decodeAheadWorker()->cancel();
    view.setPlaying(false);
    EXPECT_EQ(shownNumber(view), 58);
}
