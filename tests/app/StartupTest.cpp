#include "app/MMain.h"
#include "app/M_File.h"
#include "app/M_Rc.h"
#include "app/UserLocale.h"

#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// A fresh user: empty configuration, data and per-machine folders, and the given locale.
class Startup : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_savedOffset = M_Rc::rcOffset();
        for (const char* v : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "ZORVIK_COMMON_APPDATA", "LC_ALL", "LC_MESSAGES", "LANG"})
            m_saved.emplace_back(v, qgetenv(v));
        qputenv("XDG_CONFIG_HOME", m_home.filePath(QStringLiteral("config")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", m_home.filePath(QStringLiteral("data")).toLocal8Bit());
        qputenv("ZORVIK_COMMON_APPDATA", m_home.filePath(QStringLiteral("machine")).toLocal8Bit());
        QDir(m_home.path()).mkpath(QStringLiteral("config"));
        QDir(m_home.path()).mkpath(QStringLiteral("data"));
        QDir(m_home.path()).mkpath(QStringLiteral("machine"));
        qunsetenv("LC_MESSAGES");
        qunsetenv("LANG");
    }
    void TearDown() override
    {
        for (const auto& [name, value] : m_saved)
            value.isNull() ? qunsetenv(name) : qputenv(name, value);
        M_Rc::setRcOffset(m_savedOffset);
    }
    QString iniPath() const { return m_home.filePath(QStringLiteral("config/Ovra/Zorvik/zorvik.ini")); }
    QByteArray iniBytes() const
    {
        QFile f(iniPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeIni(const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(iniPath()).absolutePath());
        QFile f(iniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QTemporaryDir m_home;
    std::vector<std::pair<const char*, QByteArray>> m_saved;
    int m_savedOffset = 4000;
};
} // namespace

TEST_F(Startup, FirstStartWritesTheSettingsFileAndUsesTheLocale)
{
    ScopedDialogs d;
    qputenv("LC_ALL", "fr_FR.UTF-8");
    ASSERT_TRUE(MMain::Init());
    EXPECT_EQ(iniBytes(), QByteArray("[Settings]\r\nLCID=1036\r\n"));
    EXPECT_EQ(M_Rc::rcOffset(), 16000);
    EXPECT_EQ(MMain::iniFilePath(), iniPath());
    EXPECT_TRUE(d->messages.empty()) << "an ordinary first start shows no message";
    for (const QString& sub : {QStringLiteral("config"), QStringLiteral("data")}) {
        EXPECT_TRUE(QFileInfo(m_home.filePath(sub + QStringLiteral("/Ovra/Zorvik"))).isDir()) << qPrintable(sub);
    }
    EXPECT_EQ(MMain::dirProgram(M_File::LocalAppData), m_home.filePath(QStringLiteral("data/Ovra/Zorvik/")));
    // The folder all users share is made by the first write there, not by every start, and
    // then with no write permission for anyone but its owner.
    const QString machine = m_home.filePath(QStringLiteral("machine/Ovra"));
    EXPECT_FALSE(QFileInfo::exists(machine));
    ASSERT_EQ(MMain::dirProgramMake(M_File::CommonAppData), machine + QStringLiteral("/Zorvik/"));
    for (const QString& dir : {machine, machine + QStringLiteral("/Zorvik")}) {
        const QFileDevice::Permissions p = QFileInfo(dir).permissions();
        EXPECT_TRUE(p & QFileDevice::WriteOwner) << qPrintable(dir);
        EXPECT_FALSE(p & (QFileDevice::WriteGroup | QFileDevice::WriteOther)) << qPrintable(dir);
    }
    EXPECT_EQ(MMain::defaultDrawColor(), QColor(255, 255, 128));
    EXPECT_TRUE(MMain::dirTmp().endsWith(u'/'));
}

TEST_F(Startup, ASessionInALanguageWithoutTextsStartsInEnglishWithoutMessages)
{
    for (const char* locale : {"ko_KR.UTF-8", "th_TH.UTF-8"}) {
        ScopedDialogs d;
        QFile::remove(iniPath());
        qputenv("LC_ALL", locale);
        ASSERT_TRUE(MMain::Main()) << locale;
        QWidget* window = MMain::form(MMain::FrmMain);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(d->messages.empty()) << locale << ": " << qPrintable(d->messages[0].text);
        auto* file = window->findChild<QMenu*>(QStringLiteral("frmMain_File"));
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file->title(), QStringLiteral("&File")) << locale;
        EXPECT_EQ(file->actions().value(0)->text(), QStringLiteral("Open video")) << locale;
        EXPECT_TRUE(iniBytes().startsWith("[Settings]\r\nLCID=10")) << "the file keeps the session's locale";
        MMain::terminate();
    }
}

TEST_F(Startup, UnknownLocaleGivesEnglishAndTheFileIsNotRewritten)
{
    qputenv("LC_ALL", "de_DE.UTF-8");
    writeIni("[Settings]\r\nLCID=3084\r\n");
    const QDateTime before = QFileInfo(iniPath()).lastModified();
    ASSERT_TRUE(MMain::Init());
    EXPECT_EQ(M_Rc::rcOffset(), 4000);
    EXPECT_EQ(iniBytes(), QByteArray("[Settings]\r\nLCID=3084\r\n"));
    EXPECT_EQ(QFileInfo(iniPath()).lastModified(), before);
}

TEST_F(Startup, MissingKeyOrMinusOneFallsBackToTheUsersLocale)
{
    qputenv("LC_ALL", "es_ES.UTF-8");
    writeIni("[Settings]\r\n");
    ASSERT_TRUE(MMain::Init());
    EXPECT_EQ(M_Rc::rcOffset(), 24000);
    writeIni("[Settings]\r\nLCID=-1\r\n");
    qputenv("LC_ALL", "zh_CN.UTF-8");
    ASSERT_TRUE(MMain::Init());
    EXPECT_EQ(M_Rc::rcOffset(), 12000);
    EXPECT_EQ(iniBytes(), QByteArray("[Settings]\r\nLCID=-1\r\n"));
}

TEST_F(Startup, UnwritableSettingsFolderIsReportedAndStartGoesOn)
{
    ScopedDialogs d;
    qputenv("LC_ALL", "pt_PT.UTF-8");
    // A file where the Ovra folder should be: the folders cannot be made, the file not written.
    QFile blocker(m_home.filePath(QStringLiteral("config/Ovra")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ASSERT_TRUE(MMain::Init());
    EXPECT_EQ(M_Rc::rcOffset(), 8000) << "the user's locale still chooses the language";
    ASSERT_FALSE(d->messages.empty());
    EXPECT_TRUE(d->messages[0].text.startsWith(QStringLiteral("ERROR\r\nM_File.createDir(): ")));
}

TEST(UserLocale, PosixNamesMapToLocaleIdentifiers)
{
    EXPECT_EQ(posixLocaleToLcid(QStringLiteral("de_DE.UTF-8")), 1031);
    EXPECT_EQ(posixLocaleToLcid(QStringLiteral("fr_CA.UTF-8")), 3084);
    EXPECT_EQ(posixLocaleToLcid(QStringLiteral("pt_BR")), 1046);
    EXPECT_EQ(posixLocaleToLcid(QStringLiteral("zh_CN.GB18030")), 2052);
    EXPECT_EQ(posixLocaleToLcid(QStringLiteral("es_ES@euro")), 1034);
    EXPECT_EQ(posixLocaleToLcid(QStringLiteral("fr")), 1036);
    EXPECT_EQ(posixLocaleToLcid(QStringLiteral("fr_XX")), 1036);
    EXPECT_EQ(posixLocaleToLcid(QStringLiteral("C")), 0);
    EXPECT_EQ(posixLocaleToLcid(QStringLiteral("")), 0);
}

TEST(UserLocale, LcAllWinsOverLang)
{
    const QByteArray savedAll = qgetenv("LC_ALL"), savedLang = qgetenv("LANG");
    qputenv("LANG", "de_DE.UTF-8");
    qputenv("LC_ALL", "ko_KR.UTF-8");
    EXPECT_EQ(userDefaultLcid(), 1042);
    qunsetenv("LC_ALL");
    EXPECT_EQ(userDefaultLcid(), 1031);
    qputenv("LANG", "C.UTF-8");
    EXPECT_EQ(userDefaultLcid(), 1033);
    savedAll.isNull() ? qunsetenv("LC_ALL") : qputenv("LC_ALL", savedAll);
    savedLang.isNull() ? qunsetenv("LANG") : qputenv("LANG", savedLang);
}
