#pragma once

#include "AudioSeries.h"

#include <QString>
#include <functional>
#include <vector>

// The data library for the audio diagram: the audio of a file by its path, one data series
// per channel. Opening decodes the whole stream once; the series then answer any width.
class AudioData {
public:
    // Shown what has been read so far (a finished copy, its length growing), after
    // `everySeconds` of audio and then at ever longer steps; returns false to stop reading.
    using Progress = std::function<bool(const AudioData& soFar)>;

    // A MediaCode or AudioCode (AudioNoStream for a file without audio, AudioStopped when the
    // progress said stop); on failure nothing stays open.
    int open(const QString& path, const Progress& progress = {}, double everySeconds = 10.0);
    void close();
    bool isOpen() const { return !m_series.empty(); }

    QString path() const { return m_path; }
    int channelCount() const { return static_cast<int>(m_series.size()); }
    int sampleRate() const { return m_sampleRate; }
    // Decoded length in seconds.
    double duration() const;
    // Seconds from the file's video start to the audio's first sample.
    double offset() const { return m_offset; }
    // The series of channel `channel` (from 0); null when there is no such channel.
    const AudioSeries* series(int channel) const;

private:
    QString m_path;
    int m_sampleRate = 0;
    double m_offset = 0;
    std::vector<AudioSeries> m_series;
};
