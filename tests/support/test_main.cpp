// The main of every test executable: a headless application object, the scripted dialog
// service installed for the whole run (so no test can block on a modal window), and a private
// home for settings and data folders.
#include "app/M_GUI.h"
#include "app/M_Rc.h"
#include "components/media/MediaSource.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// Views and controls closed in a test are destroyed when the event loop next runs: run it out
// after every test, so the next one starts clean and nothing counts as leaked.
class DeferredDeletes : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                     : qgetenv("QT_QPA_PLATFORM"));
    // A test that starts a copy of its program as a child hands it its home.
    QTemporaryDir ownHome;
    const QString home = qEnvironmentVariableIsEmpty("ZORVIK_TEST_HOME") ? ownHome.path()
                                                                         : qEnvironmentVariable("ZORVIK_TEST_HOME");
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home + QStringLiteral("/data")).toLocal8Bit());
    qputenv("ZORVIK_COMMON_APPDATA", (home + QStringLiteral("/machine")).toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zorvik"));
    DialogService::install(std::make_unique<ScriptedDialogs>());
    // The program's pictures as the build generated them beside the program.
    if (!qEnvironmentVariableIsEmpty("ZORVIK_IMG_DIR"))
        M_GUI::setImgDir(qEnvironmentVariable("ZORVIK_IMG_DIR"));
    M_Rc::Init();
    // Views wait for the whole index of their clips, as they do for users' short files, however
    // loaded the machine that runs the tests is; the tests of the background index ask for it.
    MediaSource::setIndexWait(600000);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new DeferredDeletes);
    const int rc = RUN_ALL_TESTS();
    DialogService::install(nullptr);
    return rc;
}
