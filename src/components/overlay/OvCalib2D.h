#pragma once

#include <QPointF>
#include <QSize>
#include <QString>

// A two-dimensional calibration of one video picture: a reference line of known real length
// drawn on the picture, the unit of that length and the pixel aspect of the video.
//
// How real geometry is taken from the picture (the one rule for distances and angles):
// a pixel of the picture is `aspect` times as wide as it is high. A point given as fractions
// (fx, fy) of the picture's width W and height H therefore lies, in units of the pixel height,
// at (fx * W * aspect, fy * H). Distances and angles are both taken between such points, so
// an angle reads as a protractor laid on the correctly proportioned picture would, and a
// distance is its length there times the reference length over the reference line's length.
class OvCalib2D {
public:
    // Why a calibration cannot define a scale; 0 = it can.
    enum Failure : int {
        None = 0,
        NoPicture = 1,        // the picture size is unknown
        BadAspect = 2,        // the aspect multiplier is not above 0
        BadLength = 3,        // the reference length is not above 0 (or not a number)
        ShortReference = 4,   // the reference line is shorter than one picture pixel
    };

    explicit OvCalib2D(QSize picture) : m_picture(picture) {}

    QSize pictureSize() const { return m_picture; }
    // 1 m, 2 cm, 3 mm, 4 inches, 5 feet, 6 yards; any other code is a unit the calibration
    // does not know by name.
    int unit() const { return m_unit; }
    void setUnit(int code) { m_unit = code; }
    float aspect() const { return m_aspect; }
    void setAspect(float a) { m_aspect = a; }
    // The reference length (its "distance number 0"), in the unit.
    double refLength() const { return m_refLength; }
    void setRefLength(double d) { m_refLength = d; }
    // Reference points 0 and 1 as fractions of the picture.
    QPointF refPoint(int idx) const { return idx == 0 ? m_ref0 : m_ref1; }
    void setRefPoint(int idx, float fx, float fy);

    // 0 when the calibration defines a scale, else the Failure.
    int failed() const;
    // The unit's name for labels: "m", "cm", "mm", "in", "ft", "yd", or "units" for a unit it
    // does not know.
    QString unitName() const;

    // A point in fractions of the picture, in the picture's true proportions (units of the
    // pixel height). Without a usable aspect the pixels count as square.
    QPointF toPhysical(QPointF fractions) const;
    // Real length per unit of toPhysical; 0 when the calibration failed.
    double scale() const;
    // The real length between two points given as fractions; 0 when the calibration failed.
    double distance(QPointF a, QPointF b) const;

private:
    QSize m_picture;
    int m_unit = 0;
    float m_aspect = 0;
    double m_refLength = 0;
    QPointF m_ref0;
    QPointF m_ref1;
};
