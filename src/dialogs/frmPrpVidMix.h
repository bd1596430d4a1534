#pragma once

#include "dialogs/ParamDialog.h"

class QGroupBox;
class QLabel;
class TextSlider;

// The parameters of the blend of two videos: algorithm, blend weight and colour weight, each on
// a slider. Every move of a slider raises params with all three values; closing the dialog
// raises unload. The dialog holds only its values; what they do is up to whoever listens.
class frmPrpVidMix : public ParamDialog {
    Q_OBJECT
public:
    explicit frmPrpVidMix(QWidget* parent = nullptr);
    ~frmPrpVidMix() override;

    void ctrls_setRcStr() override;

    int BlendAlg() const { return m_BlendAlg; }
    double Blend() const { return m_Blend; }
    double Color() const { return m_Color; }
    // Moves the sliders to these values (as an analysis file restores them); raises params.
    void setValues(int BlendAlg, double Blend, double Color);

    // The name of a blend algorithm; "" for a number other than 1 .. 3.
    static QString blendAlg2str(int alg);

signals:
    void params(int BlendAlg, double Blend, double Color);

private:
    void vars_init();
    void ctrls_load();
    void sldBlend_Scroll();
    void sldBlendAlg_Scroll();
    void sldColor_Scroll();
    void showBlend();
    void showColor();

    int m_BlendAlg = 1;
    double m_Blend = 0.5;
    double m_Color = 0.5;

    QGroupBox* m_fraBlend = nullptr;
    QLabel* m_lblBlendAlg = nullptr;
    TextSlider* m_sldBlendAlg = nullptr;
    QLabel* m_lblSpeed = nullptr;
    QLabel* m_UniLabel1 = nullptr;
    QLabel* m_lblBlend = nullptr;
    QLabel* m_lblBlendVal = nullptr;
    TextSlider* m_sldBlend = nullptr;
    QLabel* m_lblVid1 = nullptr;
    QLabel* m_lblVid2 = nullptr;
    QLabel* m_lblColor = nullptr;
    QLabel* m_lblColorVal = nullptr;
    TextSlider* m_sldColor = nullptr;
};
