#pragma once

#include "FfmpegHandles.h"

#include <QFile>
#include <QString>

// Lists the packets of an MP4/MOV file's video stream as its sample table holds them, without
// reading their data: times, flags, positions and sizes are what the demuxer keeps in memory
// from the file's header, so an hour of video is listed at the cost of its header, cold or warm.
// Only the packets that opening the file read anyway (the first ones) carry real data; those
// after them carry none that means anything, which is all an index needs.
//
// For files whose whole table is in the header: not for fragmented files, whose tables are spread
// over the file; not when the demuxer would parse packet data for their boundaries.
class SampleTableReader {
public:
    SampleTableReader() = default;
    ~SampleTableReader();
    SampleTableReader(const SampleTableReader&) = delete;
    SampleTableReader& operator=(const SampleTableReader&) = delete;

    // True when `path` is such a file and the reader stands before the first packet of the
    // video stream numbered `streamIndex` (the demuxer numbers streams alike on every open).
    bool open(const QString& path, int streamIndex);
    // As MediaDecoder::readVideoPacket.
    int readVideoPacket(AVPacket* packet);
    // After the last packet: whether as many were read as the table listed at open.
    bool readWholeTable() const { return m_read == m_entries; }

private:
    static int readData(void* opaque, uint8_t* buffer, int size);
    static int64_t seekData(void* opaque, int64_t offset, int whence);
    void closeIo();

    QFile m_file;
    int64_t m_size = 0;
    int64_t m_offset = 0;
    bool m_skipData = false; // reads advance without reading
    AVIOContext* m_io = nullptr;
    AvFormatInputPtr m_format;
    AVStream* m_stream = nullptr;
    int64_t m_entries = 0;
    int64_t m_read = 0;
};
