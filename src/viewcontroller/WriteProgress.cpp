#include "viewcontroller/WriteProgress.h"

#include "app/M_Rc.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProgressDialog>

namespace {
constexpr int kStrFrame = 1006;
constexpr int kStrCancel = 1009;
constexpr int kStrWriting = 3903;
constexpr int kStrIndexing = 9022;
constexpr int kShowAfterMs = 400; // short writes finish without a flash of the dialog
} // namespace

WriteProgress::WriteProgress(QWidget* owner, const QString& path, int total, Kind kind, bool cancellable)
    : m_name(QFileInfo(path).fileName()), m_total(total), m_kind(kind)
{
    auto* dialog = new QProgressDialog(owner);
    dialog->setObjectName(QLatin1String(kObjectName));
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setWindowTitle(M_Rc::getRcStr(kind == Kind::Writing ? kStrWriting : kStrIndexing));
    if (cancellable)
        dialog->setCancelButtonText(M_Rc::getRcStr(kStrCancel));
    else
        dialog->setCancelButton(nullptr);
    dialog->setRange(0, std::max(total, 1));
    dialog->setMinimumDuration(kShowAfterMs);
    dialog->setAutoReset(false);
    dialog->setAutoClose(false);
    m_dialog = dialog;
    step(0);
}

WriteProgress::~WriteProgress() { delete m_dialog.data(); }

bool WriteProgress::step(int done)
{
    if (!m_dialog)
        return false;
    if (m_kind == Kind::Writing)
        m_dialog->setLabelText(m_name + QLatin1Char('\n') + M_Rc::getRcStr(kStrFrame) + QLatin1Char(' ') +
                               QString::number(done) + QStringLiteral(" / ") + QString::number(m_total));
    else
        m_dialog->setLabelText(m_name + QLatin1Char('\n') + QString::number(done) + QStringLiteral(" %"));
    m_dialog->setValue(done); // once shown, the modal bar pumps the events: repaint and the cancel click
    // Before it shows, timers and repaints still run, but no input reaches the window.
    if (m_dialog && !m_dialog->isVisible())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return !cancelled();
}

bool WriteProgress::cancelled() const { return !m_dialog || m_dialog->wasCanceled(); }
