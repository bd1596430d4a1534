// The view's display modes: fields and the high-speed camera modes, mirror and rotation, all
// kept in the open flags and applied by reopening the file; and the grid of horizontal and
// vertical lines over the picture.
#include "view/CVw.h"

#include "app/M_Msg.h"
#include "components/viewer/OvVView.h"
#include "graphics/M_OvGS.h"

using namespace M_OvGS;

namespace {
constexpr int kFieldMask = 0xFF;
constexpr int kRot90 = 256;
constexpr int kRot180 = 512;
constexpr int kRot270 = 1024;
constexpr int kRotMask = kRot90 | kRot180 | kRot270;
constexpr int kMirror = 2048;
} // namespace

bool CVw::fieldMode(int value) const
{
    return (m_AviMode & kFieldMask) == value;
}

// A field mode replaces the whole of the flags, so it also clears rotation and mirroring; false
// returns to full frames.
void CVw::setFieldMode(int value, bool on) try {
    aviMode_apply(on ? value : 0);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.Let.FieldMode()"), idxText());
}

bool CVw::Mirror() const { return (m_AviMode & kMirror) != 0; }

void CVw::Mirror(bool on) try {
    aviMode_apply(on ? (m_AviMode | kMirror) : (m_AviMode & ~kMirror));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.Let.Mirror()"), idxText());
}

int CVw::Rotation() const
{
    if (m_AviMode & kRot90)
        return 90;
    if (m_AviMode & kRot180)
        return 180;
    if (m_AviMode & kRot270)
        return 270;
    return 0;
}

void CVw::Rotation(int nAngle) try {
    int mode = m_AviMode & ~kRotMask;
    if (nAngle == 90)
        mode |= kRot90;
    else if (nAngle == 180)
        mode |= kRot180;
    else if (nAngle == 270)
        mode |= kRot270;
    aviMode_apply(mode);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.Let.Rotation()"), idxText() + QStringLiteral(", nAngle = ") + QString::number(nAngle));
}

// Reopens the file in the new mode where the view stands, keeping offset and zoom; the viewer
// then gives the frame count, rate and size of the mode.
void CVw::aviMode_apply(int mode)
{
    if (mode == m_AviMode || !isFile() || m_VwCtrlMode != 1)
        return;
    const double t = m_TL.m_Time;
    if (vidLoadFile(m_AviFileName, mode, m_ovVVw->offsetX(), m_ovVVw->offsetY(), m_AviZoom)) {
        m_TL.time_goto(t);
        // The grid is laid anew over the picture of the new shape, in the look it had.
        if (m_NumHorizLines > 0)
            gridLines_set(kIdGridHorz, m_NumHorizLines, true);
        if (m_NumVertLines > 0)
            gridLines_set(kIdGridVert, m_NumVertLines, true);
        ctrls_resize();
    }
}

void CVw::NumHorizLines(int nLines) try {
    gridLines_set(kIdGridHorz, nLines);
    m_NumHorizLines = std::max(0, nLines);
    redraw();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.Let.NumHorizLines()"), idxText());
}

void CVw::NumVertLines(int nLines) try {
    gridLines_set(kIdGridVert, nLines);
    m_NumVertLines = std::max(0, nLines);
    redraw();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.Let.NumVertLines()"), idxText());
}

// n lines at equal spacing over the whole picture, standing in every frame, in the drawing
// colour and width of the moment; all share the grid's id.
void CVw::gridLines_set(int id, int n, bool keepLook)
{
    QColor color = m_DrwColor;
    int width = m_LineWidth;
    if (const GiPtr old = keepLook ? ovGi_get1st(*m_ovGis, id) : nullptr) {
        color = old->color();
        width = ovGi_style2lineWidth(old->style());
    }
    m_ovGis->rmId(id);
    const int w = m_AviWidth;
    const int h = m_AviHeight;
    const int last = std::max(0, m_AviNumFrames - 1);
    for (int i = 1; i <= n; ++i) {
        const bool horz = id == kIdGridHorz;
        const double pos = double(i) * (horz ? h : w) / (n + 1);
        GiPtr line = ovGi_new(OVGS_TYPE_LINE, *m_ovGis, horz ? 0.0 : pos, horz ? pos : 0.0, color, width, 0, 0, last, id,
                              false);
        if (line)
            line->setPoint(1, horz ? float(w - 1) : float(pos), horz ? float(pos) : float(h - 1));
    }
}
