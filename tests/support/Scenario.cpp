#include "support/Scenario.h"
#include "support/FixtureRecipes.h"
#include "support/TestPaths.h"
#include "components/media/DemoClips.h"

#include "app/MMain.h"
#include "app/M_Rc.h"
#include "mainwindow/frmMain.h"
#include "view/CVw.h"
#include "view/ViewMouse.h"
#include "viewcontroller/CVwCtrl.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <functional>

namespace {

constexpr int kMenuWaitMs = 3000;
constexpr int kPollMs = 10;

QString visible(const QString& text) { return QString(text).remove(u'&').section(u'\t', 0, 0); }

// Where a widget's point lies in its top-level window, and that window's handle.
QWindow* windowOf(QWidget* w, QPoint& at)
{
    if (at.isNull())
        at = w->rect().center();
    QWidget* top = w->window();
    at = w->mapTo(top, at);
    return top->windowHandle();
}

QStringList describe(const QMenu& menu)
{
    QStringList entries;
    for (QAction* a : menu.actions()) {
        if (a->isSeparator() || !a->isVisible())
            continue;
        QString text = visible(a->text());
        if (a->menu())
            text += QStringLiteral(" >");
        if (a->isChecked())
            text = QStringLiteral("[x] ") + text;
        if (!a->isEnabled())
            text = u'(' + text + u')';
        entries << text;
    }
    return entries;
}

QAction* entry(const QMenu& menu, const QString& text)
{
    for (QAction* a : menu.actions())
        if (a->isVisible() && !a->isSeparator() && visible(a->text()) == text)
            return a;
    return nullptr;
}

// For a while after a menu's last pick, closes any menu that comes up by itself, so a test
// sees it counted rather than waits on it.
int g_picks = 0; // counts the picks begun, so a guard ends when the next pick begins

void closeStrayMenus(int generation, int left = 100)
{
    if (generation != g_picks)
        return;
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    if (left > 0)
        QTimer::singleShot(kPollMs, [generation, left] { closeStrayMenus(generation, left - 1); });
}

void clickIn(QWidget* w, QPoint at)
{
    QWindow* win = windowOf(w, at);
    QTest::mouseMove(win, at);
    QTest::mouseClick(win, Qt::LeftButton, Qt::NoModifier, at);
}

} // namespace

Scenario::Scenario() = default;
Scenario::~Scenario() = default;

void Scenario::SetUp()
{
    ASSERT_TRUE(MMain::vars_init());
    TestPaths::forgetSession();
    M_Rc::setRcOffset(4000);
    dialogs->realMenus = true;
    makeWindow();
}

void Scenario::makeWindow()
{
    m_window = std::make_unique<frmMain>();
    m_window->resize(1200, 800);
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    m_window->activateWindow(); // the window's shortcuts work in the active window only
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    dialogs->messages.clear();
}

void Scenario::restart()
{
    m_window.reset();
    settle(0);
    makeWindow();
}

void Scenario::TearDown()
{
    m_window.reset();
    settle(0);
}

CVwCtrl& Scenario::ctrl() { return *m_window->vwCtrl(); }
CVw* Scenario::view(int idx) { return ctrl().Vws(idx); }
int Scenario::numViews() { return ctrl().numVws(); }

bool Scenario::waitFor(const std::function<bool()>& condition, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!condition() && !deadline.hasExpired())
        QTest::qWait(kPollMs);
    return condition();
}

QWidget* Scenario::toolButton(const char* role)
{
    const QList<QToolButton*> found = m_window->findChildren<QToolButton*>(
        QRegularExpression(QStringLiteral("^frmMain_%1_\\d+$").arg(QLatin1String(role))));
    return found.size() == 1 ? found.front() : nullptr;
}

QWidget* Scenario::timeLineControl(CVw* vw, const char* role)
{
    if (!vw || !vw->panel())
        return nullptr;
    const QList<QWidget*> found = vw->panel()->findChildren<QWidget*>(
        QRegularExpression(QStringLiteral("^CTL_%1_\\d+$").arg(QLatin1String(role))));
    return found.size() == 1 ? found.front() : nullptr;
}

void Scenario::open(const QStringList& paths)
{
    dialogs->fileAnswers.push_back(paths);
    QWidget* button = toolButton("chkTbMainOpen");
    ASSERT_NE(button, nullptr);
    click(button);
    settle();
}

void Scenario::pickLater(const QStringList& path, std::shared_ptr<Pick> pick)
{
    // Polls for the next menu of the path, clicks its entry, and goes on with the rest: each menu
    // is looked at only once it is on the screen, as a user would. A path that ends on a sub-menu
    // opens it, notes its entries and closes the menus.
    ++g_picks;
    auto step = std::make_shared<std::function<void()>>();
    *step = [this, path, pick, step] {
        const auto finish = [&] {
            pick->over = true;
            *step = nullptr; // breaks the cycle of the shared step
        };
        const auto again = [&] {
            pick->waited += kPollMs;
            if (pick->waited < kMenuWaitMs) {
                QTimer::singleShot(kPollMs, *step);
                return;
            }
            while (QWidget* popup = QApplication::activePopupWidget())
                popup->close(); // what the path names is not there
            finish();
        };
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (pick->done == path.size()) { // the last entry opened a sub-menu
            if (!menu || !menu->isVisible() || menu != pick->opened)
                return again();
            m_lastEntries = describe(*menu);
            while (QWidget* popup = QApplication::activePopupWidget())
                QTest::keyClick(popup, Qt::Key_Escape);
            return finish();
        }
        QAction* a = menu && menu->isVisible() ? entry(*menu, path.value(pick->done)) : nullptr;
        if (!a)
            return again();
        m_lastEntries = describe(*menu);
        if (!a->isEnabled()) {
            while (QWidget* popup = QApplication::activePopupWidget())
                QTest::keyClick(popup, Qt::Key_Escape);
            return finish();
        }
        ++pick->done;
        pick->opened = a->menu();
        const bool last = pick->done == path.size() && !a->menu();
        if (last)
            finish(); // the click may run the whole command, nested event loops and all
        clickIn(menu, menu->actionGeometry(a).center());
        if (last)
            QTimer::singleShot(kPollMs, [generation = g_picks] { closeStrayMenus(generation); });
        if (!last) {
            pick->waited = 0;
            QTimer::singleShot(kPollMs, *step); // a sub-menu opens after a short delay
        }
    };
    QTimer::singleShot(kPollMs, *step);
}

bool Scenario::contextMenu(QWidget* w, const QStringList& path, QPoint at, Qt::MouseButton button)
{
    auto pick = std::make_shared<Pick>();
    pickLater(path, pick);
    const size_t menus = dialogs->menuRequests.size();
    QPoint p = at;
    QWindow* win = windowOf(w, p);
    QTest::mouseMove(win, p);
    // A view pops its menu up inside the press: the pick runs in the menu's own event loop.
    QTest::mousePress(win, button, Qt::NoModifier, p);
    QTest::mouseRelease(win, button, Qt::NoModifier, p);
    waitFor([&] { return pick->over; }, 2 * kMenuWaitMs);
    settle();
    // One click, one menu: a menu that comes up again by itself is a fault.
    EXPECT_EQ(dialogs->menuRequests.size(), menus + 1) << "menus popped up by one click";
    return pick->done == path.size();
}

bool Scenario::menuBar(const QStringList& path)
{
    auto* bar = m_window->findChild<QMenuBar*>();
    if (!bar || path.isEmpty())
        return false;
    QAction* title = nullptr;
    for (QAction* a : bar->actions())
        if (a->isVisible() && visible(a->text()) == path.front())
            title = a;
    if (!title)
        return false;
    auto pick = std::make_shared<Pick>();
    pickLater(path.mid(1), pick);
    clickIn(bar, bar->actionGeometry(title).center());
    waitFor([&] { return pick->over; }, 2 * kMenuWaitMs);
    settle();
    return pick->done == path.size() - 1;
}

void Scenario::click(QWidget* w, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers mods)
{
    QWindow* win = windowOf(w, at);
    QTest::mouseMove(win, at);
    QTest::mouseClick(win, button, mods, at);
    settle(0);
}

void Scenario::doubleClick(QWidget* w, QPoint at)
{
    QWindow* win = windowOf(w, at);
    QTest::mouseMove(win, at);
    QTest::mouseDClick(win, Qt::LeftButton, Qt::NoModifier, at);
    settle(0);
}

void Scenario::press(QWidget* w, QPoint at, Qt::MouseButton button)
{
    QWindow* win = windowOf(w, at);
    QTest::mousePress(win, button, Qt::NoModifier, at);
}

void Scenario::release(QWidget* w, QPoint at, Qt::MouseButton button)
{
    QWindow* win = windowOf(w, at);
    QTest::mouseRelease(win, button, Qt::NoModifier, at);
}

void Scenario::drag(QWidget* w, QPoint from, QPoint to, int steps)
{
    QPoint start = from;
    QWindow* win = windowOf(w, start);
    QTest::mouseMove(win, start);
    QTest::mousePress(win, Qt::LeftButton, Qt::NoModifier, start);
    for (int i = 1; i <= steps; ++i) {
        QPoint p = from + (to - from) * i / steps;
        windowOf(w, p);
        QTest::mouseMove(win, p);
    }
    QPoint end = to;
    windowOf(w, end);
    QTest::mouseRelease(win, Qt::LeftButton, Qt::NoModifier, end);
    settle(0);
}

void Scenario::tool(const char* bar, const char* role)
{
    if (!toolButton(role)->isVisible())
        click(toolButton(bar));
    click(toolButton(role));
}

void Scenario::clickAt(CVw* vw, QPointF p) { click(vw->viewer(), ViewMouse::at(vw->viewer(), p)); }

void Scenario::dragAt(CVw* vw, QPointF from, QPointF to)
{
    drag(vw->viewer(), ViewMouse::at(vw->viewer(), from), ViewMouse::at(vw->viewer(), to));
}

QString Scenario::clip(const QString& name, int frames)
{
    return FixtureRecipes::writtenOnce(QStringLiteral("scenarios"), name, FixtureRecipes::lossless(160, 120, frames));
}

QString Scenario::demoClip(const char* name)
{
    const QString dir = QDir(TestPaths::scratchDir()).filePath(QStringLiteral("demo"));
    EXPECT_EQ(DemoClips::ensure(dir).size(), 2);
    return QDir(dir).filePath(QString::fromLatin1(name));
}

void Scenario::calibrate(CVw* vw, QPointF from, QPointF to, const QString& length)
{
    tool("chkTbMainMeasure", "chkTbMeasureDist");
    dialogs->messageAnswers.push_back(MsgBox::Yes);
    ViewMouse::answerCalibDialog(m_window.get(), length, 0, QStringLiteral("1:1"));
    ViewMouse::click(vw->viewer(), ViewMouse::at(vw->viewer(), from)); // the dialog shows at the press
    dragAt(vw, from, to);
    ASSERT_TRUE(vw->isCalibrated());
}

void Scenario::key(int key, Qt::KeyboardModifiers mods)
{
    // A dialog that closed may leave no window active on this platform; a user's key goes to the
    // main window then.
    if (QGuiApplication::focusWindow() != m_window->windowHandle()) {
        m_window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    }
    QTest::keyClick(m_window->windowHandle(), Qt::Key(key), mods);
    settle(0);
}

void Scenario::settle(int ms)
{
    QTest::qWait(ms);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}
