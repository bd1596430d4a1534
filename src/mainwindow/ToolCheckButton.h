#pragma once

#include <QPointer>
#include <QSize>
#include <QString>
#include <QToolButton>

// One two-state picture button of a tool bar, made at run time from its description: a square
// checkable button without caption whose string number is its text key (so the language's text
// becomes its tooltip), with a normal, a disabled and a hot picture. Its identity is
// "<form>_<role>_<n>", the key by which it is removed again.
class ToolCheckButton {
public:
    struct Desc {
        QString role;     // the member's name without "m_", e.g. "chkTbDrawCircle"
        int left = 0;     // in its tool bar; the top is always 0
        int size = 40;    // width and height
        QSize picSize;    // the pictures' size
        QString folder;   // below the pictures folder, e.g. "_32x32"
        QString normal;   // picture files in that folder
        QString disabled;
        QString hot;
        int stringNr = 0;
        int vwAction = 0; // the tool it chooses, 0 for a button that is not a tool
    };

    // A main tool bar button: 66 x 66, "<picture>.bmp" (normal and hot), "<picture>_dis.bmp".
    static Desc mainDesc(const char* role, int left, const char* picture, int stringNr);
    // A drawing or measuring button: 40 x 40, "<picture>.ico", "_dis.ico" and "_hot.ico" (or the
    // given hot file).
    static Desc toolDesc(const char* role, int left, const char* picture, int stringNr, int vwAction,
                         const char* hotFile = nullptr);

    // Creates the button inside the tool bar; `form` names the owner in the identity and in error
    // reports.
    void load(QWidget* bar, const QString& form, const Desc& desc);
    void unload(QWidget* form);
    // Sets the three pictures, or with `clear` none.
    void setPic(bool clear = false);
    // Writes the enabled state when it differs from the wanted one.
    void enable(bool enabled);
    // Writes the pressed state, when it differs, with the programmatic-change guard raised.
    void press(bool pressed);

    QToolButton* button() const { return m_chk; }
    const QString& id() const { return m_id; }
    const Desc& desc() const { return m_desc; }
    // The name under which the button's procedures report, e.g. "frmMain.m_chkTbDrawCircle_Click()".
    QString procName(const char* procedure) const;

private:
    QString m_form;
    Desc m_desc;
    QString m_id;
    QPointer<QToolButton> m_chk;
};
