#include "OvVidMixAgent.h"

#include "MixerCodes.h"
#include "OvVidMixer.h"
#include "TemporalMedian.h"
#include "components/media/FrameAccess.h"
#include "components/media/FrameCache.h"
#include "components/media/MediaCodes.h"
#include "components/media/MediaSource.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

QImage OvVidMixAgent::fail(int code, const QString& text)
{
    m_lastCode = code;
    m_lastError = text;
    return {};
}

std::vector<int> OvVidMixAgent::sampleFrames(int frameCount, int64_t pictureBytes)
{
    if (frameCount <= 0)
        return {};
    const int64_t byBudget = pictureBytes > 0 ? std::max<int64_t>(1, kSampleBudget / pictureBytes) : kMaxSamples;
    const int n = int(std::min<int64_t>({kMaxSamples, byBudget, frameCount}));
    if (n == 1)
        return {0};
    std::vector<int> frames;
    frames.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        const int f = int(std::lround(double(i) * (frameCount - 1) / (n - 1)));
        if (frames.empty() || f != frames.back())
            frames.push_back(f);
    }
    return frames;
}

QImage OvVidMixAgent::referencePicture(const FrameAccess& access, OvVidMixer& mixer)
{
    return referencePicture(access.path(), access.openMode(), mixer);
}

QImage OvVidMixAgent::referencePicture(const QString& path, uint32_t openMode, OvVidMixer& mixer)
{
    m_framesDecoded = 0;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return fail(MixerNoSource, QStringLiteral("no video file at \"%1\"").arg(path));
    // A cache of its own: each sampled frame is decoded once and the viewer's frames stay. A file
    // a view has open shares the view's index; one still being indexed gives the part known.
    FrameCache cache(size_t(64) << 20);
    MediaSource source(&cache);
    if (const int rc = source.open(path, openMode, MediaSource::Indexing::Background); rc != MediaOk || source.frameCount() <= 0)
        return fail(MixerNoSource, QStringLiteral("cannot open \"%1\" (code %2)").arg(path).arg(rc));
    if (!m_kept.picture.isNull() && m_kept.index.lock() == source.index() && m_kept.mode == openMode) {
        m_lastCode = MixerOk;
        m_lastError.clear();
        return m_kept.picture;
    }
    const int64_t bytes = int64_t(source.width()) * source.height() * 3;
    std::vector<QImage> samples;
    for (int n : sampleFrames(source.frameCount(), bytes)) {
        QImage picture = source.picture(n);
        if (!picture.isNull() && picture.size() == QSize(source.width(), source.height()))
            samples.push_back(std::move(picture));
    }
    m_framesDecoded = int(samples.size());
    if (samples.empty())
        return fail(MixerDecodeFailed, QStringLiteral("no frame of \"%1\" could be decoded").arg(path));
    QImage reference = TemporalMedian::of(samples, mixer.pool());
    if (reference.isNull())
        return fail(MixerDecodeFailed, QStringLiteral("no memory for the reference picture of \"%1\"").arg(path));
    m_kept = {source.index(), openMode, source.frameCount(), reference};
    m_lastCode = MixerOk;
    m_lastError.clear();
    return reference;
}
