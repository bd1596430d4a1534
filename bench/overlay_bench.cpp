// overlay_bench: what the drawn items and measurements cost when a 1080p frame is redrawn,
// beside redrawing the bare frame, through the real viewer offscreen. Prints key=value lines
// with medians over several runs of many redraws:
//   bare_ms      the frame redrawn with no collections
//   overlay_ms   the same frame redrawn with 1000 graphic items and 100 measurements
//   overlay_over_bare
//
//   overlay_bench [--runs N] [--redraws N]
//   overlay_bench --show SECONDS [--png FILE]
// With --show a window shows a frame with every kind of item, each angle kind and a distance
// drawn as the tools make them, for SECONDS seconds (for a screenshot), and with --png saves
// the viewer's picture.
#include "components/media/FixtureWriter.h"
#include "components/media/MediaCodes.h"
#include "components/overlay/OvCalib2Ds.h"
#include "components/overlay/OvGraphItems.h"
#include "components/overlay/OvMeasureScene.h"
#include "components/viewer/OvVView.h"
#include "graphics/M_OvGS.h"
#include "util/M_Misc.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <algorithm>
#include "BenchTiming.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

using BenchTiming::Clock;
using BenchTiming::median;
using BenchTiming::msSince;

// A clip with a soft gradient and a few shapes, so drawn items stand on a picture.
QString writeClip(QSize size, const QString& name)
{
    const QString path = QDir::temp().filePath(name);
    if (QFile::exists(path))
        return path;
    FixtureRecipe recipe;
    recipe.encoder = FixtureWriter::encoderAvailable(QStringLiteral("libx264")) ? QStringLiteral("libx264")
                                                                              : QStringLiteral("mpeg4");
    recipe.width = size.width();
    recipe.height = size.height();
    recipe.frames = 5;
    recipe.gop = 5;
    recipe.painter = [](QImage& image, int) {
        QPainter p(&image);
        QLinearGradient g(0, 0, image.width(), image.height());
        g.setColorAt(0, QColor(40, 60, 80));
        g.setColorAt(1, QColor(150, 140, 120));
        p.fillRect(image.rect(), g);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(90, 110, 90));
        p.drawEllipse(QRectF(image.width() * 0.55, image.height() * 0.15, image.width() * 0.25, image.height() * 0.6));
    };
    QString why;
    if (FixtureWriter::write(path, recipe, &why) != 0) {
        std::fprintf(stderr, "cannot write the clip: %s\n", qPrintable(why));
        return {};
    }
    return path;
}

// A small deterministic generator, so every run draws the same scene.
struct Lcg {
    uint32_t s = 12345;
    double next() { return (s = s * 1664525u + 1013904223u) / 4294967296.0; }
};

void fillHeavyScene(OvGraphItems& gis, OvMeasureScene& scene, QSize pic)
{
    Lcg r;
    const int types[] = {OvGraphItem::Line, OvGraphItem::Rectangle, OvGraphItem::Ellipse, OvGraphItem::Cross,
                         OvGraphItem::Text};
    for (int i = 0; i < 1000; ++i) {
        auto gi = OvGraphItems::newItem(types[i % 5]);
        gi->setId(i + 1);
        gi->setColor(QColor::fromHsv(i * 37 % 360, 200, 255));
        const float x = float(r.next() * pic.width()), y = float(r.next() * pic.height());
        gi->setPoint(0, x, y);
        gi->setPoint(1, x + float(r.next() * 200 - 100), y + float(r.next() * 200 - 100));
        gi->setSize(float(5 + r.next() * 40));
        gi->setStyle(gi->type() == OvGraphItem::Text ? 18 * 256 : 2 * (i % 4));
        gi->setText(QStringLiteral("T%1").arg(i));
        gi->setLastFrame(100);
        gis.add(gi);
    }
    auto cal = OvCalib2Ds().newCalib2D(pic);
    cal->setUnit(2);
    cal->setAspect(1.0f);
    cal->setRefLength(100);
    cal->setRefPoint(1, 0.1f, 0.0f);
    for (int i = 0; i < 50; ++i) {
        auto a = M_OvGS::ovAngle_new(i % 4, scene.angles(), scene, cal, r.next(), r.next(), Qt::yellow, 0, 0, 100,
                                     false, 5000 + i);
        for (int p = 1; p < 4; ++p)
            a->setPoint(p, float(r.next()), float(r.next()));
        auto d = M_OvGS::ovDist_new(8, scene.distances(), scene, cal, r.next(), r.next(), Qt::cyan, 0, 0, 100, 6000 + i);
        d->setPoint(1, float(r.next()), float(r.next()));
    }
}

int bench(int runs, int redraws)
{
    const QString clip = writeClip(QSize(1920, 1080), QStringLiteral("zorvik_overlay_bench_1080p.mp4"));
    if (clip.isEmpty())
        return 1;
    OvVView viewer;
    if (viewer.open(clip, 131072) != MediaOk) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(clip));
        return 1;
    }
    viewer.resize(1920, 1080);
    QImage target(viewer.size(), QImage::Format_ARGB32_Premultiplied);
    viewer.render(&target); // decodes and keeps the frame

    OvGraphItems gis;
    OvMeasureScene scene;
    fillHeavyScene(gis, scene, QSize(1920, 1080));

    std::vector<double> bare, overlay;
    for (int run = 0; run < runs; ++run) {
        viewer.setCollections(nullptr, nullptr, nullptr);
        auto t = Clock::now();
        for (int i = 0; i < redraws; ++i)
            viewer.render(&target);
        bare.push_back(msSince(t) / redraws);
        viewer.setCollections(&gis, &scene.distances(), &scene.angles());
        t = Clock::now();
        for (int i = 0; i < redraws; ++i)
            viewer.render(&target);
        overlay.push_back(msSince(t) / redraws);
    }
    // Where the time goes: each library type alone, and the measurements alone.
    const auto timed = [&](const OverlayCollection* items, const OverlayCollection* d, const OverlayCollection* a) {
        viewer.setCollections(items, d, a);
        std::vector<double> ms;
        for (int run = 0; run < runs; ++run) {
            const auto t = Clock::now();
            for (int i = 0; i < redraws; ++i)
                viewer.render(&target);
            ms.push_back(msSince(t) / redraws);
        }
        return median(ms) - median(bare);
    };
    for (int type : {OvGraphItem::Line, OvGraphItem::Rectangle, OvGraphItem::Ellipse, OvGraphItem::Cross,
                     OvGraphItem::Text}) {
        OvGraphItems only;
        for (int pos = 1; pos <= gis.count(); ++pos)
            if (gis.item(pos)->type() == type)
                only.add(gis.item(pos));
        std::printf("type%d_x%d_extra_ms=%.3f\n", type, only.count(), timed(&only, nullptr, nullptr));
    }
    std::printf("angles_extra_ms=%.3f\ndistances_extra_ms=%.3f\n", timed(nullptr, nullptr, &scene.angles()),
                timed(nullptr, &scene.distances(), nullptr));
    std::printf("clip=%s\nsize=1920x1080\nitems=%d\nangles=%d\ndistances=%d\nruns=%d\nredraws_per_run=%d\n",
                qPrintable(clip), gis.count(), scene.angles().count(), scene.distances().count(), runs, redraws);
    std::printf("bare_ms=%.3f\noverlay_ms=%.3f\noverlay_over_bare=%.2f\n", median(bare), median(overlay),
                median(overlay) / std::max(1e-9, median(bare)));
    return 0;
}

// Every item kind and measurement, made through the operations the tools call.
void fillShowScene(OvGraphItems& gis, OvMeasureScene& scene, QSize pic)
{
    using namespace M_OvGS;
    const QColor pale(255, 255, 128);
    const int w = pic.width(), h = pic.height();
    const auto item = [&](int kind, double x, double y, QColor c, int width) {
        return ovGi_new(kind, gis, x, y, c, width, 0, 0, 4);
    };

    GiPtr stroke = item(OVGS_TYPE_FREEHAND, 30, 60, QColor(255, 140, 60), 3);
    for (int i = 1; i <= 40; ++i)
        ovGi_update(OVGS_TYPE_FREEHAND, gis, stroke, 30 + i * 5, std::round(60 + 25 * std::sin(i / 4.0)));
    ovGi_final(OVGS_TYPE_FREEHAND, gis, stroke, 230, std::round(60 + 25 * std::sin(10.0)));

    GiPtr line = item(OVGS_TYPE_LINE, 40, 140, pale, 2);
    ovGi_update(OVGS_TYPE_LINE, gis, line, 220, 120);
    ovGi_final(OVGS_TYPE_LINE, gis, line, 220, 120);

    GiPtr circle = item(OVGS_TYPE_CIRCLE, 270, 40, QColor(120, 220, 255), 3);
    ovGi_update(OVGS_TYPE_CIRCLE, gis, circle, 350, 120);

    GiPtr rect = item(OVGS_TYPE_RECT, 40, 170, QColor(140, 255, 140), 2);
    ovGi_update(OVGS_TYPE_RECT, gis, rect, 200, 250);

    item(OVGS_TYPE_CROSS, 390, 60, QColor(255, 90, 200), 2);

    GiPtr text = item(OVGS_TYPE_TEXT, 60, 195, pale, 1);
    for (QChar c : QStringLiteral("Knee left"))
        ovGi_update_OVGS_TYPE_TEXT(c.unicode(), gis, text);
    ovGi_final(OVGS_TYPE_TEXT, gis, text, 0, 0);

    GiPtr clock = ovGi_new(OVGS_TYPE_CLOCK, gis, w - 150, 12, pale, 1, 0, 0, 4, kIdClock, true);
    clock->setText(M_Misc::formatTime(12.345f));

    // The calibration line: 200 pixels along the bottom stand for 50 cm.
    GiPtr calLine = item(OVGS_TYPE_CALIB, 40, h - 30, QColor(255, 255, 255), 1);
    ovGi_update(OVGS_TYPE_CALIB, gis, calLine, 240, h - 30);
    ovGi_final(OVGS_TYPE_CALIB, gis, calLine, 240, h - 30);
    auto cal = OvCalib2Ds().newCalib2D(pic);
    cal->setUnit(2);
    cal->setAspect(1.0f);
    cal->setRefLength(50);
    cal->setRefPoint(0, 40.0f / w, float(h - 30) / h);
    cal->setRefPoint(1, 240.0f / w, float(h - 30) / h);

    const auto angle = [&](int kind, std::initializer_list<QPointF> px, QColor c) {
        const QPointF first = *px.begin();
        GiPtr label = item(ovAngle_lblKind(kind), first.x(), first.y(), c, 1);
        AnglePtr a = ovAngle_new(kind, scene.angles(), scene, cal, first.x() / w, first.y() / h, c, 0, 0, 4, false,
                                 label->id());
        int idx = 0;
        for (const QPointF& p : px) {
            if (idx == 2 && kind == ANGLE_2LINES)
                ovAngle_update(kind, scene.angles(), a, 2, p.x() / w, p.y() / h);
            if (idx > 0)
                ovAngle_update(kind, scene.angles(), a, kind == ANGLE_2LINES && idx == 2 ? 3 : idx, p.x() / w, p.y() / h);
            ++idx;
        }
        ovAngle_lblUpdate(kind, gis, *a, w, h);
    };
    angle(ANGLE_3POINTS, {QPointF(470, 90), QPointF(440, 230), QPointF(600, 250)}, QColor(255, 220, 0));
    angle(ANGLE_2LINES, {QPointF(300, 300), QPointF(420, 330), QPointF(330, 420), QPointF(420, 360)}, QColor(0, 255, 200));
    angle(ANGLE_HORZ, {QPointF(560, 330), QPointF(680, 280)}, QColor(255, 120, 120));
    angle(ANGLE_VERT, {QPointF(720, 200), QPointF(690, 80)}, QColor(200, 160, 255));

    GiPtr distLabel = item(OVGS_TYPE_LBL_DIST, 520, 400, QColor(120, 255, 255), 1);
    DistPtr dist = ovDist_new(DIST_KIND, scene.distances(), scene, cal, 520.0 / w, 400.0 / h, QColor(120, 255, 255), 0,
                              0, 4, distLabel->id());
    ovDist_update(scene.distances(), dist, 760.0 / w, 430.0 / h);
    ovDist_lblUpdate(gis, *dist, w, h, 760, 430);
}

int show(double seconds, const QString& png)
{
    const QSize pic(800, 450);
    const QString clip = writeClip(pic, QStringLiteral("zorvik_overlay_show.mp4"));
    if (clip.isEmpty())
        return 1;
    OvVView viewer;
    if (viewer.open(clip, 131072) != MediaOk)
        return 1;
    OvGraphItems gis;
    OvMeasureScene scene;
    fillShowScene(gis, scene, pic);
    viewer.setCollections(&gis, &scene.distances(), &scene.angles());
    viewer.resize(pic);
    viewer.move(0, 0);
    viewer.show();
    if (!png.isEmpty())
        viewer.grab().save(png);
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < qint64(seconds * 1000))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    bool showMode = false;
    for (int i = 1; i < argc; ++i)
        showMode = showMode || QByteArray(argv[i]) == "--show";
    if (!showMode)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int runs = 7, redraws = 20;
    double seconds = 0;
    QString png;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (int i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs"))
            runs = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--redraws"))
            redraws = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--show"))
            seconds = args[++i].toDouble();
        else if (args[i] == QLatin1String("--png"))
            png = args[++i];
    }
    return showMode ? show(seconds, png) : bench(runs, redraws);
}
