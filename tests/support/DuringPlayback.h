// Runs test steps from inside a real playback of the controller's selected views: the playback
// loop pumps events on every pass, so a zero timer started before it fires within it.
#pragma once

#include "viewcontroller/CVwCtrl.h"

#include <QTimer>
#include <functional>

// Starts looping playback, runs `steps` on its first pass and ends the playback if the steps
// left it running. False when the playback never ran the steps (its sources did not fit).
inline bool duringPlayback(CVwCtrl& ctrl, const std::function<void()>& steps)
{
    bool ran = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ran = true;
        steps();
        ctrl.vidOp_do(false, false);
    });
    timer.start(0);
    ctrl.vidOp_do(true, true);
    return ran;
}
