#pragma once

// Result codes of the video mixer and its agent: 0 is success, failures are negative. The
// mixer also keeps a sentence about the last failure (OvVidMixer::lastError).
enum MixerCode : int {
    MixerOk = 0,
    MixerBadPicture = -1,   // a null or empty picture, or one too large to process
    MixerSizeMismatch = -2, // pictures that must have one size do not
    MixerNotStarted = -3,   // a stroboscope frame added before a stroboscope picture was started
    MixerBadArgument = -4,  // a parameter out of its range or not a number
    MixerNoSource = -5,     // the agent's source file cannot be opened or has no frames
    MixerDecodeFailed = -6, // no frame of the source could be decoded
};
