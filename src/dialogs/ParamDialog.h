#pragma once

#include "app/Form.h"

#include <QDialog>
#include <QList>
#include <map>

class QLabel;

// What the parameter dialogs of the video operations share: a tool window with a close button,
// the operation's caption as its title, and unload raised once when it closes. Deleting the
// dialog without closing it raises nothing (its owner has let go of it then). Escape does not
// close it: closing ends the operation, which a key meant for something else must not do.
class ParamDialog : public QDialog, public Form {
    Q_OBJECT
public:
    explicit ParamDialog(QWidget* parent = nullptr);

    void ctrls_resize() override {}
    void ctrls_editRcStr() {}

    // The operation's caption, shown as the window title.
    void setCaption(const QString& caption) { setWindowTitle(caption); }

    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Lays the labels out again for their present texts: each from where the layout put it as
    // wide as its text needs (ParamControls::fitText), and the frame and the dialog wider where
    // the labels would leave them, so that every text shows whole in every language.
    void fitLabels(QWidget* frame, const QList<QLabel*>& labels);

signals:
    void unload();

private:
    bool m_unloaded = false;
    // The layout as made, before any text was fitted: the frame, its controls, the dialog's size.
    std::map<QWidget*, QRect> m_laidOut;
    QSize m_laidOutSize;
};
