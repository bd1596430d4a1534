#pragma once

#include <QImage>
#include <array>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// The one palette of an animated picture, made from all its frames. Pictures of at most 256
// colours keep every colour exactly; others get 256 colours by median cut over a histogram of
// 5 bits per channel, each colour the mean of the pixels it stands for, and every pixel the
// nearest of them (no dithering: it would make still parts of a scene flicker).
class GifPalette {
public:
    GifPalette();
    // Counts the colours of an RGB888 picture.
    void add(const QImage& picture);
    // Makes the palette from everything added; index() and colours() are valid afterwards.
    void build();
    // Colours as 0xAARRGGBB, opaque; unused entries are black.
    const std::array<uint32_t, 256>& colours() const { return m_colours; }
    int size() const { return m_size; }
    uint8_t index(uint8_t r, uint8_t g, uint8_t b) const;

private:
    struct Bin {
        uint64_t count = 0;
        uint64_t r = 0, g = 0, b = 0;
    };
    std::vector<Bin> m_bins;
    std::unordered_set<uint32_t> m_exact; // every colour seen while there are at most 256
    bool m_tooMany = false;
    std::array<uint32_t, 256> m_colours{};
    int m_size = 0;
    std::unordered_map<uint32_t, uint8_t> m_exactIndex;
    std::vector<uint8_t> m_binIndex;
};
