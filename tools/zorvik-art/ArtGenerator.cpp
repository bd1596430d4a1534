#include "ArtGenerator.h"

#include "GifWriter.h"
#include "IconFileWriter.h"
#include "PictureVariants.h"
#include "SvgPicture.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

namespace ZorvikArt {

ArtGenerator::ArtGenerator(const ArtManifest& manifest, QString artDir)
    : m_manifest(manifest), m_artDir(std::move(artDir))
{
}

bool ArtGenerator::make(QList<MadePicture>* pictures, QString* error) const
{
    for (const ArtEntry& e : m_manifest.entries()) {
        QList<QImage> normal;
        for (const QSize& size : e.sizes) {
            QString why;
            const QImage img = renderSvg(m_artDir + u'/' + e.source, size, e.background, &why);
            if (img.isNull()) {
                *error = QStringLiteral("manifest line %1: %2").arg(e.line).arg(why);
                return false;
            }
            normal.append(img);
        }
        for (const ArtVariant& v : e.variants) {
            MadePicture made{v.path, {}, &e, v.kind};
            for (const QImage& img : normal) {
                switch (v.kind) {
                case ArtVariant::Kind::Normal: made.images.append(img); break;
                case ArtVariant::Kind::Disabled: made.images.append(disabledLook(img, e.background)); break;
                case ArtVariant::Kind::Hot: made.images.append(hotLook(img, m_manifest.hotTint())); break;
                }
            }
            pictures->append(made);
        }
    }
    return true;
}

QByteArray encodePicture(const MadePicture& picture, QString* error)
{
    const QString format = picture.entry->format();
    QByteArray data;
    if (format == QStringLiteral("gif")) {
        data = encodeGif(picture.images.first());
    } else if (format == QStringLiteral("cur")) {
        data = encodeCursor(picture.images.first(), picture.entry->hotspot);
    } else if (format == QStringLiteral("ico") && picture.images.size() > 1) {
        data = encodeIcon(picture.images);
    } else {
        // BMP (24-bit, from an opaque picture) and single-size icons through Qt's own writers.
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, format.toLatin1());
        const QImage& img = picture.images.first();
        if (!writer.write(format == QStringLiteral("bmp") ? img.convertToFormat(QImage::Format_RGB32) : img))
            data.clear();
    }
    if (data.isEmpty())
        *error = QStringLiteral("%1 could not be encoded").arg(picture.path);
    return data;
}

bool ArtGenerator::write(const QList<MadePicture>& pictures, const QString& outDir, QString* error)
{
    for (const MadePicture& picture : pictures) {
        const QByteArray data = encodePicture(picture, error);
        if (data.isEmpty())
            return false;
        const QString file = outDir + u'/' + picture.path;
        if (!QDir().mkpath(QFileInfo(file).path())) {
            *error = QStringLiteral("cannot create the folder of %1").arg(file);
            return false;
        }
        QSaveFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size() || !out.commit()) {
            *error = QStringLiteral("cannot write %1").arg(file);
            return false;
        }
    }
    return true;
}

} // namespace ZorvikArt
