#include "dialogs/ParamDialog.h"

#include "app/M_Msg.h"
#include "dialogs/ParamControls.h"

#include <QKeyEvent>
#include <QLabel>
#include <algorithm>

namespace {
// The least room between a label and the frame's edge.
constexpr int kMargin = 6;
} // namespace

ParamDialog::ParamDialog(QWidget* parent) : QDialog(parent)
{
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

void ParamDialog::done(int result)
{
    QDialog::done(result);
    if (m_unloaded)
        return;
    m_unloaded = true;
    try {
        emit unload();
    } catch (...) {
        M_Msg::errMsg(objectName() + QStringLiteral(".Form_Unload()"));
    }
}

void ParamDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ParamDialog::fitLabels(QWidget* frame, const QList<QLabel*>& labels)
{
    const QList<QWidget*> controls = frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    if (m_laidOut.empty()) {
        for (QWidget* c : controls)
            m_laidOut[c] = c->geometry();
        m_laidOut[frame] = frame->geometry();
        m_laidOutSize = size();
    }
    // From the layout as made: the labels whole, the others where they were (a value label
    // keeps the width its value gave it).
    QRect madeBounds;
    for (QWidget* c : controls) {
        const auto made = m_laidOut.find(c);
        if (made == m_laidOut.end())
            continue;
        madeBounds |= made->second;
        if (labels.contains(c))
            c->setGeometry(made->second);
        else
            c->move(made->second.topLeft());
    }
    const QRect madeFrame = m_laidOut[frame];
    for (QLabel* l : labels)
        ParamControls::fitText(l);

    QRect bounds;
    for (QWidget* c : controls)
        bounds |= c->geometry();
    const int shift = std::max(0, kMargin - bounds.left());
    if (shift > 0)
        for (QWidget* c : controls)
            c->move(c->pos() + QPoint(shift, 0));
    const int rightMargin = madeFrame.width() - madeBounds.right() - 1;
    const int width = std::max(madeFrame.width(), bounds.right() + shift + 1 + std::max(kMargin, rightMargin));
    frame->setGeometry(madeFrame.x(), madeFrame.y(), width, madeFrame.height());
    setFixedSize(m_laidOutSize.width() + width - madeFrame.width(), m_laidOutSize.height());
}
