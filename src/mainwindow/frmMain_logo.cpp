// The maker's logo at the top right: a click opens the maker's web site in the browser.
#include "mainwindow/frmMain.h"

#include "app/M_GUI.h"
#include "app/M_Msg.h"
#include "app/RtError.h"
#include "components/DialogService.h"
#include "mainwindow/CursorFile.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QThread>
#include <QUrl>

namespace {
const QColor kLogoBack(225, 225, 225);
// How long the hourglass stays on the logo after the browser was asked to open the site.
constexpr unsigned long kLogoClickPauseMs = 300;
} // namespace

void frmMain::m_picCmpyLogo_load() try {
    m_idPicCmpyLogo = QStringLiteral("frmMain_picCmpyLogo_") + M_GUI::getId();
    auto* logo = new QLabel(m_client);
    logo->setObjectName(m_idPicCmpyLogo);
    logo->hide(); // shown once all its settings are made
    m_picCmpyLogo = logo;
    logo->move(0, kTbMainTop);
    const QString pictureFile = M_GUI::imgDir() + QStringLiteral("/ovraLogo_Zorvik.gif");
    const QPixmap picture(pictureFile);
    if (picture.isNull())
        throw RtError(RtError::FileNotFound, pictureFile);
    logo->setPixmap(picture);
    logo->resize(picture.size());
    logo->setFrameShape(QFrame::NoFrame);
    QPalette pal = logo->palette();
    pal.setColor(QPalette::Window, kLogoBack);
    logo->setPalette(pal);
    logo->setAutoFillBackground(true);
    m_handCursor = cursorFromFile(M_GUI::imgDir() + QStringLiteral("/Cur/hand.cur"));
    logo->setCursor(m_handCursor);
    logo->setToolTip(QLatin1String(kMakerUrl));
    logo->installEventFilter(this);
    logo->show();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_picCmpyLogo_load()"));
}

void frmMain::m_picCmpyLogo_unload() try {
    if (m_picCmpyLogo)
        m_picCmpyLogo->removeEventFilter(this);
    ctrl_unload(m_idPicCmpyLogo);
    m_picCmpyLogo = nullptr;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_picCmpyLogo_unload()"));
}

void frmMain::m_picCmpyLogo_resize() try {
    if (m_picCmpyLogo)
        m_picCmpyLogo->move(m_layoutW - m_picCmpyLogo->width() - 5, m_picCmpyLogo->y());
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_picCmpyLogo_resize()"));
}

void frmMain::m_picCmpyLogo_Click() try {
    m_picCmpyLogo->setCursor(Qt::WaitCursor);
    DialogService::current().openUrl(QUrl(QLatin1String(kMakerUrl)));
    QThread::msleep(kLogoClickPauseMs);
    m_picCmpyLogo->setCursor(m_handCursor);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_picCmpyLogo_Click()"));
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    // A click is a left press and release on the logo. The event's type is looked at first: a
    // widget being destroyed still sends events, and then is no label any more.
    if (event->type() == QEvent::MouseButtonRelease && watched == m_picCmpyLogo) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && m_picCmpyLogo->rect().contains(mouse->position().toPoint())) {
            m_picCmpyLogo_Click();
            return true;
        }
    }
    plots_event(watched, event);
    return QWidget::eventFilter(watched, event);
}
