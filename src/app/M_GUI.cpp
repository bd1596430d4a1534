#include "app/M_GUI.h"

#include "app/Form.h"
#include "app/HoverPicture.h"
#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "app/RtError.h"

#include <functional>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QTreeWidget>
#include <QWidget>

namespace M_GUI {
namespace {
int g_idCounter = 0;
bool g_programmaticChange = false;
QString g_imgDir;

QString text(int n) { return M_Rc::getRcStr(n, true); }

// A dialog the form owns is a form of its own: it texts itself and lays its controls out for
// the new texts, which texting its controls from here would not.
bool insideOtherForm(const QWidget* control, const QWidget* form)
{
    for (const QWidget* w = control; w && w != form; w = w->parentWidget())
        if (dynamic_cast<const Form*>(w))
            return true;
    return false;
}
QString tip(int n) { return withoutMnemonic(text(n)); }

// A caption when the control shows one, otherwise the tooltip.
void setCaptionOrTip(QWidget* w, int n, const QString& currentCaption,
                     const std::function<void(const QString&)>& setCaption)
{
    if (!currentCaption.isEmpty())
        setCaption(text(n));
    else
        w->setToolTip(tip(n));
}

void actionsSetRcStr(const QList<QAction*>& actions, bool captionOrTip)
{
    for (QAction* a : actions) {
        if (const int n = tagOf(a)) {
            if (!captionOrTip || !a->text().isEmpty())
                a->setText(text(n));
            else
                a->setToolTip(tip(n));
        }
        if (a->menu())
            actionsSetRcStr(a->menu()->actions(), false);
    }
}
} // namespace

void setTag(QObject* control, int stringNumber) { control->setProperty(kTag, stringNumber); }

int tagOf(const QObject* control)
{
    const QVariant v = control->property(kTag);
    return v.isValid() ? v.toInt() : 0;
}

bool Init()
{
    g_idCounter = 0;
    return true;
}

QString getId() { return QString::number(g_idCounter++); }

QString withoutMnemonic(const QString& caption)
{
    QString out = caption;
    // "撤销(&U)": the key in brackets goes with its brackets.
    static const QRegularExpression bracketed(QStringLiteral("\\s*[(（]&[^&()（）][)）]"));
    out.remove(bracketed);
    QString plain;
    plain.reserve(out.size());
    for (qsizetype i = 0; i < out.size(); ++i) {
        if (out[i] == u'&' && i + 1 < out.size())
            ++i; // "&&" is a shown ampersand, "&U" an underlined U
        plain += out[i];
    }
    return plain;
}

void frm_setRcStr(QWidget* form) try {
    if (const int n = tagOf(form))
        form->setWindowTitle(text(n));
    for (QWidget* control : form->findChildren<QWidget*>())
        if (!insideOtherForm(control, form))
            ctrl_setRcStr(control);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_GUI.frm_setRcStr()"));
}

void ctrl_setRcStr(QWidget* c) try {
    const int n = tagOf(c);
    if (auto* menuBar = qobject_cast<QMenuBar*>(c)) {
        mnu_setRcStr(menuBar);
    } else if (auto* menu = qobject_cast<QMenu*>(c)) {
        mnu_setRcStr(menu);
    } else if (auto* combo = qobject_cast<QComboBox*>(c)) {
        cboUni_setRcStr(combo);
    } else if (auto* toolBar = qobject_cast<QToolBar*>(c)) {
        actionsSetRcStr(toolBar->actions(), true);
    } else if (auto* tabs = qobject_cast<QTabWidget*>(c)) {
        for (int i = 0; i < tabs->count(); ++i)
            if (const int t = tagOf(tabs->widget(i)))
                tabs->setTabText(i, text(t));
    } else if (auto* tabBar = qobject_cast<QTabBar*>(c)) {
        if (qobject_cast<QTabWidget*>(tabBar->parentWidget()))
            return; // the tab widget sets its own tabs
        for (int i = 0; i < tabBar->count(); ++i)
            if (const int t = tabBar->tabData(i).toInt()) {
                if (!tabBar->tabText(i).isEmpty())
                    tabBar->setTabText(i, text(t));
                else
                    tabBar->setTabToolTip(i, text(t));
            }
    } else if (auto* tree = qobject_cast<QTreeWidget*>(c)) {
        QTreeWidgetItem* header = tree->headerItem();
        for (int col = 0; col < tree->columnCount(); ++col)
            if (const int t = header->data(col, TagRole).toInt())
                header->setText(col, text(t));
    } else if (auto* table = qobject_cast<QTableWidget*>(c)) {
        for (int col = 0; col < table->columnCount(); ++col)
            if (QTableWidgetItem* h = table->horizontalHeaderItem(col))
                if (const int t = h->data(TagRole).toInt())
                    h->setText(text(t));
    } else if (auto* list = qobject_cast<QListWidget*>(c)) {
        for (int i = 0; i < list->count(); ++i)
            if (const int t = list->item(i)->data(TagRole).toInt())
                list->item(i)->setText(text(t));
    } else if (n == 0) {
        return;
    } else if (auto* button = qobject_cast<QAbstractButton*>(c)) {
        setCaptionOrTip(c, n, button->text(), [button](const QString& s) { button->setText(s); });
    } else if (auto* group = qobject_cast<QGroupBox*>(c)) {
        setCaptionOrTip(c, n, group->title(), [group](const QString& s) { group->setTitle(s); });
    } else if (auto* label = qobject_cast<QLabel*>(c)) {
        // A label that shows a picture is a picture box: its text is the tooltip.
        if (!label->pixmap().isNull())
            label->setToolTip(tip(n));
        else
            setCaptionOrTip(c, n, label->text(), [label](const QString& s) { label->setText(s); });
    } else if (auto* edit = qobject_cast<QLineEdit*>(c)) {
        edit->setText(text(n));
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(c)) {
        plain->setPlainText(text(n));
    } else if (auto* rich = qobject_cast<QTextEdit*>(c)) {
        rich->setPlainText(text(n));
    } else {
        // A picture box or a panel: the tooltip.
        c->setToolTip(tip(n));
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_GUI.ctrl_setRcStr()"), c ? c->objectName() : QString());
}

void disposeLater(QObject* control)
{
    if (!control)
        return;
    if (auto* w = qobject_cast<QWidget*>(control))
        w->hide();
    control->setObjectName(QString());
    control->disconnect();
    control->deleteLater();
}

void frm_rmCtrl(QWidget* form, const QString& name) try {
    if (QObject* control = form->findChild<QObject*>(name))
        delete control;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_GUI.frm_rmCtrl()"), name);
}

QString imgDir()
{
    if (!g_imgDir.isEmpty())
        return g_imgDir;
    if (const QString fromEnv = qEnvironmentVariable("ZORVIK_IMG_DIR"); !fromEnv.isEmpty())
        return fromEnv;
    // A build keeps the pictures beside the program; an installed program finds them under
    // share/ of its prefix, wherever that prefix was unpacked. When neither is there, the folder
    // beside the program is named in the report of the missing picture.
    const QString bin = QCoreApplication::applicationDirPath();
    const QString beside = bin + QStringLiteral("/Img");
    if (QFileInfo(beside).isDir())
        return beside;
    const QString installed = QDir::cleanPath(bin + QStringLiteral("/../share/zorvik/Img"));
    return QFileInfo(installed).isDir() ? installed : beside;
}

void setImgDir(const QString& dir) { g_imgDir = dir; }

void chkUni_setPic(QAbstractButton* button, const QString& folder, const QString& normal,
                   const QString& disabled, const QString& hot) try {
    QIcon icon = button->icon();
    const QString base = imgDir() + u'/' + folder + u'/';
    QStringList missing;
    const auto add = [&](const QString& file, QIcon::Mode mode) {
        if (file.isEmpty())
            return;
        const QPixmap pixmap(base + file);
        if (pixmap.isNull()) {
            missing << file;
            return;
        }
        icon.addPixmap(pixmap, mode, QIcon::Off);
        icon.addPixmap(pixmap, mode, QIcon::On);
    };
    add(normal, QIcon::Normal);
    add(disabled, QIcon::Disabled);
    add(hot, QIcon::Active);
    // The pictures that were found are shown even when one is missing; the missing one is still
    // reported.
    button->setIcon(icon);
    HoverPicture::attach(button);
    if (!missing.isEmpty())
        throw RtError(RtError::FileNotFound, base + missing.join(QStringLiteral(", ")));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_GUI.chkUni_setPic()"), normal);
}

void chkUni_setValue(QAbstractButton* button, bool value)
{
    g_programmaticChange = true;
    try {
        button->setChecked(value);
    } catch (...) {
        g_programmaticChange = false;
        M_Msg::errMsg(QStringLiteral("M_GUI.chkUni_setValue()"));
        return;
    }
    g_programmaticChange = false;
}

bool programmaticChange() { return g_programmaticChange; }

void cboUni_cboUni_addItem(QComboBox* combo, const QString& itemText, int itemData) try {
    combo->addItem(itemText, itemData);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_GUI.cboUni_cboUni_addItem()"));
}

int cboUni_rcNr2idx(const QComboBox* combo, int stringNumber)
{
    for (int i = 0; i < combo->count(); ++i)
        if (combo->itemData(i).toInt() == stringNumber)
            return i;
    return -1;
}

int cboUni_str2idx(const QComboBox* combo, const QString& itemText)
{
    for (int i = 0; i < combo->count(); ++i)
        if (combo->itemText(i) == itemText)
            return i;
    return -1;
}

void cboUni_setRcStr(QComboBox* combo) try {
    if (const int n = tagOf(combo)) {
        if (combo->isEditable())
            combo->setEditText(text(n));
        else
            combo->setPlaceholderText(text(n));
    }
    for (int i = 0; i < combo->count(); ++i) {
        const int data = combo->itemData(i).toInt();
        if (data >= 1)
            combo->setItemText(i, text(data));
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_GUI.cboUni_setRcStr()"));
}

int lstItemsUni_key2idx(const QListWidget* list, const QString& key)
{
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->data(KeyRole).toString() == key)
            return i + 1;
    return -1;
}

void mnu_setRcStr(QObject* menu) try {
    if (auto* bar = qobject_cast<QMenuBar*>(menu))
        actionsSetRcStr(bar->actions(), false);
    else if (auto* popup = qobject_cast<QMenu*>(menu))
        actionsSetRcStr(popup->actions(), false);
    else
        M_Msg::errMsg(QStringLiteral("M_GUI.mnu_setRcStr()"), QStringLiteral("Else"));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("M_GUI.mnu_setRcStr()"));
}

} // namespace M_GUI
