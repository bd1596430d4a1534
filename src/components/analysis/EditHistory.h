#pragma once

#include "AnalysisDoc.h"

#include <optional>
#include <vector>

namespace analysis {

// The undo and redo steps of one view's work (drawings, measurements, calibrations, markers,
// trajectories), as whole states: whatever changed the work between two observations is one
// step, however it was made. How the view is shown (its zoom and offset) is no work: it neither
// makes a step nor changes with one.
class EditHistory {
public:
    static constexpr std::size_t kMaxSteps = 100;

    // Takes the view's present state as the one the next change starts from, keeping the steps.
    void rebase(const View& now);
    // Records a step when the work changed since the last observation.
    void observe(const View& now);
    // The state to restore (shown as `now` is), or nothing when there is no step.
    std::optional<View> undo(const View& now);
    std::optional<View> redo(const View& now);
    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    void clear();

private:
    std::optional<View> step(const View& now, std::vector<View>& from, std::vector<View>& to);
    std::optional<View> m_base;
    std::vector<View> m_undo;
    std::vector<View> m_redo;
};

} // namespace analysis
