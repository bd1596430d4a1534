#include "dialogs/ParamControls.h"

#include "app/M_GUI.h"
#include "dialogs/TextSlider.h"

#include <QLabel>
#include <QLocale>
#include <algorithm>

namespace ParamControls {

QLabel* label(QWidget* parent, const char* name, const QString& text, int tag, const QRect& geometry,
              Qt::Alignment alignment)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    if (tag)
        M_GUI::setTag(l, tag);
    l->setGeometry(geometry);
    l->setAlignment(alignment);
    return l;
}

TextSlider* slider(QWidget* parent, const char* name, int minimum, int maximum, int value, int largeStep,
                   const QRect& geometry)
{
    auto* s = new TextSlider(parent);
    s->setObjectName(QString::fromLatin1(name));
    s->setRange(minimum, maximum);
    s->setValue(value);
    s->setPageStep(largeStep);
    s->setGeometry(geometry);
    return s;
}

void showValue(QLabel* label, const QString& text, int minimumWidth)
{
    label->setText(text);
    const int width = std::max(minimumWidth, label->fontMetrics().horizontalAdvance(text) + 2);
    label->setGeometry(label->x(), label->y(), width, label->height());
}

void fitText(QLabel* label)
{
    const int needed = label->fontMetrics().horizontalAdvance(label->text()) + 2;
    QRect g = label->geometry();
    const int extra = needed - g.width();
    if (extra <= 0)
        return;
    if (label->alignment() & Qt::AlignRight)
        g.setLeft(g.left() - extra);
    else if (label->alignment() & Qt::AlignHCenter)
        g = QRect(g.left() - extra / 2, g.top(), needed, g.height());
    else
        g.setWidth(needed);
    label->setGeometry(g);
}

QString decimalText(double value) { return QLocale().toString(value, 'g', QLocale::FloatingPointShortest); }

} // namespace ParamControls
