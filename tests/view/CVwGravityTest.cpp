// A measurement from start to end as a teacher would make it on the demo clip of a thrown ball:
// calibrate on the clip's scale bar through the real dialog and the mouse, measure the ball's
// height above a fixed row in several frames with the distance tool, fit a parabola to the
// heights, and recover the gravity the clip was made with.
#include "ViewFixtures.h"
#include "ViewMouse.h"

#include "app/M_Rc.h"
#include "components/media/DemoClips.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPaths.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"

#include <QDir>
#include <array>
#include <cmath>
#include <gtest/gtest.h>

using namespace ViewMouse;

namespace {

// The longest run of near-white pixels in a row of the upper picture: the scale bar. Its first
// column and one past its last, in picture coordinates.
std::pair<QPointF, QPointF> findScaleBar(const QImage& img)
{
    int bestLen = 0, bestRow = 0, bestStart = 0;
    for (int y = 0; y < img.height() / 2; ++y) {
        int run = 0;
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            run = c.red() > 200 && c.green() > 200 && c.blue() > 200 ? run + 1 : 0;
            if (run > bestLen) {
                bestLen = run;
                bestRow = y;
                bestStart = x - run + 1;
            }
        }
    }
    return {QPointF(bestStart, bestRow + 0.5), QPointF(bestStart + bestLen, bestRow + 0.5)};
}

// The ball's centre: the centroid of its yellowness (red well above blue, which neither the
// green ground nor the white texts have), around the most yellow pixel.
QPointF findBall(const QImage& img)
{
    const auto weight = [&](int x, int y) {
        const QColor c = img.pixelColor(x, y);
        return std::clamp((c.red() - c.blue() + 10) / 220.0, 0.0, 1.0);
    };
    QPoint peak;
    double best = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (const double w = weight(x, y); w > best) {
                best = w;
                peak = {x, y};
            }
    double sw = 0, sx = 0, sy = 0;
    for (int y = std::max(0, peak.y() - 16); y < std::min(img.height(), peak.y() + 17); ++y)
        for (int x = std::max(0, peak.x() - 16); x < std::min(img.width(), peak.x() + 17); ++x) {
            const double w = weight(x, y);
            if (w < 0.15)
                continue;
            sw += w;
            sx += w * (x + 0.5);
            sy += w * (y + 0.5);
        }
    return {sx / sw, sy / sw};
}

// Least squares h = c0 + c1 t + c2 t².
std::array<double, 3> fitParabola(const std::vector<double>& t, const std::vector<double>& h)
{
    double s[5] = {}, r[3] = {};
    for (size_t i = 0; i < t.size(); ++i) {
        double p = 1;
        for (double& sk : s) {
            sk += p;
            p *= t[i];
        }
        r[0] += h[i];
        r[1] += h[i] * t[i];
        r[2] += h[i] * t[i] * t[i];
    }
    // Normal equations, solved by Cramer's rule.
    const auto det3 = [](double a, double b, double c, double d, double e, double f, double g, double hh, double i) {
        return a * (e * i - f * hh) - b * (d * i - f * g) + c * (d * hh - e * g);
    };
    const double d = det3(s[0], s[1], s[2], s[1], s[2], s[3], s[2], s[3], s[4]);
    return {det3(r[0], s[1], s[2], r[1], s[2], s[3], r[2], s[3], s[4]) / d,
            det3(s[0], r[0], s[2], s[1], r[1], s[3], s[2], r[2], s[4]) / d,
            det3(s[0], s[1], r[0], s[1], s[2], r[1], s[2], s[3], r[2]) / d};
}

} // namespace

TEST(Gravity, ThrownBallClipGivesBackItsGravityThroughTheDistanceTool)
{
    ScopedDialogs dialogs;
    M_Rc::setRcOffset(M_Rc::key2rcOffset(QStringLiteral("ENU")));
    const QStringList clips = DemoClips::ensure(QDir(TestPaths::scratchDir()).filePath(QStringLiteral("demo")));
    ASSERT_EQ(clips.size(), 2);
    const QString ball = clips[1];

    ViewFixtures::Window window;
    window.resize(800, 560);
    CVwCtrl ctrl;
    ctrl.ctrls_load(&window, &window);
    ctrl.setWH(760, 520);
    ASSERT_TRUE(ctrl.vws_setNum(1));
    CVw* vw = ctrl.Vws(0);
    ASSERT_TRUE(vw->vidLoadFile(ball, 0, 0, 0, 100));
    ctrl.ctrls_resize();
    OvVView* viewer = vw->viewer();
    ASSERT_EQ(viewer->zoom(), 100);
    ASSERT_EQ(viewer->size(), QSize(DemoClips::kWidth, DemoClips::kHeight)) << "the whole picture is in view";

    // The distance tool asks for a calibration; the bar is 1 m.
    ctrl.vws_setVwAction(22);
    const auto [barStart, barEnd] = findScaleBar(viewer->picture(100));
    ASSERT_NEAR(barEnd.x() - barStart.x(), 100, 2) << "the bar was found";
    dialogs->messageAnswers.push_back(6);
    answerCalibDialog(&window, QStringLiteral("1"), 0, QStringLiteral("1:1"));
    click(viewer, at(viewer, barStart));
    drag(viewer, at(viewer, barStart), at(viewer, barEnd));
    ASSERT_TRUE(vw->isCalibrated());
    ASSERT_EQ(dialogs->messages.back().text, QStringLiteral("Calibration successful. You can measure now."));
    ASSERT_EQ(vw->VwAction(), 22);

    // In frames of the first flight, from the bottom row up to the ball's centre.
    std::vector<double> t, h;
    const double bottom = DemoClips::kHeight - 0.5;
    for (int n = 2; n <= 46; n += 4) {
        vw->timeLine().time_goto(n / double(DemoClips::kFps));
        ASSERT_EQ(viewer->currentFrame(), n);
        const QPointF c = findBall(viewer->picture(100));
        drag(viewer, at(viewer, QPointF(c.x(), bottom)), at(viewer, c));
        const auto d = vw->m_ovMeasures->distances().item(vw->m_ovMeasures->distances().count());
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->firstFrame(), n) << "the distance stands in its frame";
        t.push_back(n / double(DemoClips::kFps));
        h.push_back(d->value());
    }
    ASSERT_EQ(vw->m_ovMeasures->distances().count(), int(t.size()));
    const auto coef = fitParabola(t, h);
    const double g = -2 * coef[2];
    EXPECT_NEAR(g, DemoClips::kG, 0.02 * DemoClips::kG) << "measured g = " << g;
    // The throw's vertical speed comes back too.
    EXPECT_NEAR(coef[1], DemoClips::Ball::kVy, 0.05 * DemoClips::Ball::kVy);
    ctrl.preTerminate();
}
