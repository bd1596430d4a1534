#pragma once

#include "app/Form.h"

#include <QDialog>

// What the parameter dialogs of the video operations share: a tool window with a close button,
// the operation's caption as its title, and unload raised once when it closes. Deleting the
// dialog without closing it raises nothing (its owner has let go of it then).
class ParamDialog : public QDialog, public Form {
    Q_OBJECT
public:
    explicit ParamDialog(QWidget* parent = nullptr);

    void ctrls_resize() override {}
    void ctrls_editRcStr() {}

    // The operation's caption, shown as the window title.
    void setCaption(const QString& caption) { setWindowTitle(caption); }

    void done(int result) override;

signals:
    void unload();

private:
    bool m_unloaded = false;
};
