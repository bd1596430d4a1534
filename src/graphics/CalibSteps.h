#pragma once

#include "components/overlay/OvCalib2D.h"
#include "components/overlay/OvCalib2Ds.h"

#include <QSize>
#include <memory>

// The steps of a calibration that need no view: turning the dialog's values into a new
// calibration, the action to return to, and judging the finished reference line. Each step
// tells the user its outcome.
namespace CalibSteps {

// The view action of drawing the reference line.
inline constexpr int kActionCalib = 8;

// A new calibration of the picture from the dialog's values (unit, aspect multiplier and
// reference length, in that order), or null after telling the user that the calibration
// failed, when the aspect or the length is not above 0.
std::shared_ptr<OvCalib2D> start(const OvCalib2Ds& factory, QSize picture, double calibDist, int calibUnit,
                                 double calibAspectRatio);

// The action to return to after the reference line: the current one, or none when the
// reference line was already being drawn.
int actionSave(int currentAction);

// The press of the reference line at (fx, fy), fractions of the picture.
void press(OvCalib2D& cal, double fx, double fy);
// The release at (fx, fy): true after telling the user that the calibration succeeded, false
// after telling that it failed.
bool release(OvCalib2D& cal, double fx, double fy);

} // namespace CalibSteps
