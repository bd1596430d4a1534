// The analysis of the window: opening and saving analysis files, the title with its mark of
// unsaved work, the question before that work would be lost, the recovery copy written while
// working and offered after a program that did not end properly, and the recent files.
#include "mainwindow/frmMain.h"

#include "app/MMain.h"
#include "app/M_File.h"
#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "app/WaitCursor.h"
#include "components/DialogService.h"
#include "components/analysis/AnalysisFile.h"
#include "components/analysis/AnalysisTables.h"
#include "components/analysis/TrajectoryTables.h"
#include "mainwindow/AnalysisRecovery.h"
#include "mainwindow/RecentFiles.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"

#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>
#include <QTimer>

namespace {
constexpr int kStrCsvFilter = 3934;
constexpr int kStrNotFound = 3935;
constexpr int kStrExportFailed = 3936;
constexpr int kStrExport = 3943;
constexpr int kStrUntitled = 3937;
constexpr int kStrBeside = 3938;
constexpr int kStrSaveAnalysisAs = 3942;
constexpr int kStrFilter = 3946;
constexpr int kStrMissing = 3948;
constexpr int kStrAskSave = 3949;
constexpr int kStrOpenFailed = 3950;
constexpr int kStrSaveFailed = 3957;
constexpr int kStrRecover = 3959;

constexpr int kCheckMs = 1000;
constexpr qint64 kAutosaveMs = 30000;

QString problemText(const analysis::Problem& p)
{
    using analysis::Fault;
    switch (p.fault) {
    case Fault::None: return {};
    case Fault::Unreadable: return M_Rc::getRcStr(3951).arg(p.detail);
    case Fault::Empty: return M_Rc::getRcStr(3952);
    case Fault::NotJson: return M_Rc::getRcStr(3953).arg(p.detail);
    case Fault::NotAnalysis: return M_Rc::getRcStr(3954);
    case Fault::NewerVersion: return M_Rc::getRcStr(3955).arg(p.detail);
    case Fault::BadContent: return M_Rc::getRcStr(3956).arg(p.detail);
    case Fault::WriteFailed: return M_Rc::getRcStr(3958).arg(p.detail);
    }
    return p.text();
}

// Something a user made: a marker, a drawing, a measurement, a calibration or a trajectory.
bool holdsWork(const analysis::Document& doc)
{
    for (const analysis::View& v : doc.views) {
        const analysis::TimeLine& tl = v.timeLine;
        if (!v.drawings.empty() || !v.measurements.empty() || !v.calibrations.empty() || !v.trajectories.empty() ||
            !tl.keyframes.empty() || !tl.syncPoints.empty() || tl.stopwatch || tl.userRanges() > 0)
            return true;
    }
    return false;
}

// Views, items, calibrations and trajectories: when their number changes, the change is major.
int shapeOf(const analysis::Document& doc)
{
    // Unsigned: the sum wraps instead of overflowing.
    size_t shape = doc.views.size();
    for (const analysis::View& v : doc.views)
        shape = shape * 31 + v.drawings.size() + v.measurements.size() * 7 + v.calibrations.size() * 13 +
                v.timeLine.keyframes.size() * 17 + v.timeLine.syncPoints.size() * 19 + v.trajectories.size() * 23;
    return int(shape & 0x7fffffff);
}
} // namespace

void frmMain::analysis_load() try {
    m_recent = std::make_unique<RecentFiles>(MMain::iniFilePath());
    const QString local = MMain::dirProgramMake(M_File::LocalAppData);
    m_recovery = std::make_unique<AnalysisRecovery>(local.isEmpty() ? QString() : local + QStringLiteral("recovery"));
    m_analysisSaved = analysis_json();
    auto* timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("frmMain_tmrAnalysis"));
    connect(timer, &QTimer::timeout, this, &frmMain::analysis_check);
    timer->start(kCheckMs);
    m_tmrAnalysis = timer;
    analysis_title();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.analysis_load()"));
}

QByteArray frmMain::analysis_json() { return m_VwCtrl ? analysis::toJson(m_VwCtrl->analysis_get()) : QByteArray(); }

bool frmMain::analysis_modified()
{
    if (!m_VwCtrl)
        return false;
    const analysis::Document doc = m_VwCtrl->analysis_get();
    return analysis_differs(doc, analysis::toJson(doc));
}

// Unsaved work: the views hold something other than the file, and that is either a titled
// analysis or something a user made.
bool frmMain::analysis_differs(const analysis::Document& doc, const QByteArray& json) const
{
    return json != m_analysisSaved && (!m_analysisPath.isEmpty() || holdsWork(doc));
}

void frmMain::analysis_title()
{
    const QString product = QStringLiteral("%1 %2").arg(QLatin1String(MMain::kMaker), QLatin1String(MMain::kProduct));
    setWindowTitle(m_analysisPath.isEmpty() ? product + QStringLiteral("[*]")
                                            : QFileInfo(m_analysisPath).fileName() + QStringLiteral("[*] - ") + product);
}

void frmMain::analysis_check() try {
    if (!m_VwCtrl || m_unloaded)
        return;
    history_observeAll(); // what changed without a click (a run that ended) is a step too
    const analysis::Document doc = m_VwCtrl->analysis_get();
    const QByteArray json = analysis::toJson(doc);
    const bool modified = analysis_differs(doc, json);
    setWindowModified(modified);
    if (!m_recovery)
        return;
    if (!modified) {
        if (!m_analysisAutosaved.isEmpty())
            m_recovery->clear();
        m_analysisAutosaved.clear();
        return;
    }
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const int shape = shapeOf(doc);
    if (json != m_analysisAutosaved && (now - m_analysisAutosaveAt >= kAutosaveMs || shape != m_analysisShape)) {
        m_recovery->write(json, m_analysisPath);
        m_analysisAutosaved = json;
        m_analysisAutosaveAt = now;
        m_analysisShape = shape;
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.analysis_check()"));
}

bool frmMain::analysis_askSave() try {
    if (!analysis_modified())
        return true;
    const QString name = m_analysisPath.isEmpty() ? M_Rc::getRcStr(kStrUntitled) : QFileInfo(m_analysisPath).fileName();
    switch (M_Msg::msgUsr(M_Rc::getRcStr(kStrAskSave).arg(name), MsgBox::YesNoCancel | MsgBox::Exclamation)) {
    case MsgBox::Yes: return analysis_save(false);
    case MsgBox::No: m_analysisDiscarded = true; return true;
    default: return false;
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.analysis_askSave()"));
    return false;
}

bool frmMain::analysis_save(bool as) try {
    // The file states each video's frame count.
    if (!m_VwCtrl || !m_VwCtrl->vws_indexComplete(true))
        return false;
    analysis::Document doc = m_VwCtrl->analysis_get();
    QString path = m_analysisPath;
    if (as || path.isEmpty()) {
        // By default beside the first video, named after it.
        FileDialogRequest request;
        request.owner = this;
        request.save = true;
        request.confirmOverwrite = true;
        request.caption = M_Rc::getRcStr(kStrSaveAnalysisAs).remove(QLatin1Char('&'));
        request.filter = M_Rc::getRcStr(kStrFilter);
        request.defaultExtension = QLatin1String(analysis::kSuffix);
        const QString proposal = !path.isEmpty() ? path
                                 : !doc.views.empty() ? analysis::besideVideo(doc.views.front().video.absolutePath)
                                                      : QString();
        request.initialFolder = proposal.isEmpty() ? QString() : QFileInfo(proposal).absolutePath();
        request.initialFile = QFileInfo(proposal).fileName();
        const auto chosen = DialogService::current().fileDialog(request);
        if (!chosen || chosen->isEmpty())
            return false;
        path = chosen->front();
        if (!analysis::isAnalysisFile(path))
            path += QLatin1Char('.') + QLatin1String(analysis::kSuffix);
    }
    analysis::Problem problem;
    const WaitCursor busy;
    if (!analysis::writeFile(path, doc, problem)) {
        M_Msg::msgUsr(M_Rc::getRcStr(kStrSaveFailed).arg(QDir::toNativeSeparators(path), problemText(problem)),
                      MsgBox::OkOnly | MsgBox::Critical);
        return false;
    }
    m_analysisPath = QFileInfo(path).absoluteFilePath();
    m_analysisSaved = analysis::toJson(doc);
    analysis_remember(m_analysisPath);
    analysis_title();
    analysis_check();
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.analysis_save()"));
    return false;
}

bool frmMain::analysis_open(const QString& path) try {
    if (!m_VwCtrl || !analysis_askSave())
        return false;
    m_analysisDiscarded = false;
    analysis::Problem problem;
    const std::optional<analysis::Document> doc = analysis::readFile(path, problem);
    if (!doc) {
        M_Msg::msgUsr(M_Rc::getRcStr(kStrOpenFailed).arg(QDir::toNativeSeparators(path), problemText(problem)),
                      MsgBox::OkOnly | MsgBox::Critical);
        return false;
    }
    const QStringList missing = analysis_apply(*doc, path);
    m_analysisPath = QFileInfo(path).absoluteFilePath();
    m_analysisSaved = analysis_json();
    analysis_remember(m_analysisPath);
    analysis_title();
    analysis_check();
    analysis_tellMissing(missing);
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.analysis_open()"), path);
    return false;
}

void frmMain::analysis_offerRecovery() try {
    if (!m_recovery || !m_VwCtrl)
        return;
    const AnalysisRecovery::LeftOver left = m_recovery->leftOver_find();
    if (left.copy.isEmpty())
        return;
    const QString when = QLocale().toString(left.written, QLocale::ShortFormat);
    if (M_Msg::msgUsr(M_Rc::getRcStr(kStrRecover).arg(when), MsgBox::YesNo | MsgBox::Question) != MsgBox::Yes) {
        m_recovery->leftOver_done();
        return;
    }
    analysis::Problem problem;
    const std::optional<analysis::Document> doc = analysis::readFile(left.copy, problem);
    if (!doc) {
        M_Msg::msgUsr(M_Rc::getRcStr(kStrOpenFailed).arg(QDir::toNativeSeparators(left.copy), problemText(problem)),
                      MsgBox::OkOnly | MsgBox::Critical);
        m_recovery->leftOver_done();
        return;
    }
    const QStringList missing = analysis_apply(*doc, left.origin.isEmpty() ? left.copy : left.origin);
    // Recovered work is unsaved work: it is in this program's own copy before the old one goes.
    m_analysisPath = left.origin;
    m_analysisSaved.clear();
    analysis_title();
    m_analysisAutosaveAt = 0;
    analysis_check();
    m_recovery->leftOver_done();
    analysis_tellMissing(missing);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.analysis_offerRecovery()"));
}

QStringList frmMain::analysis_apply(const analysis::Document& doc, const QString& videosPath)
{
    const QStringList missing = m_VwCtrl->analysis_restore(doc, videosPath);
    m_sldTbMainVidSpeed_setScale(doc.speed);
    ctrls_enable(true);
    return missing;
}

void frmMain::analysis_tellMissing(const QStringList& missing)
{
    if (!missing.isEmpty())
        M_Msg::msgUsr(M_Rc::getRcStr(kStrMissing).arg(missing.join(QStringLiteral(", "))),
                      MsgBox::OkOnly | MsgBox::Exclamation);
}

void frmMain::analysis_remember(const QString& path)
{
    if (m_recent)
        m_recent->add(path);
}

bool frmMain::files_open(const QStringList& paths) try {
    QStringList videos;
    for (const QString& path : paths) {
        if (analysis::isAnalysisFile(path))
            analysis_open(path);
        else
            videos << path;
    }
    if (videos.isEmpty() || !m_VwCtrl)
        return true;
    QString beside;
    {
        const WaitCursor busy;
        for (const QString& path : videos) {
            if (!m_VwCtrl->vws_vidLoadFile(path, 1))
                continue;
            analysis_remember(path);
            const QString candidate = analysis::besideVideo(path);
            if (beside.isEmpty() && QFileInfo(candidate).isFile())
                beside = candidate;
        }
    }
    ctrls_enable(true);
    // The analysis open already is offered again only when the views no longer hold what it does.
    if (QFileInfo(beside).absoluteFilePath() == m_analysisPath && !analysis_modified())
        beside.clear();
    if (!beside.isEmpty() &&
        M_Msg::msgUsr(M_Rc::getRcStr(kStrBeside).arg(QDir::toNativeSeparators(beside)), MsgBox::YesNo | MsgBox::Question) ==
            MsgBox::Yes)
        analysis_open(beside);
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.files_open()"));
    return true;
}

void frmMain::mnuRecent_fill(QMenu* menu) try {
    menu->clear();
    const QStringList files = m_recent ? m_recent->list() : QStringList();
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files[i];
        QAction* item = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
        item->setObjectName(QStringLiteral("frmMain_File_Recent_%1").arg(i + 1));
        item->setToolTip(QDir::toNativeSeparators(path));
        connect(item, &QAction::triggered, this, [this, path] {
            if (!QFileInfo(path).isFile()) {
                M_Msg::msgUsr(M_Rc::getRcStr(kStrNotFound).arg(QDir::toNativeSeparators(path)),
                              MsgBox::OkOnly | MsgBox::Exclamation);
                m_recent->remove(path);
                return;
            }
            files_open({path});
        });
    }
    menu->setEnabled(true);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.mnuRecent_fill()"));
}

void frmMain::analysis_exportData() try {
    if (!m_VwCtrl)
        return;
    const analysis::Document doc = m_VwCtrl->analysis_get();
    // Beside the analysis, else beside the first video, named after it.
    const QString base = !m_analysisPath.isEmpty() ? m_analysisPath
                         : !doc.views.empty()      ? doc.views.front().video.absolutePath
                                                   : QString();
    FileDialogRequest request;
    request.owner = this;
    request.save = true;
    request.confirmOverwrite = true;
    request.caption = M_Rc::getRcStr(kStrExport).remove(QLatin1Char('&'));
    request.filter = M_Rc::getRcStr(kStrCsvFilter);
    request.defaultExtension = QStringLiteral("csv");
    if (!base.isEmpty()) {
        request.initialFolder = QFileInfo(base).absolutePath();
        request.initialFile = QFileInfo(base).completeBaseName() + QStringLiteral(".csv");
    }
    const auto chosen = DialogService::current().fileDialog(request);
    if (!chosen || chosen->isEmpty())
        return;
    QString path = chosen->front();
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    QString error;
    const WaitCursor busy;
    if (!analysis::writeTables(doc, path, error))
        M_Msg::msgUsr(M_Rc::getRcStr(kStrExportFailed).arg(QDir::toNativeSeparators(path), error),
                      MsgBox::OkOnly | MsgBox::Critical);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.analysis_exportData()"));
}

// The tables one after the other (the trajectories' when there are any), as a spreadsheet takes
// them from the clipboard.
void frmMain::analysis_copyTable() try {
    if (!m_VwCtrl)
        return;
    const analysis::Document doc = m_VwCtrl->analysis_get();
    QString text = TableText::toTsv(analysis::measurementTable(doc)) + QLatin1Char('\n') +
                   TableText::toTsv(analysis::markerTable(doc));
    const Table trajectories = analysis::trajectoriesTable(doc);
    if (!trajectories.rows.empty())
        text += QLatin1Char('\n') + TableText::toTsv(trajectories);
    QGuiApplication::clipboard()->setText(text);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.analysis_copyTable()"));
}
