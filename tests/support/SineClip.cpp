#include "support/SineClip.h"

#include "components/writer/AviWriter.h"

#include <QImage>
#include <cmath>

namespace SineClip {

long long samples(const SineSpec& recipe) { return std::llround(recipe.seconds * recipe.sampleRate); }

int write(const QString& path, const SineSpec& recipe)
{
    const int channels = static_cast<int>(recipe.amplitudes.size());
    AviWriter writer;
    // One picture a second; each second's sound follows its picture.
    if (int rc = writer.open(path, 16, 16, 1, 1); rc != 0)
        return rc;
    if (int rc = writer.setCodec({QStringLiteral("rawvideo"), 0}); rc != 0)
        return rc;
    if (int rc = writer.addAudio(recipe.sampleRate, channels); rc != 0)
        return rc;
    QImage picture(16, 16, QImage::Format_RGB888);
    picture.fill(Qt::gray);
    const long long total = samples(recipe);
    const long long silent = std::llround(recipe.silentSeconds * recipe.sampleRate);
    std::vector<float> second;
    for (long long from = 0; from < total; from += recipe.sampleRate) {
        if (int rc = writer.appendFrame(picture); rc != 0)
            return rc;
        const int count = static_cast<int>(std::min<long long>(recipe.sampleRate, total - from));
        second.assign(static_cast<std::size_t>(count) * static_cast<std::size_t>(channels), 0.0f);
        for (int i = 0; i < count; ++i) {
            const long long n = from + i;
            if (n < silent)
                continue;
            for (int c = 0; c < channels; ++c)
                second[static_cast<std::size_t>(i * channels + c)] = static_cast<float>(
                    recipe.amplitudes[c] * std::sin(2.0 * M_PI * recipe.frequencies[c] * static_cast<double>(n) / recipe.sampleRate));
        }
        if (int rc = writer.appendAudio(second.data(), count); rc != 0)
            return rc;
    }
    return writer.close();
}

} // namespace SineClip
