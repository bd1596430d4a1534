#pragma once

#include "components/overlay/OvCalib2D.h"
#include "components/overlay/OvGraphItems.h"
#include "components/overlay/OvMeasureScene.h"

#include <QColor>
#include <QPoint>
#include <QString>
#include <memory>
#include <vector>

class OvVView;

// Creates and shapes the graphic items, angles and distances of a view: what each kind of
// item becomes, how a drag and a release change it, its labels and where they stand, its ids
// and the frames in which it shows. The view's mouse handling calls these operations.
namespace M_OvGS {

using GiPtr = std::shared_ptr<OvGraphItem>;
using AnglePtr = std::shared_ptr<OvAngle>;
using DistPtr = std::shared_ptr<OvDistance>;
using CalPtr = std::shared_ptr<OvCalib2D>;

// The program's item kinds (first argument of the item operations).
enum Kind : int {
    OVGS_TYPE_LBL_ANGLE_2LINES = 0,
    OVGS_TYPE_LBL_ANGLE_3POINTS = 1,
    OVGS_TYPE_LBL_ANGLE_HORZ = 2,
    OVGS_TYPE_LBL_ANGLE_VERT = 3,
    OVGS_TYPE_CALIB = 4,
    OVGS_TYPE_CIRCLE = 5,
    OVGS_TYPE_CLOCK = 6,
    OVGS_TYPE_CROSS = 7,
    OVGS_TYPE_LBL_DIST = 8,
    OVGS_TYPE_FREEHAND = 10,
    OVGS_TYPE_LINE = 11,
    OVGS_TYPE_RECT = 12,
    OVGS_TYPE_TEXT = 13,
};
// Angle kinds (ovAngle_*) and the distance kind (ovDist_*).
enum AngleKind : int { ANGLE_2LINES = 0, ANGLE_3POINTS = 1, ANGLE_HORZ = 2, ANGLE_VERT = 3 };
inline constexpr int DIST_KIND = 8;

// Fixed ids: a view's stopwatch and its grid lines.
inline constexpr int kIdClock = 100000;
inline constexpr int kIdGridHorz = 100002;
inline constexpr int kIdGridVert = 100003;
// The style of new texts and labels: text size 18.
inline constexpr int kStyleText18 = 18 * 256;
inline constexpr int kKeyBackspace = 8;

// ---- Graphic items --------------------------------------------------------------------------

// The library type of a kind; -1 for a kind that has none.
int ovGi_giType(int kind);
// The next id of the module's counter (shared by all views, never reset).
int ovGi_newId();
// Items restored with this id exist: the counter goes on after it.
void ovGi_idsTaken(int id);

// A new item of the kind at (x, y) in picture pixels, added to the collection. Id -1 takes the
// next id; with an id and `replace`, the items of that id are removed first. Null on failure.
GiPtr ovGi_new(int kind, OvGraphItems& gis, double x, double y, const QColor& color, int lineWidth, int curFrame,
               int firstFrame, int lastFrame, int id = -1, bool replace = false);
// A drag of the item being drawn to the picture point (x, y); labels take the text. A
// freehand stroke replaces `gi` with its next segment.
void ovGi_update(int kind, OvGraphItems& gis, GiPtr& gi, double x, double y, const QString& text = {});
// One key typed into a text item: 8 deletes the character before the cursor, a printable
// character code (Unicode; Latin-1 below 256) is inserted before it, other control codes are
// ignored.
void ovGi_update_OVGS_TYPE_TEXT(int keyCode, OvGraphItems& gis, GiPtr& gi);
// The release of a drag. A line without length and a text without characters are removed
// (`gi` becomes null); a freehand stroke ends at (x, y).
void ovGi_final(int kind, OvGraphItems& gis, GiPtr& gi, double x, double y, const QString& text = {});

std::vector<GiPtr> ovGi_get(const OvGraphItems& gis, int id);
GiPtr ovGi_get1st(const OvGraphItems& gis, int id);
// The id of the item under the picture point at the viewer's current frame, or -1.
int ovGi_idHit(const OvGraphItems& gis, const OvVView& viewer, double x, double y);
int ovGi_idHit(const OvGraphItems& gis, int frame, double x, double y);
// The id of the last item of the collection, or -1 when it is empty.
int ovGi_idLast(const OvGraphItems& gis);
// First and last frame; the current frame when `curFrame` >= 0; then the current frame is
// moved into the range.
void ovGi_setFrames(OvGraphItem& gi, int firstFrame, int lastFrame, int curFrame);

int ovGi_lineWidth2style(int lineWidth);
int ovGi_style2lineWidth(int style);

// ---- Angles ---------------------------------------------------------------------------------

// The library type of an angle kind; -1 for any other.
int ovAngle_type(int kind);
// The label item kind of an angle kind; -1 for any other.
int ovAngle_lblKind(int kind);
// A new angle with all four points at (x, y) in fractions of the picture, added to the list.
AnglePtr ovAngle_new(int kind, OvAngles& angles, OvMeasureScene& scene, const CalPtr& cal, double x, double y,
                     const QColor& color, int curFrame, int firstFrame, int lastFrame, bool orientation, int id);
// Sets point idx; the last point of a three-point angle and of the angles to the horizontal
// and the vertical makes it show its interior value.
void ovAngle_update(int kind, OvAngles& angles, AnglePtr& angle, int idx, double x, double y);
void ovAngle_interior(OvAngle& angle, bool interior);
void ovAngle_orthopaedic(OvAngle& angle);
// Where the label stands, in picture pixels, for a picture of w x h.
QPoint ovAngle_getLblXY(int kind, const OvAngle& angle, int w, int h);
// Among points 0..n the index with the greatest x (the lower index on a tie).
int ovAngle_getIdxMaxX(const OvAngle& angle, int n);
// The label text: the value to two decimals and the degree sign.
QString ovAngle_lblText(const OvAngle& angle);
// Places the angle's label (the item of its id) and gives it the angle's value; the label moves
// from its place where it would leave the picture or cover another text.
void ovAngle_lblUpdate(int kind, OvGraphItems& gis, const OvAngle& angle, int w, int h);
// The id of the angle under the point (fractions) at the viewer's current frame, or -1.
int ovAngle_idHit(const OvAngles& angles, const OvVView& viewer, double x, double y);
int ovAngle_idHit(const OvAngles& angles, int frame, int pictureWidth, double x, double y);
std::vector<AnglePtr> ovAngle_get(const OvAngles& angles, int id);
AnglePtr ovAngle_get1st(const OvAngles& angles, int id);
void ovAngle_rmId(OvAngles& angles, int id);
void ovAngle_rmAll(OvAngles& angles);
void ovAngle_setFrames(OvAngle& angle, int firstFrame, int lastFrame, int curFrame);

// ---- Distances ------------------------------------------------------------------------------

int ovDist_type(int kind);
// A new distance with both points at (x, y) in fractions of the picture, added to the list.
DistPtr ovDist_new(int kind, OvDistances& dists, OvMeasureScene& scene, const CalPtr& cal, double x, double y,
                   const QColor& color, int curFrame, int firstFrame, int lastFrame, int id);
// Sets the end point (fractions).
void ovDist_update(OvDistances& dists, DistPtr& dist, double x, double y);
// The label text: the value to two decimals, a space and the calibration's unit name.
QString ovDist_lblText(const OvDistance& dist);
// The label stands 30 pixels left of the middle between point 0 and the mouse point (x, y)
// in picture pixels.
QPoint ovDist_getLblXY(const OvDistance& dist, int w, int h, double x, double y);
// Places and fills the distance's label for the mouse point (x, y) in picture pixels, moved
// as an angle's label is.
void ovDist_lblUpdate(OvGraphItems& gis, const OvDistance& dist, int w, int h, double x, double y);
int ovDist_idHit(const OvDistances& dists, const OvVView& viewer, double x, double y);
int ovDist_idHit(const OvDistances& dists, int frame, int pictureWidth, double x, double y);
std::vector<DistPtr> ovDist_get(const OvDistances& dists, int id);
DistPtr ovDist_get1st(const OvDistances& dists, int id);
void ovDist_rmId(OvDistances& dists, int id);
void ovDist_rmAll(OvDistances& dists);
void ovDist_setFrames(OvDistance& dist, int firstFrame, int lastFrame, int curFrame);

// "0.00": two decimals with a point, never "-0.00".
QString format00(double v);

} // namespace M_OvGS
