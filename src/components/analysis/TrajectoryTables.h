#pragma once

#include "AnalysisDoc.h"
#include "TableText.h"
#include "components/overlay/OvCalib2D.h"
#include "components/tracking/PlaneScale.h"

// Trajectories as tables: per frame its time, the position in pixels, then in the calibration's
// unit the position, velocity and acceleration (the smoothing differentiator of the trajectory's
// window and order), and the tracker's confidence.
namespace analysis {

// How the view's calibration in force turns pixels into its unit (y up, the reference line's
// first point the origin); pixels when the view has no usable calibration.
tracking::PlaneScale planeScale(const View& v);
// The same for a calibration; pixels (origin at the top left, y down) when it defines no scale.
tracking::PlaneScale planeScale(const OvCalib2D& cal);

// The samples the trajectory's smoothing differentiator spans: its own choice, else the default
// at the video's frame rate.
int smoothingWindow(const Trajectory& t, double frameRate);

// One trajectory; the unit is part of the column names (x_m, vx_m/s, ax_m/s2). Uncalibrated,
// the pixel columns are followed directly by velocities in px/s.
Table trajectoryTable(const Trajectory& t, const tracking::PlaneScale& scale, double frameRate);

// Every trajectory of every view in one table: view (from 1), video, trajectory and unit first,
// then the columns above with plain names (x, y, vx, ...), values in that row's unit.
Table trajectoriesTable(const Document& doc);

} // namespace analysis
