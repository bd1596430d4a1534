#pragma once

#include "CodecCatalog.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <vector>

// What a merge-cut writes: for each pair of cut points (first and last frame, from 0) the
// frames of the source at the same place in `sources`, in order, into one AVI file.
struct MergeCutRequest {
    QStringList sources;
    QString target;
    std::vector<int> cutPoints;
    CodecChoice codec = CodecCatalog::defaultChoice();
};

struct MergeCutResult {
    int frames = 0;     // frames written
    int runs = 0;       // pairs of cut points
    bool audio = false; // an audio stream was written
};

// The merge-cut itself, on the calling thread: every frame decoded through the engine's exact
// frame access, encoded anew (so cuts fall on any frame), with the sources' audio of those
// frames beside it. The target's size and rate are the first source's; frames of other sizes
// are scaled to it. The target appears only when everything succeeded.
class MergeCutJob {
public:
    using Progress = std::function<void(int done, int total)>;

    // The checks that need no decoding: a MediaCode or WriterCode.
    static int check(const MergeCutRequest& request);
    // Runs the whole merge-cut; a MediaCode or WriterCode (WriterCancelled once `stop` is set).
    static int run(const MergeCutRequest& request, const std::atomic<bool>& stop, const Progress& progress,
                   MergeCutResult* result = nullptr);
};
