#include "graphics/frmCalibDist.h"

#include "app/M_GUI.h"
#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "components/DialogService.h"
#include "util/M_Misc.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>
#include <iterator>

namespace {
constexpr int kStrCaption = 1300;
constexpr int kStrCalibDist = 1301;
constexpr int kStrOK = 1302;
constexpr int kStrFrame = 1303;
constexpr int kStrAspect = 1304;
constexpr int kStrCancel = 1009;

constexpr double kMaxDist = 99999999.0;
constexpr int kStrDistPositive = 9036;

const char* const kUnits[] = {"m", "cm", "mm", "inches", "feet", "yards"};
const char* const kAspects[] = {"DV-PAL", "DV-NTSC", "1:1"};
// The multiplier of an aspect entry; the user role would be read as a string number.
constexpr int kAspectRole = Qt::UserRole + 1;
} // namespace

frmCalibDist::frmCalibDist(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCalibDist"));
    M_GUI::setTag(this, kStrCaption);
    setModal(true);
    setFixedSize(400, 196);
    ctrls_load();
    ctrls_setRcStr();
}

int frmCalibDist::unitCode(int index) { return index >= 0 && index < int(std::size(kUnits)) ? index + 1 : -1; }

void frmCalibDist::ctrls_load() try {
    // Controls start with a caption, so the language's texts go to the caption, not the tooltip.
    m_fraCalibDist = new QGroupBox(QStringLiteral(" Distance for this calibration: "), this);
    m_fraCalibDist->setObjectName(QStringLiteral("fraCalibDist"));
    M_GUI::setTag(m_fraCalibDist, kStrFrame);
    m_fraCalibDist->setGeometry(10, 8, 380, 132);

    m_lblCalibDist1 = new QLabel(QStringLiteral("Calibration distance:"), m_fraCalibDist);
    m_lblCalibDist1->setObjectName(QStringLiteral("lblCalibDist1"));
    M_GUI::setTag(m_lblCalibDist1, kStrCalibDist);
    m_lblCalibDist1->setGeometry(12, 32, 180, 24);

    m_txtCalibDist = new QLineEdit(m_fraCalibDist);
    m_txtCalibDist->setObjectName(QStringLiteral("txtCalibDist"));
    m_txtCalibDist->setGeometry(196, 32, 86, 24);
    m_txtCalibDist->setText(QStringLiteral("100"));

    m_cboCalibUnit = new QComboBox(m_fraCalibDist);
    m_cboCalibUnit->setObjectName(QStringLiteral("cboCalibUnit"));
    m_cboCalibUnit->setGeometry(290, 32, 78, 24);
    for (const char* unit : kUnits)
        m_cboCalibUnit->addItem(QString::fromLatin1(unit));
    m_cboCalibUnit->setCurrentIndex(1); // cm

    m_lblAspectRatio = new QLabel(QStringLiteral("Aspect ratio multiplier:"), m_fraCalibDist);
    m_lblAspectRatio->setObjectName(QStringLiteral("lblAspectRatio"));
    M_GUI::setTag(m_lblAspectRatio, kStrAspect);
    m_lblAspectRatio->setGeometry(12, 80, 180, 24);

    m_cboAspectRatio = new QComboBox(m_fraCalibDist);
    m_cboAspectRatio->setObjectName(QStringLiteral("cboAspectRatio"));
    m_cboAspectRatio->setGeometry(196, 80, 172, 24);
    // Each entry carries its multiplier, so the file's own ratio can stand beside the named ones.
    for (const char* aspect : kAspects) {
        m_cboAspectRatio->addItem(QString::fromLatin1(aspect));
        m_cboAspectRatio->setItemData(m_cboAspectRatio->count() - 1,
                                      M_Misc::vidFormatStr2aspectRatio(QString::fromLatin1(aspect)), kAspectRole);
    }
    m_cboAspectRatio->setCurrentIndex(m_cboAspectRatio->findText(QStringLiteral("1:1")));

    const auto makeButton = [this](const char* name, int tag, const char* text, int x) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(QString::fromLatin1(name));
        M_GUI::setTag(b, tag);
        b->setGeometry(x, 152, 110, 30);
        return b;
    };
    m_btnOk = makeButton("btnOk", kStrOK, "OK", 162);
    m_btnCancel = makeButton("btnCancel", kStrCancel, "Cancel", 280);
    m_btnOk->setDefault(true);
    connect(m_btnOk, &QPushButton::clicked, this, &frmCalibDist::btnOK_Click);
    connect(m_btnCancel, &QPushButton::clicked, this, &frmCalibDist::btnCancel_Click);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmCalibDist.ctrls_load()"));
}

void frmCalibDist::aspect_select(int num, int den) try {
    if (num <= 0 || den <= 0)
        return;
    const double ratio = double(num) / den;
    for (int i = 0; i < m_cboAspectRatio->count(); ++i) {
        if (std::abs(m_cboAspectRatio->itemData(i, kAspectRole).toDouble() - ratio) < 1e-4) {
            m_cboAspectRatio->setCurrentIndex(i);
            return;
        }
    }
    m_cboAspectRatio->addItem(QString::number(num) + u':' + QString::number(den));
    m_cboAspectRatio->setItemData(m_cboAspectRatio->count() - 1, ratio, kAspectRole);
    m_cboAspectRatio->setCurrentIndex(m_cboAspectRatio->count() - 1);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmCalibDist.aspect_select()"));
}

void frmCalibDist::ctrls_setRcStr() try {
    M_GUI::frm_setRcStr(this);
    ctrls_editRcStr();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmCalibDist.ctrls_setRcStr()"));
}

bool frmCalibDist::ctrls_check() try {
    if (M_Misc::checkDouble(m_txtCalibDist->text(), 0.0, kMaxDist)) {
        // 0 is in the range but makes no scale (nor does a length too small for the single
        // precision it is kept in): said here in words, before a line is drawn for nothing.
        double dist = 0;
        M_Misc::isNumeric(m_txtCalibDist->text(), &dist);
        if (float(dist) > 0)
            return true;
        M_Msg::msgUsr(M_Rc::getRcStr(kStrDistPositive), MsgBox::Exclamation | MsgBox::OkOnly);
    }
    m_txtCalibDist->setFocus();
    m_txtCalibDist->selectAll();
    return false;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmCalibDist.ctrls_check()"));
    return false;
}

void frmCalibDist::btnOK_Click() try {
    if (!ctrls_check())
        return;
    double dist = 0;
    M_Misc::isNumeric(m_txtCalibDist->text(), &dist);
    // The length is passed on as the single-precision value that was typed.
    emit Ok(double(float(dist)), unitCode(m_cboCalibUnit->currentIndex()),
            m_cboAspectRatio->currentData(kAspectRole).toDouble());
    accept();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmCalibDist.btnOK_Click()"));
}

void frmCalibDist::btnCancel_Click() try {
    reject();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmCalibDist.btnCancel_Click()"));
}
