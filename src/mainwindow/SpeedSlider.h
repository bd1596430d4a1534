#pragma once

#include <QLabel>
#include <QPointer>
#include <QSlider>
#include <QString>

// The vertical playback speed slider. Besides its value it carries a value text ("1.0x"), shown
// at all times in a label to its right and beside its thumb while the thumb is dragged.
class SpeedSlider : public QSlider {
public:
    explicit SpeedSlider(QWidget* parent = nullptr);
    ~SpeedSlider() override;
    SpeedSlider(const SpeedSlider&) = delete;
    SpeedSlider& operator=(const SpeedSlider&) = delete;

    const QString& valueText() const { return m_valueText; }
    void setValueText(const QString& text);
    // Where the thumb is drawn now, in the slider's coordinates.
    QRect thumbRect() const;
    // The label beside the slider (a sibling, so it is not clipped to the slider's narrow width);
    // it follows the slider's moves, and is placed at once by this before the slider is shown.
    QLabel* valueLabel() const { return m_label; }
    void placeLabel();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void showValueText();

    QString m_valueText;
    QPointer<QLabel> m_label;
};
