#pragma once

// What the main window tests share: a shown main window with scripted dialogs, its controls found
// by their identities, and small pattern clips to open in it.

#include "app/MMain.h"
#include "app/M_Rc.h"
#include "components/media/FixtureWriter.h"
#include "mainwindow/frmMain.h"
#include "support/FixtureRecipes.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPaths.h"
#include "view/CVw.h"
#include "viewcontroller/CVwCtrl.h"

#include <QAction>
#include <QDir>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <map>
#include <memory>

extern "C" {
#include <libavutil/log.h>
}

namespace MainWindowFixture {

// A lossless clip written once per run under `name`.
inline QString clip(const QString& name, int frames = 8)
{
    return FixtureRecipes::writtenOnce(QStringLiteral("mainwindow"), name, FixtureRecipes::lossless(96, 64, frames));
}

// The run-time control whose identity is "frmMain_<role>_<n>"; null unless exactly one exists.
template <typename T = QWidget>
T* control(const QObject* root, const QString& role)
{
    const QRegularExpression identity(QStringLiteral("^frmMain_%1_\\d+$").arg(role));
    const QList<T*> found = root->findChildren<T*>(identity);
    return found.size() == 1 ? found.front() : nullptr;
}

// The running number at the end of an identity.
inline int idNumber(const QString& identity) { return identity.section(u'_', -1).toInt(); }

// A shown main window in English with a fresh set of scripted dialogs; the window goes without
// the closing question at the end.
class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The start module's state (folders, default drawing colour) as the program has it
        // before it makes its main window.
        ASSERT_TRUE(MMain::vars_init());
        TestPaths::forgetSession();
        M_Rc::setRcOffset(4000);
        window = std::make_unique<frmMain>();
        window->show();
        loadMessages = dialogs->messages.size();
        dialogs->messages.clear();
    }
    void TearDown() override { window.reset(); }

    CVwCtrl& ctrl() { return *window->vwCtrl(); }
    QToolButton* button(const char* role) { return control<QToolButton>(window.get(), QLatin1String(role)); }
    QWidget* widget(const char* role) { return control<QWidget>(window.get(), QLatin1String(role)); }
    QAction* item(const char* suffix)
    {
        return window->findChild<QAction*>(QStringLiteral("frmMain") + QLatin1String(suffix));
    }
    void click(const char* role)
    {
        QToolButton* b = button(role);
        ASSERT_NE(b, nullptr) << role;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    // Opens the clips through the Open button, the file dialog answering with their paths.
    void openClips(const QStringList& names)
    {
        QStringList paths;
        for (const QString& name : names)
            paths << clip(name);
        dialogs->fileAnswers.push_back(paths);
        click("chkTbMainOpen");
    }
    // The picture check buttons of the three tool bars.
    QList<QToolButton*> buttons()
    {
        return window->findChildren<QToolButton*>(QRegularExpression(QStringLiteral("^frmMain_chk\\w+_\\d+$")));
    }
    // The roles of the tool buttons that show as pressed.
    QStringList pressed()
    {
        QStringList roles;
        for (QToolButton* b : buttons())
            if (b->isChecked())
                roles << b->objectName().section(u'_', 1, 1);
        roles.sort();
        return roles;
    }

    ScopedDialogs dialogs;
    std::unique_ptr<frmMain> window;
    size_t loadMessages = 0;
};

} // namespace MainWindowFixture
