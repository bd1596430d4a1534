#pragma once

#include <QString>
#include <memory>

struct FrameIndex;
class IndexBuilder;

// The frame indexes of the files in use, by file: a file opened again (a second view, the
// stroboscope's reference, a tracking run, a merge-cut) takes the index already built, or joins
// the build still running, instead of reading the whole file once more. Holds them weakly: an
// index lives as long as a source uses it. A file is known by its canonical path, size and time
// of change, so one changed on disk is indexed afresh. Safe from any thread.
class KnownIndexes {
public:
    struct Found {
        std::shared_ptr<const FrameIndex> index; // complete
        std::shared_ptr<IndexBuilder> builder;   // still building, when no index is complete
    };
    static Found find(const QString& path);
    static void addIndex(const QString& path, std::shared_ptr<const FrameIndex> index);
    static void addBuilder(const QString& path, const std::shared_ptr<IndexBuilder>& builder);
};
