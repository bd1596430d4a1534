#pragma once

#include "app/Form.h"

#include <QDialog>

class QListWidget;
class QPushButton;

// The options dialog in which the user chooses the interface language. A change is stored in
// the settings file and re-texts every loaded form at once.
class frmLng : public QDialog, public Form {
    Q_OBJECT
public:
    explicit frmLng(QWidget* parent = nullptr);

    void ctrls_setRcStr() override;
    void ctrls_resize() override {}
    void ctrls_editRcStr() {}

    QListWidget* lvwLng() const { return m_lvwLng; }

    void reject() override;

private:
    void ctrls_load();
    void lvwLng_load();
    void lvwLng_selectCurrent();
    bool ctrls_check() { return true; }
    void ctrls_apply() { lvwLng_apply(); }
    void lvwLng_apply();
    void btnOK_Click();
    void btnApply_Click();

    QListWidget* m_lvwLng = nullptr;
    QPushButton* m_btnOK = nullptr;
    QPushButton* m_btnCancel = nullptr;
    QPushButton* m_btnApply = nullptr;
};
