// The mouse and the keyboard on a view: zoom and pan without a tool, the right-click menu, and
// the drawing and measuring tools that turn presses, drags and releases into graphic items,
// angles, distances and the calibration line.
#include "view/CVw.h"

#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "components/DialogService.h"
#include "graphics/CalibSteps.h"
#include "graphics/M_OvGS.h"
#include "viewcontroller/CVwCtrl.h"
#include "viewcontroller/IMainWindowCallbacks.h"
#include "view/TrajectoryTool.h"

#include <QApplication>
#include <algorithm>
#include <cmath>

using namespace M_OvGS;

namespace {

// The view actions a tool or a step of a measurement stands for.
enum Action : int {
    ActNone = 0,
    ActFreehand = 1,
    ActLine = 2,
    ActCircle = 3,
    ActRect = 4,
    ActText = 5,
    ActCross = 6,
    ActClock = 7,
    ActCalib = 8,
    ActAngle2Lines = 10, // then 11 to 13
    ActAngle3Points = 14, // then 15, 16
    ActAngleHorz = 17,    // then 18
    ActAngleVert = 19,    // then 20
    ActDist = 22,
    ActTrack = 23,
    ActTrackByHand = 24,
};

// Mouse events pack the button with the key state: the left button alone, or with Shift.
constexpr int kPackedLeft = 1;
constexpr int kPackedLeftShift = 5;
constexpr int kButtonLeft = 1;
constexpr int kButtonRight = 2;
constexpr int kShiftCtrl = 3;
constexpr int kCtrl = 2;
constexpr int kZoomRepeatIn = 2;
constexpr int kZoomRepeatOut = 3;

constexpr int kStrNeedsCalib = 2968;
constexpr int kStrCalibNow = 2969;

bool isVwActionAngle(int action) { return action > 9 && action < 21; }

// The angle kind a step of an angle action belongs to.
int angleKind(int action)
{
    if (action >= ActAngle2Lines && action <= 13)
        return ANGLE_2LINES;
    if (action >= ActAngle3Points && action <= 16)
        return ANGLE_3POINTS;
    if (action >= ActAngleHorz && action <= 18)
        return ANGLE_HORZ;
    return ANGLE_VERT;
}

// The item kind each drawing tool makes on a press.
int drawKind(int action)
{
    switch (action) {
    case ActFreehand: return OVGS_TYPE_FREEHAND;
    case ActLine: return OVGS_TYPE_LINE;
    case ActCircle: return OVGS_TYPE_CIRCLE;
    case ActRect: return OVGS_TYPE_RECT;
    case ActText: return OVGS_TYPE_TEXT;
    case ActCross: return OVGS_TYPE_CROSS;
    default: return -1;
    }
}

double whole(double v) { return std::nearbyint(v); }

} // namespace

void CVw::redraw()
{
    if (m_ovVVw)
        m_ovVVw->redraw();
}

void CVw::VwAction(int action) try {
    const bool leavesCalib = m_VwAction == ActCalib && action != ActCalib;
    graphObj_finalDrw();
    if (leavesCalib) { // an abandoned reference line leaves the former calibration in force
        calib_end(false, -1);
        m_VwActionSave = 0;
    }
    if (action == ActTrackByHand && m_VwAction != action && m_trajTool)
        m_trajTool->startAfresh(); // the tool chosen anew begins a new trajectory
    m_VwAction = action;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.Let.VwAction()"), idxText());
}

void CVw::newItemFrames(int& cur, int& first, int& last) const
{
    cur = m_ovVVw->currentFrame();
    first = m_ShowMeasure ? 0 : cur;
    last = m_ShowMeasure ? std::max(0, m_AviNumFrames - 1) : cur;
}

void CVw::vw_mouseDwn(bool onVideo, int nButton, int nShift, int x, int y, double xImg, double yImg) try {
    if (!m_VwCtrl)
        return;
    m_VwCtrl->vw_focus(m_Idx);
    m_VwCtrl->vw_select_mouseDwn(m_Idx, nButton, nShift);
    m_MouseX = x;
    m_MouseY = y;

    if (m_VwAction == ActNone && nShift == kShiftCtrl) {
        // Shift+Ctrl: zoom in (left) or out (right) around the pressed point, repeated while held.
        m_VwCtrl->vw_select_mouseDwn(m_Idx, nButton, nShift);
        m_ZoomX = x;
        m_ZoomY = y;
        if (nButton == kButtonLeft) {
            m_ovVVw_zoomIn();
            m_VwCtrl->m_timEvTrigger_start(kZoomRepeatIn, nButton, nShift);
        } else if (nButton == kButtonRight) {
            m_ovVVw_zoomOut();
            m_VwCtrl->m_timEvTrigger_start(kZoomRepeatOut, nButton, nShift);
        }
        return;
    }
    if (nButton == kButtonRight) {
        m_VwCtrl->vws_setVwAction(ActNone);
        showCtx(onVideo, x, y, xImg, yImg);
        return;
    }
    if (nButton != kButtonLeft || !onVideo || !m_ovVVw->isOpen())
        return;
    if (m_VwAction != ActNone && !index_settle())
        return; // what is drawn or tracked is tied to an exact frame number
    if (trajectory_press(xImg, yImg)) // a trajectory needs no calibration: pixels until there is one
        return;
    if (!m_ovCal2D && m_VwAction > ActCalib) {
        const QString text = M_Rc::getRcStr(kStrNeedsCalib) + QStringLiteral("\r\n") + M_Rc::getRcStr(kStrCalibNow);
        if (M_Msg::msgUsr(text, MsgBox::YesNo | MsgBox::Question) == MsgBox::Yes)
            calibrate();
        return;
    }
    drawPress(xImg, yImg);
    redraw();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.vw_mouseDwn()"), idxText());
}

void CVw::drawPress(double xImg, double yImg)
{
    int cur = 0, first = 0, last = 0;
    newItemFrames(cur, first, last);
    const double fx = xImg / m_AviWidth;
    const double fy = yImg / m_AviHeight;
    OvGraphItems& gis = *m_ovGis;

    switch (m_VwAction) {
    case ActText:
        if (m_IsTextInput)
            ovGi_final(OVGS_TYPE_TEXT, gis, m_ovGiDrw, xImg, yImg);
        m_ovGiDrw = ovGi_new(OVGS_TYPE_TEXT, gis, xImg, yImg, m_DrwColor, m_LineWidth, cur, first, last);
        m_IsTextInput = true;
        break;
    case ActFreehand:
    case ActLine:
    case ActCircle:
    case ActRect:
    case ActCross:
        m_ovGiDrw = ovGi_new(drawKind(m_VwAction), gis, xImg, yImg, m_DrwColor, m_LineWidth, cur, first, last);
        break;
    case ActClock:
        graphObj_rmId(kIdClock);
        // The stopwatch stands in every frame.
        m_ovGiClock = ovGi_new(OVGS_TYPE_CLOCK, gis, xImg, yImg, m_DrwColor, m_LineWidth, cur, 0,
                               std::max(0, m_AviNumFrames - 1), kIdClock, true);
        m_ovGiDrw.reset();
        m_TL.clock_init();
        break;
    case ActCalib:
        if (!m_ovCal2DNew)
            break;
        if (m_ovGiDrw) // a press without its release: that line is dropped
            gis.rmId(m_ovGiDrw->id());
        // A line of its own: the former calibration's line stays until this one succeeds.
        m_ovGiDrw = ovGi_new(OVGS_TYPE_CALIB, gis, xImg, yImg, m_DrwColor, m_LineWidth, cur, first, last);
        CalibSteps::press(*m_ovCal2DNew, fx, fy);
        break;
    case ActAngle2Lines:
    case ActAngle3Points:
    case ActAngleHorz:
    case ActAngleVert: {
        const int kind = angleKind(m_VwAction);
        m_ovGiDrw = ovGi_new(ovAngle_lblKind(kind), gis, xImg, yImg, m_DrwColor, m_LineWidth, cur, first, last);
        if (!m_ovGiDrw)
            break;
        m_ovAngleDrw = ovAngle_new(kind, m_ovAngles(), *m_ovMeasures, m_ovCal2D, fx, fy, m_DrwColor, cur, first, last,
                                   false, m_ovGiDrw->id());
        ++m_VwAction;
        break;
    }
    case 11:
        ovAngle_update(ANGLE_2LINES, m_ovAngles(), m_ovAngleDrw, 1, fx, fy);
        m_VwAction = 12;
        break;
    case 12:
        ovAngle_update(ANGLE_2LINES, m_ovAngles(), m_ovAngleDrw, 2, fx, fy);
        ovAngle_update(ANGLE_2LINES, m_ovAngles(), m_ovAngleDrw, 3, fx, fy);
        m_VwAction = 13;
        break;
    case 13:
        ovAngle_update(ANGLE_2LINES, m_ovAngles(), m_ovAngleDrw, 3, fx, fy);
        angleComplete();
        m_VwAction = ActAngle2Lines;
        break;
    case 15:
        ovAngle_update(ANGLE_3POINTS, m_ovAngles(), m_ovAngleDrw, 1, fx, fy);
        m_VwAction = 16;
        break;
    case 16:
        ovAngle_update(ANGLE_3POINTS, m_ovAngles(), m_ovAngleDrw, 2, fx, fy);
        angleComplete();
        m_VwAction = ActAngle3Points;
        break;
    case 18:
    case 20: {
        const int kind = angleKind(m_VwAction);
        ovAngle_update(kind, m_ovAngles(), m_ovAngleDrw, 1, fx, fy);
        angleComplete();
        m_VwAction = kind == ANGLE_HORZ ? ActAngleHorz : ActAngleVert;
        break;
    }
    case ActDist:
        m_ovGiDrw = ovGi_new(OVGS_TYPE_LBL_DIST, gis, xImg, yImg, m_DrwColor, m_LineWidth, cur, first, last);
        if (m_ovGiDrw)
            m_ovDistDrw = ovDist_new(DIST_KIND, m_ovDists(), *m_ovMeasures, m_ovCal2D, fx, fy, m_DrwColor, cur, first,
                                     last, m_ovGiDrw->id());
        break;
    default:
        break;
    }
}

void CVw::angleLabelUpdate()
{
    if (m_ovAngleDrw)
        ovAngle_lblUpdate(angleKind(m_VwAction), *m_ovGis, *m_ovAngleDrw, m_AviWidth, m_AviHeight);
}

// The last point of an angle is placed: its label shows the value and the angle is no longer
// being drawn, so a change of tool keeps it and a mouse move leaves it alone.
void CVw::angleComplete()
{
    angleLabelUpdate();
    m_ovGiDrw.reset();
    m_ovAngleDrw.reset();
}

void CVw::distLabelUpdate(double xImg, double yImg)
{
    if (m_ovDistDrw)
        ovDist_lblUpdate(*m_ovGis, *m_ovDistDrw, m_AviWidth, m_AviHeight, xImg, yImg);
}

void CVw::vw_mouseMv(int nPacked, int x, int y, double xImg, double yImg) try {
    if (nPacked == kPackedLeftShift) {
        m_ovVVw_mvOffset(m_MouseX - x, m_MouseY - y);
        m_MouseX = x;
        m_MouseY = y;
        return;
    }
    if (nPacked == kPackedLeft && trajectory_move(xImg, yImg))
        return;
    if (!m_ovGiDrw || (nPacked != kPackedLeft && !isVwActionAngle(m_VwAction)))
        return;
    drawMove(xImg, yImg);
    redraw();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.vw_mouseMv()"), idxText());
}

void CVw::drawMove(double xImg, double yImg)
{
    const double fx = xImg / m_AviWidth;
    const double fy = yImg / m_AviHeight;
    switch (m_VwAction) {
    case ActFreehand:
    case ActLine:
    case ActCircle:
    case ActRect:
        ovGi_update(drawKind(m_VwAction), *m_ovGis, m_ovGiDrw, whole(xImg), whole(yImg));
        break;
    case ActCalib:
        ovGi_update(OVGS_TYPE_CALIB, *m_ovGis, m_ovGiDrw, xImg, yImg);
        break;
    case 11:
    case 15:
    case 18:
    case 20:
        ovAngle_update(angleKind(m_VwAction), m_ovAngles(), m_ovAngleDrw, 1, fx, fy);
        if (m_VwAction != 11 && m_VwAction != 15)
            angleLabelUpdate();
        break;
    case 13:
        ovAngle_update(ANGLE_2LINES, m_ovAngles(), m_ovAngleDrw, 3, fx, fy);
        angleLabelUpdate();
        break;
    case 16:
        ovAngle_update(ANGLE_3POINTS, m_ovAngles(), m_ovAngleDrw, 2, fx, fy);
        angleLabelUpdate();
        break;
    case ActDist:
        if (m_ovDistDrw)
            ovDist_update(m_ovDists(), m_ovDistDrw, fx, fy);
        distLabelUpdate(xImg, yImg);
        break;
    default:
        break;
    }
}

bool CVw::isDragRelease(int x, int y) const
{
    return std::abs(x - m_MouseX) + std::abs(y - m_MouseY) >= QApplication::startDragDistance();
}

void CVw::vw_mouseUp(int nPacked, int x, int y, double xImg, double yImg) try {
    if (m_VwCtrl)
        m_VwCtrl->m_timEvTrigger_stop();
    if (trajectory_release(xImg, yImg)) {
        if (m_frmParent)
            m_frmParent->ctrls_enable(true);
        return;
    }
    if (m_ovGiDrw && nPacked == kPackedLeft) {
        if (isVwActionAngle(m_VwAction)) {
            // An angle is placed by clicks; a drag counts as a click where it was pressed and
            // another where it ends, so it never reaches back to an angle already placed.
            if (isDragRelease(x, y))
                drawPress(xImg, yImg);
        } else {
            drawRelease(xImg, yImg);
        }
    }
    redraw();
    if (m_frmParent)
        m_frmParent->ctrls_enable(true);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.vw_mouseUp()"), idxText());
}

void CVw::drawRelease(double xImg, double yImg)
{
    const double fx = xImg / m_AviWidth;
    const double fy = yImg / m_AviHeight;
    switch (m_VwAction) {
    case ActFreehand:
    case ActLine:
        ovGi_final(drawKind(m_VwAction), *m_ovGis, m_ovGiDrw, xImg, yImg);
        m_ovGiDrw.reset();
        break;
    case ActCircle:
    case ActRect:
        ovGi_update(drawKind(m_VwAction), *m_ovGis, m_ovGiDrw, whole(xImg), whole(yImg));
        m_ovGiDrw.reset();
        break;
    case ActCross:
        m_ovGiDrw.reset();
        break;
    case ActCalib: {
        ovGi_final(OVGS_TYPE_CALIB, *m_ovGis, m_ovGiDrw, xImg, yImg);
        calibHint_show(false); // the line is drawn: the result's message follows
        const bool ok = m_ovCal2DNew && CalibSteps::release(*m_ovCal2DNew, fx, fy);
        calib_end(ok, m_ovGiDrw ? m_ovGiDrw->id() : -1);
        m_ovGiDrw.reset();
        m_VwAction = m_VwActionSave;
        m_VwActionSave = 0;
        break;
    }
    case ActDist:
        if (m_ovDistDrw)
            ovDist_update(m_ovDists(), m_ovDistDrw, fx, fy);
        distLabelUpdate(xImg, yImg);
        m_ovGiDrw.reset();
        m_ovDistDrw.reset();
        break;
    default:
        break; // text and stopwatch keep their item for the next key or press
    }
}

void CVw::m_picPanel_KeyPress(int keyCode) try {
    if (m_VwAction != ActText || !m_IsTextInput)
        return;
    ovGi_update_OVGS_TYPE_TEXT(keyCode, *m_ovGis, m_ovGiDrw);
    redraw();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.m_picPanel_KeyPress()"), idxText());
}

void CVw::vw_doubleClick(bool onVideo) try {
    if (m_VwCtrl && (!onVideo || m_VwAction == ActNone))
        m_VwCtrl->vw_enlarge(m_Idx);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.vw_doubleClick()"), idxText());
}

void CVw::vw_wheel(int keys, int x, int y, int steps) try {
    if (!m_VwCtrl || !m_ovVVw || !m_ovVVw->isOpen())
        return;
    m_VwCtrl->vw_focus(m_Idx);
    if (keys & kCtrl) {
        m_VwCtrl->key_stepFrames(steps);
        return;
    }
    // A notch is a quarter more or less, as picture viewers zoom. The picture point under the
    // pointer stays under it wherever the picture overflows the view, also on the notch that
    // makes it overflow (when the viewer leaves its centred place). While the pointer rests,
    // the point first grabbed is kept, so notches that could not hold it (a picture still
    // centred) bring it back once they can.
    const QPoint pointer = m_ovVVw->mapToGlobal(QPoint(x, y));
    if (pointer != m_wheelPointer) {
        m_wheelPointer = pointer;
        m_wheelGrab = m_ovVVw->mapping().toPicture(QPointF(x, y));
    }
    const QPointF grabbed = m_wheelGrab;
    m_ZoomX = x;
    m_ZoomY = y;
    const double z0 = m_AviZoom == -1 ? m_ovVVw->zoom() : m_AviZoom;
    const double z = z0 * std::pow(1.25, steps);
    m_AviZoom = std::clamp(int(std::lround(z)), 1, 10000);
    if (m_AviZoom == int(z0))
        m_AviZoom += steps > 0 ? 1 : -1;
    m_AviZoom = std::clamp(m_AviZoom, 1, 10000);
    ctrls_resize();
    const QPointF now = m_ovVVw->mapping().toViewer(grabbed);
    const QPoint under = m_ovVVw->mapFromGlobal(pointer);
    m_ovVVw_mvOffset(int(std::lround(now.x() - under.x())), int(std::lround(now.y() - under.y())));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.vw_wheel()"), idxText());
}
