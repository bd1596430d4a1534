#pragma once

#include "EncodeThread.h"
#include "SafeTarget.h"
#include "VideoOutput.h"
#include "components/DialogService.h"
#include "components/media/FfmpegHandles.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <vector>

// Writes one AVI file: a video stream in a codec of CodecCatalog at a rate given as rate/scale
// (kept exactly as given), optionally a 16-bit PCM audio stream. As an MP4 writer it writes
// H.264 in 4:2:0 at a fixed good quality instead, with the index at the front so that players
// start before the whole file is there; no codec choice and no sound. The file is built under a
// temporary name and appears at its path only when close() succeeds; every failure, an abort
// or the writer's end without close() leave an existing file at that path untouched.
// Methods return MediaCodes; after a failure the writer is closed.
// Pictures are converted and encoded on a thread of the writer's own, a few frames behind the
// caller: a failure there is returned by the next append or by close(). The caller may change
// or drop its pictures as soon as an append returns (a QImage is shared, not copied, and
// detaches when written to).
class AviWriter final : public VideoOutput {
public:
    enum class Container { Avi, Mp4 };
    explicit AviWriter(Container container = Container::Avi);
    ~AviWriter() override;

    // Prepares the file: checks size and rate and creates the temporary file.
    int open(const QString& path, int width, int height, int scale, int rate) override;
    bool isOpen() const override { return m_target.isActive(); }
    QString path() const { return m_path; }
    QSize size() const { return m_size; }
    AVRational frameRate() const { return m_rate; }

    // The codec, until the first frame; an unknown or missing encoder is MediaNoDecoder.
    bool takesCodec() const override { return m_container == Container::Avi; }
    int setCodec(const CodecChoice& choice) override;
    CodecChoice codec() const { return m_choice; }
    // A PCM audio stream beside the video, until the first frame.
    bool takesAudio() const override { return m_container == Container::Avi; }
    int addAudio(int sampleRate, int channels) override;
    bool hasAudio() const { return m_audioChannels > 0; }

    // Appends a picture as the next frame. A picture of another size is placed at the top left
    // of a frame filled with `background` (and cut at its edges). `keyFrame` forces a key frame.
    int appendFrame(const QImage& picture, const QColor& background = Qt::black, bool keyFrame = false) override;
    // Appends a decoded picture of any size and pixel format, scaled to the writer's size.
    int appendFrame(const AVFrame* decoded) override;
    // Appends interleaved samples (-1..1) of the audio stream.
    int appendAudio(const float* interleaved, int frames) override;
    int framesWritten() const override { return static_cast<int>(m_frames); }

    // Finishes the file and moves it onto the path. With no frame written nothing is created
    // and an existing file stays as it was.
    int close() override;
    // Drops everything written; an existing file at the path stays as it was.
    void abort() override;

protected:
    QSize frameSize() const override { return m_size; }

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
    void padEdges(AVFrame* picture) const;

    const Container m_container;
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
