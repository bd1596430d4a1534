#pragma once

#include <QString>

class OvDia;

// Puts the audio of a file into a diagram: opens it through the audio data library, adds one
// data series per channel (placed at the audio's offset from the video start) and closes it
// again. Returns the data library's code (0 success; AudioNoStream for a file without audio);
// on failure the diagram is left as it was.
class AudioData;

namespace OvDiaAudio {
int addChannels(OvDia& dia, const QString& path);
// The diagram's lanes made anew from audio already read (a part, growing, or the whole).
void show(OvDia& dia, const AudioData& data);
}
