#pragma once

// The user's path through the real program: the real main window with its real pop-up menus,
// driven by mouse and key events that enter through the window system as a user's do. Only
// message boxes and file dialogs answer from the script (ScriptedDialogs).

#include "support/ScriptedDialogs.h"

#include <QPoint>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

class CVw;
class CVwCtrl;
class QMenu;
class QWidget;
class frmMain;

class Scenario : public ::testing::Test {
public:
    Scenario();
    ~Scenario() override;

protected:
    void SetUp() override;
    void TearDown() override;

    // A lossless clip of numbered 160 x 120 frames at 25 per second, written once per run.
    static QString clip(const QString& name, int frames = 100);
    // A demo clip ("ball.mkv", "pendulum.mkv"), written once per run.
    static QString demoClip(const char* name);

    frmMain& window() { return *m_window; }
    // The program ends (without questions) and starts again with the same settings file.
    void restart();
    CVwCtrl& ctrl();
    CVw* view(int idx);
    int numViews();

    // The main window's tool button of that role ("chkTbMainSplit"); null unless exactly one.
    QWidget* toolButton(const char* role);
    // A control of the view's time line by role ("picPlay", "ovTL"); null unless exactly one.
    static QWidget* timeLineControl(CVw* vw, const char* role);
    // Waits (running the event loop) until the condition holds or `ms` have passed.
    static bool waitFor(const std::function<bool()>& condition, int ms = 5000);

    // Opens the files through the Open button, the file dialog answering with their paths.
    void open(const QStringList& paths);

    // Right-clicks the widget at `at` (its centre when null; or clicks it with `button`) and picks
    // the entries of `path` in the menu it pops up by their visible text, opening sub-menus on the
    // way; false when an entry was not there or was disabled (the menu is then closed with Escape).
    bool contextMenu(QWidget* w, const QStringList& path, QPoint at = {}, Qt::MouseButton button = Qt::RightButton);
    // Opens a menu of the menu bar by its title and picks an entry by its text.
    bool menuBar(const QStringList& path);

    void click(QWidget* w, QPoint at = {}, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers mods = Qt::NoModifier);
    void doubleClick(QWidget* w, QPoint at = {});
    void press(QWidget* w, QPoint at, Qt::MouseButton button = Qt::LeftButton);
    void release(QWidget* w, QPoint at, Qt::MouseButton button = Qt::LeftButton);
    // Press, moves along the straight way, release: left button.
    void drag(QWidget* w, QPoint from, QPoint to, int steps = 4);
    // Picks a tool: its tool bar's button first when the bar is hidden ("chkTbMainMeasure",
    // "chkTbMeasureDist").
    void tool(const char* bar, const char* role);
    // A click and a drag on a view's picture at picture points.
    void clickAt(CVw* vw, QPointF p);
    void dragAt(CVw* vw, QPointF from, QPointF to);
    // Picks the distance tool, which asks for a calibration first (answered Yes): `length`
    // metres, square pixels, on the line drawn from `from` to `to`.
    void calibrate(CVw* vw, QPointF from, QPointF to, const QString& length);
    // A key press and release at the window's focus widget.
    void key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier);
    // Runs the event loop for `ms`, deferred deletions included.
    static void settle(int ms = 20);

    // The entries of the last menu looked at (with a path that ends on a sub-menu, that
    // sub-menu's): "text" or "[x] text" when ticked, "(text)" when disabled, "text >" for a sub-menu.
    QStringList lastMenuEntries() const { return m_lastEntries; }

    ScopedDialogs dialogs;

private:
    struct Pick {
        int done = 0;     // entries picked so far
        int waited = 0;   // ms waited for the present menu
        bool over = false;
        QMenu* opened = nullptr; // the sub-menu the last entry picked opens
    };
    void makeWindow();
    // Arms a timer that picks `path` in whatever menu pops up next.
    void pickLater(const QStringList& path, std::shared_ptr<Pick> pick);

    std::unique_ptr<frmMain> m_window;
    QStringList m_lastEntries;
};
