#include "app/M_File.h"
#include "app/M_Rc.h"

#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <unistd.h>

TEST(FileDialogs, OpenCancelReturnsTheInitialNameAndRemovesTheControl)
{
    ScopedDialogs d;
    M_Rc::setRcOffset(4000);
    QWidget owner;
    bool controlWhileShown = false;
    d->onFileDialog = [&](const FileDialogRequest&) {
        controlWhileShown = owner.findChild<QWidget*>(QString::fromLatin1(M_File::kDlgControlName)) != nullptr;
    };
    const QString result = M_File::dlgFileOpen(&owner, nullptr, QStringLiteral("/tmp"), QStringLiteral("start.avi"),
                                               M_Rc::getRcStr(1027), 0x200);
    EXPECT_EQ(result, QStringLiteral("start.avi"));
    EXPECT_TRUE(controlWhileShown);
    EXPECT_EQ(owner.findChild<QWidget*>(QString::fromLatin1(M_File::kDlgControlName)), nullptr);
    ASSERT_EQ(d->fileRequests.size(), 1u);
    const FileDialogRequest& r = d->fileRequests[0];
    EXPECT_EQ(r.caption, QStringLiteral("File selection"));
    EXPECT_TRUE(r.multiSelect);
    EXPECT_FALSE(r.save);
    EXPECT_EQ(r.initialFolder, QStringLiteral("/tmp"));
    EXPECT_EQ(r.filter, M_Rc::getRcStr(1027));
}

TEST(FileDialogs, SeveralChosenFilesComeAsFolderAndNames)
{
    ScopedDialogs d;
    QWidget owner;
    d->fileAnswers.push_back(QStringList{QStringLiteral("/videos/a.mp4"), QStringLiteral("/videos/b c.avi")});
    d->fileAnswers.push_back(QStringList{QStringLiteral("/videos/one.mov")});
    const QString several = M_File::dlgFileOpen(&owner, nullptr, {}, {}, QStringLiteral("All|*.*|"), 0x200);
    EXPECT_EQ(several.split(QChar(u'\0')),
              (QStringList{QStringLiteral("/videos"), QStringLiteral("a.mp4"), QStringLiteral("b c.avi")}));
    EXPECT_EQ(M_File::dlgFileOpen(&owner, nullptr, {}, {}, QStringLiteral("All|*.*|"), 0),
              QStringLiteral("/videos/one.mov"));
    EXPECT_FALSE(d->fileRequests[1].multiSelect);
}

TEST(FileDialogs, SaveUsesTitleExtensionAndOverwriteQuestion)
{
    ScopedDialogs d;
    M_Rc::setRcOffset(4000);
    QWidget owner;
    QWidget container(&owner);
    bool inContainer = false;
    int calls = 0;
    d->onFileDialog = [&](const FileDialogRequest&) {
        if (calls++ == 0)
            inContainer = container.findChild<QWidget*>(QString::fromLatin1(M_File::kDlgControlName)) != nullptr;
    };
    d->fileAnswers.push_back(QStringList{QStringLiteral("/out/frame.png")});
    EXPECT_EQ(M_File::dlgFileSave(&owner, &container, {}, {}, QStringLiteral("png"), {}, 2),
              QStringLiteral("/out/frame.png"));
    EXPECT_TRUE(inContainer) << "the dialog's control sits in the given container";
    EXPECT_EQ(M_File::dlgFileSave(&owner, nullptr, {}, QStringLiteral("x.avi"), QStringLiteral("avi"),
                                  QStringLiteral("Save video"), 0),
              QStringLiteral("x.avi"));
    ASSERT_EQ(d->fileRequests.size(), 2u);
    EXPECT_EQ(d->fileRequests[0].caption, QStringLiteral("File selection"));
    EXPECT_EQ(d->fileRequests[0].defaultExtension, QStringLiteral("png"));
    EXPECT_TRUE(d->fileRequests[0].confirmOverwrite);
    EXPECT_TRUE(d->fileRequests[0].save);
    EXPECT_EQ(d->fileRequests[1].caption, QStringLiteral("Save video"));
    EXPECT_FALSE(d->fileRequests[1].confirmOverwrite);
    EXPECT_EQ(container.findChild<QWidget*>(QString::fromLatin1(M_File::kDlgControlName)), nullptr);
}

// The offered name never replaces a file by being accepted: a taken one is numbered. A cancel
// gives no path, not the offer.
TEST(FileDialogs, OfferedNameIsFreeAndACancelSavesNothing)
{
    ScopedDialogs d;
    QTemporaryDir dir;
    QFile(dir.filePath(QStringLiteral("clip_frame3.png"))).open(QIODevice::WriteOnly);
    QFile(dir.filePath(QStringLiteral("clip_frame3_2.png"))).open(QIODevice::WriteOnly);
    EXPECT_EQ(M_File::dlgFileSaveOffer(nullptr, dir.filePath(QStringLiteral("clip_frame3.png")), QStringLiteral("png"),
                                       QStringLiteral("Save the picture")),
              QString());
    ASSERT_EQ(d->fileRequests.size(), 1u);
    EXPECT_EQ(d->fileRequests[0].initialFolder, dir.path());
    EXPECT_EQ(d->fileRequests[0].initialFile, QStringLiteral("clip_frame3_3.png"));
    EXPECT_TRUE(d->fileRequests[0].confirmOverwrite);
}

// In the toolkit's own save dialog, a name typed without an extension takes the one of the file
// type the user picked, not the default.
TEST(FileDialogs, PickedFileTypeGivesTheExtension)
{
    QTemporaryDir dir;
    FileDialogRequest r;
    r.save = true;
    r.initialFolder = dir.path();
    r.defaultExtension = QStringLiteral("avi");
    r.filter = QStringLiteral("AVI video (*.avi)|*.avi|MP4 video (*.mp4)|*.mp4|Animated GIF (*.gif)|*.gif|");
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* types = dialog ? dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")) : nullptr;
        auto* name = dialog ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
        if (!types || !name)
            return dialog ? dialog->reject() : void();
        types->setFocus();
        QTest::keyClick(types, Qt::Key_Down); // MP4
        QTest::keyClick(types, Qt::Key_Down); // GIF
        name->setFocus();
        QTest::keyClicks(name, QStringLiteral("clip"));
        QTest::keyClick(name, Qt::Key_Return);
    });
    ToolkitDialogService toolkit;
    const auto chosen = toolkit.fileDialog(r);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->join(u'|').toStdString(), QDir(dir.path()).filePath(QStringLiteral("clip.gif")).toStdString());
}

TEST(FileDialogs, PipeFilterBecomesToolkitFilter)
{
    EXPECT_EQ(DialogService::toolkitFilter(QStringLiteral("AVI video (*.avi)|*.avi|Movies (*.mp4;*.mov)|*.mp4;*.mov|"
                                                          "All files (*.*)|*.*|")),
              QStringLiteral("AVI video (*.avi);;Movies (*.mp4 *.mov);;All files (*.*)"));
    EXPECT_EQ(DialogService::toolkitFilter(QStringLiteral("*.png|*.png|")), QStringLiteral("*.png (*.png)"));
}

TEST(FileServices, CreateExistRemove)
{
    ScopedDialogs d;
    QTemporaryDir dir;
    const QString sub = dir.filePath(QStringLiteral("a"));
    EXPECT_TRUE(M_File::createDir(sub));
    EXPECT_TRUE(M_File::createDir(sub)) << "an existing folder is no error";
    EXPECT_FALSE(M_File::createDir(dir.filePath(QStringLiteral("x/y")))) << "one level only";
    ASSERT_EQ(d->messages.size(), 1u);
    EXPECT_TRUE(d->messages[0].text.startsWith(QStringLiteral("ERROR\r\nM_File.createDir(): ")));

    const QString file = sub + QStringLiteral("/s.ini");
    EXPECT_FALSE(M_File::existFile(file));
    {
        auto f = M_File::createIniFile(file);
        ASSERT_TRUE(f);
        f->write("x");
    }
    EXPECT_TRUE(M_File::existFile(file));
    EXPECT_FALSE(M_File::existFile(sub)) << "a folder is not a file";
    EXPECT_TRUE(M_File::rmFile(file));
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(M_File::rmFile(file)) << "a missing file is no error";
    EXPECT_EQ(d->messages.size(), 1u);
}

TEST(FileServices, ReadOnlyFileIsNotForced)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "the superuser may write any file";
    ScopedDialogs d;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("ro.avi"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QFile::setPermissions(file, QFileDevice::ReadOwner);
    EXPECT_FALSE(M_File::rmFile(file));
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(d->messages.size(), 1u);
}
