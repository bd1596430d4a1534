#include "app/M_Rc.h"

#include "support/TestPaths.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {
// Restores the language after each test.
class StringTable : public ::testing::Test {
protected:
    void SetUp() override { m_saved = M_Rc::rcOffset(); }
    void TearDown() override { M_Rc::setRcOffset(m_saved); }
    int m_saved = 4000;
};

const int kBlocks[] = {0, 4000, 8000, 12000, 16000, 24000};
} // namespace

TEST_F(StringTable, LocaleMappingRecognisesOnlyExactIdentifiers)
{
    EXPECT_EQ(M_Rc::lcid2nlsKey(1036), QStringLiteral("FRA"));
    EXPECT_EQ(M_Rc::lcid2nlsKey(3084), QStringLiteral("ENU"));
    EXPECT_EQ(M_Rc::lcid2nlsKey(3082), QStringLiteral("ENU"));
    EXPECT_EQ(M_Rc::lcid2nlsKey(1046), QStringLiteral("ENU"));
    EXPECT_EQ(M_Rc::lcid2nlsKey(2055), QStringLiteral("ENU"));
    EXPECT_EQ(M_Rc::lcid2rcOffset(2070), 8000);
    EXPECT_EQ(M_Rc::lcid2rcOffset(1042), 20000);
    EXPECT_EQ(M_Rc::lcid2rcOffset(0), 4000);
    EXPECT_EQ(M_Rc::nlsKey2lcid(QStringLiteral("THA")), 1054);
    EXPECT_EQ(M_Rc::nlsKey2lcid(QStringLiteral("deu")), 1033);
    EXPECT_EQ(M_Rc::key2rcOffset(QStringLiteral("ESP")), 24000);
    EXPECT_EQ(M_Rc::key2rcOffset(QStringLiteral("XYZ")), 0);
    EXPECT_EQ(M_Rc::rcOffset2nlsKey(12000), QStringLiteral("CHS"));
    EXPECT_EQ(M_Rc::rcOffset2nlsKey(12345), QStringLiteral("ENU"));
    EXPECT_EQ(M_Rc::rcOffset2lcid(16000), 1036);
    EXPECT_TRUE(M_Rc::rcOffset_RequiresUnicode(28000));
    EXPECT_FALSE(M_Rc::rcOffset_RequiresUnicode(24000));
    // Every language of the table maps round: identifier -> offset -> identifier.
    for (const M_Rc::Language& l : M_Rc::languages())
        EXPECT_EQ(M_Rc::rcOffset2lcid(M_Rc::lcid2rcOffset(l.lcid)), l.lcid) << l.key;
}

TEST_F(StringTable, UnicodeRuleGivesEnglishToCallersWithoutUnicode)
{
    M_Rc::setRcOffset(12000);
    EXPECT_EQ(M_Rc::getRcStr(3249, false), QStringLiteral("Do you really want to exit?"));
    EXPECT_NE(M_Rc::getRcStr(3249, true), QStringLiteral("Do you really want to exit?"));
    M_Rc::setRcOffset(0);
    EXPECT_NE(M_Rc::getRcStr(3249, false), QStringLiteral("Do you really want to exit?"));
}

TEST_F(StringTable, EveryBlockHasTheSameNumbersAndNoEmptyTexts)
{
    const QList<int> numbers = M_Rc::baseNumbers();
    ASSERT_GT(numbers.size(), 100);
    for (int n : numbers) {
        for (int offset : kBlocks) {
            ASSERT_TRUE(M_Rc::hasString(offset, n)) << "offset " << offset << " n " << n;
            M_Rc::setRcOffset(offset);
            // Only the closing word of the range message may be empty, and only where a language needs none.
            if (n != 3013) {
                EXPECT_FALSE(M_Rc::getRcStr(n).trimmed().isEmpty()) << "offset " << offset << " n " << n;
            }
        }
        EXPECT_FALSE(M_Rc::hasString(20000, n));
    }
}

TEST_F(StringTable, MalformedTableIsRefusedAndTheLoadedOneKept)
{
    QString error;
    EXPECT_FALSE(M_Rc::loadTable(QStringLiteral("nr\tDEU\tENU\tPTG\tCHS\tFRA\tESP\n1000\tonly two\n"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("line 2")));
    M_Rc::setRcOffset(4000);
    EXPECT_EQ(M_Rc::getRcStr(3249), QStringLiteral("Do you really want to exit?"));
}

// Every string number that the program's code asks for must exist in all six blocks.
TEST_F(StringTable, EveryNumberUsedInTheCodeExists)
{
    static const QRegularExpression uses(QStringLiteral(
        R"((?:getRcStr|setTag|rcStr|Tag\w*)\s*\((?:[^(),]*,\s*)?(\d{4})\b|\bkStr\w*\s*=\s*(\d{4})\b)"));
    QSet<int> used;
    QDirIterator it(TestPaths::sourceDir() + QStringLiteral("/src"), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(f.fileName());
        const QString code = QString::fromUtf8(f.readAll());
        for (auto m = uses.globalMatch(code); m.hasNext();) {
            const auto match = m.next();
            const QString n = match.captured(1).isEmpty() ? match.captured(2) : match.captured(1);
            used.insert(n.toInt());
        }
    }
    ASSERT_TRUE(used.contains(3249)) << "the scan must find the exit question";
    ASSERT_TRUE(used.contains(1614)) << "the scan must find the language dialog's caption";
    for (int n : used)
        for (int offset : kBlocks)
            EXPECT_TRUE(M_Rc::hasString(offset, n)) << "string " << n << " missing at offset " << offset;
}
