// The menu control of the main window: the menu bar with its File menu, and the pop-up menu of
// line widths that the drawing tool bar opens. Every item's key is "frmMain" + a suffix and is
// the object name of its action; every chosen item arrives at m_mnuMain_MenuSelect.
#include "mainwindow/frmMain.h"
#include "mainwindow/ToolSettings.h"

#include "app/MMain.h"
#include "app/M_GUI.h"
#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "components/DialogService.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"

#include <QAction>
#include <QCursor>
#include <QDialog>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace {
constexpr int kStrFile = 1100;
constexpr int kStrOpenVideo = 1911;
constexpr int kStrSaveAs = 1044;
constexpr int kStrClose = 1901;
constexpr int kStrLanguage = 1614;
constexpr int kStrQuit = 1108;
constexpr int kStrOpenAnalysis = 3940;
constexpr int kStrSaveAnalysis = 3941;
constexpr int kStrSaveAnalysisAs = 3942;
constexpr int kStrRecent = 3945;
constexpr int kStrExportData = 3943;
constexpr int kStrCopyTable = 3944;
constexpr int kStrAnalysisFilter = 3946;

constexpr int kNumLineWidths = 8;

QString key(const QString& suffix) { return QStringLiteral("frmMain") + suffix; }
} // namespace

void frmMain::m_mnuMain_load() try {
    m_idMnuMain = QStringLiteral("frmMain_mnuMain_") + M_GUI::getId();
    auto* bar = new QMenuBar(this);
    bar->setObjectName(m_idMnuMain);
    bar->setNativeMenuBar(false);
    m_mnuMain = bar;

    auto* file = new QMenu(QStringLiteral("File"), bar);
    file->setObjectName(key(QStringLiteral("_File")));
    file->menuAction()->setObjectName(key(QStringLiteral("_File")));
    M_GUI::setTag(file->menuAction(), kStrFile);
    bar->addMenu(file);
    mnu_add(file, "_File_OpenVideo", "OpenVideo", kStrOpenVideo)->setShortcut(QKeySequence::Open);
    mnu_add(file, "_File_OpenAnalysis", "OpenAnalysis", kStrOpenAnalysis);
    auto* recent = file->addMenu(QStringLiteral("Recent"));
    recent->setObjectName(key(QStringLiteral("_File_Recent")));
    recent->menuAction()->setObjectName(key(QStringLiteral("_File_Recent")));
    M_GUI::setTag(recent->menuAction(), kStrRecent);
    connect(recent, &QMenu::aboutToShow, this, [this, recent] { mnuRecent_fill(recent); });
    mnu_add(file, "_File_Brd0", "-", 0);
    mnu_add(file, "_File_SaveAnalysis", "SaveAnalysis", kStrSaveAnalysis)->setShortcut(QKeySequence::Save);
    mnu_add(file, "_File_SaveAnalysisAs", "SaveAnalysisAs", kStrSaveAnalysisAs)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    mnu_add(file, "_File_ExportData", "ExportData", kStrExportData);
    mnu_add(file, "_File_CopyTable", "CopyTable", kStrCopyTable);
    mnu_add(file, "_File_Brd3", "-", 0);
    mnu_add(file, "_File_SaveAs", "SaveAs", kStrSaveAs);
    mnu_add(file, "_File_Close", "Close", kStrClose)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    mnu_add(file, "_File_Brd1", "-", 0);
    mnu_add(file, "_File_Lng", "Lng", kStrLanguage);
    mnu_add(file, "_File_Brd2", "-", 0);
    mnu_add(file, "_File_Exit", "Exit", kStrQuit);
    m_mnuEdit_load(bar);
    m_mnuPlay_load(bar);
    m_mnuHelp_load(bar);
    bar->show();
    client_place();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_mnuMain_load()"));
}

QAction* frmMain::mnu_add(QMenu* parent, const char* suffix, const char* caption, int stringNr)
{
    QAction* item = qstrcmp(caption, "-") == 0 ? parent->addSeparator() : parent->addAction(QLatin1String(caption));
    item->setObjectName(key(QLatin1String(suffix)));
    if (stringNr)
        M_GUI::setTag(item, stringNr);
    connect(item, &QAction::triggered, this, [this, item] { m_mnuMain_MenuSelect(item); });
    return item;
}

QMenu* frmMain::mnuBar_add(QMenuBar* bar, const char* name, int stringNr)
{
    auto* menu = new QMenu(QLatin1String(name), bar);
    menu->setObjectName(QLatin1String(name));
    menu->menuAction()->setObjectName(QLatin1String(name));
    M_GUI::setTag(menu->menuAction(), stringNr);
    bar->addMenu(menu);
    return menu;
}

void frmMain::m_mnuMain_ctx_load(const QString& name) try {
    // The top item of a pop-up menu never shows in the menu bar: the menu is not added to it.
    auto* menu = new QMenu(name, m_mnuMain);
    menu->setObjectName(key(QStringLiteral("_") + name));
    menu->menuAction()->setObjectName(key(QStringLiteral("_") + name));
    menu->menuAction()->setVisible(false);
    for (int i = 1; i <= kNumLineWidths; ++i) {
        const QByteArray suffix = (QStringLiteral("_") + name + u'_' + QString::number(i)).toLatin1();
        QAction* item = mnu_add(menu, suffix.constData(), QByteArray::number(i).constData(), 0);
        item->setCheckable(true);
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_mnuMain_ctx_load()"), name);
}

void frmMain::m_mnuMain_enable(bool) try {
    if (!m_mnuMain)
        return;
    // Saving and closing need a view; the other entries are always there to use.
    const bool haveVws = m_VwCtrl && m_VwCtrl->numVws() >= 1;
    for (const char* suffix : {"_File_SaveAs", "_File_Close"}) {
        auto* item = m_mnuMain->findChild<QAction*>(key(QLatin1String(suffix)));
        if (item && item->isEnabled() != haveVws)
            item->setEnabled(haveVws);
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_mnuMain_enable()"));
}

void frmMain::m_mnuMain_ctx_enable(const QString& menuKey, bool) try {
    if (menuKey != key(QStringLiteral("_LineWidth")) || !m_mnuMain)
        return;
    const int width = m_VwCtrl ? m_VwCtrl->m_LineWidth : 0;
    for (int i = 1; i <= kNumLineWidths; ++i)
        if (auto* item = m_mnuMain->findChild<QAction*>(menuKey + u'_' + QString::number(i)))
            item->setChecked(width == i);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_mnuMain_ctx_enable()"), menuKey);
}

void frmMain::m_mnuMain_ctx_show(const QString& name) try {
    const QString menuKey = key(QStringLiteral("_") + name);
    QMenu* menu = m_mnuMain ? m_mnuMain->findChild<QMenu*>(menuKey) : nullptr;
    if (!menu)
        return;
    m_mnuMain_ctx_enable(menuKey, true);
    // The choice arrives through the chosen item's action before the menu returns.
    DialogService::current().popupMenu(*menu, QCursor::pos());
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_mnuMain_ctx_show()"), name);
}

void frmMain::m_mnuMain_MenuSelect(QAction* item) try {
    if (!item)
        return;
    const QString itemKey = item->objectName();
    if (itemKey == key(QStringLiteral("_File_Exit"))) {
        close(); // asks first
    } else if (itemKey == key(QStringLiteral("_File_Lng"))) {
        mnuFileLng_show();
    } else if (itemKey == key(QStringLiteral("_File_OpenVideo"))) {
        if (m_VwCtrl)
            m_VwCtrl->vidLoadFiles();
    } else if (itemKey == key(QStringLiteral("_File_OpenAnalysis"))) {
        FileDialogRequest request;
        request.owner = this;
        request.filter = M_Rc::getRcStr(kStrAnalysisFilter);
        request.caption = M_Rc::getRcStr(kStrOpenAnalysis).remove(QLatin1Char('&'));
        if (const auto chosen = DialogService::current().fileDialog(request); chosen && !chosen->isEmpty())
            analysis_open(chosen->front());
    } else if (itemKey == key(QStringLiteral("_File_SaveAnalysis"))) {
        analysis_save(false);
    } else if (itemKey == key(QStringLiteral("_File_SaveAnalysisAs"))) {
        analysis_save(true);
    } else if (itemKey == key(QStringLiteral("_File_ExportData"))) {
        analysis_exportData();
    } else if (itemKey == key(QStringLiteral("_File_CopyTable"))) {
        analysis_copyTable();
    } else if (itemKey == key(QStringLiteral("_File_SaveAs"))) {
        if (m_VwCtrl)
            m_VwCtrl->vw_saveFrame();
    } else if (itemKey == key(QStringLiteral("_File_Close"))) {
        if (m_VwCtrl)
            m_VwCtrl->vws_close();
    } else {
        for (int i = 1; i <= kNumLineWidths; ++i) {
            if (itemKey == key(QStringLiteral("_LineWidth_")) + QString::number(i)) {
                if (m_VwCtrl) {
                    m_VwCtrl->LineWidth(i);
                    ToolSettings::remember({m_VwCtrl->m_DrwColor, m_VwCtrl->m_LineWidth}, MMain::iniFilePath());
                }
                return;
            }
        }
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_mnuMain_MenuSelect()"));
}

// The language dialog, modal, owned by the main window.
void frmMain::mnuFileLng_show()
{
    if (auto* dlg = qobject_cast<QDialog*>(MMain::loadForm(MMain::FrmLng)))
        dlg->exec();
}
