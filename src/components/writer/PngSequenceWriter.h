#pragma once

#include "VideoOutput.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// Writes the frames as numbered PNG pictures: for the target "name.png" the files
// name_00000.png, name_00001.png, ... in its folder, with more digits when the count needs them.
// The pictures are made in a hidden folder beside the target and moved into place at close();
// pictures of those names that were there are replaced only then, and come back if the move fails.
class PngSequenceWriter final : public VideoOutput {
public:
    PngSequenceWriter() = default;
    ~PngSequenceWriter() override;

    // The path of picture `index` of a sequence of `count` pictures written for `target`.
    static QString framePath(const QString& target, int index, int count);
    // The pictures of an earlier sequence for `target` in its folder, by name.
    static QStringList existingFrames(const QString& target);

    int open(const QString& path, int width, int height, int scale, int rate) override;
    bool isOpen() const override { return m_work != nullptr; }
    int appendFrame(const QImage& picture, const QColor& background = Qt::black, bool keyFrame = false) override;
    using VideoOutput::appendFrame;
    int framesWritten() const override { return m_frames; }
    int close() override;
    void abort() override;

protected:
    QSize frameSize() const override { return m_size; }

private:
    QString workPath(int index) const;

    QString m_target;
    std::unique_ptr<QTemporaryDir> m_work; // removed with everything left in it
    QSize m_size;
    int m_frames = 0;
};
