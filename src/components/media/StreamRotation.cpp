#include "StreamRotation.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
}

#include <cmath>
#include <cstdint>

namespace {

// The turn of the nine numbers of a display matrix (16.16 fixed point); null gives 0.
int displayMatrixRotation(const int32_t* m)
{
    if (!m)
        return 0;
    // The matrix names its counter-clockwise angle; shown upright, the picture turns clockwise.
    double theta = -av_display_rotation_get(m);
    if (std::isnan(theta))
        return 0;
    theta -= 360 * std::floor(theta / 360 + 0.9 / 360);
    // Only pure turns: with a flip the signs of these entries differ from a turn's.
    if (std::fabs(theta - 90) < 1.0 && m[3] < 0)
        return 90;
    if (std::fabs(theta - 180) < 1.0 && m[0] < 0 && m[4] < 0)
        return 180;
    if (std::fabs(theta - 270) < 1.0 && m[3] > 0)
        return 270;
    return 0;
}

} // namespace

int streamRotation(const AVStream* stream)
{
    if (!stream)
        return 0;
#if LIBAVCODEC_VERSION_INT >= AV_VERSION_INT(60, 29, 100)
    const AVCodecParameters* par = stream->codecpar;
    const AVPacketSideData* data = av_packet_side_data_get(par->coded_side_data, par->nb_coded_side_data, AV_PKT_DATA_DISPLAYMATRIX);
    const bool whole = data && data->size >= 9 * sizeof(int32_t);
    return whole ? displayMatrixRotation(reinterpret_cast<const int32_t*>(data->data)) : 0;
#else
    size_t size = 0;
    const uint8_t* data = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    return data && size >= 9 * sizeof(int32_t) ? displayMatrixRotation(reinterpret_cast<const int32_t*>(data)) : 0;
#endif
}
