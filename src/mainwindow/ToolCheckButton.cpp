#include "mainwindow/ToolCheckButton.h"

#include "app/M_GUI.h"
#include "app/M_Msg.h"
#include "app/RtError.h"

namespace {
// The buttons' own background behind their pictures.
const QColor kButtonBack(225, 225, 225);
} // namespace

ToolCheckButton::Desc ToolCheckButton::mainDesc(const char* role, int left, const char* picture, int stringNr)
{
    const QString name = QLatin1String(picture);
    return {QLatin1String(role),
            left,
            66,
            QSize(60, 59),
            QStringLiteral("_60x59"),
            name + QStringLiteral(".bmp"),
            name + QStringLiteral("_dis.bmp"),
            name + QStringLiteral(".bmp"),
            stringNr,
            0};
}

ToolCheckButton::Desc ToolCheckButton::toolDesc(const char* role, int left, const char* picture, int stringNr,
                                                int vwAction, const char* hotFile)
{
    const QString name = QLatin1String(picture);
    const QString hot = hotFile ? QLatin1String(hotFile) : name + QStringLiteral("_hot.ico");
    return {QLatin1String(role),
            left,
            40,
            QSize(32, 32),
            QStringLiteral("_32x32"),
            name + QStringLiteral(".ico"),
            name + QStringLiteral("_dis.ico"),
            hot,
            stringNr,
            vwAction};
}

QString ToolCheckButton::procName(const char* procedure) const
{
    return m_form + QStringLiteral(".m_") + m_desc.role + u'_' + QLatin1String(procedure) + QStringLiteral("()");
}

void ToolCheckButton::load(QWidget* bar, const QString& form, const Desc& desc)
{
    m_form = form;
    m_desc = desc;
    try {
        if (!bar)
            throw RtError(RtError::ObjectNotSet);
        m_id = form + u'_' + desc.role + u'_' + M_GUI::getId();
        auto* chk = new QToolButton(bar);
        chk->setObjectName(m_id);
        chk->setCheckable(true);
        chk->setAutoRaise(false);
        chk->setFocusPolicy(Qt::NoFocus);
        QPalette pal = chk->palette();
        pal.setColor(QPalette::Button, kButtonBack);
        chk->setPalette(pal);
        chk->setText(QString());
        chk->setGeometry(desc.left, 0, desc.size, desc.size);
        chk->setIconSize(desc.picSize);
        M_GUI::setTag(chk, desc.stringNr);
        chk->show();
        m_chk = chk;
        setPic();
    } catch (...) {
        M_Msg::errMsg(procName("load"));
    }
}

void ToolCheckButton::unload(QWidget* form) try {
    // Without an identity the button was never made: there is nothing of ours to remove.
    if (!m_id.isEmpty())
        M_GUI::frm_rmCtrl(form, m_id);
    m_id.clear();
    m_chk = nullptr;
} catch (...) {
    M_Msg::errMsg(procName("unload"));
}

void ToolCheckButton::setPic(bool clear) try {
    if (!m_chk)
        throw RtError(RtError::ObjectNotSet);
    if (clear)
        m_chk->setIcon(QIcon());
    else
        M_GUI::chkUni_setPic(m_chk, m_desc.folder, m_desc.normal, m_desc.disabled, m_desc.hot);
} catch (...) {
    M_Msg::errMsg(procName("setPic"));
}

// A button whose load failed was reported then; refreshes pass it by.
void ToolCheckButton::enable(bool enabled) try {
    if (m_chk && m_chk->isEnabled() != enabled)
        m_chk->setEnabled(enabled);
} catch (...) {
    M_Msg::errMsg(procName("enable"));
}

void ToolCheckButton::press(bool pressed) try {
    if (m_chk && m_chk->isChecked() != pressed)
        M_GUI::chkUni_setValue(m_chk, pressed);
} catch (...) {
    M_Msg::errMsg(procName("enable"));
}
