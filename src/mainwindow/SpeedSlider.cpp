#include "mainwindow/SpeedSlider.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolTip>

SpeedSlider::SpeedSlider(QWidget* parent) : QSlider(Qt::Vertical, parent), m_label(new QLabel(parent))
{
    m_label->setObjectName(QStringLiteral("lblSpeedValue"));
    QFont bold = m_label->font();
    bold.setBold(true);
    m_label->setFont(bold);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_label->show();
}

SpeedSlider::~SpeedSlider() { delete m_label; }

void SpeedSlider::setValueText(const QString& text)
{
    m_valueText = text;
    m_label->setText(text);
    if (isSliderDown())
        showValueText();
}

void SpeedSlider::moveEvent(QMoveEvent* event)
{
    QSlider::moveEvent(event);
    placeLabel();
}

void SpeedSlider::resizeEvent(QResizeEvent* event)
{
    QSlider::resizeEvent(event);
    placeLabel();
}

// The label is greyed with the slider.
void SpeedSlider::changeEvent(QEvent* event)
{
    QSlider::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && m_label)
        m_label->setEnabled(isEnabled());
}

void SpeedSlider::placeLabel()
{
    if (!m_label)
        return;
    const QRect g = geometry();
    const int w = m_label->fontMetrics().horizontalAdvance(QStringLiteral("0.0x")) + 8;
    m_label->setGeometry(g.right() + 3, g.top(), w, g.height());
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
