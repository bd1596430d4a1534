// The graphic items, angles and distances of a view: finishing or abandoning the one being
// drawn, hit tests, removal, the stopwatch's text, the right-click, and the calibration that
// angles and distances are measured with.
#include "view/CVw.h"

#include "app/M_GUI.h"
#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "graphics/CalibSteps.h"
#include "graphics/M_OvGS.h"
#include "graphics/frmCalibDist.h"
#include "graphics/frmPrpGraphObj.h"
#include "viewcontroller/CVwCtrl.h"
#include "util/M_Misc.h"
#include "view/TrajectoryTool.h"

#include <cmath>

using namespace M_OvGS;

namespace {
constexpr int kActText = 5;
constexpr int kStrDragCalibLine = 9050;
}

int CVw::graphObj_count() const { return m_ovGis->count(); }

bool CVw::holdsWork() const
{
    const CTL& tl = m_TL;
    return m_ovGis->count() > 0 || m_ovMeasures->distances().count() > 0 || m_ovMeasures->angles().count() > 0 ||
           (m_trajTool && m_trajTool->overlay().count() > 0) ||
           m_ovCal2D != nullptr || tl.m_NumKeyFrames > 0 || tl.m_NumSyncPts > 0 || tl.m_NumClocks > 0 ||
           tl.m_NumRanges > 1;
}

int CVw::graphObj_idHit(double xImg, double yImg) const try {
    if (!m_ovVVw || !m_ovVVw->isOpen())
        return -1;
    int id = ovGi_idHit(*m_ovGis, *m_ovVVw, xImg, yImg);
    const double fx = xImg / m_AviWidth;
    const double fy = yImg / m_AviHeight;
    if (id < 0)
        id = ovAngle_idHit(m_ovMeasures->angles(), *m_ovVVw, fx, fy);
    if (id < 0)
        id = ovDist_idHit(m_ovMeasures->distances(), *m_ovVVw, fx, fy);
    return id;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.graphObj_idHit()"), idxText());
    return -1;
}

void CVw::graphObj_finalDrw() try {
    if (!m_ovGiDrw) {
        if (m_ovAngleDrw)
            M_Msg::errMsg(QStringLiteral("CVw.graphObj_finalDrw()"), idxText() + QStringLiteral("m_ovAngleDrw <> Nothing"));
        if (m_ovDistDrw)
            M_Msg::errMsg(QStringLiteral("CVw.graphObj_finalDrw()"), idxText() + QStringLiteral("m_ovDistDrw <> Nothing"));
    } else if (m_VwAction == kActText) {
        ovGi_final(OVGS_TYPE_TEXT, *m_ovGis, m_ovGiDrw, 0, 0);
        m_IsTextInput = false;
    } else {
        // Half drawn: a line still being dragged, an angle with some of its points, a distance.
        const int id = m_ovGiDrw->id();
        m_ovGis->rmId(id);
        ovAngle_rmId(m_ovAngles(), id);
        ovDist_rmId(m_ovDists(), id);
    }
    m_ovGiDrw.reset();
    m_ovAngleDrw.reset();
    m_ovDistDrw.reset();
    redraw();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.graphObj_finalDrw()"), idxText());
}

void CVw::graphObj_rmId(int id) try {
    if (id < 0)
        return;
    m_ovGis->rmId(id);
    ovAngle_rmId(m_ovAngles(), id);
    ovDist_rmId(m_ovDists(), id);
    // What is being drawn under that id goes with it, so no key or drag reaches a removed item.
    if (m_ovGiDrw && m_ovGiDrw->id() == id) {
        m_ovGiDrw.reset();
        m_ovAngleDrw.reset();
        m_ovDistDrw.reset();
        m_IsTextInput = false;
    }
    if (id == kIdClock) {
        m_TL.clock_rm();
        m_ovGiClock.reset();
    } else if (id == kIdGridHorz) {
        m_NumHorizLines = 0;
    } else if (id == kIdGridVert) {
        m_NumVertLines = 0;
    }
    redraw();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.graphObj_rmId()"), idxText() + QStringLiteral(", id = ") + QString::number(id));
}

void CVw::graphObj_rmLast() try {
    if (m_ovGis->count() == 0 && !m_erased.empty()) {
        ErasedDrawings e = std::move(m_erased.back());
        m_erased.pop_back();
        for (const auto& gi : e.items)
            m_ovGis->add(gi);
        for (const auto& angle : e.angles)
            m_ovAngles().add(angle);
        for (const auto& d : e.distances)
            m_ovDists().add(d);
        m_NumHorizLines = e.numHorizLines;
        m_NumVertLines = e.numVertLines;
        if (e.clock) {
            m_ovGiClock = e.clock;
            m_TL.clock_init(e.clockTime0);
            clock_update();
        }
        if (m_trajTool && !e.trajectories.empty()) {
            std::vector<tracking::Trajectory> all = e.trajectories;
            all.insert(all.end(), m_trajTool->overlay().all().begin(), m_trajTool->overlay().all().end());
            m_trajTool->restore(all);
        }
        redraw();
        return;
    }
    const int id = ovGi_idLast(*m_ovGis);
    if (id >= 0)
        graphObj_rmId(id);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.graphObj_rmLast()"), idxText());
}

bool CVw::graphObj_canUndo() const { return m_ovGis->count() > 0 || !m_erased.empty(); }

void CVw::graphObj_rmAll() try {
    graphObj_finalDrw();
    ErasedDrawings e;
    for (int pos = 1; pos <= m_ovGis->count(); ++pos)
        e.items.push_back(m_ovGis->item(pos));
    for (int pos = 1; pos <= m_ovAngles().count(); ++pos)
        e.angles.push_back(m_ovAngles().item(pos));
    for (int pos = 1; pos <= m_ovDists().count(); ++pos)
        e.distances.push_back(m_ovDists().item(pos));
    e.numHorizLines = m_NumHorizLines;
    e.numVertLines = m_NumVertLines;
    e.clock = m_ovGiClock;
    e.clockTime0 = m_TL.m_ClockTime0;
    if (m_trajTool) {
        // A run under way ends; what it found so far goes with the rest.
        e.trajectories = m_trajTool->overlay().all();
        if (!e.trajectories.empty())
            m_trajTool->restore({});
    }
    if (!e.empty())
        m_erased.push_back(std::move(e));

    m_ovGis->rmAll();
    ovAngle_rmAll(m_ovAngles());
    ovDist_rmAll(m_ovDists());
    m_IsTextInput = false;
    redraw();
    m_NumHorizLines = 0;
    m_NumVertLines = 0;
    m_TL.clock_rm();
    m_ovGiClock.reset();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.graphObj_rmAll()"), idxText());
}

void CVw::clock_update() try {
    if (!m_ovGiClock)
        return;
    const double t = std::round(m_TL.ClockTime() * 1000.0) / 1000.0;
    m_ovGiClock->setText(M_Misc::formatTime(float(t)));
    redraw();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.clock_update()"), idxText());
}

void CVw::showCtx(bool onVideo, int, int, double xImg, double yImg) try {
    m_gidHit = onVideo ? graphObj_idHit(xImg, yImg) : -1;
    // A trajectory's point in this frame is an item of its own, above the drawings.
    m_trajHit = onVideo ? trajectory_hit(xImg, yImg) : -1;
    if (m_trajHit >= 0)
        m_gidHit = -1;
    if (m_VwCtrl)
        m_VwCtrl->ctx_show(m_gidHit >= 0 || m_trajHit >= 0 ? QStringLiteral("_Graphics") : QStringLiteral("_Vw"));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.showCtx()"), idxText());
}

void CVw::graphObj_showPrp() try {
    if (m_gidHit < 0)
        return;
    QWidget* owner = m_picPanel ? m_picPanel->window() : nullptr;
    m_frmPrpGraphObj = new frmPrpGraphObj(owner);
    m_frmPrpGraphObj->vars_set(m_ovVVw.data(), m_ovGis.get(), &m_ovAngles(), &m_ovDists(), m_ovCal2D, m_gidHit);
    m_frmPrpGraphObj->exec();
    delete m_frmPrpGraphObj.data();
} catch (...) {
    delete m_frmPrpGraphObj.data();
    M_Msg::errMsg(QStringLiteral("CVw.graphObj_showPrp()"), idxText());
}

// ---- calibration ----

void CVw::calibrate() try {
    if (!frmCalib_show())
        return; // cancelled: the former calibration stays in force, nothing to tell
    auto cal = CalibSteps::start(m_ovCal2Ds, QSize(m_AviWidth, m_AviHeight), m_CalibDist, m_CalibUnit,
                                 m_CalibAspectRatio);
    if (!cal)
        return; // the user has been told; the former calibration and tool stay
    const int save = CalibSteps::actionSave(m_VwAction);
    VwAction(CalibSteps::kActionCalib);
    // The new calibration takes over only when its reference line succeeds.
    m_ovCal2DNew = std::move(cal);
    m_VwActionSave = save;
    calibHint_show(true);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.calibrate()"), idxText());
}

bool CVw::frmCalib_show() try {
    // On the heap: the main window owns it while it is shown and may be closed under it.
    QWidget* owner = m_picPanel ? m_picPanel->window() : nullptr;
    m_frmCalibDist = new frmCalibDist(owner);
    if (m_ovVVw && m_ovVVw->isOpen())
        m_frmCalibDist->aspect_select(m_ovVVw->sampleAspect().num, m_ovVVw->sampleAspect().den);
    bool ok = false;
    QObject::connect(m_frmCalibDist, &frmCalibDist::Ok, m_frmCalibDist,
                     [this, &ok](double dist, int unit, double aspect) {
                         ok = true;
                         m_frmCalibDist_Ok(dist, unit, aspect);
                     });
    m_frmCalibDist->exec();
    delete m_frmCalibDist.data();
    m_frmCalibDist = nullptr;
    return ok;
} catch (...) {
    m_frmCalibDist = nullptr;
    M_Msg::errMsg(QStringLiteral("CVw.frmCalib_show()"), idxText());
    return false;
}

void CVw::m_frmCalibDist_Ok(double nCalibDist, int nCalibUnit, double nCalibAspectRatio) try {
    m_CalibDist = nCalibDist;
    m_CalibUnit = nCalibUnit;
    m_CalibAspectRatio = nCalibAspectRatio;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.m_frmCalibDist_Ok()"), idxText());
}

void CVw::calib_end(bool succeeded, int gidNew)
{
    if (succeeded) {
        if (m_gidCalib >= 0 && m_gidCalib != gidNew)
            m_ovGis->rmId(m_gidCalib);
        m_gidCalib = gidNew;
        m_ovCal2D = m_ovCal2DNew;
    } else if (gidNew >= 0 && gidNew != m_gidCalib) {
        m_ovGis->rmId(gidNew);
    }
    m_ovCal2DNew.reset();
    calibHint_show(false);
}

void CVw::calibHint_show(bool on)
{
    if (!on) {
        if (m_lblHint)
            m_lblHint->hide();
        return;
    }
    hint_show(M_Rc::getRcStr(kStrDragCalibLine));
}

void CVw::hint_show(const QString& text)
{
    if (!m_picPanel || !m_ovVVw)
        return;
    if (!m_lblHint) {
        auto* hint = new QLabel(m_picPanel);
        hint->setObjectName(QStringLiteral("CVw_lblHint_") + M_GUI::getId());
        hint->setWordWrap(true);
        hint->setFrameShape(QFrame::Box);
        hint->setMargin(3);
        hint->setAutoFillBackground(true);
        hint->setBackgroundRole(QPalette::ToolTipBase);
        hint->setForegroundRole(QPalette::ToolTipText);
        // What it speaks of is dragged under it.
        hint->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_lblHint = hint;
    }
    m_lblHint->setText(text);
    hint_place();
    m_lblHint->show();
    m_lblHint->raise();
}

void CVw::vidOp_hint(const QString& text)
{
    if (!text.isEmpty())
        hint_show(text);
    else if (m_lblHint)
        m_lblHint->hide();
}

void CVw::hint_place()
{
    if (!m_lblHint || !m_ovVVw)
        return;
    if (m_VwType == 2) {
        const QRect f = frameRect();
        const int w = std::max(60, f.width() * 3 / 4);
        const int h = m_lblHint->heightForWidth(w);
        m_lblHint->setGeometry(f.x() + (f.width() - w) / 2, f.y() + (f.height() - h) / 2, w, h);
        return;
    }
    // Beside the picture where the frame has room, so that it hides nothing the line is drawn
    // on: under it, else above it, else over its bottom edge.
    const QRect v = m_ovVVw->geometry();
    const QRect f = frameRect();
    const int w = std::max(60, v.width());
    const int h = m_lblHint->heightForWidth(w);
    int y = v.bottom() + 4;
    if (y + h > f.bottom() - 2)
        y = v.top() - 4 - h >= f.top() + m_lblFile->height() / 2 + 2 ? v.top() - 4 - h : v.bottom() - h;
    m_lblHint->setGeometry(v.x(), y, w, h);
}
