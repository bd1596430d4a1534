#pragma once

#include <QString>
#include <QVariant>

class QAbstractButton;
class QComboBox;
class QListWidget;
class QObject;
class QWidget;

// Helpers with which forms and classes name their run-time controls, give them the texts of the
// chosen language, their pictures and their values.
namespace M_GUI {

// The property that holds a control's string number (its "Tag").
inline constexpr const char* kTag = "Tag";
// Item data roles: the string number of a list item, header or combo item, and a list item's key.
inline constexpr int TagRole = 0x0100 + 11; // Qt::UserRole + 11
inline constexpr int KeyRole = 0x0100 + 12;

void setTag(QObject* control, int stringNumber);
// The control's string number, or 0 when its Tag is empty.
int tagOf(const QObject* control);

// Resets the control id counter; true.
bool Init();
// The counter as a decimal string; then the counter goes up by one. Ids are never reused.
QString getId();

// A caption as a tooltip shows it: without the mnemonic marks ("&Undo" -> "Undo", "撤销(&U)" -> "撤销").
QString withoutMnemonic(const QString& caption);

// Caption of the form from its Tag, then the texts of every control on it (a dialog the form
// owns texts itself).
void frm_setRcStr(QWidget* form);
// The texts of one control from its string numbers, by the kind of control.
void ctrl_setRcStr(QWidget* control);
// Takes a control out of use at once (hidden, nameless, its signals cut) and destroys it when the
// event loop next runs: the event that asked for it may still be on its way through the control.
void disposeLater(QObject* control);
// Removes (destroys) the run-time control of that name from the form.
void frm_rmCtrl(QWidget* form, const QString& name);

// The folder the program's pictures are read from: the one set below, else env ZORVIK_IMG_DIR,
// else Img/ beside the executable (a build), else ../share/zorvik/Img from it (an installation).
QString imgDir();
void setImgDir(const QString& dir); // for a program run from elsewhere and for tests

// Loads each non-empty picture from Img/<folder>/<file> as the button's normal, disabled and hot
// picture; the hot one shows while the mouse is over the button. A missing file is reported and
// the pictures that were found are kept.
void chkUni_setPic(QAbstractButton* button, const QString& folder, const QString& normal,
                   const QString& disabled, const QString& hot);
// Sets a check button's value while the programmatic-change flag is up.
void chkUni_setValue(QAbstractButton* button, bool value);
// True while chkUni_setValue is setting a value, so click handlers can tell it from a user click.
bool programmaticChange();

void cboUni_cboUni_addItem(QComboBox* combo, const QString& text, int itemData);
int cboUni_rcNr2idx(const QComboBox* combo, int stringNumber);
int cboUni_str2idx(const QComboBox* combo, const QString& text);
void cboUni_setRcStr(QComboBox* combo);

// Index, counted from 1, of the first list item with that key; -1 when none has it.
int lstItemsUni_key2idx(const QListWidget* list, const QString& key);

// Each menu entry with a string number gets its caption; another kind of control is reported.
void mnu_setRcStr(QObject* menu);

} // namespace M_GUI
