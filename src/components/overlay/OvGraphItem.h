#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>

class QPainter;
struct PictureMapping;

// One graphic item drawn over the video: a line, rectangle, ellipse, cross or text with two
// points in picture pixels, shown from its first to its last frame. Several items may share an
// id and then count as one for hit tests and removal.
class OvGraphItem {
public:
    enum Type : int { Line = 1, Rectangle = 2, Ellipse = 5, Cross = 6, Text = 8 };
    // Text size of a text item whose style carries none.
    static constexpr int kDefaultTextSize = 18;

    explicit OvGraphItem(int type) : m_type(type) {}

    int type() const { return m_type; }
    int id() const { return m_id; }
    void setId(int id) { m_id = id; }
    QColor color() const { return m_color; }
    void setColor(const QColor& c) { m_color = c; }
    // Lines and shapes: 2 x (line width - 1); texts: text size x 256.
    int style() const { return m_style; }
    void setStyle(int s) { m_style = s; }
    QPointF point(int idx) const { return idx == 0 ? QPointF(m_x0, m_y0) : QPointF(m_x1, m_y1); }
    float x(int idx) const { return idx == 0 ? m_x0 : m_x1; }
    float y(int idx) const { return idx == 0 ? m_y0 : m_y1; }
    void setPoint(int idx, float x, float y);
    // Cross: arm length; ellipse: radius (both in picture pixels).
    float size() const { return m_size; }
    void setSize(float s) { m_size = s; }
    QString text() const { return m_text; }
    void setText(const QString& t) { m_text = t; }
    int curFrame() const { return m_curFrame; }
    void setCurFrame(int f) { m_curFrame = f; }
    int firstFrame() const { return m_firstFrame; }
    void setFirstFrame(int f) { m_firstFrame = f; }
    int lastFrame() const { return m_lastFrame; }
    void setLastFrame(int f) { m_lastFrame = f; }
    bool marked() const { return m_marked; }
    void setMarked(bool m) { m_marked = m; }

    bool showsIn(int frame) const { return frame >= m_firstFrame && frame <= m_lastFrame; }
    // Line width in picture pixels (from the style of lines and shapes).
    double lineWidth() const;
    // Text size in picture pixels (from the style of texts).
    int textSize() const;
    // The box a text covers, in picture pixels, its top left corner at point 0.
    QRectF textBox() const;

    // True when (x, y), in picture pixels, lies on the item's outline within the tolerance
    // (plus half the line width); a text is hit anywhere inside its box.
    bool hit(double x, double y, double tolerance) const;
    // Draws the item, antialiased, placed and scaled through the mapping.
    void draw(QPainter& painter, const PictureMapping& map) const;

private:
    void drawText(QPainter& painter, const PictureMapping& map) const;

    int m_type;
    int m_id = 0;
    QColor m_color{255, 255, 128};
    int m_style = 0;
    float m_x0 = 0, m_y0 = 0, m_x1 = 0, m_y1 = 0;
    float m_size = 0;
    QString m_text;
    int m_curFrame = 0;
    int m_firstFrame = 0;
    int m_lastFrame = 0;
    bool m_marked = false;
};
