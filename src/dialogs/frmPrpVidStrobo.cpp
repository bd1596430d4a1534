#include "dialogs/frmPrpVidStrobo.h"

#include "app/M_GUI.h"
#include "app/M_Msg.h"
#include "dialogs/ParamControls.h"
#include "dialogs/TextSlider.h"

#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <algorithm>

namespace {
constexpr int kStrNumFrames = 1028;
constexpr int kStrThreshold = 3236;
constexpr int kStrCaption = 9000;
constexpr int kValueWidth = 10;

// The slider shows the value, limited to its range, as its text and tooltip; no event.
QString putOnSlider(TextSlider* slider, int value)
{
    {
        const QSignalBlocker quiet(slider);
        slider->setValue(std::clamp(value, slider->minimum(), slider->maximum()));
    }
    const QString text = QString::number(slider->value());
    slider->setText(text);
    slider->setToolTip(text);
    return text;
}
} // namespace

frmPrpVidStrobo::frmPrpVidStrobo(QWidget* parent) : ParamDialog(parent)
{
    setObjectName(QStringLiteral("frmPrpVidStrobo"));
    M_GUI::setTag(this, kStrCaption);
    setModal(false);
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(272, 104);
    vars_init();
    ctrls_load();
    ctrls_setRcStr();
}

frmPrpVidStrobo::~frmPrpVidStrobo() = default;

void frmPrpVidStrobo::vars_init()
{
    m_NumFraFill = 1;
    m_Threshold = 5;
}

void frmPrpVidStrobo::ctrls_load() try {
    using namespace ParamControls;
    // The caption bar frames the whole client area; the controls sit on it at dialog positions.
    m_cptFrm = new QGroupBox(QStringLiteral("Stroboscope"), this);
    m_cptFrm->setObjectName(QStringLiteral("cptFrm"));
    M_GUI::setTag(m_cptFrm, kStrCaption);
    m_cptFrm->setGeometry(0, 0, width(), height());
    QWidget* f = m_cptFrm;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;

    m_lblNumFraFill = label(f, "lblNumFraFill", QStringLiteral("Number of Frames"), kStrNumFrames,
                            QRect(36, 25, 100, 17), right);
    m_sldNumFraFill = slider(f, "sldNumFraFill", 1, 100, 1, 5, QRect(149, 30, 112, 18));
    m_lblValNumFraFill = label(f, "lblValNumFraFill", QStringLiteral("0"), 0, QRect(250, 12, kValueWidth, 17));
    m_lblThreshold = label(f, "lblThreshold", QStringLiteral("Threshold"), kStrThreshold, QRect(63, 68, 73, 17), right);
    m_sldThreshold = slider(f, "sldThreshold", 1, 100, 5, 5, QRect(149, 67, 112, 18));
    m_lblValThreshold = label(f, "lblValThreshold", QStringLiteral("0"), 0, QRect(251, 48, kValueWidth, 17));

    for (TextSlider* s : {m_sldNumFraFill, m_sldThreshold}) {
        s->setText(QString::number(s->value()));
        s->setToolTip(s->text());
    }
    m_NumFraFill = m_sldNumFraFill->value();
    m_Threshold = m_sldThreshold->value();

    // A move by the user is a scroll; letting go of the handle, even where it was, a click.
    connect(m_sldNumFraFill, &QSlider::valueChanged, this, &frmPrpVidStrobo::sldNumFraFill_Scroll);
    connect(m_sldNumFraFill, &QSlider::sliderReleased, this, &frmPrpVidStrobo::sldNumFraFill_Click);
    connect(m_sldThreshold, &QSlider::valueChanged, this, &frmPrpVidStrobo::sldThreshold_Scroll);
    connect(m_sldThreshold, &QSlider::sliderReleased, this, &frmPrpVidStrobo::sldThreshold_Click);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpVidStrobo.ctrls_load()"));
}

void frmPrpVidStrobo::ctrls_setRcStr() try {
    M_GUI::frm_setRcStr(this);
    ctrls_editRcStr();
    fitLabels(m_cptFrm, {m_lblNumFraFill, m_lblThreshold});
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpVidStrobo.ctrls_setRcStr()"));
}

void frmPrpVidStrobo::NumFraFill(int value) try {
    m_NumFraFill = value;
    ParamControls::showValue(m_lblValNumFraFill, putOnSlider(m_sldNumFraFill, value), kValueWidth);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpVidStrobo.Let.NumFraFill()"));
}

void frmPrpVidStrobo::Threshold(int value) try {
    m_Threshold = value;
    ParamControls::showValue(m_lblValThreshold, putOnSlider(m_sldThreshold, value), kValueWidth);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpVidStrobo.Let.Threshold()"));
}

void frmPrpVidStrobo::sldNumFraFill_Click() try {
    sldNumFraFill_update();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpVidStrobo.sldNumFraFill_Click()"));
}

void frmPrpVidStrobo::sldNumFraFill_Scroll() try {
    sldNumFraFill_update();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpVidStrobo.sldNumFraFill_Scroll()"));
}

// A slider moved or clicked: its number on it and beside it, the value kept, both announced.
void frmPrpVidStrobo::sliderMoved(TextSlider* slider, QLabel* shown, int& value)
{
    const QString text = QString::number(slider->value());
    slider->setText(text);
    slider->setToolTip(text);
    value = slider->value();
    ParamControls::showValue(shown, text, kValueWidth);
    emit params(m_NumFraFill, m_Threshold);
}

void frmPrpVidStrobo::sldNumFraFill_update() try {
    sliderMoved(m_sldNumFraFill, m_lblValNumFraFill, m_NumFraFill);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpVidStrobo.sldNumFraFill_update()"));
}

void frmPrpVidStrobo::sldThreshold_Click() try {
    sldThreshold_update();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpVidStrobo.sldThreshold_Click()"));
}

void frmPrpVidStrobo::sldThreshold_Scroll() try {
    sldThreshold_update();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpVidStrobo.sldThreshold_Scroll()"));
}

void frmPrpVidStrobo::sldThreshold_update() try {
    sliderMoved(m_sldThreshold, m_lblValThreshold, m_Threshold);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpVidStrobo.sldThreshold_update()"));
}
