// playback_bench: the real playback loop of the view controller over H.264 clips, headless.
// One run plays N views of one clip for a number of seconds at a speed and prints key=value
// lines:
//   due_<i>     frames view i was due to show (from where it started to where it stood at the
//               end, by its clock)
//   shown_<i>   distinct frames of that stretch the viewer actually painted
//   shown_ratio the smallest shown_i / due_i over the views
//   event_*_ms  how long events posted from another thread every 10 ms (as input arrives)
//               waited until the loop's event pump handled them: median, 99th percentile, max
//   passes      passes of the loop
//   stall_ms    the longest wait between two new frames painted after the first second (the
//               first view), beside frame_ms, the frame interval at the speed
//   messages    message boxes shown (answered at once and printed); a run with any exits with 3
//
//   playback_bench CLIP [--views N] [--speed S] [--seconds T] [--panel WxH] [--backwards]
//   playback_bench --write OUT --size WxH [--fps F] [--frames N] [--gop G] [--bframes B]
// The second form writes an H.264 clip of numbered frames (libx264, veryfast, CRF 20).
#include "app/M_GUI.h"
#include "HeadlessRun.h"
#include "app/M_Rc.h"
#include "components/DialogService.h"
#include "components/media/FixtureWriter.h"
#include "components/viewer/OvVView.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"
#include "viewcontroller/IMainWindowCallbacks.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <set>
#include <thread>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

namespace {

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

double quantile(std::vector<double> v, double q)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(q * double(v.size() - 1) + 0.5))];
}

class BenchWindow final : public QWidget, public IMainWindowCallbacks {
public:
    void ctrls_enable(bool) override {}
    float m_sldTbMainVidSpeed_valScale() override { return speed; }
    void playback_pass() override { ++passes; }
    float speed = 1.0f;
    long passes = 0;
};

// An event that remembers when it was posted.
class ProbeEvent final : public QEvent {
public:
    static QEvent::Type kind() { return static_cast<QEvent::Type>(QEvent::User + 77); }
    ProbeEvent() : QEvent(kind()), posted(Clock::now()) {}
    Clock::time_point posted;
};

// Receives the probes on the user-interface thread and notes their waiting times.
class ProbeReceiver final : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() != ProbeEvent::kind())
            return QObject::event(e);
        waits.push_back(msBetween(static_cast<ProbeEvent*>(e)->posted, Clock::now()));
        return true;
    }
    std::vector<double> waits;
};

// Notes the frame a viewer paints on every paint, and when each new frame came.
class PaintCounter final : public QObject {
public:
    explicit PaintCounter(OvVView* viewer) : m_viewer(viewer) { viewer->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched == m_viewer && e->type() == QEvent::Paint) {
            const int frame = m_viewer->currentFrame();
            if (painted.insert(frame).second)
                arrivals.push_back(Clock::now());
        }
        return false;
    }
    // The longest time between two new frames that came after `from`.
    double longestGapMs(Clock::time_point from) const
    {
        double gap = 0;
        for (size_t i = 1; i < arrivals.size(); ++i)
            if (arrivals[i - 1] >= from)
                gap = std::max(gap, msBetween(arrivals[i - 1], arrivals[i]));
        return gap;
    }
    std::set<int> painted;
    std::vector<Clock::time_point> arrivals;

private:
    OvVView* m_viewer;
};

QSize parseSize(const QString& s)
{
    const QStringList wh = s.split(QLatin1Char('x'));
    return wh.size() == 2 ? QSize(wh[0].toInt(), wh[1].toInt()) : QSize();
}

int writeClip(const QStringList& args)
{
    FixtureRecipe recipe;
    recipe.encoder = QStringLiteral("libx264");
    recipe.rate = {30, 1};
    recipe.frames = 600;
    recipe.gop = 45;
    recipe.bFrames = 2;
    QString out;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const QString next = i + 1 < args.size() ? args[i + 1] : QString();
        if (a == QLatin1String("--write")) {
            out = next;
            ++i;
        } else if (a == QLatin1String("--size")) {
            const QSize s = parseSize(next);
            recipe.width = s.width();
            recipe.height = s.height();
            ++i;
        } else if (a == QLatin1String("--fps")) {
            recipe.rate = {next.toInt(), 1};
            ++i;
        } else if (a == QLatin1String("--frames")) {
            recipe.frames = next.toInt();
            ++i;
        } else if (a == QLatin1String("--gop")) {
            recipe.gop = next.toInt();
            ++i;
        } else if (a == QLatin1String("--bframes")) {
            recipe.bFrames = next.toInt();
            ++i;
        }
    }
    QString why;
    if (out.isEmpty() || FixtureWriter::write(out, recipe, &why) != 0) {
        std::fprintf(stderr, "cannot write the clip: %s\n", qPrintable(why));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    av_log_set_level(AV_LOG_QUIET);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.contains(QStringLiteral("--write")))
        return writeClip(args);

    QString img;
    QString clip;
    int views = 1;
    float speed = 1.0f;
    double seconds = 6.0;
    QSize panel(1580, 780); // the view panel of a 1600 x 900 main window
    bool backwards = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString next = i + 1 < args.size() ? args[i + 1] : QString();
        if (args[i] == QLatin1String("--views")) {
            views = std::max(1, next.toInt());
            ++i;
        } else if (args[i] == QLatin1String("--speed")) {
            speed = next.toFloat();
            ++i;
        } else if (args[i] == QLatin1String("--seconds")) {
            seconds = next.toDouble();
            ++i;
        } else if (args[i] == QLatin1String("--img")) {
            img = next;
            ++i;
        } else if (args[i] == QLatin1String("--panel")) {
            panel = parseSize(next);
            ++i;
        } else if (args[i] == QLatin1String("--backwards")) {
            backwards = true;
        } else {
            clip = args[i];
        }
    }
    if (clip.isEmpty()) {
        std::fprintf(stderr, "usage: playback_bench CLIP [--views N] [--speed S] [--seconds T] [--panel WxH] [--backwards]\n");
        return 2;
    }

    PrintedDialogs* dialogs = HeadlessRun::begin(img);

    BenchWindow window;
    window.speed = speed;
    window.resize(panel);
    window.show();
    CVwCtrl ctrl;
    ctrl.ctrls_load(&window, &window);
    ctrl.setWH(panel.width(), panel.height());
    for (int i = 0; i < views; ++i)
        if (!ctrl.vws_vidLoadFile(clip, 1)) {
            std::fprintf(stderr, "cannot open %s\n", qPrintable(clip));
            ctrl.preTerminate();
            return 1;
        }
    QCoreApplication::processEvents(); // first pictures painted before the clock starts

    std::vector<std::unique_ptr<PaintCounter>> counters;
    for (int i = 0; i < views; ++i)
        counters.push_back(std::make_unique<PaintCounter>(ctrl.Vws(i)->viewer()));
    ProbeReceiver receiver;
    std::atomic<bool> posting{true};
    window.passes = 0;
    // The stop request arrives through the pump, as a click on the play button would.
    QTimer::singleShot(int(seconds * 1000), &window, [&] { ctrl.vidOp_do(false, false); });
    std::thread poster([&] {
        auto next = Clock::now();
        while (posting) {
            next += std::chrono::milliseconds(10);
            std::this_thread::sleep_until(next);
            QCoreApplication::postEvent(&receiver, new ProbeEvent);
        }
    });
    // Where each view starts is known once playback has placed it (backwards from the end).
    std::vector<int> startFrame(size_t(views), -1);
    QTimer::singleShot(0, &window, [&] {
        for (int i = 0; i < views; ++i)
            startFrame[size_t(i)] = ctrl.Vws(i)->viewer()->currentFrame();
    });
    const auto t0 = Clock::now();
    ctrl.vidOp_do(true, false, backwards);
    const double played = msBetween(t0, Clock::now()) / 1000.0;
    posting = false;
    poster.join();
    QCoreApplication::processEvents(); // the probes still queued count with their full wait
    const long passes = window.passes;

    CVw* first = ctrl.Vws(0);
    std::printf("clip=%s\nsize=%dx%d\nfps=%.3f\nviews=%d\nspeed=%.2f\nbackwards=%d\npanel=%dx%d\nviewer=%dx%d\nzoom=%d\n",
                qPrintable(clip), first->m_AviWidth, first->m_AviHeight, first->m_AviFrameRate, views, double(speed),
                int(backwards),
                panel.width(), panel.height(), first->viewer()->width(), first->viewer()->height(),
                first->viewer()->zoom());
    std::printf("played_s=%.3f\npasses=%ld\npasses_per_s=%.1f\n", played, passes, double(passes) / played);
    double worst = 1.0, sum = 0;
    for (int i = 0; i < views; ++i) {
        const int end = ctrl.Vws(i)->viewer()->currentFrame();
        const int start = startFrame[size_t(i)];
        const int due = backwards ? start - end : end - start;
        const auto& painted = counters[size_t(i)]->painted;
        const long shown = std::count_if(painted.begin(), painted.end(), [&](int f) {
            return backwards ? f < start && f >= end : f > start && f <= end;
        });
        const double ratio = due > 0 ? double(shown) / due : 0.0;
        worst = std::min(worst, ratio);
        sum += ratio;
        std::printf("due_%d=%d\nshown_%d=%ld\n", i, due, i, shown);
    }
    std::printf("shown_ratio=%.4f\nshown_ratio_mean=%.4f\n", worst, sum / views);
    std::printf("stall_ms=%.1f\nframe_ms=%.1f\n", counters[0]->longestGapMs(t0 + std::chrono::seconds(1)),
                1000.0 / (double(first->m_AviFrameRate) * double(speed)));
    std::printf("events=%zu\nevent_median_ms=%.2f\nevent_p99_ms=%.2f\nevent_max_ms=%.2f\n", receiver.waits.size(),
                quantile(receiver.waits, 0.5), quantile(receiver.waits, 0.99), quantile(receiver.waits, 1.0));
    std::printf("messages=%d\n", dialogs->messages);
    counters.clear();
    ctrl.preTerminate();
    const int messages = dialogs->messages;
    HeadlessRun::end();
    return messages == 0 ? 0 : 3;
}
