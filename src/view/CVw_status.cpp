// What the status bar shows of a view: its present frame and where the pointer is.
#include "view/CVw.h"

#include "components/analysis/TrajectoryTables.h"
#include "components/viewer/OvVView.h"
#include "viewcontroller/CVwCtrl.h"

#include <algorithm>
#include <cmath>

void CVw::pointer_moved(bool inside, double xImg, double yImg)
{
    m_pointerIn = inside;
    m_pointer = {xImg, yImg};
    if (m_VwCtrl)
        m_VwCtrl->status_changed();
}

ViewStatus CVw::status() const
{
    ViewStatus s;
    if (!m_ovVVw || !m_ovVVw->isOpen())
        return s;
    s.frame = m_ovVVw->currentFrame();
    s.frames = m_ovVVw->expectedFrameCount();
    s.provisional = m_ovVVw->source().isProvisional(s.frame);
    s.estimated = m_ovVVw->source().indexing();
    s.seconds = m_TL.m_Time;
    const QSize picture(m_ovVVw->pictureWidth(), m_ovVVw->pictureHeight());
    // The viewer reports points beside the picture too; those name no pixel of it.
    s.pointer = m_pointerIn && m_pointer.x() >= 0 && m_pointer.y() >= 0 && m_pointer.x() < picture.width() &&
                m_pointer.y() < picture.height();
    if (!s.pointer)
        return s;
    s.pixels = m_pointer;
    if (m_ovCal2D) {
        const tracking::PlaneScale scale = analysis::planeScale(*m_ovCal2D);
        if (!scale.isPixels()) {
            s.calibrated = true;
            s.units = scale.toUnits(m_pointer);
            s.unit = scale.unit;
            const double tenth = std::max(scale.perPixelX, scale.perPixelY) / 10;
            s.decimals = std::clamp(int(std::ceil(-std::log10(tenth))), 0, 6);
        }
    }
    return s;
}
