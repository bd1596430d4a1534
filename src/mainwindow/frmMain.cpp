#include "mainwindow/frmMain.h"

#include "app/MMain.h"
#include "app/M_GUI.h"
#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "components/DialogService.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QResizeEvent>

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

namespace {
// The view area starts below the main tool bar: left 5, top 77 (the tool bar's top 8, its
// height 66 and a gap of 3); the bottom line lies 3 pixels above the window's bottom.
constexpr int kVwCtrlLeft = 5;
constexpr int kVwCtrlTop = 77;
} // namespace

void frmMain::Form_Load() try {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(227, 227, 227));
    setPalette(pal);
    setAutoFillBackground(true);
    setWindowTitle(QStringLiteral("%1 %2").arg(QLatin1String(MMain::kMaker), QLatin1String(MMain::kProduct)));
    setFont(QFont(QStringLiteral("Tahoma"), 10));
    const QIcon icon(M_GUI::imgDir() + QStringLiteral("/_32x32/zorvik_256.ico"));
    if (!icon.isNull())
        setWindowIcon(icon);
    vars_init();
    ctrls_load();
    ctrls_setRcStr();
    ctrls_enable(true);
    resize(m_minW, m_minH);
    m_loaded = true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.Form_Load()"));
}

void frmMain::vars_init()
{
    m_layoutW = width();
    m_layoutH = height();
    m_minW = 910;
    m_minH = 700;
}

void frmMain::ctrls_load()
{
    m_VwCtrl_load();
}

void frmMain::ctrls_unload()
{
    m_VwCtrl_unload();
}

void frmMain::m_VwCtrl_load() try {
    m_VwCtrl = std::make_unique<CVwCtrl>();
    m_VwCtrl->m_DrwColor = MMain::defaultDrawColor();
    m_VwCtrl->m_LineWidth = 1;
    m_VwCtrl->ctrls_load(this, this);
    m_VwCtrl->setXY(kVwCtrlLeft, kVwCtrlTop);
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
    if (!m_VwCtrl)
        return;
    const int bottomLineY = m_layoutH - 3;
    m_VwCtrl->setWH(m_layoutW - 10, bottomLineY - kVwCtrlTop - 5);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_VwCtrl_resize()"));
}

void frmMain::openFiles(const QStringList& paths) try {
    if (!m_VwCtrl)
        return;
    for (const QString& path : paths)
        m_VwCtrl->vws_vidLoadFile(path, 1);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.openFiles()"));
}

void frmMain::ctrls_setRcStr() try {
    M_GUI::frm_setRcStr(this);
    ctrls_editRcStr();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.ctrls_setRcStr()"));
}

void frmMain::ctrls_resize() try {
    m_VwCtrl_resize();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.ctrls_resize()"));
}

void frmMain::ctrls_enable(bool) try {
    // The tool bars and the menu come later; the view controller keeps its own states.
    if (m_VwCtrl)
        m_VwCtrl->ctrls_enable();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.ctrls_enable()"));
}

void frmMain::resizeEvent(QResizeEvent* event) try {
    QWidget::resizeEvent(event);
    if (!m_loaded || isMinimized())
        return;
    const QSize outer = frameGeometry().size();
    if (outer.width() >= m_minW)
        m_layoutW = width();
    if (outer.height() >= m_minH)
        m_layoutH = height();
    if (width() == m_layoutW || height() == m_layoutH)
        ctrls_resize();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.Form_Resize()"));
}

bool frmMain::Form_QueryUnload() try {
    // A session that is ending closes the window without asking.
    if (qGuiApp && qGuiApp->isSavingSession())
        return true;
    const int answer = M_Msg::msgUsr(M_Rc::getRcStr(3249), MsgBox::YesNo | MsgBox::Exclamation);
    return answer == MsgBox::Yes;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.Form_QueryUnload()"));
    return false;
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (!Form_QueryUnload()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void frmMain::Form_Unload() try {
    m_unloaded = true;
    m_loaded = false;
    MMain::frms_unload();
    ctrls_unload();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.Form_Unload()"));
}
