#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class FrameAccess;
struct FrameIndex;
class OvVidMixer;

// The mixer's agent: computes the reference picture of a stroboscope, the scene of a video
// without its moving subject. It opens the video a second time (path and open mode as the
// viewer's frame access object has them), so the viewer's position and cache stay as they are,
// takes up to kMaxSamples frames spread evenly over the whole video, first and last included,
// and forms their per-pixel temporal median (TemporalMedian). A subject that stays at no place
// for half of the video or longer vanishes from it.
//
// The last reference is kept: asking again for the same file in the same open mode returns it
// without decoding, so restarting a stroboscope is immediate. The file is the same while its
// opening shares the same frame index (see KnownIndexes: one file unchanged on disk, with the
// same frames known). A file still being indexed gives the part known so far.
class OvVidMixAgent {
public:
    static constexpr int kMaxSamples = 21;
    // The samples together take at most this many bytes; large pictures get fewer samples.
    static constexpr int64_t kSampleBudget = int64_t(384) << 20;

    // The reference picture (RGB32, the video's shown frame size), or a null picture on failure
    // with lastCode() and lastError() saying why. The mixer lends its worker threads.
    QImage referencePicture(const FrameAccess& access, OvVidMixer& mixer);
    QImage referencePicture(const QString& path, uint32_t openMode, OvVidMixer& mixer);

    // Frame numbers sampled from a video of `frameCount` frames whose pictures take
    // `pictureBytes` each: evenly spread, ascending, without repeats.
    static std::vector<int> sampleFrames(int frameCount, int64_t pictureBytes);

    int lastCode() const { return m_lastCode; }
    QString lastError() const { return m_lastError; }
    // Frames decoded for the last reference computed (0 when it came from the kept one).
    int framesDecoded() const { return m_framesDecoded; }
    // Frames of the file the kept reference was sampled over (0 before the first).
    int referenceFrames() const { return m_kept.frames; }

private:
    QImage fail(int code, const QString& text);

    int m_lastCode = 0;
    QString m_lastError;
    int m_framesDecoded = 0;
    struct Kept {
        std::weak_ptr<const FrameIndex> index; // not kept alive here: the views that show the file do
        uint32_t mode = 0;
        int frames = 0;
        QImage picture;
    } m_kept;
};
