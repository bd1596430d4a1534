#pragma once

#include <QImage>

// Pictures whose memory comes from the decoders' free list (FrameBuffers) and returns there when
// the last copy of the image goes: a stream of pictures (playback, writing a video) then reuses
// a few blocks instead of touching fresh memory, a page fault per page, for every picture.
namespace PictureMemory {

// A picture of that size and format whose rows have room for whole groups of 16 pixels and
// whose buffer ends with spare bytes (the fast converters write whole groups and may pass the
// last pixel of a row); its pixels are not set. Null when there is no memory.
QImage image(int width, int height, QImage::Format format);

} // namespace PictureMemory
