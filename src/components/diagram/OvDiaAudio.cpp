#include "OvDiaAudio.h"

#include "OvDia.h"
#include "components/audio/AudioData.h"
#include "components/media/MediaCodes.h"

namespace OvDiaAudio {

namespace {
void addAll(OvDia& dia, const AudioData& data)
{
    for (int c = 0; c < data.channelCount(); ++c)
        if (const AudioSeries* series = data.series(c))
            dia.addSeries(*series, data.sampleRate(), data.offset());
}
} // namespace

int addChannels(OvDia& dia, const QString& path)
{
    AudioData data;
    if (const int rc = data.open(path); rc != MediaOk)
        return rc;
    addAll(dia, data);
    data.close();
    return MediaOk;
}

void show(OvDia& dia, const AudioData& data)
{
    dia.clearSeries();
    addAll(dia, data);
}

} // namespace OvDiaAudio
