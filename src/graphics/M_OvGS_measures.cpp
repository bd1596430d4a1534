#include "graphics/M_OvGS.h"

#include "app/M_Msg.h"
#include "app/RtError.h"
#include "components/viewer/OvVView.h"

#include <cmath>

namespace M_OvGS {

namespace {

int roundEven(double v) { return int(std::nearbyint(v)); }

template <typename List>
std::vector<typename List::Item> byId(const List& list, int id)
{
    std::vector<typename List::Item> found;
    for (int pos = 1; pos <= list.count(); ++pos)
        if (list.item(pos)->userData() == id)
            found.push_back(list.item(pos));
    return found;
}

template <typename List>
int idHit(const List& list, int frame, int pictureWidth, double x, double y)
{
    if (pictureWidth <= 0)
        return -1;
    const auto hit = list.hitTest(frame, 3.0 / pictureWidth, x, y);
    return hit ? hit->userData() : -1;
}

} // namespace

// ---- Angles ---------------------------------------------------------------------------------

int ovAngle_type(int kind)
{
    switch (kind) {
    case ANGLE_2LINES:
        return OvAngle::TwoLines;
    case ANGLE_3POINTS:
        return OvAngle::ThreePoints;
    case ANGLE_HORZ:
        return OvAngle::ToHorizontal;
    case ANGLE_VERT:
        return OvAngle::ToVertical;
    default:
        return -1;
    }
}

int ovAngle_lblKind(int kind)
{
    switch (kind) {
    case ANGLE_2LINES:
        return OVGS_TYPE_LBL_ANGLE_2LINES;
    case ANGLE_3POINTS:
        return OVGS_TYPE_LBL_ANGLE_3POINTS;
    case ANGLE_HORZ:
        return OVGS_TYPE_LBL_ANGLE_HORZ;
    case ANGLE_VERT:
        return OVGS_TYPE_LBL_ANGLE_VERT;
    default:
        return -1;
    }
}

AnglePtr ovAngle_new(int kind, OvAngles& angles, OvMeasureScene& scene, const CalPtr& cal, double x, double y,
                     const QColor& color, int curFrame, int firstFrame, int lastFrame, bool orientation, int id) try {
    const int type = ovAngle_type(kind);
    if (type < 0) {
        M_Msg::errMsg(QStringLiteral("M_OvGS.ovAngle_new()"), QStringLiteral("Else: nType = ") + QString::number(kind));
        return nullptr;
    }
    AnglePtr angle = scene.newAngle();
    angle->setType(type);
    angle->setCalib(cal);
    angle->setOrientation(orientation);
    angle->setSignedMode(false);
    angle->setColor(color);
    angle->setCurFrame(curFrame);
    angle->setFirstFrame(firstFrame);
    angle->setLastFrame(lastFrame);
    for (int i = 0; i < 4; ++i)
        angle->setPoint(i, float(x), float(y));
    angle->setUserData(id);
    angle->setShowArc(true);
    angle->setArcRadius(55);
    angle->setLineWidth(1);
    angle->setPointMarks(1);
    angles.add(angle, QString());
    return angle;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovAngle_new()"));
    return nullptr;
}

void ovAngle_update(int kind, OvAngles&, AnglePtr& angle, int idx, double x, double y) try {
    if (!angle)
        return;
    angle->setPoint(idx, float(x), float(y));
    // The last point of these kinds fixes the angle: it shows its interior value.
    if ((kind == ANGLE_3POINTS && idx == 2) || ((kind == ANGLE_HORZ || kind == ANGLE_VERT) && idx == 1))
        ovAngle_interior(*angle, true);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovAngle_update()"));
}

void ovAngle_interior(OvAngle& angle, bool interior) try {
    angle.setSignedMode(false);
    const float v = angle.value();
    if ((interior && v > 180.0f) || (!interior && v < 180.0f))
        angle.setOrientation(!angle.orientation());
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovAngle_interior()"));
}

void ovAngle_orthopaedic(OvAngle& angle) try {
    angle.setSignedMode(true);
    if (angle.value() < 0.0f)
        angle.setOrientation(!angle.orientation());
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovAngle_orthopaedic()"));
}

int ovAngle_getIdxMaxX(const OvAngle& angle, int n) try {
    int best = 0;
    for (int i = 1; i <= n; ++i)
        if (float(angle.point(i).x()) > float(angle.point(best).x()))
            best = i;
    return best;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovAngle_getIdxMaxX()"));
    return 0;
}

QPoint ovAngle_getLblXY(int kind, const OvAngle& angle, int w, int h) try {
    if (w <= 0 || h <= 0)
        throw RtError(RtError::DivisionByZero);
    const auto X = [&angle](int i) { return float(angle.point(i).x()); };
    const auto Y = [&angle](int i) { return float(angle.point(i).y()); };
    // The limits are compared in single precision, as the points are held.
    const float right63 = float(1.0 - 63.0 / w);
    const float right90 = float(1.0 - 90.0 / w);
    int i = 0;
    int dx = 0;
    int dy = 0;
    switch (kind) {
    case ANGLE_2LINES:
        i = ovAngle_getIdxMaxX(angle, 1);
        dx = 3;
        if (right63 < X(i)) { // too near the right edge: the other end, label to its left
            i = 1 - i;
            dx = -60;
        }
        dy = -10;
        break;
    case ANGLE_3POINTS:
        i = ovAngle_getIdxMaxX(angle, 2);
        dx = right63 < X(i) ? -60 : 3;
        dy = -15;
        break;
    case ANGLE_HORZ:
        dx = right90 > X(0) ? 31 : -92;
        dy = -10;
        break;
    case ANGLE_VERT:
        dx = right90 > X(0) ? 3 : -60;
        dy = float(40.0 / h) > Y(0) ? 30 : -45;
        break;
    default:
        M_Msg::errMsg(QStringLiteral("M_OvGS.ovAngle_getLblXY()"), QStringLiteral("Else: nType = ") + QString::number(kind));
        return {};
    }
    return {roundEven(double(X(i)) * w + dx), roundEven(double(Y(i)) * h + dy)};
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovAngle_getLblXY()"));
    return {};
}

QString ovAngle_lblText(const OvAngle& angle) { return format00(angle.value()) + QChar(0x00B0); }

void ovAngle_lblUpdate(int kind, OvGraphItems& gis, const OvAngle& angle, int w, int h) try {
    GiPtr label = ovGi_get1st(gis, angle.userData());
    if (!label)
        return;
    const QPoint at = ovAngle_getLblXY(kind, angle, w, h);
    ovGi_update(ovAngle_lblKind(kind), gis, label, at.x(), at.y(), ovAngle_lblText(angle));
    gis.placeText(*label, at, QSizeF(w, h));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovAngle_lblUpdate()"));
}

int ovAngle_idHit(const OvAngles& angles, int frame, int pictureWidth, double x, double y) try {
    return idHit(angles, frame, pictureWidth, x, y);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovAngle_idHit()"));
    return -1;
}

int ovAngle_idHit(const OvAngles& angles, const OvVView& viewer, double x, double y)
{
    return ovAngle_idHit(angles, viewer.currentFrame(), viewer.pictureWidth(), x, y);
}

std::vector<AnglePtr> ovAngle_get(const OvAngles& angles, int id) try {
    return byId(angles, id);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovAngle_get()"));
    return {};
}

AnglePtr ovAngle_get1st(const OvAngles& angles, int id) try {
    for (int pos = 1; pos <= angles.count(); ++pos)
        if (angles.item(pos)->userData() == id)
            return angles.item(pos);
    return nullptr;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovAngle_get1st()"));
    return nullptr;
}

void ovAngle_rmId(OvAngles& angles, int id)
{
    int i = angles.count();
    try {
        for (; i >= 1; --i)
            if (angles.item(i)->userData() == id)
                angles.remove(i);
    } catch (...) {
        M_Msg::errMsg(QStringLiteral("M_OvGS.ovAngle_rmId()"),
                      QStringLiteral("nId = ") + QString::number(id) + QStringLiteral(", i = ") + QString::number(i));
    }
}

void ovAngle_rmAll(OvAngles& angles) try {
    angles.rmAll();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovAngle_rmAll()"));
}

template <typename M>
static void setFrames(M& m, int firstFrame, int lastFrame, int curFrame)
{
    m.setFirstFrame(firstFrame);
    m.setLastFrame(lastFrame);
    if (curFrame >= 0)
        m.setCurFrame(curFrame);
    if (m.curFrame() < firstFrame)
        m.setCurFrame(firstFrame);
    if (m.curFrame() > lastFrame)
        m.setCurFrame(lastFrame);
}

void ovAngle_setFrames(OvAngle& angle, int firstFrame, int lastFrame, int curFrame) try {
    setFrames(angle, firstFrame, lastFrame, curFrame);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovAngle_setFrames()"));
}

// ---- Distances ------------------------------------------------------------------------------

int ovDist_type(int kind) { return kind == 8 || kind == 9 ? 3 : -1; }

DistPtr ovDist_new(int kind, OvDistances& dists, OvMeasureScene& scene, const CalPtr& cal, double x, double y,
                   const QColor& color, int curFrame, int firstFrame, int lastFrame, int id) try {
    const int type = ovDist_type(kind);
    if (type < 0) {
        M_Msg::errMsg(QStringLiteral("M_OvGS.ovDist_new()"), QStringLiteral("Else: nType = ") + QString::number(kind));
        return nullptr;
    }
    DistPtr dist = scene.newDistance();
    dist->setType(type);
    dist->setCalib(cal);
    dist->setColor(color);
    dist->setCurFrame(curFrame);
    dist->setFirstFrame(firstFrame);
    dist->setLastFrame(lastFrame);
    dist->setPoint(0, float(x), float(y));
    dist->setPoint(1, float(x), float(y));
    dist->setUserData(id);
    dist->setLineWidth(1);
    dist->setEndMarks(1);
    dist->setPointMarks(1);
    dists.add(dist, QString());
    return dist;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovDist_new()"));
    return nullptr;
}

void ovDist_update(OvDistances&, DistPtr& dist, double x, double y) try {
    if (dist)
        dist->setPoint(1, float(x), float(y));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovDist_update()"));
}

QString ovDist_lblText(const OvDistance& dist)
{
    return format00(dist.value()) + u' ' + (dist.calib() ? dist.calib()->unitName() : QString());
}

QPoint ovDist_getLblXY(const OvDistance& dist, int w, int h, double x, double y) try {
    const QPointF p0 = dist.point(0);
    return {roundEven((double(float(p0.x())) * w + x) / 2 - 30), roundEven((double(float(p0.y())) * h + y) / 2)};
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovDist_getLblXY()"));
    return {};
}

void ovDist_lblUpdate(OvGraphItems& gis, const OvDistance& dist, int w, int h, double x, double y) try {
    GiPtr label = ovGi_get1st(gis, dist.userData());
    if (!label)
        return;
    const QPoint at = ovDist_getLblXY(dist, w, h, x, y);
    ovGi_update(OVGS_TYPE_LBL_DIST, gis, label, at.x(), at.y(), ovDist_lblText(dist));
    gis.placeText(*label, at, QSizeF(w, h));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovDist_lblUpdate()"));
}

int ovDist_idHit(const OvDistances& dists, int frame, int pictureWidth, double x, double y) try {
    return idHit(dists, frame, pictureWidth, x, y);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovDist_idHit()"));
    return -1;
}

int ovDist_idHit(const OvDistances& dists, const OvVView& viewer, double x, double y)
{
    return ovDist_idHit(dists, viewer.currentFrame(), viewer.pictureWidth(), x, y);
}

std::vector<DistPtr> ovDist_get(const OvDistances& dists, int id) try {
    return byId(dists, id);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovDist_get()"));
    return {};
}

DistPtr ovDist_get1st(const OvDistances& dists, int id) try {
    for (int pos = 1; pos <= dists.count(); ++pos)
        if (dists.item(pos)->userData() == id)
            return dists.item(pos);
    return nullptr;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovDist_get1st()"));
    return nullptr;
}

void ovDist_rmId(OvDistances& dists, int id)
{
    int i = dists.count();
    try {
        for (; i >= 1; --i)
            if (dists.item(i)->userData() == id)
                dists.remove(i);
    } catch (...) {
        M_Msg::errMsg(QStringLiteral("M_OvGS.ovDist_rmId()"),
                      QStringLiteral("nId = ") + QString::number(id) + QStringLiteral(", i = ") + QString::number(i));
    }
}

void ovDist_rmAll(OvDistances& dists) try {
    dists.rmAll();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovDist_rmAll()"));
}

void ovDist_setFrames(OvDistance& dist, int firstFrame, int lastFrame, int curFrame) try {
    setFrames(dist, firstFrame, lastFrame, curFrame);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_OvGS.ovDist_setFrames()"));
}

} // namespace M_OvGS
