// The two parameter dialogs driven through their sliders as a user would: their texts in two
// languages, their layout, the values they hold and announce, the writes that announce
// nothing, and the event of closing.
#include "app/M_Rc.h"
#include "dialogs/TextSlider.h"
#include "dialogs/frmPrpVidMix.h"
#include "dialogs/frmPrpVidStrobo.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

namespace {

constexpr int kEnglish = 4000;

// Every test runs in English with the English number format, and restores what was set.
class ParamDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_savedLanguage = M_Rc::rcOffset();
        m_savedLocale = QLocale();
        M_Rc::setRcOffset(kEnglish);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override
    {
        QLocale::setDefault(m_savedLocale);
        M_Rc::setRcOffset(m_savedLanguage);
    }
    template <typename T>
    static T* ctrl(QWidget* dlg, const char* name)
    {
        T* c = dlg->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    // The control's place in the coordinates of its parent.
    static QRect at(QWidget* dlg, const char* name) { return ctrl<QWidget>(dlg, name)->geometry(); }

    ScopedDialogs m_dialogs;
    int m_savedLanguage = kEnglish;
    QLocale m_savedLocale;
};

struct MixParams {
    int alg;
    double blend;
    double color;
};

class MixDialog : public ParamDialogs {
protected:
    void SetUp() override
    {
        ParamDialogs::SetUp();
        m_dlg.emplace();
        QObject::connect(&*m_dlg, &frmPrpVidMix::params, [this](int a, double b, double c) { m_params.push_back({a, b, c}); });
        QObject::connect(&*m_dlg, &frmPrpVidMix::unload, [this] { ++m_unloads; });
        m_dlg->show();
    }
    void TearDown() override
    {
        m_dlg.reset();
        ParamDialogs::TearDown();
    }
    TextSlider* slider(const char* name) { return ctrl<TextSlider>(&*m_dlg, name); }
    QString label(const char* name) { return ctrl<QLabel>(&*m_dlg, name)->text(); }
    void key(const char* sliderName, Qt::Key k) { QTest::keyClick(slider(sliderName), k); }

    std::optional<frmPrpVidMix> m_dlg;
    std::vector<MixParams> m_params;
    int m_unloads = 0;
};

class StroboDialog : public ParamDialogs {
protected:
    void SetUp() override
    {
        ParamDialogs::SetUp();
        m_dlg.emplace();
        QObject::connect(&*m_dlg, &frmPrpVidStrobo::params, [this](int n, int t) { m_params.emplace_back(n, t); });
        QObject::connect(&*m_dlg, &frmPrpVidStrobo::unload, [this] { ++m_unloads; });
        m_dlg->show();
    }
    void TearDown() override
    {
        m_dlg.reset();
        ParamDialogs::TearDown();
    }
    TextSlider* slider(const char* name) { return ctrl<TextSlider>(&*m_dlg, name); }
    QString label(const char* name) { return ctrl<QLabel>(&*m_dlg, name)->text(); }

    std::optional<frmPrpVidStrobo> m_dlg;
    std::vector<std::pair<int, int>> m_params;
    int m_unloads = 0;
};

} // namespace

TEST_F(MixDialog, OpensWithItsStartValuesAndShowsEveryTextWhole)
{
    EXPECT_EQ(m_dlg->BlendAlg(), 1);
    EXPECT_DOUBLE_EQ(m_dlg->Blend(), 0.5);
    EXPECT_DOUBLE_EQ(m_dlg->Color(), 0.5);
    EXPECT_EQ(label("lblBlendVal"), QStringLiteral("0.5"));
    EXPECT_EQ(slider("sldBlendAlg")->toolTip(), QStringLiteral("Gain maximum Intensity"));
    EXPECT_TRUE(m_params.empty());

    // In German the longer texts still show whole, the centred ones centred over their sliders.
    M_Rc::setRcOffset(0);
    m_dlg->ctrls_setRcStr();
    EXPECT_EQ(label("lblColor"), QStringLiteral("Farbigkeit"));
    for (const char* name : {"lblBlendAlg", "lblSpeed", "UniLabel1", "lblBlend", "lblVid1", "lblVid2", "lblColor"}) {
        const QLabel* l = ctrl<QLabel>(&*m_dlg, name);
        EXPECT_GE(l->width(), l->fontMetrics().horizontalAdvance(l->text())) << name;
        EXPECT_TRUE(m_dlg->rect().contains(l->mapTo(&*m_dlg, l->rect().bottomRight()))) << name;
    }
    EXPECT_NEAR(at(&*m_dlg, "lblBlendAlg").center().x(), at(&*m_dlg, "sldBlendAlg").center().x(), 1);
    EXPECT_NEAR(at(&*m_dlg, "lblBlend").center().x(), at(&*m_dlg, "sldBlend").center().x(), 1);
}

TEST_F(MixDialog, EveryMoveOfASliderAnnouncesAllThreeValues)
{
    key("sldBlend", Qt::Key_Home);
    ASSERT_EQ(m_params.size(), 1u);
    EXPECT_EQ(m_params.back().alg, 1);
    EXPECT_DOUBLE_EQ(m_params.back().blend, 0.0);
    EXPECT_DOUBLE_EQ(m_params.back().color, 0.5);
    EXPECT_EQ(label("lblBlendVal"), QStringLiteral("0"));

    key("sldBlend", Qt::Key_End);
    EXPECT_DOUBLE_EQ(m_params.back().blend, 1.0);
    EXPECT_EQ(label("lblBlendVal"), QStringLiteral("1"));
    key("sldBlend", Qt::Key_PageDown); // one large step back
    EXPECT_DOUBLE_EQ(m_params.back().blend, 0.95);
    EXPECT_EQ(slider("sldBlend")->toolTip(), QStringLiteral("0.95"));

    key("sldBlendAlg", Qt::Key_Right);
    EXPECT_EQ(m_params.back().alg, 2);
    EXPECT_DOUBLE_EQ(m_params.back().blend, 0.95);
    EXPECT_EQ(slider("sldBlendAlg")->toolTip(), QStringLiteral("Gain maximum Intensitiy with Saturation"));
    key("sldBlendAlg", Qt::Key_End);
    EXPECT_EQ(m_dlg->BlendAlg(), 3);
    EXPECT_EQ(slider("sldBlendAlg")->text(), QStringLiteral("Laplace Pyramid with maximum Intensity"));

    // The colour weight stops at 0.01.
    key("sldColor", Qt::Key_Home);
    EXPECT_DOUBLE_EQ(m_params.back().color, 0.01);
    EXPECT_EQ(label("lblColorVal"), QStringLiteral("0.01"));
    const size_t count = m_params.size();
    key("sldColor", Qt::Key_Left);
    EXPECT_EQ(m_params.size(), count) << "no move below the minimum, no event";
    EXPECT_DOUBLE_EQ(m_dlg->Color(), 0.01);

    // A drag with the mouse: grab the handle at the middle and pull it to the left end.
    TextSlider* blend = slider("sldBlend");
    QTest::keyClick(blend, Qt::Key_Home);
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(blend, Qt::Key_PageUp); // 50
    m_params.clear();
    const QPoint handle(blend->width() / 2, blend->height() / 2);
    QTest::mousePress(blend, Qt::LeftButton, {}, handle);
    QMouseEvent move(QEvent::MouseMove, QPointF(1, handle.y()), blend->mapToGlobal(QPointF(1, handle.y())),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(blend, &move);
    QTest::mouseRelease(blend, Qt::LeftButton, {}, QPoint(1, handle.y()));
    ASSERT_FALSE(m_params.empty());
    EXPECT_LT(m_params.back().blend, 0.1);
    EXPECT_DOUBLE_EQ(m_params.back().blend, m_dlg->Blend());
    EXPECT_EQ(m_params.back().alg, 3);
    EXPECT_DOUBLE_EQ(m_params.back().color, 0.01);
}

TEST_F(MixDialog, ValuesAreWrittenInTheUsersNumberFormat)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    key("sldBlend", Qt::Key_PageDown);
    EXPECT_EQ(label("lblBlendVal"), QStringLiteral("0,45"));
    EXPECT_DOUBLE_EQ(m_params.back().blend, 0.45);
}

TEST_F(MixDialog, ClosingAnnouncesUnloadOnce)
{
    m_dlg->close();
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_EQ(m_unloads, 1);
    m_dlg->close();
    EXPECT_EQ(m_unloads, 1);
    EXPECT_TRUE(m_params.empty());
}

// Closing ends the video operation: a stray Escape must not.
TEST_F(MixDialog, EscapeLeavesTheDialogOpen)
{
    QTest::keyClick(slider("sldBlend"), Qt::Key_Escape);
    QTest::keyClick(&*m_dlg, Qt::Key_Escape);
    EXPECT_TRUE(m_dlg->isVisible());
    EXPECT_EQ(m_unloads, 0);
}

TEST_F(StroboDialog, OpensWithItsStartValuesAndShowsEveryTextWhole)
{
    EXPECT_EQ(m_dlg->NumFraFill(), 1);
    EXPECT_EQ(m_dlg->Threshold(), 5);
    EXPECT_EQ(slider("sldThreshold")->text(), QStringLiteral("5"));

    // The German texts show whole; the right-aligned labels keep their right edge.
    const int rightEdge = at(&*m_dlg, "lblNumFraFill").right();
    M_Rc::setRcOffset(0);
    m_dlg->ctrls_setRcStr();
    EXPECT_EQ(m_dlg->windowTitle(), QStringLiteral("Stroboskop"));
    for (const char* name : {"lblNumFraFill", "lblThreshold"}) {
        const QLabel* l = ctrl<QLabel>(&*m_dlg, name);
        EXPECT_GE(l->width(), l->fontMetrics().horizontalAdvance(l->text())) << name;
        EXPECT_GE(l->x(), 0) << name;
    }
    EXPECT_EQ(at(&*m_dlg, "lblNumFraFill").right(), rightEdge);
}

TEST_F(StroboDialog, WritesShowTheValueWithinTheRangeAndAnnounceNothing)
{
    m_dlg->Threshold(10);
    m_dlg->NumFraFill(0);
    EXPECT_TRUE(m_params.empty());
    EXPECT_EQ(m_dlg->NumFraFill(), 0);
    EXPECT_EQ(slider("sldNumFraFill")->value(), 1);
    EXPECT_EQ(label("lblValNumFraFill"), QStringLiteral("1"));
    EXPECT_EQ(slider("sldNumFraFill")->toolTip(), QStringLiteral("1"));
    EXPECT_EQ(m_dlg->Threshold(), 10);
    EXPECT_EQ(label("lblValThreshold"), QStringLiteral("10"));
    EXPECT_EQ(slider("sldThreshold")->value(), 10);

    m_dlg->Threshold(250);
    EXPECT_EQ(m_dlg->Threshold(), 250);
    EXPECT_EQ(slider("sldThreshold")->value(), 100);
    EXPECT_EQ(label("lblValThreshold"), QStringLiteral("100"));
    EXPECT_TRUE(m_params.empty());

    // The first touch of a slider brings the member back to the slider's value.
    QTest::keyClick(slider("sldNumFraFill"), Qt::Key_Right);
    ASSERT_EQ(m_params.size(), 1u);
    EXPECT_EQ(m_params.back(), std::make_pair(2, 250));
    EXPECT_EQ(m_dlg->NumFraFill(), 2);
    QTest::keyClick(slider("sldThreshold"), Qt::Key_PageDown);
    EXPECT_EQ(m_params.back(), std::make_pair(2, 95));
    EXPECT_EQ(label("lblValThreshold"), QStringLiteral("95"));
    EXPECT_EQ(slider("sldThreshold")->toolTip(), QStringLiteral("95"));
}

TEST_F(StroboDialog, AClickOnAHandleAnnouncesTheValuesEvenWithoutAMove)
{
    m_dlg->NumFraFill(20);
    TextSlider* s = slider("sldNumFraFill");
    QStyleOptionSlider option;
    option.initFrom(s);
    option.minimum = s->minimum();
    option.maximum = s->maximum();
    option.sliderPosition = s->sliderPosition();
    option.sliderValue = s->value();
    option.orientation = Qt::Horizontal;
    const QRect handle = s->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, s);
    QTest::mouseClick(s, Qt::LeftButton, {}, handle.center());
    ASSERT_EQ(m_params.size(), 1u);
    EXPECT_EQ(m_params.back(), std::make_pair(20, 5));
    EXPECT_EQ(label("lblValNumFraFill"), QStringLiteral("20"));
}

TEST_F(StroboDialog, ClosingAnnouncesUnloadOnce)
{
    m_dlg->close();
    EXPECT_EQ(m_unloads, 1);
    m_dlg->close();
    EXPECT_EQ(m_unloads, 1);
}

// Pictures of both dialogs for a look by eye, when ZORVIK_SHOT_DIR names a folder.
TEST_F(ParamDialogs, BothDialogsDrawTheirWholeClientArea)
{
    frmPrpVidMix mix;
    frmPrpVidStrobo strobo;
    strobo.Threshold(10);
    strobo.NumFraFill(1);
    mix.show();
    strobo.show();
    const QImage mixShot = mix.grab().toImage();
    const QImage stroboShot = strobo.grab().toImage();
    EXPECT_EQ(mixShot.size(), QSize(245, 257) * mix.devicePixelRatio());
    EXPECT_EQ(stroboShot.size(), QSize(272, 104) * strobo.devicePixelRatio());
    // Drawn, not blank: the pictures hold more than one colour.
    const auto colours = [](const QImage& p) {
        QSet<QRgb> seen;
        for (int y = 0; y < p.height(); y += 3)
            for (int x = 0; x < p.width(); x += 3)
                seen.insert(p.pixel(x, y));
        return seen.size();
    };
    EXPECT_GT(colours(mixShot), 3);
    EXPECT_GT(colours(stroboShot), 3);
    const QString folder = qEnvironmentVariable("ZORVIK_SHOT_DIR");
    if (!folder.isEmpty()) {
        EXPECT_TRUE(mixShot.save(QDir(folder).filePath(QStringLiteral("frmPrpVidMix.png"))));
        EXPECT_TRUE(stroboShot.save(QDir(folder).filePath(QStringLiteral("frmPrpVidStrobo.png"))));
    }
}
