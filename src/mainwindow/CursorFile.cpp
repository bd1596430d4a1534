#include "mainwindow/CursorFile.h"

#include "app/RtError.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QtEndian>

QCursor cursorFromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw RtError(RtError::FileNotFound, path);
    QByteArray bytes = file.readAll();
    // Header: reserved, type (2 = cursor), count; then 16-byte entries whose bytes 4..7 hold the
    // hot spot. The pictures themselves are stored as in an icon file.
    constexpr int kHeader = 6;
    constexpr int kEntry = 16;
    if (bytes.size() < kHeader + kEntry || qFromLittleEndian<quint16>(bytes.constData() + 2) != 2)
        throw RtError(RtError::FileNotFound, path);
    const int hotX = qFromLittleEndian<quint16>(bytes.constData() + kHeader + 4);
    const int hotY = qFromLittleEndian<quint16>(bytes.constData() + kHeader + 6);
    bytes[2] = 1; // read as an icon file
    const QImage image = QImage::fromData(bytes, "ICO");
    if (image.isNull())
        throw RtError(RtError::FileNotFound, path);
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}
