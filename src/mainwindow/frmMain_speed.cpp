// The playback speed slider at the right end of the main tool bar. Fourteen positions from the
// top: 3, 2.5, 2, 1.5, 1 (the start: real time), then 0.9 down to 0.1.
#include "mainwindow/frmMain.h"

#include "app/M_GUI.h"
#include "app/M_Msg.h"
#include "app/RtError.h"
#include "mainwindow/SpeedSlider.h"

#include <QLocale>
#include <cmath>

namespace {
constexpr int kSpeedMin = 1;
constexpr int kSpeedMax = 14;
constexpr int kSpeedStart = 5;

// n runs from 14 at the top to 1 at the bottom; above 10 the steps are 0.5, below 0.1.
float speedFactor(int maximum, int position)
{
    const int n = maximum - position + 1;
    return n < 10 ? float(n) / 10.0f : float(n - 10) / 2.0f + 1.0f;
}
} // namespace

void frmMain::m_sldTbMainVidSpeed_load() try {
    m_idSldTbMainVidSpeed = QStringLiteral("frmMain_sldTbMainVidSpeed_") + M_GUI::getId();
    auto* sld = new SpeedSlider(m_picBgTbMain);
    sld->setObjectName(m_idSldTbMainVidSpeed);
    sld->setTickPosition(QSlider::NoTicks);
    // The smallest value, the fastest speed, stands at the top; the keys and the wheel move the
    // thumb the way they point.
    sld->setInvertedAppearance(true);
    sld->setInvertedControls(true);
    sld->setRange(kSpeedMin, kSpeedMax);
    sld->setValue(kSpeedStart);
    sld->setPageStep(1);
    // Right of the last button, 10 pixels apart.
    const QToolButton* last = m_chkTbMainRmAll.button();
    const int left = (last ? last->geometry().right() + 1 : 594) + 10;
    sld->setGeometry(left, 0, 26, kTbMainHeight);
    sld->placeLabel();
    sld->show();
    m_sldTbMainVidSpeed = sld;
    connect(sld, &QSlider::valueChanged, this, &frmMain::m_sldTbMainVidSpeed_Change);
    connect(sld, &QSlider::sliderMoved, this, &frmMain::m_sldTbMainVidSpeed_Scroll);
    m_sldTbMainVidSpeed_showValue();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_sldTbMainVidSpeed_load()"));
}

void frmMain::m_sldTbMainVidSpeed_unload() try {
    ctrl_unload(m_idSldTbMainVidSpeed);
    m_sldTbMainVidSpeed = nullptr;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_sldTbMainVidSpeed_unload()"));
}

void frmMain::m_sldTbMainVidSpeed_enable(bool enable) try {
    if (m_sldTbMainVidSpeed && m_sldTbMainVidSpeed->isEnabled() != enable)
        m_sldTbMainVidSpeed->setEnabled(enable);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_sldTbMainVidSpeed_enable()"));
}

float frmMain::m_sldTbMainVidSpeed_valScale() try {
    if (!m_sldTbMainVidSpeed)
        throw RtError(RtError::ObjectNotSet);
    return speedFactor(m_sldTbMainVidSpeed->maximum(), m_sldTbMainVidSpeed->value());
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_sldTbMainVidSpeed_valScale()"));
    return 0.0f;
}

// The factor at the thumb's position as the user's locale writes a decimal number with one
// decimal, and "x" ("1.0x"). While the thumb is dragged its position runs ahead of the value.
void frmMain::m_sldTbMainVidSpeed_showValue()
{
    if (!m_sldTbMainVidSpeed)
        throw RtError(RtError::ObjectNotSet);
    const float factor = speedFactor(m_sldTbMainVidSpeed->maximum(), m_sldTbMainVidSpeed->sliderPosition());
    const QString text = QLocale().toString(double(factor), 'f', 1) + QLatin1Char('x');
    m_sldTbMainVidSpeed->setValueText(text);
    m_sldTbMainVidSpeed->setToolTip(text);
}

void frmMain::m_sldTbMainVidSpeed_Change() try {
    m_sldTbMainVidSpeed_showValue();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_sldTbMainVidSpeed_Change()"));
}

void frmMain::m_sldTbMainVidSpeed_Scroll() try {
    m_sldTbMainVidSpeed_showValue();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_sldTbMainVidSpeed_Scroll()"));
}

void frmMain::m_sldTbMainVidSpeed_setScale(double factor) try {
    if (!m_sldTbMainVidSpeed)
        return;
    int best = kSpeedStart;
    for (int pos = kSpeedMin; pos <= kSpeedMax; ++pos)
        if (std::abs(speedFactor(kSpeedMax, pos) - factor) < std::abs(speedFactor(kSpeedMax, best) - factor))
            best = pos;
    m_sldTbMainVidSpeed->setValue(best);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmMain.m_sldTbMainVidSpeed_setScale()"));
}
