// The Edit menu: undo and redo of the focused view's work, whatever made it (drawings,
// measurements, the eraser, markers, calibrations, trajectories), and Delete for the item under
// the pointer.
#include "mainwindow/frmMain.h"

#include "app/M_Msg.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace {
constexpr int kStrEdit = 9011;
constexpr int kStrUndo = 9012;
constexpr int kStrRedo = 9013;
constexpr int kStrDelete = 1184;
} // namespace

void frmMain::m_mnuEdit_load(QMenuBar* bar) try {
    QMenu* menu = mnuBar_add(bar, "frmMain_Edit", kStrEdit);
    mnuKey_add(menu, "Undo", kStrUndo, QKeySequence(Qt::CTRL | Qt::Key_Z), [this] { edit_undo(false); });
    mnuKey_add(menu, "Redo", kStrRedo, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), [this] { edit_undo(true); });
    menu->addSeparator();
    mnuKey_add(menu, "Delete", kStrDelete, QKeySequence(Qt::Key_Delete), [this] { edit_delete(); });
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_mnuEdit_load()"));
}

void frmMain::history_observeAll() try {
    if (m_unloaded)
        return;
    for (int i = 0; m_VwCtrl && i < m_VwCtrl->numVws(); ++i)
        if (CVw* vw = m_VwCtrl->Vws(i))
            vw->history_observe();
    m_mnuEdit_enable();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.history_observeAll()"));
}

void frmMain::m_mnuEdit_enable() try {
    if (!m_mnuMain)
        return;
    CVw* focused = focusedVw();
    const auto set = [this](const char* name, bool on) {
        if (auto* a = m_mnuMain->findChild<QAction*>(QLatin1String(name)); a && a->isEnabled() != on)
            a->setEnabled(on);
    };
    set("frmMain_Edit_Undo", focused && focused->history_canUndo());
    set("frmMain_Edit_Redo", focused && focused->history_canRedo());
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_mnuEdit_enable()"));
}

void frmMain::edit_undo(bool redo) try {
    CVw* focused = focusedVw();
    if (!focused)
        return;
    if (focused->history_step(redo))
        ctrls_enable(true);
    else
        m_mnuEdit_enable();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.edit_undo()"));
}

// The item under the pointer, in whichever view the pointer is.
void frmMain::edit_delete() try {
    for (int i = 0; m_VwCtrl && i < m_VwCtrl->numVws(); ++i) {
        CVw* vw = m_VwCtrl->Vws(i);
        if (vw && vw->item_rmUnderPointer()) {
            ctrls_enable(true);
            return;
        }
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.edit_delete()"));
}
