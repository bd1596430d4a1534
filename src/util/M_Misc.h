#pragma once

#include <QColor>
#include <QString>
#include <QVariant>
#include <vector>

class QWidget;

// Small shared routines: rounding, the stopwatch text, grid arithmetic, sets of integers, checks
// of typed numbers, the colour chooser, the fit zoom and frame lists as cut points.
namespace M_Misc {

// A set of longs: slot 0 holds no element, the elements stand in slots 1..n, sorted and unique
// when built through setLong_insertElem. An empty vector is a set that was never dimensioned.
using SetLong = std::vector<int>;
// A frame list: frame numbers in slots 0..n-1, sorted ascending.
using FrameList = std::vector<int>;

// Rounds to the given number of decimal places, halves to even.
double roundHalfEven(double x, int places = 0);

QString formatTime(float t);
// A number in the user's locale with `decimals` places and no group separator ("1234.500").
QString localNumber(double v, int decimals);
QString aspectRatio2vidFormat(double r);
double vidFormatStr2aspectRatio(const QString& s);
int myFix(double x);
double s2d(float x);
void dimSqrXY(int n, int& nx, int& ny);
void posSqrXY(int idx, int nx, int& x, int& y);

void setLong_empty(SetLong& set);
void setLong_insertElem(SetLong& set, int elem);
void setLong_rmElem(SetLong& set, int elem);
void setLong_rmElemDecIdx(SetLong& set, int elem);
bool setLong_isElem(const SetLong& set, int elem);
int setLong_numElems(const SetLong& set);

// True when v is a number between min and max; otherwise tells the user and returns false.
bool checkLong(const QVariant& v, int min, int max);
// As checkLong with double bounds and the warning icon; has no handler of its own.
bool checkDouble(const QVariant& v, double min, double max);
// True when the typed text reads as a number (in the user's locale or the C locale).
bool isNumeric(const QVariant& v, double* value = nullptr);

// The colour chooser; the given colour when the user cancels.
QColor dlgColorSelect(QWidget* window, QWidget* container, const QColor& color);
inline constexpr const char* kDlgColorControlName = "M_Misc_dlgCommon_";

// The largest whole percentage at which a c x d picture fits into a x b.
int getZoom(int a, int b, int c, int d);

int fraNrIntervalUBound(int i, const FrameList& list);
// One (first, last) pair per run of consecutive frame numbers.
std::vector<int> fraNrs2ovAviMergeCutPointTupleArray(const FrameList& list);

} // namespace M_Misc
