#include "mainwindow/PanelGrip.h"

#include <QMouseEvent>
#include <QPainter>

PanelGrip::PanelGrip(std::function<void(int dx)> dragged, QWidget* parent)
    : QWidget(parent), m_dragged(std::move(dragged))
{
    setCursor(Qt::SplitHCursor);
}

void PanelGrip::mousePressEvent(QMouseEvent* event)
{
    m_pressX = int(event->globalPosition().x());
}

void PanelGrip::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || !m_dragged)
        return;
    const int x = int(event->globalPosition().x());
    m_dragged(x - m_pressX);
    m_pressX = x;
}

void PanelGrip::paintEvent(QPaintEvent*)
{
    // A short ridge in the middle says it can be taken.
    QPainter p(this);
    p.setPen(palette().color(QPalette::Mid));
    const int cx = width() / 2, cy = height() / 2;
    for (int dy = -12; dy <= 12; dy += 4)
        p.drawPoint(cx, cy + dy);
}
