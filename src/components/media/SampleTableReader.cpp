#include "SampleTableReader.h"

#include <QtEndian>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int kIoBufferBytes = 64 * 1024;

struct Box {
    int64_t start = 0;
    int64_t end = 0; // past its last byte
    uint32_t type = 0;
};

constexpr uint32_t fourcc(const char (&s)[5])
{
    return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 | uint32_t(uint8_t(s[2])) << 8 | uint8_t(s[3]);
}

// The box header at `at` within [at, limit); false when there is none or it is malformed.
bool readBox(QFile& file, int64_t at, int64_t limit, Box& box)
{
    uchar head[16];
    if (limit - at < 8 || !file.seek(at) || file.read(reinterpret_cast<char*>(head), 8) != 8)
        return false;
    int64_t size = qFromBigEndian<quint32>(head);
    box = {at, 0, qFromBigEndian<quint32>(head + 4)};
    if (size == 1) {
        if (file.read(reinterpret_cast<char*>(head + 8), 8) != 8)
            return false;
        size = int64_t(qFromBigEndian<quint64>(head + 8));
    } else if (size == 0) {
        size = limit - at; // to the end of its container
    }
    if (size < 8 || size > limit - at)
        return false;
    box.end = at + size;
    return true;
}

// Whether the whole sample table sits in the header: a 'moov' without movie-extends ('mvex')
// and no movie fragments ('moof') among the top-level boxes. Only box headers are read; a file
// of very many top-level boxes is taken for a fragmented one.
bool wholeTableInHeader(QFile& file, int64_t size)
{
    bool moov = false;
    Box box;
    int boxes = 0;
    for (int64_t at = 0; at < size && readBox(file, at, size, box); at = box.end) {
        if (++boxes > 256 || box.type == fourcc("moof"))
            return false;
        if (box.type != fourcc("moov"))
            continue;
        moov = true;
        Box child;
        for (int64_t in = box.start + 8; in < box.end && readBox(file, in, box.end, child); in = child.end)
            if (child.type == fourcc("mvex"))
                return false;
    }
    return moov;
}

} // namespace

SampleTableReader::~SampleTableReader() { closeIo(); }

void SampleTableReader::closeIo()
{
    m_format.reset(); // before the I/O context it reads through
    if (m_io) {
        av_freep(&m_io->buffer);
        avio_context_free(&m_io);
    }
    m_stream = nullptr;
}

bool SampleTableReader::open(const QString& path, int streamIndex)
{
    closeIo();
    m_file.close();
    m_file.setFileName(path);
    m_offset = m_read = m_entries = 0;
    m_skipData = false;
    if (!m_file.open(QIODevice::ReadOnly))
        return false;
    m_size = m_file.size();
    if (!wholeTableInHeader(m_file, m_size))
        return false;

    auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferBytes));
    if (!buffer)
        return false;
    m_io = avio_alloc_context(buffer, kIoBufferBytes, 0, this, &SampleTableReader::readData, nullptr,
                              &SampleTableReader::seekData);
    if (!m_io) {
        av_free(buffer);
        return false;
    }
    // Each read straight into its packet, not through the context's buffer: a skipped read then
    // costs nothing.
    m_io->direct = 1;
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw)
        return false;
    raw->pb = m_io;
    // Packets as the table lists them: no parser reads their data for boundaries or key frames
    // (which parsing would find in the real data alone).
    raw->flags |= AVFMT_FLAG_NOPARSE;
    const QByteArray utf8 = path.toUtf8();
    if (avformat_open_input(&raw, utf8.constData(), nullptr, nullptr) < 0)
        return false; // the context is freed, the I/O context is ours
    m_format.reset(raw);
    if (std::string_view(m_format->iformat->name).substr(0, 4) != "mov," || streamIndex < 0
        || unsigned(streamIndex) >= m_format->nb_streams)
        return false;
    m_stream = m_format->streams[streamIndex];
    for (unsigned i = 0; i < m_format->nb_streams; ++i)
        if (m_format->streams[i] != m_stream)
            m_format->streams[i]->discard = AVDISCARD_ALL;
    m_entries = avformat_index_get_entries_count(m_stream);
    return m_entries > 0;
}

int SampleTableReader::readVideoPacket(AVPacket* packet)
{
    if (!m_stream)
        return AVERROR(EINVAL);
    for (;;) {
        av_packet_unref(packet);
        const int rc = av_read_frame(m_format.get(), packet);
        if (rc < 0)
            return rc;
        if (packet->stream_index != m_stream->index)
            continue;
        // The first packet's data is real (an encoder's identification is read from it); from
        // here on reading only moves through the file.
        m_skipData = true;
        ++m_read;
        return 0;
    }
}

int SampleTableReader::readData(void* opaque, uint8_t* buffer, int size)
{
    auto* self = static_cast<SampleTableReader*>(opaque);
    const int64_t n = std::min<int64_t>(size, self->m_size - self->m_offset);
    if (n <= 0)
        return AVERROR_EOF;
    if (!self->m_skipData) {
        if (self->m_file.pos() != self->m_offset && !self->m_file.seek(self->m_offset))
            return AVERROR(EIO);
        const int64_t got = self->m_file.read(reinterpret_cast<char*>(buffer), n);
        if (got <= 0)
            return got == 0 ? AVERROR_EOF : AVERROR(EIO);
        self->m_offset += got;
        return int(got);
    }
    self->m_offset += n;
    return int(n);
}

int64_t SampleTableReader::seekData(void* opaque, int64_t offset, int whence)
{
    auto* self = static_cast<SampleTableReader*>(opaque);
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE)
        return self->m_size;
    int64_t to = offset;
    if (whence == SEEK_CUR)
        to += self->m_offset;
    else if (whence == SEEK_END)
        to += self->m_size;
    else if (whence != SEEK_SET)
        return AVERROR(EINVAL);
    if (to < 0)
        return AVERROR(EINVAL);
    self->m_offset = to;
    return to;
}
