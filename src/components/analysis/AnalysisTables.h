#pragma once

#include "AnalysisDoc.h"
#include "TableText.h"
#include "components/overlay/OvCalib2D.h"

#include <QString>

// The numbers of an analysis as tables, for spreadsheets and scripts. Values are computed by
// the same measurement and calibration classes the views draw with, and times through the
// same synchronisation, so a table says what the screen says, at full precision.
//
// Measurements: one row per measurement, views in order (numbered from 1), with the video's
// file name, the measurement's id, kind and type, its frames, the view time and synchronised
// time of its first frame, its value and unit, its points in picture pixels and in the
// calibration's unit (empty without a usable calibration; a distance is then empty too).
// Markers: one row per keyframe, range, synchronisation point and stopwatch, with frames, view
// times and synchronised times (the end columns for ranges only). A time that the view's
// synchronisation points cannot map is left empty.
namespace analysis {

Table measurementTable(const Document& doc);
// The calibration as a view holds it, for the values the tables compute.
OvCalib2D calibrationOf(const Calibration& c);
Table markerTable(const Document& doc);

// "run.csv" -> "run-markers.csv" ("run-trajectories.csv"): where writeTables puts the marker
// (trajectory) table.
QString markersPath(const QString& csvPath);
QString trajectoriesPath(const QString& csvPath);
// The measurement table to `csvPath`, the marker table beside it and, when there are any, the
// trajectories' table, each written atomically. On failure gives false and the file with the
// system's reason.
bool writeTables(const Document& doc, const QString& csvPath, QString& error);

} // namespace analysis
