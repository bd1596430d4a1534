#include "components/media/FfmpegHandles.h"
#include "components/writer/RgbToYuv420.h"

#include <QImage>
#include <QRandomGenerator>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

extern "C" {
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace {

struct Yuv {
    int y, u, v;
};

AvFramePtr yuvFrame(int width, int height)
{
    AvFramePtr frame = makeFrame();
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = width;
    frame->height = height;
    EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    return frame;
}

Yuv sampleAt(const AVFrame* frame, int x, int y)
{
    return {frame->data[0][y * frame->linesize[0] + x], frame->data[1][(y / 2) * frame->linesize[1] + x / 2],
            frame->data[2][(y / 2) * frame->linesize[2] + x / 2]};
}

} // namespace

TEST(RgbToYuv420, RefusesLayoutsAndSizesItDoesNotHandle)
{
    AvFramePtr frame = yuvFrame(8, 8);
    QImage wrongSize(9, 8, QImage::Format_RGB888);
    wrongSize.fill(Qt::red);
    EXPECT_FALSE(RgbToYuv420::convert(wrongSize, frame.get(), AVCOL_SPC_BT709, true));
    QImage grey(8, 8, QImage::Format_Grayscale8);
    grey.fill(100);
    EXPECT_FALSE(RgbToYuv420::accepts(grey));
    EXPECT_FALSE(RgbToYuv420::convert(grey, frame.get(), AVCOL_SPC_BT709, true));
    QImage good(8, 8, QImage::Format_RGB888);
    good.fill(Qt::red);
    EXPECT_FALSE(RgbToYuv420::convert(good, nullptr, AVCOL_SPC_BT709, true));
}

namespace {

// The conversion in exact arithmetic, rounded: luma of one pixel, chroma of the mean colour of
// a 2x2 block.
struct Exact {
    double kr, kb;
    bool full;
    double luma(double r, double g, double b) const { return kr * r + (1 - kr - kb) * g + kb * b; }
    int y(double r, double g, double b) const
    {
        return std::clamp<int>(std::lround((full ? 0 : 16) + (full ? 1.0 : 219.0 / 255) * luma(r, g, b)), 0, 255);
    }
    int u(double r, double g, double b) const
    {
        const double c = (b - luma(r, g, b)) / (2 * (1 - kb));
        return std::clamp<int>(std::lround(128 + (full ? 1.0 : 224.0 / 255) * c), 0, 255);
    }
    int v(double r, double g, double b) const
    {
        const double c = (r - luma(r, g, b)) / (2 * (1 - kr));
        return std::clamp<int>(std::lround(128 + (full ? 1.0 : 224.0 / 255) * c), 0, 255);
    }
};

QImage noise(int width, int height, QImage::Format format, quint32 seed)
{
    QImage picture(width, height, format);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, qRgb(random.bounded(256), random.bounded(256), random.bounded(256)));
    return picture;
}

// Every sample of `frame` against the exact conversion of `picture`; the count of samples more
// than one level away.
int samplesOffByMore(const QImage& picture, const AVFrame* frame, const Exact& exact)
{
    const int width = picture.width();
    const int height = picture.height();
    int bad = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const QRgb p = picture.pixel(x, y);
            bad += std::abs(sampleAt(frame, x, y).y - exact.y(qRed(p), qGreen(p), qBlue(p))) > 1;
        }
    for (int cy = 0; cy < (height + 1) / 2; ++cy)
        for (int cx = 0; cx < (width + 1) / 2; ++cx) {
            double r = 0, g = 0, b = 0;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) {
                    // A block cut by an odd edge repeats its last row or column.
                    const QRgb p = picture.pixel(std::min(2 * cx + dx, width - 1), std::min(2 * cy + dy, height - 1));
                    r += qRed(p) / 4.0;
                    g += qGreen(p) / 4.0;
                    b += qBlue(p) / 4.0;
                }
            const Yuv got = sampleAt(frame, 2 * cx, 2 * cy);
            bad += std::abs(got.u - exact.u(r, g, b)) > 1;
            bad += std::abs(got.v - exact.v(r, g, b)) > 1;
        }
    return bad;
}

} // namespace

TEST(RgbToYuv420, NoisePicturesMatchTheExactConversionWithinOneLevel)
{
    // Widths below, at and past the groups of pixels converted together, with a tail of every
    // length; a single row, a row pair and an odd height.
    const struct {
        AVColorSpace space;
        double kr, kb;
    } matrices[] = {{AVCOL_SPC_SMPTE170M, 0.299, 0.114}, {AVCOL_SPC_BT709, 0.2126, 0.0722}};
    quint32 seed = 1;
    for (const auto& matrix : matrices)
        for (const bool full : {true, false})
            for (const QImage::Format format : {QImage::Format_RGB888, QImage::Format_RGB32, QImage::Format_ARGB32})
                for (const int width : {1, 7, 8, 9, 12, 15, 16, 17, 23, 24, 31, 64, 67, 130})
                    for (const int height : {1, 2, 5}) {
                        const QImage picture = noise(width, height, format, seed++);
                        AvFramePtr frame = yuvFrame(width, height);
                        ASSERT_TRUE(RgbToYuv420::convert(picture, frame.get(), matrix.space, full));
                        EXPECT_EQ(samplesOffByMore(picture, frame.get(), {matrix.kr, matrix.kb, full}), 0)
                            << "space " << matrix.space << " full " << full << " format " << format << " size "
                            << width << "x" << height;
                    }
}

#if defined(__unix__)
#include <sys/mman.h>
#include <unistd.h>

TEST(RgbToYuv420, ReadsNothingPastThePicturesLastPixel)
{
    // Pictures whose last byte ends right before a page that may not be touched: reading past
    // the last pixel ends the test with a fault.
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    void* area = mmap(nullptr, 3 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(area, MAP_FAILED);
    auto* guard = static_cast<uchar*>(area) + 2 * page;
    ASSERT_EQ(mprotect(guard, page, PROT_NONE), 0);
    for (const QImage::Format format : {QImage::Format_RGB888, QImage::Format_RGB32})
        for (const int width : {4, 8, 20, 36, 100}) {
            const int bytes = format == QImage::Format_RGB888 ? 3 : 4;
            const int height = 3;
            const qsizetype stride = qsizetype(width) * bytes; // rows packed, no padding
            uchar* data = guard - stride * height;
            QImage picture(data, width, height, stride, format);
            const QImage source = noise(width, height, format, static_cast<quint32>(width));
            for (int y = 0; y < height; ++y)
                std::memcpy(picture.scanLine(y), source.constScanLine(y), static_cast<std::size_t>(stride));
            AvFramePtr frame = yuvFrame(width, height);
            ASSERT_TRUE(RgbToYuv420::convert(picture, frame.get(), AVCOL_SPC_BT709, false));
            EXPECT_EQ(samplesOffByMore(source, frame.get(), {0.2126, 0.0722, false}), 0) << width;
        }
    munmap(area, 3 * page);
}
#endif
