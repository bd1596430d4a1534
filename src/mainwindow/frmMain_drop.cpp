// Files dropped on the window open as if chosen in the open dialog; an empty view area says so.
#include "mainwindow/frmMain.h"

#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"
#include "viewcontroller/MissingViewCard.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QUrl>

namespace {
constexpr int kStrEmptyHint = 3965;

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
    // The drop ends when this returns; the files open after it, as a menu command would, so the
    // questions they may bring do not run inside the drag source's loop.
    QMetaObject::invokeMethod(this, [this, paths] { files_open(paths); }, Qt::QueuedConnection);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.dropEvent()"));
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
