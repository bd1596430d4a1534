#include "AudioData.h"

#include "AudioDecoder.h"
#include "components/media/MediaCodes.h"

int AudioData::open(const QString& path)
{
    close();
    AudioDecoder decoder;
    if (const int rc = decoder.open(path); rc != MediaOk)
        return rc;
    std::vector<AudioSeries> series(static_cast<std::size_t>(decoder.channels()));
    const int channels = decoder.channels();
    const int rc = decoder.decodeAll([&](const float* samples, int frames) {
        for (int i = 0; i < frames; ++i)
            for (int c = 0; c < channels; ++c)
                series[static_cast<std::size_t>(c)].append(samples[i * channels + c]);
        return true;
    });
    if (rc != MediaOk)
        return rc;
    if (series.empty() || series[0].sampleCount() == 0)
        return MediaCorrupt; // an audio stream without one decodable sample
    for (AudioSeries& s : series)
        s.finish();
    m_series = std::move(series);
    m_path = path;
    m_sampleRate = decoder.sampleRate();
    m_offset = decoder.start() - decoder.videoStart();
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
