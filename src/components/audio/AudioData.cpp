#include "AudioData.h"

#include "AudioCodes.h"
#include "AudioDecoder.h"
#include "components/media/MediaCodes.h"

#include <algorithm>

int AudioData::open(const QString& path, const Progress& progress, double everySeconds)
{
    close();
    AudioDecoder decoder;
    if (const int rc = decoder.open(path); rc != MediaOk)
        return rc;
    std::vector<AudioSeries> series(static_cast<std::size_t>(decoder.channels()));
    const int channels = decoder.channels();
    const int64_t every = std::max<int64_t>(1, int64_t(everySeconds * decoder.sampleRate()));
    int64_t shownUpTo = 0;
    bool stopped = false;
    // The finished series with what describes them, into `into`.
    const auto take = [&](AudioData& into, std::vector<AudioSeries> finished) {
        for (AudioSeries& s : finished)
            s.finish();
        into.m_series = std::move(finished);
        into.m_path = path;
        into.m_sampleRate = decoder.sampleRate();
        into.m_offset = decoder.start() - decoder.videoStart();
    };
    const int rc = decoder.decodeAll([&](const float* samples, int frames) {
        for (int i = 0; i < frames; ++i)
            for (int c = 0; c < channels; ++c)
                series[static_cast<std::size_t>(c)].append(samples[i * channels + c]);
        // Ever longer steps: copying what was read stays a small part of the reading.
        if (progress && series[0].sampleCount() >= std::max(shownUpTo + every, shownUpTo * 3 / 2)) {
            shownUpTo = series[0].sampleCount();
            AudioData soFar;
            take(soFar, series);
            stopped = !progress(soFar);
        }
        return !stopped;
    });
    if (stopped)
        return AudioStopped;
    if (rc != MediaOk)
        return rc;
    if (series.empty() || series[0].sampleCount() == 0)
        return MediaCorrupt; // an audio stream without one decodable sample
    take(*this, std::move(series));
    return MediaOk;
}

void AudioData::close()
{
    m_series.clear();
    m_path.clear();
    m_sampleRate = 0;
    m_offset = 0;
}

double AudioData::duration() const
{
    return isOpen() && m_sampleRate > 0 ? static_cast<double>(m_series[0].sampleCount()) / m_sampleRate : 0.0;
}

const AudioSeries* AudioData::series(int channel) const
{
    return channel >= 0 && channel < channelCount() ? &m_series[static_cast<std::size_t>(channel)] : nullptr;
}
