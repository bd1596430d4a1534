// Drawing and measuring on a view with the mouse, as a user does it: every drawing tool at
// several zooms, freehand strokes, text typing, the calibration question and the calibration
// through the real dialog (the file's pixel aspect, units, cancelling and abandoning it), the
// four angle kinds by clicks and drags, distances and where their labels stand, the stopwatch,
// removal, the right click, panning and the zoom gesture.
#include "ViewFixtures.h"
#include "ViewMouse.h"

#include "app/M_Rc.h"
#include "graphics/M_OvGS.h"
#include "support/FixtureRecipes.h"
#include "support/ScriptedDialogs.h"
#include "util/M_Misc.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"

#include <QLabel>
#include <QTest>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

using namespace ViewMouse;
using ViewFixtures::shown;

namespace {

constexpr int kLine = 2, kFreehand = 1, kCircle = 3, kRect = 4, kText = 5, kCross = 6, kClock = 7;
constexpr int kAngle2Lines = 10, kAngle3Points = 14, kAngleHorz = 17, kAngleVert = 19, kDist = 22;

QString clip() { return ViewFixtures::clip(QStringLiteral("draw.mkv"), 320, 240, 12); }

class DrawTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        M_Rc::setRcOffset(M_Rc::key2rcOffset(QStringLiteral("ENU")));
        ctrl.ctrls_load(&window, &window);
        ctrl.setWH(420, 360);
        ASSERT_TRUE(ctrl.vws_setNum(1));
        vw = ctrl.Vws(0);
        ASSERT_TRUE(load(-1));
        ctrl.DrwColor(QColor(255, 0, 255));
    }
    void TearDown() override { ctrl.preTerminate(); }

    bool load(int zoom, int offX = 0, int offY = 0)
    {
        const bool ok = vw->vidLoadFile(clip(), 0, offX, offY, zoom);
        ctrl.ctrls_resize();
        return ok;
    }
    OvVView* viewer() { return vw->viewer(); }
    QPoint at(QPointF picturePt) { return ViewMouse::at(viewer(), picturePt); }
    QPointF pic(QPointF picturePt) { return picture(viewer(), at(picturePt)); }
    void tool(int action) { ctrl.vws_setVwAction(action); }

    // Calibrates through the question of a measuring tool and the real dialog: 1 m over the
    // line (a, b) of the picture with square pixels unless told otherwise.
    void calibrate(QPointF a, QPointF b, const QString& aspect = QStringLiteral("1:1"))
    {
        dialogs->messageAnswers.push_back(6); // Yes, calibrate now
        answerCalibDialog(&window, QStringLiteral("1"), 0, aspect);
        click(viewer(), at(a));
        ASSERT_EQ(vw->VwAction(), 8) << "the reference line is drawn next";
        drag(viewer(), at(a), at(b));
    }
    // Calibrates again from the view's menu (which drops the tool): one unit over the line (a, b),
    // no line drawn when a is null.
    void recalibrate(QPointF a, QPointF b, int unit, const QString& aspect, Close close = Close::Ok,
                     QString* offered = nullptr)
    {
        dialogs->menuAnswers.push_back(QStringLiteral("CVwCtrl_Vw_Calib"));
        answerCalibDialog(&window, QStringLiteral("1"), unit, aspect, close, offered);
        click(viewer(), at({310, 230}), Qt::RightButton);
        if (close == Close::Ok && !a.isNull())
            drag(viewer(), at(a), at(b));
    }
    // The hint that asks for the reference line, when shown.
    QLabel* hint() const
    {
        for (auto* l : vw->panel()->findChildren<QLabel*>())
            if (l->objectName().startsWith(QStringLiteral("CVw_lblHint_")) && !l->isHidden())
                return l;
        return nullptr;
    }
    std::vector<QString> messageTexts() const
    {
        std::vector<QString> out;
        for (const auto& m : dialogs->messages)
            out.push_back(m.text);
        return out;
    }

    ScopedDialogs dialogs;
    ViewFixtures::Window window;
    CVwCtrl ctrl;
    CVw* vw = nullptr;
};

double dist(QPointF a, QPointF b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); }

} // namespace

TEST_F(DrawTest, LineCircleRectangleAndCrossStandWhereTheMouseWasAtEveryZoom)
{
    struct Zoom {
        int zoom, offX, offY;
    };
    for (const Zoom z : {Zoom{-1, 0, 0}, Zoom{100, 0, 0}, Zoom{250, 180, 120}}) {
        SCOPED_TRACE(z.zoom);
        ASSERT_TRUE(load(z.zoom, z.offX, z.offY));
        vw->graphObj_rmAll();
        const double tol = 1.0 / viewer()->mapping().scaleX() + 0.5; // a viewer pixel, and a whole-pixel round
        // Points inside the part of the picture that is shown, off the pixel grid.
        const QPointF a = picture(viewer(), QPoint(60, 50)) + QPointF(0.3, 0.6);
        const QPointF b = a + QPointF(49.9, 39.8);
        const QImage before = shown(viewer());

        tool(kLine);
        drag(viewer(), at(a), at(b));
        ASSERT_EQ(vw->graphObj_count(), 1);
        auto line = vw->m_ovGis->item(1);
        EXPECT_EQ(line->type(), OvGraphItem::Line);
        EXPECT_LT(dist(line->point(0), a), tol);
        EXPECT_LT(dist(line->point(1), b), tol);
        EXPECT_EQ(line->color(), QColor(255, 0, 255));
        // It is drawn in its place: the viewer pixel over the line's middle changed.
        const QImage after = shown(viewer());
        const QPoint mid = at((a + b) / 2);
        EXPECT_NE(after.pixel(mid), before.pixel(mid));
        EXPECT_EQ(after.pixel(at(a + QPointF(0, 30))), before.pixel(at(a + QPointF(0, 30)))) << "nothing beside it";

        tool(kCircle); // the line tool is dropped for the circle tool
        drag(viewer(), at(a), at(b));
        auto circle = vw->m_ovGis->item(2);
        EXPECT_EQ(circle->type(), OvGraphItem::Ellipse);
        EXPECT_LT(dist(circle->point(0), (a + b) / 2), tol);
        EXPECT_NEAR(circle->size(), dist(a, b) / 2 + 1, tol);

        tool(kRect);
        drag(viewer(), at(a), at(b));
        auto rect = vw->m_ovGis->item(3);
        EXPECT_EQ(rect->type(), OvGraphItem::Rectangle);
        EXPECT_LT(dist(rect->point(0), a), tol);
        EXPECT_LT(dist(rect->point(1), b), tol);

        tool(kCross);
        click(viewer(), at(a));
        auto cross = vw->m_ovGis->item(4);
        EXPECT_EQ(cross->type(), OvGraphItem::Cross);
        EXPECT_LT(dist(cross->point(0), a), tol);
        EXPECT_EQ(vw->graphObj_count(), 4);
        // Each item stands in the frame it was drawn in only.
        EXPECT_EQ(cross->firstFrame(), 0);
        EXPECT_EQ(cross->lastFrame(), 0);
        tool(kCross); // off
    }
    EXPECT_TRUE(dialogs->messages.empty()) << dialogs->messages[0].text.toStdString();
}

TEST_F(DrawTest, FreehandStrokeIsOneItemOfNSegmentsAndAClickLeavesNoLine)
{
    vw->vidShowFra(3);
    tool(kFreehand);
    const QPoint p0 = at({40, 40});
    press(viewer(), p0);
    const int n = 6;
    for (int i = 1; i <= n; ++i)
        move(viewer(), at({40.0 + 12 * i, 40.0 + 3 * i * i}));
    release(viewer(), at({40.0 + 12 * n, 40.0 + 3 * n * n}));
    ASSERT_EQ(vw->graphObj_count(), n);
    const int id = vw->m_ovGis->item(1)->id();
    for (int i = 1; i <= n; ++i) {
        EXPECT_EQ(vw->m_ovGis->item(i)->id(), id);
        EXPECT_EQ(vw->m_ovGis->item(i)->firstFrame(), 3);
    }
    EXPECT_GT(window.enableCalls, 0) << "the tool bars follow the new items";

    // A click with the line tool leaves nothing; Undo removes the stroke as one.
    tool(kLine);
    click(viewer(), at({200, 200}));
    EXPECT_EQ(vw->graphObj_count(), n);
    vw->graphObj_rmLast();
    EXPECT_EQ(vw->graphObj_count(), 0);
    vw->graphObj_rmLast(); // nothing left: nothing happens
    EXPECT_EQ(vw->graphObj_count(), 0);
}

TEST_F(DrawTest, ShiftDragPansAndAShiftReleaseDoesNotFinishTheLine)
{
    ASSERT_TRUE(load(200));
    tool(kLine);
    const QPoint a = at({60, 60});
    press(viewer(), a);
    move(viewer(), a + QPoint(40, 20));
    const QPointF end = vw->m_ovGis->item(1)->point(1);
    // Shift with the button held pans the picture; the line keeps its end.
    move(viewer(), a + QPoint(30, 10), Qt::LeftButton, Qt::ShiftModifier);
    move(viewer(), a + QPoint(10, 0), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(vw->m_AviOffsetX, 20);
    EXPECT_EQ(vw->m_AviOffsetY, 10);
    EXPECT_EQ(vw->m_ovGis->item(1)->point(1), end);
    release(viewer(), a + QPoint(10, 0), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_NE(vw->m_ovGiDrw, nullptr) << "still the line being drawn";
    // A plain release finishes it; a change of tool before that would have dropped it.
    release(viewer(), a + QPoint(50, 50));
    EXPECT_EQ(vw->m_ovGiDrw, nullptr);
    EXPECT_EQ(vw->graphObj_count(), 1);

    press(viewer(), a);
    move(viewer(), a + QPoint(20, 20));
    tool(kRect);
    EXPECT_EQ(vw->graphObj_count(), 1) << "the unfinished line went with the tool";
}

TEST_F(DrawTest, TextIsTypedWithBackspaceAndEndsWithTheNextPressOrTool)
{
    tool(kText);
    click(viewer(), at({30, 50}));
    EXPECT_TRUE(vw->m_IsTextInput);
    QTest::keyClicks(vw->panel(), QStringLiteral("Sprnt"));
    QTest::keyClick(vw->panel(), Qt::Key_Backspace);
    QTest::keyClick(vw->panel(), Qt::Key_Backspace);
    QTest::keyClicks(vw->panel(), QStringLiteral("int 2"));
    EXPECT_EQ(vw->m_ovGis->item(1)->text(), QStringLiteral("Sprint 2|"));

    // The next press ends it and starts another; an empty text disappears with the tool change.
    click(viewer(), at({30, 120}));
    EXPECT_EQ(vw->m_ovGis->item(1)->text(), QStringLiteral("Sprint 2"));
    EXPECT_EQ(vw->graphObj_count(), 2);
    tool(0);
    EXPECT_FALSE(vw->m_IsTextInput);
    EXPECT_EQ(vw->graphObj_count(), 1);
    QTest::keyClicks(vw->panel(), QStringLiteral("x"));
    EXPECT_EQ(vw->m_ovGis->item(1)->text(), QStringLiteral("Sprint 2")) << "no text is open";
}

TEST_F(DrawTest, MeasuringUncalibratedAsksAndNoKeepsTheTool)
{
    tool(kDist);
    dialogs->messageAnswers.push_back(7); // No
    click(viewer(), at({50, 50}));
    ASSERT_EQ(dialogs->messages.size(), 1u);
    EXPECT_EQ(dialogs->messages[0].text, QStringLiteral("For this task the video view has to be calibrated.\r\n"
                                                         "Do you want to calibrate now?"));
    EXPECT_EQ(dialogs->messages[0].style, 4 + 32);
    EXPECT_EQ(vw->graphObj_count(), 0);
    EXPECT_EQ(vw->VwAction(), kDist);

    // Yes, then Cancel or Escape in the dialog: nothing failed, so nothing is told; the tool stays.
    for (const Close close : {Close::Cancel, Close::Escape}) {
        dialogs->messageAnswers.push_back(6);
        answerCalibDialog(&window, QStringLiteral("1"), 0, QStringLiteral("1:1"), close);
        click(viewer(), at({50, 50}));
        EXPECT_EQ(messageTexts().back().left(8), QStringLiteral("For this"));
        EXPECT_FALSE(vw->isCalibrated());
        EXPECT_EQ(vw->VwAction(), kDist);
    }
    EXPECT_EQ(dialogs->messages.size(), 3u);

    // A length of 0 is refused by the dialog in words; the dialog stays until cancelled.
    dialogs->messageAnswers.push_back(6);
    answerCalibDialog(&window, QStringLiteral("0"), 0, QStringLiteral("1:1"));
    answerCalibDialog(&window, QStringLiteral("0"), 0, QString(), Close::Cancel);
    click(viewer(), at({50, 50}));
    EXPECT_EQ(messageTexts().back(), QStringLiteral("The calibration distance has to be greater than 0."));
    EXPECT_FALSE(vw->isCalibrated());
}

TEST_F(DrawTest, CalibrationLineSucceedsReplacesItselfOrFailsWithoutLength)
{
    tool(kDist);
    dialogs->messageAnswers.push_back(6);
    answerCalibDialog(&window, QStringLiteral("1"), 0, QStringLiteral("1:1"));
    click(viewer(), at({20, 200}));
    // After OK the view asks for the reference line over the picture, until it is drawn.
    ASSERT_NE(hint(), nullptr);
    EXPECT_EQ(hint()->text(), QStringLiteral("Now drag the calibration distance on the picture: press at one end, "
                                             "release at the other."));
    drag(viewer(), at({20, 200}), at({220, 200}));
    EXPECT_EQ(hint(), nullptr);
    EXPECT_EQ(messageTexts().back(), QStringLiteral("Calibration successful. You can measure now."));
    ASSERT_TRUE(vw->isCalibrated());
    EXPECT_EQ(vw->VwAction(), kDist) << "back to the tool that asked";
    EXPECT_EQ(vw->m_VwActionSave, 0);
    const int gid = vw->m_gidCalib;
    ASSERT_GE(gid, 0);
    EXPECT_EQ(vw->graphObj_count(), 3) << "two crosses and the line";
    EXPECT_EQ(vw->m_ovCal2D->unit(), 1);
    EXPECT_FLOAT_EQ(vw->m_ovCal2D->aspect(), 1.0f);
    EXPECT_NEAR(vw->m_ovCal2D->refPoint(1).x() * 320, pic({220, 200}).x(), 1e-3);

    // Calibrating again (inches, DV-PAL): the new line replaces the former one once it is drawn.
    recalibrate({20, 100}, {220, 100}, 3, QStringLiteral("DV-PAL"));
    EXPECT_NE(vw->m_gidCalib, gid);
    EXPECT_TRUE(M_OvGS::ovGi_get(*vw->m_ovGis, gid).empty());
    EXPECT_EQ(vw->graphObj_count(), 3);
    EXPECT_EQ(vw->m_ovCal2D->unit(), 4);
    EXPECT_FLOAT_EQ(vw->m_ovCal2D->aspect(), 1.356337f);

    // A reference line without length fails: the calibration and the line before it stay.
    const auto former = vw->m_ovCal2D;
    const int formerLine = vw->m_gidCalib;
    recalibrate({20, 150}, {20, 150}, 0, QStringLiteral("1:1"));
    EXPECT_EQ(messageTexts().back(), QStringLiteral("Calibration failed. Please repeat."));
    EXPECT_EQ(vw->m_ovCal2D, former);
    EXPECT_EQ(vw->m_gidCalib, formerLine);
    EXPECT_EQ(vw->graphObj_count(), 3);
    EXPECT_EQ(vw->VwAction(), 0) << "the menu's right click dropped the tool";
}

TEST_F(DrawTest, CancelEscapeOrAnAbandonedLineLeaveTheCalibrationInForce)
{
    tool(kDist);
    calibrate({20, 220}, {220, 220}); // 1 m over 200 pixels
    const auto former = vw->m_ovCal2D;
    const double pxPerM = dist(pic({20, 220}), pic({220, 220}));
    // Each way of not finishing a new calibration, then a distance measured as before.
    const std::function<void()> ways[] = {
        [&] { recalibrate({}, {}, 1, QStringLiteral("1:1"), Close::Cancel); },
        [&] { recalibrate({}, {}, 1, QStringLiteral("1:1"), Close::Escape); },
        [&] {
            recalibrate({}, {}, 1, QStringLiteral("1:1"), Close::Cancel);
            recalibrate({}, {}, 1, QStringLiteral("1:1"), Close::Ok);
            EXPECT_NE(hint(), nullptr);
            tool(kLine); // another tool before the line
        },
        [&] {
            recalibrate({}, {}, 1, QStringLiteral("1:1"), Close::Ok);
            press(viewer(), at({20, 30}));
            move(viewer(), at({60, 30}));
            click(viewer(), at({200, 30}), Qt::RightButton); // a right click in the middle of it
            release(viewer(), at({60, 30}));
        },
    };
    for (size_t i = 0; i < std::size(ways); ++i) {
        SCOPED_TRACE(i);
        const size_t told = dialogs->messages.size();
        ways[i]();
        EXPECT_EQ(dialogs->messages.size(), told) << "nothing failed";
        EXPECT_EQ(vw->m_ovCal2D, former);
        EXPECT_EQ(hint(), nullptr);
        EXPECT_EQ(vw->graphObj_count(), 3 + int(i)) << "the former line and the distances stand, the new line went";
        tool(kDist);
        dialogs->messageAnswers.push_back(7); // were the view left uncalibrated, it would ask
        drag(viewer(), at({40, 40}), at({40, 140}));
        EXPECT_EQ(dialogs->messageAnswers.size(), 1u) << "it did not ask";
        dialogs->messageAnswers.clear();
        const auto d = vw->m_ovMeasures->distances().item(vw->m_ovMeasures->distances().count());
        EXPECT_NEAR(d->value(), dist(pic({40, 40}), pic({40, 140})) / pxPerM, 1e-4);
    }
}

TEST_F(DrawTest, TheDialogOffersTheFilesPixelAspectAndLabelsNameTheirUnit)
{
    FixtureRecipe wide = FixtureRecipes::lossless(320, 240, 12);
    wide.sampleAspect = {16, 11};
    const QString wideClip = FixtureRecipes::writtenOnce(QStringLiteral("views"), QStringLiteral("sar.mkv"), wide);
    struct Case {
        QString clip;
        const char* offered;
        double aspect;
        int unit;
        const char* unitName;
    };
    const Case cases[] = {
        {clip(), "1:1", 1.0, 3, "in"}, {wideClip, "16:11", 16.0 / 11, 4, "ft"}, {clip(), "1:1", 1.0, 5, "yd"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offered);
        ASSERT_TRUE(vw->vidLoadFile(c.clip, 0, 0, 0, -1));
        ctrl.ctrls_resize();
        QString offered;
        recalibrate({20, 220}, {220, 220}, c.unit, {}, Close::Ok, &offered); // 1 unit over 200 pixels
        EXPECT_EQ(offered, QLatin1String(c.offered));
        EXPECT_NEAR(vw->m_ovCal2D->aspect(), c.aspect, 1e-6);
        // Upright, 100 pixels are half the reference's length in the picture's true proportions.
        tool(kDist);
        drag(viewer(), at({40, 40}), at({40, 140}));
        const auto d = vw->m_ovMeasures->distances().item(vw->m_ovMeasures->distances().count());
        const double reference = dist(pic({20, 220}), pic({220, 220})) * c.aspect;
        EXPECT_NEAR(d->value(), dist(pic({40, 40}), pic({40, 140})) / reference, 1e-4);
        EXPECT_EQ(M_OvGS::ovGi_get1st(*vw->m_ovGis, d->userData())->text(),
                  M_OvGS::format00(d->value()) + u' ' + QLatin1String(c.unitName));
    }
}

TEST_F(DrawTest, EveryAngleKindFromItsClicksAndAHalfAngleGoesWithTheTool)
{
    tool(kAngle3Points);
    calibrate({20, 220}, {120, 220});
    // Three points: a right angle at the middle point, with the mouse following between clicks.
    click(viewer(), at({100, 60}));
    move(viewer(), at({150, 70}), Qt::NoButton);
    EXPECT_EQ(vw->VwAction(), 15);
    click(viewer(), at({100, 160}));
    click(viewer(), at({200, 160}));
    EXPECT_EQ(vw->VwAction(), kAngle3Points) << "complete: the next click starts a new angle";
    ASSERT_EQ(vw->m_ovMeasures->angles().count(), 1);
    auto angle = vw->m_ovMeasures->angles().item(1);
    const QPointF p0 = pic({100, 60}), p1 = pic({100, 160}), p2 = pic({200, 160});
    const double want = std::abs(std::atan2(p0.y() - p1.y(), p0.x() - p1.x()) - std::atan2(p2.y() - p1.y(), p2.x() - p1.x())) * 180 / M_PI;
    EXPECT_NEAR(angle->value(), want, 0.01);
    // Its label shares its id and shows the value.
    const auto label = M_OvGS::ovGi_get1st(*vw->m_ovGis, angle->userData());
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), M_OvGS::format00(angle->value()) + QChar(0x00B0));

    // To the horizontal and to the vertical: two clicks each.
    tool(kAngleHorz);
    click(viewer(), at({60, 100}));
    click(viewer(), at({160, 40}));
    tool(kAngleVert);
    click(viewer(), at({60, 100}));
    click(viewer(), at({160, 40}));
    ASSERT_EQ(vw->m_ovMeasures->angles().count(), 3);
    const QPointF h0 = pic({60, 100}), h1 = pic({160, 40});
    const double horz = std::atan2(h0.y() - h1.y(), h1.x() - h0.x()) * 180 / M_PI;
    EXPECT_NEAR(vw->m_ovMeasures->angles().item(2)->value(), horz, 0.01);
    EXPECT_NEAR(vw->m_ovMeasures->angles().item(3)->value(), 90 - horz, 0.01);

    // Two lines: four clicks. After two of them a change of tool removes the half-placed angle.
    tool(kAngle2Lines);
    click(viewer(), at({40, 40}));
    click(viewer(), at({140, 40}));
    EXPECT_EQ(vw->VwAction(), 12);
    const int labels = vw->graphObj_count();
    tool(kLine);
    EXPECT_EQ(vw->m_ovMeasures->angles().count(), 3);
    EXPECT_EQ(vw->graphObj_count(), labels - 1);
    tool(kAngle2Lines);
    for (QPointF p : {QPointF(40, 40), QPointF(140, 40), QPointF(40, 60), QPointF(140, 160)})
        click(viewer(), at(p));
    ASSERT_EQ(vw->m_ovMeasures->angles().count(), 4);
    const QPointF a = pic({40, 40}), b = pic({140, 40}), c = pic({40, 60}), d = pic({140, 160});
    // Counted counter-clockwise on the screen from line 1 to line 2 (y grows downwards), in [0, 360).
    const double lines = (std::atan2(c.y() - d.y(), d.x() - c.x()) - std::atan2(a.y() - b.y(), b.x() - a.x())) * 180 / M_PI;
    EXPECT_NEAR(vw->m_ovMeasures->angles().item(4)->value(), std::fmod(lines + 360, 360), 0.01);
    EXPECT_EQ(vw->VwAction(), kAngle2Lines);
    // Choosing a tool keeps complete angles.
    tool(kDist);
    EXPECT_EQ(vw->m_ovMeasures->angles().count(), 4);
}

TEST_F(DrawTest, AngleDragsCountAsTwoClicksAndLeaveTheAngleBeforeAlone)
{
    tool(kDist);
    calibrate({20, 220}, {220, 220});
    struct Case {
        int tool;
        std::vector<std::pair<QPointF, QPointF>> gestures; // press and release points of each
        double reading;
    };
    const Case cases[] = {
        {kAngleHorz, {{{40, 60}, {100, 30}}}, std::atan2(30, 60) * 180 / M_PI},
        {kAngle3Points, {{{60, 40}, {60, 90}}, {{120, 60}, {120, 60}}}, 90 - std::atan2(30, 60) * 180 / M_PI},
        {kAngle2Lines, {{{40, 40}, {120, 40}}, {{40, 60}, {120, 100}}}, 360 - std::atan2(40, 80) * 180 / M_PI},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tool);
        tool(c.tool);
        for (const QPointF shift : {QPointF(0, 0), QPointF(150, 100)})
            for (const auto& [from, to] : c.gestures)
                drag(viewer(), at(from + shift), at(to + shift));
        const auto& angles = vw->m_ovMeasures->angles();
        ASSERT_GE(angles.count(), 2);
        const auto first = angles.item(angles.count() - 1);
        const auto second = angles.item(angles.count());
        EXPECT_NE(first->userData(), second->userData());
        // The first angle keeps the points its gestures gave it: each press, and each release
        // away from it.
        int idx = 0;
        for (const auto& [from, to] : c.gestures)
            for (const QPointF p : from == to ? std::vector<QPointF>{from} : std::vector<QPointF>{from, to}) {
                const QPointF f = pic(p);
                EXPECT_LT(dist(first->point(idx++), QPointF(f.x() / 320, f.y() / 240)), 1e-4) << idx;
            }
        EXPECT_NEAR(first->value(), c.reading, 1.0);
        EXPECT_NEAR(second->value(), c.reading, 1.0);
        EXPECT_EQ(vw->VwAction(), c.tool) << "ready for the next angle";
    }
    EXPECT_EQ(vw->m_ovMeasures->angles().count(), 6);
}

TEST_F(DrawTest, DistanceFollowsTheMouseAndReadsInTheCalibratedUnit)
{
    tool(kDist);
    calibrate({20, 220}, {220, 220}); // 1 m over 200 pixels
    const double pxPerM = dist(pic({20, 220}), pic({220, 220}));
    const QPointF a(60, 30), b(180, 150);
    drag(viewer(), at(a), at(b));
    ASSERT_EQ(vw->m_ovMeasures->distances().count(), 1);
    auto d = vw->m_ovMeasures->distances().item(1);
    EXPECT_NEAR(d->value(), dist(pic(a), pic(b)) / pxPerM, 1e-4);
    const auto label = M_OvGS::ovGi_get1st(*vw->m_ovGis, d->userData());
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), M_OvGS::format00(d->value()) + QStringLiteral(" m"));
    EXPECT_EQ(vw->VwAction(), kDist) << "ready for the next distance";

    // Hit tests find the distance on its line and the label; Undo removes both.
    const QPointF onLine = pic((a + b) / 2);
    EXPECT_EQ(vw->graphObj_idHit(onLine.x(), onLine.y()), d->userData());
    EXPECT_EQ(vw->graphObj_idHit(300, 10), -1);
    vw->graphObj_rmLast();
    EXPECT_EQ(vw->m_ovMeasures->distances().count(), 0);
    EXPECT_EQ(M_OvGS::ovGi_get1st(*vw->m_ovGis, d->userData()), nullptr);
}

TEST_F(DrawTest, LabelsStandInsideThePictureClearOfEachOtherAndOfTexts)
{
    tool(kText);
    click(viewer(), at({195, 100}));
    QTest::keyClicks(vw->panel(), QStringLiteral("Start"));
    tool(kDist);
    calibrate({20, 220}, {220, 220});
    // Short distances side by side would put their labels on one another and on the text; the
    // last one ends in the bottom right corner.
    for (int i = 0; i < 4; ++i)
        drag(viewer(), at({230.0 + 5 * i, 80}), at({236.0 + 5 * i, 140}));
    drag(viewer(), at({300, 230}), at({318, 238}));
    const std::vector<QRectF> boxes = vw->m_ovGis->textBoxes(viewer()->currentFrame());
    ASSERT_EQ(boxes.size(), 6u);
    for (size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_TRUE(QRectF(0, 0, 320, 240).contains(boxes[i])) << i;
        for (size_t j = 0; j < i; ++j)
            EXPECT_FALSE(boxes[i].intersects(boxes[j])) << i << " on " << j;
    }
}

TEST_F(DrawTest, StopwatchIsReplacedByEachPressAndRemovedWithTheTimeLine)
{
    tool(kClock);
    click(viewer(), at({40, 40}));
    click(viewer(), at({80, 80}));
    const auto clocks = M_OvGS::ovGi_get(*vw->m_ovGis, M_OvGS::kIdClock);
    ASSERT_EQ(clocks.size(), 1u) << "the second press replaced the first";
    EXPECT_EQ(clocks[0]->lastFrame(), 11) << "it stands in every frame";
    EXPECT_EQ(vw->timeLine().m_NumClocks, 1);
    EXPECT_EQ(vw->m_ovGiDrw, nullptr);

    // Moving in time updates its text from the time line's stopwatch.
    const QString atStart = clocks[0]->text();
    vw->timeLine().time_goto(8 / 25.0);
    EXPECT_NE(clocks[0]->text(), atStart);
    EXPECT_EQ(clocks[0]->text(), M_Misc::formatTime(float(vw->timeLine().ClockTime())));

    vw->graphObj_rmId(M_OvGS::kIdClock);
    EXPECT_EQ(vw->timeLine().m_NumClocks, 0);
    EXPECT_EQ(vw->m_ovGiClock, nullptr);
    EXPECT_EQ(vw->graphObj_count(), 0);
}

TEST_F(DrawTest, EraseClearsEverythingAndAPressBesideThePictureDrawsNothing)
{
    tool(kCross);
    click(viewer(), at({40, 40}));
    tool(kClock);
    click(viewer(), at({80, 40}));
    vw->NumHorizLines(3);
    const int drawn = vw->graphObj_count();
    // A press on the panel beside the picture focuses the view but draws nothing.
    QTest::mouseClick(vw->panel(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(vw->graphObj_count(), drawn);
    EXPECT_EQ(ctrl.m_VwIdxFocus, 0);

    vw->graphObj_rmAll();
    EXPECT_EQ(vw->graphObj_count(), 0);
    EXPECT_EQ(vw->NumHorizLines(), 0);
    EXPECT_EQ(vw->timeLine().m_NumClocks, 0);
}

TEST_F(DrawTest, RightClickDropsTheToolOfEveryViewAndRemembersTheItemHit)
{
    ASSERT_TRUE(ctrl.vws_setNum(2));
    vw = ctrl.Vws(0);
    ctrl.ctrls_resize();
    tool(kLine);
    drag(viewer(), at({40, 40}), at({140, 40}));
    const int id = vw->m_ovGis->item(1)->id();
    EXPECT_EQ(ctrl.Vws(1)->VwAction(), kLine);
    click(viewer(), at({90, 40}), Qt::RightButton);
    EXPECT_EQ(ctrl.m_VwAction, 0);
    EXPECT_EQ(vw->VwAction(), 0);
    EXPECT_EQ(ctrl.Vws(1)->VwAction(), 0);
    EXPECT_EQ(vw->m_gidHit, id);
    click(viewer(), at({90, 150}), Qt::RightButton);
    EXPECT_EQ(vw->m_gidHit, -1);
    EXPECT_EQ(vw->graphObj_count(), 1) << "a right click draws nothing";
}

TEST_F(DrawTest, ShiftCtrlPressZoomsAroundThePointAndRepeatsUntilRelease)
{
    ASSERT_TRUE(load(100));
    const QPoint p = at({100, 100});
    press(viewer(), p, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(vw->m_AviZoom, 101);
    EXPECT_EQ(vw->m_ZoomX, p.x());
    EXPECT_TRUE(ctrl.timEvTrigger()->isActive());
    // Held: the repeat timer goes on zooming (its first repeat comes after 200 ms).
    for (int i = 0; i < 200 && vw->m_AviZoom == 101; ++i)
        QTest::qWait(25);
    EXPECT_GT(vw->m_AviZoom, 101);
    release(viewer(), p, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_FALSE(ctrl.timEvTrigger()->isActive());
    const int zoom = vw->m_AviZoom;
    press(viewer(), p, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier);
    release(viewer(), p, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(vw->m_AviZoom, zoom - 1);
    EXPECT_EQ(vw->graphObj_count(), 0);
}
