// Following a point through the real window, on the demo clips whose physics is known: the
// trajectory tool on the thrown ball and a parabola fitted in the plots window give g; a click
// on the plot takes the view to that frame; the plot is saved as SVG or PNG; a dragged point is
// tracked on from where it was put; points set by hand step the view on; a right click renames
// or removes a trajectory; Escape stops a run; a trajectory is followed backwards from a later
// frame; the pendulum's trajectory gives its period.
#include "support/Scenario.h"
#include "support/TestPaths.h"
#include "view/ViewMouse.h"
#include "app/M_Rc.h"
#include "components/media/DemoClips.h"
#include "components/tracking/Kinematics.h"
#include "components/viewer/OvVView.h"
#include "dialogs/PlotChartView.h"
#include "dialogs/TrajectoryPlots.h"
#include "mainwindow/frmMain.h"
#include "view/CVw.h"
#include "view/TrajectoryTool.h"
#include "viewcontroller/CVwCtrl.h"

#include <QAbstractItemView>
#include <QChart>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QValueAxis>
#include <cmath>

namespace {

// Times at which the values cross zero going upwards, interpolated between samples.
std::vector<double> upCrossings(const std::vector<double>& t, const std::vector<double>& v)
{
    std::vector<double> times;
    for (std::size_t i = 1; i < v.size(); ++i)
        if (v[i - 1] < 0 && v[i] >= 0)
            times.push_back(t[i - 1] + (t[i] - t[i - 1]) * -v[i - 1] / (v[i] - v[i - 1]));
    return times;
}

double meanPeriod(const std::vector<double>& crossings)
{
    return (crossings.back() - crossings.front()) / double(crossings.size() - 1);
}

} // namespace

class TrajectoryScenario : public Scenario {
protected:
    static constexpr int kActTrack = 23; // the view action of the trajectory tool

    // The trajectory tool pressed on the point, and the trajectory its run made.
    tracking::Trajectory follow(CVw* vw, QPointF p)
    {
        if (ctrl().m_VwAction != kActTrack) // a second click on its button would put it away
            tool("chkTbMainMeasure", "chkTbMeasureTrack");
        clickAt(vw, p);
        EXPECT_TRUE(waitFor([vw] { return !vw->trajectories()->tracking(); }, 300000));
        settle(50);
        return vw->trajectories()->overlay().all().back();
    }
    TrajectoryPlots& plots()
    {
        EXPECT_TRUE(window().plots() && window().plots()->isVisible()) << "a finished run shows the plots";
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window().plots()));
        settle(100); // docked, they and the views are laid out anew before the first click
        return *window().plots();
    }
    // An entry of a combo box picked from its list: opened with the mouse, the entry taken with
    // the keys. (A click on an entry of a list just shown can land beside it in a parallel run,
    // where the list's window is placed late; the keys do not depend on where it is.)
    void choose(QComboBox* box, int index)
    {
        // A window just shown may take the first click for itself: click until the list opens.
        QAbstractItemView* list = box->view();
        for (int tries = 0; tries < 5 && !list->isVisible(); ++tries) {
            click(box);
            waitFor([list] { return list->isVisible(); }, 1000);
        }
        ASSERT_TRUE(list->isVisible());
        QTest::keyClick(list, Qt::Key_Home);
        for (int i = 0; i < index; ++i)
            QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
        ASSERT_TRUE(waitFor([list] { return !list->isVisible(); }));
        ASSERT_EQ(box->currentIndex(), index);
    }
    // The properties dialog of a trajectory, when it shows, gets the name typed and OK.
    void renameWhenAsked(const QString& name)
    {
        auto* poll = new QTimer(&window());
        poll->start(20);
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll, name] {
            auto* dialog = window().findChild<QDialog*>(QStringLiteral("TrajectoryPrpDialog"));
            if (!dialog || !dialog->isVisible())
                return;
            poll->stop();
            poll->deleteLater();
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("txtName"));
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(edit, name);
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("btnOk")), Qt::LeftButton);
        });
    }
    static void type(QDoubleSpinBox* box, const QString& text)
    {
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
        settle(0);
    }
};

TEST_F(TrajectoryScenario, TheThrownBallGivesGAndThePlotLeadsToItsFrames)
{
    using B = DemoClips::Ball;
    open({demoClip("ball.mkv")});
    CVw* v = view(0);
    ASSERT_NE(v, nullptr);

    // Calibrated on the 1 m bar with the distance tool, which asks for it.
    const QPointF barLeft(DemoClips::kWidth - 20 - B::kPxPerM, 50), barRight(DemoClips::kWidth - 20, 50);
    calibrate(v, barLeft, barRight, QStringLiteral("1"));

    const tracking::Trajectory ball = follow(v, DemoClips::ballPx(0));
    EXPECT_EQ(ball.points.size(), std::size_t(DemoClips::kFrames)) << "followed through its bounces to the end";
    TrajectoryPlots& p = plots();
    auto* quantity = p.findChild<QComboBox*>(QStringLiteral("cboQuantity"));
    choose(quantity, 1); // position y
    choose(p.findChild<QComboBox*>(QStringLiteral("cboFit")), 2); // parabola
    type(p.findChild<QDoubleSpinBox*>(QStringLiteral("spnTo")), QStringLiteral("1")); // the flight before the bounce
    ASSERT_EQ(p.series().unit, QStringLiteral("m"));
    ASSERT_EQ(p.fit().size(), 3u);
    EXPECT_NEAR(-2 * p.fit()[2], DemoClips::kG, 0.01 * DemoClips::kG);
    EXPECT_TRUE(p.findChild<QLabel*>(QStringLiteral("lblFit"))->text().contains(QStringLiteral("2a = -9.8")))
        << p.findChild<QLabel*>(QStringLiteral("lblFit"))->text().toStdString();

    // A click on the plot at 0.5 s takes the view to frame 25, and the cursor stands there.
    auto* chartView = p.findChild<PlotChartView*>(QStringLiteral("chart"));
    QAbstractSeries* data = p.chart()->series().first();
    const QPointF onPlot = p.chart()->mapToPosition(QPointF(0.5, p.series().values[25]), data);
    click(chartView->viewport(), chartView->mapFromScene(onPlot));
    EXPECT_EQ(v->viewer()->currentFrame(), 25);
    settle(0);
    const auto* cursor = static_cast<QLineSeries*>(p.chart()->series().last());
    ASSERT_EQ(cursor->count(), 2);
    EXPECT_DOUBLE_EQ(cursor->at(0).x(), 0.5);

    // Saved as SVG and as PNG; a folder that cannot be written to is named in a message.
    QTemporaryDir dir;
    const QString svg = dir.filePath(QStringLiteral("fall.svg")), png = dir.filePath(QStringLiteral("fall.png"));
    const std::size_t asked = dialogs->fileRequests.size();
    for (const QString& path : {svg, png, dir.filePath(QStringLiteral("none/fall.png"))}) {
        dialogs->fileAnswers.push_back({path});
        click(p.findChild<QPushButton*>(QStringLiteral("btnSave")));
    }
    // Offered beside the video, named after it, the trajectory and the quantity.
    ASSERT_GT(dialogs->fileRequests.size(), asked);
    EXPECT_EQ(dialogs->fileRequests[asked].initialFile.toStdString(), "ball_" + ball.name.toStdString() + "_Position y.png");
    QFile written(svg);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().contains("<svg"));
    EXPECT_EQ(QImage(png).size(), chartView->size() * chartView->devicePixelRatio());
    ASSERT_EQ(dialogs->messages.size(), 3u); // the calibration's question and its result, then the refused save
    EXPECT_TRUE(dialogs->messages.back().text.startsWith(dir.filePath(QStringLiteral("none/fall.png"))));

    // The point of frame 25 dragged 6 pixels up: tracking goes on from there, 6 pixels above
    // the ball all the way.
    const QPointF was = v->trajectories()->overlay().pointAt(0, 25)->pos;
    const OvVView* viewer = v->viewer();
    const QPoint grab = ViewMouse::at(viewer, was);
    drag(v->viewer(), grab, grab - QPoint(0, 6));
    ASSERT_TRUE(waitFor([v] { return !v->trajectories()->tracking(); }, 300000));
    const QPointF moved = v->trajectories()->overlay().pointAt(0, 25)->pos - was;
    EXPECT_NEAR(moved.y(), -6 / viewer->mapping().scaleY(), 1e-6);
    EXPECT_DOUBLE_EQ(moved.x(), 0);
    const auto* later = v->trajectories()->overlay().pointAt(0, 40);
    ASSERT_NE(later, nullptr);
    EXPECT_NEAR((later->pos - DemoClips::ballPx(40)).y(), moved.y(), 0.5);

    // By hand: three clicks on three frames, the view one frame on after each.
    tool("chkTbMainMeasure", "chkTbMeasureTrackHand");
    for (int i = 0; i < 3; ++i)
        clickAt(v, QPointF(100 + 10 * i, 100));
    EXPECT_EQ(v->viewer()->currentFrame(), 28);
    ASSERT_EQ(v->trajectories()->overlay().count(), 2);
    const tracking::Trajectory& byHand = v->trajectories()->overlay().at(1);
    ASSERT_EQ(byHand.points.size(), 3u);
    EXPECT_EQ(byHand.points[2].frame, 27);
    EXPECT_NE(byHand.name, ball.name);
    EXPECT_EQ(ctrl().analysis_get().views[0].trajectories.size(), 2u) << "both go into the analysis";

    // A right click on the ball's point: its properties name it; on the last point set by hand:
    // Delete removes that trajectory.
    renameWhenAsked(QStringLiteral("Ball"));
    ASSERT_TRUE(contextMenu(v->viewer(), {QStringLiteral("Properties")},
                            ViewMouse::at(viewer, v->trajectories()->overlay().pointAt(0, 28)->pos)));
    EXPECT_EQ(v->trajectories()->overlay().at(0).name, QStringLiteral("Ball"));
    click(timeLineControl(v, "picStepBack"));
    ASSERT_EQ(v->viewer()->currentFrame(), 27);
    ASSERT_TRUE(contextMenu(v->viewer(), {QStringLiteral("Delete")}, ViewMouse::at(viewer, QPointF(120, 100))));
    ASSERT_EQ(v->trajectories()->overlay().count(), 1);
    settle(100); // the plots read the change at once, not on a round of their own
    EXPECT_EQ(p.findChild<QComboBox*>(QStringLiteral("cboWhat"))->currentText(), QStringLiteral("Ball"));

    // The plots stand beside the views, which leave them room; their grip narrows them; they
    // float as a window and dock again; closed, the views take the whole width back.
    QWidget* panel = ctrl().panel();
    ASSERT_FALSE(p.isWindow());
    EXPECT_GE(p.geometry().left(), panel->geometry().right());
    const int docked = p.width(), viewsW = panel->width();
    auto* grip = window().findChild<QWidget*>(QStringLiteral("frmMain_plotsGrip"));
    ASSERT_TRUE(grip && grip->isVisible());
    const QPoint mid = grip->mapTo(&window(), grip->rect().center()); // the grip moves as it is dragged
    drag(&window(), mid, mid + QPoint(40, 0));
    EXPECT_EQ(p.width(), docked - 40);
    EXPECT_EQ(panel->width(), viewsW + 40);
    auto* dock = p.findChild<QToolButton*>(QStringLiteral("btnDock"));
    click(dock);
    ASSERT_TRUE(p.isWindow());
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&p));
    EXPECT_GT(panel->width(), viewsW);
    click(dock);
    ASSERT_FALSE(p.isWindow());
    EXPECT_EQ(p.width(), docked - 40);
    click(p.findChild<QToolButton*>(QStringLiteral("btnClose")));
    EXPECT_FALSE(p.isVisible());
    EXPECT_EQ(panel->width(), viewsW + docked + grip->width());
}

TEST_F(TrajectoryScenario, ThePendulumsTrajectoryGivesItsPeriod)
{
    using P = DemoClips::Pendulum;
    open({demoClip("pendulum.mkv")});
    CVw* v = view(0);
    ASSERT_NE(v, nullptr);
    // Escape stops a run where it is; the point pressed again is followed on to the end.
    tool("chkTbMainMeasure", "chkTbMeasureTrack");
    clickAt(v, DemoClips::pendulumBobPx(0));
    key(Qt::Key_Escape);
    ASSERT_TRUE(waitFor([v] { return !v->trajectories()->tracking(); }));
    EXPECT_LT(v->trajectories()->overlay().at(0).points.size(), std::size_t(DemoClips::kFrames));
    // Removed; followed from frame 30 to the end, then backwards from there to the start.
    const OvVView* viewer = v->viewer();
    ASSERT_TRUE(contextMenu(v->viewer(), {QStringLiteral("Delete")}, ViewMouse::at(viewer, DemoClips::pendulumBobPx(0))));
    ASSERT_EQ(v->trajectories()->overlay().count(), 0);
    for (int i = 0; i < 30; ++i)
        key(Qt::Key_Right);
    ASSERT_EQ(viewer->currentFrame(), 30);
    EXPECT_EQ(follow(v, DemoClips::pendulumBobPx(30)).points.front().frame, 30);
    ASSERT_TRUE(contextMenu(v->viewer(), {QStringLiteral("Follow backwards from here")},
                            ViewMouse::at(viewer, v->trajectories()->overlay().pointAt(0, 30)->pos)));
    ASSERT_TRUE(waitFor([v] { return !v->trajectories()->tracking(); }, 300000));
    settle(50);
    ASSERT_EQ(v->trajectories()->overlay().count(), 1);
    const tracking::Trajectory bob = v->trajectories()->overlay().at(0);
    ASSERT_EQ(bob.points.size(), std::size_t(DemoClips::kFrames));
    // A trajectory alone is work to keep: the title marks it unsaved (and closing asks).
    window().analysis_check();
    EXPECT_TRUE(window().isWindowModified());
    // Every point within a pixel of the bob, however far from where it was clicked: no drift
    // (the click itself lands on the nearest pixel of the zoomed view).
    double worst = 0;
    for (const auto& pt : bob.points)
        worst = std::max(worst, kinematics::length(pt.pos - DemoClips::pendulumBobPx(pt.frame)));
    EXPECT_LT(worst, 1.0);
    const analysis::Series& x = plots().series(); // position x, in pixels without a calibration
    ASSERT_EQ(x.unit, QStringLiteral("px"));
    std::vector<double> swing, truth;
    for (std::size_t i = 0; i < x.values.size(); ++i) {
        swing.push_back(x.values[i] - P::kPivotX);
        truth.push_back(std::sin(DemoClips::pendulumAngle(P::kTheta0, P::kLength, x.times[i])));
    }
    const auto measured = upCrossings(x.times, swing), expected = upCrossings(x.times, truth);
    ASSERT_GE(measured.size(), 2u);
    ASSERT_EQ(measured.size(), expected.size());
    EXPECT_NEAR(meanPeriod(measured), meanPeriod(expected), 0.005 * meanPeriod(expected));
}

// One point set by hand: the plot shows it on axes of round numbers with room around it, not
// on a sliver of rounding noise. Docked in a narrow window, the plots keep their title free of
// the measuring bar, and the fit's box shows the whole of its longer German text.
TEST_F(TrajectoryScenario, ASinglePointIsPlottedOnRoundAxesBesideTheToolBar)
{
    window().resize(900, 700);
    open({demoClip("ball.mkv")});
    CVw* v = view(0);
    ASSERT_NE(v, nullptr);
    tool("chkTbMainMeasure", "chkTbMeasureTrackHand");
    clickAt(v, DemoClips::ballPx(0));
    key(Qt::Key_P);
    TrajectoryPlots& p = plots();
    ASSERT_FALSE(p.isWindow());
    EXPECT_FALSE(toolButton("chkTbMeasureTrack")->parentWidget()->geometry().intersects(p.geometry()));
    ASSERT_EQ(p.series().values.size(), 1u);
    const double x = p.series().values[0];
    for (const Qt::Orientation o : {Qt::Horizontal, Qt::Vertical}) {
        const auto* axis = static_cast<const QValueAxis*>(p.chart()->axes(o).value(0));
        const double at = o == Qt::Horizontal ? 0.0 : x;
        EXPECT_TRUE(axis->min() <= at && at <= axis->max()) << at;
        EXPECT_GE(axis->max() - axis->min(), 1.0);
        const double step = (axis->max() - axis->min()) / (axis->tickCount() - 1);
        EXPECT_NEAR(std::remainder(axis->min(), step), 0.0, 1e-9) << axis->min() << " by " << step;
    }
    M_Rc::setRcOffset(0);
    window().ctrls_setRcStr();
    settle(50);
    const auto* fit = p.findChild<QComboBox*>(QStringLiteral("cboFit"));
    EXPECT_GE(fit->width(), fit->sizeHint().width()) << qPrintable(fit->currentText());
    M_Rc::setRcOffset(4000);
    window().ctrls_setRcStr();
}
