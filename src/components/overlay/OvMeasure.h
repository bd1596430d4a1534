#pragma once

#include "OvCalib2D.h"

#include <QColor>
#include <QPen>
#include <QSizeF>
#include <QPointF>
#include <memory>

class QPainter;
struct PictureMapping;

// What angles and distances share: points as fractions of the picture, colour, line width,
// frames, the program's id and the calibration they were made with.
class OvMeasure {
public:
    virtual ~OvMeasure() = default;

    int type() const { return m_type; }
    void setType(int t) { m_type = t; }
    QColor color() const { return m_color; }
    void setColor(const QColor& c) { m_color = c; }
    int lineWidth() const { return m_lineWidth; }
    void setLineWidth(int w) { m_lineWidth = w; }
    // Small circles at the placed points: 0 none, 1 shown.
    int pointMarks() const { return m_pointMarks; }
    void setPointMarks(int m) { m_pointMarks = m; }
    int curFrame() const { return m_curFrame; }
    void setCurFrame(int f) { m_curFrame = f; }
    int firstFrame() const { return m_firstFrame; }
    void setFirstFrame(int f) { m_firstFrame = f; }
    int lastFrame() const { return m_lastFrame; }
    void setLastFrame(int f) { m_lastFrame = f; }
    bool showsIn(int frame) const { return frame >= m_firstFrame && frame <= m_lastFrame; }
    // The program's item id that the measurement shares with its label.
    int userData() const { return m_userData; }
    void setUserData(int id) { m_userData = id; }
    const std::shared_ptr<OvCalib2D>& calib() const { return m_calib; }
    void setCalib(std::shared_ptr<OvCalib2D> c) { m_calib = std::move(c); }

    // Point idx as fractions of the picture's width and height.
    QPointF point(int idx) const;
    void setPoint(int idx, float fx, float fy);

    // True when (fx, fy), in fractions, lies within `tolerance` (a fraction of the picture's
    // width) of one of the drawn lines.
    virtual bool hit(double fx, double fy, double tolerance) const = 0;
    virtual void draw(QPainter& painter, const PictureMapping& map) const = 0;

protected:
    explicit OvMeasure(int points) : m_points(points) {}
    // The picture size the calibration knows, else a square of 1 (fractions count as pixels).
    QSizeF pictureSize() const;
    // The point in picture pixels of the calibration's picture, for hit tests.
    QPointF pixel(int idx) const;
    // The point in viewer pixels.
    QPointF viewer(int idx, const PictureMapping& map) const;
    QPen pen(const PictureMapping& map) const;
    void drawPointMarks(QPainter& painter, const PictureMapping& map, int n) const;

private:
    int m_points;
    int m_type = 0;
    QColor m_color{255, 255, 128};
    int m_lineWidth = 1;
    int m_pointMarks = 0;
    int m_curFrame = 0;
    int m_firstFrame = 0;
    int m_lastFrame = 0;
    int m_userData = 0;
    std::shared_ptr<OvCalib2D> m_calib;
    QPointF m_pt[4];
};
