// Files dropped on the window open as if chosen in the open dialog, one video dropped on a view
// replaces its video if the user says so; an empty view area says how to begin.
#include "mainwindow/frmMain.h"

#include "app/M_Msg.h"
#include "components/DialogService.h"
#include "components/analysis/AnalysisFile.h"
#include "app/M_Rc.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"
#include "viewcontroller/MissingViewCard.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QUrl>

namespace {
constexpr int kStrEmptyHint = 3965;
constexpr int kStrReplace = 9014;
constexpr int kStrReplaceWork = 9015;

QStringList localFiles(const QMimeData* data)
{
    QStringList paths;
    if (data && data->hasUrls())
        for (const QUrl& url : data->urls())
            if (url.isLocalFile())
                paths << url.toLocalFile();
    return paths;
}
} // namespace

void frmMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (!localFiles(event->mimeData()).isEmpty() && m_chkTbMainOpen.button() && isEnabled())
        event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event) try {
    const QStringList paths = localFiles(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    int onto = -1;
    if (m_VwCtrl && m_VwCtrl->panel())
        onto = m_VwCtrl->vw_at(m_VwCtrl->panel()->mapFrom(this, event->position().toPoint()));
    // The drop ends when this returns; the files open after it, as a menu command would, so the
    // questions they may bring do not run inside the drag source's loop.
    QMetaObject::invokeMethod(
        this,
        [this, paths, onto] {
            if (!files_dropOnView(onto, paths))
                files_open(paths);
        },
        Qt::QueuedConnection);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.dropEvent()"));
}

bool frmMain::files_dropOnView(int idx, const QStringList& paths) try {
    const CVw* vw = m_VwCtrl ? m_VwCtrl->Vws(idx) : nullptr;
    if (!vw || vw->m_VwType != 1 || paths.size() != 1 || analysis::isAnalysisFile(paths.front()))
        return false;
    const QString name = QFileInfo(paths.front()).fileName();
    QString text = M_Rc::getRcStr(kStrReplace).arg(QFileInfo(vw->m_AviFileName).fileName(), name);
    if (vw->holdsWork())
        text += QStringLiteral("\r\n\r\n") + M_Rc::getRcStr(kStrReplaceWork);
    switch (M_Msg::msgUsr(text, MsgBox::YesNoCancel | MsgBox::Question)) {
    case MsgBox::Yes:
        if (m_VwCtrl->vw_replace(idx, paths.front()))
            analysis_remember(paths.front());
        ctrls_enable(true);
        return true;
    case MsgBox::No: return false;
    default: return true;
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.files_dropOnView()"));
    return true;
}

void frmMain::emptyHint_update() try {
    if (!m_VwCtrl || !m_VwCtrl->panel() || !m_client)
        return;
    if (!m_lblEmptyHint) {
        auto* hint = new QLabel(m_client);
        hint->setObjectName(QStringLiteral("frmMain_lblEmptyHint"));
        hint->setAlignment(Qt::AlignCenter);
        hint->setWordWrap(true);
        QFont big = hint->font();
        big.setPointSizeF(big.pointSizeF() * 1.5);
        hint->setFont(big);
        QPalette pal = hint->palette();
        pal.setColor(QPalette::WindowText, QColor(0x70, 0x70, 0x70));
        hint->setPalette(pal);
        m_lblEmptyHint = hint;
    }
    m_lblEmptyHint->setText(M_Rc::getRcStr(kStrEmptyHint));
    m_lblEmptyHint->setGeometry(m_VwCtrl->panel()->geometry());
    const bool empty = m_VwCtrl->numVws() == 0 && m_VwCtrl->missingVws().empty();
    m_lblEmptyHint->setVisible(empty);
    if (empty)
        m_lblEmptyHint->raise();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.emptyHint_update()"));
}
