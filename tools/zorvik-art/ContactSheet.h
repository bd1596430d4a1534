#pragma once

#include "ArtGenerator.h"

#include <QImage>
#include <QList>

namespace ZorvikArt {

// A proof of all made pictures for the eye: one row per drawing with its normal, disabled and
// hot look side by side on the button face, magnified without smoothing, labelled with the
// file name. Multi-size icons show every size.
QImage contactSheet(const QList<MadePicture>& pictures, int zoom);

} // namespace ZorvikArt
