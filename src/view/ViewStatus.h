#pragma once

#include <QPointF>
#include <QString>

// What the status bar shows of one view: its present frame and time, and where the pointer is
// on its picture, in pixels and, with a calibration, in its unit (y up from the reference
// line's first point, as the tables count).
struct ViewStatus {
    int frame = -1; // -1: the view shows no video
    int frames = 0;
    bool provisional = false; // the frame's number, found by its time, is not exact yet
    bool estimated = false;   // the count is the one the file states, not yet the index's
    double seconds = 0;
    bool pointer = false;
    QPointF pixels;
    bool calibrated = false;
    QPointF units;
    QString unit;
    int decimals = 0; // as many as a tenth of a pixel is worth in the unit
};
