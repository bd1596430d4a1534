// The collections drawn by a real viewer at several zooms and offsets: colour where an item's
// outline must be, the picture where it must not be, and nothing outside an item's frames.
#include "support/MediaFixtures.h"
#include "support/FixtureRecipes.h"

#include "components/media/MediaCodes.h"
#include "components/overlay/OvCalib2Ds.h"
#include "components/overlay/OvGraphItems.h"
#include "components/overlay/OvMeasureScene.h"
#include "components/viewer/OvVView.h"

#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr QSize kPicture(200, 150);
const QColor kBack(30, 30, 30);

QString greyClip()
{
    FixtureRecipe recipe = FixtureRecipes::lossless(kPicture.width(), kPicture.height(), 4);
    recipe.painter = [](QImage& image, int) { image.fill(kBack); };
    return MediaFixtures::clip(QStringLiteral("overlay_grey.mkv"), recipe);
}

struct Probe {
    QPointF picture; // where, in picture pixels
    QColor colour;   // what must be there: an item's colour, or kBack for the bare picture
    const char* what;
};

bool near(QRgb pixel, const QColor& want, int tolerance)
{
    return std::abs(qRed(pixel) - want.red()) <= tolerance && std::abs(qGreen(pixel) - want.green()) <= tolerance
           && std::abs(qBlue(pixel) - want.blue()) <= tolerance;
}

// One way of looking at the picture: zoom, viewer size and the offset asked for.
struct Look {
    int zoom;
    QSize viewer;
    QPoint offset;
};
const Look kLooks[] = {
    {50, {100, 75}, {0, 0}},
    {100, {200, 150}, {0, 0}},
    {100, {150, 100}, {30, 20}},
    {200, {260, 200}, {60, 50}},
};

// Checks every probe that the look shows; returns how many it checked.
int checkProbes(OvVView& view, const std::vector<Probe>& probes, const Look& look)
{
    const QImage shot = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const PictureMapping map = view.mapping();
    int checked = 0;
    for (const Probe& p : probes) {
        const QPointF v = map.toViewer(p.picture);
        const QPoint px(int(std::floor(v.x())), int(std::floor(v.y())));
        if (!shot.rect().contains(px))
            continue;
        ++checked;
        const QRgb got = shot.pixel(px);
        const bool bare = p.colour == kBack;
        EXPECT_TRUE(near(got, p.colour, bare ? 16 : 70))
            << p.what << " at zoom " << look.zoom << " offset " << map.offsetX << "," << map.offsetY << ": got "
            << qRed(got) << "," << qGreen(got) << "," << qBlue(got);
    }
    return checked;
}

class OverlayDrawing : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString path = greyClip();
        ASSERT_FALSE(path.isEmpty());
        ASSERT_EQ(m_view.open(path, 131072), MediaOk);
    }
    // Shows the look and makes sure the viewer took the offset asked for.
    void show(const Look& look)
    {
        m_view.resize(look.viewer);
        m_view.setZoom(look.zoom);
        m_view.setOffsetX(look.offset.x());
        m_view.setOffsetY(look.offset.y());
        ASSERT_EQ(QPoint(m_view.offsetX(), m_view.offsetY()), look.offset);
    }
    OvGraphItems::Item add(int type, QColor colour, QPointF p0, QPointF p1, float size = 0, int first = 0,
                           int last = 3)
    {
        auto gi = OvGraphItems::newItem(type);
        gi->setColor(colour);
        gi->setStyle(type == OvGraphItem::Text ? 18 * 256 : 8); // width 5
        gi->setPoint(0, float(p0.x()), float(p0.y()));
        gi->setPoint(1, float(p1.x()), float(p1.y()));
        gi->setSize(size);
        gi->setFirstFrame(first);
        gi->setLastFrame(last);
        m_gis.add(gi);
        return gi;
    }
    OvVView m_view;
    OvGraphItems m_gis;
    OvMeasureScene m_scene;
};

} // namespace

TEST_F(OverlayDrawing, ItemsStandWhereTheirPointsAreAtEveryZoomAndOffset)
{
    const QColor red(255, 0, 0), green(0, 255, 0), cyan(0, 255, 255), magenta(255, 0, 255), white(255, 255, 255);
    add(OvGraphItem::Line, red, {20, 15}, {180, 15});
    add(OvGraphItem::Rectangle, green, {20, 40}, {70, 100});
    add(OvGraphItem::Ellipse, cyan, {130, 65}, {130, 65}, 25);
    add(OvGraphItem::Cross, magenta, {170, 120}, {170, 120}, 10);
    add(OvGraphItem::Line, white, {20, 135}, {60, 135}, 0, 2, 2); // frame 2 only
    m_view.setCollections(&m_gis, nullptr, nullptr);

    const std::vector<Probe> probes = {
        {{100, 15}, red, "line middle"},
        {{100, 21}, kBack, "beside the line"},
        {{187, 15}, kBack, "beyond the line's end"},
        {{20, 70}, green, "rectangle left edge"},
        {{45, 40}, green, "rectangle top edge"},
        {{45, 70}, kBack, "inside the rectangle"},
        {{12, 70}, kBack, "left of the rectangle"},
        {{155, 65}, cyan, "circle right"},
        {{130, 40}, cyan, "circle top"},
        {{130, 65}, kBack, "circle centre"},
        {{140, 72}, kBack, "inside the circle"},
        {{176, 120}, magenta, "cross right arm"},
        {{170, 113}, magenta, "cross upper arm"},
        {{176, 114}, kBack, "between the cross's arms"},
        {{188, 120}, kBack, "beyond the cross's arm"},
        {{40, 135}, kBack, "a line of another frame"},
    };
    int checked = 0;
    for (const Look& look : kLooks) {
        show(look);
        checked += checkProbes(m_view, probes, look);
    }
    EXPECT_GT(checked, 40);

    // On its frame the frame-bound line is drawn, and the others still are.
    m_view.setCurrentFrame(2);
    show(kLooks[1]);
    checkProbes(m_view, {{{40, 135}, white, "line of frame 2"}, {{100, 15}, red, "line middle"}}, kLooks[1]);
}

TEST_F(OverlayDrawing, TextsStandBelowAndRightOfTheirPointInTheirSize)
{
    const QColor yellow(255, 255, 0);
    auto text = add(OvGraphItem::Text, yellow, {60, 50}, {60, 50});
    text->setText(QStringLiteral("MMMM"));
    m_view.setCollections(&m_gis, nullptr, nullptr);
    for (const Look& look : kLooks) {
        show(look);
        const QImage shot = m_view.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const PictureMapping map = m_view.mapping();
        // The text's box in the viewer, from its box in picture pixels.
        const QRectF box = text->textBox();
        const QRect inViewer = QRectF(map.toViewer(box.topLeft()), map.toViewer(box.bottomRight())).toRect();
        int inside = 0, outside = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (near(shot.pixel(x, y), yellow, 60))
                    ++(inViewer.adjusted(-2, -2, 2, 2).contains(x, y) ? inside : outside);
        // Enough of the text shows, all within its box (the part of the box in view).
        const QRect seen = inViewer.intersected(shot.rect());
        EXPECT_GT(inside, seen.width() * seen.height() / 20) << "zoom " << look.zoom;
        EXPECT_EQ(outside, 0) << "zoom " << look.zoom;
    }
}

TEST_F(OverlayDrawing, MeasurementsDrawLegsArcsAndEndMarks)
{
    auto cal = OvCalib2Ds().newCalib2D(kPicture);
    const QColor red(255, 0, 0), green(0, 255, 0);
    const auto frac = [](double x, double y) { return QPointF(x / kPicture.width(), y / kPicture.height()); };

    auto angle = OvMeasureScene::newAngle();
    angle->setType(OvAngle::ThreePoints);
    angle->setCalib(cal);
    angle->setColor(red);
    angle->setLineWidth(3);
    angle->setShowArc(true);
    angle->setArcRadius(55);
    angle->setOrientation(true); // the quarter turn, not the three quarters around it
    angle->setLastFrame(3);
    const QPointF pts[] = {frac(40, 30), frac(40, 110), frac(120, 110)}; // right angle at (40, 110)
    for (int i = 0; i < 3; ++i)
        angle->setPoint(i, float(pts[i].x()), float(pts[i].y()));
    m_scene.angles().add(angle);

    auto dist = OvMeasureScene::newDistance();
    dist->setCalib(cal);
    dist->setColor(green);
    dist->setLineWidth(3);
    dist->setEndMarks(1);
    dist->setLastFrame(3);
    dist->setPoint(0, float(frac(160, 30).x()), float(frac(160, 30).y()));
    dist->setPoint(1, float(frac(160, 130).x()), float(frac(160, 130).y()));
    m_scene.distances().add(dist);
    m_view.setCollections(nullptr, &m_scene.distances(), &m_scene.angles());

    // The arc of the quarter turn crosses the bisector at half the shorter leg (40 pixels).
    const double r = 40.0 / std::sqrt(2.0);
    const std::vector<Probe> probes = {
        {{40, 70}, red, "first leg"},
        {{80, 110}, red, "second leg"},
        {{40 + r, 110 - r}, red, "arc on the bisector"},
        {{55, 95}, kBack, "inside the arc"},
        {{90, 60}, kBack, "outside the arc"},
        {{160, 80}, green, "distance line"},
        {{166, 80}, kBack, "beside the distance"},
    };
    int checked = 0;
    for (const Look& look : kLooks) {
        show(look);
        checked += checkProbes(m_view, probes, look);
        // The end mark runs across the line's end, beyond the point marks.
        const PictureMapping map = m_view.mapping();
        const QPointF end = map.toViewer(QPointF(160, 30));
        const QImage shot = m_view.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QPoint tick(int(std::floor(end.x() + 5.0)), int(std::floor(end.y())));
        if (shot.rect().contains(tick)) {
            EXPECT_TRUE(near(shot.pixel(tick), green, 70)) << "end mark at zoom " << look.zoom;
        }
    }
    EXPECT_GT(checked, 20);

    // The legs taken the other way round: the arc turns the three quarters around the vertex
    // and leaves the quarter between the legs free.
    angle->setPoint(0, float(pts[2].x()), float(pts[2].y()));
    angle->setPoint(2, float(pts[0].x()), float(pts[0].y()));
    show(kLooks[1]);
    EXPECT_EQ(checkProbes(m_view, {{{40 + r, 110 - r}, kBack, "the quarter between the legs"},
                                   {{40 - r, 110 + r}, red, "arc opposite the legs"}},
                          kLooks[1]),
              2);

    // Outside their frames nothing is drawn.
    angle->setFirstFrame(2);
    dist->setFirstFrame(2);
    show(kLooks[1]);
    checkProbes(m_view, {{{40, 70}, kBack, "leg of another frame"}, {{160, 80}, kBack, "distance of another frame"}},
                kLooks[1]);
}
