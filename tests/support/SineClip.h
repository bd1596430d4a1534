#pragma once

#include <QString>
#include <vector>

// An AVI file with a tiny picture track and a sound of exactly known samples: per channel a
// sine of its own amplitude and frequency, optionally silent for a leading part.
struct SineSpec {
    int sampleRate = 44100;
    std::vector<double> amplitudes{0.5, 0.25}; // one per channel
    std::vector<double> frequencies{440.0, 1000.0};
    double seconds = 3.0;
    double silentSeconds = 0.0; // silence before the tone starts
};

namespace SineClip {
// Writes the clip with the project's AVI writer; 0 or the writer's code.
int write(const QString& path, const SineSpec& recipe);
// The exact sample count of the clip.
long long samples(const SineSpec& recipe);
} // namespace SineClip
