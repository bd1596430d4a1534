#include "app/MMain.h"
#include "app/M_GUI.h"
#include "app/M_Rc.h"
#include "app/frmLng.h"
#include "dialogs/frmPrpVidMix.h"
#include "dialogs/frmPrpVidStrobo.h"
#include "mainwindow/frmMain.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"

#include "support/FixtureRecipes.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>
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
        return M_GUI::lstItemsUni_key2idx(list, QLatin1String(key)) - 1;
    }
    // Picks the language in the shown dialog with the mouse, then presses one of its buttons.
    static void choose(frmLng* dlg, const char* key, const char* buttonName)
    {
        QListWidget* list = dlg->lvwLng();
        const QRect item = list->visualItemRect(list->item(rowOf(list, key)));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
        QTest::mouseClick(dlg->findChild<QPushButton*>(QLatin1String(buttonName)), Qt::LeftButton);
    }

    QTemporaryDir m_home;
    QByteArray m_savedConfig, m_savedAll;
};
} // namespace

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
    EXPECT_EQ(main->windowTitle().remove(QStringLiteral("[*]")), QStringLiteral("Ovra Zorvik")) << "the main window's title is fixed";
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

TEST_F(Forms, CancelForgetsTheChoiceOkAppliesAndCloses)
{
    frmLng* dlg = languageDialog();
    QListWidget* list = dlg->lvwLng();
    for (const char* closing : {"cancel", "escape"}) {
        dlg->show();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(rowOf(list, "DEU"))).center());
        if (qstrcmp(closing, "cancel") == 0)
            QTest::mouseClick(dlg->findChild<QPushButton*>(QStringLiteral("btnCancel")), Qt::LeftButton);
        else
            QTest::keyClick(list, Qt::Key_Escape);
        EXPECT_FALSE(dlg->isVisible()) << closing;
        EXPECT_EQ(M_Rc::rcOffset(), 4000) << closing;
        EXPECT_EQ(iniBytes(), QByteArray("[Settings]\r\nLCID=1033\r\n")) << closing;
        // Opened again, the dialog shows the language in use, so OK changes nothing.
        dlg->show();
        EXPECT_EQ(list->currentItem()->text(), QStringLiteral("English")) << closing;
        QTest::mouseClick(dlg->findChild<QPushButton*>(QStringLiteral("btnOK")), Qt::LeftButton);
        EXPECT_EQ(M_Rc::rcOffset(), 4000) << closing;
    }

    dlg->show();
    choose(dlg, "CHS", "btnOK");
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

// Through the language dialog, in every language: the main window's menu titles all show in
// its bar (none behind the bar's overflow arrow), and an open parameter dialog takes the texts
// with labels wide enough for them.
TEST_F(Forms, EveryLanguageShowsEveryMenuTitleAndWholeDialogLabels)
{
    ScopedDialogs d;
    auto* main = qobject_cast<frmMain*>(MMain::loadForm(MMain::FrmMain));
    ASSERT_NE(main, nullptr);
    main->show();
    const QString clip = FixtureRecipes::writtenOnce(QStringLiteral("forms"), QStringLiteral("one.mkv"),
                                                     FixtureRecipes::lossless(96, 64, 4));
    main->openFiles({clip});
    frmLng* dlg = languageDialog();
    dlg->show();
    auto* bar = main->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    for (const char* op : {"chkTbMainStrobo", "chkTbMainMix"}) {
        const QRegularExpression identity(QStringLiteral("^frmMain_%1_\\d+$").arg(QLatin1String(op)));
        const QList<QToolButton*> button = main->findChildren<QToolButton*>(identity);
        ASSERT_EQ(button.size(), 1) << op;
        QTest::mouseClick(button.front(), Qt::LeftButton);
        QWidget* params = main->vwCtrl()->mixDialog() ? static_cast<QWidget*>(main->vwCtrl()->mixDialog())
                                                      : static_cast<QWidget*>(main->vwCtrl()->stroboDialog());
        ASSERT_NE(params, nullptr) << op;
        for (const char* key : {"CHS", "DEU", "PTG", "FRA", "ESP", "ENU"}) {
            choose(dlg, key, "btnApply");
            ASSERT_EQ(M_Rc::rcOffset2nlsKey(M_Rc::rcOffset()), QLatin1String(key));
            for (QAction* menu : bar->actions()) {
                const QRect title = bar->actionGeometry(menu);
                EXPECT_TRUE(!title.isEmpty() && bar->rect().contains(title)) << key << " " << qPrintable(menu->text());
            }
            for (const QLabel* l : params->findChildren<QLabel*>()) {
                const QRect shown = QRect(l->mapTo(params, QPoint(0, 0)), l->size()) & l->parentWidget()->geometry()
                                    & params->rect();
                EXPECT_GE(shown.width(), l->fontMetrics().horizontalAdvance(l->text()))
                    << op << " " << key << " " << qPrintable(l->objectName()) << " " << qPrintable(l->text());
            }
        }
    }
    EXPECT_TRUE(d->messages.empty());
}
