#include "SvgPicture.h"

#include <QFileInfo>
#include <QPainter>
#include <QSvgRenderer>

namespace ZorvikArt {

QImage renderSvg(const QString& file, QSize size, const QColor& background, QString* error)
{
    if (!QFileInfo::exists(file)) {
        *error = QStringLiteral("drawing %1 is missing").arg(file);
        return {};
    }
    QSvgRenderer renderer(file);
    if (!renderer.isValid()) {
        *error = QStringLiteral("drawing %1 is not a readable SVG").arg(file);
        return {};
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(background.isValid() ? background : QColor(Qt::transparent));
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        renderer.render(&p, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    return image.convertToFormat(background.isValid() ? QImage::Format_RGB32 : QImage::Format_ARGB32);
}

} // namespace ZorvikArt
