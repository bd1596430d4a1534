#include "mainwindow/SpeedSlider.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolTip>

SpeedSlider::SpeedSlider(QWidget* parent) : QSlider(Qt::Vertical, parent) {}

void SpeedSlider::setValueText(const QString& text)
{
    m_valueText = text;
    if (isSliderDown())
        showValueText();
}

void SpeedSlider::mouseMoveEvent(QMouseEvent* event)
{
    QSlider::mouseMoveEvent(event);
    if (isSliderDown())
        showValueText();
}

QRect SpeedSlider::thumbRect() const
{
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    return style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
}

// The text stands to the right of the thumb, where the dragging pointer does not cover it.
void SpeedSlider::showValueText()
{
    QToolTip::showText(mapToGlobal(QPoint(width(), thumbRect().top())), m_valueText, this);
}
