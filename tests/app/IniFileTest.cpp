#include "app/M_Ini.h"

#include "support/ScriptedDialogs.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
} // namespace

TEST(IniFile, WritingCreatesTheExactBytes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("zorvik.ini"));
    EXPECT_NE(M_Ini::str_set(QStringLiteral("Settings"), QStringLiteral("LCID"), QStringLiteral("2070"), path), 0);
    EXPECT_EQ(readAll(path), QByteArray("[Settings]\r\nLCID=2070\r\n"));
    EXPECT_NE(M_Ini::str_set(QStringLiteral("Settings"), QStringLiteral("LCID"), QStringLiteral("1031"), path), 0);
    EXPECT_EQ(readAll(path), QByteArray("[Settings]\r\nLCID=1031\r\n"));
}

TEST(IniFile, WritingKeepsEveryOtherByte)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ini"));
    writeAll(path, "; note\r\n[Other]\r\nLCID=7\r\n\r\n[settings]\r\nX = 1\r\nlcid = 1033\r\n[Last]\r\nY=2\r\n");
    M_Ini::str_set(QStringLiteral("Settings"), QStringLiteral("LCID"), QStringLiteral("1036"), path);
    EXPECT_EQ(readAll(path), QByteArray("; note\r\n[Other]\r\nLCID=7\r\n\r\n[settings]\r\nX = 1\r\nLCID=1036\r\n"
                                        "[Last]\r\nY=2\r\n"));
    M_Ini::str_set(QStringLiteral("Last"), QStringLiteral("Z"), QStringLiteral("3"), path);
    EXPECT_TRUE(readAll(path).endsWith("[Last]\r\nY=2\r\nZ=3\r\n"));
    M_Ini::str_set(QStringLiteral("New"), QStringLiteral("K"), QStringLiteral("v"), path);
    EXPECT_TRUE(readAll(path).endsWith("Z=3\r\n\r\n[New]\r\nK=v\r\n"));
}

TEST(IniFile, ReadingIntegers)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("b.ini"));
    const QString s = QStringLiteral("Settings");
    EXPECT_EQ(M_Ini::num_get(s, QStringLiteral("LCID"), 1033, path), 1033) << "missing file";
    writeAll(path, "[Settings]\r\nLCID=1036\r\nNeg=-1\r\nText=abc\r\nLead=42abc\r\nMinus=-7\r\n[Other]\r\nK=5\r\n");
    EXPECT_EQ(M_Ini::num_get(s, QStringLiteral("LCID"), 1033, path), 1036);
    EXPECT_EQ(M_Ini::num_get(s, QStringLiteral("lcid"), 1033, path), 1036) << "keys ignore case";
    EXPECT_EQ(M_Ini::num_get(s, QStringLiteral("Neg"), 1033, path), 1033) << "-1 counts as missing";
    EXPECT_EQ(M_Ini::num_get(s, QStringLiteral("Text"), 1033, path), 0);
    EXPECT_EQ(M_Ini::num_get(s, QStringLiteral("Lead"), 1033, path), 42);
    EXPECT_EQ(M_Ini::num_get(s, QStringLiteral("Minus"), 1033, path), -7);
    EXPECT_EQ(M_Ini::num_get(s, QStringLiteral("K"), 9, path), 9) << "other section";
    EXPECT_EQ(M_Ini::num_get(QStringLiteral("Other"), QStringLiteral("K"), 9, path), 5);
}

TEST(IniFile, UnwritableFolderIsReportedAndNothingWritten)
{
    ScopedDialogs d;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("no/such/folder/zorvik.ini"));
    EXPECT_EQ(M_Ini::str_set(QStringLiteral("Settings"), QStringLiteral("LCID"), QStringLiteral("1"), path), 0);
    ASSERT_EQ(d->messages.size(), 1u);
    EXPECT_TRUE(d->messages[0].text.startsWith(QStringLiteral("ERROR\r\nM_Ini.str_set(): ")));
    EXPECT_FALSE(QFile::exists(path));
}
