#include "AudioSeries.h"

#include <algorithm>
#include <cmath>

void AudioSeries::append(float sample)
{
    if (m_openCount == 0) {
        m_open = {sample, sample};
    } else {
        m_open.min = std::min(m_open.min, sample);
        m_open.max = std::max(m_open.max, sample);
    }
    m_peak = std::max(m_peak, std::fabs(sample));
    ++m_samples;
    if (++m_openCount == BlockSamples) {
        m_levels[0].push_back(m_open);
        m_openCount = 0;
    }
}

void AudioSeries::finish()
{
    if (m_openCount > 0) {
        m_levels[0].push_back(m_open);
        m_openCount = 0;
    }
    m_levels.resize(1);
    while (m_levels.back().size() > 1) {
        const std::vector<MinMax>& below = m_levels.back();
        std::vector<MinMax> above((below.size() + 1) / 2);
        for (std::size_t i = 0; i < above.size(); ++i) {
            const MinMax& a = below[2 * i];
            const MinMax& b = 2 * i + 1 < below.size() ? below[2 * i + 1] : a;
            above[i] = {std::min(a.min, b.min), std::max(a.max, b.max)};
        }
        m_levels.push_back(std::move(above));
    }
}

AudioSeries::MinMax AudioSeries::range(int64_t fromBlock, int64_t toBlock) const
{
    // Blocks [from, to) of the finest level, gathered from the coarsest blocks that fit inside,
    // as in a segment tree: a few lookups per level.
    MinMax result = m_levels[0][static_cast<std::size_t>(fromBlock)];
    const auto take = [&](std::size_t level, int64_t block) {
        const MinMax& m = m_levels[level][static_cast<std::size_t>(block)];
        result.min = std::min(result.min, m.min);
        result.max = std::max(result.max, m.max);
    };
    for (std::size_t level = 0; fromBlock < toBlock && level < m_levels.size(); ++level) {
        if (fromBlock & 1)
            take(level, fromBlock++);
        if (toBlock & 1)
            take(level, --toBlock);
        fromBlock >>= 1;
        toBlock >>= 1;
    }
    return result;
}

std::vector<AudioSeries::MinMax> AudioSeries::envelope(int columns, int64_t first, int64_t end) const
{
    if (end < 0 || end > m_samples)
        end = m_samples;
    first = std::max<int64_t>(first, 0);
    if (columns <= 0 || first >= end || m_levels[0].empty())
        return {};
    std::vector<MinMax> result(static_cast<std::size_t>(columns));
    const double perColumn = static_cast<double>(end - first) / columns;
    const auto blocks = static_cast<int64_t>(m_levels[0].size());
    for (int c = 0; c < columns; ++c) {
        const int64_t from = first + static_cast<int64_t>(std::floor(c * perColumn));
        const int64_t to = std::max(from + 1, first + static_cast<int64_t>(std::floor((c + 1) * perColumn)));
        const int64_t fromBlock = std::min(from / BlockSamples, blocks - 1);
        const int64_t toBlock = std::clamp<int64_t>((to + BlockSamples - 1) / BlockSamples, fromBlock + 1, blocks);
        result[static_cast<std::size_t>(c)] = range(fromBlock, toBlock);
    }
    return result;
}
