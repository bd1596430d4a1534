// The measuring tool bar: distance, four kinds of angle, the stopwatch and the trajectories
// (followed by the program or set by hand). Hidden until the
// Measure button of the main tool bar shows it.
#include "mainwindow/frmMain.h"

#include "app/M_GUI.h"
#include "app/M_Msg.h"

namespace {
constexpr int kStrDist = 1011;
constexpr int kStrAngle3Pt = 1010;
constexpr int kStrAngleHoriz = 1012;
constexpr int kStrAngleVert = 1013;
constexpr int kStrAngle2Line = 3217;
constexpr int kStrClock = 1315;
constexpr int kStrTrack = 3985;
constexpr int kStrTrackHand = 3986;

const QColor kExtraTbBack(218, 218, 218);
} // namespace

void frmMain::tbMeasure_load() try {
    m_picBgTbMeasure =
        picBgTb_load("picBgTbMeasure", m_idPicBgTbMeasure, QRect(kTbMeasureLeft, kTbExtraTop, 724, 40), kExtraTbBack);
    using D = ToolCheckButton;
    const QString form = objectName();
    m_chkTbMeasureDist.load(m_picBgTbMeasure, form, D::toolDesc("chkTbMeasureDist", 0, "distance", kStrDist, 22));
    m_chkTbMeasureAngle3Pt.load(m_picBgTbMeasure, form,
                                D::toolDesc("chkTbMeasureAngle3Pt", 40, "angle3Pt", kStrAngle3Pt, 14));
    m_chkTbMeasureAngleHoriz.load(m_picBgTbMeasure, form,
                                  D::toolDesc("chkTbMeasureAngleHoriz", 80, "angleHoriz", kStrAngleHoriz, 17));
    m_chkTbMeasureAngleVert.load(m_picBgTbMeasure, form,
                                 D::toolDesc("chkTbMeasureAngleVert", 120, "angleVert", kStrAngleVert, 19));
    m_chkTbMeasureAngle2Line.load(m_picBgTbMeasure, form,
                                  D::toolDesc("chkTbMeasureAngle2Line", 160, "angle2Line", kStrAngle2Line, 10));
    m_chkTbMeasureClock.load(m_picBgTbMeasure, form, D::toolDesc("chkTbMeasureClock", 200, "clock", kStrClock, 7));
    m_chkTbMeasureTrack.load(m_picBgTbMeasure, form, D::toolDesc("chkTbMeasureTrack", 240, "track", kStrTrack, 23));
    m_chkTbMeasureTrackHand.load(m_picBgTbMeasure, form,
                                 D::toolDesc("chkTbMeasureTrackHand", 280, "trackHand", kStrTrackHand, 24));
    for (ToolCheckButton* chk : {&m_chkTbMeasureDist, &m_chkTbMeasureAngle3Pt, &m_chkTbMeasureAngleHoriz,
                                 &m_chkTbMeasureAngleVert, &m_chkTbMeasureAngle2Line, &m_chkTbMeasureClock, &m_chkTbMeasureTrack,
                                 &m_chkTbMeasureTrackHand})
        chkTool_connect(*chk);
    picBgTb_fitContent(m_picBgTbMeasure);
    m_picBgTbMeasure->hide();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.tbMeasure_load()"));
}

void frmMain::tbMeasure_unload() try {
    m_chkTbMeasureTrackHand.unload(this);
    m_chkTbMeasureTrack.unload(this);
    m_chkTbMeasureClock.unload(this);
    m_chkTbMeasureAngle2Line.unload(this);
    m_chkTbMeasureAngleVert.unload(this);
    m_chkTbMeasureAngleHoriz.unload(this);
    m_chkTbMeasureAngle3Pt.unload(this);
    m_chkTbMeasureDist.unload(this);
    ctrl_unload(m_idPicBgTbMeasure);
    m_picBgTbMeasure = nullptr;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.tbMeasure_unload()"));
}

void frmMain::tbMeasure_enable(bool enable) try {
    for (ToolCheckButton* chk : {&m_chkTbMeasureDist, &m_chkTbMeasureAngle3Pt, &m_chkTbMeasureAngleHoriz,
                                 &m_chkTbMeasureAngleVert, &m_chkTbMeasureAngle2Line, &m_chkTbMeasureClock, &m_chkTbMeasureTrack,
                                 &m_chkTbMeasureTrackHand})
        chkTool_enable(*chk, enable);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.tbMeasure_enable()"));
}
