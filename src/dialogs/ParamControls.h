#pragma once

#include <QRect>
#include <QString>
#include <Qt>

class QLabel;
class QWidget;
class TextSlider;

// The controls both parameter dialogs are made of, placed at fixed pixel positions.
namespace ParamControls {

// A label of the text (the language's text replaces it when `tag` is a string number).
QLabel* label(QWidget* parent, const char* name, const QString& text, int tag, const QRect& geometry,
              Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);
// A horizontal slider without tick marks, small step 1.
TextSlider* slider(QWidget* parent, const char* name, int minimum, int maximum, int value, int largeStep,
                   const QRect& geometry);
// A value label shows its text from its left edge and widens to fit it, never narrower than
// it was made.
void showValue(QLabel* label, const QString& text, int minimumWidth);
// Widens a label whose text does not fit it (a longer language, a wider substitute font),
// holding on to the edge or the centre its alignment keeps, even past its parent's left edge
// (the dialog makes room then); never narrows it.
void fitText(QLabel* label);
// Text of a value with a fractional part, in the user's number format ("0.5", "0.05", "1").
QString decimalText(double value);

} // namespace ParamControls
