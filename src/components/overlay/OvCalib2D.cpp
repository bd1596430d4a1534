#include "OvCalib2D.h"

#include <cmath>

void OvCalib2D::setRefPoint(int idx, float fx, float fy)
{
    (idx == 0 ? m_ref0 : m_ref1) = QPointF(fx, fy);
}

QPointF OvCalib2D::toPhysical(QPointF f) const
{
    const double w = m_picture.width() > 0 ? m_picture.width() : 1.0;
    const double h = m_picture.height() > 0 ? m_picture.height() : 1.0;
    const double a = m_aspect > 0 && std::isfinite(m_aspect) ? double(m_aspect) : 1.0;
    return {f.x() * w * a, f.y() * h};
}

int OvCalib2D::failed() const
{
    if (m_picture.isEmpty())
        return NoPicture;
    if (!(m_aspect > 0) || !std::isfinite(m_aspect))
        return BadAspect;
    if (!(m_refLength > 0) || !std::isfinite(m_refLength))
        return BadLength;
    // The reference line is measured in picture pixels, as the user drew it; a line of one
    // pixel, held as single-precision fractions, may come back a hair shorter.
    const double dxPx = (m_ref1.x() - m_ref0.x()) * m_picture.width();
    const double dyPx = (m_ref1.y() - m_ref0.y()) * m_picture.height();
    if (std::hypot(dxPx, dyPx) < 0.999)
        return ShortReference;
    return None;
}

QString OvCalib2D::unitName() const
{
    switch (m_unit) {
    case 1:
        return QStringLiteral("m");
    case 2:
        return QStringLiteral("cm");
    case 3:
        return QStringLiteral("mm");
    case 4:
        return QStringLiteral("in");
    case 5:
        return QStringLiteral("ft");
    case 6:
        return QStringLiteral("yd");
    default:
        return QStringLiteral("units");
    }
}

double OvCalib2D::scale() const
{
    if (failed() != None)
        return 0.0;
    const QPointF d = toPhysical(m_ref1) - toPhysical(m_ref0);
    return m_refLength / std::hypot(d.x(), d.y());
}

double OvCalib2D::distance(QPointF a, QPointF b) const
{
    const QPointF d = toPhysical(b) - toPhysical(a);
    return scale() * std::hypot(d.x(), d.y());
}
