// A view's work as plain data for analysis files, and back.
#include "view/CVw.h"

#include "app/M_Msg.h"
#include "components/analysis/AnalysisDoc.h"
#include "graphics/M_OvGS.h"
#include "view/TrajectoryTool.h"

#include <QFileInfo>
#include <map>

using namespace M_OvGS;

namespace {

void measureGet(const OvMeasure& m, analysis::Measurement& out, int points)
{
    out.color = m.color();
    out.lineWidth = m.lineWidth();
    out.pointMarks = m.pointMarks();
    out.firstFrame = m.firstFrame();
    out.lastFrame = m.lastFrame();
    out.curFrame = m.curFrame();
    out.id = m.userData();
    out.type = m.type();
    for (int i = 0; i < points; ++i)
        out.points[size_t(i)] = m.point(i);
}

void measureSet(OvMeasure& m, const analysis::Measurement& in, int points)
{
    m.setColor(in.color);
    m.setLineWidth(in.lineWidth);
    m.setPointMarks(in.pointMarks);
    m.setFirstFrame(in.firstFrame);
    m.setLastFrame(in.lastFrame);
    m.setCurFrame(in.curFrame);
    m.setUserData(in.id);
    m.setType(in.type);
    for (int i = 0; i < points; ++i)
        m.setPoint(i, float(in.points[size_t(i)].x()), float(in.points[size_t(i)].y()));
}

} // namespace

analysis::View CVw::analysis_get() const
{
    analysis::View v;
    v.video.absolutePath = m_AviFileName;
    v.video.size = QFileInfo(m_AviFileName).size();
    v.video.frames = m_AviNumFrames;
    v.video.frameRate = m_AviFrameRate;
    v.video.picture = QSize(m_AviWidth, m_AviHeight);
    v.openFlags = m_AviMode;
    v.zoom = m_AviZoom;
    v.offsetX = m_AviOffsetX;
    v.offsetY = m_AviOffsetY;
    v.gridHorz = m_NumHorizLines;
    v.gridVert = m_NumVertLines;
    v.timeLine = m_TL.markers();

    // Each calibration once, by its place in the list; measurements refer to it by that place.
    std::map<const OvCalib2D*, int> calIdx;
    const auto calibration = [&](const std::shared_ptr<OvCalib2D>& c) {
        if (!c)
            return -1;
        auto [it, added] = calIdx.emplace(c.get(), int(v.calibrations.size()));
        if (added)
            v.calibrations.push_back({c->pictureSize(), c->unit(), c->aspect(), c->refLength(),
                                      {c->refPoint(0), c->refPoint(1)}});
        return it->second;
    };
    v.calibrationInForce = calibration(m_ovCal2D);
    v.calibrationLineId = m_gidCalib;
    v.calibLength = m_CalibDist;
    v.calibUnit = m_CalibUnit;
    v.calibAspect = m_CalibAspectRatio;

    for (int pos = 1; pos <= m_ovGis->count(); ++pos) {
        const auto gi = m_ovGis->item(pos);
        if (gi->marked() || gi == m_ovGiDrw)
            continue;
        // The stopwatch shows the time where the view stands: its text is made again there.
        const QString text = gi->id() == kIdClock ? QString() : gi->text();
        v.drawings.push_back({gi->type(), gi->id(), gi->color(), gi->style(), {gi->point(0), gi->point(1)},
                              gi->size(), text, gi->firstFrame(), gi->lastFrame(), gi->curFrame()});
    }
    const OvAngles& angles = m_ovMeasures->angles();
    for (int pos = 1; pos <= angles.count(); ++pos) {
        const auto a = angles.item(pos);
        if (a == m_ovAngleDrw)
            continue;
        analysis::Measurement m;
        m.kind = analysis::Measurement::Angle;
        measureGet(*a, m, 4);
        m.calibration = calibration(a->calib());
        m.orientation = a->orientation();
        m.signedMode = a->signedMode();
        m.showArc = a->showArc();
        m.arcRadius = a->arcRadius();
        m.key = angles.key(pos);
        v.measurements.push_back(m);
    }
    const OvDistances& dists = m_ovMeasures->distances();
    for (int pos = 1; pos <= dists.count(); ++pos) {
        const auto d = dists.item(pos);
        if (d == m_ovDistDrw)
            continue;
        analysis::Measurement m;
        m.kind = analysis::Measurement::Distance;
        measureGet(*d, m, 2);
        m.calibration = calibration(d->calib());
        m.endMarks = d->endMarks();
        m.key = dists.key(pos);
        v.measurements.push_back(m);
    }
    if (m_trajTool)
        v.trajectories = m_trajTool->overlay().all();
    return v;
}

void CVw::analysis_restore(const analysis::View& v) try {
    // Its markers and ranges may lie beyond the frames indexed so far.
    index_complete(false);
    // Nothing half drawn survives; the tool stays, but a reference line is abandoned.
    constexpr int kActCalib = 8;
    const int action = m_VwAction == kActCalib ? 0 : m_VwAction;
    VwAction(0);
    VwAction(action);
    m_ovGis->rmAll();
    ovAngle_rmAll(m_ovAngles());
    ovDist_rmAll(m_ovDists());
    m_erased.clear();
    m_ovGiClock.reset();

    std::vector<std::shared_ptr<OvCalib2D>> cals;
    for (const analysis::Calibration& c : v.calibrations) {
        auto cal = m_ovCal2Ds.newCalib2D(c.picture);
        cal->setUnit(c.unit);
        cal->setAspect(float(c.aspect));
        cal->setRefLength(c.length);
        for (int i = 0; i < 2; ++i)
            cal->setRefPoint(i, float(c.reference[size_t(i)].x()), float(c.reference[size_t(i)].y()));
        cals.push_back(cal);
    }
    const auto calAt = [&](int idx) { return idx >= 0 && idx < int(cals.size()) ? cals[size_t(idx)] : nullptr; };
    m_ovCal2D = calAt(v.calibrationInForce);
    m_gidCalib = v.calibrationLineId;
    m_CalibDist = v.calibLength;
    m_CalibUnit = v.calibUnit;
    m_CalibAspectRatio = v.calibAspect;

    for (const analysis::Drawing& d : v.drawings) {
        auto gi = OvGraphItems::newItem(d.type);
        gi->setId(d.id);
        gi->setColor(d.color);
        gi->setStyle(d.style);
        for (int i = 0; i < 2; ++i)
            gi->setPoint(i, float(d.points[size_t(i)].x()), float(d.points[size_t(i)].y()));
        gi->setSize(float(d.size));
        gi->setText(d.text);
        gi->setFirstFrame(d.firstFrame);
        gi->setLastFrame(d.lastFrame);
        gi->setCurFrame(d.curFrame);
        m_ovGis->add(gi);
        ovGi_idsTaken(d.id);
    }
    m_ovGiClock = ovGi_get1st(*m_ovGis, kIdClock);
    m_NumHorizLines = v.gridHorz;
    m_NumVertLines = v.gridVert;

    for (const analysis::Measurement& m : v.measurements) {
        if (m.kind == analysis::Measurement::Angle) {
            auto a = OvMeasureScene::newAngle();
            measureSet(*a, m, 4);
            a->setCalib(calAt(m.calibration));
            a->setOrientation(m.orientation);
            a->setSignedMode(m.signedMode);
            a->setShowArc(m.showArc);
            a->setArcRadius(m.arcRadius);
            m_ovAngles().add(a, m.key);
        } else {
            auto d = OvMeasureScene::newDistance();
            measureSet(*d, m, 2);
            d->setCalib(calAt(m.calibration));
            d->setEndMarks(m.endMarks);
            m_ovDists().add(d, m.key);
        }
        ovGi_idsTaken(m.id);
    }

    if (m_trajTool)
        m_trajTool->restore(v.trajectories);
    m_TL.markers_restore(v.timeLine);
    m_AviZoom = v.zoom;
    m_AviOffsetX = v.offsetX;
    m_AviOffsetY = v.offsetY;
    ctrls_resize();
    clock_update();
    redraw();
    m_history.rebase(analysis_get()); // a restored state is no step of its own
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.analysis_restore()"), idxText());
}
