#include "components/media/LibraryInfo.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/avutil.h>
}

namespace media {
LibraryInfo libraryInfo()
{
    const unsigned v = avcodec_version();
    // The package's own version string names the release; the codec library's number is
    // there even when a build leaves the string empty.
    QString version = QString::fromUtf8(av_version_info());
    if (version.isEmpty())
        version = QStringLiteral("libavcodec %1.%2.%3").arg(AV_VERSION_MAJOR(v)).arg(AV_VERSION_MINOR(v)).arg(AV_VERSION_MICRO(v));
    return {QStringLiteral("FFmpeg"), version, QString::fromUtf8(avcodec_license())};
}
} // namespace media
