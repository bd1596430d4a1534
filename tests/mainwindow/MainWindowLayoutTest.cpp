// The main window's controls, their pictures, texts and place, resizing with the minimum size,
// the logo, and closing with its question and the removal of the controls in reverse order.
#include "MainWindowFixture.h"

#include "app/M_GUI.h"
#include "components/timeline/OvTimeLine.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QSlider>
#include <QTemporaryDir>

using namespace MainWindowFixture;

namespace {
using Layout = MainWindow;
} // namespace

TEST_F(Layout, EveryButtonShowsItsPicturesAndItsTextInTheLanguageChosen)
{
    EXPECT_EQ(loadMessages, 0u) << "every picture file was found";
    ASSERT_FALSE(buttons().empty());
    for (QToolButton* b : buttons()) {
        EXPECT_FALSE(b->icon().pixmap(b->iconSize(), QIcon::Normal).isNull()) << qPrintable(b->objectName());
        EXPECT_FALSE(b->icon().pixmap(b->iconSize(), QIcon::Disabled).isNull()) << qPrintable(b->objectName());
        EXPECT_FALSE(b->toolTip().isEmpty()) << qPrintable(b->objectName());
    }
    EXPECT_FALSE(window->windowIcon().isNull());
    // Another language retexts the buttons (without mnemonic marks), the menus, the views' time
    // lines and the hint of a mix that lacks a video.
    openClips({QStringLiteral("lng_a.mkv")});
    auto* strip = window->findChild<OvTimeLine*>();
    ASSERT_NE(strip, nullptr);
    EXPECT_TRUE(strip->bandCaption(0).contains(QStringLiteral("Frame"))) << qPrintable(strip->bandCaption(0));
    ctrl().VidOp(1);
    const auto hint = [this] {
        for (auto* l : window->findChildren<QLabel*>())
            if (l->objectName().startsWith(QStringLiteral("CVw_lblHint_")) && !l->isHidden())
                return l->text();
        return QString();
    };
    EXPECT_TRUE(hint().startsWith(QStringLiteral("For the mix"))) << qPrintable(hint());
    for (const M_Rc::Language& l : M_Rc::languages()) {
        M_Rc::setRcOffset(l.offset);
        window->ctrls_setRcStr();
        for (QToolButton* b : buttons())
            EXPECT_FALSE(b->toolTip().contains(u'&')) << l.key << ": " << qPrintable(b->toolTip());
    }
    M_Rc::setRcOffset(0);
    window->ctrls_setRcStr();
    M_Rc::setRcOffset(4000);
    EXPECT_EQ(button("chkTbMainOpen")->toolTip(), QStringLiteral("Video öffnen"));
    EXPECT_EQ(item("_File")->text(), QStringLiteral("&Datei"));
    EXPECT_TRUE(strip->bandCaption(0).contains(QStringLiteral("Bild"))) << qPrintable(strip->bandCaption(0));
    EXPECT_TRUE(hint().startsWith(QStringLiteral("Für die Mischung"))) << qPrintable(hint());
}

// The main tool bar sits above the view area (the extra ones show in front of it), the logo at
// the right, the view area fills the rest.
TEST_F(Layout, TheViewAreaFillsTheWindowBelowTheToolBars)
{
    QWidget* client = window->client();
    const QRect panel = ctrl().panel()->geometry();
    EXPECT_LE(widget("picBgTbMain")->geometry().bottom(), panel.top());
    EXPECT_TRUE(widget("picBgTbMain")->rect().contains(widget("sldTbMainVidSpeed")->geometry()));
    EXPECT_FALSE(widget("picBgTbDraw")->geometry().intersects(widget("picBgTbMeasure")->geometry()) &&
                 widget("picBgTbDraw")->isVisible() && widget("picBgTbMeasure")->isVisible());
    EXPECT_TRUE(client->rect().contains(panel));
    EXPECT_GT(panel.width(), client->width() * 9 / 10);
    EXPECT_GT(panel.height(), client->height() * 3 / 4);
    QWidget* logo = widget("picCmpyLogo");
    EXPECT_TRUE(logo->isVisible());
    EXPECT_FALSE(logo->geometry().intersects(widget("picBgTbMain")->geometry()));
    EXPECT_EQ(logo->x() + logo->width(), window->layoutW() - 5) << "right-aligned, 5 pixels from the edge";
}

TEST_F(Layout, BelowTheMinimumSizeTheLayoutKeepsItsSize)
{
    const QRect panel = ctrl().panel()->geometry();
    const int w = window->layoutW();
    const int h = window->layoutH();

    window->resize(800, 600);
    EXPECT_EQ(window->layoutW(), w);
    EXPECT_EQ(window->layoutH(), h);
    EXPECT_EQ(ctrl().panel()->geometry(), panel) << "the view area is clipped, not shrunk";

    // Only the width below the minimum: the height follows the window.
    window->resize(800, 760);
    EXPECT_EQ(window->layoutW(), w);
    EXPECT_EQ(window->layoutH(), window->client()->height());
    EXPECT_EQ(ctrl().panel()->height(), window->client()->height() - 85);
    EXPECT_EQ(ctrl().panel()->width(), w - 10);

    window->resize(1000, 720);
    EXPECT_EQ(window->layoutW(), 1000);
    EXPECT_EQ(ctrl().panel()->geometry(), QRect(panel.x(), panel.y(), 990, window->layoutH() - 85));
    QWidget* logo = widget("picCmpyLogo");
    EXPECT_EQ(logo->x() + logo->width(), 995);
}

TEST_F(Layout, ALogoClickOpensTheMakersSiteAndGivesTheHandBack)
{
    auto* logo = control<QLabel>(window.get(), QStringLiteral("picCmpyLogo"));
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(logo->toolTip(), QLatin1String(frmMain::kMakerUrl));
    EXPECT_EQ(logo->cursor().shape(), Qt::BitmapCursor) << "the hand cursor from its file";
    QTest::mouseClick(logo, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(dialogs->urlRequests.size(), 1u);
    EXPECT_EQ(dialogs->urlRequests[0], QUrl(QLatin1String(frmMain::kMakerUrl)));
    EXPECT_EQ(logo->cursor().shape(), Qt::BitmapCursor);
    QTest::mouseClick(logo, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(dialogs->urlRequests.size(), 1u) << "only the left button clicks";
}

TEST_F(Layout, ExitAnsweredNoKeepsWindowAndViewsYesRemovesAllInReverseOrder)
{
    openClips({QStringLiteral("exit_a.mkv")});
    ASSERT_EQ(ctrl().numVws(), 1);

    dialogs->messageAnswers.push_back(MsgBox::No);
    item("_File_Exit")->trigger();
    ASSERT_EQ(dialogs->messages.size(), 1u);
    EXPECT_EQ(dialogs->messages[0].text, QStringLiteral("Do you really want to exit?"));
    EXPECT_EQ(dialogs->messages[0].style, MsgBox::YesNo | MsgBox::Exclamation);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(ctrl().numVws(), 1);

    // The close box asks the same question.
    dialogs->messageAnswers.push_back(MsgBox::No);
    EXPECT_FALSE(window->close());
    EXPECT_EQ(dialogs->messages.size(), 2u);
    EXPECT_EQ(ctrl().numVws(), 1);

    // Yes: the controls go in the reverse order of their making, the view controller first.
    QStringList destroyed;
    const QObject listening; // ends the connections with the test: the menu outlives it
    const QRegularExpression made(QStringLiteral("(^frmMain_\\w+_\\d+$)|CVwCtrl_picPanel$"));
    for (QObject* c : window->findChildren<QObject*>(made))
        QObject::connect(c, &QObject::destroyed, &listening,
                         [&destroyed, name = c->objectName()] { destroyed << name; });
    dialogs->messageAnswers.push_back(MsgBox::Yes);
    item("_File_Exit")->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->vwCtrl(), nullptr);
    ASSERT_FALSE(destroyed.isEmpty());
    EXPECT_TRUE(destroyed.front().endsWith(QStringLiteral("CVwCtrl_picPanel")));
    // Every control but the menu (it stays with the window), newest id first.
    EXPECT_GE(destroyed.size(), 30);
    for (int i = 2; i < destroyed.size(); ++i)
        EXPECT_GT(idNumber(destroyed[i - 1]), idNumber(destroyed[i])) << qPrintable(destroyed[i]);
    EXPECT_EQ(dialogs->messages.size(), 3u) << "no error while unloading";
}

namespace {
// A main window made from a pictures folder that lacks some files: a copy of the program's own
// folder without the given files.
class BrokenInstall : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(MMain::vars_init());
        m_saved = M_GUI::imgDir();
        ASSERT_TRUE(m_copy.isValid());
    }
    void TearDown() override
    {
        window.reset();
        M_GUI::setImgDir(m_saved);
    }
    void makeWindowWithout(const QStringList& missing)
    {
        QDirIterator it(m_saved, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString from = it.next();
            const QString relative = QDir(m_saved).relativeFilePath(from);
            if (missing.contains(relative))
                continue;
            const QString to = QDir(m_copy.path()).filePath(relative);
            QDir().mkpath(QFileInfo(to).path());
            ASSERT_TRUE(QFile::copy(from, to)) << qPrintable(relative);
        }
        M_GUI::setImgDir(m_copy.path());
        window = std::make_unique<frmMain>();
        window->show();
    }

    ScopedDialogs dialogs;
    std::unique_ptr<frmMain> window;
    QString m_saved;
    QTemporaryDir m_copy;
};
} // namespace

TEST_F(BrokenInstall, AMissingLogoLeavesItHiddenAndTheViewsStillWork)
{
    makeWindowWithout({QStringLiteral("ovraLogo_Zorvik.gif")});
    ASSERT_EQ(dialogs->messages.size(), 1u);
    EXPECT_TRUE(dialogs->messages[0].text.contains(QStringLiteral("frmMain.m_picCmpyLogo_load()")));
    EXPECT_TRUE(dialogs->messages[0].text.contains(QStringLiteral("Number: 53")));
    QWidget* logo = control<QWidget>(window.get(), QStringLiteral("picCmpyLogo"));
    ASSERT_NE(logo, nullptr);
    EXPECT_FALSE(logo->isVisible());
    ASSERT_NE(window->vwCtrl(), nullptr);
    EXPECT_EQ(window->vwCtrl()->panel()->geometry(), QRect(5, 77, window->layoutW() - 10, window->layoutH() - 85));
    window->resize(1000, 760);
    EXPECT_EQ(dialogs->messages.size(), 1u);
}

TEST_F(BrokenInstall, AMissingButtonPictureIsReportedAndTheOthersStillShow)
{
    makeWindowWithout({QStringLiteral("_32x32/circle_dis.ico"), QStringLiteral("_32x32/cross.ico")});
    ASSERT_EQ(dialogs->messages.size(), 2u);
    EXPECT_TRUE(dialogs->messages[0].text.contains(QStringLiteral("M_GUI.chkUni_setPic()")));
    EXPECT_TRUE(dialogs->messages[1].text.contains(QStringLiteral("cross.ico")));
    auto* circle = control<QToolButton>(window.get(), QStringLiteral("chkTbDrawCircle"));
    ASSERT_NE(circle, nullptr);
    EXPECT_EQ(circle->toolTip(), QStringLiteral("Circle"));
    // The circle shows its own picture; the cross, without its normal one, shows another of its own.
    const auto image = [](const QPixmap& p) { return p.toImage().convertToFormat(QImage::Format_ARGB32); };
    EXPECT_EQ(image(circle->icon().pixmap(32, 32)), image(QPixmap(m_copy.filePath(QStringLiteral("_32x32/circle.ico")))));
    auto* cross = control<QToolButton>(window.get(), QStringLiteral("chkTbDrawCross"));
    EXPECT_EQ(image(cross->icon().pixmap(32, 32)), image(QPixmap(m_copy.filePath(QStringLiteral("_32x32/cross_hot.ico")))));
}

TEST_F(BrokenInstall, AMissingWindowIconStopsTheLoadWithoutACrash)
{
    makeWindowWithout({QStringLiteral("_32x32/zorvik_256.ico")});
    ASSERT_EQ(dialogs->messages.size(), 1u);
    EXPECT_TRUE(dialogs->messages[0].text.contains(QStringLiteral("frmMain.Form_Load()")));
    EXPECT_TRUE(dialogs->messages[0].text.contains(QStringLiteral("zorvik_256.ico")));
    EXPECT_EQ(window->vwCtrl(), nullptr);
    EXPECT_TRUE(window->findChildren<QToolButton*>().isEmpty());
    // Laying out, re-texting and closing the empty window report nothing more.
    window->ctrls_setRcStr();
    window->ctrls_resize();
    window->resize(1000, 760);
    dialogs->messageAnswers.push_back(MsgBox::Yes);
    EXPECT_TRUE(window->close());
    ASSERT_EQ(dialogs->messages.size(), 2u);
    EXPECT_EQ(dialogs->messages[1].text, QStringLiteral("Do you really want to exit?"));
}
