#pragma once

// Codes of the writing side beyond the media engine's MediaCode values (same convention:
// 0 success, negative failure).
enum WriterCode : int {
    WriterCancelled = -20, // the user cancelled the codec dialog, or the work was stopped
    WriterBusy = -21,      // a merge-cut is still running
    WriterSameFile = -22,  // the target is one of the sources
};
