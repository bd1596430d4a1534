#pragma once

#include "app/Form.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The dialog in which the user enters the real length of the reference line, its unit and the
// pixel aspect of the video (square pixels unless told the file's own). OK with a valid number
// raises Ok and closes; Cancel and Escape close without an event, so the caller keeps what it
// had.
class frmCalibDist : public QDialog, public Form {
    Q_OBJECT
public:
    explicit frmCalibDist(QWidget* parent = nullptr);

    void ctrls_setRcStr() override;
    void ctrls_resize() override {}
    void ctrls_editRcStr() {}
    // True when the typed length is a number from 0 to 99999999; otherwise the user is told
    // and the number box gets the focus.
    bool ctrls_check();

    // The unit code of a position in the unit list (from 0): m 1, cm 2, mm 3, inches 4, feet 5,
    // yards 6; -1 outside the list.
    static int unitCode(int index);
    // Chooses the video's own pixel aspect (width over height of a pixel), added to the list as
    // "num:den" when no entry has it.
    void aspect_select(int num, int den);

signals:
    void Ok(double nCalibDist, int nCalibUnit, double nCalibAspectRatio);

private:
    void ctrls_load();
    void btnOK_Click();
    void btnCancel_Click();

    QGroupBox* m_fraCalibDist = nullptr;
    QLabel* m_lblCalibDist1 = nullptr;
    QLineEdit* m_txtCalibDist = nullptr;
    QComboBox* m_cboCalibUnit = nullptr;
    QLabel* m_lblAspectRatio = nullptr;
    QComboBox* m_cboAspectRatio = nullptr;
    QPushButton* m_btnOk = nullptr;
    QPushButton* m_btnCancel = nullptr;
};
