#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>

class VideoOutput;
class MediaSource;
class QWidget;

// The frame access object of a viewer: pictures of the open file's frames, blank pictures and
// picture files, and the writing of video files (done by a VideoOutput it owns while a file is
// open for writing: AVI, MP4, animated GIF or a PNG sequence by the path's extension). Holds the
// source it reads from but does not own it.
class FrameAccess {
public:
    explicit FrameAccess(MediaSource& source);
    ~FrameAccess();
    FrameAccess(const FrameAccess&) = delete;
    FrameAccess& operator=(const FrameAccess&) = delete;

    int frameWidth() const;
    int frameHeight() const;
    QString path() const;
    uint32_t openMode() const;

    // A picture of the size filled with the colour; bit depth 24 gives RGB888, 32 gives RGB32.
    // A null image for a non-positive size or another depth.
    static QImage blankPicture(int width, int height, const QColor& colour, int bitDepth = 24);

    // Draws frame n scaled to `zoomPercent` into `target`, its top left corner at (x, y)
    // (clipped at the target's edges). Returns a MediaCode.
    int drawFrame(QImage& target, int n, int zoomPercent, int x, int y);

    // The current frame at `zoomPercent` (100: its own size); null when nothing is open.
    QImage currentPicture(int zoomPercent = 100);

    // Writes the picture as PNG, JPEG or BMP by the path's extension. Returns a MediaCode.
    static int savePicture(const QString& path, const QImage& picture);

    // Opens a video file for writing (the kind its extension names, else AVI): frames of
    // width x height at rate/scale frames per second (the callers pass scale 100000 and
    // rate = fps x 100000 rounded). A negative code on
    // failure. The file appears at the path only when AVIWriteClose succeeds, so a failed or
    // cancelled write leaves an existing file as it was.
    int AVIWriteOpen(const QString& path, int width, int height, int scale, int rate);
    // Lets the user choose codec and quality in the codec dialog. The dialog opens on the choice
    // kept under `settingsName` in this run; the new choice is kept there and used by the open
    // writer. A cancel returns WriterCancelled. The sample is the kind of picture to be written.
    int chooseCodec(QWidget* owner, const QImage& sample, const QString& settingsName);
    // Whether the open writer takes a codec choice (AVI does; the other kinds have their own).
    bool writerTakesCodec() const;
    // Appends a picture; one of another size is placed at the top left on `background`.
    // Bit 0 of `flags` makes it a key frame.
    int AVIWriteAppendFrame(const QImage& picture, int32_t flags, const QColor& background);
    // Finishes the file; with no frame appended nothing is written.
    int AVIWriteClose();
    // Stops writing and leaves the path as it was before AVIWriteOpen.
    void AVIWriteAbort();
    bool isWriting() const;

private:
    // Picture n at the zoom, as drawFrame and currentPicture give it.
    QImage zoomedPicture(int n, int zoomPercent);
    MediaSource& m_source;
    std::unique_ptr<VideoOutput> m_writer;
};
