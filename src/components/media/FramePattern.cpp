#include "FramePattern.h"

#include <QPainter>

namespace {

constexpr int Columns = 6;
constexpr int Rows = 2;

QRect cellRect(const QRect& rect, int bit)
{
    const int w = rect.width() / Columns;
    const int h = rect.height() / (2 * Rows);
    return QRect(rect.x() + (bit % Columns) * w, rect.y() + (bit / Columns) * h, w, h);
}

} // namespace

void FramePattern::paint(QImage& image, const QRect& rect, int number)
{
    QPainter painter(&image);
    painter.setClipRect(rect);
    // Texture that moves with the number: diagonal stripes and a travelling coloured block.
    const QRect lower(rect.x(), rect.y() + rect.height() / 2, rect.width(), rect.height() - rect.height() / 2);
    painter.fillRect(lower, QColor(90, 110, 130));
    for (int x = -rect.height(); x < rect.width(); x += 12) {
        const int x0 = rect.x() + x + (number * 3) % 12;
        painter.setPen(QPen(QColor(150, 160, 120), 3));
        painter.drawLine(x0, lower.bottom(), x0 + lower.height(), lower.top());
    }
    const int travel = std::max(1, lower.width() - lower.height() / 2);
    painter.fillRect(QRect(lower.x() + (number * 5) % travel, lower.y() + lower.height() / 4, lower.height() / 2,
                           lower.height() / 2),
                     QColor(200, 60, 40));
    painter.fillRect(QRect(rect.x(), rect.y(), rect.width(), rect.height() / 2), QColor(128, 128, 128));
    for (int bit = 0; bit < Bits; ++bit)
        painter.fillRect(cellRect(rect, bit), (number >> bit) & 1 ? Qt::white : Qt::black);
}

int FramePattern::read(const QImage& image, const QRect& rect)
{
    int number = 0;
    for (int bit = 0; bit < Bits; ++bit) {
        // The middle half of the cell, away from edges that coding blurs.
        const QRect cell = cellRect(rect, bit);
        const QRect inner = cell.adjusted(cell.width() / 4, cell.height() / 4, -cell.width() / 4, -cell.height() / 4);
        if (inner.isEmpty() || !image.rect().contains(inner))
            return -1;
        long sum = 0;
        long n = 0;
        for (int y = inner.top(); y <= inner.bottom(); ++y)
            for (int x = inner.left(); x <= inner.right(); ++x, ++n)
                sum += qGray(image.pixel(x, y));
        const long mean = sum / n;
        if (mean > 64 && mean < 192)
            return -1;
        if (mean >= 192)
            number |= 1 << bit;
    }
    return number;
}
