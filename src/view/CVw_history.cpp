// Editing a view's work as a whole: undo and redo of whatever changed it, and removing the item
// under the pointer.
#include "view/CVw.h"

#include "app/M_Msg.h"
#include "view/TrajectoryTool.h"

void CVw::history_observe() try {
    // A run adds points as it goes: the run as a whole becomes one step once it has ended.
    if (!isFile() || (m_trajTool && m_trajTool->tracking()))
        return;
    m_history.observe(analysis_get());
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.history_observe()"), idxText());
}

bool CVw::history_step(bool redo) try {
    if (!isFile() || (m_trajTool && m_trajTool->tracking()))
        return false;
    const analysis::View now = analysis_get();
    const std::optional<analysis::View> state = redo ? m_history.redo(now) : m_history.undo(now);
    if (state)
        analysis_restore(*state);
    return state.has_value();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.history_step()"), idxText());
    return false;
}

bool CVw::item_rmUnderPointer() try {
    if (!isFile() || !m_pointerIn)
        return false;
    m_trajHit = trajectory_hit(m_pointer.x(), m_pointer.y());
    if (m_trajHit >= 0) {
        trajectory_rmHit();
        return true;
    }
    const int id = graphObj_idHit(m_pointer.x(), m_pointer.y());
    if (id < 0)
        return false;
    graphObj_rmId(id);
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.item_rmUnderPointer()"), idxText());
    return false;
}
