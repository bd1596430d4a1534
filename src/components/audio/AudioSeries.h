#pragma once

#include <cstdint>
#include <vector>

// One channel of a file's audio as a min/max envelope that can be drawn at any width: the
// smallest and largest sample of every block of BlockSamples, and above that levels that
// each join two blocks of the level below, so a column of any width costs a few lookups per
// level and its edges are exact to a block.
// 8 bytes per block: an hour of 48 kHz audio takes about 11 MB per channel.
class AudioSeries {
public:
    static constexpr int BlockSamples = 256;

    struct MinMax {
        float min = 0;
        float max = 0;
    };

    // Building: samples in order, then finish() once.
    void append(float sample);
    void finish();

    int64_t sampleCount() const { return m_samples; }
    // The largest magnitude of any sample.
    float peak() const { return m_peak; }
    // The samples from `first` up to `end` (exclusive; -1 = to the last) in `columns` equal
    // parts: the smallest and largest sample of each. A column narrower than a block shows the
    // block it falls in. Empty for no columns or an empty range.
    std::vector<MinMax> envelope(int columns, int64_t first = 0, int64_t end = -1) const;

private:
    MinMax range(int64_t fromBlock, int64_t toBlock) const;

    std::vector<std::vector<MinMax>> m_levels{1};
    MinMax m_open;
    int m_openCount = 0;
    int64_t m_samples = 0;
    float m_peak = 0;
};
