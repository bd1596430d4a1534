// The plots window of the main window: it reads the trajectories of the views, takes the views
// to a frame clicked on a plot and keeps a trajectory's smoothing.
#include "mainwindow/frmMain.h"

#include "app/M_Msg.h"
#include "components/viewer/OvVView.h"
#include "dialogs/TrajectoryPlots.h"
#include "view/CVw.h"
#include "view/TrajectoryTool.h"
#include "viewcontroller/CVwCtrl.h"

#include <QScreen>

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
        m_plots = new TrajectoryPlots(std::move(source), this);
        // Beside the window where the screen has room, else over its right part, so the views
        // stay in sight as far as they can.
        const QRect own = frameGeometry();
        const QRect avail = screen() ? screen()->availableGeometry() : own;
        const int x = std::max(avail.left(), std::min(own.right() + 8, avail.right() - m_plots->width()));
        const int y = std::clamp(own.top(), avail.top(), std::max(avail.top(), avail.bottom() - m_plots->height()));
        m_plots->move(x, y);
    }
    if (!m_plots->isVisible())
        m_plots->show();
    m_plots->raise();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.plots_show()"));
}

TrajectoryPlots* frmMain::plots() const { return m_plots; }
