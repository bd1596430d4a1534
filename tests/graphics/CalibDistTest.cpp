// The calibration dialog driven through its controls, and the calibration steps that follow
// it: defaults, the number check, Cancel, and the messages of success and failure.
#include "app/M_Rc.h"
#include "components/overlay/OvCalib2Ds.h"
#include "graphics/CalibSteps.h"
#include "graphics/frmCalibDist.h"
#include "support/ScriptedDialogs.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

namespace {

constexpr int kEnglish = 4000;

// What the view keeps between calibrations, as the dialog's Ok leaves it.
struct CalibValues {
    double dist = 0;
    int unit = 0;
    double aspect = 0;
};

class CalibDist : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_savedLanguage = M_Rc::rcOffset();
        M_Rc::setRcOffset(kEnglish);
        m_dlg.emplace();
        QObject::connect(&*m_dlg, &frmCalibDist::Ok, [this](double d, int u, double a) {
            m_values = {d, u, a};
            ++m_oks;
        });
        m_dlg->show();
    }
    void TearDown() override
    {
        m_dlg.reset();
        M_Rc::setRcOffset(m_savedLanguage);
    }
    template <typename T>
    T* ctrl(const char* name)
    {
        T* c = m_dlg->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    void type(const QString& text)
    {
        QLineEdit* txt = ctrl<QLineEdit>("txtCalibDist");
        txt->clear();
        QTest::keyClicks(txt, text);
    }
    void click(const char* button) { QTest::mouseClick(ctrl<QPushButton>(button), Qt::LeftButton); }

    ScopedDialogs m_dialogs;
    std::optional<frmCalibDist> m_dlg;
    CalibValues m_values;
    int m_oks = 0;
    int m_savedLanguage = kEnglish;
};

QStringList items(const QComboBox* c)
{
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i);
    return out;
}

} // namespace

TEST_F(CalibDist, OpensWithItsTextsListsAndDefaults)
{
    EXPECT_EQ(m_dlg->objectName(), QStringLiteral("frmCalibDist"));
    EXPECT_EQ(m_dlg->windowTitle(), QStringLiteral("Calibration distance"));
    EXPECT_EQ(ctrl<QGroupBox>("fraCalibDist")->title(), QStringLiteral(" Distance for this calibration: "));
    EXPECT_EQ(ctrl<QLabel>("lblCalibDist1")->text(), QStringLiteral("Calibration distance:"));
    EXPECT_EQ(ctrl<QLabel>("lblAspectRatio")->text(), QStringLiteral("Aspect ratio multiplier:"));
    EXPECT_EQ(ctrl<QPushButton>("btnOk")->text(), QStringLiteral("OK"));
    EXPECT_EQ(ctrl<QPushButton>("btnCancel")->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(ctrl<QLineEdit>("txtCalibDist")->text(), QStringLiteral("100"));
    const QComboBox* units = ctrl<QComboBox>("cboCalibUnit");
    EXPECT_EQ(items(units), QStringList({"m", "cm", "mm", "inches", "feet", "yards"}));
    EXPECT_EQ(units->currentText(), QStringLiteral("cm"));
    const QComboBox* aspects = ctrl<QComboBox>("cboAspectRatio");
    EXPECT_EQ(items(aspects), QStringList({"DV-PAL", "DV-NTSC", "1:1"}));
    EXPECT_EQ(aspects->currentText(), QStringLiteral("1:1")) << "square pixels unless told the video's own";

    // In another language the texts follow; the lists keep their fixed names.
    M_Rc::setRcOffset(0);
    m_dlg->ctrls_setRcStr();
    EXPECT_EQ(m_dlg->windowTitle(), QStringLiteral("Kalibrierstrecke"));
    EXPECT_EQ(ctrl<QPushButton>("btnCancel")->text(), QStringLiteral("Abbrechen"));
    EXPECT_EQ(items(ctrl<QComboBox>("cboCalibUnit")).at(3), QStringLiteral("inches"));
}

TEST_F(CalibDist, OkWithTheDefaultsPassesThemOn)
{
    click("btnOk");
    EXPECT_EQ(m_oks, 1);
    EXPECT_DOUBLE_EQ(m_values.dist, 100.0);
    EXPECT_EQ(m_values.unit, 2);
    EXPECT_DOUBLE_EQ(m_values.aspect, 1.0);
    EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_TRUE(m_dialogs->messages.empty());
}

TEST_F(CalibDist, ChosenUnitAspectAndLengthArePassedOn)
{
    ctrl<QComboBox>("cboCalibUnit")->setCurrentIndex(3); // inches
    ctrl<QComboBox>("cboAspectRatio")->setCurrentIndex(1);
    type(QStringLiteral("0.1"));
    click("btnOk");
    ASSERT_EQ(m_oks, 1);
    EXPECT_EQ(m_values.unit, 4);
    EXPECT_DOUBLE_EQ(m_values.aspect, 1.640625);
    EXPECT_EQ(m_values.dist, double(0.1f)); // the single-precision value typed

    // Inches reach the calibration under their own name.
    auto cal = CalibSteps::start(OvCalib2Ds(), QSize(320, 240), m_values.dist, m_values.unit, m_values.aspect);
    ASSERT_TRUE(cal);
    EXPECT_EQ(cal->unitName(), QStringLiteral("in"));
    EXPECT_FLOAT_EQ(cal->aspect(), 1.640625f);
    EXPECT_DOUBLE_EQ(cal->refLength(), double(0.1f));
}

TEST_F(CalibDist, ANumberOutOfRangeIsToldAndKeepsTheDialog)
{
    struct Case {
        const char* typed;
        const char* told;
    };
    const Case cases[] = {
        {"-5", "The number -5 has to be between 0 and"},
        {"100000000", "The number 100000000 has to be between 0 and"},
        {"abc", "For abc a number has to be entered."},
        {"", "a number has to be entered."},
        {"0", "The calibration distance has to be greater than 0."},
    };
    for (const Case& c : cases) {
        m_dialogs->messages.clear();
        ctrl<QComboBox>("cboAspectRatio")->setFocus();
        type(QString::fromLatin1(c.typed));
        ctrl<QComboBox>("cboAspectRatio")->setFocus();
        click("btnOk");
        ASSERT_EQ(m_dialogs->messages.size(), 1u) << c.typed;
        EXPECT_TRUE(m_dialogs->messages[0].text.contains(QString::fromLatin1(c.told)))
            << c.typed << ": " << m_dialogs->messages[0].text.toStdString();
        EXPECT_EQ(m_dialogs->messages[0].style & 0x70, 48); // warning icon
        EXPECT_EQ(m_oks, 0);
        EXPECT_TRUE(m_dlg->isVisible());
        EXPECT_EQ(m_dlg->focusWidget(), ctrl<QLineEdit>("txtCalibDist"));
    }
    // The top of the range passes.
    type(QStringLiteral("99999999"));
    EXPECT_TRUE(m_dlg->ctrls_check());
}

TEST_F(CalibDist, CancelLeavesTheFormerValues)
{
    m_values = {25.0, 3, 1.0}; // a former calibration
    type(QStringLiteral("7"));
    click("btnCancel");
    EXPECT_EQ(m_oks, 0);
    EXPECT_EQ(m_dlg->result(), QDialog::Rejected);
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_DOUBLE_EQ(m_values.dist, 25.0);
    EXPECT_TRUE(m_dialogs->messages.empty());

    // On a view never calibrated the values are 0: the start fails with its message.
    EXPECT_EQ(CalibSteps::start(OvCalib2Ds(), QSize(320, 240), 0, 0, 0), nullptr);
    ASSERT_EQ(m_dialogs->messages.size(), 1u);
    EXPECT_EQ(m_dialogs->messages[0].text, QStringLiteral("Calibration failed. Please repeat."));
    EXPECT_EQ(m_dialogs->messages[0].style, 64);
}

TEST(CalibSteps, ReferenceLineSucceedsOrFailsWithItsMessage)
{
    ScopedDialogs d;
    const int saved = M_Rc::rcOffset();
    M_Rc::setRcOffset(kEnglish);
    EXPECT_EQ(CalibSteps::actionSave(8), 0);
    EXPECT_EQ(CalibSteps::actionSave(22), 22);
    EXPECT_EQ(CalibSteps::actionSave(0), 0);

    auto cal = CalibSteps::start(OvCalib2Ds(), QSize(320, 240), 100.0, 2, 1.0);
    ASSERT_TRUE(cal);
    EXPECT_TRUE(d->messages.empty());
    CalibSteps::press(*cal, 0.25, 0.5);
    EXPECT_FALSE(CalibSteps::release(*cal, 0.25, 0.5)); // released where pressed
    ASSERT_EQ(d->messages.size(), 1u);
    EXPECT_EQ(d->messages[0].text, QStringLiteral("Calibration failed. Please repeat."));
    EXPECT_EQ(d->messages[0].style, 64);

    EXPECT_TRUE(CalibSteps::release(*cal, 0.75, 0.5)); // 160 pixels = 100 cm
    ASSERT_EQ(d->messages.size(), 2u);
    EXPECT_EQ(d->messages[1].text, QStringLiteral("Calibration successful. You can measure now."));
    EXPECT_EQ(d->messages[1].style, 64);
    EXPECT_DOUBLE_EQ(cal->distance(QPointF(0, 0), QPointF(0, 1)), 240.0 * 100.0 / 160.0);

    // The other aspect text of the dialog's list gives 0: no calibration.
    EXPECT_EQ(CalibSteps::start(OvCalib2Ds(), QSize(320, 240), 100.0, 2, 0.0), nullptr);
    EXPECT_EQ(d->messages.size(), 3u);
    M_Rc::setRcOffset(saved);
}
