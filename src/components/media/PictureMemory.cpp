#include "PictureMemory.h"

#include "FrameBuffers.h"

#include <cstring>

namespace PictureMemory {
namespace {

// The block starts with its size, ahead of the pixels.
constexpr qsizetype kBlockHeader = 64;

void releaseBlock(void* block)
{
    std::size_t granted = 0;
    std::memcpy(&granted, block, sizeof granted);
    FrameBuffers::release(block, granted);
}

} // namespace

QImage image(int width, int height, QImage::Format format)
{
    const int pixelBytes = format == QImage::Format_RGB888 ? 3 : 4;
    const qsizetype stride = (qsizetype(width + 15) / 16 * 16 * pixelBytes + 63) / 64 * 64;
    const qsizetype bytes = kBlockHeader + stride * height + 256;
    std::size_t granted = 0;
    auto* block = static_cast<uchar*>(FrameBuffers::acquire(static_cast<std::size_t>(bytes), &granted));
    if (!block)
        return {};
    std::memcpy(block, &granted, sizeof granted);
    QImage picture(block + kBlockHeader, width, height, stride, format, &releaseBlock, block);
    if (picture.isNull())
        releaseBlock(block);
    return picture;
}

} // namespace PictureMemory
