#pragma once

#include "DisplayMode.h"
#include "FfmpegHandles.h"
#include "FrameConverter.h"
#include "FrameIndex.h"
#include "MediaDecoder.h"

#include <QImage>
#include <QString>
#include <climits>
#include <functional>
#include <memory>

class DecodeAhead;
class FrameCache;
class IndexBuilder;

// One open video file as the program sees it: an exact frame count, any frame on demand, in
// the display mode chosen by the open flags. Lives on the user-interface thread; decoding for
// it may run in its decode-ahead worker. Frame numbers count shown pictures (two per recorded
// frame for fields, two or four for the high-speed modes).
class MediaSource {
public:
    explicit MediaSource(FrameCache* cache = nullptr); // nullptr: the process-wide cache
    ~MediaSource();
    MediaSource(const MediaSource&) = delete;
    MediaSource& operator=(const MediaSource&) = delete;

    // How much of the frame index open() waits for: all of it, or the first picture's, the rest
    // being built in the background (see updateIndex) when the whole takes longer than the
    // process-wide wait (250 ms unless set): short files open complete as ever. A file another
    // source has open shares its index, or the build of it (see KnownIndexes).
    enum class Indexing { Complete, Background };
    static void setIndexWait(int milliseconds);
    // Opens `path` with the open flags (see DisplayMode); returns a MediaCode. On failure the
    // source is closed and holds nothing of the file.
    int open(const QString& path, uint32_t flags = 0, Indexing indexing = Indexing::Complete);
    void close();
    bool isOpen() const { return m_index != nullptr; }

    QString path() const { return m_path; }
    uint32_t flags() const { return m_openFlags; } // as passed to open
    // The mode in force: separate fields fall back to full frames on a progressive stream;
    // the stream's own turn (see streamRotation()) is part of its rotation.
    bool interlaced() const { return m_interlaced; }
    // Degrees clockwise the file asks its pictures to be turned for display (0, 90, 180, 270);
    // shown pictures are turned so, decoded frames are not.
    int streamRotation() const { return m_streamRotation; }
    const DisplayMode& mode() const { return m_mode; }
    // The width of a shown pixel over its height, as the file states it (turned with the
    // picture); 1:1 when the file says nothing.
    AVRational sampleAspect() const { return m_sampleAspect; }
    int width() const { return isOpen() ? m_shownSize.width() : 0; }
    int height() const { return isOpen() ? m_shownSize.height() : 0; }
    // Bytes the frame cache counts for one decoded picture of this file; 0 before the first.
    std::size_t frameBytes() const { return m_frameBytes; }
    // Shown pictures known so far: the whole file's once the index is complete.
    int frameCount() const;
    // While the index is built: the count the container states (its length at the stated rate
    // when it gives none; else the count found so far over the part of the file read), at
    // least frameCount(); frameCount() once the index is complete.
    int expectedFrameCount() const;
    // Whether picture n's number is provisional: it lies beyond the index known so far, so its
    // picture was found by its time through the container's own index. The picture is the
    // file's picture at that time; its number is made exact (see updateIndex) once the index
    // reaches that picture.
    bool isProvisional(int n) const;
    // While the index is built in the background: true, and how much of the file it has read.
    bool indexing() const { return m_builder != nullptr; }
    double indexProgress() const;
    // Takes what the background index found since the last call; true when the frame count
    // changed or the current frame's number was made exact. Frames already known keep their
    // numbers and pictures; a provisional current frame takes its exact number once the index
    // knows it, so it goes on naming the picture shown.
    bool updateIndex();
    // Waits for the whole index, or only until shown picture `upTo` is known; `progress` is
    // called every 50 ms with the part done and returns false to stop waiting. True when the
    // index is complete or knows `upTo`.
    bool completeIndex(const std::function<bool(double)>& progress = {}, int upTo = INT_MAX);
    // Waits, as completeIndex, until the current frame's number is exact.
    bool settleCurrent(const std::function<bool(double)>& progress = {});
    float frameRate() const;
    AVRational frameRateExact() const; // of shown pictures
    QString codecName() const;
    // When shown picture n is shown, in seconds from the first: from the file's own timestamps, so
    // a variable frame rate is honoured; the pictures of one recorded frame share its interval.
    double frameTime(int n) const;

    int currentFrame() const { return m_current; }
    void setCurrentFrame(int n); // kept within 0 .. expectedFrameCount() - 1

    // Recorded (decoded) frames: their count, size, and the decoded picture itself.
    int recordedFrameCount() const { return m_index ? m_index->count() : 0; }
    QSize recordedSize() const { return m_recordedSize; }
    SharedFrame decodedFrame(int recorded);

    // Shown picture n as RGB888, or a null image when n is out of range or cannot be decoded.
    // Provisional pictures (see isProvisional) are decoded on this thread, never ahead.
    QImage picture(int n);
    // Shown picture n reduced to `size`, as 32-bit RGB. A whole recorded frame shown as it is
    // takes one conversion straight from the decoded picture; other modes scale picture(n).
    QImage picture(int n, QSize size);
    QImage currentPicture() { return picture(m_current); }
    // Shown picture n in grey levels (8 bits), for image matching: where the shown picture is the
    // decoded frame itself, its luma plane without a copy or a conversion; else picture(n) made
    // grey. Null as picture(n) is.
    QImage greyPicture(int n);

    // Decode-ahead: the worker fills the cache with up to `count` recorded frames from the one
    // holding shown picture `from`, forwards (direction > 0) or backwards. Never blocks.
    void decodeAhead(int from, int direction, int count, QSize picture = {});
    // Waits up to `timeoutMs` for the worker to bring shown picture n's frame into the cache
    // when it is still working; true when the frame is there (DecodeAhead::waitFor).
    bool awaitAhead(int n, int timeoutMs);
    // Shown picture n at `size` as the worker made it for a request with that picture size
    // (only where the shown picture is the decoded frame itself), handed over once; null when
    // it has not been made.
    QImage readyPicture(int n, QSize size);
    DecodeAhead* decodeAheadWorker() const { return m_ahead.get(); }
    // The recorded frame that holds shown picture n, and whether it is decoded in the cache.
    int recordedOf(int n) const { return n / m_mode.picturesPerFrame(); }
    bool isDecoded(int n) const;

    FrameCache& cache() const { return *m_cache; }
    uint64_t cacheOwner() const { return m_owner; }
    std::shared_ptr<const FrameIndex> index() const { return m_index; }

private:
    bool bottomFieldFirst(const AVFrame* frame) const;
    // Recorded frame r beyond the known index, found by the time it is expected at.
    SharedFrame provisionalFrame(int recorded);
    // The expected count of a file that states no length, from how much of it the index has read.
    void estimateBySize(double fraction);
    // Takes `index` in place of the one in use.
    void replaceIndex(std::shared_ptr<const FrameIndex> index);
    // By the declared field order, else by how the first picture is flagged.
    bool streamIsInterlaced(bool firstInterlaced) const;

    FrameCache* m_cache;
    uint64_t m_owner;
    QString m_path;
    DisplayMode m_mode;
    uint32_t m_openFlags = 0;
    bool m_interlaced = false;
    std::shared_ptr<const FrameIndex> m_index;
    MediaDecoder m_decoder;
    FrameConverter m_converter;
    std::unique_ptr<DecodeAhead> m_ahead;
    std::shared_ptr<IndexBuilder> m_builder; // while the index is built in the background
    QSize m_recordedSize;
    QSize m_shownSize;
    AVRational m_recordedRate{0, 1};
    int m_fieldOrder = AV_FIELD_UNKNOWN; // as the file says, possibly a value the enum lacks
    QString m_codecName;
    std::size_t m_frameBytes = 0;
    int m_current = 0;
    int m_streamRotation = 0;
    AVRational m_sampleAspect{1, 1};
    bool m_attached = false; // counted among the cache's sources while open
    int m_expectedRecorded = 0; // recorded frames the container states, while indexing
    bool m_countBySize = false; // it states none: m_expectedRecorded is estimated by size
    // The last provisional picture, kept until the index knows it: its number, its key in the
    // index and the frame. Not in the cache, which holds pictures by exact number only.
    struct Provisional {
        int recorded = -1;
        int64_t key = 0;
        SharedFrame frame;
    };
    Provisional m_provisional;
};
