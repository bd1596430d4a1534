#pragma once

// Result codes of the media engine: 0 is success, each failure has its own negative value so a
// caller's report ("open() = -3: path") tells what went wrong.
enum MediaCode : int {
    MediaOk = 0,
    MediaFileMissing = -1,     // nothing at the path
    MediaFileUnreadable = -2,  // exists but cannot be read as a file (permissions, FIFO, device)
    MediaNotMedia = -3,        // no container format recognised (text, folder, random bytes)
    MediaNoVideoStream = -4,   // a media file without a video stream
    MediaNoDecoder = -5,       // the video codec has no decoder here
    MediaCorrupt = -6,         // recognised, but no decodable frame or broken headers
    MediaNotOpen = -7,         // operation on a closed source
    MediaBadArgument = -8,     // frame number out of range, empty picture, bad size
    MediaWriteFailed = -9,     // a picture or video file could not be written
    MediaOutOfMemory = -10,
    MediaStopped = -11,        // a background task was asked to stop before it ended
};
