#pragma once

#include "components/media/FfmpegHandles.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

struct SwrContext;

// The audio of a file as interleaved float samples (-1..1) at a chosen rate and channel count.
// Sample position p is the time start() + p / sampleRate() of the file; positions before the
// stream's start or after its end read as silence. Reading forward continues decoding where it
// stopped; reading elsewhere seeks. One thread at a time.
class AudioDecoder {
public:
    AudioDecoder();
    ~AudioDecoder();
    AudioDecoder(const AudioDecoder&) = delete;
    AudioDecoder& operator=(const AudioDecoder&) = delete;

    // Opens the file's first audio stream; rate and channels 0 keep the stream's own. A
    // MediaCode or AudioCode.
    int open(const QString& path, int sampleRate = 0, int channels = 0);
    void close();
    bool isOpen() const { return m_format != nullptr; }

    int sampleRate() const { return m_rate; }
    int channels() const { return m_channels; }
    // Where position 0 lies: the audio stream's start in seconds.
    double start() const { return m_start; }
    // Where the file's first video stream starts in seconds (the audio start when it has none).
    double videoStart() const { return m_videoStart; }
    // The stream's length in samples as the container declares it (0 when it does not).
    int64_t declaredSamples() const { return m_declared; }

    // `count` samples per channel from position `first` into `out` (resized), zero-filled
    // where the stream has none. A MediaCode.
    int read(int64_t first, int count, std::vector<float>& out);
    // Decodes the whole stream from its start, handing each block of interleaved samples to
    // `sink` (samples per channel as the second argument); the sink returns false to stop.
    int decodeAll(const std::function<bool(const float*, int)>& sink);

private:
    int seekTo(int64_t position);
    // Decodes the next block into m_block; false at the end of the stream or on a fatal error.
    bool decodeNext();
    int convert(const AVFrame* frame);

    AvFormatInputPtr m_format;
    AvCodecContextPtr m_codec;
    std::unique_ptr<SwrContext, void (*)(SwrContext*)> m_swr;
    AvPacketPtr m_packet;
    AvFramePtr m_frame;
    int m_stream = -1;
    int m_rate = 0;
    int m_channels = 0;
    double m_start = 0;
    double m_videoStart = 0;
    int64_t m_declared = 0;
    bool m_ended = false;
    bool m_positionKnown = false;
    // Decoded samples not yet consumed, and the position of the first of them.
    std::vector<float> m_buffer;
    int64_t m_bufferStart = 0;
    std::vector<float> m_block;
    int64_t m_blockStart = 0;
    int64_t m_next = 0; // position of the sample after the last block
    bool m_decodedAny = false;
};
