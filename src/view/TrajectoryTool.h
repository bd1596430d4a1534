#pragma once

#include "components/overlay/OvTrajectories.h"
#include "components/tracking/TrackJob.h"

#include <QObject>
#include <QPointer>
#include <memory>
#include <optional>

class OvVView;

// The trajectory tools of one view. The automatic one starts a trajectory where it is pressed
// and follows the point from the present frame to the end of the video on a worker, the path
// growing as the points come; pressed on a trajectory's point of the present frame it drags
// that point instead, and tracking goes on from where it is released; pressed in the frame
// after a trajectory's last point (where it was lost) it goes on with that trajectory. The manual one sets the
// active trajectory's point of the present frame at each click. Tracking one trajectory at a
// time: a new start or a drag ends the run under way.
class TrajectoryTool : public QObject {
    Q_OBJECT
public:
    explicit TrajectoryTool(OvVView* viewer, QObject* parent = nullptr);
    ~TrajectoryTool() override;

    OvTrajectories& overlay() { return m_overlay; }
    const OvTrajectories& overlay() const { return m_overlay; }

    // A press of either tool at a picture point; `tolerance` in picture pixels says how near a
    // trajectory's point must be to be grabbed. False when the press did nothing.
    bool press(QPointF pos, double tolerance, bool automatic);
    void move(QPointF pos);
    // The release of a press that grabbed a point (or placed one by hand).
    void release(QPointF pos);
    bool dragging() const { return m_drag.has_value(); }
    // The manual tool starts a new trajectory with its next click.
    void startAfresh() { m_overlay.setActive(-1); }

    bool tracking() const { return m_job != nullptr && m_job->isRunning(); }
    // The user's stop: the run under way ends where it is and says so.
    void stop();
    // Replaces every trajectory, ending a run under way.
    void restore(const std::vector<tracking::Trajectory>& all);
    // Removes a trajectory, ending its run.
    void remove(int idx);
    // Follows the trajectory backwards from its point in the present frame to the first frame,
    // in place of what it had before that frame.
    void followBack(int idx);

signals:
    // Points were added, moved or removed.
    void changed();
    // A run began on a trajectory, or ended: why (a tracking::TrackStop) and at which frame.
    void started(int idx);
    void stopped(int idx, int stop, int frame);

private:
    // Tracks from `from` to `to` (the last frame when -1).
    void follow(int idx, int from, QPointF start, int to = -1);
    // Ends a run without a word: its later reports are dropped.
    void cancel();
    tracking::TrajectoryPoint pointHere(int frame, QPointF pos) const;
    // The trajectory a press off every point goes on with, or -1 for a new one.
    int continued(int frame, bool automatic) const;

    QPointer<OvVView> m_viewer;
    OvTrajectories m_overlay;
    std::unique_ptr<tracking::TrackJob> m_job;
    int m_jobTrajectory = -1;
    unsigned m_generation = 0; // reports of a run that was replaced are dropped
    struct Drag {
        int idx;
        bool automatic;
        QPointF offset; // from the pointer to the point it drags
    };
    std::optional<Drag> m_drag;
};
