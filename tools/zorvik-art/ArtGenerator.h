#pragma once

#include "ArtManifest.h"

#include <QImage>
#include <QList>
#include <QString>

namespace ZorvikArt {

// One picture made in memory, before it is written.
struct MadePicture {
    QString path;          // relative to the picture folder
    QList<QImage> images;  // one per size
    const ArtEntry* entry = nullptr;
    ArtVariant::Kind kind = ArtVariant::Kind::Normal;
};

// Makes the pictures of a manifest from the drawings of the art folder and writes them below
// an output folder, creating subfolders as needed.
class ArtGenerator {
public:
    ArtGenerator(const ArtManifest& manifest, QString artDir);

    // Renders every picture and variant; false with the first problem in *error.
    bool make(QList<MadePicture>* pictures, QString* error) const;
    // Writes made pictures below outDir; false with the first problem in *error.
    static bool write(const QList<MadePicture>& pictures, const QString& outDir, QString* error);

private:
    const ArtManifest& m_manifest;
    QString m_artDir;
};

// Encodes one made picture in the format its path names.
QByteArray encodePicture(const MadePicture& picture, QString* error);

} // namespace ZorvikArt
