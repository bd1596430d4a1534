// The Playback menu: what the keyboard does, with each key shown beside its entry. The keys act
// on the focused view and the sources that move with it, wherever the focus is in the window;
// a view taking typed text keeps its keys (it claims them before they become shortcuts).
#include "mainwindow/frmMain.h"

#include "app/M_GUI.h"
#include "app/M_Msg.h"
#include "mainwindow/SpeedSlider.h"
#include "view/CVw.h"
#include "view/TrajectoryTool.h"
#include "viewcontroller/CVwCtrl.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <functional>

namespace {
constexpr int kStrPlayback = 3920;
constexpr int kStrPlayPause = 3921;
constexpr int kStrPrevFrame = 3922;
constexpr int kStrNextFrame = 3923;
constexpr int kStrBackSecond = 3924;
constexpr int kStrForwardSecond = 3925;
constexpr int kStrRangeStart = 3926;
constexpr int kStrRangeEnd = 3927;
constexpr int kStrFaster = 3928;
constexpr int kStrSlower = 3929;
constexpr int kStrKeyframe = 3930;
constexpr int kStrRangeStartsHere = 3931;
constexpr int kStrRangeEndsHere = 3932;
constexpr int kStrFullScreen = 3933;
constexpr int kStrPlots = 3987;
constexpr int kStrPlayBackwards = 9024;
} // namespace

void frmMain::m_mnuPlay_load(QMenuBar* bar) try {
    QMenu* menu = mnuBar_add(bar, "frmMain_Play", kStrPlayback);
    // Each entry acts on the controller; what it changed in the views becomes a step to undo.
    const auto add = [this, menu](const char* suffix, int strNr, const QKeySequence& keys, std::function<void(CVwCtrl&)> act) {
        mnuKey_add(menu, suffix, strNr, keys, [this, act] {
            if (!m_VwCtrl)
                return;
            const QPointer<frmMain> alive(this); // playback may outlast the window
            act(*m_VwCtrl);
            if (alive)
                history_observeAll();
        });
    };
    add("PlayPause", kStrPlayPause, Qt::Key_Space, [](CVwCtrl& c) { c.key_playPause(); });
    add("PlayBackwards", kStrPlayBackwards, Qt::SHIFT | Qt::Key_Space, [](CVwCtrl& c) { c.key_playPause(true); });
    add("PrevFrame", kStrPrevFrame, Qt::Key_Left, [](CVwCtrl& c) { c.key_stepFrames(-1); });
    add("NextFrame", kStrNextFrame, Qt::Key_Right, [](CVwCtrl& c) { c.key_stepFrames(1); });
    add("BackSecond", kStrBackSecond, Qt::SHIFT | Qt::Key_Left, [](CVwCtrl& c) { c.key_stepSeconds(-1); });
    add("ForwardSecond", kStrForwardSecond, Qt::SHIFT | Qt::Key_Right, [](CVwCtrl& c) { c.key_stepSeconds(1); });
    add("RangeStart", kStrRangeStart, Qt::Key_Home, [](CVwCtrl& c) { c.key_rangeBound(false); });
    add("RangeEnd", kStrRangeEnd, Qt::Key_End, [](CVwCtrl& c) { c.key_rangeBound(true); });
    menu->addSeparator();
    add("Faster", kStrFaster, Qt::Key_Up, [this](CVwCtrl&) { m_sldTbMainVidSpeed_step(-1); });
    add("Slower", kStrSlower, Qt::Key_Down, [this](CVwCtrl&) { m_sldTbMainVidSpeed_step(1); });
    menu->addSeparator();
    add("Keyframe", kStrKeyframe, Qt::Key_K, [](CVwCtrl& c) { c.key_keyframe(); });
    add("RangeStartsHere", kStrRangeStartsHere, Qt::Key_I, [](CVwCtrl& c) { c.key_rangeEdgeHere(false); });
    add("RangeEndsHere", kStrRangeEndsHere, Qt::Key_O, [](CVwCtrl& c) { c.key_rangeEdgeHere(true); });
    menu->addSeparator();
    add("Plots", kStrPlots, Qt::Key_P, [this](CVwCtrl&) { plots_show(); });
    add("FullScreen", kStrFullScreen, Qt::Key_F11, [this](CVwCtrl&) { isFullScreen() ? showNormal() : showFullScreen(); });
    // Escape leaves full screen, else stops the points being followed, else puts the tool away
    // as a right click on a view does; it is no entry of its own.
    auto* leave = new QAction(this);
    leave->setObjectName(QStringLiteral("frmMain_Play_LeaveFullScreen"));
    leave->setShortcut(Qt::Key_Escape);
    connect(leave, &QAction::triggered, this, [this] {
        if (isFullScreen()) {
            showNormal();
            return;
        }
        bool stopped = false;
        for (int i = 0; m_VwCtrl && i < m_VwCtrl->numVws(); ++i)
            if (CVw* vw = m_VwCtrl->Vws(i); vw && vw->trajectories() && vw->trajectories()->tracking()) {
                vw->trajectories()->stop();
                stopped = true;
            }
        if (!stopped && m_VwCtrl && m_VwCtrl->m_VwAction != 0)
            m_VwCtrl->vws_setVwAction(0);
    });
    addAction(leave);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_mnuPlay_load()"));
}

QAction* frmMain::mnuKey_add(QMenu* menu, const char* suffix, int stringNr, const QKeySequence& keys,
                             std::function<void()> act)
{
    QAction* a = menu->addAction(QString::fromLatin1(suffix));
    a->setObjectName(menu->objectName() + u'_' + QLatin1String(suffix));
    M_GUI::setTag(a, stringNr);
    a->setShortcut(keys);
    connect(a, &QAction::triggered, this, std::move(act));
    return a;
}

// Up is faster: the slider's smaller values stand for the faster speeds.
void frmMain::m_sldTbMainVidSpeed_step(int delta) try {
    if (m_sldTbMainVidSpeed && m_sldTbMainVidSpeed->isEnabled())
        m_sldTbMainVidSpeed->setValue(m_sldTbMainVidSpeed->value() + delta);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_sldTbMainVidSpeed_step()"));
}
