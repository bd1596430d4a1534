#pragma once

#include "app/Form.h"
#include "viewcontroller/IMainWindowCallbacks.h"

#include <QStringList>
#include <QWidget>
#include <memory>

class CVwCtrl;

// The program's single main window. Its controls are created at run time in a fixed order and
// removed in the reverse order; closing asks the user first.
class frmMain : public QWidget, public Form, public IMainWindowCallbacks {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    void ctrls_setRcStr() override;
    void ctrls_resize() override;
    void ctrls_editRcStr() {}
    void ctrls_enable(bool enable = true) override;

    CVwCtrl* vwCtrl() const { return m_VwCtrl.get(); }
    // Opens each file into a new view, as if chosen in the open dialog.
    void openFiles(const QStringList& paths);

    bool loaded() const { return m_loaded; }
    int layoutW() const { return m_layoutW; }
    int layoutH() const { return m_layoutH; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Form_Load();
    // True when the closing may go on; asks the user unless the session is ending.
    bool Form_QueryUnload();
    void Form_Unload();
    void vars_init();
    void ctrls_load();
    void ctrls_unload();
    void m_VwCtrl_load();
    void m_VwCtrl_unload();
    void m_VwCtrl_resize();

    bool m_loaded = false;
    bool m_unloaded = false;
    int m_layoutW = 0;
    int m_layoutH = 0;
    int m_minW = 910;
    int m_minH = 700;
    std::unique_ptr<CVwCtrl> m_VwCtrl;
};
