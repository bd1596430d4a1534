#pragma once

#include "components/DialogService.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <memory>

struct AVFrame;
class FrameConverter;

// A video file in the making, whatever its kind: what the program's writers share. The kind
// follows the target's extension. Every kind builds its output under temporary names and lets
// it appear only when close() succeeds: a failure, an abort or the writer's end without close()
// leave what was at the target as it was. Methods return MediaCodes; after a failure the
// writer is closed.
class VideoOutput {
public:
    enum class Kind { Avi, Mp4, Gif, PngSequence };
    // The kind an extension asks for; AVI for any other.
    static Kind kindOf(const QString& path);
    static std::unique_ptr<VideoOutput> make(Kind kind);

    VideoOutput();
    virtual ~VideoOutput();
    VideoOutput(const VideoOutput&) = delete;
    VideoOutput& operator=(const VideoOutput&) = delete;

    // Frames of width x height at rate/scale frames per second (kept exactly as given).
    virtual int open(const QString& path, int width, int height, int scale, int rate) = 0;
    virtual bool isOpen() const = 0;

    // Whether the user chooses codec and quality (only AVI offers a choice); setCodec is then
    // taken until the first frame.
    virtual bool takesCodec() const { return false; }
    virtual int setCodec(const CodecChoice& choice);
    // Whether a PCM sound stream can go beside the pictures (addAudio, appendAudio).
    virtual bool takesAudio() const { return false; }
    virtual int addAudio(int sampleRate, int channels);
    virtual int appendAudio(const float* interleaved, int frames);

    // Appends a picture as the next frame; one of another size is placed at the top left on
    // `background`. `keyFrame` forces a key frame where the kind has them.
    virtual int appendFrame(const QImage& picture, const QColor& background = Qt::black, bool keyFrame = false) = 0;
    // Appends a decoded picture, scaled to the output's size.
    virtual int appendFrame(const AVFrame* decoded);
    virtual int framesWritten() const = 0;

    // Finishes the output and moves it onto the target. With no frame written nothing is created.
    virtual int close() = 0;
    // Drops everything written; the target stays as it was.
    virtual void abort() = 0;

protected:
    // The size given to open(), for the default decoded-picture path.
    virtual QSize frameSize() const = 0;

private:
    std::unique_ptr<FrameConverter> m_converter; // kept between frames: it keeps its scaler
};
