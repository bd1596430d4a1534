#pragma once

#include <QString>

// The shared error report and the one way in which the program speaks to the user.
namespace M_Msg {

// The program's title, the caption of its message boxes.
QString appTitle();

// Shows "ERROR", the procedure name (with ": " and the extra text when there is one) and, when
// called while an exception is being handled, its Source, Number, Description and LastDllError.
void errMsg(const QString& procName, const QString& extra = {});

// The text errMsg shows, without showing it.
QString errMsgText(const QString& procName, const QString& extra = {});

// Extends text by the pending error's details (when an exception is being handled) and shows it.
int errMsgUsr(QString& text, int style, const QString& caption);

// Shows a message box; an empty caption becomes the program's title, also in the caller's variable.
int msgUsr(const QString& text, int style, QString& caption);
int msgUsr(const QString& text, int style);

} // namespace M_Msg
