#include "app/M_Msg.h"

#include "app/M_Rc.h"
#include "app/RtError.h"
#include "components/DialogService.h"

#include <QDebug>

namespace M_Msg {

QString appTitle() { return QStringLiteral("Zorvik"); }

QString errMsgText(const QString& procName, const QString& extra)
{
    const QString crlf = QStringLiteral("\r\n");
    QString text = QStringLiteral("ERROR") + crlf + procName;
    if (!extra.isEmpty())
        text += QStringLiteral(": ") + extra;
    const RtError pending = RtError::fromCurrent();
    if (pending.number() != 0) {
        text += crlf + QStringLiteral("Source: ") + pending.source();
        text += crlf + QStringLiteral("Number: ") + QString::number(pending.number());
        text += crlf + QStringLiteral("Description: ") + pending.description();
        text += crlf + QStringLiteral("LastDllError: ") + QString::number(pending.lastDllError());
    }
    return text;
}

void errMsg(const QString& procName, const QString& extra)
{
    try {
        const QString text = errMsgText(procName, extra);
        qWarning().noquote() << QString(text).replace(QStringLiteral("\r\n"), QStringLiteral(" | "));
        msgUsr(text, MsgBox::Critical | MsgBox::OkOnly);
    } catch (...) {
        // The error report must never throw into the handler that called it.
        qWarning("errMsg failed while reporting an error");
    }
}

int errMsgUsr(QString& text, int style, const QString& caption) try {
    const RtError pending = RtError::fromCurrent();
    if (pending.number() != 0) {
        const QString crlf = QStringLiteral("\r\n");
        text += crlf + M_Rc::getRcStr(3002) + pending.source();
        text += crlf + M_Rc::getRcStr(3001) + QString::number(pending.number());
        text += crlf + M_Rc::getRcStr(3003) + pending.description();
        text += crlf;
    }
    QString cap = caption;
    return msgUsr(text, style, cap);
} catch (...) {
    errMsg(QStringLiteral("M_Msg.errMsgUsr()"));
    return 0;
}

int msgUsr(const QString& text, int style, QString& caption) try {
    if (caption.isEmpty())
        caption = appTitle();
    return DialogService::current().messageBox(text, style, caption);
} catch (...) {
    errMsg(QStringLiteral("M_Msg.msgUsr()"));
    return 0;
}

int msgUsr(const QString& text, int style)
{
    QString caption;
    return msgUsr(text, style, caption);
}

} // namespace M_Msg
