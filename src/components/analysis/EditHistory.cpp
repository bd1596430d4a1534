#include "EditHistory.h"

namespace analysis {

namespace {
// The work of a view. What it shows and how, and what the calibration dialog will offer next,
// are taken from the view as it stands: none of them is a step a user would see undone.
View work(View v)
{
    v.video = {};
    v.openFlags = 0;
    v.source = true;
    v.zoom = -1;
    v.offsetX = v.offsetY = 0;
    v.calibLength = 0;
    v.calibUnit = 0;
    v.calibAspect = 0;
    return v;
}

View shownAs(View state, const View& now)
{
    state.video = now.video;
    state.openFlags = now.openFlags;
    state.source = now.source;
    state.zoom = now.zoom;
    state.offsetX = now.offsetX;
    state.offsetY = now.offsetY;
    state.calibLength = now.calibLength;
    state.calibUnit = now.calibUnit;
    state.calibAspect = now.calibAspect;
    return state;
}
} // namespace

void EditHistory::rebase(const View& now) { m_base = work(now); }

void EditHistory::observe(const View& now)
{
    View w = work(now);
    if (m_base && *m_base == w)
        return;
    if (m_base) {
        m_undo.push_back(std::move(*m_base));
        if (m_undo.size() > kMaxSteps)
            m_undo.erase(m_undo.begin());
        m_redo.clear();
    }
    m_base = std::move(w);
}

std::optional<View> EditHistory::step(const View& now, std::vector<View>& from, std::vector<View>& to)
{
    observe(now);
    if (from.empty())
        return std::nullopt;
    to.push_back(std::move(*m_base));
    m_base = std::move(from.back());
    from.pop_back();
    return shownAs(*m_base, now);
}

std::optional<View> EditHistory::undo(const View& now) { return step(now, m_undo, m_redo); }

std::optional<View> EditHistory::redo(const View& now) { return step(now, m_redo, m_undo); }

void EditHistory::clear()
{
    m_base.reset();
    m_undo.clear();
    m_redo.clear();
}

} // namespace analysis
