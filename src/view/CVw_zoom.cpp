// The view's zoom and the offset of its picture: fitted to the cell, or a fixed zoom whose
// overflowing picture keeps the point under the anchor.
#include "view/CVw.h"

#include "app/M_Msg.h"
#include "app/RtError.h"
#include "components/viewer/OvVView.h"
#include "util/M_Misc.h"

#include <algorithm>

namespace {
int roundInt(double v) { return int(M_Misc::roundHalfEven(v)); }
} // namespace

void CVw::m_ovVVw_zoom() try {
    if (m_AviWidth <= 0 || m_AviHeight <= 0)
        return;
    const int maxW = m_ovVVw_maxWidth();
    const int maxH = m_ovVVw_maxHeight();
    if (m_AviZoom == -1) {
        const int z = std::clamp(M_Misc::getZoom(std::max(0, maxW), std::max(0, maxH), m_AviWidth, m_AviHeight), 1, 100);
        m_ovVVw->setZoom(z);
        m_ovVVw->resize(roundInt(m_AviWidth * z / 100.0), roundInt(m_AviHeight * z / 100.0));
    } else {
        const int z = m_AviZoom;
        const double wantW = double(z) * m_AviWidth / 100.0;
        const double wantH = double(z) * m_AviHeight / 100.0;
        const int z0 = m_ovVVw->zoom();
        m_ovVVw->setZoom(z);
        // Where the picture overflows, the offset moves so that the point under the anchor stays.
        int w = roundInt(wantW);
        int h = roundInt(wantH);
        if (wantW > maxW) {
            w = std::max(0, maxW);
            m_AviOffsetX += roundInt(double(m_AviOffsetX + std::max(0, m_ZoomX)) * (z - z0) / z0);
        }
        if (wantH > maxH) {
            h = std::max(0, maxH);
            m_AviOffsetY += roundInt(double(m_AviOffsetY + std::max(0, m_ZoomY)) * (z - z0) / z0);
        }
        m_ovVVw->resize(w, h);
    }
    m_ovVVw->setOffsetX(m_AviOffsetX);
    m_ovVVw->setOffsetY(m_AviOffsetY);
    m_AviOffsetX = m_ovVVw->offsetX();
    m_AviOffsetY = m_ovVVw->offsetY();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.m_ovVVw_zoom()"), idxText());
}

void CVw::m_ovVVw_resetOffsetAndZoom() try {
    m_AviOffsetX = 0;
    m_AviOffsetY = 0;
    m_AviZoom = -1;
    ctrls_resize();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.m_ovVVw_resetOffsetAndZoom()"), idxText());
}

void CVw::m_ovVVw_zoom100() try {
    m_AviZoom = m_AviZoom == 100 ? -1 : 100;
    m_AviOffsetX = 0;
    m_AviOffsetY = 0;
    ctrls_resize();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.m_ovVVw_zoom100()"), idxText());
}

void CVw::m_ovVVw_zoomIn() try {
    m_AviZoom = std::min((m_AviZoom == -1 ? m_ovVVw->zoom() : m_AviZoom) + 1, 10000);
    ctrls_resize();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.m_ovVVw_zoomIn()"), idxText());
}

void CVw::m_ovVVw_zoomOut() try {
    m_AviZoom = std::max((m_AviZoom == -1 ? m_ovVVw->zoom() : m_AviZoom) - 1, 1);
    ctrls_resize();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.m_ovVVw_zoomOut()"), idxText());
}

void CVw::m_ovVVw_mvOffset(int dx, int dy) try {
    m_AviOffsetX = std::max(0, Checked::add(m_AviOffsetX, dx));
    m_AviOffsetY = std::max(0, Checked::add(m_AviOffsetY, dy));
    m_ovVVw->setOffsetX(m_AviOffsetX);
    m_ovVVw->setOffsetY(m_AviOffsetY);
    m_AviOffsetX = m_ovVVw->offsetX();
    m_AviOffsetY = m_ovVVw->offsetY();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.m_ovVVw_mvOffset()"), idxText());
}
