#pragma once

#include <QSlider>
#include <QString>

// The vertical playback speed slider. Besides its value it carries a value text, which it shows
// beside its thumb while the thumb is dragged.
class SpeedSlider : public QSlider {
public:
    explicit SpeedSlider(QWidget* parent = nullptr);

    const QString& valueText() const { return m_valueText; }
    void setValueText(const QString& text);
    // Where the thumb is drawn now, in the slider's coordinates.
    QRect thumbRect() const;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void showValueText();

    QString m_valueText;
};
