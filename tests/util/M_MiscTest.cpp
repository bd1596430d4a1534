#include "util/M_Misc.h"

#include "support/ScriptedDialogs.h"

#include <QWidget>
#include <gtest/gtest.h>

using namespace M_Misc;

namespace {
// The procedure name line of the last error report, or "" when none was shown.
QString lastErrorProc(const ScriptedDialogs& d)
{
    if (d.messages.empty())
        return {};
    const QStringList lines = d.messages.back().text.split(QStringLiteral("\r\n"));
    return lines.value(0) == QLatin1String("ERROR") ? lines.value(1) : QString();
}
} // namespace

TEST(Rounding, HalvesGoToEvenAndMyFixIgnoresNoise)
{
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_DOUBLE_EQ(roundHalfEven(0.125, 2), 0.12);
    EXPECT_EQ(myFix(2.99999999999), 3);
    EXPECT_EQ(myFix(2.9999), 2);
    EXPECT_EQ(myFix(-0.1), -1);
    EXPECT_EQ(myFix(-1.5), -2);
    EXPECT_EQ(myFix(7.0), 7);
    EXPECT_EQ(myFix(-7.0), -7);
    EXPECT_EQ(s2d(0.1f), 0.1);
    // Seven places: a single-precision 29.97 keeps its representation error beyond them.
    EXPECT_DOUBLE_EQ(s2d(29.97f), 29.9699993);
    EXPECT_EQ(s2d(0.5f), 0.5);
}

TEST(FormatTime, GivesSignHoursMinutesSecondsMilliseconds)
{
    ScopedDialogs d;
    EXPECT_EQ(formatTime(0), QStringLiteral("00:00:00.000"));
    EXPECT_EQ(formatTime(-0.5f), QStringLiteral("-00:00:00.500"));
    EXPECT_EQ(formatTime(3725.25f), QStringLiteral("01:02:05.250"));
    EXPECT_EQ(formatTime(-3723.456f), QStringLiteral("-01:02:03.456"));
    EXPECT_EQ(formatTime(7.04f), QStringLiteral("00:00:07.040"));
    EXPECT_EQ(formatTime(32767), QStringLiteral("09:06:07.000"));
    // A fraction that rounds to a whole second carries into the seconds.
    EXPECT_EQ(formatTime(59.9996f), QStringLiteral("00:01:00.000"));
    EXPECT_TRUE(d->messages.empty());
}

TEST(Sets, InsertKeepsOrderAndUniqueness)
{
    SetLong s;
    setLong_empty(s);
    EXPECT_EQ(setLong_numElems(s), 0);
    for (int e : {5, 2, 9, 2})
        setLong_insertElem(s, e);
    EXPECT_EQ(s, (SetLong{0, 2, 5, 9}));
    EXPECT_TRUE(setLong_isElem(s, 9));
    EXPECT_FALSE(setLong_isElem(s, 0)); // slot 0 holds no element
    setLong_rmElem(s, 4);
    EXPECT_EQ(setLong_numElems(s), 3);
    setLong_rmElem(s, 2);
    EXPECT_EQ(s, (SetLong{0, 5, 9}));
}

TEST(Sets, RemovingAnIndexShiftsTheLargerOnes)
{
    SetLong s{0, 2, 5, 9};
    setLong_rmElemDecIdx(s, 5);
    EXPECT_EQ(s, (SetLong{0, 2, 8}));
    SetLong t{0, 2, 5, 9};
    setLong_rmElemDecIdx(t, 4); // not an element: larger ones still move down
    EXPECT_EQ(t, (SetLong{0, 2, 4, 8}));
    SetLong u{0, 0, 1};
    setLong_rmElemDecIdx(u, 0);
    EXPECT_EQ(u, (SetLong{0, 0}));
}

TEST(Sets, AnUndimensionedSetIsReportedWithTheElement)
{
    ScopedDialogs d;
    SetLong never;
    setLong_insertElem(never, 3);
    EXPECT_EQ(lastErrorProc(*d), QStringLiteral("M_Misc.setLong_insertElem(): elem = 3"));
    EXPECT_FALSE(setLong_isElem(never, 3));
    EXPECT_EQ(lastErrorProc(*d), QStringLiteral("M_Misc.setLong_isElem(): elem = 3"));
    EXPECT_EQ(setLong_numElems(never), 0);
    EXPECT_TRUE(never.empty());
}

TEST(Zoom, LargestWholePercentThatFits)
{
    EXPECT_EQ(getZoom(640, 480, 320, 240), 200);
    EXPECT_EQ(getZoom(100, 100, 300, 150), 33);
    EXPECT_EQ(getZoom(719, 1000, 720, 576), 99);
    ScopedDialogs d;
    EXPECT_EQ(getZoom(100, 100, 0, 10), 0);
    EXPECT_EQ(lastErrorProc(*d), QStringLiteral("M_Misc.getZoom()"));
    EXPECT_TRUE(d->messages.back().text.contains(QStringLiteral("Number: 11")));
    EXPECT_EQ(getZoom(30000000, 10, 1, 1), 0); // the percentage overflows 32 bits
    EXPECT_TRUE(d->messages.back().text.contains(QStringLiteral("Number: 6")));
}

TEST(CutPoints, OnePairPerRunOfConsecutiveFrames)
{
    EXPECT_EQ(fraNrs2ovAviMergeCutPointTupleArray({3, 4, 5, 9, 10, 12}), (std::vector<int>{3, 5, 9, 10, 12, 12}));
    EXPECT_EQ(fraNrs2ovAviMergeCutPointTupleArray({7}), (std::vector<int>{7, 7}));
    EXPECT_EQ(fraNrs2ovAviMergeCutPointTupleArray({}), (std::vector<int>{0}));
    EXPECT_EQ(fraNrs2ovAviMergeCutPointTupleArray({0, 1, 2, 3}), (std::vector<int>{0, 3}));
    EXPECT_EQ(fraNrIntervalUBound(3, {3, 4, 5, 9, 10, 12}), 4);
    ScopedDialogs d;
    EXPECT_EQ(fraNrIntervalUBound(6, {3, 4}), 0);
    EXPECT_EQ(lastErrorProc(*d), QStringLiteral("M_Misc.fraNrIntervalUBound()"));
}
