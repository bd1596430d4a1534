#pragma once

#include "EncodeThread.h"
#include "SafeTarget.h"
#include "components/DialogService.h"
#include "components/media/FfmpegHandles.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <vector>

// Writes one AVI file: a video stream in a codec of CodecCatalog at a rate given as rate/scale
// (kept exactly as given), optionally a 16-bit PCM audio stream. The file is built under a
// temporary name and appears at its path only when close() succeeds; every failure, an abort
// or the writer's end without close() leave an existing file at that path untouched.
// Methods return MediaCodes; after a failure the writer is closed.
// Pictures are converted and encoded on a thread of the writer's own, a few frames behind the
// caller: a failure there is returned by the next append or by close(). The caller may change
// or drop its pictures as soon as an append returns (a QImage is shared, not copied, and
// detaches when written to).
class AviWriter {
public:
    AviWriter();
    ~AviWriter();
    AviWriter(const AviWriter&) = delete;
    AviWriter& operator=(const AviWriter&) = delete;

    // Prepares the file: checks size and rate and creates the temporary file.
    int open(const QString& path, int width, int height, int scale, int rate);
    bool isOpen() const { return m_target.isActive(); }
    QString path() const { return m_path; }
    QSize size() const { return m_size; }
    AVRational frameRate() const { return m_rate; }

    // The codec, until the first frame; an unknown or missing encoder is MediaNoDecoder.
    int setCodec(const CodecChoice& choice);
    CodecChoice codec() const { return m_choice; }
    // A PCM audio stream beside the video, until the first frame.
    int addAudio(int sampleRate, int channels);
    bool hasAudio() const { return m_audioChannels > 0; }

    // Appends a picture as the next frame. A picture of another size is placed at the top left
    // of a frame filled with `background` (and cut at its edges). `keyFrame` forces a key frame.
    int appendFrame(const QImage& picture, const QColor& background = Qt::black, bool keyFrame = false);
    // Appends a decoded picture of any size and pixel format, scaled to the writer's size.
    int appendFrame(const AVFrame* decoded);
    // Appends interleaved samples (-1..1) of the audio stream.
    int appendAudio(const float* interleaved, int frames);
    int framesWritten() const { return static_cast<int>(m_frames); }

    // Finishes the file and moves it onto the path. With no frame written nothing is created
    // and an existing file stays as it was.
    int close();
    // Drops everything written; an existing file at the path stays as it was.
    void abort();

private:
    struct Stream {
        AVStream* stream = nullptr;
        AvCodecContextPtr codec;
    };
    int start();
    int queue(EncodeThread::Job job);
    int fail(int code);
    // Run on the encoding thread.
    int encode(Stream& out, const AVFrame* frame);
    int encodePicture(const QImage& picture, const QColor& background, bool keyFrame, int64_t pts);
    int encodeDecoded(const AVFrame* decoded, int64_t pts);
    int encodeSound(const std::vector<int16_t>& samples, int64_t pts);
    int sendVideo(AVFrame* picture, bool keyFrame, int64_t pts);
    AVFrame* freePicture();

    SafeTarget m_target;
    QString m_path;
    QSize m_size;
    AVRational m_rate{0, 1};
    CodecChoice m_choice;
    int m_audioRate = 0;
    int m_audioChannels = 0;
    AvFormatOutputPtr m_format;
    Stream m_video;
    Stream m_audio;
    std::vector<AvFramePtr> m_pictures; // frames to convert into; the encoder's threads hold some
    AvFramePtr m_sound;
    AvPacketPtr m_packet;
    SwsContextPtr m_sws;
    QImage m_canvas;
    int64_t m_frames = 0;
    int64_t m_samples = 0;
    bool m_started = false;
    EncodeThread m_thread; // last member: it goes first, before what its jobs use
};
