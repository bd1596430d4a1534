#include "graphics/M_OvGS.h"

#include "app/M_Msg.h"
#include "components/viewer/OvVView.h"
#include "util/M_Misc.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace M_OvGS {

namespace {

// The id counter shared by all views; never reset.
int g_idCounter = 0;

// The calibration line under construction (start cross, end cross, connecting line) and the
// anchor of the circle under construction: one of each is drawn at a time. The module only
// watches them; the collection owns them.
struct CalibLine {
    std::weak_ptr<OvGraphItem> start, end, line;
};
CalibLine g_calibLine;
QPointF g_circleAnchor;

const QString kCursor = QStringLiteral("|");

bool samePoint(const OvGraphItem& gi, int idx, double x, double y)
{
    return gi.x(idx) == float(x) && gi.y(idx) == float(y);
}

} // namespace

int ovGi_giType(int kind)
{
    switch (kind) {
    case OVGS_TYPE_LBL_ANGLE_2LINES:
    case OVGS_TYPE_LBL_ANGLE_3POINTS:
    case OVGS_TYPE_LBL_ANGLE_HORZ:
    case OVGS_TYPE_LBL_ANGLE_VERT:
    case OVGS_TYPE_CLOCK:
    case OVGS_TYPE_LBL_DIST:
    case OVGS_TYPE_TEXT:
        return OvGraphItem::Text;
    case OVGS_TYPE_CALIB:
    case OVGS_TYPE_CROSS:
        return OvGraphItem::Cross;
    case OVGS_TYPE_CIRCLE:
        return OvGraphItem::Ellipse;
    case OVGS_TYPE_FREEHAND:
    case OVGS_TYPE_LINE:
        return OvGraphItem::Line;
    case OVGS_TYPE_RECT:
        return OvGraphItem::Rectangle;
    default:
        return -1;
    }
}

int ovGi_newId() { return ++g_idCounter; }

void ovGi_idsTaken(int id)
{
    if (id < kIdClock) // the fixed ids lie above every counted one
        g_idCounter = std::max(g_idCounter, id);
}

GiPtr ovGi_new(int kind, OvGraphItems& gis, double x, double y, const QColor& color, int lineWidth, int curFrame,
               int firstFrame, int lastFrame, int id, bool replace) try {
    const int giType = ovGi_giType(kind);
    if (giType < 0) {
        M_Msg::errMsg(QStringLiteral("M_OvGS.ovGi_new_1()"), QStringLiteral(", giType = ") + QString::number(giType));
        return nullptr;
    }
    if (id < 0)
        id = ovGi_newId();
    else if (replace)
        gis.rmId(id);

    GiPtr gi = OvGraphItems::newItem(giType);
    gi->setColor(color);
    gi->setCurFrame(curFrame);
    gi->setFirstFrame(firstFrame);
    gi->setLastFrame(lastFrame);
    gi->setId(id);
    gi->setStyle(ovGi_lineWidth2style(lineWidth));
    gi->setPoint(0, float(x), float(y));
    gi->setPoint(1, float(x), float(y));
    gis.add(gi);

    switch (kind) {
    case OVGS_TYPE_LBL_ANGLE_2LINES:
    case OVGS_TYPE_LBL_ANGLE_3POINTS:
    case OVGS_TYPE_LBL_ANGLE_HORZ:
    case OVGS_TYPE_LBL_ANGLE_VERT:
        gi->setText(format00(0.0) + QChar(0x00B0));
        gi->setStyle(kStyleText18);
        break;
    case OVGS_TYPE_CALIB: {
        gi->setSize(7);
        GiPtr end = ovGi_new(OVGS_TYPE_CROSS, gis, x, y, color, lineWidth, curFrame, firstFrame, lastFrame, id, false);
        GiPtr line = ovGi_new(OVGS_TYPE_LINE, gis, x, y, color, lineWidth, curFrame, firstFrame, lastFrame, id, false);
        if (end)
            end->setSize(7);
        g_calibLine = {gi, end, line};
        // Dashed while it is being drawn; the release marks it finished.
        gis.markId(id, true);
        break;
    }
    case OVGS_TYPE_CIRCLE:
        gi->setSize(1);
        g_circleAnchor = QPointF(std::nearbyint(x), std::nearbyint(y));
        break;
    case OVGS_TYPE_CLOCK:
        gi->setText(M_Misc::formatTime(0.0f));
        break;
    case OVGS_TYPE_CROSS:
        gi->setSize(10);
        break;
    case OVGS_TYPE_LBL_DIST:
        gi->setText(QString());
        gi->setStyle(kStyleText18);
        break;
    case OVGS_TYPE_TEXT:
        gi->setText(kCursor);
        gi->setStyle(kStyleText18);
        break;
    default:
        break;
    }
    return gi;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovGi_new()"));
    return nullptr;
}

void ovGi_update(int kind, OvGraphItems& gis, GiPtr& gi, double x, double y, const QString& text) try {
    if (!gi)
        return;
    switch (kind) {
    case OVGS_TYPE_LBL_ANGLE_2LINES:
    case OVGS_TYPE_LBL_ANGLE_3POINTS:
    case OVGS_TYPE_LBL_ANGLE_HORZ:
    case OVGS_TYPE_LBL_ANGLE_VERT:
        gi->setPoint(0, float(x), float(y));
        gi->setText(text);
        break;
    case OVGS_TYPE_LBL_DIST:
        gi->setText(text);
        gi->setPoint(0, float(x), float(y));
        break;
    case OVGS_TYPE_CALIB:
        if (const GiPtr end = g_calibLine.end.lock())
            end->setPoint(0, float(x), float(y));
        if (const GiPtr line = g_calibLine.line.lock())
            line->setPoint(1, float(x), float(y));
        break;
    case OVGS_TYPE_CIRCLE: {
        // The anchor and the mouse point stand on a diameter.
        const QPointF a = g_circleAnchor;
        gi->setPoint(0, float((a.x() + x) / 2), float((a.y() + y) / 2));
        gi->setSize(float(std::hypot(x - a.x(), y - a.y()) / 2 + 1));
        break;
    }
    case OVGS_TYPE_FREEHAND: {
        if (samePoint(*gi, 0, x, y))
            return;
        gi->setPoint(1, float(x), float(y));
        GiPtr next = ovGi_new(OVGS_TYPE_FREEHAND, gis, x, y, gi->color(), ovGi_style2lineWidth(gi->style()),
                              gi->curFrame(), gi->firstFrame(), gi->lastFrame(), gi->id(), false);
        if (next) {
            next->setStyle(gi->style());
            gi = next;
        }
        break;
    }
    case OVGS_TYPE_LINE:
        if (samePoint(*gi, 0, x, y))
            return;
        gi->setPoint(1, float(x), float(y));
        break;
    case OVGS_TYPE_RECT:
        gi->setPoint(1, float(x), float(y));
        break;
    default:
        break;
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovGi_update()"));
}

void ovGi_update_OVGS_TYPE_TEXT(int keyCode, OvGraphItems&, GiPtr& gi) try {
    if (!gi)
        return;
    QString body = gi->text();
    if (body.endsWith(kCursor))
        body.chop(1);
    if (keyCode == kKeyBackspace) {
        if (!body.isEmpty())
            body.chop(body.size() >= 2 && body.back().isLowSurrogate() ? 2 : 1);
    } else if (keyCode >= 32 && keyCode != 127 && keyCode <= 0x10FFFF) {
        const char32_t c = char32_t(keyCode);
        body += QString::fromUcs4(&c, 1);
    }
    gi->setText(body + kCursor);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovGi_update_OVGS_TYPE_TEXT()"));
}

void ovGi_final(int kind, OvGraphItems& gis, GiPtr& gi, double x, double y, const QString&) try {
    if (!gi)
        return;
    switch (kind) {
    case OVGS_TYPE_CALIB:
        if (const GiPtr end = g_calibLine.end.lock())
            end->setPoint(1, float(x), float(y));
        if (const GiPtr line = g_calibLine.line.lock())
            line->setPoint(1, float(x), float(y));
        gis.markId(gi->id(), false);
        break;
    case OVGS_TYPE_FREEHAND: {
        gi->setPoint(1, float(x), float(y));
        // The segment begun at the last move is shorter than a pixel: the previous segment of
        // the stroke ends at the release instead, so n moves leave n segments.
        const QPointF d = gi->point(1) - gi->point(0);
        if (std::hypot(d.x(), d.y()) >= 1.0)
            break;
        for (int pos = gis.count(); pos >= 1; --pos) {
            const GiPtr prev = gis.item(pos);
            if (prev == gi || prev->id() != gi->id())
                continue;
            if (prev->point(1) == gi->point(0)) {
                prev->setPoint(1, float(x), float(y));
                gis.remove(gi.get());
                gi = prev;
            }
            break;
        }
        break;
    }
    case OVGS_TYPE_LINE:
        gi->setPoint(1, float(x), float(y));
        if (gi->point(0) == gi->point(1)) {
            gis.remove(gi.get());
            gi.reset();
        }
        break;
    case OVGS_TYPE_TEXT: {
        QString t = gi->text();
        if (t.endsWith(kCursor))
            t.chop(1);
        gi->setText(t);
        if (t.isEmpty()) {
            gis.remove(gi.get());
            gi.reset();
        }
        break;
    }
    default:
        break;
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovGi_final()"));
}

std::vector<GiPtr> ovGi_get(const OvGraphItems& gis, int id) try {
    std::vector<GiPtr> found;
    for (int pos = 1; pos <= gis.count(); ++pos)
        if (gis.item(pos)->id() == id)
            found.push_back(gis.item(pos));
    return found;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovGi_get()"));
    return {};
}

GiPtr ovGi_get1st(const OvGraphItems& gis, int id) try {
    for (int pos = 1; pos <= gis.count(); ++pos)
        if (gis.item(pos)->id() == id)
            return gis.item(pos);
    return nullptr;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovGi_get1st()"));
    return nullptr;
}

int ovGi_idHit(const OvGraphItems& gis, int frame, double x, double y) try {
    const GiPtr hit = gis.hitTest(frame, x, y, 1.0);
    return hit ? hit->id() : -1;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovGi_idHit()"));
    return -1;
}

int ovGi_idHit(const OvGraphItems& gis, const OvVView& viewer, double x, double y)
{
    return ovGi_idHit(gis, viewer.currentFrame(), x, y);
}

int ovGi_idLast(const OvGraphItems& gis) try {
    return gis.count() > 0 ? gis.item(gis.count())->id() : -1;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovGi_idLast()"));
    return -1;
}

void ovGi_setFrames(OvGraphItem& gi, int firstFrame, int lastFrame, int curFrame) try {
    gi.setFirstFrame(firstFrame);
    gi.setLastFrame(lastFrame);
    if (curFrame >= 0)
        gi.setCurFrame(curFrame);
    if (gi.curFrame() < firstFrame)
        gi.setCurFrame(firstFrame);
    if (gi.curFrame() > lastFrame)
        gi.setCurFrame(lastFrame);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovGi_setFrames()"));
}

int ovGi_lineWidth2style(int lineWidth)
{
    if (lineWidth < 1)
        return 0;
    if (lineWidth > 8)
        return 14;
    return 2 * (lineWidth - 1);
}

int ovGi_style2lineWidth(int style)
{
    if (style >= 0 && style <= 14 && style % 2 == 0)
        return style / 2 + 1;
    return 1;
}

QString format00(double v)
{
    QString s = QString::number(v, 'f', 2);
    if (s == QLatin1String("-0.00"))
        s = QStringLiteral("0.00");
    return s;
}

} // namespace M_OvGS
