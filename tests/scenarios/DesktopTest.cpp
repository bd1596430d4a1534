// What a desktop program is expected to do: files dropped on the window open as from the open
// dialog, the empty view area says how to begin, and the Help menu's pages show.
#include "support/FixtureRecipes.h"
#include "support/Scenario.h"

#include "dialogs/TextWindow.h"
#include "components/viewer/OvVView.h"
#include "mainwindow/StatusLine.h"
#include "mainwindow/WindowPlacement.h"
#include "components/media/DemoClips.h"
#include "mainwindow/frmMain.h"
#include "support/TestPaths.h"
#include "app/M_Ini.h"
#include "app/MMain.h"
#include "view/CVw.h"
#include "view/ViewMouse.h"
#include "viewcontroller/CVwCtrl.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QTest>
#include <QLabel>
#include <QFileInfo>
#include <QMimeData>
#include <QRegularExpression>
#include <QTextDocument>
#include <QUrl>
#include <QWheelEvent>

namespace {
// A drag enters the widget with the URLs and is dropped there if accepted; whether it was.
bool dropOn(QWidget* onto, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = onto->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(onto, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(onto, &drop);
    return drop.isAccepted();
}

void wheel(QWidget* w, QPoint at, int notches, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QWheelEvent e(QPointF(at), QPointF(w->mapToGlobal(at)), QPoint(), QPoint(0, notches * QWheelEvent::DefaultDeltasPerStep),
                  Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}
} // namespace

TEST_F(Scenario, DroppedFilesOpenAndTheEmptyAreaSaysHow)
{
    auto* hint = window().findChild<QLabel*>(QStringLiteral("frmMain_lblEmptyHint"));
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->text().simplified(), QStringLiteral("Drop videos or an analysis here or use File > Open video"));
    EXPECT_EQ(hint->geometry(), ctrl().panel()->geometry());

    // What is not a local file is refused at the door.
    EXPECT_FALSE(dropOn(hint, {QUrl(QStringLiteral("https://example.org/a.mp4"))}));

    // Two videos dropped on the hint open in two views, through the window that takes drops.
    const QString a = clip(QStringLiteral("drop-a.mkv"));
    const QString b = clip(QStringLiteral("drop-b.mkv"));
    ASSERT_TRUE(dropOn(hint, {QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)}));
    ASSERT_TRUE(waitFor([&] { return numViews() == 2; }));
    EXPECT_EQ(view(1)->m_AviFileName, b);
    EXPECT_FALSE(hint->isVisible());

    // One video dropped on a view replaces the view's after asking (Yes), opens beside it (No),
    // or nothing happens (Cancel); the question names what would be lost with the view.
    click(view(0)->viewer());
    key(Qt::Key_K);
    ASSERT_TRUE(view(0)->holdsWork());
    const QString c = clip(QStringLiteral("drop-c.mkv"));
    CVw* second = view(1);
    dialogs->messageAnswers.push_back(MsgBox::Cancel);
    ASSERT_TRUE(dropOn(view(0)->panel(), {QUrl::fromLocalFile(c)}));
    ASSERT_TRUE(waitFor([&] { return dialogs->messages.size() == 1; }));
    const QString asked = dialogs->messages[0].text;
    EXPECT_TRUE(asked.contains(QStringLiteral("(drop-a.mkv) with drop-c.mkv")) && asked.contains(QStringLiteral("markers")))
        << qPrintable(asked);
    EXPECT_EQ(view(0)->m_AviFileName, a);
    dialogs->messageAnswers.push_back(MsgBox::Yes);
    ASSERT_TRUE(dropOn(view(0)->panel(), {QUrl::fromLocalFile(c)}));
    ASSERT_TRUE(waitFor([&] { return view(0)->m_AviFileName == c; }));
    EXPECT_EQ(numViews(), 2);
    EXPECT_EQ(view(1), second);
    EXPECT_FALSE(view(0)->holdsWork());
    dialogs->messageAnswers.push_back(MsgBox::No);
    ASSERT_TRUE(dropOn(view(1)->panel(), {QUrl::fromLocalFile(a)}));
    ASSERT_TRUE(waitFor([&] { return numViews() == 3; }));
    EXPECT_EQ(view(2)->m_AviFileName, a);
    EXPECT_EQ(dialogs->messages.size(), 3u);

    // With every view closed the hint is back: Ctrl+W closes the selected views, and with none
    // selected the focused one.
    for (int left = 2; left > 0 && numViews() > 0; --left) {
        key(Qt::Key_W, Qt::ControlModifier);
        settle();
    }
    ASSERT_EQ(numViews(), 0);
    EXPECT_TRUE(hint->isVisible());
}

// A mix's source replaced by a drop: the mix goes on from the new video beside the other
// source, into the same output.
TEST_F(Scenario, ADroppedVideoTakesThePlaceOfAMixSource)
{
    open({clip(QStringLiteral("drop-a.mkv")), clip(QStringLiteral("drop-b.mkv"))});
    click(toolButton("chkTbMainMix"));
    ASSERT_EQ(ctrl().m_VidOp, 1);
    const CVw* output = view(ctrl().m_VwIdxOp);
    ASSERT_NE(output, nullptr);
    const QString c = clip(QStringLiteral("drop-c.mkv"));
    dialogs->messageAnswers.push_back(MsgBox::Yes);
    ASSERT_TRUE(dropOn(view(0)->panel(), {QUrl::fromLocalFile(c)}));
    ASSERT_TRUE(waitFor([&] { return view(0)->m_AviFileName == c; }));
    EXPECT_EQ(numViews(), 3);
    EXPECT_EQ(ctrl().numVwsSrc(), 2);
    EXPECT_EQ(ctrl().m_VidOp, 1);
    EXPECT_EQ(view(ctrl().m_VwIdxOp), output);
}

TEST_F(Scenario, HelpShowsQuickStartShortcutsAndVersions)
{
    const auto page = [&](const char* name) {
        auto* w = window().findChild<TextWindow*>(QLatin1String(name));
        if (!w || !w->isVisible())
            return QString();
        QTextDocument doc;
        doc.setHtml(w->html());
        return doc.toPlainText();
    };
    // F1 opens the quick start, in the interface language.
    key(Qt::Key_F1);
    EXPECT_TRUE(page("frmHelpQuickStart").contains(QStringLiteral("File > Open video (Ctrl+O)")));
    // Escape closes the page it is pressed on (the main window's own Escape does not take it).
    auto* quick = window().findChild<TextWindow*>(QStringLiteral("frmHelpQuickStart"));
    ASSERT_NE(quick, nullptr);
    quick->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(quick));
    QTest::keyClick(quick->windowHandle(), Qt::Key_Escape);
    settle(0);
    EXPECT_TRUE(page("frmHelpQuickStart").isEmpty()) << "still open after Escape";

    // The shortcuts page lists the keys the menus carry: one row per key, a few checked by name.
    ASSERT_TRUE(menuBar({QStringLiteral("Help"), QStringLiteral("Keyboard shortcuts")}));
    const QString keys = page("frmHelpShortcuts");
    for (const char* row : {"Play / Pause\nSpace", "Set keyframe\nK", "Full screen\nF11", "Save analysis\nCtrl+S",
                            "Quick start\nF1"})
        EXPECT_TRUE(keys.contains(QLatin1String(row))) << row << " in\n" << qPrintable(keys);
    EXPECT_FALSE(keys.contains(QLatin1Char('&'))) << "menu mnemonics are not shown";

    // Showing a page again raises the one open; About names the version and the libraries.
    ASSERT_TRUE(menuBar({QStringLiteral("Help"), QStringLiteral("Keyboard shortcuts")}));
    EXPECT_EQ(window().findChildren<TextWindow*>(QStringLiteral("frmHelpShortcuts")).size(), 1);
    ASSERT_TRUE(menuBar({QStringLiteral("Help"), QStringLiteral("About Zorvik")}));
    const QString about = page("frmHelpAbout");
    EXPECT_TRUE(about.contains(QRegularExpression(QStringLiteral("Version \\d+\\.\\d+\\.\\d+")))) << qPrintable(about);
    EXPECT_TRUE(about.contains(QStringLiteral("Uses Qt ") + QLatin1String(qVersion()))) << qPrintable(about);
    EXPECT_TRUE(about.contains(QStringLiteral("Uses FFmpeg "))) << qPrintable(about);
}

// The status bar reads the frame and time of the view, and where the pointer is on its picture
// in pixels and, once calibrated, in metres from the reference line's start with y up.
TEST_F(Scenario, TheStatusBarReadsFrameTimeAndThePointersPlace)
{
    open({demoClip("ball.mkv")});
    CVw* v = view(0);
    ASSERT_NE(v, nullptr);
    StatusLine* status = window().statusLine();
    ASSERT_TRUE(status && status->isVisible());
    EXPECT_GE(status->geometry().top(), window().client()->geometry().bottom()) << "the views leave it room";
    const QString last = QString::number(DemoClips::kFrames - 1);
    EXPECT_EQ(status->frameText(), QStringLiteral("Frame 0 / ") + last);
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    EXPECT_EQ(status->frameText(), QStringLiteral("Frame 2 / ") + last);
    EXPECT_EQ(status->timeText(), QStringLiteral("0.040 s"));

    // Numbers of the pointer's line, in order.
    const auto numbers = [status] {
        std::vector<double> found;
        auto it = QRegularExpression(QStringLiteral("-?\\d+(\\.\\d+)?")).globalMatch(status->pointerText());
        while (it.hasNext())
            found.push_back(it.next().captured().toDouble());
        return found;
    };
    const auto pointTo = [&](QPointF p) { QTest::mouseMove(v->viewer(), ViewMouse::at(v->viewer(), p)); settle(0); };
    pointTo({300.5, 100.5});
    ASSERT_EQ(numbers().size(), 2u) << qPrintable(status->pointerText());
    EXPECT_NEAR(numbers()[0], 300, 1);
    EXPECT_NEAR(numbers()[1], 100, 1);
    EXPECT_TRUE(status->pointerText().endsWith(QStringLiteral("px")));

    // 1 m over 250 px from (300, 200): a point 125 px right and 50 px up lies at (0.5 m, 0.2 m).
    calibrate(v, {300, 200}, {550, 200}, QStringLiteral("1"));
    pointTo({425.5, 150.5});
    const std::vector<double> n = numbers();
    ASSERT_EQ(n.size(), 4u) << qPrintable(status->pointerText());
    EXPECT_NEAR(n[2], 0.5, 0.01);
    EXPECT_NEAR(n[3], 0.2, 0.01);
    EXPECT_TRUE(status->pointerText().endsWith(QStringLiteral(" m")));

    // Off the picture the place is gone; the frame stays.
    QTest::mouseMove(status, status->rect().center());
    settle(0);
    EXPECT_TRUE(status->pointerText().isEmpty()) << qPrintable(status->pointerText());
    EXPECT_EQ(status->frameText(), QStringLiteral("Frame 2 / ") + last);
}

TEST_F(Scenario, WheelZoomsAroundThePointerMiddleDragPansAndCtrlWheelSteps)
{
    open({clip(QStringLiteral("wheel.mkv"))});
    OvVView* v = view(0)->viewer();
    const int fit = v->zoom();
    // Off-centre, notch after notch from the fitted picture, the pointer resting: the point it
    // first grabbed comes to lie under it wherever the picture overflows the view far enough
    // (a still centred picture, or one whose edge would come into view, cannot hold it).
    const QPoint pointer = v->mapToGlobal(QPoint(v->width() / 5, v->height() * 3 / 4));
    const QPointF grabbed = v->mapping().toPicture(QPointF(v->mapFromGlobal(pointer)));
    for (int notches : {1, 2, 2, 2, 2, 2, 1, -1}) {
        const int z = v->zoom();
        wheel(v, v->mapFromGlobal(pointer), notches);
        ASSERT_NE(v->zoom(), z);
        const QPointF under = v->mapping().toPicture(QPointF(v->mapFromGlobal(pointer)));
        const PictureMapping m = v->mapping();
        if (m.offsetX > 0 && m.offsetX < m.scaled.width() - v->width()) {
            EXPECT_NEAR(under.x(), grabbed.x(), 1.0) << notches;
        }
        if (m.offsetY > 0 && m.offsetY < m.scaled.height() - v->height()) {
            EXPECT_NEAR(under.y(), grabbed.y(), 1.0) << notches;
        }
    }
    EXPECT_GT(v->zoom(), fit * 2);
    ASSERT_GT(v->mapping().scaled.width(), view(0)->frame()->width()) << "the picture never overflowed";
    const QPoint at = v->mapFromGlobal(pointer);
    // A middle drag moves the picture with the pointer (the point grabbed stays under it) and
    // draws nothing, whatever the tool.
    const QPointF held = v->mapping().toPicture(QPointF(at));
    const QPoint to = at + QPoint(-40, -25);
    ViewMouse::press(v, at, Qt::MiddleButton);
    ViewMouse::send(v, QEvent::MouseMove, to, Qt::NoButton, Qt::MiddleButton);
    ViewMouse::send(v, QEvent::MouseButtonRelease, to, Qt::MiddleButton, Qt::NoButton);
    const QPointF dropped = v->mapping().toPicture(QPointF(to));
    EXPECT_NEAR(dropped.x(), held.x(), 1.0);
    EXPECT_NEAR(dropped.y(), held.y(), 1.0);
    EXPECT_EQ(view(0)->graphObj_count(), 0);

    // With Ctrl the wheel steps frames and leaves the zoom.
    const int z = v->zoom();
    wheel(v, at, 2, Qt::ControlModifier);
    EXPECT_EQ(v->currentFrame(), 2);
    wheel(v, at, -1, Qt::ControlModifier);
    EXPECT_EQ(v->currentFrame(), 1);
    EXPECT_EQ(v->zoom(), z);
}

// A double click enlarges a view to the whole grid, above the others, which keep their cells;
// another gives it its cell back. With a tool chosen the clicks on the picture are the tool's.
TEST_F(Scenario, ADoubleClickEnlargesAViewAndBringsItBack)
{
    open({clip(QStringLiteral("big-a.mkv")), clip(QStringLiteral("big-b.mkv"))});
    ASSERT_EQ(numViews(), 2);
    QWidget* grid = ctrl().panel();
    const QRect cellA = view(0)->panel()->geometry();
    const QRect cellB = view(1)->panel()->geometry();
    doubleClick(view(1)->viewer());
    EXPECT_EQ(view(1)->panel()->geometry(), grid->rect());
    EXPECT_EQ(view(0)->panel()->geometry(), cellA);
    EXPECT_TRUE(view(1)->panel()->isAncestorOf(grid->childAt(cellA.center())));

    tool("chkTbMainDraw", "chkTbDrawCross");
    doubleClick(view(1)->viewer());
    EXPECT_EQ(view(1)->graphObj_count(), 2);
    EXPECT_EQ(view(1)->panel()->geometry(), grid->rect());
    key(Qt::Key_Escape); // puts the tool away
    doubleClick(view(1)->viewer());
    EXPECT_EQ(view(1)->panel()->geometry(), cellB);

    // Beside the picture too; a view that comes into the grid is to be seen, so the enlarged
    // one gives its place back.
    doubleClick(view(0)->panel(), QPoint(2, view(0)->panel()->height() / 2));
    ASSERT_EQ(view(0)->panel()->geometry(), grid->rect());
    click(toolButton("chkTbMainDraw")); // the drawing bar goes, the Open button is back
    open({clip(QStringLiteral("big-c.mkv"))});
    ASSERT_EQ(numViews(), 3);
    EXPECT_NE(view(0)->panel()->geometry(), grid->rect());
}

// The window's place and size come back in the next session, maximised as it was; a place no
// screen shows is not taken back. The open dialog starts in the folder last chosen, and the
// drawing colour and line width are those chosen last.
TEST_F(Scenario, PlaceSizeLastFolderAndToolsAreKept)
{
    const QString ini = TestPaths::scratchDir() + QStringLiteral("/placement.ini");
    QWidget before;
    before.setGeometry(40, 30, 700, 500);
    WindowPlacement::remember(before, ini);
    QWidget after;
    ASSERT_TRUE(WindowPlacement::restore(after, ini));
    EXPECT_EQ(after.geometry(), QRect(40, 30, 700, 500));
    EXPECT_FALSE(after.windowState() & Qt::WindowMaximized);

    before.showMaximized();
    ASSERT_TRUE(waitFor([&] { return before.isMaximized(); }));
    WindowPlacement::remember(before, ini);
    QWidget maximised;
    ASSERT_TRUE(WindowPlacement::restore(maximised, ini));
    EXPECT_TRUE(maximised.windowState() & Qt::WindowMaximized);
    EXPECT_EQ(maximised.geometry(), QRect(40, 30, 700, 500)) << "the place to go back to";

    M_Ini::str_set(QStringLiteral("Window"), QStringLiteral("Left"), QStringLiteral("-90000"), ini);
    QWidget offScreen;
    EXPECT_FALSE(WindowPlacement::restore(offScreen, ini));

    // The real window keeps its own, through the settings file.
    window().setGeometry(50, 40, 1000, 700);
    WindowPlacement::remember(window(), MMain::iniFilePath());
    EXPECT_EQ(M_Ini::num_get(QStringLiteral("Window"), QStringLiteral("Width"), 0, MMain::iniFilePath()), 1000);

    const QString a = clip(QStringLiteral("folder-a.mkv"));
    open({a});
    dialogs->fileAnswers.push_back({});
    click(toolButton("chkTbMainOpen"));
    ASSERT_FALSE(dialogs->fileRequests.empty());
    EXPECT_EQ(dialogs->fileRequests.back().initialFolder, QFileInfo(a).absolutePath());

    click(toolButton("chkTbMainDraw"));
    dialogs->colorAnswers.push_back(QColor(10, 200, 30));
    click(toolButton("chkTbDrawLineColor"));
    ASSERT_TRUE(contextMenu(toolButton("chkTbDrawLineWidth"), {QStringLiteral("5")}, {}, Qt::LeftButton));
    ASSERT_EQ(ctrl().m_LineWidth, 5);
    restart();
    EXPECT_EQ(ctrl().m_DrwColor, QColor(10, 200, 30));
    EXPECT_EQ(ctrl().m_LineWidth, 5);
    // A settings file edited by hand into nonsense gives the defaults back.
    M_Ini::str_set(QStringLiteral("Tools"), QStringLiteral("Colour"), QStringLiteral("no colour"), MMain::iniFilePath());
    M_Ini::str_set(QStringLiteral("Tools"), QStringLiteral("LineWidth"), QStringLiteral("40"), MMain::iniFilePath());
    restart();
    EXPECT_EQ(ctrl().m_DrwColor, MMain::defaultDrawColor());
    EXPECT_EQ(ctrl().m_LineWidth, 1);
}
