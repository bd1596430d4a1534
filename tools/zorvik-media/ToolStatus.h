#pragma once

// What the command-line tool says when it cannot do its work: the problem in words, naming the
// file, and an exit status of its own for each kind of problem, so a script can tell them
// apart. The statuses are listed in the usage text.
#include "components/audio/AudioCodes.h"
#include "components/media/MediaCodes.h"
#include "components/writer/WriterCodes.h"

#include <QFileInfo>
#include <QString>
#include <cstdio>

namespace ToolStatus {

enum : int {
    Done = 0,
    Failed = 1,        // the work failed part way (out of memory, an encoder missing, ...)
    Usage = 2,         // a command line the tool does not understand
    NoSuchFile = 3,
    NotReadable = 4,   // permission denied, or not a regular file
    EmptyFile = 5,
    NotVideo = 6,      // not a media file, or a format the tool does not know
    Damaged = 7,       // truncated or damaged: a known format whose data cannot be read
    NoStream = 8,      // no video stream (for `audio`: no audio stream)
    NoDecoder = 9,     // no decoder here for the file's codec
    CannotWrite = 10,  // the output could not be written
    NotAnalysis = 11,  // not a readable analysis: damaged, of another kind, newer, or wrong inside
};

struct Problem {
    int status;
    const char* words;
};

// The problem behind a failed open (or a failure while reading) of `path`.
inline Problem ofInput(const QString& path, int code)
{
    const QFileInfo info(path);
    if (info.isFile() && info.size() == 0)
        return {EmptyFile, "empty file"};
    switch (code) {
    case MediaFileMissing: return {NoSuchFile, "no such file"};
    case MediaFileUnreadable:
        if (!info.exists())
            return {NoSuchFile, "no such file"};
        if (!info.isFile())
            return {NotReadable, "not a regular file"};
        return {NotReadable, "permission denied"};
    case MediaNotMedia:
        return {NotVideo, info.isDir() ? "a folder, not a video file" : "not a video file (unknown format)"};
    case MediaCorrupt: return {Damaged, "truncated or damaged"};
    case MediaNoVideoStream: return {NoStream, "no video stream"};
    case AudioNoStream: return {NoStream, "no audio stream"};
    case MediaNoDecoder:
    case AudioNoDecoder: return {NoDecoder, "no decoder here for its codec"};
    case MediaOutOfMemory: return {Failed, "out of memory"};
    case MediaWriteFailed: return {CannotWrite, "cannot be written"};
    case MediaBadArgument: return {Usage, "frame numbers out of range"};
    case WriterSameFile: return {Usage, "the output is the input"};
    default: return {Failed, "failed"};
    }
}

// Prints "zorvik-media: FILE: words" and gives the status.
inline int report(const QString& path, const Problem& problem)
{
    std::fprintf(stderr, "zorvik-media: %s: %s\n", qPrintable(path), problem.words);
    return problem.status;
}

inline int reportInput(const QString& path, int code) { return report(path, ofInput(path, code)); }

} // namespace ToolStatus
