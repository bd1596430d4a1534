// view_bench: what it costs to show a new 1080p frame in a fit-zoomed view cell, beside what it
// costs the engine to decode that frame. One run prints key=value lines with medians over the
// frames of a clip:
//   decode_ms   the engine decodes the next frame (sequential, as in playback) to its picture
//   show_ms     the view shows that frame: picture from the cache, scaled to the cell, painted
//   repaint_ms  the same frame painted again (the scaled picture is kept)
//
//   view_bench [CLIP] [--cell WxH]
// Without CLIP a 1080p H.264 clip (or MPEG-4 Part 2 when libx264 is missing) is written to the
// temporary folder first.
#include "components/media/FixtureWriter.h"
#include "components/viewer/OvVView.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"
#include "viewcontroller/IMainWindowCallbacks.h"

#include "HeadlessRun.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QWidget>
#include <algorithm>
#include "BenchTiming.h"

#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using BenchTiming::Clock;
using BenchTiming::median;
using BenchTiming::msSince;

class BenchWindow final : public QWidget, public IMainWindowCallbacks {
public:
    void ctrls_enable(bool) override {}
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    HeadlessRun::begin();
    QString clip;
    QSize cell(640, 520);
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--cell") && i + 1 < args.size()) {
            const QStringList wh = args[++i].split(QLatin1Char('x'));
            if (wh.size() == 2)
                cell = QSize(wh[0].toInt(), wh[1].toInt());
        } else {
            clip = args[i];
        }
    }
    if (clip.isEmpty()) {
        FixtureRecipe recipe;
        recipe.encoder = FixtureWriter::encoderAvailable(QStringLiteral("libx264")) ? QStringLiteral("libx264")
                                                                                  : QStringLiteral("mpeg4");
        recipe.width = 1920;
        recipe.height = 1080;
        recipe.frames = 60;
        recipe.gop = 30;
        clip = QDir::temp().filePath(QStringLiteral("zorvik_view_bench_1080p.mp4"));
        if (!QFile::exists(clip)) {
            QString why;
            if (FixtureWriter::write(clip, recipe, &why) != 0) {
                std::fprintf(stderr, "cannot write the clip: %s\n", qPrintable(why));
                return 1;
            }
        }
    }

    BenchWindow window;
    window.resize(cell);
    CVwCtrl ctrl;
    ctrl.ctrls_load(&window, &window);
    ctrl.setWH(cell.width(), cell.height());
    ctrl.vws_setNum(1);
    CVw* vw = ctrl.Vws(0);
    if (!vw->vidLoadFile(clip, 0, -1, -1, -1)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(clip));
        ctrl.preTerminate();
        return 1;
    }
    ctrl.ctrls_resize();
    OvVView* viewer = vw->viewer();
    QImage target(viewer->size(), QImage::Format_ARGB32_Premultiplied);
    viewer->render(&target);

    std::vector<double> decode, show, repaint;
    for (int n = 1; n < vw->m_AviNumFrames; ++n) {
        auto t = Clock::now();
        const QImage picture = viewer->source().picture(n); // decodes frame n into the cache
        decode.push_back(msSince(t));
        if (picture.isNull())
            continue;
        t = Clock::now();
        vw->vidShowFra(n);
        viewer->render(&target);
        show.push_back(msSince(t));
        t = Clock::now();
        viewer->render(&target);
        repaint.push_back(msSince(t));
    }
    std::printf("clip=%s\nsize=%dx%d\nframes=%zu\ncell=%dx%d\nviewer=%dx%d\nzoom=%d\n", qPrintable(clip),
                vw->m_AviWidth, vw->m_AviHeight, show.size(), cell.width(), cell.height(), viewer->width(),
                viewer->height(), viewer->zoom());
    std::printf("decode_ms=%.3f\nshow_ms=%.3f\nrepaint_ms=%.3f\nshow_over_decode=%.3f\n", median(decode), median(show),
                median(repaint), median(show) / std::max(1e-9, median(decode)));
    ctrl.preTerminate();
    return 0;
}
