#pragma once

#include <QSlider>
#include <QString>

// A horizontal slider with a text of its own: the value as the dialog words it, shown beside
// the handle while the user drags it.
class TextSlider : public QSlider {
    Q_OBJECT
public:
    explicit TextSlider(QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);

private:
    void showText();

    QString m_text;
};
