#pragma once

#include <QColor>
#include <QPainter>
#include <QWidget>

// A rectangle outline, transparent inside: the frame around a view's video area. The border
// lies inside the widget's rectangle.
class BorderFrame : public QWidget {
public:
    explicit BorderFrame(QWidget* parent = nullptr) : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

    void setLook(int width, const QColor& colour)
    {
        m_width = width;
        m_colour = colour;
        update();
    }
    int borderWidth() const { return m_width; }
    QColor borderColour() const { return m_colour; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QRect r = rect();
        for (int i = 0; i < m_width && i * 2 < std::min(r.width(), r.height()); ++i) {
            p.setPen(m_colour);
            p.drawRect(r.adjusted(i, i, -i - 1, -i - 1));
        }
    }

private:
    int m_width = 1;
    QColor m_colour{120, 120, 140};
};
