// The plots panel of the main window: it reads the trajectories of the views, takes the views to
// a frame clicked on a plot, keeps a trajectory's smoothing, and sits beside the views or floats.
#include "mainwindow/frmMain.h"

#include "app/MMain.h"
#include "app/M_Ini.h"
#include "app/M_Msg.h"
#include "components/viewer/OvVView.h"
#include "dialogs/TrajectoryPlots.h"
#include "mainwindow/PanelGrip.h"
#include "view/CVw.h"
#include "view/TrajectoryTool.h"
#include "viewcontroller/CVwCtrl.h"

#include <QEvent>
#include <QScreen>
#include <algorithm>

namespace {
const QString kIniSection = QStringLiteral("Plots");
constexpr int kGripW = 6;
constexpr int kMinPlotsW = 360;
constexpr int kMinViewsW = 420; // docked only while the views keep this much
constexpr int kDefaultPlotsW = 520;
} // namespace

// The widest the docked plots can be while the views keep their least width.
int frmMain::plots_room() const { return m_layoutW - 10 - kGripW - kMinViewsW; }

void frmMain::plots_show() try {
    if (!m_plots) {
        TrajectoryPlots::Source source;
        source.views = [this] {
            std::vector<TrajectoryPlots::ViewState> views;
            for (int idx = 0; m_VwCtrl && idx < m_VwCtrl->numVws(); ++idx) {
                const CVw* vw = m_VwCtrl->Vws(idx);
                if (vw && vw->isFile() && vw->trajectories() && vw->trajectories()->overlay().count() > 0)
                    views.push_back({idx, vw->analysis_get(), vw->viewer()->currentFrame()});
            }
            return views;
        };
        source.frame = [this](int idx) {
            const CVw* vw = m_VwCtrl ? m_VwCtrl->Vws(idx) : nullptr;
            return vw && vw->viewer() ? vw->viewer()->currentFrame() : -1;
        };
        source.seek = [this](int idx, int frame) {
            CVw* vw = m_VwCtrl ? m_VwCtrl->Vws(idx) : nullptr;
            if (!vw)
                return;
            m_VwCtrl->vw_focus(idx);
            CTL& tl = vw->timeLine();
            // The other views move by as much, as a step would move them.
            m_VwCtrl->vidTimeInc(tl.fraNr2time(frame) - tl.m_Time, true);
            if (vw->viewer()->currentFrame() != frame)
                tl.fra_goto(frame);
        };
        source.setSmoothing = [this](int idx, int trajectory, int window, int order) {
            CVw* vw = m_VwCtrl ? m_VwCtrl->Vws(idx) : nullptr;
            if (vw && vw->trajectories() && trajectory < vw->trajectories()->overlay().count())
                vw->trajectories()->overlay().setSmoothing(trajectory, window, order);
        };
        const QString ini = MMain::iniFilePath();
        m_plotsDocked = M_Ini::num_get(kIniSection, QStringLiteral("Docked"), 1, ini) != 0;
        m_plotsW = M_Ini::num_get(kIniSection, QStringLiteral("Width"), kDefaultPlotsW, ini);
        m_plots = new TrajectoryPlots(std::move(source), this);
        m_plots->setDocked(false);
        m_plots->installEventFilter(this); // shown or hidden, the views give or take its room
        connect(m_plots, &TrajectoryPlots::dockToggled, this, [this] {
            m_plotsDocked = m_plots->isWindow();
            M_Ini::str_set(kIniSection, QStringLiteral("Docked"), QString::number(int(m_plotsDocked)),
                           MMain::iniFilePath());
            plots_place();
        });
        m_plotsGrip = new PanelGrip(
            [this](int dx) {
                m_plotsW = std::max(kMinPlotsW, plots_dockWidth() - dx);
                m_VwCtrl_resize();
            },
            m_client);
        m_plotsGrip->setObjectName(QStringLiteral("frmMain_plotsGrip"));
        m_plotsGrip->hide();
    }
    m_plots->show();
    plots_place();
    if (m_plots->isWindow())
        m_plots->raise();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.plots_show()"));
}

// Docked when the user wants it so and the views keep room enough, else a window of its own.
void frmMain::plots_place() try {
    if (!m_plots || m_plots->isHidden())
        return;
    const bool dock = m_plotsDocked && plots_room() >= kMinPlotsW;
    if (dock == !m_plots->isWindow()) {
        m_VwCtrl_resize();
        return;
    }
    if (dock) {
        m_plots->setParent(m_client, Qt::Widget);
    } else {
        m_plots->setParent(this, Qt::Tool);
        m_plots->resize(720, 460);
        // Beside the window where the screen has room, else over its right part, so the views
        // stay in sight as far as they can.
        const QRect own = frameGeometry();
        const QRect avail = screen() ? screen()->availableGeometry() : own;
        const int x = std::max(avail.left(), std::min(own.right() + 8, avail.right() - m_plots->width()));
        const int y = std::clamp(own.top(), avail.top(), std::max(avail.top(), avail.bottom() - m_plots->height()));
        // Before it is first shown a window manager may take the position for the picture's own
        // corner, putting the title bar above it: leave room for one as high as this window's.
        m_plots->move(x, y + std::max(0, geometry().top() - own.top()));
    }
    m_plots->setDocked(dock);
    m_plots->show(); // a new parent hides it
    m_VwCtrl_resize();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.plots_place()"));
}

int frmMain::plots_dockWidth() const
{
    if (!m_plots || m_plots->isWindow() || m_plots->isHidden())
        return 0;
    return std::clamp(m_plotsW, kMinPlotsW, std::max(kMinPlotsW, plots_room()));
}

// The views' panel leaves the docked plots their width on its right, the grip between.
void frmMain::plots_resize(int viewsW, int h)
{
    const int dock = plots_dockWidth();
    if (m_plotsGrip)
        m_plotsGrip->setVisible(dock > 0);
    if (dock <= 0 || !m_VwCtrl || !m_VwCtrl->panel())
        return;
    const QRect p = m_VwCtrl->panel()->geometry();
    m_plotsGrip->setGeometry(p.x() + viewsW, p.y(), kGripW, h);
    m_plots->setGeometry(p.x() + viewsW + kGripW, p.y(), dock, h);
}

void frmMain::plots_remember() const
{
    if (m_plots)
        M_Ini::str_set(kIniSection, QStringLiteral("Width"), QString::number(m_plotsW), MMain::iniFilePath());
}

void frmMain::trajectories_changed()
{
    if (m_plots)
        m_plots->changed();
}

// The docked plots shown or closed: the views take their room or give it.
void frmMain::plots_event(QObject* watched, QEvent* event)
{
    if ((event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) && m_plots &&
        watched == m_plots.data() && !m_plots->isWindow())
        m_VwCtrl_resize();
}

int frmMain::plots_gripWidth() { return kGripW; }

TrajectoryPlots* frmMain::plots() const { return m_plots; }
