// The trajectory tools on a view: a press starts or grabs a trajectory, a drag corrects its
// point, the release lets tracking go on (or, by hand, steps to the next frame); and what
// became of a run is told by the picture; a right click offers a trajectory's removal and its
// name and colour.
#include "view/CVw.h"

#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "components/DialogService.h"
#include "dialogs/TrajectoryPrpDialog.h"
#include "view/TrajectoryTool.h"
#include "viewcontroller/IMainWindowCallbacks.h"
#include "viewcontroller/CVwCtrl.h"

#include <QTimer>

namespace {
constexpr int kActTrack = 23;
constexpr int kActTrackByHand = 24;
constexpr double kGrabViewerPixels = 10;
constexpr int kHintMs = 8000;

constexpr int kStrLost = 3980;       // "%1: lost at frame %2. Drag its point there and tracking goes on."
constexpr int kStrLeft = 3981;       // "%1 left the picture at frame %2."
constexpr int kStrNoDetail = 3982;   // no detail to follow at that point
constexpr int kStrNoPicture = 3983;  // "%1: frame %2 could not be read; tracking stopped."
constexpr int kStrTracked = 3984;    // "%1: followed to frame %2."
constexpr int kStrFollowing = 9009;  // "Following %1... Escape stops it."
} // namespace

void CVw::trajectory_load()
{
    m_trajTool = std::make_unique<TrajectoryTool>(m_ovVVw);
    m_ovVVw->setCollections(m_ovGis.get(), &m_ovDists(), &m_ovAngles(), &m_trajTool->overlay());
    QObject::connect(m_trajTool.get(), &TrajectoryTool::changed, m_trajTool.get(), [this] {
        redraw();
        if (m_frmParent)
            m_frmParent->trajectories_changed();
    });
    QObject::connect(m_trajTool.get(), &TrajectoryTool::stopped, m_trajTool.get(),
                     [this](int idx, int stop, int frame) { trajectory_stopped(idx, stop, frame); });
    QObject::connect(m_trajTool.get(), &TrajectoryTool::started, m_trajTool.get(), [this](int idx) {
        hint_show(M_Rc::getRcStr(kStrFollowing).arg(m_trajTool->overlay().at(idx).name));
    });
}

double CVw::trajectory_tolerance() const { return kGrabViewerPixels / std::max(1e-6, m_ovVVw->mapping().scaleX()); }

bool CVw::trajectory_press(double xImg, double yImg)
{
    if (m_VwAction != kActTrack && m_VwAction != kActTrackByHand)
        return false;
    if (m_trajTool)
        m_trajTool->press({xImg, yImg}, trajectory_tolerance(), m_VwAction == kActTrack);
    return true;
}

int CVw::trajectory_hit(double xImg, double yImg) const
{
    if (!m_trajTool || !m_ovVVw || !m_ovVVw->isOpen())
        return -1;
    return m_trajTool->overlay().hit(m_ovVVw->currentFrame(), {xImg, yImg}, trajectory_tolerance());
}

namespace {
// Whether a right click's trajectory is still there: a run or an undo may have removed it since.
bool hitStands(const TrajectoryTool* tool, int hit) { return tool && hit >= 0 && hit < tool->overlay().count(); }
} // namespace

void CVw::trajectory_rmHit() try {
    if (hitStands(m_trajTool.get(), m_trajHit))
        m_trajTool->remove(m_trajHit);
    m_trajHit = -1;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.trajectory_rmHit()"), idxText());
}

void CVw::trajectory_followBackHit() try {
    if (hitStands(m_trajTool.get(), m_trajHit))
        m_trajTool->followBack(m_trajHit);
    m_trajHit = -1;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.trajectory_followBackHit()"), idxText());
}

void CVw::trajectory_showPrp() try {
    if (!hitStands(m_trajTool.get(), m_trajHit))
        return;
    const int idx = m_trajHit;
    const tracking::Trajectory& t = m_trajTool->overlay().at(idx);
    TrajectoryPrpDialog dialog(t.name, t.color, m_picPanel ? m_picPanel->window() : nullptr);
    if (dialog.exec() != QDialog::Accepted || !m_trajTool || idx >= m_trajTool->overlay().count())
        return;
    m_trajTool->overlay().setName(idx, dialog.name());
    m_trajTool->overlay().setColor(idx, dialog.color());
    redraw();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.trajectory_showPrp()"), idxText());
}

bool CVw::trajectory_move(double xImg, double yImg)
{
    if (!m_trajTool || !m_trajTool->dragging())
        return false;
    m_trajTool->move({xImg, yImg});
    return true;
}

bool CVw::trajectory_release(double xImg, double yImg)
{
    if (!m_trajTool || !m_trajTool->dragging())
        return false;
    m_trajTool->release({xImg, yImg});
    if (m_VwAction == kActTrackByHand && m_VwCtrl) // one click a frame: on to the next
        m_VwCtrl->key_stepFrames(1);
    return true;
}

void CVw::trajectory_stopped(int idx, int stop, int frame) try {
    if (!m_trajTool || idx < 0 || idx >= m_trajTool->overlay().count())
        return;
    const QString name = m_trajTool->overlay().at(idx).name;
    const QString frameText = QString::number(frame); // counted from 0, as the time line shows
    switch (tracking::TrackStop(stop)) {
    case tracking::TrackStop::NoDetail:
        // A point on a flat area would be found anywhere: a new trajectory there is dropped; one
        // corrected there keeps its points and ends.
        if (m_trajTool->overlay().at(idx).points.size() <= 1) {
            m_trajTool->remove(idx);
            M_Msg::msgUsr(M_Rc::getRcStr(kStrNoDetail), MsgBox::OkOnly | MsgBox::Information);
            return;
        }
        hint_show(M_Rc::getRcStr(kStrNoDetail));
        break;
    case tracking::TrackStop::Lost:
        hint_show(M_Rc::getRcStr(kStrLost).arg(name, frameText));
        break;
    case tracking::TrackStop::LeftPicture:
        hint_show(M_Rc::getRcStr(kStrLeft).arg(name, frameText));
        break;
    case tracking::TrackStop::NoPicture:
        hint_show(M_Rc::getRcStr(kStrNoPicture).arg(name, frameText));
        break;
    default:
        hint_show(M_Rc::getRcStr(kStrTracked).arg(name, frameText));
        break;
    }
    if (m_frmParent)
        m_frmParent->plots_show();
    // The hint goes after a while unless another has taken its place.
    if (!m_lblHint)
        return;
    const QString shown = m_lblHint->text();
    QTimer::singleShot(kHintMs, m_lblHint, [this, shown] {
        if (m_lblHint && m_lblHint->text() == shown)
            m_lblHint->hide();
    });
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.trajectory_stopped()"), idxText());
}
