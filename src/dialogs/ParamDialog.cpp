#include "dialogs/ParamDialog.h"

#include "app/M_Msg.h"

ParamDialog::ParamDialog(QWidget* parent) : QDialog(parent)
{
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

void ParamDialog::done(int result)
{
    QDialog::done(result);
    if (m_unloaded)
        return;
    m_unloaded = true;
    try {
        emit unload();
    } catch (...) {
        M_Msg::errMsg(objectName() + QStringLiteral(".Form_Unload()"));
    }
}
