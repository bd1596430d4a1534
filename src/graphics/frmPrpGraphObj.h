#pragma once

#include "app/Form.h"
#include "components/overlay/OvCalib2D.h"
#include "components/overlay/OvGraphItems.h"
#include "components/overlay/OvMeasureScene.h"

#include <QColor>
#include <QDialog>
#include <QPointer>
#include <memory>

class OvVView;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// Edits one graphic item of a view after it was drawn: colour, line width or text size, the
// frames in which it stands and, for an angle, which of its readings is shown. It acts on every
// object of the view that carries the item's id: drawing items, angles and distances with their
// labels. Changes reach the items only through OK or Apply.
class frmPrpGraphObj : public QDialog, public Form {
    Q_OBJECT
public:
    explicit frmPrpGraphObj(QWidget* parent = nullptr);
    ~frmPrpGraphObj() override;

    // The view's viewer (frame count, redraw), its three collections, its calibration (null
    // when not calibrated) and the id to edit; then the controls show that id's values.
    void vars_set(OvVView* viewer, OvGraphItems* gis, OvAngles* angles, OvDistances* dists,
                  std::shared_ptr<OvCalib2D> cal, int id);

    void ctrls_setRcStr() override;
    void ctrls_resize() override {}
    void ctrls_editRcStr() {}
    // True when both frame numbers lie in the video and the first is not after the last;
    // otherwise the user is told and the wrong box gets the focus.
    bool ctrls_check();
    // Writes the dialog's values into every object of the id and redraws the viewer.
    void ctrls_apply();

    // The unit name of the view's calibration; empty when the view is not calibrated.
    QString CalUnit() const;
    // The colour in the swatch.
    QColor swatchColor() const { return m_color; }

    // List positions: a line width stands at width - 1, a text size at size - 5.
    static int cboLineWidth_width2idx(int width) { return width - 1; }
    static int cboLineWidth_idx2width(int idx) { return idx + 1; }
    static int cboTextSize_size2idx(int size) { return size - kMinTextSize; }
    static int cboTextSize_idx2size(int idx) { return idx + kMinTextSize; }

    static constexpr int kMinTextSize = 5;
    static constexpr int kMaxTextSize = 50;
    static constexpr int kMaxLineWidth = 8;

private:
    void vars_init();
    void ctrls_make();
    void ctrls_load();
    void ovGi_load();
    void ovDist_load();
    void ovAngle_load();
    void cboAngle_load();
    void cboLineWidth_load();
    void cboTextSize_load();
    int cboAngle_angle2idx(const OvAngle& angle) const;
    bool cboAngle_isInterior() const;
    bool cboAngle_isExterior() const;
    bool cboAngle_isOrthopaedic() const;
    void lineWidth_enable(bool on);
    void textSize_enable(bool on);
    void angle_enable(bool on);
    void lineWidth_select(int width);
    void shpColor_set(const QColor& color);
    // The number typed into a frame box (checked before).
    static int frameOf(const QLineEdit* box);

    void btnOK_Click();
    void btnApply_Click();
    void btnCancel_Click();
    void btnColor_Click();

    QPointer<OvVView> m_ovVVw;
    OvGraphItems* m_ovGis = nullptr;
    OvAngles* m_ovAngles = nullptr;
    OvDistances* m_ovDists = nullptr;
    std::shared_ptr<OvCalib2D> m_ovCal2D;
    int m_id = -1;
    QColor m_color;

    QLabel* m_cptGraphObjPrp = nullptr;
    QLabel* m_lblColor = nullptr;
    QFrame* m_shpColor = nullptr;
    QPushButton* m_btnColor = nullptr;
    QLabel* m_lblLineWidth = nullptr;
    QComboBox* m_cboLineWidth = nullptr;
    QLabel* m_lblTextSize = nullptr;
    QComboBox* m_cboTextSize = nullptr;
    QLabel* m_lblAngle = nullptr;
    QComboBox* m_cboAngle = nullptr;
    QLabel* m_lblFraNrStart = nullptr;
    QLineEdit* m_txtFirstFrame = nullptr;
    QLabel* m_lblFraNrEnd = nullptr;
    QLineEdit* m_txtLastFrame = nullptr;
    QPushButton* m_btnOK = nullptr;
    QPushButton* m_btnApply = nullptr;
    QPushButton* m_btnCancel = nullptr;
};
