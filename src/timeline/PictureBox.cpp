#include "timeline/PictureBox.h"

#include "components/viewer/OvVView.h"

#include <QMouseEvent>
#include <QPainter>

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {}

void PictureBox::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    resize(picture.size());
    update();
}

void PictureBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, m_picture);
}

void PictureBox::mousePressEvent(QMouseEvent* event)
{
    Q_EMIT MouseDown(OvVView::buttonCode(event->button()), OvVView::keyState(event->modifiers()));
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    Q_EMIT MouseUp(OvVView::buttonCode(event->button()), OvVView::keyState(event->modifiers()));
}
