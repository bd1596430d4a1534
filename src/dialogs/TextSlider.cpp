#include "dialogs/TextSlider.h"

#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolTip>

TextSlider::TextSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    setTickPosition(QSlider::NoTicks);
    setSingleStep(1);
    connect(this, &QSlider::sliderPressed, this, &TextSlider::showText);
}

void TextSlider::setText(const QString& text)
{
    m_text = text;
    if (isSliderDown())
        showText();
}

void TextSlider::showText()
{
    if (m_text.isEmpty())
        return;
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    QToolTip::showText(mapToGlobal(handle.bottomLeft()), m_text, this);
}
