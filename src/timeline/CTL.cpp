// The panel of the time line: its controls, their layout and pictures, the enabled states of
// the buttons and what a press on a button does.
#include "timeline/CTL.h"

#include "app/M_GUI.h"
#include "app/M_Msg.h"
#include "app/RtError.h"
#include "components/timeline/OvTimeLine.h"
#include "timeline/PictureBox.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"

#include <QPixmapCache>
#include <QSet>

namespace {

constexpr int kBtnLeft = 1;
constexpr int kBtnRight = 2;
constexpr int kKeyShift = 1;
constexpr int kKeyCtrl = 2;
constexpr int kActionStepBack = 0;
constexpr int kActionStepForward = 1;
const QColor kBandColor(0, 10, 30);
const QColor kBandCaptionColor(240, 240, 230);

// A picture of the time line buttons; a missing file is an error of the caller.
QPixmap picture24(const QString& file)
{
    const QString path = M_GUI::imgDir() + QStringLiteral("/_24x24/") + file;
    QPixmap pixmap;
    if (QPixmapCache::find(path, &pixmap))
        return pixmap;
    if (!pixmap.load(path))
        throw RtError(RtError::FileNotFound, path);
    QPixmapCache::insert(path, pixmap);
    return pixmap;
}

// Shows the picture on the button. A missing picture is reported once per file, so that the
// buttons keep working (and the user is not asked again on every move) without it.
void setPic(PictureBox* button, const QString& file)
{
    static QSet<QString> reported;
    try {
        button->setPicture(picture24(file));
    } catch (...) {
        const QString path = M_GUI::imgDir() + QStringLiteral("/_24x24/") + file;
        if (!reported.contains(path)) {
            reported.insert(path);
            M_Msg::errMsg(QStringLiteral("CTL.m_picBtn_setPic()"), file);
        }
    }
}

QString pictureFile(const QString& base, bool enabled)
{
    return base + (enabled ? QStringLiteral(".bmp") : QStringLiteral("_dis.bmp"));
}

} // namespace

CTL::CTL() { vars_init(); }

CTL::~CTL()
{
    if (!m_PreTerm) {
        M_Msg::errMsg(QStringLiteral("CTL.Class_Terminate()"), QStringLiteral("m_PreTerm = False"));
        preTerminate();
    }
}

void CTL::vars_init()
{
    m_KeyFrames.assign(1, 0);
    m_Ranges.assign(1, Range{});
    m_SyncPts.assign(1, SyncPt{});
    m_NumKeyFrames = 0;
    m_NumRanges = 0;
    m_NumSyncPts = 0;
    m_NumClocks = 0;
    m_idSelItem = -1;
}

void CTL::vars_free()
{
    m_KeyFrames.assign(1, 0);
    m_Ranges.assign(1, Range{});
    m_SyncPts.assign(1, SyncPt{});
}

void CTL::preTerminate() try {
    ctrls_unload();
    vars_free();
    m_PreTerm = true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.preTerminate()"));
}

CVwCtrl* CTL::vwCtrl() const { return m_Vw ? m_Vw->vwCtrl() : nullptr; }

bool CTL::isPlaying() const { return m_Vw && m_Vw->m_IsVidPlaying; }

void CTL::vw_focus()
{
    if (CVwCtrl* ctrl = vwCtrl())
        ctrl->vw_focus(m_Vw->m_Idx);
}

// ---- controls ----

void CTL::ctrls_load(CVw* vw, QWidget* container) try {
    m_Vw = vw;
    m_picPanel_load(container);
    m_ovTL_load();
    m_picPlay = m_picBtn_load(QStringLiteral("_picPlay_"));
    m_picBeginning = m_picBtn_load(QStringLiteral("_picBeginning_"));
    m_picStepBack = m_picBtn_load(QStringLiteral("_picStepBack_"));
    m_picStepForward = m_picBtn_load(QStringLiteral("_picStepForward_"));
    m_picEnd = m_picBtn_load(QStringLiteral("_picEnd_"));
    QObject::connect(m_picPlay, &PictureBox::MouseDown, m_picPlay, [this](int b, int s) { m_picPlay_MouseDown(b, s); });
    QObject::connect(m_picBeginning, &PictureBox::MouseDown, m_picBeginning,
                     [this](int b, int s) { m_picBeginning_MouseDown(b, s); });
    QObject::connect(m_picStepBack, &PictureBox::MouseDown, m_picStepBack,
                     [this](int b, int s) { m_picStepBack_MouseDown(b, s); });
    QObject::connect(m_picStepBack, &PictureBox::MouseUp, m_picStepBack, [this](int b, int s) { m_picStep_MouseUp(b, s); });
    QObject::connect(m_picStepForward, &PictureBox::MouseDown, m_picStepForward,
                     [this](int b, int s) { m_picStepForward_MouseDown(b, s); });
    QObject::connect(m_picStepForward, &PictureBox::MouseUp, m_picStepForward,
                     [this](int b, int s) { m_picStep_MouseUp(b, s); });
    QObject::connect(m_picEnd, &PictureBox::MouseDown, m_picEnd, [this](int b, int s) { m_picEnd_MouseDown(b, s); });
    setPic(m_picPlay, QStringLiteral("play_dis.bmp"));
    setPic(m_picBeginning, QStringLiteral("gotoStart_dis.bmp"));
    setPic(m_picStepBack, QStringLiteral("stepLft_dis.bmp"));
    setPic(m_picStepForward, QStringLiteral("stepRgt_dis.bmp"));
    setPic(m_picEnd, QStringLiteral("gotoEnd_dis.bmp"));
    ctrls_resize();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.ctrls_load()"));
}

void CTL::m_picPanel_load(QWidget* container)
{
    auto* panel = new QWidget(container);
    panel->setObjectName(QStringLiteral("CTL_picPanel_") + M_GUI::getId());
    panel->setAutoFillBackground(true);
    if (container)
        panel->setPalette(container->palette());
    panel->setGeometry(0, 0, kPanelWidth, kPanelHeight);
    m_picPanel = panel;
}

void CTL::m_ovTL_load()
{
    auto* strip = new OvTimeLine(m_picPanel);
    strip->setObjectName(QStringLiteral("CTL_ovTL_") + M_GUI::getId());
    strip->setup(kBandColor, 0);
    strip->setBandCaptionStyle(0, 1, 14, 0, kBandCaptionColor);
    strip->setGeometry(0, 0, 100, m_picPanel->height());
    strip->setMaximum(10);
    strip->show();
    QObject::connect(strip, &OvTimeLine::TimeChanged, strip, [this](float t) { m_ovTL_TimeChanged(t); });
    QObject::connect(strip, &OvTimeLine::BandClicked, strip,
                     [this](int band, int a, int b, int code) { m_ovTL_BandClicked(band, a, b, code); });
    QObject::connect(strip, &OvTimeLine::ItemClicked, strip,
                     [this](int band, int item, int flags, float t) { m_ovTL_ItemClicked(band, item, flags, t); });
    QObject::connect(strip, &OvTimeLine::ItemChanged, strip,
                     [this](int band, int item, int x, float t) { m_ovTL_ItemChanged(band, item, x, t); });
    QObject::connect(strip, &OvTimeLine::RangeChanged, strip,
                     [this](int band, int range, int part, float ts, float te, int flags) {
                         m_ovTL_RangeChanged(band, range, part, ts, te, flags);
                     });
    QObject::connect(strip, &OvTimeLine::RangeClicked, strip,
                     [this](int band, int range, int a, int b, float t) { m_ovTL_RangeClicked(band, range, a, b, t); });
    m_ovTL = strip;
}

PictureBox* CTL::m_picBtn_load(const QString& role)
{
    auto* button = new PictureBox(m_picPanel);
    button->setObjectName(QStringLiteral("CTL") + role + M_GUI::getId());
    button->setEnabled(false);
    button->resize(kBtnWidth, kBtnWidth); // until its picture gives it its size
    button->show();
    return button;
}

void CTL::ctrls_unload() try {
    m_picBtn_unload(m_picEnd);
    m_picBtn_unload(m_picStepForward);
    m_picBtn_unload(m_picStepBack);
    m_picBtn_unload(m_picBeginning);
    m_picBtn_unload(m_picPlay);
    m_ovTL_unload();
    M_GUI::disposeLater(m_picPanel);
    m_picPanel = nullptr;
    m_btns = ButtonStates{};
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.ctrls_unload()"));
}

void CTL::m_picBtn_unload(QPointer<PictureBox>& button)
{
    M_GUI::disposeLater(button);
    button = nullptr;
}

void CTL::m_ovTL_unload()
{
    if (!m_ovTL)
        return;
    // No event reaches a panel being dismantled.
    M_GUI::disposeLater(m_ovTL);
    m_ovTL = nullptr;
}

// ---- placement ----

void CTL::ctrls_resize() try {
    if (!m_picPanel)
        return;
    const int w = m_picPanel->width();
    const int h = m_picPanel->height();
    if (m_ovTL)
        m_ovTL->setGeometry(0, 0, std::max(0, w - 5 * kBtnWidth), h);
    int left = w - 5 * kBtnWidth;
    for (PictureBox* button : {m_picPlay.data(), m_picBeginning.data(), m_picStepBack.data(), m_picStepForward.data(),
                               m_picEnd.data()}) {
        if (button)
            button->move(left, h - button->height()); // the buttons sit on the bottom edge
        left += kBtnWidth;
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.ctrls_resize()"));
}

void CTL::ctrls_setEnabled(bool enabled) try {
    if (m_ovTL)
        m_ovTL->setEnabled(enabled);
    btns_enable(enabled);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.ctrls_setEnabled()"));
}

void CTL::ctrls_setRcStr() try {
    if (!m_initialised)
        return;
    setBandCaption(ovTLBand_captionT(m_Time));
    // The markers' captions follow the language too.
    keyframe_update();
    for (int i = 1; i <= m_NumSyncPts; ++i)
        if (m_ovTL)
            m_ovTL->setItemCaption(kIdSyncPt0 + i - 1, syncPt_caption(m_SyncPts[size_t(i)].tSync));
    if (m_NumClocks > 0 && m_ovTL)
        m_ovTL->setItemCaption(kIdClock, clock_caption());
    refresh();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.ctrls_setRcStr()"));
}

void CTL::ctls_visible(bool visible) try {
    if (m_picPanel)
        m_picPanel->setVisible(visible);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.ctls_visible()"));
}

int CTL::Height() const { return m_picPanel ? m_picPanel->height() : 0; }
int CTL::Width() const { return m_picPanel ? m_picPanel->width() : 0; }

void CTL::addXY(int dx, int dy) try {
    if (m_picPanel)
        m_picPanel->move(m_picPanel->x() + dx, m_picPanel->y() + dy);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.addXY()"));
}

void CTL::setXY(int x, int y) try {
    if (m_picPanel)
        m_picPanel->move(x, y);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.setXY()"));
}

void CTL::setXYWH(int x, int y, int w, int h) try {
    if (!m_picPanel)
        return;
    const QSize before = m_picPanel->size();
    m_picPanel->setGeometry(x, y, std::max(0, w), std::max(0, h));
    if (m_picPanel->size() != before)
        ctrls_resize();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.setXYWH()"));
}

void CTL::setWH(int w, int h) try {
    if (!m_picPanel)
        return;
    m_picPanel->resize(std::max(0, w), std::max(0, h));
    ctrls_resize();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.setWH()"));
}

// ---- buttons ----

void CTL::m_picBtn_setState(PictureBox* button, bool& state, bool enabled, const QString& picture)
{
    if (state == enabled || !button)
        return;
    button->setEnabled(enabled);
    state = enabled;
    setPic(button, pictureFile(picture, enabled));
}

// The play button is set every time: it shows pause while the view plays.
void CTL::m_picPlay_setPic(bool enabled)
{
    m_btns.play = enabled;
    if (!m_picPlay)
        return;
    const QString file = !enabled ? QStringLiteral("play_dis.bmp")
                                  : (isPlaying() ? QStringLiteral("pause.bmp") : QStringLiteral("play.bmp"));
    m_picPlay->setEnabled(enabled);
    setPic(m_picPlay, file);
}

void CTL::btns_enable(bool enable) try {
    ButtonStates want = m_btns;
    if (!enable) {
        want = ButtonStates{};
    } else {
        // The strip holds its times in single precision; the comparisons follow it.
        const float t = float(m_Time);
        const float rMin = float(m_TimeRangesMin);
        const float rMax = float(m_TimeRangesMax);
        want.stepBack = float(m_TimeMin) < t;
        want.stepForward = float(m_TimeMax) > t;
        if (rMin == rMax) {
            want.play = want.beginning = want.end = false;
        } else if (t == rMin) {
            want.play = true;
            want.beginning = false;
            want.end = true;
        } else if (t == rMax) {
            want.play = true;
            want.beginning = true;
            want.end = false;
        } else if (!isPlaying()) {
            want.play = want.beginning = want.end = true;
        }
    }
    m_picPlay_setPic(want.play);
    m_picBtn_setState(m_picBeginning, m_btns.beginning, want.beginning, QStringLiteral("gotoStart"));
    m_picBtn_setState(m_picStepBack, m_btns.stepBack, want.stepBack, QStringLiteral("stepLft"));
    m_picBtn_setState(m_picStepForward, m_btns.stepForward, want.stepForward, QStringLiteral("stepRgt"));
    m_picBtn_setState(m_picEnd, m_btns.end, want.end, QStringLiteral("gotoEnd"));
    // Without controls the states are still kept, for the playback and the tests.
    m_btns = want;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.btns_enable()"));
}

// ---- mouse on the buttons ----

void CTL::m_picPlay_MouseDown(int button, int shift) try {
    vw_focus();
    CVwCtrl* ctrl = vwCtrl();
    if (!ctrl || (button != kBtnLeft && button != kBtnRight))
        return;
    if (!ctrl->m_IsVidOperating) {
        // Right: repeat the ranges; with Shift: backwards.
        ctrl->vidOp_startLater(button == kBtnRight, (shift & kKeyShift) != 0);
    } else if (isPlaying()) {
        ctrl->vidOp_do(false, false);
    } else if (shift & kKeyCtrl) {
        ctrl->vw_select(ctrl->m_VwIdxFocus, true, true);
    } else {
        ctrl->vw_select(ctrl->m_VwIdxFocus, false, false);
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.m_picPlay_MouseDown()"));
}

void CTL::m_picBeginning_MouseDown(int button, int) try {
    vw_focus();
    if (button == kBtnLeft && vwCtrl())
        vwCtrl()->vidTimeGotoRangesMin(true);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.m_picBeginning_MouseDown()"));
}

void CTL::m_picEnd_MouseDown(int button, int) try {
    vw_focus();
    if (button == kBtnLeft && vwCtrl())
        vwCtrl()->vidTimeGotoRangesMax(true);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.m_picEnd_MouseDown()"));
}

// Steps once at once; the controller's repeat timer steps again while the button is held.
void CTL::m_picStepBack_MouseDown(int button, int shift) try {
    vw_focus();
    if (button != kBtnLeft || !vwCtrl())
        return;
    m_picStepBack_do(shift);
    vwCtrl()->m_timEvTrigger_start(kActionStepBack, button, shift);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.m_picStepBack_MouseDown()"));
}

void CTL::m_picStepForward_MouseDown(int button, int shift) try {
    vw_focus();
    if (button != kBtnLeft || !vwCtrl())
        return;
    m_picStepForward_do(shift);
    vwCtrl()->m_timEvTrigger_start(kActionStepForward, button, shift);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.m_picStepForward_MouseDown()"));
}

void CTL::m_picStep_MouseUp(int, int) try {
    if (vwCtrl())
        vwCtrl()->m_timEvTrigger_stop();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.m_picStep_MouseUp()"));
}

void CTL::m_picStepBack_do(int /*shift*/) try {
    if (vwCtrl())
        vwCtrl()->vidTimeInc(-1.0 / frameRate(), true);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.m_picStepBack_do()"));
}

void CTL::m_picStepForward_do(int /*shift*/) try {
    if (vwCtrl())
        vwCtrl()->vidTimeInc(1.0 / frameRate(), true);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CTL.m_picStepForward_do()"));
}
