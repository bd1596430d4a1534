// The graphic items, angles and distances of a view: finishing or abandoning the one being
// drawn, hit tests, removal, the stopwatch's text, the right-click, and the calibration that
// angles and distances are measured with.
#include "view/CVw.h"

#include "app/M_Msg.h"
#include "graphics/CalibSteps.h"
#include "graphics/M_OvGS.h"
#include "graphics/frmCalibDist.h"
#include "graphics/frmPrpGraphObj.h"
#include "viewcontroller/CVwCtrl.h"
#include "util/M_Misc.h"

#include <cmath>

using namespace M_OvGS;

namespace {
constexpr int kActText = 5;
}

int CVw::graphObj_count() const { return m_ovGis->count(); }

bool CVw::holdsWork() const
{
    const CTL& tl = m_TL;
    return m_ovGis->count() > 0 || m_ovMeasures->distances().count() > 0 || m_ovMeasures->angles().count() > 0 ||
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
    const int id = ovGi_idLast(*m_ovGis);
    if (id >= 0)
        graphObj_rmId(id);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.graphObj_rmLast()"), idxText());
}

void CVw::graphObj_rmAll() try {
    m_ovGis->rmAll();
    ovAngle_rmAll(m_ovAngles());
    ovDist_rmAll(m_ovDists());
    m_ovGiDrw.reset();
    m_ovAngleDrw.reset();
    m_ovDistDrw.reset();
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
    if (m_VwCtrl)
        m_VwCtrl->ctx_show(m_gidHit >= 0 ? QStringLiteral("_Graphics") : QStringLiteral("_Vw"));
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
    frmCalib_show();
    auto cal = CalibSteps::start(m_ovCal2Ds, QSize(m_AviWidth, m_AviHeight), m_CalibDist, m_CalibUnit,
                                 m_CalibAspectRatio);
    if (!cal)
        return; // the user has been told; the former calibration and tool stay
    m_ovCal2D = std::move(cal);
    const int save = CalibSteps::actionSave(m_VwAction);
    VwAction(CalibSteps::kActionCalib);
    m_VwActionSave = save;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.calibrate()"), idxText());
}

void CVw::frmCalib_show() try {
    // On the heap: the main window owns it while it is shown and may be closed under it.
    QWidget* owner = m_picPanel ? m_picPanel->window() : nullptr;
    m_frmCalibDist = new frmCalibDist(owner);
    QObject::connect(m_frmCalibDist, &frmCalibDist::Ok, m_frmCalibDist,
                     [this](double dist, int unit, double aspect) { m_frmCalibDist_Ok(dist, unit, aspect); });
    m_frmCalibDist->exec();
    delete m_frmCalibDist.data();
    m_frmCalibDist = nullptr;
} catch (...) {
    m_frmCalibDist = nullptr;
    M_Msg::errMsg(QStringLiteral("CVw.frmCalib_show()"), idxText());
}

void CVw::m_frmCalibDist_Ok(double nCalibDist, int nCalibUnit, double nCalibAspectRatio) try {
    m_CalibDist = nCalibDist;
    m_CalibUnit = nCalibUnit;
    m_CalibAspectRatio = nCalibAspectRatio;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.m_frmCalibDist_Ok()"), idxText());
}
