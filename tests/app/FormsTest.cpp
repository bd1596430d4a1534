#include "app/MMain.h"
#include "app/M_Rc.h"
#include "app/frmLng.h"
#include "mainwindow/frmMain.h"

#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// A started program (settings in a private home, English) whose forms are unloaded afterwards.
class Forms : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_savedConfig = qgetenv("XDG_CONFIG_HOME");
        m_savedAll = qgetenv("LC_ALL");
        qputenv("XDG_CONFIG_HOME", m_home.path().toLocal8Bit());
        qputenv("LC_ALL", "en_US.UTF-8");
        ASSERT_TRUE(MMain::Init());
        ASSERT_EQ(M_Rc::rcOffset(), 4000);
    }
    void TearDown() override
    {
        MMain::terminate();
        qputenv("XDG_CONFIG_HOME", m_savedConfig);
        m_savedAll.isNull() ? qunsetenv("LC_ALL") : qputenv("LC_ALL", m_savedAll);
        M_Rc::setRcOffset(4000);
    }
    QByteArray iniBytes() const
    {
        QFile f(MMain::iniFilePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    frmLng* languageDialog() { return qobject_cast<frmLng*>(MMain::loadForm(MMain::FrmLng)); }
    static int rowOf(QListWidget* list, const char* key)
    {
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->text() == QLatin1String(key))
                return i;
        return -1;
    }

    QTemporaryDir m_home;
    QByteArray m_savedConfig, m_savedAll;
};
} // namespace

TEST_F(Forms, LanguageListShowsSixFlagsWithTheCurrentOneSelected)
{
    frmLng* dlg = languageDialog();
    ASSERT_NE(dlg, nullptr);
    QListWidget* list = dlg->findChild<QListWidget*>(QStringLiteral("lvwLng"));
    ASSERT_NE(list, nullptr);
    QStringList keys;
    for (int i = 0; i < list->count(); ++i) {
        keys << list->item(i)->text();
        EXPECT_FALSE(list->item(i)->icon().isNull());
    }
    EXPECT_EQ(keys, (QStringList{"CHS", "DEU", "ENU", "FRA", "ESP", "PTG"}));
    EXPECT_EQ(list->currentItem()->text(), QStringLiteral("ENU"));
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Language"));
}

TEST_F(Forms, ApplyingPortugueseWritesTheSettingAndRetextsOpenForms)
{
    ScopedDialogs d;
    QWidget* main = MMain::loadForm(MMain::FrmMain);
    ASSERT_NE(main, nullptr);
    frmLng* dlg = languageDialog();
    QListWidget* list = dlg->lvwLng();
    list->setCurrentRow(rowOf(list, "PTG"));
    dlg->findChild<QPushButton*>(QStringLiteral("btnApply"))->click();

    EXPECT_EQ(iniBytes(), QByteArray("[Settings]\r\nLCID=2070\r\n"));
    EXPECT_EQ(M_Rc::rcOffset(), 8000);
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Idioma"));
    EXPECT_EQ(dlg->findChild<QPushButton*>(QStringLiteral("btnCancel"))->text(), QStringLiteral("Cancelar"));
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Ovra Zorvik")) << "the main window's title is fixed";
    EXPECT_TRUE(d->messages.empty());
}

TEST_F(Forms, ApplyingTheActiveLanguageWritesNothing)
{
    frmLng* dlg = languageDialog();
    ASSERT_TRUE(QFile::remove(MMain::iniFilePath()));
    dlg->findChild<QPushButton*>(QStringLiteral("btnApply"))->click();
    EXPECT_FALSE(QFile::exists(MMain::iniFilePath()));
    EXPECT_EQ(M_Rc::rcOffset(), 4000);
}

TEST_F(Forms, CancelDiscardsOkAppliesAndCloses)
{
    frmLng* dlg = languageDialog();
    QListWidget* list = dlg->lvwLng();
    dlg->show();
    list->setCurrentRow(rowOf(list, "DEU"));
    dlg->findChild<QPushButton*>(QStringLiteral("btnCancel"))->click();
    EXPECT_EQ(M_Rc::rcOffset(), 4000);
    EXPECT_EQ(iniBytes(), QByteArray("[Settings]\r\nLCID=1033\r\n"));
    EXPECT_FALSE(dlg->isVisible());

    dlg->show();
    list->setCurrentRow(rowOf(list, "CHS"));
    dlg->findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
    EXPECT_EQ(M_Rc::rcOffset(), 12000);
    EXPECT_EQ(iniBytes(), QByteArray("[Settings]\r\nLCID=2052\r\n"));
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("语言"));
}

TEST_F(Forms, ClosingTheMainWindowAsksAndUnloadsTheDialogs)
{
    ScopedDialogs d;
    QWidget* main = MMain::loadForm(MMain::FrmMain);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->size(), QSize(910, 700));
    main->show();
    ASSERT_NE(languageDialog(), nullptr);

    d->messageAnswers.push_back(MsgBox::No);
    EXPECT_FALSE(main->close());
    EXPECT_TRUE(main->isVisible());
    ASSERT_EQ(d->messages.size(), 1u);
    EXPECT_EQ(d->messages[0].text, QStringLiteral("Do you really want to exit?"));
    EXPECT_EQ(d->messages[0].style, MsgBox::YesNo | MsgBox::Exclamation);
    EXPECT_EQ(d->messages[0].caption, QStringLiteral("Zorvik"));
    EXPECT_NE(MMain::form(MMain::FrmLng), nullptr);

    d->messageAnswers.push_back(MsgBox::Yes);
    EXPECT_TRUE(main->close());
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(MMain::form(MMain::FrmLng), nullptr) << "the other forms are unloaded";
    EXPECT_EQ(MMain::form(MMain::FrmMain), main) << "the main window itself is left to its owner";
}

TEST_F(Forms, TheMainWindowFollowsALanguageChange)
{
    auto* main = qobject_cast<frmMain*>(MMain::loadForm(MMain::FrmMain));
    ASSERT_NE(main, nullptr);
    M_Rc::setRcOffset(16000);
    MMain::frms_setRcStr(); // every loaded form: texts, then layout
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Ovra Zorvik"));
    frmLng* dlg = languageDialog();
    MMain::frms_setRcStr();
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Langue"));
}
