#include "app/M_GUI.h"
#include "app/M_Rc.h"

#include "support/ScriptedDialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
QString en(int n)
{
    const int saved = M_Rc::rcOffset();
    M_Rc::setRcOffset(4000);
    const QString s = M_Rc::getRcStr(n);
    M_Rc::setRcOffset(saved);
    return s;
}
} // namespace

TEST(ControlTexts, CaptionWhenTheControlShowsOneOtherwiseTooltip)
{
    M_Rc::setRcOffset(4000);
    QWidget form;
    M_GUI::setTag(&form, 1614);
    auto* picture = new QToolButton(&form); // a picture button has no caption
    M_GUI::setTag(picture, 3249);
    auto* push = new QPushButton(QStringLiteral("x"), &form);
    M_GUI::setTag(push, 3900);
    auto* check = new QCheckBox(QStringLiteral("x"), &form);
    M_GUI::setTag(check, 3901);
    auto* label = new QLabel(QStringLiteral("x"), &form);
    M_GUI::setTag(label, 2930);
    auto* pictureLabel = new QLabel(&form);
    QPixmap pix(4, 4);
    pix.fill(Qt::red);
    pictureLabel->setPixmap(pix);
    M_GUI::setTag(pictureLabel, 1614);
    auto* untagged = new QPushButton(QStringLiteral("keep"), &form);

    M_GUI::frm_setRcStr(&form);
    EXPECT_EQ(form.windowTitle(), en(1614));
    EXPECT_TRUE(picture->text().isEmpty());
    EXPECT_EQ(picture->toolTip(), en(3249));
    EXPECT_EQ(push->text(), en(3900));
    EXPECT_EQ(check->text(), en(3901));
    EXPECT_EQ(label->text(), en(2930));
    EXPECT_EQ(pictureLabel->toolTip(), en(1614));
    EXPECT_EQ(untagged->text(), QStringLiteral("keep"));

    // A change of language re-texts the same controls.
    M_Rc::setRcOffset(0);
    M_GUI::frm_setRcStr(&form);
    EXPECT_EQ(push->text(), M_Rc::getRcStr(3900));
    EXPECT_EQ(picture->toolTip(), M_Rc::getRcStr(3249));
    EXPECT_NE(picture->toolTip(), en(3249));
    M_Rc::setRcOffset(4000);
}

TEST(ControlTexts, CombosListsAndMenusUseTheirItemNumbers)
{
    M_Rc::setRcOffset(0);
    QWidget form;
    auto* combo = new QComboBox(&form);
    M_GUI::cboUni_cboUni_addItem(combo, QStringLiteral("a"), 3900);
    M_GUI::cboUni_cboUni_addItem(combo, QStringLiteral("fixed"), 0);
    M_GUI::cboUni_cboUni_addItem(combo, QStringLiteral("b"), 3901);
    auto* list = new QListWidget(&form);
    auto* item = new QListWidgetItem(QStringLiteral("x"), list);
    item->setData(M_GUI::TagRole, 2930);
    item->setData(M_GUI::KeyRole, QStringLiteral("K1"));
    auto* bar = new QMenuBar(&form);
    QMenu* file = bar->addMenu(QStringLiteral("x"));
    M_GUI::setTag(file->menuAction(), 1614);
    QAction* exit = file->addAction(QStringLiteral("x"));
    M_GUI::setTag(exit, 3249);

    M_GUI::frm_setRcStr(&form);
    EXPECT_EQ(combo->itemText(0), M_Rc::getRcStr(3900));
    EXPECT_EQ(combo->itemText(1), QStringLiteral("fixed"));
    EXPECT_EQ(combo->itemData(2).toInt(), 3901) << "items keep their numbers";
    EXPECT_EQ(M_GUI::cboUni_rcNr2idx(combo, 3901), 2);
    EXPECT_EQ(M_GUI::cboUni_rcNr2idx(combo, 1234), -1);
    EXPECT_EQ(M_GUI::cboUni_str2idx(combo, QStringLiteral("fixed")), 1);
    EXPECT_EQ(M_GUI::cboUni_str2idx(combo, QStringLiteral("Fixed")), -1);
    EXPECT_EQ(item->text(), M_Rc::getRcStr(2930));
    EXPECT_EQ(M_GUI::lstItemsUni_key2idx(list, QStringLiteral("K1")), 1);
    EXPECT_EQ(M_GUI::lstItemsUni_key2idx(list, QStringLiteral("K2")), -1);
    EXPECT_EQ(file->title(), M_Rc::getRcStr(1614));
    EXPECT_EQ(exit->text(), M_Rc::getRcStr(3249));
    M_Rc::setRcOffset(4000);
}

TEST(CheckButtons, ProgrammaticChangeIsVisibleOnlyDuringSetValue)
{
    QToolButton button;
    button.setCheckable(true);
    std::vector<bool> seen;
    QObject::connect(&button, &QToolButton::toggled, [&] { seen.push_back(M_GUI::programmaticChange()); });
    M_GUI::chkUni_setValue(&button, true);
    EXPECT_TRUE(button.isChecked());
    EXPECT_FALSE(M_GUI::programmaticChange());
    button.click(); // a user click
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen[0]);
    EXPECT_FALSE(seen[1]);
}

TEST(CheckButtons, PicturesComeFromTheImgFolder)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("_24x24"));
    QImage normal(24, 24, QImage::Format_RGB32);
    normal.fill(Qt::blue);
    ASSERT_TRUE(normal.save(dir.filePath(QStringLiteral("_24x24/play.bmp"))));
    QImage grey(24, 24, QImage::Format_RGB32);
    grey.fill(Qt::gray);
    ASSERT_TRUE(grey.save(dir.filePath(QStringLiteral("_24x24/play_dis.bmp"))));
    // The program's own pictures folder and the environment come back however the test ends.
    struct RestoreImgDir {
        QString dir = M_GUI::imgDir();
        QByteArray env = qgetenv("ZORVIK_IMG_DIR");
        ~RestoreImgDir()
        {
            M_GUI::setImgDir(dir);
            qputenv("ZORVIK_IMG_DIR", env);
        }
    } restore;

    // Named by the environment when no folder is set, then set directly.
    for (const bool fromEnv : {true, false}) {
        SCOPED_TRACE(fromEnv ? "ZORVIK_IMG_DIR" : "setImgDir");
        M_GUI::setImgDir(fromEnv ? QString() : dir.path());
        qputenv("ZORVIK_IMG_DIR", fromEnv ? dir.path().toLocal8Bit() : QByteArray());
        QToolButton button;
        M_GUI::chkUni_setPic(&button, QStringLiteral("_24x24"), QStringLiteral("play.bmp"), QStringLiteral("play_dis.bmp"), {});
        const QImage shownNormal = button.icon().pixmap(24, 24, QIcon::Normal).toImage();
        const QImage shownDisabled = button.icon().pixmap(24, 24, QIcon::Disabled).toImage();
        EXPECT_EQ(QColor(shownNormal.pixel(12, 12)), QColor(Qt::blue));
        EXPECT_EQ(QColor(shownDisabled.pixel(12, 12)), QColor(Qt::gray));
    }

    QToolButton button;

    ScopedDialogs d;
    M_GUI::chkUni_setPic(&button, QStringLiteral("_24x24"), QStringLiteral("missing.bmp"), {}, {});
    ASSERT_EQ(d->messages.size(), 1u);
    EXPECT_TRUE(d->messages[0].text.startsWith(QStringLiteral("ERROR\r\nM_GUI.chkUni_setPic(): missing.bmp")));
}
