#pragma once

// What the time line tests share: pattern clips at chosen frame rates, a view set in a shown
// window with views opened from them, and short ways to reach a panel's controls.

#include "../view/ViewFixtures.h"

#include "app/M_GUI.h"
#include "app/M_Rc.h"
#include "components/timeline/OvTimeLine.h"
#include "support/ScriptedDialogs.h"
#include "timeline/CTL.h"
#include "timeline/PictureBox.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"

#include <QLocale>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace TimelineFixtures {

// A lossless 96 x 64 clip whose frames carry their number, written once per run.
inline QString clip(const QString& name, int frames, AVRational rate)
{
    FixtureRecipe recipe = FixtureRecipes::lossless(96, 64, frames);
    recipe.rate = rate;
    return FixtureRecipes::writtenOnce(QStringLiteral("timeline"), name, recipe);
}

// Ten seconds at 25 frames per second: frames 0 to 250.
inline QString tenSeconds25() { return clip(QStringLiteral("ten_seconds_25.mkv"), 251, {25, 1}); }
// Four seconds at 10 frames per second: frames 0 to 40.
inline QString fourSeconds10() { return clip(QStringLiteral("four_seconds_10.mkv"), 41, {10, 1}); }
// 300 frames at 29.97 frames per second.
inline QString ntsc() { return clip(QStringLiteral("ntsc_300.mkv"), 300, {30000, 1001}); }

// A shown view set in English with the C-like number format, torn down after each test.
class TimelineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        M_Rc::setRcOffset(M_Rc::key2rcOffset(QStringLiteral("ENU")));
        m_locale = QLocale();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ctrl.ctrls_load(&window, &window);
        ctrl.setWH(900, 420);
        window.show();
    }
    void TearDown() override
    {
        ctrl.preTerminate();
        QLocale::setDefault(m_locale);
        M_Rc::setRcOffset(M_Rc::key2rcOffset(QStringLiteral("ENU")));
    }

    // Opens the file into a new view in full frames; the view is focused and selected.
    CVw* open(const QString& path)
    {
        if (path.isEmpty() || !ctrl.vws_vidLoadFile(path, 0))
            return nullptr;
        return ctrl.Vws(ctrl.numVws() - 1);
    }

    template <typename W>
    static W* child(const CTL& tl, const QString& role)
    {
        const auto found =
            tl.panel()->template findChildren<W*>(QRegularExpression(QStringLiteral("^CTL_") + role + QStringLiteral("_\\d+$")));
        return found.size() == 1 ? found.front() : nullptr;
    }
    static PictureBox* button(const CTL& tl, const QString& role) { return child<PictureBox>(tl, role); }
    // True when the button shows that picture of the program's pictures.
    static bool shows(PictureBox* button, const QString& file)
    {
        const QImage want(M_GUI::imgDir() + QStringLiteral("/_24x24/") + file);
        return !want.isNull() && button &&
               button->picture().toImage().convertToFormat(QImage::Format_RGB32) == want.convertToFormat(QImage::Format_RGB32);
    }
    static int frameOf(CVw* vw) { return vw->viewer()->currentFrame(); }
    // A point on the strip's band (where items and ranges are) or on its axis, at time t.
    static QPoint bandPoint(OvTimeLine* strip, double t)
    {
        return QPoint(strip->timeToX(t), strip->bandRect().center().y() + 4);
    }
    static QPoint axisPoint(OvTimeLine* strip, double t)
    {
        return QPoint(strip->timeToX(t), strip->axisRect().center().y());
    }

    ScopedDialogs dialogs;
    ViewFixtures::Window window;
    CVwCtrl ctrl;

private:
    QLocale m_locale;
};

} // namespace TimelineFixtures
