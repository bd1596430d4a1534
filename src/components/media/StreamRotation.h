#pragma once

struct AVStream;

// How a stream asks to be turned for display (phones store portrait video as landscape frames
// with a display matrix): 0, 90, 180 or 270 degrees clockwise, the way the ffmpeg command line
// turns it by default. Matrices that also flip or turn by other angles count as 0.
int streamRotation(const AVStream* stream);
