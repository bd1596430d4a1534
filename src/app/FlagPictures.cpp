#include "app/FlagPictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

void stripesHorizontal(QPainter& p, const QRectF& r, std::initializer_list<std::pair<QColor, double>> bands)
{
    double total = 0;
    for (const auto& b : bands)
        total += b.second;
    double y = r.top();
    for (const auto& [color, share] : bands) {
        const double h = r.height() * share / total;
        p.fillRect(QRectF(r.left(), y, r.width(), h + 0.5), color);
        y += h;
    }
}

void stripesVertical(QPainter& p, const QRectF& r, std::initializer_list<std::pair<QColor, double>> bands)
{
    double total = 0;
    for (const auto& b : bands)
        total += b.second;
    double x = r.left();
    for (const auto& [color, share] : bands) {
        const double w = r.width() * share / total;
        p.fillRect(QRectF(x, r.top(), w + 0.5, r.height()), color);
        x += w;
    }
}

QPolygonF star(QPointF centre, double radius, double rotation = 0)
{
    QPolygonF poly;
    for (int i = 0; i < 10; ++i) {
        const double a = rotation - M_PI / 2 + i * M_PI / 5;
        const double rr = (i % 2 == 0) ? radius : radius * 0.382;
        poly << centre + QPointF(rr * std::cos(a), rr * std::sin(a));
    }
    return poly;
}

void drawChina(QPainter& p, const QRectF& r)
{
    p.fillRect(r, QColor(222, 41, 16));
    const double u = r.height() / 20.0;
    p.setBrush(QColor(255, 222, 0));
    p.setPen(Qt::NoPen);
    p.drawPolygon(star(r.topLeft() + QPointF(5 * u, 5 * u), 3 * u));
    const QPointF small[] = {{10, 2}, {12, 4}, {12, 7}, {10, 9}};
    for (const QPointF& s : small)
        p.drawPolygon(star(r.topLeft() + s * u, 1.0 * u, 0.4));
}

void drawUnitedStates(QPainter& p, const QRectF& r)
{
    for (int i = 0; i < 13; ++i)
        p.fillRect(QRectF(r.left(), r.top() + r.height() * i / 13.0, r.width(), r.height() / 13.0 + 0.5),
                   i % 2 == 0 ? QColor(178, 34, 52) : Qt::white);
    const QRectF canton(r.left(), r.top(), r.width() * 0.4, r.height() * 7 / 13.0);
    p.fillRect(canton, QColor(60, 59, 110));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    const double d = std::max(0.8, canton.height() / 14.0);
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 5; ++col)
            p.drawEllipse(QPointF(canton.left() + canton.width() * (col + 0.5) / 5,
                                  canton.top() + canton.height() * (row + 0.5) / 4),
                          d, d);
}

void drawSpain(QPainter& p, const QRectF& r)
{
    stripesHorizontal(p, r, {{QColor(170, 21, 27), 1}, {QColor(241, 191, 0), 2}, {QColor(170, 21, 27), 1}});
    // A simplified coat of arms: a small red and gold shield left of centre.
    const double h = r.height() * 0.3;
    const QRectF shield(r.left() + r.width() * 0.22, r.center().y() - h / 2, h * 0.8, h);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(170, 21, 27));
    p.drawRoundedRect(shield, h * 0.2, h * 0.2);
}

void drawPortugal(QPainter& p, const QRectF& r)
{
    stripesVertical(p, r, {{QColor(0, 102, 0), 2}, {QColor(255, 0, 0), 3}});
    const QPointF centre(r.left() + r.width() * 0.4, r.center().y());
    const double radius = r.height() * 0.22;
    p.setPen(QPen(QColor(255, 255, 0), std::max(1.0, r.height() / 16.0)));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, radius, radius);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(centre.x() - radius * 0.5, centre.y() - radius * 0.6, radius, radius * 1.2),
                      radius * 0.3, radius * 0.3);
}

} // namespace

QPixmap flagPicture(int imageIndex, int height)
{
    const int width = height * 3 / 2;
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0, 0, width, height);
    switch (imageIndex) {
    case 6: drawUnitedStates(p, r); break;
    case 8: stripesVertical(p, r, {{QColor(0, 35, 149), 1}, {Qt::white, 1}, {QColor(237, 41, 57), 1}}); break;
    case 10: stripesHorizontal(p, r, {{Qt::black, 1}, {QColor(221, 0, 0), 1}, {QColor(255, 206, 0), 1}}); break;
    case 19: drawPortugal(p, r); break;
    case 22: drawChina(p, r); break;
    case 24: drawSpain(p, r); break;
    default: p.fillRect(r, QColor(200, 200, 200)); break;
    }
    p.setPen(QPen(QColor(0, 0, 0, 90), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
    return pixmap;
}
