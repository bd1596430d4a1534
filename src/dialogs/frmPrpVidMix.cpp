#include "dialogs/frmPrpVidMix.h"

#include "app/M_Msg.h"
#include "app/M_GUI.h"
#include "components/mixer/OvVidMixer.h"
#include "dialogs/ParamControls.h"
#include "dialogs/TextSlider.h"

#include <cmath>
#include <QGroupBox>
#include <QLabel>

namespace {
constexpr int kStrBlend = 3227;
constexpr int kStrAlgorithm = 3228;
constexpr int kStrSpeed = 3229;
constexpr int kStrQuality = 3230;
constexpr int kStrIntensity = 3231;
constexpr int kStrVideo1 = 3232;
constexpr int kStrVideo2 = 3233;
constexpr int kStrColorness = 3234;

constexpr int kValueWidth = 10;

// Left edge that centres a label of `width` over a slider.
int centredOver(const QWidget* slider, int width) { return slider->x() + (slider->width() - width) / 2; }
} // namespace

frmPrpVidMix::frmPrpVidMix(QWidget* parent) : ParamDialog(parent)
{
    setObjectName(QStringLiteral("frmPrpVidMix"));
    setWindowTitle(QStringLiteral("Video Mix"));
    setModal(false);
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(245, 257);
    vars_init();
    ctrls_load();
    ctrls_setRcStr();
}

frmPrpVidMix::~frmPrpVidMix() = default;

QString frmPrpVidMix::blendAlg2str(int alg) { return OvVidMixer::algorithmName(alg); }

void frmPrpVidMix::vars_init()
{
    m_BlendAlg = 1;
    m_Blend = 0.5;
    m_Color = 0.5;
}

void frmPrpVidMix::ctrls_load() try {
    using namespace ParamControls;
    m_fraBlend = new QGroupBox(QStringLiteral("Blend"), this);
    m_fraBlend->setObjectName(QStringLiteral("fraBlend"));
    M_GUI::setTag(m_fraBlend, kStrBlend);
    m_fraBlend->setGeometry(7, 16, 233, 234);
    QWidget* f = m_fraBlend;
    const Qt::Alignment centre = Qt::AlignHCenter | Qt::AlignVCenter;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;

    m_sldBlendAlg = slider(f, "sldBlendAlg", 1, 3, 1, 1, QRect(13, 44, 200, 17));
    m_lblBlendAlg = label(f, "lblBlendAlg", QStringLiteral("Algorithm"), kStrAlgorithm, QRect(0, 22, 71, 17), centre);
    m_lblSpeed = label(f, "lblSpeed", QStringLiteral("Speed"), kStrSpeed, QRect(12, 59, 94, 17));
    m_UniLabel1 = label(f, "UniLabel1", QStringLiteral("Quality"), kStrQuality, QRect(166, 59, 47, 17), right);

    m_sldBlend = slider(f, "sldBlend", 0, 100, 50, 5, QRect(13, 124, 200, 17));
    m_lblBlend = label(f, "lblBlend", QStringLiteral("Intensity"), kStrIntensity, QRect(0, 102, 56, 17), centre);
    m_lblBlendVal = label(f, "lblBlendVal", QString(), 0, QRect(203, 104, kValueWidth, 17));
    m_lblVid1 = label(f, "lblVid1", QStringLiteral("Video 1"), kStrVideo1, QRect(13, 136, 46, 17));
    m_lblVid2 = label(f, "lblVid2", QStringLiteral("Video 2"), kStrVideo2, QRect(168, 136, 46, 17), right);

    m_sldColor = slider(f, "sldColor", 1, 100, 50, 5, QRect(13, 201, 200, 17));
    m_lblColor = label(f, "lblColor", QStringLiteral("Colorness"), kStrColorness, QRect(64, 179, 99, 17), centre);
    m_lblColorVal = label(f, "lblColorVal", QString(), 0, QRect(203, 179, kValueWidth, 17));

    // 1. and 2.: the blend label over its slider, the blend weight and its texts.
    m_lblBlend->move(centredOver(m_sldBlend, m_lblBlend->width()), m_lblBlend->y());
    showBlend();
    // 3. and 4.: the algorithm label over its slider, the algorithm and its name.
    m_lblBlendAlg->move(centredOver(m_sldBlendAlg, m_lblBlendAlg->width()), m_lblBlendAlg->y());
    m_BlendAlg = m_sldBlendAlg->value();
    m_sldBlendAlg->setText(blendAlg2str(m_BlendAlg));
    m_sldBlendAlg->setToolTip(m_sldBlendAlg->text());
    // 5.: the colour weight and its texts.
    showColor();

    connect(m_sldBlend, &QSlider::valueChanged, this, &frmPrpVidMix::sldBlend_Scroll);
    connect(m_sldBlendAlg, &QSlider::valueChanged, this, &frmPrpVidMix::sldBlendAlg_Scroll);
    connect(m_sldColor, &QSlider::valueChanged, this, &frmPrpVidMix::sldColor_Scroll);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpVidMix.ctrls_load()"));
}

void frmPrpVidMix::setValues(int BlendAlg, double Blend, double Color) try {
    m_sldBlendAlg->setValue(BlendAlg);
    m_sldBlend->setValue(int(std::lround(Blend * m_sldBlend->maximum())));
    m_sldColor->setValue(int(std::lround(Color * m_sldColor->maximum())));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpVidMix.setValues()"));
}

void frmPrpVidMix::showBlend()
{
    m_Blend = double(m_sldBlend->value()) / m_sldBlend->maximum();
    const QString text = ParamControls::decimalText(m_Blend);
    m_sldBlend->setText(text);
    m_sldBlend->setToolTip(text);
    ParamControls::showValue(m_lblBlendVal, text, kValueWidth);
}

void frmPrpVidMix::showColor()
{
    m_Color = double(m_sldColor->value()) / m_sldColor->maximum();
    const QString text = ParamControls::decimalText(m_Color);
    m_sldColor->setText(text);
    m_sldColor->setToolTip(text);
    ParamControls::showValue(m_lblColorVal, text, kValueWidth);
}

void frmPrpVidMix::ctrls_setRcStr() try {
    M_GUI::frm_setRcStr(this);
    ctrls_editRcStr();
    fitLabels(m_fraBlend, {m_lblBlendAlg, m_lblSpeed, m_UniLabel1, m_lblBlend, m_lblVid1, m_lblVid2, m_lblColor});
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpVidMix.ctrls_setRcStr()"));
}

void frmPrpVidMix::sldBlend_Scroll() try {
    showBlend();
    emit params(m_BlendAlg, m_Blend, m_Color);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpVidMix.sldBlend_Scroll()"));
}

void frmPrpVidMix::sldBlendAlg_Scroll() try {
    m_BlendAlg = m_sldBlendAlg->value();
    m_sldBlendAlg->setText(blendAlg2str(m_BlendAlg));
    m_sldBlendAlg->setToolTip(m_sldBlendAlg->text());
    emit params(m_BlendAlg, m_Blend, m_Color);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpVidMix.sldBlendAlg_Scroll()"));
}

void frmPrpVidMix::sldColor_Scroll() try {
    showColor();
    emit params(m_BlendAlg, m_Blend, m_Color);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpVidMix.sldColor_Scroll()"));
}
