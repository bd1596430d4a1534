// Closing the main window while its views play: the playback loop runs inside the play button's
// press, the close arrives through the loop's event pump, and nothing freed may be touched.
#include "MainWindowFixture.h"

#include <QRegularExpression>
#include <QTimer>

using MainWindowFixture::MainWindow;

TEST_F(MainWindow, ClosingDuringPlaybackEndsTheLoopAndUnloadsCleanly)
{
    // Long enough that playback is still running when the close arrives on the first pump.
    const QStringList paths{MainWindowFixture::clip(QStringLiteral("long_a.mkv"), 250),
                            MainWindowFixture::clip(QStringLiteral("long_b.mkv"), 250)};
    dialogs->fileAnswers.push_back(paths);
    click("chkTbMainOpen");
    ASSERT_EQ(ctrl().numVws(), 2);
    const QList<QWidget*> plays = window->findChildren<QWidget*>(QRegularExpression(QStringLiteral("^CTL_picPlay_\\d+$")));
    ASSERT_EQ(plays.size(), 2);

    bool wasPlaying = false;
    QTimer::singleShot(100, window.get(), [&] {
        wasPlaying = window->vwCtrl() && window->vwCtrl()->m_IsVidOperating;
        dialogs->messageAnswers.push_back(MsgBox::Yes); // "Do you really want to exit?"
        window->close();
    });
    QTest::mousePress(plays.front(), Qt::LeftButton); // the loop starts from the event loop
    for (int waited = 0; window->loaded() && waited < 5000; waited += 10)
        QTest::qWait(10);
    EXPECT_TRUE(wasPlaying);
    EXPECT_FALSE(window->loaded());
    EXPECT_EQ(window->vwCtrl(), nullptr);
    // Only the closing question was shown: no error box from a half-torn-down window.
    ASSERT_EQ(dialogs->messages.size(), 1u);
    EXPECT_EQ(dialogs->messages[0].style, MsgBox::YesNo | MsgBox::Exclamation);
}
