#pragma once

#include "dialogs/ParamDialog.h"

class QGroupBox;
class QLabel;
class TextSlider;

// The parameters of the stroboscope: the number of frames between two copies of the subject
// and the threshold above which a pixel belongs to it. A click on or move of either slider
// raises params with both values; writing a value from outside raises nothing. Closing the
// dialog raises unload.
class frmPrpVidStrobo : public ParamDialog {
    Q_OBJECT
public:
    explicit frmPrpVidStrobo(QWidget* parent = nullptr);
    ~frmPrpVidStrobo() override;

    void ctrls_setRcStr() override;

    // Writing stores the number as it is and shows it on the slider, limited to the slider's
    // range; no event.
    void NumFraFill(int value);
    int NumFraFill() const { return m_NumFraFill; }
    void Threshold(int value);
    int Threshold() const { return m_Threshold; }

signals:
    void params(int NumFraFill, int Threshold);

private:
    void vars_init();
    void ctrls_load();
    void sldNumFraFill_Click();
    void sldNumFraFill_Scroll();
    void sldNumFraFill_update();
    void sldThreshold_Click();
    void sldThreshold_Scroll();
    void sldThreshold_update();
    void sliderMoved(TextSlider* slider, QLabel* shown, int& value);

    int m_NumFraFill = 1;
    int m_Threshold = 5;

    QGroupBox* m_cptFrm = nullptr;
    QLabel* m_lblNumFraFill = nullptr;
    TextSlider* m_sldNumFraFill = nullptr;
    QLabel* m_lblValNumFraFill = nullptr;
    QLabel* m_lblThreshold = nullptr;
    TextSlider* m_sldThreshold = nullptr;
    QLabel* m_lblValThreshold = nullptr;
};
