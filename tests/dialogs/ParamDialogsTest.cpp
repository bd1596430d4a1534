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
    // A label sits where the layout puts it; a text wider than the label (in the font this
    // machine substitutes) widens it away from the edge or centre its alignment holds.
    static void expectPlaced(QWidget* dlg, const char* name, const QRect& laidOut)
    {
        const QLabel* l = ctrl<QLabel>(dlg, name);
        if (!l)
            return;
        const QRect g = l->geometry();
        EXPECT_EQ(g.top(), laidOut.top()) << name;
        EXPECT_EQ(g.height(), laidOut.height()) << name;
        EXPECT_GE(g.width(), laidOut.width()) << name;
        if (g.width() == laidOut.width())
            EXPECT_EQ(g, laidOut) << name;
        else if (l->alignment() & Qt::AlignRight)
            EXPECT_EQ(g.right(), laidOut.right()) << name;
        else if (l->alignment() & Qt::AlignHCenter)
            EXPECT_NEAR(g.center().x(), laidOut.center().x(), 1) << name;
        else
            EXPECT_EQ(g.left(), laidOut.left()) << name;
        EXPECT_GE(g.width(), l->fontMetrics().horizontalAdvance(l->text())) << name;
    }

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

TEST_F(MixDialog, OpensWithItsTextsAndStartValues)
{
    EXPECT_EQ(m_dlg->objectName(), QStringLiteral("frmPrpVidMix"));
    EXPECT_EQ(ctrl<QGroupBox>(&*m_dlg, "fraBlend")->title(), QStringLiteral("Blend"));
    EXPECT_EQ(label("lblBlendAlg"), QStringLiteral("Algorithm"));
    EXPECT_EQ(label("lblSpeed"), QStringLiteral("Speed"));
    EXPECT_EQ(label("UniLabel1"), QStringLiteral("Quality"));
    EXPECT_EQ(label("lblBlend"), QStringLiteral("Intensity"));
    EXPECT_EQ(label("lblVid1"), QStringLiteral("Video 1"));
    EXPECT_EQ(label("lblVid2"), QStringLiteral("Video 2"));
    EXPECT_EQ(label("lblColor"), QStringLiteral("Colorness"));

    EXPECT_EQ(m_dlg->BlendAlg(), 1);
    EXPECT_DOUBLE_EQ(m_dlg->Blend(), 0.5);
    EXPECT_DOUBLE_EQ(m_dlg->Color(), 0.5);
    EXPECT_EQ(label("lblBlendVal"), QStringLiteral("0.5"));
    EXPECT_EQ(label("lblColorVal"), QStringLiteral("0.5"));
    EXPECT_EQ(slider("sldBlend")->text(), QStringLiteral("0.5"));
    EXPECT_EQ(slider("sldBlend")->toolTip(), QStringLiteral("0.5"));
    EXPECT_EQ(slider("sldColor")->toolTip(), QStringLiteral("0.5"));
    EXPECT_EQ(slider("sldBlendAlg")->text(), QStringLiteral("Gain maximum Intensity"));
    EXPECT_EQ(slider("sldBlendAlg")->toolTip(), QStringLiteral("Gain maximum Intensity"));
    EXPECT_TRUE(m_params.empty());

    // In German the string table's texts; the algorithm names stay English.
    M_Rc::setRcOffset(0);
    m_dlg->ctrls_setRcStr();
    EXPECT_EQ(ctrl<QGroupBox>(&*m_dlg, "fraBlend")->title(), QStringLiteral("Überblendung"));
    EXPECT_EQ(label("lblColor"), QStringLiteral("Farbigkeit"));
    EXPECT_EQ(label("lblSpeed"), QStringLiteral("Geschwindigkeit"));
    EXPECT_EQ(slider("sldBlendAlg")->toolTip(), QStringLiteral("Gain maximum Intensity"));
    // Every text shows whole, the centred ones still centred over their sliders.
    for (const char* name : {"lblBlendAlg", "lblSpeed", "UniLabel1", "lblBlend", "lblVid1", "lblVid2", "lblColor"}) {
        const QLabel* l = ctrl<QLabel>(&*m_dlg, name);
        EXPECT_GE(l->width(), l->fontMetrics().horizontalAdvance(l->text())) << name;
    }
    EXPECT_NEAR(at(&*m_dlg, "lblBlendAlg").center().x(), at(&*m_dlg, "sldBlendAlg").center().x(), 1);
    EXPECT_NEAR(at(&*m_dlg, "lblBlend").center().x(), at(&*m_dlg, "sldBlend").center().x(), 1);
}

TEST_F(MixDialog, ControlsSitWhereTheLayoutPutsThem)
{
    EXPECT_EQ(m_dlg->size(), QSize(245, 257));
    EXPECT_EQ(m_dlg->font().family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(at(&*m_dlg, "fraBlend"), QRect(7, 16, 233, 234));
    EXPECT_EQ(at(&*m_dlg, "sldBlendAlg"), QRect(13, 44, 200, 17));
    EXPECT_EQ(at(&*m_dlg, "sldBlend"), QRect(13, 124, 200, 17));
    EXPECT_EQ(at(&*m_dlg, "sldColor"), QRect(13, 201, 200, 17));
    expectPlaced(&*m_dlg, "lblSpeed", QRect(12, 59, 94, 17));
    expectPlaced(&*m_dlg, "UniLabel1", QRect(166, 59, 47, 17));
    expectPlaced(&*m_dlg, "lblVid1", QRect(13, 136, 46, 17));
    expectPlaced(&*m_dlg, "lblVid2", QRect(168, 136, 46, 17));
    expectPlaced(&*m_dlg, "lblColor", QRect(64, 179, 99, 17));
    // Centred over their sliders: 13 + (200 − 71) / 2 and 13 + (200 − 56) / 2.
    expectPlaced(&*m_dlg, "lblBlendAlg", QRect(77, 22, 71, 17));
    expectPlaced(&*m_dlg, "lblBlend", QRect(85, 102, 56, 17));
    EXPECT_EQ(at(&*m_dlg, "lblBlendVal").topLeft(), QPoint(203, 104));
    EXPECT_EQ(at(&*m_dlg, "lblColorVal").topLeft(), QPoint(203, 179));
    // Each sits in the frame.
    EXPECT_EQ(ctrl<QWidget>(&*m_dlg, "sldBlend")->parentWidget()->objectName(), QStringLiteral("fraBlend"));

    const struct {
        const char* name;
        int min, max, large;
    } sliders[] = {{"sldBlend", 0, 100, 5}, {"sldBlendAlg", 1, 3, 1}, {"sldColor", 1, 100, 5}};
    for (const auto& s : sliders) {
        const TextSlider* sl = slider(s.name);
        EXPECT_EQ(sl->minimum(), s.min) << s.name;
        EXPECT_EQ(sl->maximum(), s.max) << s.name;
        EXPECT_EQ(sl->pageStep(), s.large) << s.name;
        EXPECT_EQ(sl->singleStep(), 1) << s.name;
        EXPECT_EQ(sl->orientation(), Qt::Horizontal) << s.name;
        EXPECT_EQ(sl->tickPosition(), QSlider::NoTicks) << s.name;
    }
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

TEST_F(MixDialog, AlgorithmNamesAreFixed)
{
    EXPECT_EQ(frmPrpVidMix::blendAlg2str(1), QStringLiteral("Gain maximum Intensity"));
    EXPECT_EQ(frmPrpVidMix::blendAlg2str(2), QStringLiteral("Gain maximum Intensitiy with Saturation"));
    EXPECT_EQ(frmPrpVidMix::blendAlg2str(3), QStringLiteral("Laplace Pyramid with maximum Intensity"));
    EXPECT_EQ(frmPrpVidMix::blendAlg2str(0), QString());
    EXPECT_EQ(frmPrpVidMix::blendAlg2str(4), QString());
}

TEST_F(StroboDialog, OpensWithItsTextsLayoutAndStartValues)
{
    EXPECT_EQ(m_dlg->objectName(), QStringLiteral("frmPrpVidStrobo"));
    EXPECT_EQ(m_dlg->size(), QSize(272, 104));
    EXPECT_EQ(ctrl<QGroupBox>(&*m_dlg, "cptFrm")->title(), QStringLiteral("Stroboscope"));
    EXPECT_EQ(m_dlg->windowTitle(), QStringLiteral("Stroboscope"));
    EXPECT_EQ(label("lblNumFraFill"), QStringLiteral("Number of Frames"));
    EXPECT_EQ(label("lblThreshold"), QStringLiteral("Threshold"));
    EXPECT_EQ(label("lblValNumFraFill"), QStringLiteral("0"));
    EXPECT_EQ(label("lblValThreshold"), QStringLiteral("0"));
    EXPECT_EQ(m_dlg->NumFraFill(), 1);
    EXPECT_EQ(m_dlg->Threshold(), 5);
    EXPECT_EQ(slider("sldNumFraFill")->toolTip(), QStringLiteral("1"));
    EXPECT_EQ(slider("sldThreshold")->text(), QStringLiteral("5"));

    expectPlaced(&*m_dlg, "lblNumFraFill", QRect(36, 25, 100, 17));
    EXPECT_EQ(at(&*m_dlg, "sldNumFraFill"), QRect(149, 30, 112, 18));
    EXPECT_EQ(at(&*m_dlg, "lblValNumFraFill").topLeft(), QPoint(250, 12));
    expectPlaced(&*m_dlg, "lblThreshold", QRect(63, 68, 73, 17));
    EXPECT_EQ(at(&*m_dlg, "sldThreshold"), QRect(149, 67, 112, 18));
    EXPECT_EQ(at(&*m_dlg, "lblValThreshold").topLeft(), QPoint(251, 48));
    for (const char* name : {"sldNumFraFill", "sldThreshold"}) {
        EXPECT_EQ(slider(name)->minimum(), 1);
        EXPECT_EQ(slider(name)->maximum(), 100);
        EXPECT_EQ(slider(name)->pageStep(), 5);
        EXPECT_EQ(slider(name)->singleStep(), 1);
        EXPECT_EQ(slider(name)->tickPosition(), QSlider::NoTicks);
    }

    M_Rc::setRcOffset(0);
    m_dlg->ctrls_setRcStr();
    EXPECT_EQ(ctrl<QGroupBox>(&*m_dlg, "cptFrm")->title(), QStringLiteral("Stroboskop"));
    EXPECT_EQ(m_dlg->windowTitle(), QStringLiteral("Stroboskop"));
    EXPECT_EQ(label("lblNumFraFill"), QStringLiteral("Anzahl der Bilder"));
    EXPECT_EQ(label("lblThreshold"), QStringLiteral("Schwellenwert"));
    // Each German text shows whole; the right-aligned labels keep their right edge.
    for (const char* name : {"lblNumFraFill", "lblThreshold"}) {
        const QLabel* l = ctrl<QLabel>(&*m_dlg, name);
        EXPECT_GE(l->width(), l->fontMetrics().horizontalAdvance(l->text())) << name;
        EXPECT_GE(l->x(), 0) << name;
    }
    EXPECT_EQ(at(&*m_dlg, "lblNumFraFill").right(), QRect(36, 25, 100, 17).right());
    EXPECT_EQ(at(&*m_dlg, "lblThreshold").right(), QRect(63, 68, 73, 17).right());
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
