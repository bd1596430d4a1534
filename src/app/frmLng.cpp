#include "app/frmLng.h"

#include "app/FlagPictures.h"
#include "app/MMain.h"
#include "app/M_GUI.h"
#include "app/M_Ini.h"
#include "app/M_Msg.h"
#include "app/M_Rc.h"

#include <QListWidget>
#include <QPushButton>

namespace {
constexpr int kStrCaption = 1614;
constexpr int kStrOK = 3900;
constexpr int kStrCancel = 3901;
constexpr int kStrApply = 3902;

// The six languages of the list, in their order, with their flag picture and the name each
// language gives itself: a user looks for the name of the language they read.
struct ListEntry {
    const char* key;
    int imageIndex;
    const char* nativeName;
};
const ListEntry kEntries[] = {
    {"CHS", 22, "中文"},     {"DEU", 10, "Deutsch"}, {"ENU", 6, "English"},
    {"FRA", 8, "Français"}, {"ESP", 24, "Español"}, {"PTG", 19, "Português"},
};
} // namespace

frmLng::frmLng(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmLng"));
    M_GUI::setTag(this, kStrCaption);
    setModal(true);
    setFixedSize(420, 250);
    ctrls_load();
    ctrls_setRcStr();
}

void frmLng::ctrls_load() try {
    m_lvwLng = new QListWidget(this);
    m_lvwLng->setObjectName(QStringLiteral("lvwLng"));
    m_lvwLng->setGeometry(12, 12, 396, 184);
    m_lvwLng->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_lvwLng->setViewMode(QListView::IconMode);
    m_lvwLng->setIconSize(QSize(48, 32));
    m_lvwLng->setGridSize(QSize(124, 82));
    m_lvwLng->setMovement(QListView::Static);
    m_lvwLng->setResizeMode(QListView::Adjust);
    m_lvwLng->setWordWrap(true);

    const auto makeButton = [this](const char* name, int tag, const char* text, int x) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(QString::fromLatin1(name));
        M_GUI::setTag(b, tag);
        b->setGeometry(x, 208, 124, 30);
        return b;
    };
    m_btnOK = makeButton("btnOK", kStrOK, "OK", 12);
    m_btnCancel = makeButton("btnCancel", kStrCancel, "Cancel", 148);
    m_btnApply = makeButton("btnApply", kStrApply, "Apply", 284);
    m_btnOK->setDefault(true);
    connect(m_btnOK, &QPushButton::clicked, this, &frmLng::btnOK_Click);
    connect(m_btnCancel, &QPushButton::clicked, this, &frmLng::reject);
    connect(m_btnApply, &QPushButton::clicked, this, &frmLng::btnApply_Click);
    lvwLng_load();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmLng.ctrls_load()"));
}

void frmLng::lvwLng_load() try {
    m_lvwLng->clear();
    for (const ListEntry& e : kEntries) {
        auto* item = new QListWidgetItem(QIcon(flagPicture(e.imageIndex, 32)), QString::fromUtf8(e.nativeName));
        item->setData(M_GUI::KeyRole, QString::fromLatin1(e.key));
        m_lvwLng->addItem(item);
    }
    lvwLng_selectCurrent();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmLng.lvwLng_load()"));
}

void frmLng::lvwLng_selectCurrent()
{
    const int idx = M_GUI::lstItemsUni_key2idx(m_lvwLng, M_Rc::rcOffset2nlsKey(M_Rc::rcOffset()));
    if (idx > 0)
        m_lvwLng->setCurrentRow(idx - 1);
}

void frmLng::ctrls_setRcStr() try {
    M_GUI::frm_setRcStr(this);
    ctrls_editRcStr();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmLng.ctrls_setRcStr()"));
}

void frmLng::lvwLng_apply() try {
    QListWidgetItem* selected = m_lvwLng->currentItem();
    if (!selected)
        return;
    const int current = M_GUI::lstItemsUni_key2idx(m_lvwLng, M_Rc::rcOffset2nlsKey(M_Rc::rcOffset()));
    if (m_lvwLng->row(selected) + 1 == current)
        return;
    M_Rc::setRcOffset(M_Rc::key2rcOffset(selected->data(M_GUI::KeyRole).toString()));
    M_Ini::str_set(QLatin1String(MMain::kIniSection), QLatin1String(MMain::kIniKeyLcid),
                   QString::number(M_Rc::rcOffset2lcid(M_Rc::rcOffset())), MMain::iniFilePath());
    MMain::frms_setRcStr();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmLng.lvwLng_apply()"));
}

void frmLng::btnOK_Click()
{
    if (ctrls_check())
        ctrls_apply();
    accept();
}

// Cancel, Escape and the close button: a choice not applied is forgotten, so the next opening
// shows the language in use.
void frmLng::reject()
{
    lvwLng_selectCurrent();
    QDialog::reject();
}

void frmLng::btnApply_Click()
{
    if (ctrls_check())
        ctrls_apply();
}
