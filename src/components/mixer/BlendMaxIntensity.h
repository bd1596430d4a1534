#pragma once

class QImage;
class RowPool;

// The two pixel-wise blends. Both take pictures of one size in Format_RGB32 or Format_RGB888
// (readsDirectly; the two may differ) and write into `out`, which has that size and is
// Format_RGB32 already. Blend weight w and colour weight c are 0 .. 1.
//
// Gain maximum Intensity: each pixel of each video is multiplied by its gain (BlendGains,
// rounded to whole channel values); of the two gained pixels the output takes the one of greater
// intensity I = (1 − c)·luma + c·max(R, G, B) (PixelIntensity::intensity); on a tie, video 1.
//
// Gain maximum Intensity with Saturation: the winner W and the loser L as above. When the loser
// is the more colourful (chroma max − min of its channels greater than the winner's), the output
// keeps the winner's luma and takes its colour from both, the colour weight leaning to the
// loser's:   out = Y(W) + (1 − c)·(W − Y(W)) + c·(L − Y(L))   per channel, rounded and clamped to
// 0 .. 255. Otherwise the output is W. So the brighter subject shows with the stronger colour.
namespace BlendMaxIntensity {

bool readsDirectly(const QImage& picture);
void gainMax(const QImage& a, const QImage& b, QImage& out, double blend, double colour, RowPool& pool);
void gainMaxSaturation(const QImage& a, const QImage& b, QImage& out, double blend, double colour, RowPool& pool);

} // namespace BlendMaxIntensity
