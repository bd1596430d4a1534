#pragma once

#include <QColor>

// The look of an audio diagram, given when it is created: colours, the cursor's width, the
// space between a lane's edge and the loudest sample, and the time axis.
struct OvDiaSettings {
    QColor background{6, 12, 28};
    // Lanes alternate between the background and this tone so that channels stay apart.
    QColor laneAlternate{11, 20, 42};
    QColor separator{34, 48, 78};
    QColor centreLine{44, 64, 100};
    QColor wave{64, 176, 255};
    QColor label{150, 175, 215};
    QColor cursor{255, 72, 56};
    int cursorWidth = 2;
    // Pixels between a lane's top or bottom and full scale (amplitude 1).
    int lanePadding = 3;
    // The time axis in seconds; when timeMax is not above timeMin the axis runs from 0 to the
    // end of the longest series.
    double timeMin = 0.0;
    double timeMax = 0.0;
    // Channel names in the lanes' corners ("L", "R" for two channels, else numbers).
    bool showLaneLabels = true;
};
