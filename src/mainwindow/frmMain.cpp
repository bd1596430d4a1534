// The main window's life cycle and layout: loading, the separator lines, the tool bar panels,
// the view controller, resizing with the minimum-size rule, refreshing and closing.
#include "mainwindow/frmMain.h"
#include "mainwindow/ToolSettings.h"
#include "mainwindow/WindowPlacement.h"

#include "mainwindow/AnalysisRecovery.h"
#include "mainwindow/RecentFiles.h"

#include "app/MMain.h"
#include "app/M_GUI.h"
#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "app/RtError.h"
#include "components/DialogService.h"
#include "dialogs/frmPrpVidMix.h"
#include "dialogs/frmPrpVidStrobo.h"
#include "mainwindow/SpeedSlider.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"
#include "viewcontroller/MissingViewCard.h"
#include "dialogs/TrajectoryPlots.h"
#include "components/viewer/OvVView.h"
#include "mainwindow/StatusLine.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QResizeEvent>

namespace {
constexpr int kStrExitQuestion = 3249;
const QColor kLinColor(255, 255, 255);
const QColor kBackground(227, 227, 227);
} // namespace

frmMain::frmMain(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    Form_Load();
}

frmMain::~frmMain()
{
    if (!m_unloaded)
        Form_Unload();
}

void frmMain::Form_Load() try {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kBackground);
    setPalette(pal);
    setAutoFillBackground(true);
    setWindowTitle(QStringLiteral("%1 %2").arg(QLatin1String(MMain::kMaker), QLatin1String(MMain::kProduct)));
    setFont(QFont(QStringLiteral("Tahoma"), 10));
    const QString iconFile = M_GUI::imgDir() + QStringLiteral("/_32x32/zorvik_256.ico");
    const QIcon icon(iconFile);
    if (!QFile::exists(iconFile) || icon.availableSizes().isEmpty())
        throw RtError(RtError::FileNotFound, iconFile);
    setWindowIcon(icon);
    vars_init();
    ctrls_load();
    ctrls_setRcStr();
    ctrls_enable(true);
    resize(m_minW, m_minH);
    WindowPlacement::restore(*this, MMain::iniFilePath());
    analysis_load();
    setAcceptDrops(true);
    m_loaded = true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.Form_Load()"));
}

void frmMain::vars_init()
{
    // The client area exists from the start, so the layout size can be read from it.
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("frmMain_client"));
    m_client = client;
    m_status = new StatusLine(this);
    client_place();
    m_layoutW = m_client->width();
    m_layoutH = m_client->height();
    m_minW = 910;
    m_minH = 700;
}

void frmMain::client_place()
{
    if (!m_client)
        return;
    const int top = m_mnuMain ? m_mnuMain->sizeHint().height() : 0;
    if (m_mnuMain)
        m_mnuMain->setGeometry(0, 0, width(), top);
    const int bottom = m_status ? m_status->sizeHint().height() : 0;
    if (m_status)
        m_status->setGeometry(0, height() - bottom, width(), bottom);
    m_client->setGeometry(0, top, width(), std::max(0, height() - top - bottom));
}

void frmMain::ctrls_load()
{
    m_mnuMain_load();
    m_linTop_load();
    m_linBtm_load();
    tbMain_load();
    tbDraw_load();
    tbMeasure_load();
    m_picCmpyLogo_load();
    m_VwCtrl_load();
}

void frmMain::ctrls_unload()
{
    m_VwCtrl_unload();
    m_picCmpyLogo_unload();
    tbMeasure_unload();
    tbDraw_unload();
    tbMain_unload();
    m_linBtm_unload();
    m_linTop_unload();
    m_mnuMain_unload();
}

QFrame* frmMain::lin_load(const char* role, QString& id)
{
    id = QStringLiteral("frmMain_") + QLatin1String(role) + u'_' + M_GUI::getId();
    auto* lin = new QFrame(m_client);
    lin->setObjectName(id);
    lin->setFrameShape(QFrame::NoFrame);
    QPalette pal = lin->palette();
    pal.setColor(QPalette::Window, kLinColor);
    lin->setPalette(pal);
    lin->setAutoFillBackground(true);
    lin->show();
    return lin;
}

void frmMain::m_linTop_load() try {
    m_linTop = lin_load("linTop", m_idLinTop);
    m_linTop->setGeometry(0, kLinTopY, 100, kLinThickness);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_linTop_load()"));
}

void frmMain::ctrl_unload(QString& id)
{
    // An empty identity would name no control of ours; the control's load had failed.
    if (id.isEmpty())
        return;
    M_GUI::frm_rmCtrl(this, id);
    id.clear();
}

void frmMain::m_linTop_unload() try {
    ctrl_unload(m_idLinTop);
    m_linTop = nullptr;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_linTop_unload()"));
}

// A control whose load failed was reported then; the layout passes it by.
void frmMain::m_linTop_resize() try {
    if (m_linTop)
        m_linTop->setGeometry(0, kLinTopY, m_layoutW, kLinThickness);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_linTop_resize()"));
}

void frmMain::m_linBtm_load() try {
    m_linBtm = lin_load("linBtm", m_idLinBtm);
    m_linBtm->setGeometry(0, m_layoutH - kLinThickness, m_layoutW, kLinThickness);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_linBtm_load()"));
}

void frmMain::m_linBtm_unload() try {
    ctrl_unload(m_idLinBtm);
    m_linBtm = nullptr;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_linBtm_unload()"));
}

void frmMain::m_linBtm_resize() try {
    if (m_linBtm)
        m_linBtm->setGeometry(0, m_layoutH - kLinThickness, m_layoutW, kLinThickness);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_linBtm_resize()"));
}

QWidget* frmMain::picBgTb_load(const char* role, QString& id, QRect geometry, const QColor& back)
{
    id = QStringLiteral("frmMain_") + QLatin1String(role) + u'_' + M_GUI::getId();
    auto* bar = new QFrame(m_client);
    bar->setObjectName(id);
    bar->setFrameShape(QFrame::NoFrame);
    QPalette pal = bar->palette();
    pal.setColor(QPalette::Window, back);
    bar->setPalette(pal);
    bar->setAutoFillBackground(true);
    bar->setGeometry(geometry);
    bar->show();
    return bar;
}

void frmMain::picBgTb_fitContent(QWidget* bar)
{
    int right = 0;
    for (const QWidget* child : bar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        right = std::max(right, child->geometry().right() + 1);
    bar->resize(right, bar->height());
}

void frmMain::m_VwCtrl_load() try {
    m_VwCtrl = std::make_unique<CVwCtrl>();
    const ToolSettings::Tools tools = ToolSettings::restore(MMain::iniFilePath(), {MMain::defaultDrawColor(), 1});
    m_VwCtrl->m_DrwColor = tools.colour;
    m_VwCtrl->m_LineWidth = tools.lineWidth;
    // The panel lies in the client area, below the menu bar, under the main tool bar.
    m_VwCtrl->ctrls_load(this, this, m_client);
    m_VwCtrl->setXY(kTbMainLeft, kTbExtraTop);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_VwCtrl_load()"));
}

void frmMain::m_VwCtrl_unload() try {
    if (!m_VwCtrl)
        return;
    m_VwCtrl->preTerminate();
    m_VwCtrl.reset();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_VwCtrl_unload()"));
}

void frmMain::m_VwCtrl_resize() try {
    if (!m_VwCtrl || !m_VwCtrl->panel())
        return;
    const int bottomLineY = m_layoutH - kLinThickness;
    const int dock = plots_dockWidth();
    const int viewsW = m_layoutW - 10 - (dock > 0 ? dock + plots_gripWidth() : 0);
    const int h = bottomLineY - m_VwCtrl->panel()->y() - 5;
    m_VwCtrl->setWH(viewsW, h);
    plots_resize(viewsW, h);
    extraTb_place(m_VwCtrl->panel()->x() + viewsW);
    emptyHint_update();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_VwCtrl_resize()"));
}

// The views' controls carry their string numbers and take their texts with the window's own
// controls (frm_setRcStr); what is composed from texts, the time lines' captions, is made again.
void frmMain::m_VwCtrl_setRcStr() try {
    if (!m_VwCtrl)
        return;
    for (int i = 0; i < m_VwCtrl->numVws(); ++i)
        if (CVw* vw = m_VwCtrl->Vws(i))
            vw->timeLine().ctrls_setRcStr();
    m_VwCtrl->vidOp_hintUpdate();
    for (MissingViewCard* card : m_VwCtrl->missingVws())
        card->setTexts();
    // An open parameter dialog is a form of its own: its texts, then its layout for them.
    const std::initializer_list<Form*> dialogs = {m_VwCtrl->mixDialog(), m_VwCtrl->stroboDialog()};
    for (Form* dialog : dialogs) {
        if (dialog) {
            dialog->ctrls_setRcStr();
            dialog->ctrls_resize();
        }
    }
    if (m_plots)
        m_plots->setTexts();
    if (m_status)
        m_status->retext();
    emptyHint_update();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_VwCtrl_setRcStr()"));
}

void frmMain::openFiles(const QStringList& paths) try {
    QStringList fresh;
    for (const QString& path : paths)
        if (!m_VwCtrl || !m_VwCtrl->vws_showsFile(path))
            fresh << path;
    files_open(fresh);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.openFiles()"));
}

void frmMain::ctrls_setRcStr() try {
    M_GUI::frm_setRcStr(this);
    m_VwCtrl_setRcStr();
    ctrls_editRcStr();
    // The menu titles of another language may need another height (a script the window's font
    // lacks comes from a taller font); a bar lower than its titles hides them behind its arrow.
    Form_Resize();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.ctrls_setRcStr()"));
}

void frmMain::ctrls_resize() try {
    m_linTop_resize();
    m_linBtm_resize();
    m_picCmpyLogo_resize();
    m_VwCtrl_resize();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.ctrls_resize()"));
}

void frmMain::ctrls_enable(bool enable) try {
    history_observeAll();
    m_mnuMain_enable(enable);
    tbMain_enable(enable);
    tbDraw_enable(enable);
    tbMeasure_enable(enable);
    if (m_VwCtrl)
        m_VwCtrl->ctrls_enable();
    if (m_plots)
        m_plots->changed();
    emptyHint_update();
    status_update();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.ctrls_enable()"));
}

StatusLine* frmMain::statusLine() const { return m_status; }

CVw* frmMain::focusedVw() const { return m_VwCtrl ? m_VwCtrl->Vws(m_VwCtrl->m_VwIdxFocus) : nullptr; }

// The view under the pointer speaks for itself; otherwise the focused view.
void frmMain::status_update() try {
    if (!m_status)
        return;
    CVw* shown = nullptr;
    for (int i = 0; m_VwCtrl && i < m_VwCtrl->numVws() && !shown; ++i)
        if (CVw* vw = m_VwCtrl->Vws(i); vw && vw->viewer() && vw->viewer()->underMouse())
            shown = vw;
    if (!shown)
        shown = focusedVw();
    m_status->showStatus(shown ? shown->status() : ViewStatus{});
    if (m_plots)
        m_plots->frameShown();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.status_update()"));
}

void frmMain::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmMain::Form_Resize() try {
    client_place();
    if (!m_loaded || isMinimized() || !m_client)
        return;
    // Below the minimum outer size a dimension keeps its last value: the contents keep their
    // size and are clipped instead of shrinking.
    const QSize outer = frameGeometry().size();
    if (outer.width() >= m_minW)
        m_layoutW = m_client->width();
    if (outer.height() >= m_minH)
        m_layoutH = m_client->height();
    if (m_client->width() == m_layoutW || m_client->height() == m_layoutH)
        ctrls_resize();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.Form_Resize()"));
}

bool frmMain::Form_QueryUnload() try {
    // A session that is ending closes the window without asking.
    if (qGuiApp && qGuiApp->isSavingSession())
        return true;
    // Unsaved work: its own question (save, discard or stay) takes the place of the usual one.
    if (analysis_modified())
        return analysis_askSave();
    const int answer = M_Msg::msgUsr(M_Rc::getRcStr(kStrExitQuestion), MsgBox::YesNo | MsgBox::Exclamation);
    return answer == MsgBox::Yes;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.Form_QueryUnload()"));
    return false;
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (m_unloaded || !Form_QueryUnload()) {
        event->setAccepted(m_unloaded);
        return;
    }
    Form_Unload();
    event->accept();
}

void frmMain::Form_Unload() try {
    WindowPlacement::remember(*this, MMain::iniFilePath());
    plots_remember();
    // Work not saved and not given up (the session ended, say) stays in the recovery copy.
    if (m_recovery) {
        if (!m_analysisDiscarded && analysis_modified())
            m_recovery->write(analysis_json(), m_analysisPath);
        else
            m_recovery->clear();
    }
    m_unloaded = true;
    m_loaded = false;
    MMain::frms_unload();
    ctrls_unload();
    vars_free();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.Form_Unload()"));
}
