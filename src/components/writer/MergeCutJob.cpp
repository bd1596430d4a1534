#include "MergeCutJob.h"

#include "VideoOutput.h"
#include "CodecCatalog.h"
#include "WriterCodes.h"
#include "components/SamePath.h"
#include "components/audio/AudioDecoder.h"
#include "components/media/FrameCache.h"
#include "components/media/MediaCodes.h"
#include "components/media/MediaSource.h"

#include <QFileInfo>
#include <cmath>
#include <map>
#include <memory>

namespace {

// A private cache: a merge-cut reads each frame once and must not push the viewers' pictures out.
constexpr std::size_t cacheBudget = 64u << 20;

struct Source {
    std::unique_ptr<MediaSource> video;
    std::unique_ptr<AudioDecoder> audio; // null when the file has no usable audio
};

// Samples from the start of the output to the start of output frame k.
int64_t outputSamples(int64_t k, int sampleRate, AVRational fps)
{
    return av_rescale_rnd(k * sampleRate, fps.den, fps.num, AV_ROUND_NEAR_INF);
}

} // namespace

int MergeCutJob::check(const MergeCutRequest& r)
{
    if (r.target.isEmpty() || r.cutPoints.empty() || r.cutPoints.size() % 2 != 0
        || static_cast<qsizetype>(r.cutPoints.size() / 2) != r.sources.size())
        return MediaBadArgument;
    for (std::size_t i = 0; i < r.cutPoints.size(); i += 2)
        if (r.cutPoints[i] < 0 || r.cutPoints[i] > r.cutPoints[i + 1])
            return MediaBadArgument;
    if (VideoOutput::kindOf(r.target) == VideoOutput::Kind::Avi && !CodecCatalog::isAvailable(r.codec.codec))
        return MediaNoDecoder;
    for (const QString& source : r.sources) {
        if (source.isEmpty() || !QFileInfo::exists(source))
            return MediaFileMissing;
        if (samePath(source, r.target))
            return WriterSameFile;
    }
    return MediaOk;
}

int MergeCutJob::run(const MergeCutRequest& r, const std::atomic<bool>& stop, const Progress& progress,
                     MergeCutResult* result)
{
    if (const int rc = check(r); rc != MediaOk)
        return rc;
    FrameCache cache(cacheBudget);
    std::map<QString, Source> sources;
    for (const QString& path : r.sources) {
        if (sources.count(path))
            continue;
        Source& s = sources[path];
        s.video = std::make_unique<MediaSource>(&cache);
        if (const int rc = s.video->open(path, 0); rc != MediaOk)
            return rc;
    }
    int64_t total = 0;
    for (std::size_t k = 0; k < r.cutPoints.size(); k += 2) {
        if (r.cutPoints[k + 1] >= sources[r.sources[static_cast<qsizetype>(k / 2)]].video->recordedFrameCount())
            return MediaBadArgument;
        total += r.cutPoints[k + 1] - r.cutPoints[k] + 1;
    }
    if (total > INT32_MAX)
        return MediaBadArgument;

    // The first source with audio sets the sound's rate and channels; the others follow it,
    // and runs from sources without audio are silent.
    int sampleRate = 0;
    int channels = 0;
    for (const QString& path : r.sources) {
        auto decoder = std::make_unique<AudioDecoder>();
        Source& s = sources[path];
        if (s.audio || decoder->open(path, sampleRate, channels) != MediaOk)
            continue;
        sampleRate = decoder->sampleRate();
        channels = decoder->channels();
        s.audio = std::move(decoder);
    }

    const MediaSource& first = *sources[r.sources.first()].video;
    const AVRational fps = first.frameRateExact();
    // The target's kind follows its extension; sound goes only where the kind carries it.
    const std::unique_ptr<VideoOutput> output = VideoOutput::make(VideoOutput::kindOf(r.target));
    VideoOutput& writer = *output;
    if (!writer.takesAudio())
        sampleRate = 0;
    if (const int rc = writer.open(r.target, first.recordedSize().width(), first.recordedSize().height(), fps.den, fps.num);
        rc != MediaOk)
        return rc;
    if (const int rc = writer.setCodec(r.codec); rc != MediaOk)
        return rc;
    if (sampleRate > 0)
        if (const int rc = writer.addAudio(sampleRate, channels); rc != MediaOk)
            return rc;

    std::vector<float> sound;
    int64_t written = 0;
    for (std::size_t k = 0; k < r.cutPoints.size(); k += 2) {
        Source& s = sources[r.sources[static_cast<qsizetype>(k / 2)]];
        const AVRational rate = s.video->frameRateExact();
        const double audioLead = s.audio ? s.audio->videoStart() - s.audio->start() : 0.0;
        for (int n = r.cutPoints[k]; n <= r.cutPoints[k + 1]; ++n) {
            if (stop.load())
                return WriterCancelled; // the writer goes and takes its temporary file along
            const SharedFrame frame = s.video->decodedFrame(n);
            if (!frame)
                return MediaCorrupt;
            if (const int rc = writer.appendFrame(frame.get()); rc != MediaOk)
                return rc;
            if (sampleRate > 0) {
                // The output's sample grid decides how many samples each frame gets, so the
                // sound ends exactly with the pictures; the source decides where they come from.
                const int count = static_cast<int>(outputSamples(written + 1, sampleRate, fps)
                                                   - outputSamples(written, sampleRate, fps));
                const int64_t from = std::llround((audioLead + static_cast<double>(n) * rate.den / rate.num) * sampleRate);
                if (s.audio) {
                    if (const int rc = s.audio->read(from, count, sound); rc != MediaOk)
                        return rc;
                } else {
                    sound.assign(static_cast<std::size_t>(count) * static_cast<std::size_t>(channels), 0.0f);
                }
                if (const int rc = writer.appendAudio(sound.data(), count); rc != MediaOk)
                    return rc;
            }
            ++written;
            if (progress)
                progress(static_cast<int>(written), static_cast<int>(total));
        }
    }
    if (const int rc = writer.close(); rc != MediaOk)
        return rc;
    if (result) {
        result->frames = static_cast<int>(written);
        result->runs = static_cast<int>(r.cutPoints.size() / 2);
        result->audio = sampleRate > 0;
    }
    return MediaOk;
}
