#pragma once

// Codes of the audio side beyond the media engine's MediaCode values (same convention:
// 0 success, negative failure).
enum AudioCode : int {
    AudioNoStream = -30,  // the file has no audio stream
    AudioNoDecoder = -31, // the audio codec has no decoder here
    AudioStopped = -32,   // the reader was told to stop before the end
};
