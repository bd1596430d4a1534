#include "mainwindow/StatusLine.h"

#include "app/M_Rc.h"
#include "util/M_Misc.h"

#include <QFontMetrics>
#include <QLabel>

namespace {
constexpr int kStrFrameOf = 9010; // "Frame %1 / %2"

} // namespace

StatusLine::StatusLine(QWidget* parent)
    : QStatusBar(parent), m_frame(new QLabel(this)), m_time(new QLabel(this)), m_pointer(new QLabel(this))
{
    setObjectName(QStringLiteral("frmMain_status"));
    setSizeGripEnabled(false);
    // Fixed widths for the numbers that change while playing, so the pointer's place stays put.
    const QFontMetrics metrics = fontMetrics();
    m_frame->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("Frame 000000 / 000000")));
    m_time->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("00000.000 s")));
    for (QLabel* label : {m_frame, m_time, m_pointer}) {
        label->setContentsMargins(6, 0, 6, 0);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        addWidget(label);
    }
    m_frame->setObjectName(QStringLiteral("frmMain_status_frame"));
    m_time->setObjectName(QStringLiteral("frmMain_status_time"));
    m_pointer->setObjectName(QStringLiteral("frmMain_status_pointer"));
}

void StatusLine::showStatus(const ViewStatus& s)
{
    m_last = s;
    if (s.frame < 0) {
        m_frame->clear();
        m_time->clear();
        m_pointer->clear();
        return;
    }
    // Numbered from 0 as on the time line, with the last frame's number.
    // Numbers not yet known exactly (the index is still being built) are marked as estimates.
    const auto number = [](int n, bool approx) { return (approx ? QStringLiteral("\u2248") : QString()) + QString::number(n); };
    m_frame->setText(M_Rc::getRcStr(kStrFrameOf).arg(number(s.frame, s.provisional), number(s.frames - 1, s.estimated)));
    m_time->setText(M_Misc::localNumber(s.seconds, 3) + QStringLiteral(" s"));
    if (!s.pointer) {
        m_pointer->clear();
        return;
    }
    QString text = QStringLiteral("x %1  y %2 px").arg(int(s.pixels.x())).arg(int(s.pixels.y()));
    if (s.calibrated)
        text += QStringLiteral("   x %1  y %2 %3").arg(M_Misc::localNumber(s.units.x(), s.decimals), M_Misc::localNumber(s.units.y(), s.decimals), s.unit);
    m_pointer->setText(text);
}

QString StatusLine::frameText() const { return m_frame->text(); }
QString StatusLine::timeText() const { return m_time->text(); }
QString StatusLine::pointerText() const { return m_pointer->text(); }
