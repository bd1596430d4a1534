#include "mainwindow/CursorFile.h"

#include "app/RtError.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <algorithm>
#include <array>

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
    if (bytes.size() < kHeader + kEntry)
        throw RtError(RtError::FileNotFound, path);
    // The header and first entry are copied out first: the compiler then knows their size.
    std::array<uchar, kHeader + kEntry> head{};
    std::copy_n(bytes.cbegin(), head.size(), head.begin());
    const auto word = [&head](int at) { return int(head[size_t(at)]) | int(head[size_t(at) + 1]) << 8; };
    if (word(2) != 2)
        throw RtError(RtError::FileNotFound, path);
    const int hotX = word(kHeader + 4);
    const int hotY = word(kHeader + 6);
    bytes[2] = 1; // read as an icon file
    const QImage image = QImage::fromData(bytes, "ICO");
    if (image.isNull())
        throw RtError(RtError::FileNotFound, path);
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}
