#pragma once

#include "app/Form.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class TextSlider;

// The parameters of the stroboscope: the number of frames between two copies of the subject
// and the threshold above which a pixel belongs to it. A click on or move of either slider
// raises params with both values; writing a value from outside raises nothing. Closing the
// dialog raises unload.
class frmPrpVidStrobo : public QDialog, public Form {
    Q_OBJECT
public:
    explicit frmPrpVidStrobo(QWidget* parent = nullptr);
    ~frmPrpVidStrobo() override;

    void ctrls_setRcStr() override;
    void ctrls_resize() override {}
    void ctrls_editRcStr() {}

    // Writing stores the number as it is and shows it on the slider, limited to the slider's
    // range; no event.
    void NumFraFill(int value);
    int NumFraFill() const { return m_NumFraFill; }
    void Threshold(int value);
    int Threshold() const { return m_Threshold; }

    // The operation's caption, shown as the window title; the caption bar keeps its own text.
    void setCaption(const QString& caption) { setWindowTitle(caption); }

    // Closing: raises unload, once. Deleting the dialog without closing it raises nothing.
    void done(int result) override;

signals:
    void params(int NumFraFill, int Threshold);
    void unload();

private:
    void vars_init();
    void ctrls_load();
    void ctrls_unload();
    void vars_free();
    void Form_Unload();
    void sldNumFraFill_Click();
    void sldNumFraFill_Scroll();
    void sldNumFraFill_update();
    void sldThreshold_Click();
    void sldThreshold_Scroll();
    void sldThreshold_update();

    int m_NumFraFill = 1;
    int m_Threshold = 5;
    bool m_unloaded = false;

    QGroupBox* m_cptFrm = nullptr;
    QLabel* m_lblNumFraFill = nullptr;
    TextSlider* m_sldNumFraFill = nullptr;
    QLabel* m_lblValNumFraFill = nullptr;
    QLabel* m_lblThreshold = nullptr;
    TextSlider* m_sldThreshold = nullptr;
    QLabel* m_lblValThreshold = nullptr;
};
