// Analysis files as a user meets them: made by hand, saved, closed and opened again; refused
// when broken; found when their videos moved; recovered after the program was killed.
#include "support/CsvRead.h"
#include "support/FixtureRecipes.h"
#include "support/Scenario.h"
#include "view/ViewMouse.h"

#include "app/M_Rc.h"
#include "components/analysis/AnalysisFile.h"
#include "components/viewer/OvVView.h"
#include "graphics/M_OvGS.h"
#include "mainwindow/frmMain.h"
#include "timeline/CTL.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"
#include "viewcontroller/MissingViewCard.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>

using ViewMouse::at;

namespace {
// A fresh copy of a small clip in the folder, so the test may move or delete it.
QString clipIn(const QString& folder, const QString& name)
{
    const QString made = FixtureRecipes::writtenOnce(QStringLiteral("scenarios"), QStringLiteral("analysis.mkv"),
                                                     FixtureRecipes::lossless(160, 120, 25));
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(name);
    QFile::copy(made, path);
    return path;
}
QByteArray json(CVwCtrl& ctrl) { return analysis::toJson(ctrl.analysis_get()); }
QString lastMessage(const ScopedDialogs& d) { return d->messages.empty() ? QString() : d->messages.back().text; }
void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
} // namespace

class AnalysisScenario : public Scenario {
protected:
    bool saveAs(const QString& path)
    {
        dialogs->fileAnswers.push_back({path});
        return menuBar({QStringLiteral("File"), QStringLiteral("Save analysis as...")});
    }
    bool openAnalysis(const QString& path)
    {
        dialogs->fileAnswers.push_back({path});
        return menuBar({QStringLiteral("File"), QStringLiteral("Open analysis...")});
    }
    // A line drawn on the view with the line tool.
    void line(CVw* vw, QPointF a, QPointF b)
    {
        tool("chkTbMainDraw", "chkTbDrawLine");
        dragAt(vw, a, b);
    }
};

// Every kind of marker, drawing, measurement and mode made through the interface comes back
// identical after save, close and open.
TEST_F(AnalysisScenario, EverythingMadeComesBackAfterSaveAndOpen)
{
    QTemporaryDir dir;
    open({clipIn(dir.path(), QStringLiteral("runner.mkv")), clipIn(dir.path(), QStringLiteral("jumper.mkv"))});
    ASSERT_EQ(numViews(), 2);
    CVw* a = view(0);
    CVw* b = view(1);

    // Markers: A's frame 8 tied to B's frame 0, a keyframe, a second range, a stopwatch.
    click(a->viewer());
    for (int i = 0; i < 8; ++i)
        click(timeLineControl(a, "picStepForward"));
    click(b->viewer(), {}, Qt::LeftButton, Qt::ControlModifier);
    ASSERT_TRUE(contextMenu(timeLineControl(a, "ovTL"), {QStringLiteral("Sync point"), QStringLiteral("Set")}));
    click(a->viewer());
    key(Qt::Key_K);
    key(Qt::Key_O); // the range ends here...
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    ASSERT_TRUE(contextMenu(timeLineControl(a, "ovTL"), {QStringLiteral("Range"), QStringLiteral("Insert")}));
    ASSERT_EQ(a->timeLine().m_NumRanges, 2);
    // Modes of B: turned by 90 degrees, with a grid.
    ASSERT_TRUE(contextMenu(b->viewer(), {QStringLiteral("View"), QStringLiteral("Rotate"), QString::fromUtf8("90°")}));
    ASSERT_TRUE(contextMenu(b->viewer(), {QStringLiteral("View"), QStringLiteral("Show horizontal lines"), QStringLiteral("3")}));

    // Every drawing tool on A.
    line(a, {10, 10}, {60, 30});
    tool("chkTbMainDraw", "chkTbDrawRect");
    dragAt(a, {20, 40}, {50, 70});
    tool("chkTbMainDraw", "chkTbDrawCircle");
    dragAt(a, {80, 80}, {95, 90});
    tool("chkTbMainDraw", "chkTbDrawCross");
    clickAt(a, {120, 20});
    tool("chkTbMainDraw", "chkTbDrawFreehand");
    dragAt(a, {100, 100}, {140, 110});
    tool("chkTbMainDraw", "chkTbDrawText");
    clickAt(a, {30, 90});
    QTest::keyClicks(a->panel(), QStringLiteral("Sprung, \"weit\" 1"));
    // Every measurement, after a calibration of 2 m over 100 pixels.
    tool("chkTbMainMeasure", "chkTbMeasureClock");
    clickAt(a, {140, 10});
    calibrate(a, {20, 110}, {120, 110}, QStringLiteral("2"));
    dragAt(a, {30, 20}, {90, 100});
    tool("chkTbMainMeasure", "chkTbMeasureAngle3Pt");
    for (QPointF p : {QPointF(40, 30), QPointF(40, 80), QPointF(100, 80)})
        clickAt(a, p);
    tool("chkTbMainMeasure", "chkTbMeasureAngleHoriz");
    clickAt(a, {20, 60});
    clickAt(a, {70, 30});
    tool("chkTbMainMeasure", "chkTbMeasureAngleVert");
    clickAt(a, {90, 60});
    clickAt(a, {120, 20});
    tool("chkTbMainMeasure", "chkTbMeasureAngle2Line");
    for (QPointF p : {QPointF(10, 50), QPointF(60, 50), QPointF(10, 70), QPointF(60, 100)})
        clickAt(a, p);
    click(toolButton("chkTbMeasureAngle2Line")); // no tool: clicks select views again

    const analysis::Document made = ctrl().analysis_get();
    ASSERT_EQ(made.views.size(), 2u);
    const analysis::View& va = made.views[0];
    EXPECT_EQ(va.measurements.size(), 5u);
    EXPECT_GE(va.drawings.size(), 6u + 5u + 1u) << "six drawings, five labels, the stopwatch";
    EXPECT_EQ(va.timeLine.keyframes.size(), 1u);
    EXPECT_TRUE(va.timeLine.stopwatch);
    EXPECT_EQ(made.views[1].timeLine.syncPoints.size(), 1u);
    EXPECT_EQ(made.views[1].gridHorz, 3);
    EXPECT_TRUE(window().isWindowModified() || (window().analysis_check(), window().isWindowModified()));

    const QString file = dir.filePath(QStringLiteral("Weitsprung, \"Serie 1\" – Ärger.zorvik"));
    ASSERT_TRUE(saveAs(file));
    EXPECT_TRUE(window().windowTitle().startsWith(QFileInfo(file).fileName()));
    window().analysis_check();
    EXPECT_FALSE(window().isWindowModified());
    const QByteArray before = json(ctrl());
    const double distance = a->m_ovMeasures->distances().item(1)->value();
    analysis::Problem problem;
    const auto onDisk = analysis::readFile(file, problem);
    ASSERT_TRUE(onDisk) << problem.text().toStdString();
    EXPECT_EQ(onDisk->views[0].video.path, QStringLiteral("runner.mkv")) << "relative to the analysis";

    // Exported: each measurement's value is what its label on the picture says.
    const QString csv = dir.filePath(QStringLiteral("table.csv"));
    dialogs->fileAnswers.push_back({csv});
    ASSERT_TRUE(menuBar({QStringLiteral("File"), QStringLiteral("Export data...")}));
    QFile csvFile(csv);
    ASSERT_TRUE(csvFile.open(QIODevice::ReadOnly));
    const std::vector<QStringList> rows = readCsv(csvFile.readAll());
    ASSERT_EQ(rows.size(), 1u + 5u);
    const int idCol = int(rows[0].indexOf(QStringLiteral("id"))), valueCol = int(rows[0].indexOf(QStringLiteral("value")));
    for (size_t r = 1; r < rows.size(); ++r) {
        const auto label = M_OvGS::ovGi_get1st(*a->m_ovGis, rows[r][idCol].toInt());
        ASSERT_NE(label, nullptr) << "row " << r;
        EXPECT_TRUE(label->text().startsWith(M_OvGS::format00(rows[r][valueCol].toDouble())))
            << label->text().toStdString() << " vs " << rows[r][valueCol].toStdString();
    }

    // Closed, and opened again from the recent files.
    click(a->viewer());
    click(b->viewer(), {}, Qt::LeftButton, Qt::ControlModifier);
    dialogs->messageAnswers.push_back(MsgBox::Yes); // close views that hold work
    ASSERT_TRUE(menuBar({QStringLiteral("File"), QStringLiteral("Close")}));
    ASSERT_EQ(numViews(), 0);
    dialogs->messageAnswers.push_back(MsgBox::No); // the closing is not to be saved
    ASSERT_TRUE(menuBar({QStringLiteral("File"), QStringLiteral("Recent files"),
                         QStringLiteral("1 ") + QFileInfo(file).fileName()}));
    ASSERT_EQ(numViews(), 2);
    EXPECT_EQ(json(ctrl()).toStdString(), before.toStdString());
    EXPECT_EQ(view(1)->Rotation(), 90);
    EXPECT_EQ(view(0)->m_ovMeasures->distances().item(1)->value(), distance);
    window().analysis_check();
    EXPECT_FALSE(window().isWindowModified());
}

// A file that is not a whole analysis of this version is refused with its reason, naming the
// file, and what is open stays as it was.
TEST_F(AnalysisScenario, BrokenAnalysesAreRefusedAndChangeNothing)
{
    QTemporaryDir dir;
    open({clipIn(dir.path(), QStringLiteral("clip.mkv"))});
    line(view(0), {10, 10}, {60, 30});
    const QString good = dir.filePath(QStringLiteral("good.zorvik"));
    ASSERT_TRUE(saveAs(good));
    QFile goodFile(good);
    ASSERT_TRUE(goodFile.open(QIODevice::ReadOnly));
    const QByteArray text = goodFile.readAll();
    QByteArray future = text;
    future.replace("\"version\": 1", "\"version\": 99");
    QByteArray noVideo = text;
    noVideo.replace("\"video\":", "\"film\":");
    const struct {
        const char* name;
        QByteArray bytes;
        const char* reason;
    } cases[] = {
        {"empty.zorvik", "", "it is empty"},
        {"binary.zorvik", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "damaged or cut short"},
        {"cut.zorvik", text.left(text.size() / 2), "damaged or cut short"},
        {"other.zorvik", "{\"name\": \"shopping list\"}", "not a Zorvik analysis"},
        {"future.zorvik", future, "newer version of Zorvik (format version 99)"},
        {"novideo.zorvik", noVideo, "wrong at views[0]: \"video\" is missing"},
    };
    const QByteArray before = json(ctrl());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QLatin1String(c.name));
        writeBytes(path, c.bytes);
        ASSERT_TRUE(openAnalysis(path));
        EXPECT_TRUE(lastMessage(dialogs).contains(QDir::toNativeSeparators(path)));
        EXPECT_TRUE(lastMessage(dialogs).contains(QLatin1String(c.reason))) << lastMessage(dialogs).toStdString();
        EXPECT_EQ(json(ctrl()).toStdString(), before.toStdString());
        EXPECT_EQ(window().analysisPath(), QFileInfo(good).absoluteFilePath());
    }
}

// A folder moved as a whole keeps its analysis working; a video moved beside the analysis is
// found there; a video gone leaves the rest loaded, and its work is saved again untouched.
TEST_F(AnalysisScenario, MovedVideosAreFoundAndMissingOnesKeepTheirWork)
{
    QTemporaryDir first, second;
    open({clipIn(first.filePath(QStringLiteral("clips")), QStringLiteral("a.mkv")),
          clipIn(first.filePath(QStringLiteral("clips")), QStringLiteral("b.mkv"))});
    line(view(1), {10, 10}, {60, 30});
    ASSERT_TRUE(saveAs(first.filePath(QStringLiteral("work.zorvik"))));
    const analysis::View bBefore = ctrl().analysis_get().views[1];

    // Moved to another folder, clips and all, except that b is gone and a lies beside the analysis.
    ASSERT_TRUE(QFile::rename(first.filePath(QStringLiteral("work.zorvik")), second.filePath(QStringLiteral("work.zorvik"))));
    ASSERT_TRUE(QFile::rename(first.filePath(QStringLiteral("clips/a.mkv")), second.filePath(QStringLiteral("a.mkv"))));
    ASSERT_TRUE(QFile::remove(first.filePath(QStringLiteral("clips/b.mkv"))));
    restart(); // an empty window, its hint showing
    dialogs->messageAnswers.push_back(MsgBox::No); // do not look for b
    bool emptyHintBehind = false;
    dialogs->onMessage = [&](const QString&) {
        const auto* hint = window().findChild<QLabel*>(QStringLiteral("frmMain_lblEmptyHint"));
        emptyHintBehind = emptyHintBehind || (hint && hint->isVisible());
    };
    ASSERT_TRUE(openAnalysis(second.filePath(QStringLiteral("work.zorvik"))));
    dialogs->onMessage = nullptr;
    EXPECT_FALSE(emptyHintBehind) << "a's view is loaded behind the question about b";
    ASSERT_EQ(numViews(), 1);
    EXPECT_EQ(view(0)->m_AviFileName, second.filePath(QStringLiteral("a.mkv")));
    EXPECT_TRUE(lastMessage(dialogs).startsWith(QStringLiteral("These videos were not found: b.mkv.")));

    // Saved again, b's view is still in the file as it was.
    key(Qt::Key_S, Qt::ControlModifier);
    analysis::Problem problem;
    const auto saved = analysis::readFile(second.filePath(QStringLiteral("work.zorvik")), problem);
    ASSERT_TRUE(saved);
    ASSERT_EQ(saved->views.size(), 2u);
    const analysis::View& b = saved->views[1];
    EXPECT_TRUE(b.drawings == bBefore.drawings && b.timeLine == bBefore.timeLine);
    EXPECT_EQ(b.video.absolutePath, bBefore.video.absolutePath);
    EXPECT_EQ(b.drawings.size(), 1u);

    // The grid marks b with a cell of its own; locating b there brings its view back with its work.
    std::vector<MissingViewCard*> cards = ctrl().missingVws();
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_TRUE(cards[0]->isVisible());
    EXPECT_EQ(cards[0]->size(), view(0)->panel()->size()); // a cell of the grid like the view's
    EXPECT_FALSE(cards[0]->geometry().intersects(view(0)->panel()->geometry()));
    EXPECT_EQ(cards[0]->findChild<QLabel*>(QStringLiteral("lblMissingName"))->text(), QStringLiteral("b.mkv"));
    EXPECT_EQ(cards[0]->findChild<QLabel*>(QStringLiteral("lblMissingWork"))->text().toStdString(),
              "Kept in the analysis: 1 drawings and measurements, 0 markers, 0 trajectories");
    M_Rc::setRcOffset(0); // German, and back: the cell follows
    window().ctrls_setRcStr();
    EXPECT_TRUE(cards[0]->findChild<QLabel*>(QStringLiteral("lblMissingWork"))->text().startsWith(QStringLiteral("In der Analyse")));
    M_Rc::setRcOffset(4000);
    window().ctrls_setRcStr();
    const QString found = clipIn(second.filePath(QStringLiteral("found")), QStringLiteral("b.mkv"));
    dialogs->fileAnswers.push_back({found});
    click(cards[0]->findChild<QPushButton*>(QLatin1String(MissingViewCard::kLocateName)));
    ASSERT_EQ(numViews(), 2);
    EXPECT_TRUE(ctrl().missingVws().empty());
    EXPECT_EQ(view(1)->m_AviFileName, found);
    EXPECT_TRUE(ctrl().analysis_get().views[1].drawings == bBefore.drawings);

    // Opened once more with b missing, its cell can let the work go, after a question.
    ASSERT_TRUE(QFile::remove(found));
    dialogs->messageAnswers.push_back(MsgBox::No); // discard the located path
    dialogs->messageAnswers.push_back(MsgBox::No); // do not look for b
    ASSERT_TRUE(openAnalysis(second.filePath(QStringLiteral("work.zorvik"))));
    cards = ctrl().missingVws();
    ASSERT_EQ(cards.size(), 1u);
    dialogs->messageAnswers.push_back(MsgBox::Yes);
    click(cards[0]->findChild<QPushButton*>(QLatin1String(MissingViewCard::kRemoveName)));
    EXPECT_TRUE(ctrl().missingVws().empty());
    EXPECT_EQ(ctrl().analysis_get().views.size(), 1u);
}

// A video opened again offers the analysis of its name beside it, and restores it.
TEST_F(AnalysisScenario, OpeningAVideoOffersTheAnalysisBesideIt)
{
    QTemporaryDir dir;
    const QString clip = clipIn(dir.path(), QStringLiteral("jump.mkv"));
    open({clip});
    line(view(0), {10, 10}, {60, 30});
    ASSERT_TRUE(saveAs(dir.filePath(QStringLiteral("jump.zorvik"))));
    click(toolButton("chkTbMainDraw")); // the drawing bar goes, the Open button comes back
    dialogs->messageAnswers = {MsgBox::Yes}; // close the view that holds work
    ASSERT_TRUE(menuBar({QStringLiteral("File"), QStringLiteral("Close")}));
    ASSERT_EQ(numViews(), 0);
    dialogs->messages.clear();
    dialogs->messageAnswers = {MsgBox::Yes, MsgBox::No}; // restore it; the closing is not saved
    open({clip});
    ASSERT_GE(dialogs->messages.size(), 1u);
    EXPECT_TRUE(dialogs->messages[0].text.startsWith(QStringLiteral("There is an analysis of this video beside it")));
    ASSERT_EQ(numViews(), 1);
    EXPECT_EQ(view(0)->graphObj_count(), 1);
    EXPECT_EQ(window().analysisPath(), QFileInfo(dir.filePath(QStringLiteral("jump.zorvik"))).absoluteFilePath());
}

// Run as a child process by the test below: works, waits for its recovery copy, and stays
// until killed.
TEST_F(AnalysisScenario, DISABLED_WorkUntilKilled)
{
    open({qEnvironmentVariable("ZORVIK_CHILD_CLIP")});
    line(view(0), {10, 10}, {60, 30});
    window().analysis_check();
    std::puts("READY");
    std::fflush(stdout);
    for (;;)
        QTest::qWait(100);
}

// The work of a program killed while working is offered at the next start and comes back.
TEST_F(AnalysisScenario, WorkOfAKilledProgramIsRecovered)
{
    // Copies left by the windows of earlier tests are not this test's.
    const QDir recovery(QDir(qEnvironmentVariable("XDG_DATA_HOME")).filePath(QStringLiteral("Ovra/Zorvik/recovery")));
    for (const QString& name : recovery.entryList({QStringLiteral("slot-*.zorvik")}))
        QFile::remove(recovery.filePath(name));
    QTemporaryDir dir;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString clip = clipIn(dir.path(), QStringLiteral("killed.mkv"));
    env.insert(QStringLiteral("ZORVIK_CHILD_CLIP"), clip);
    env.insert(QStringLiteral("ZORVIK_TEST_HOME"), QFileInfo(qEnvironmentVariable("XDG_DATA_HOME")).path());
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_also_run_disabled_tests"),
                 QStringLiteral("--gtest_filter=AnalysisScenario.DISABLED_WorkUntilKilled")});
    QByteArray out;
    while (!out.contains("READY") && child.waitForReadyRead(120000))
        out += child.readAllStandardOutput();
    ASSERT_TRUE(out.contains("READY")) << out.toStdString();
    ::kill(pid_t(child.processId()), SIGKILL);
    child.waitForFinished();

    dialogs->messageAnswers.push_back(MsgBox::Yes);
    window().analysis_offerRecovery();
    ASSERT_FALSE(dialogs->messages.empty());
    EXPECT_TRUE(dialogs->messages.front().text.startsWith(QStringLiteral("Zorvik was not closed properly.")));
    ASSERT_EQ(numViews(), 1) << lastMessage(dialogs).toStdString();
    EXPECT_EQ(view(0)->graphObj_count(), 1);
    EXPECT_TRUE(window().isWindowModified()) << "recovered work is not saved work";
    // The same video named on the command line too is not opened a second time.
    window().openFiles({clip});
    EXPECT_EQ(numViews(), 1);
    // Offered once: the copy is now this program's own.
    dialogs->messages.clear();
    window().analysis_offerRecovery();
    EXPECT_TRUE(dialogs->messages.empty());
}
