// vidop_bench: the video operations as the program runs them, headless, through the view
// controller with real views.
//
//   vidop_bench save OP OUT.avi CLIP...   writes the output of OP (mix, split, strobo) over the
//                                         whole clips as Motion JPEG at quality 93 (ffmpeg's
//                                         -q:v 3) and prints seconds=...
//   vidop_bench live OP SECONDS CLIP...   plays the sources looped for SECONDS and prints the
//                                         output pictures made per second (outputs_per_s=...)
//                                         beside the sources' own rate (due_per_s=...)
#include "components/viewer/OvVView.h"
#include "view/CVw.h"
#include "dialogs/frmPrpVidMix.h"
#include "viewcontroller/CVwCtrl.h"
#include "viewcontroller/IMainWindowCallbacks.h"

#include "BenchTiming.h"
#include "HeadlessRun.h"

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QWidget>
#include <cstdio>
#include <functional>

namespace {

using BenchTiming::Clock;
using BenchTiming::msSince;

class BenchWindow final : public QWidget, public IMainWindowCallbacks {
public:
    void ctrls_enable(bool) override {}
    void playback_pass() override
    {
        if (onPass)
            onPass();
    }
    std::function<void()> onPass;
};

int opNumber(const QString& name)
{
    if (name == QLatin1String("mix"))
        return 1;
    if (name == QLatin1String("split"))
        return 2;
    if (name == QLatin1String("strobo"))
        return 3;
    return 0;
}

int usage()
{
    std::fputs("usage: vidop_bench save mix|split|strobo OUT.avi CLIP...\n"
               "       vidop_bench live mix|split|strobo SECONDS CLIP... [--alg N]\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    PrintedDialogs* dialogs = HeadlessRun::begin();
    QStringList args = QCoreApplication::arguments().mid(1);
    // --alg N: the blend algorithm of a mix (1 .. 3, the dialog's default otherwise).
    int algorithm = 0;
    if (const qsizetype at = args.indexOf(QStringLiteral("--alg")); at >= 0 && at + 1 < args.size()) {
        algorithm = args[at + 1].toInt();
        args.remove(at, 2);
    }
    if (args.size() < 4 || opNumber(args[1]) == 0)
        return usage();
    const bool save = args[0] == QLatin1String("save");
    if (!save && args[0] != QLatin1String("live"))
        return usage();

    BenchWindow window;
    window.resize(1600, 1000);
    CVwCtrl ctrl;
    ctrl.ctrls_load(&window, &window);
    ctrl.setWH(1600, 1000);
    window.show();
    int status = 0;
    for (const QString& clip : args.mid(3)) {
        if (!ctrl.vws_vidLoadFile(clip, 0)) {
            std::fprintf(stderr, "cannot open %s\n", qPrintable(clip));
            status = 1;
        }
    }
    for (int i = 0; status == 0 && i < ctrl.numVws(); ++i)
        ctrl.vw_select(i, i > 0, true);
    if (status == 0) {
        ctrl.VidOp(opNumber(args[1]));
        if (frmPrpVidMix* mix = ctrl.mixDialog(); mix && algorithm > 0)
            mix->setValues(algorithm, 0.5, 0.5);
        if (save) {
            dialogs->codec = CodecChoice{QStringLiteral("mjpeg"), 93};
            const auto start = Clock::now();
            const bool ok = ctrl.vw_saveVidOpVw(ctrl.m_VwIdxOp, args[2]);
            std::printf("seconds=%.3f\n", msSince(start) / 1000);
            status = ok ? 0 : 1;
        } else {
            const double seconds = args[2].toDouble();
            // An output is a new picture in the output view.
            long long outputs = 0;
            qint64 lastPicture = 0;
            const auto start = Clock::now();
            window.onPass = [&] {
                if (CVw* out = ctrl.Vws(ctrl.m_VwIdxOp)) {
                    const qint64 key = out->image()->pixmap().cacheKey();
                    outputs += key != lastPicture;
                    lastPicture = key;
                }
                if (msSince(start) >= seconds * 1000)
                    ctrl.vidOp_do(false, true);
            };
            ctrl.vidOp_do(true, true);
            window.onPass = {};
            const double elapsed = msSince(start) / 1000;
            std::printf("outputs_per_s=%.2f\ndue_per_s=%.2f\n", double(outputs) / elapsed,
                        ctrl.VwsSrc(1) ? ctrl.VwsSrc(1)->m_AviFrameRate : 0.0);
        }
    }
    ctrl.preTerminate();
    if (dialogs->messages > 0)
        status = 1; // a run that showed a message did not measure what it says
    HeadlessRun::end();
    return status;
}
