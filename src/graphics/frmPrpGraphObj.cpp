#include "graphics/frmPrpGraphObj.h"

#include "app/M_GUI.h"
#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "components/DialogService.h"
#include "components/viewer/OvVView.h"
#include "graphics/M_OvGS.h"
#include "util/M_Misc.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace {
constexpr int kStrTitle = 2800;
constexpr int kStrCaption = 2001;
constexpr int kStrColor = 2112;
constexpr int kStrLineWidth = 3247;
constexpr int kStrTextSize = 3248;
constexpr int kStrAngle = 1036;
constexpr int kStrInner = 3218;
constexpr int kStrOuter = 3219;
constexpr int kStrOrthopaedic = 3220;
constexpr int kStrFromFrame = 2802;
constexpr int kStrToFrame = 2803;
constexpr int kStrOK = 1302;
constexpr int kStrApply = 2805;
constexpr int kStrCancel = 1009;
constexpr int kStrNumberInBox = 3014;
constexpr int kStrNotBigger = 3015;

// Layout: a caption bar across the top, label column and value column, buttons at the foot.
constexpr int kWidth = 300;
constexpr int kHeight = 290;
constexpr int kCaptionHeight = 26;
constexpr int kLabelX = 14;
constexpr int kLabelW = 110;
constexpr int kValueX = 128;
constexpr int kRowH = 24;
constexpr int kRowStep = 32;
constexpr int kFirstRowY = 40;

int rowY(int row) { return kFirstRowY + row * kRowStep; }

QLabel* makeLabel(QWidget* parent, const char* name, const char* text, int tag, int row)
{
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setObjectName(QString::fromLatin1(name));
    M_GUI::setTag(l, tag);
    l->setGeometry(kLabelX, rowY(row), kLabelW, kRowH);
    return l;
}

QComboBox* makeList(QWidget* parent, const char* name, int row, int width)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setGeometry(kValueX, rowY(row), width, kRowH);
    return c;
}

QLineEdit* makeNumberBox(QWidget* parent, const char* name, int row)
{
    auto* t = new QLineEdit(parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setGeometry(kValueX, rowY(row), 90, kRowH);
    t->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return t;
}
} // namespace

frmPrpGraphObj::frmPrpGraphObj(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPrpGraphObj"));
    M_GUI::setTag(this, kStrTitle);
    setModal(true);
    setFixedSize(kWidth, kHeight);
    vars_init();
    ctrls_make();
    ctrls_setRcStr();
}

frmPrpGraphObj::~frmPrpGraphObj() = default;

void frmPrpGraphObj::vars_init()
{
    m_ovVVw = nullptr;
    m_ovGis = nullptr;
    m_ovAngles = nullptr;
    m_ovDists = nullptr;
    m_ovCal2D.reset();
    m_id = -1;
    m_color = QColor(255, 255, 128);
}

void frmPrpGraphObj::vars_set(OvVView* viewer, OvGraphItems* gis, OvAngles* angles, OvDistances* dists,
                              std::shared_ptr<OvCalib2D> cal, int id) try {
    m_ovVVw = viewer;
    m_ovGis = gis;
    m_ovAngles = angles;
    m_ovDists = dists;
    m_ovCal2D = std::move(cal);
    m_id = id;
    ctrls_load();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpGraphObj.vars_set()"), QStringLiteral("id = ") + QString::number(id));
}

// Creates the controls with their English texts; ctrls_setRcStr then puts in the language's.
void frmPrpGraphObj::ctrls_make() try {
    m_cptGraphObjPrp = new QLabel(QStringLiteral("Properties"), this);
    m_cptGraphObjPrp->setObjectName(QStringLiteral("cptGraphObjPrp"));
    M_GUI::setTag(m_cptGraphObjPrp, kStrCaption);
    m_cptGraphObjPrp->setGeometry(0, 0, kWidth, kCaptionHeight);
    m_cptGraphObjPrp->setStyleSheet(QStringLiteral(
        "QLabel { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #2c4a72, stop:1 #5b7fae);"
        " color: white; font-weight: bold; padding-left: 8px; }"));

    m_lblColor = makeLabel(this, "lblColor", "Color", kStrColor, 0);
    m_shpColor = new QFrame(this);
    m_shpColor->setObjectName(QStringLiteral("shpColor"));
    m_shpColor->setFrameShape(QFrame::Box);
    m_shpColor->setAutoFillBackground(true);
    m_shpColor->setGeometry(kValueX, rowY(0), 90, kRowH);
    m_btnColor = new QPushButton(QStringLiteral("..."), this);
    m_btnColor->setObjectName(QStringLiteral("btnColor"));
    m_btnColor->setGeometry(kValueX + 96, rowY(0), 32, kRowH);

    m_lblLineWidth = makeLabel(this, "lblLineWidth", "Line width", kStrLineWidth, 1);
    m_cboLineWidth = makeList(this, "cboLineWidth", 1, 90);
    cboLineWidth_load();
    m_lblTextSize = makeLabel(this, "lblTextSize", "Text size", kStrTextSize, 2);
    m_cboTextSize = makeList(this, "cboTextSize", 2, 90);
    cboTextSize_load();
    m_lblAngle = makeLabel(this, "lblAngle", "Angle: ", kStrAngle, 3);
    m_cboAngle = makeList(this, "cboAngle", 3, 150);

    m_lblFraNrStart = makeLabel(this, "lblFraNrStart", "from frame", kStrFromFrame, 4);
    m_txtFirstFrame = makeNumberBox(this, "txtFirstFrame", 4);
    m_lblFraNrEnd = makeLabel(this, "lblFraNrEnd", "to frame", kStrToFrame, 5);
    m_txtLastFrame = makeNumberBox(this, "txtLastFrame", 5);

    const auto makeButton = [this](const char* name, int tag, const char* text, int x) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(QString::fromLatin1(name));
        M_GUI::setTag(b, tag);
        b->setGeometry(x, kHeight - 44, 86, 30);
        return b;
    };
    m_btnOK = makeButton("btnOK", kStrOK, "OK", 14);
    m_btnApply = makeButton("btnApply", kStrApply, "Apply", 107);
    m_btnCancel = makeButton("btnCancel", kStrCancel, "Cancel", 200);
    m_btnOK->setDefault(true);

    shpColor_set(m_color);
    connect(m_btnOK, &QPushButton::clicked, this, &frmPrpGraphObj::btnOK_Click);
    connect(m_btnApply, &QPushButton::clicked, this, &frmPrpGraphObj::btnApply_Click);
    connect(m_btnCancel, &QPushButton::clicked, this, &frmPrpGraphObj::btnCancel_Click);
    connect(m_btnColor, &QPushButton::clicked, this, &frmPrpGraphObj::btnColor_Click);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpGraphObj.ctrls_make()"));
}

void frmPrpGraphObj::cboLineWidth_load() try {
    m_cboLineWidth->clear();
    for (int w = 1; w <= kMaxLineWidth; ++w)
        m_cboLineWidth->addItem(QString::number(w));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpGraphObj.cboLineWidth_load()"));
}

void frmPrpGraphObj::cboTextSize_load() try {
    m_cboTextSize->clear();
    for (int s = kMinTextSize; s <= kMaxTextSize; ++s)
        m_cboTextSize->addItem(QString::number(s));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpGraphObj.cboTextSize_load()"));
}

// The readings carry their string numbers, so the language's texts can be put in at any time.
void frmPrpGraphObj::cboAngle_load() try {
    m_cboAngle->clear();
    for (int n : {kStrInner, kStrOuter, kStrOrthopaedic})
        M_GUI::cboUni_cboUni_addItem(m_cboAngle, M_Rc::getRcStr(n), n);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpGraphObj.cboAngle_load()"));
}

void frmPrpGraphObj::ctrls_setRcStr() try {
    M_GUI::frm_setRcStr(this);
    ctrls_editRcStr();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpGraphObj.ctrls_setRcStr()"));
}

void frmPrpGraphObj::ctrls_load() try {
    ovGi_load();
    ovDist_load();
    ovAngle_load();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpGraphObj.ctrls_load()"));
}

void frmPrpGraphObj::ovGi_load() try {
    if (!m_ovGis)
        return;
    const M_OvGS::GiPtr gi = M_OvGS::ovGi_get1st(*m_ovGis, m_id);
    if (!gi)
        return;
    m_txtFirstFrame->setText(QString::number(gi->firstFrame()));
    m_txtLastFrame->setText(QString::number(gi->lastFrame()));
    shpColor_set(gi->color());
    if (gi->type() != OvGraphItem::Text) {
        textSize_enable(false);
        lineWidth_enable(true);
        lineWidth_select(M_OvGS::ovGi_style2lineWidth(gi->style()));
    } else {
        textSize_enable(true);
        m_cboTextSize->setCurrentIndex(cboTextSize_size2idx(gi->style() / 256));
        lineWidth_enable(false);
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpGraphObj.ovGi_load()"));
}

void frmPrpGraphObj::ovDist_load() try {
    if (!m_ovDists)
        return;
    const M_OvGS::DistPtr dist = M_OvGS::ovDist_get1st(*m_ovDists, m_id);
    if (!dist)
        return;
    lineWidth_enable(true);
    lineWidth_select(dist->lineWidth());
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpGraphObj.ovDist_load()"));
}

void frmPrpGraphObj::ovAngle_load() try {
    const M_OvGS::AnglePtr angle = m_ovAngles ? M_OvGS::ovAngle_get1st(*m_ovAngles, m_id) : nullptr;
    if (!angle) {
        angle_enable(false);
        return;
    }
    lineWidth_enable(true);
    lineWidth_select(angle->lineWidth());
    angle_enable(true);
    cboAngle_load();
    m_cboAngle->setCurrentIndex(cboAngle_angle2idx(*angle));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpGraphObj.ovAngle_load()"));
}

int frmPrpGraphObj::cboAngle_angle2idx(const OvAngle& angle) const try {
    int n = kStrOrthopaedic;
    if (!angle.signedMode())
        n = angle.value() <= 180.0f ? kStrInner : kStrOuter;
    return M_GUI::cboUni_rcNr2idx(m_cboAngle, n);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpGraphObj.cboAngle_angle2idx()"));
    return -1;
}

bool frmPrpGraphObj::cboAngle_isInterior() const { return m_cboAngle->currentData().toInt() == kStrInner; }
bool frmPrpGraphObj::cboAngle_isExterior() const { return m_cboAngle->currentData().toInt() == kStrOuter; }
bool frmPrpGraphObj::cboAngle_isOrthopaedic() const
{
    return m_cboAngle->currentData().toInt() == kStrOrthopaedic;
}

void frmPrpGraphObj::lineWidth_enable(bool on)
{
    m_lblLineWidth->setEnabled(on);
    m_cboLineWidth->setEnabled(on);
}

void frmPrpGraphObj::textSize_enable(bool on)
{
    m_lblTextSize->setEnabled(on);
    m_cboTextSize->setEnabled(on);
}

void frmPrpGraphObj::angle_enable(bool on)
{
    m_lblAngle->setEnabled(on);
    m_cboAngle->setEnabled(on);
}

// A width outside the list shows its nearest entry, so Apply never writes a width of 0.
void frmPrpGraphObj::lineWidth_select(int width)
{
    m_cboLineWidth->setCurrentIndex(cboLineWidth_width2idx(std::clamp(width, 1, kMaxLineWidth)));
}

void frmPrpGraphObj::shpColor_set(const QColor& color)
{
    m_color = color;
    QPalette pal = m_shpColor->palette();
    pal.setColor(QPalette::Window, color);
    m_shpColor->setPalette(pal);
}

QString frmPrpGraphObj::CalUnit() const try {
    return m_ovCal2D ? m_ovCal2D->unitName() : QString();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpGraphObj.Get.CalUnit()"));
    return {};
}

int frmPrpGraphObj::frameOf(const QLineEdit* box)
{
    double v = 0;
    M_Misc::isNumeric(box->text(), &v);
    return int(M_Misc::roundHalfEven(v));
}

bool frmPrpGraphObj::ctrls_check() try {
    const int lastValid = (m_ovVVw ? m_ovVVw->frameCount() : 0) - 1;
    if (!M_Misc::checkLong(m_txtFirstFrame->text(), 0, lastValid)) {
        m_txtFirstFrame->setFocus();
        return false;
    }
    if (!M_Misc::checkLong(m_txtLastFrame->text(), 0, lastValid)) {
        m_txtLastFrame->setFocus();
        return false;
    }
    if (frameOf(m_txtFirstFrame) > frameOf(m_txtLastFrame)) {
        M_Msg::msgUsr(M_Rc::getRcStr(kStrNumberInBox) + u' ' + M_Rc::getRcStr(kStrFromFrame) + u' '
                          + M_Rc::getRcStr(kStrNotBigger) + u' ' + M_Rc::getRcStr(kStrToFrame),
                      MsgBox::Critical | MsgBox::OkOnly);
        m_txtLastFrame->setFocus();
        return false;
    }
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpGraphObj.ctrls_check()"));
    return false;
}

void frmPrpGraphObj::ctrls_apply() try {
    const int first = frameOf(m_txtFirstFrame);
    const int last = frameOf(m_txtLastFrame);
    const int width = cboLineWidth_idx2width(m_cboLineWidth->currentIndex());

    if (m_ovAngles) {
        for (const M_OvGS::AnglePtr& angle : M_OvGS::ovAngle_get(*m_ovAngles, m_id)) {
            angle->setColor(m_color);
            angle->setLineWidth(width);
            M_OvGS::ovAngle_setFrames(*angle, first, last, -1);
            if (cboAngle_isInterior())
                M_OvGS::ovAngle_interior(*angle, true);
            else if (cboAngle_isExterior())
                M_OvGS::ovAngle_interior(*angle, false);
            else if (cboAngle_isOrthopaedic())
                M_OvGS::ovAngle_orthopaedic(*angle);
            else
                M_Msg::errMsg(QStringLiteral("frmPrpGraphObj.ctrls_apply()"));
        }
    }
    if (m_ovDists) {
        for (const M_OvGS::DistPtr& dist : M_OvGS::ovDist_get(*m_ovDists, m_id)) {
            dist->setColor(m_color);
            dist->setLineWidth(width);
            M_OvGS::ovDist_setFrames(*dist, first, last, -1);
        }
    }
    if (m_ovGis) {
        const M_OvGS::AnglePtr angle = m_ovAngles ? M_OvGS::ovAngle_get1st(*m_ovAngles, m_id) : nullptr;
        const M_OvGS::DistPtr dist = m_ovDists ? M_OvGS::ovDist_get1st(*m_ovDists, m_id) : nullptr;
        for (const M_OvGS::GiPtr& gi : M_OvGS::ovGi_get(*m_ovGis, m_id)) {
            gi->setColor(m_color);
            if (gi->type() == OvGraphItem::Text) {
                // A text keeps its size when none is chosen (a size outside the list).
                if (m_cboTextSize->currentIndex() >= 0)
                    gi->setStyle(cboTextSize_idx2size(m_cboTextSize->currentIndex()) * 256);
                if (angle)
                    gi->setText(M_OvGS::format00(angle->value()) + QChar(0x00B0));
                // A distance reads in the unit of the calibration it was made with, whatever
                // the view was calibrated with since.
                if (dist)
                    gi->setText(M_OvGS::ovDist_lblText(*dist));
            } else {
                gi->setStyle(M_OvGS::ovGi_lineWidth2style(width));
            }
            M_OvGS::ovGi_setFrames(*gi, first, last, -1);
        }
    }
    if (m_ovVVw)
        m_ovVVw->redraw();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpGraphObj.ctrls_apply()"));
}

void frmPrpGraphObj::btnOK_Click() try {
    if (!ctrls_check())
        return;
    ctrls_apply();
    accept();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpGraphObj.btnOK_Click()"));
}

void frmPrpGraphObj::btnApply_Click() try {
    if (ctrls_check())
        ctrls_apply();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpGraphObj.btnApply_Click()"));
}

void frmPrpGraphObj::btnCancel_Click() try {
    reject();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpGraphObj.btnCancel_Click()"));
}

void frmPrpGraphObj::btnColor_Click() try {
    shpColor_set(M_Misc::dlgColorSelect(this, nullptr, m_color));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("frmPrpGraphObj.btnColor_Click()"));
}
