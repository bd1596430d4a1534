// Feeds arbitrary bytes to the media engine as a file: open, then decode frames in the order
// forward, backward and by a jump, in every display mode the last input byte picks.
#include "components/media/FrameCache.h"
#include "components/media/MediaSource.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>

extern "C" {
#include <libavutil/log.h>
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir folder;
    static FrameCache cache(std::size_t(64) << 20);
    av_log_set_level(AV_LOG_QUIET);
    const QString path = folder.filePath(QStringLiteral("input"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    const uint32_t modes[] = {0, 1, 3, 4, 5, 0x100, 0x900};
    const uint32_t flags = size ? modes[data[size - 1] % 7] : 0;
    MediaSource source(&cache);
    if (source.open(path, flags | 131072) != 0)
        return 0;
    const int count = std::min(source.frameCount(), 64);
    for (int n = 0; n < count; n += 7)
        source.picture(n);
    for (int n = count - 1; n >= 0 && n > count - 10; --n)
        source.picture(n);
    source.picture(count / 2);
    return 0;
}
