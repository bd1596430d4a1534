// The item properties dialog driven through its controls on real collections and a real
// viewer: what it shows for texts, lines, angles and distances, the frame checks and their
// messages, OK, Apply and Cancel, and the colour chooser.
#include "GraphicsFixtures.h"

#include "app/M_Rc.h"
#include "components/media/MediaCodes.h"
#include "components/overlay/OvCalib2Ds.h"
#include "components/viewer/OvVView.h"
#include "graphics/M_OvGS.h"
#include "graphics/frmPrpGraphObj.h"
#include "support/ScriptedDialogs.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <optional>

using namespace M_OvGS;

namespace {

constexpr int kEnglish = 4000;
constexpr int kW = 160;
constexpr int kH = 120;
constexpr int kFrames = 30;
const QColor kColour(255, 255, 128);
const QString kOrderMessage = QStringLiteral(
    "The number in the box from frame is not allowed to be bigger than the number in the box to frame");

// Point on a ray from `from` at `deg` degrees counter-clockwise from the right, on the screen.
QPointF ray(QPointF from, double deg, double len)
{
    const double r = deg * std::numbers::pi / 180.0;
    return from + QPointF(len * std::cos(r), -len * std::sin(r));
}

class PrpGraphObj : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_savedLanguage = M_Rc::rcOffset();
        M_Rc::setRcOffset(kEnglish);
        const QString path = GraphicsFixtures::clip(kW, kH, kFrames);
        ASSERT_FALSE(path.isEmpty());
        ASSERT_EQ(m_viewer.open(path, 131072), MediaOk);
        ASSERT_EQ(m_viewer.frameCount(), kFrames);
        m_cal = OvCalib2Ds().newCalib2D(QSize(kW, kH));
        m_cal->setUnit(2);
        m_cal->setAspect(1.0f);
        m_cal->setRefLength(50.0);
        m_cal->setRefPoint(0, 0.0f, 0.5f);
        m_cal->setRefPoint(1, 100.0f / kW, 0.5f); // 100 pixels = 50 cm
    }
    void TearDown() override
    {
        m_dlg.reset();
        M_Rc::setRcOffset(m_savedLanguage);
    }

    // Opens the dialog for the id as the view does, and shows it.
    void open(int id, bool calibrated = true)
    {
        m_dlg.emplace();
        m_dlg->vars_set(&m_viewer, &m_gis, &m_scene.angles(), &m_scene.distances(), calibrated ? m_cal : nullptr,
                        id);
        m_dlg->show();
    }
    template <typename T>
    T* ctrl(const char* name)
    {
        T* c = m_dlg->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    void type(const char* box, const QString& text)
    {
        QLineEdit* txt = ctrl<QLineEdit>(box);
        txt->clear();
        QTest::keyClicks(txt, text);
    }
    void click(const char* button) { QTest::mouseClick(ctrl<QPushButton>(button), Qt::LeftButton); }
    void chooseReading(int stringNumber)
    {
        QComboBox* c = ctrl<QComboBox>("cboAngle");
        c->setCurrentIndex(c->findData(stringNumber));
        ASSERT_GE(c->currentIndex(), 0);
    }
    QColor swatch() { return ctrl<QFrame>("shpColor")->palette().color(QPalette::Window); }

    // A three-point angle of `deg` degrees with its label, placed as the measuring tool does.
    std::pair<GiPtr, AnglePtr> angleOf(double deg, int lineWidth)
    {
        const QPointF v(80, 60);
        const QPointF p0 = ray(v, 0, 40), p2 = ray(v, deg, 40);
        GiPtr label = ovGi_new(ovAngle_lblKind(ANGLE_3POINTS), m_gis, p0.x(), p0.y(), kColour, 1, 4, 0, kFrames - 1);
        AnglePtr a = ovAngle_new(ANGLE_3POINTS, m_scene.angles(), m_scene, m_cal, p0.x() / kW, p0.y() / kH, kColour, 4,
                                 0, kFrames - 1, false, label->id());
        ovAngle_update(ANGLE_3POINTS, m_scene.angles(), a, 1, v.x() / kW, v.y() / kH);
        ovAngle_update(ANGLE_3POINTS, m_scene.angles(), a, 2, p2.x() / kW, p2.y() / kH);
        a->setLineWidth(lineWidth);
        ovAngle_lblUpdate(ANGLE_3POINTS, m_gis, *a, kW, kH);
        return {label, a};
    }

    ScopedDialogs m_dialogs;
    OvVView m_viewer;
    OvGraphItems m_gis;
    OvMeasureScene m_scene;
    CalPtr m_cal;
    std::optional<frmPrpGraphObj> m_dlg;
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

TEST_F(PrpGraphObj, TextItemShowsItsSizeAndNoLineWidth)
{
    GiPtr text = ovGi_new(OVGS_TYPE_TEXT, m_gis, 20, 30, QColor(10, 20, 30), 3, 2, 1, 12);
    ovGi_update_OVGS_TYPE_TEXT('H', m_gis, text);
    ovGi_update_OVGS_TYPE_TEXT('i', m_gis, text);
    ovGi_final(OVGS_TYPE_TEXT, m_gis, text, 20, 30);
    ASSERT_TRUE(text);
    open(text->id());

    const QComboBox* widths = ctrl<QComboBox>("cboLineWidth");
    const QComboBox* sizes = ctrl<QComboBox>("cboTextSize");
    EXPECT_FALSE(widths->isEnabled());
    EXPECT_FALSE(ctrl<QLabel>("lblLineWidth")->isEnabled());
    EXPECT_TRUE(sizes->isEnabled());
    EXPECT_EQ(sizes->currentText(), QStringLiteral("18"));
    EXPECT_FALSE(ctrl<QComboBox>("cboAngle")->isEnabled());
    EXPECT_EQ(ctrl<QLineEdit>("txtFirstFrame")->text(), QStringLiteral("1"));
    EXPECT_EQ(ctrl<QLineEdit>("txtLastFrame")->text(), QStringLiteral("12"));
    EXPECT_EQ(swatch(), QColor(10, 20, 30));

    // A new size is written as size x 256; the text itself stays.
    ctrl<QComboBox>("cboTextSize")->setCurrentIndex(frmPrpGraphObj::cboTextSize_size2idx(30));
    click("btnOK");
    EXPECT_TRUE(m_dialogs->messages.empty());
    EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_EQ(text->style(), 30 * 256);
    EXPECT_EQ(text->textSize(), 30);
    EXPECT_EQ(text->text(), QStringLiteral("Hi"));
    EXPECT_EQ(text->firstFrame(), 1);
    EXPECT_EQ(text->lastFrame(), 12);
}

TEST_F(PrpGraphObj, LineShowsItsWidthAndTakesANewOne)
{
    GiPtr line = ovGi_new(OVGS_TYPE_LINE, m_gis, 10, 10, kColour, 4, 5, 0, 20);
    ovGi_final(OVGS_TYPE_LINE, m_gis, line, 90, 70);
    ASSERT_TRUE(line);
    open(line->id());
    EXPECT_TRUE(ctrl<QComboBox>("cboLineWidth")->isEnabled());
    EXPECT_EQ(ctrl<QComboBox>("cboLineWidth")->currentText(), QStringLiteral("4"));
    EXPECT_FALSE(ctrl<QComboBox>("cboTextSize")->isEnabled());
    EXPECT_FALSE(ctrl<QLabel>("lblTextSize")->isEnabled());
    EXPECT_FALSE(ctrl<QComboBox>("cboAngle")->isEnabled());

    ctrl<QComboBox>("cboLineWidth")->setCurrentIndex(frmPrpGraphObj::cboLineWidth_width2idx(7));
    // Narrowing the frames moves the current frame into them.
    type("txtFirstFrame", QStringLiteral("8"));
    type("txtLastFrame", QStringLiteral("15"));
    click("btnOK");
    EXPECT_TRUE(m_dialogs->messages.empty());
    EXPECT_EQ(line->style(), 12);
    EXPECT_EQ(ovGi_style2lineWidth(line->style()), 7);
    EXPECT_EQ(line->firstFrame(), 8);
    EXPECT_EQ(line->lastFrame(), 15);
    EXPECT_EQ(line->curFrame(), 8);
}

TEST_F(PrpGraphObj, AngleTurnedOuterWithOkRewritesItsLabel)
{
    auto [label, angle] = angleOf(120, 3);
    ASSERT_NEAR(angle->value(), 120.0, 0.01);
    ASSERT_EQ(label->text(), QStringLiteral("120.00\u00B0"));
    open(angle->userData());

    // The label's text size, the angle's line width and its reading.
    EXPECT_EQ(ctrl<QComboBox>("cboTextSize")->currentText(), QStringLiteral("18"));
    EXPECT_TRUE(ctrl<QComboBox>("cboLineWidth")->isEnabled());
    EXPECT_EQ(ctrl<QComboBox>("cboLineWidth")->currentText(), QStringLiteral("3"));
    const QComboBox* readings = ctrl<QComboBox>("cboAngle");
    EXPECT_TRUE(readings->isEnabled());
    EXPECT_EQ(items(readings), QStringList({"Inner", "Outer", "Orthopaedic"}));
    EXPECT_EQ(readings->itemData(0).toInt(), 3218);
    EXPECT_EQ(readings->itemData(1).toInt(), 3219);
    EXPECT_EQ(readings->itemData(2).toInt(), 3220);
    EXPECT_EQ(readings->currentText(), QStringLiteral("Inner"));

    chooseReading(3219);
    click("btnOK");
    EXPECT_TRUE(m_dialogs->messages.empty());
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_NEAR(angle->value(), 240.0, 0.01);
    EXPECT_FALSE(angle->signedMode());
    EXPECT_EQ(label->text(), QStringLiteral("240.00\u00B0"));
    EXPECT_EQ(angle->lineWidth(), 3);
    EXPECT_EQ(label->style(), kStyleText18);

    // Opened again, the dialog reads the angle as outer.
    open(angle->userData());
    EXPECT_EQ(ctrl<QComboBox>("cboAngle")->currentText(), QStringLiteral("Outer"));
    chooseReading(3218);
    click("btnApply");
    EXPECT_NEAR(angle->value(), 120.0, 0.01);
    EXPECT_EQ(label->text(), QStringLiteral("120.00\u00B0"));
}

TEST_F(PrpGraphObj, OrthopaedicReadingIsShownAndApplied)
{
    // 330 degrees counter-clockwise reads -30 when signed; the orthopaedic reading is 30.
    auto [label, angle] = angleOf(330, 1);
    ovAngle_interior(*angle, false);
    ASSERT_NEAR(angle->value(), 330.0, 0.01);
    open(angle->userData());
    EXPECT_EQ(ctrl<QComboBox>("cboAngle")->currentText(), QStringLiteral("Outer"));
    chooseReading(3220);
    click("btnApply");
    EXPECT_TRUE(m_dlg->isVisible());
    EXPECT_TRUE(angle->signedMode());
    EXPECT_NEAR(angle->value(), 30.0, 0.01);
    EXPECT_EQ(label->text(), QStringLiteral("30.00\u00B0"));

    open(angle->userData());
    EXPECT_EQ(ctrl<QComboBox>("cboAngle")->currentText(), QStringLiteral("Orthopaedic"));

    // The readings follow the language of the table.
    M_Rc::setRcOffset(0);
    m_dlg->ctrls_setRcStr();
    EXPECT_EQ(items(ctrl<QComboBox>("cboAngle")), QStringList({"Innen", "Außen", "Orthopädisch"}));
    EXPECT_EQ(ctrl<QLabel>("lblLineWidth")->text(), QStringLiteral("Linienbreite"));
}

TEST_F(PrpGraphObj, DistanceShowsItsWidthAndKeepsTheUnitItWasMadeIn)
{
    GiPtr label = ovGi_new(OVGS_TYPE_LBL_DIST, m_gis, 20, 20, kColour, 1, 6, 2, 25);
    DistPtr dist = ovDist_new(DIST_KIND, m_scene.distances(), m_scene, m_cal, 20.0 / kW, 60.0 / kH, kColour, 6, 2, 25,
                              label->id());
    ovDist_update(m_scene.distances(), dist, 80.0 / kW, 60.0 / kH); // 60 pixels = 30 cm
    dist->setLineWidth(2);
    open(label->id());
    EXPECT_EQ(m_dlg->CalUnit(), QStringLiteral("cm"));
    EXPECT_TRUE(ctrl<QComboBox>("cboLineWidth")->isEnabled());
    EXPECT_EQ(ctrl<QComboBox>("cboLineWidth")->currentText(), QStringLiteral("2"));
    EXPECT_FALSE(ctrl<QComboBox>("cboAngle")->isEnabled());
    EXPECT_EQ(ctrl<QLineEdit>("txtFirstFrame")->text(), QStringLiteral("2"));

    ctrl<QComboBox>("cboLineWidth")->setCurrentIndex(frmPrpGraphObj::cboLineWidth_width2idx(5));
    type("txtFirstFrame", QStringLiteral("10"));
    type("txtLastFrame", QStringLiteral("20"));
    click("btnOK");
    EXPECT_TRUE(m_dialogs->messages.empty());
    EXPECT_EQ(dist->lineWidth(), 5);
    EXPECT_EQ(dist->firstFrame(), 10);
    EXPECT_EQ(dist->lastFrame(), 20);
    EXPECT_EQ(dist->curFrame(), 10); // moved into the new range
    EXPECT_EQ(label->text(), QStringLiteral("30.00 cm"));
    EXPECT_EQ(label->firstFrame(), 10);

    // Whatever the view is calibrated with now (here nothing), the distance reads as it was made.
    open(label->id(), false);
    EXPECT_EQ(m_dlg->CalUnit(), QString());
    click("btnApply");
    EXPECT_EQ(label->text(), QStringLiteral("30.00 cm"));
}

TEST_F(PrpGraphObj, FramesOutOfOrderOrBeyondTheVideoAreRefused)
{
    GiPtr cross = ovGi_new(OVGS_TYPE_CROSS, m_gis, 40, 40, kColour, 1, 3, 0, 20);
    open(cross->id());
    const auto refused = [&](const char* first, const char* last, const QString& told, const char* focus) {
        SCOPED_TRACE(std::string(first) + " / " + last);
        m_dialogs->messages.clear();
        type("txtFirstFrame", QString::fromLatin1(first));
        type("txtLastFrame", QString::fromLatin1(last));
        ctrl<QComboBox>("cboLineWidth")->setFocus();
        click("btnOK");
        ASSERT_EQ(m_dialogs->messages.size(), 1u);
        EXPECT_TRUE(m_dialogs->messages[0].text.startsWith(told)) << m_dialogs->messages[0].text.toStdString();
        EXPECT_EQ(m_dialogs->messages[0].style & 0x70, 16); // critical-error icon
        EXPECT_TRUE(m_dlg->isVisible());
        EXPECT_EQ(m_dlg->focusWidget(), ctrl<QLineEdit>(focus));
        EXPECT_EQ(cross->firstFrame(), 0);
        EXPECT_EQ(cross->lastFrame(), 20);
    };
    refused("10", "5", kOrderMessage, "txtLastFrame");
    EXPECT_EQ(m_dialogs->messages[0].text, kOrderMessage);
    // The frame count itself is one beyond the last frame.
    refused("0", "30", QStringLiteral("The number 30 has to be between 0 and 29"), "txtLastFrame");
    refused("30", "30", QStringLiteral("The number 30 has to be between 0 and 29"), "txtFirstFrame");
    refused("-1", "4", QStringLiteral("The number -1 has to be between 0 and 29"), "txtFirstFrame");
    refused("x", "4", QStringLiteral("For x a number has to be entered."), "txtFirstFrame");
    refused("3", "", QStringLiteral("For  a number has to be entered."), "txtLastFrame");

    // The last valid frame is the count minus one; equal first and last pass.
    m_dialogs->messages.clear();
    type("txtFirstFrame", QStringLiteral("29"));
    type("txtLastFrame", QStringLiteral("29"));
    EXPECT_TRUE(m_dlg->ctrls_check());
    click("btnOK");
    EXPECT_TRUE(m_dialogs->messages.empty());
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_EQ(cross->firstFrame(), 29);
    EXPECT_EQ(cross->lastFrame(), 29);
    EXPECT_EQ(cross->curFrame(), 29);
}

TEST_F(PrpGraphObj, ApplyWritesAndStaysCancelLeavesWhatWasApplied)
{
    GiPtr rect = ovGi_new(OVGS_TYPE_RECT, m_gis, 10, 10, kColour, 1, 0, 0, 29);
    ovGi_update(OVGS_TYPE_RECT, m_gis, rect, 50, 40);
    open(rect->id());

    // Cancel before anything was applied leaves the item as it was.
    ctrl<QComboBox>("cboLineWidth")->setCurrentIndex(frmPrpGraphObj::cboLineWidth_width2idx(6));
    type("txtLastFrame", QStringLiteral("9"));
    click("btnCancel");
    EXPECT_EQ(m_dlg->result(), QDialog::Rejected);
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_EQ(rect->style(), 0);
    EXPECT_EQ(rect->lastFrame(), 29);

    open(rect->id());
    ctrl<QComboBox>("cboLineWidth")->setCurrentIndex(frmPrpGraphObj::cboLineWidth_width2idx(6));
    type("txtLastFrame", QStringLiteral("9"));
    click("btnApply");
    EXPECT_TRUE(m_dlg->isVisible());
    EXPECT_EQ(rect->style(), 10);
    EXPECT_EQ(rect->lastFrame(), 9);
    // A later change that is cancelled does not undo the applied one.
    ctrl<QComboBox>("cboLineWidth")->setCurrentIndex(frmPrpGraphObj::cboLineWidth_width2idx(2));
    click("btnCancel");
    EXPECT_EQ(rect->style(), 10);
    EXPECT_EQ(rect->lastFrame(), 9);
    EXPECT_TRUE(m_dialogs->messages.empty());
}

TEST_F(PrpGraphObj, ColourComesFromTheColourChooser)
{
    auto [label, angle] = angleOf(60, 1);
    open(angle->userData());
    EXPECT_EQ(swatch(), kColour);

    // A cancelled chooser keeps the swatch.
    click("btnColor");
    ASSERT_EQ(m_dialogs->colorRequests.size(), 1u);
    EXPECT_EQ(m_dialogs->colorRequests[0], kColour);
    EXPECT_EQ(swatch(), kColour);

    // A chosen colour goes into the swatch, and into the objects only with Apply.
    m_dialogs->colorAnswers.push_back(QColor(20, 160, 240));
    click("btnColor");
    ASSERT_EQ(m_dialogs->colorRequests.size(), 2u);
    EXPECT_EQ(swatch(), QColor(20, 160, 240));
    EXPECT_EQ(m_dlg->swatchColor(), QColor(20, 160, 240));
    EXPECT_EQ(angle->color(), kColour);
    EXPECT_EQ(label->color(), kColour);
    click("btnApply");
    EXPECT_EQ(angle->color(), QColor(20, 160, 240));
    EXPECT_EQ(label->color(), QColor(20, 160, 240));
    // The next chooser starts from the swatch.
    click("btnColor");
    ASSERT_EQ(m_dialogs->colorRequests.size(), 3u);
    EXPECT_EQ(m_dialogs->colorRequests[2], QColor(20, 160, 240));
    // Every object of the id changes, and nothing else.
    GiPtr other = ovGi_new(OVGS_TYPE_CROSS, m_gis, 5, 5, kColour, 1, 0, 0, 29);
    click("btnApply");
    EXPECT_EQ(other->color(), kColour);
    EXPECT_TRUE(m_dialogs->messages.empty());
}
