#pragma once

#include <QImage>
#include <vector>

class RowPool;

// The per-pixel median over time of a few pictures of one scene: each channel of each pixel
// takes the middle one of its values in the pictures (for an even count, the upper of the two
// middle values). Whatever stands at a pixel in fewer than half of the pictures — a subject that
// moves through the scene — drops out, and the still scene behind it remains.
namespace TemporalMedian {

// Pictures of one size in RGB888 or RGB32 (they may mix); the result is RGB32 of that size, or a
// null image when the list is empty or the sizes differ.
QImage of(const std::vector<QImage>& pictures, RowPool& pool);

} // namespace TemporalMedian
