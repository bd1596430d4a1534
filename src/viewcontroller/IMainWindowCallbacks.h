#pragma once

#include <QStringList>

// What the view controller and its views ask of the main window: after every change of
// selection, focus, tool, operation or content the window recomputes the enabled and pressed
// states of its buttons and menu entries from the controller's state.
class IMainWindowCallbacks {
public:
    virtual ~IMainWindowCallbacks() = default;
    virtual void ctrls_enable(bool enable = true) = 0;
    // The playback speed factor chosen on the speed slider (1 = real time).
    virtual float m_sldTbMainVidSpeed_valScale() { return 1.0f; }
    // The files chosen in the open dialog: analyses open in place of the views, videos in new
    // views. Without a window the videos open directly.
    virtual bool files_open(const QStringList&) { return false; }
    // A trajectory was followed: the plots are shown (they stay where the user put them).
    virtual void plots_show() {}
    // A view's trajectories changed: points came, moved or went.
    virtual void trajectories_changed() {}
    // Once per pass of the playback loop, after the views have moved and before events are
    // pumped: the window shows the present frame of the focused view.
    virtual void playback_pass() {}
    // A view showed another frame, took the focus, or the pointer moved over its picture.
    virtual void status_update() {}
};
