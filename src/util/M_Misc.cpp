#include "util/M_Misc.h"

#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "app/RtError.h"
#include "app/TempControl.h"
#include "components/DialogService.h"

#include <QLocale>
#include <cmath>

namespace M_Misc {
namespace {

QString elemText(int elem) { return QStringLiteral("elem = %1").arg(elem); }

// A set or list array that was never dimensioned is a subscript error, as is a slot past its end.
void requireDimensioned(const SetLong& set)
{
    if (set.empty())
        throw RtError(RtError::SubscriptOutOfRange);
}

QString padded(int v, int width) { return QStringLiteral("%1").arg(v, width, 10, QLatin1Char('0')); }

} // namespace

double roundHalfEven(double x, int places)
{
    const double scale = std::pow(10.0, places);
    const double scaled = x * scale;
    if (!std::isfinite(scaled))
        return x;
    return std::nearbyint(scaled) / scale; // the default rounding mode rounds halves to even
}

int myFix(double x) try {
    const double r = roundHalfEven(x, 10);
    const int from = Checked::toInt32(x - 2);
    const int to = Checked::toInt32(x + 2);
    for (long long i = from; i <= to; ++i)
        if (double(i) > r)
            return int(i - 1);
    return to;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_Misc.myFix()"));
    return 0;
}

double s2d(float x) try {
    return roundHalfEven(double(x), 7);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_Misc.s2d()"));
    return 0;
}

QString localNumber(double v, int decimals)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(v, 'f', decimals);
}

QString formatTime(float t) try {
    const QString sign = t < 0 ? QStringLiteral("-") : QString();
    const float a = std::fabs(t);
    if (a >= 32767.5f)
        throw RtError(RtError::Overflow);
    int s = Checked::toInt16(myFix(a));
    int ms = int(roundHalfEven(double(a - float(s)) * 1000.0));
    if (ms >= 1000) { // a fraction of 0.9995 s or more carries into the seconds
        ms -= 1000;
        ++s;
    }
    const int h = s / 3600;
    s %= 3600;
    const int m = s / 60;
    s %= 60;
    return sign + padded(h, 2) + u':' + padded(m, 2) + u':' + padded(s, 2) + u'.' + padded(ms, 3);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_Misc.formatTime()"));
    return {};
}

QString aspectRatio2vidFormat(double r)
{
    if (r == 1.356337)
        return QStringLiteral("DV-PAL");
    if (r == 1.640625)
        return QStringLiteral("DV-NTSC");
    if (r == 1.0)
        return QStringLiteral("1:1");
    return {};
}

double vidFormatStr2aspectRatio(const QString& s)
{
    if (s == QLatin1String("DV-PAL"))
        return 1.356337;
    if (s == QLatin1String("DV-NTSC"))
        return 1.640625;
    if (s == QLatin1String("1:1"))
        return 1.0;
    return 0.0;
}

void dimSqrXY(int n, int& nx, int& ny) try {
    if (n == 0) {
        nx = ny = 0;
        return;
    }
    nx = -myFix(-std::sqrt(double(n)));
    ny = -myFix(-double(n) / double(nx));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_Misc.dimSqrXY()"));
}

void posSqrXY(int idx, int nx, int& x, int& y) try {
    if (nx == 0)
        throw RtError(RtError::DivisionByZero);
    const double q = double(idx) / double(nx);
    if (q == std::floor(q)) {
        x = nx;
        y = int(q);
    } else {
        y = myFix(q) + 1;
        x = idx - myFix(q) * nx;
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_Misc.posSqrXY()"));
}

void setLong_empty(SetLong& set) { set.assign(1, 0); }

void setLong_insertElem(SetLong& set, int elem) try {
    requireDimensioned(set);
    for (size_t i = 1; i < set.size(); ++i) {
        if (set[i] == elem)
            return;
        if (set[i] > elem) {
            set.insert(set.begin() + qsizetype(i), elem);
            return;
        }
    }
    set.push_back(elem);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_Misc.setLong_insertElem()"), elemText(elem));
}

void setLong_rmElem(SetLong& set, int elem) try {
    requireDimensioned(set);
    for (size_t i = 1; i < set.size(); ++i) {
        if (set[i] == elem) {
            set.erase(set.begin() + qsizetype(i));
            return;
        }
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_Misc.setLong_rmElem()"), elemText(elem));
}

void setLong_rmElemDecIdx(SetLong& set, int elem) try {
    requireDimensioned(set);
    size_t found = 0;
    for (size_t i = 1; i < set.size(); ++i) {
        if (set[i] == elem && found == 0)
            found = i;
        else if (set[i] > elem)
            --set[i];
    }
    if (found != 0)
        set.erase(set.begin() + qsizetype(found));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_Misc.setLong_rmElemDecIdx()"), elemText(elem));
}

bool setLong_isElem(const SetLong& set, int elem) try {
    requireDimensioned(set);
    for (size_t i = 1; i < set.size(); ++i)
        if (set[i] == elem)
            return true;
    return false;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_Misc.setLong_isElem()"), elemText(elem));
    return false;
}

int setLong_numElems(const SetLong& set) try {
    requireDimensioned(set);
    return int(set.size()) - 1;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_Misc.setLong_numElems()"));
    return 0;
}

bool isNumeric(const QVariant& v, double* value)
{
    bool ok = false;
    double d = 0;
    if (v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray) {
        const QString text = v.toString().trimmed();
        if (!text.isEmpty()) {
            d = QLocale().toDouble(text, &ok);
            if (!ok)
                d = QLocale::c().toDouble(text, &ok);
        }
    } else if (v.isValid() && !v.isNull()) {
        d = v.toDouble(&ok);
    }
    if (ok && !std::isfinite(d))
        ok = false;
    if (ok && value)
        *value = d;
    return ok;
}

bool checkLong(const QVariant& v, int min, int max) try {
    double d = 0;
    if (!isNumeric(v, &d)) {
        M_Msg::msgUsr(M_Rc::getRcStr(3008) + u' ' + v.toString() + u' ' + M_Rc::getRcStr(3009),
                      MsgBox::Critical | MsgBox::OkOnly);
        return false;
    }
    if (d < min || d > max) {
        M_Msg::msgUsr(M_Rc::getRcStr(3010) + u' ' + v.toString() + u' ' + M_Rc::getRcStr(3011) + u' '
                          + QString::number(min) + u' ' + M_Rc::getRcStr(3012) + u' ' + QString::number(max)
                          + u' ' + M_Rc::getRcStr(3013),
                      MsgBox::Critical | MsgBox::OkOnly);
        return false;
    }
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_Misc.checkLong()"));
    return false;
}

bool checkDouble(const QVariant& v, double min, double max)
{
    double d = 0;
    if (!isNumeric(v, &d)) {
        M_Msg::msgUsr(M_Rc::getRcStr(3008) + u' ' + v.toString() + u' ' + M_Rc::getRcStr(3009),
                      MsgBox::Exclamation | MsgBox::OkOnly);
        return false;
    }
    if (d < min || d > max) {
        const QLocale locale;
        M_Msg::msgUsr(M_Rc::getRcStr(3010) + u' ' + v.toString() + u' ' + M_Rc::getRcStr(3011) + u' '
                          + locale.toString(min, 'g', QLocale::FloatingPointShortest) + u' '
                          + M_Rc::getRcStr(3012) + u' '
                          + locale.toString(max, 'g', QLocale::FloatingPointShortest) + u' '
                          + M_Rc::getRcStr(3013),
                      MsgBox::Exclamation | MsgBox::OkOnly);
        return false;
    }
    return true;
}

QColor dlgColorSelect(QWidget* window, QWidget* container, const QColor& color) try {
    const TempControl control(container ? container : window, kDlgColorControlName);
    const auto chosen = DialogService::current().chooseColor(window, color);
    return chosen ? *chosen : color;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_Misc.dlgColorSelect()"));
    return color;
}

int getZoom(int a, int b, int c, int d) try {
    const int zx = Checked::div(Checked::mul(a, 100), c);
    const int zy = Checked::div(Checked::mul(b, 100), d);
    return std::min(zx, zy);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_Misc.getZoom()"));
    return 0;
}

int fraNrIntervalUBound(int i, const FrameList& list) try {
    if (i < 0 || size_t(i) >= list.size())
        throw RtError(RtError::SubscriptOutOfRange);
    while (size_t(i) + 1 < list.size() && list[size_t(i) + 1] == list[size_t(i)] + 1)
        ++i;
    return i;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_Misc.fraNrIntervalUBound()"));
    return 0;
}

std::vector<int> fraNrs2ovAviMergeCutPointTupleArray(const FrameList& list) try {
    if (list.empty())
        return {0};
    std::vector<int> result;
    for (size_t i = 0; i < list.size();) {
        const size_t j = size_t(fraNrIntervalUBound(int(i), list));
        result.push_back(list[i]);
        result.push_back(list[j]);
        i = j + 1;
    }
    return result;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_Misc.fraNrs2ovAviMergeCutPointTupleArray()"));
    return {};
}

} // namespace M_Misc
