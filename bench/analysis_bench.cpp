// analysis_bench: saving and loading an analysis of 1,000 drawings and 200 measurements over
// four views, beside a plain parse of the same bytes. Prints key=value lines with medians:
//   bytes          size of the saved file
//   save_ms        the document written to a file (JSON and an atomic write)
//   load_ms        the file read back into a document (parse and every check)
//   parse_ms       the same bytes parsed into a generic JSON document, no checks
//   tables_ms      the measurement and marker tables made and written as CSV text
//
//   analysis_bench [--runs N] [--dir FOLDER]
#include "BenchTiming.h"
#include "components/analysis/AnalysisFile.h"
#include "components/analysis/AnalysisTables.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

namespace {

using BenchTiming::Clock;
using BenchTiming::median;
using BenchTiming::msSince;

analysis::Document bigDocument()
{
    analysis::Document doc;
    for (int v = 0; v < 4; ++v) {
        analysis::View view;
        view.video = {QStringLiteral("clips/view%1.mp4").arg(v), QStringLiteral("/data/clips/view%1.mp4").arg(v),
                      50'000'000, 600, 29.97, QSize(1920, 1080)};
        view.timeLine.keyframes = {10, 20, 30};
        view.timeLine.ranges = {{0.5, 10.25}};
        view.timeLine.syncPoints = {{1.0 + v / 3.0, 1.0}};
        view.calibrations.push_back({QSize(1920, 1080), 1, 1.0, 2.5, {QPointF(0.1, 0.5), QPointF(0.3, 0.5)}});
        view.calibrationInForce = 0;
        for (int i = 0; i < 250; ++i) {
            analysis::Drawing d;
            d.type = i % 5 == 4 ? 8 : 1;
            d.id = 1000 * v + i;
            d.color = QColor::fromHsv(i % 360, 200, 250);
            d.points = {QPointF(i * 7.3 / 3, i * 1.1), QPointF(i * 2.9 / 7, 1080 - i * 0.7)};
            d.size = i / 3.0;
            d.text = d.type == 8 ? QStringLiteral("label %1, \u00e4\u00f6\u00fc").arg(i) : QString();
            d.firstFrame = i;
            d.lastFrame = i + 100;
            d.curFrame = i + 50;
            view.drawings.push_back(d);
        }
        for (int i = 0; i < 50; ++i) {
            analysis::Measurement m;
            m.kind = i % 2 ? analysis::Measurement::Distance : analysis::Measurement::Angle;
            m.type = i % 2 ? 3 : 1 + i % 4;
            m.id = 5000 + 100 * v + i;
            m.color = Qt::yellow;
            m.calibration = 0;
            for (int k = 0; k < 4; ++k)
                m.points[size_t(k)] = QPointF(float((i + k) / 97.0), float((i * k + 1) / 101.0));
            m.firstFrame = i;
            m.lastFrame = i + 20;
            m.curFrame = i + 10;
            m.key = QStringLiteral("joint %1").arg(i);
            view.measurements.push_back(m);
        }
        doc.views.push_back(view);
    }
    return doc;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int at = args.indexOf(QStringLiteral("--runs"));
    const int runs = at > 0 && at + 1 < args.size() ? std::max(1, args[at + 1].toInt()) : 9;
    const int dirAt = args.indexOf(QStringLiteral("--dir"));
    QTemporaryDir temp;
    const QString folder = dirAt > 0 && dirAt + 1 < args.size() ? args[dirAt + 1] : temp.path();
    const QString path = QDir(folder).filePath(QStringLiteral("bench.zorvik"));

    const analysis::Document doc = bigDocument();
    std::vector<double> save, load, parse, tables;
    qint64 bytes = 0;
    for (int r = 0; r < runs; ++r) {
        analysis::Problem problem;
        Clock::time_point t0 = Clock::now();
        if (!analysis::writeFile(path, doc, problem)) {
            std::fprintf(stderr, "analysis_bench: %s: %s\n", qPrintable(path), qPrintable(problem.text()));
            return 1;
        }
        save.push_back(msSince(t0));

        t0 = Clock::now();
        const std::optional<analysis::Document> back = analysis::readFile(path, problem);
        load.push_back(msSince(t0));
        if (!back || back->views.size() != 4 || back->views[3].drawings.size() != 250) {
            std::fprintf(stderr, "analysis_bench: %s: read back wrong: %s\n", qPrintable(path),
                         qPrintable(problem.text()));
            return 1;
        }

        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        const QByteArray data = file.readAll();
        bytes = data.size();
        t0 = Clock::now();
        const QJsonDocument json = QJsonDocument::fromJson(data);
        parse.push_back(msSince(t0));
        if (!json.isObject())
            return 1;

        t0 = Clock::now();
        const qsizetype csv = TableText::toCsv(analysis::measurementTable(*back)).size() +
                              TableText::toCsv(analysis::markerTable(*back)).size();
        tables.push_back(msSince(t0));
        if (csv <= 0)
            return 1;
    }
    std::printf("runs=%d\nbytes=%lld\nsave_ms=%.2f\nload_ms=%.2f\nparse_ms=%.2f\ntables_ms=%.2f\n", runs,
                static_cast<long long>(bytes), median(save), median(load), median(parse), median(tables));
    return 0;
}
