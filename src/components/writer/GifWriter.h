#pragma once

#include "GifPalette.h"
#include "SafeTarget.h"
#include "VideoOutput.h"
#include "components/media/FfmpegHandles.h"

#include <QTemporaryFile>
#include <memory>

// Writes an animated GIF that loops forever. Its one palette is made from all frames, so the
// frames are kept in a spool file beside the target until close() encodes them.
class GifWriter final : public VideoOutput {
public:
    GifWriter() = default;
    ~GifWriter() override;

    int open(const QString& path, int width, int height, int scale, int rate) override;
    bool isOpen() const override { return m_target.isActive(); }
    int appendFrame(const QImage& picture, const QColor& background = Qt::black, bool keyFrame = false) override;
    using VideoOutput::appendFrame;
    int framesWritten() const override { return m_frames; }
    int close() override;
    void abort() override;

    // Start of frame k in hundredths of a second, the unit of GIF delays.
    int64_t startOf(int64_t k) const;

protected:
    QSize frameSize() const override { return m_size; }

private:
    int fail(int code);
    int encode(AVCodecContext* codec, AVFormatContext* format, AVStream* stream, const AVFrame* frame);
    int writeFile();

    SafeTarget m_target;
    std::unique_ptr<QTemporaryFile> m_spool; // RGB888 rows of every frame, in order
    QSize m_size;
    AVRational m_rate{0, 1};
    GifPalette m_palette;
    QImage m_canvas;
    int m_frames = 0;
};
