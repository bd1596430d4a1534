#include "ContactSheet.h"

#include <QPainter>

namespace ZorvikArt {
namespace {

constexpr int kGap = 10;
constexpr int kLabel = 14;
constexpr int kCell = 100;        // narrowest cell, so labels fit
constexpr int kMaxZoomed = 64;    // larger pictures are shown at their own size
constexpr int kColumnHeight = 1100;

QSize shown(const QImage& img, int zoom)
{
    return qMax(img.width(), img.height()) > kMaxZoomed ? img.size() : img.size() * zoom;
}

} // namespace

QImage contactSheet(const QList<MadePicture>& pictures, int zoom)
{
    // Group the variants of each manifest line into one row.
    QList<QList<const MadePicture*>> rows;
    for (const MadePicture& p : pictures) {
        if (rows.isEmpty() || rows.last().first()->entry != p.entry)
            rows.append(QList<const MadePicture*>());
        rows.last().append(&p);
    }
    // Rows flow down a column and continue in the next one.
    struct Placed {
        QList<const MadePicture*> row;
        QPoint at;
    };
    QList<Placed> placed;
    int x = kGap, y = kGap, columnWidth = 0, width = 0, height = 0;
    for (const auto& row : rows) {
        int w = 0, h = 0;
        for (const MadePicture* p : row)
            for (const QImage& img : p->images) {
                w += qMax(shown(img, zoom).width(), kCell) + kGap;
                h = qMax(h, shown(img, zoom).height());
            }
        h += kLabel + kGap;
        if (y > kGap && y + h > kColumnHeight) {
            x += columnWidth + 2 * kGap;
            y = kGap;
            columnWidth = 0;
        }
        placed.append({row, QPoint(x, y)});
        y += h;
        columnWidth = qMax(columnWidth, w);
        width = qMax(width, x + w);
        height = qMax(height, y);
    }

    QImage sheet(width + kGap, height + kGap, QImage::Format_RGB32);
    sheet.fill(QColor(200, 200, 200));
    QPainter p(&sheet);
    QFont font = p.font();
    font.setPixelSize(10);
    p.setFont(font);
    const QColor face(225, 225, 225);
    for (const Placed& pl : placed) {
        int cx = pl.at.x(), h = 0;
        for (const MadePicture* pic : pl.row) {
            for (const QImage& img : pic->images) {
                const QRect box(QPoint(cx, pl.at.y()), shown(img, zoom));
                p.fillRect(box, face);
                p.drawImage(box, img);
                h = qMax(h, box.height());
                cx += qMax(box.width(), kCell) + kGap;
            }
        }
        cx = pl.at.x();
        for (const MadePicture* pic : pl.row) {
            for (const QImage& img : pic->images) {
                const int w = qMax(shown(img, zoom).width(), kCell);
                p.setPen(Qt::black);
                p.drawText(QRect(cx, pl.at.y() + h + 1, w, kLabel), Qt::AlignLeft | Qt::AlignTop,
                           pic->path.section(u'/', -1));
                cx += w + kGap;
            }
        }
    }
    return sheet;
}

} // namespace ZorvikArt
