#pragma once

#include <QImage>
#include <QRect>

// A picture's own number, drawn into it so a test can tell from any shown picture which frame
// it is: two rows of six black or white cells (bit 0 top left, reading order) in the upper half
// of a rectangle, large enough to survive lossy coding and chroma subsampling. The lower half
// carries moving texture so encoders find motion to predict.
class FramePattern {
public:
    static constexpr int Bits = 12;
    static constexpr int MaxNumber = (1 << Bits) - 1;

    // Paints picture `number` of a clip into `rect` of `image` (any QPainter-capable format).
    static void paint(QImage& image, const QRect& rect, int number);
    // Reads the number back from `rect` of `image`; -1 when a cell is neither black nor white.
    static int read(const QImage& image, const QRect& rect);
};
