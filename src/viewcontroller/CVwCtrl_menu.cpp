// The context menus of the views and of their drawings, and the display commands they carry out
// on every source view.
#include "viewcontroller/CVwCtrl.h"

#include "app/M_Msg.h"
#include "app/WaitCursor.h"
#include "components/DialogService.h"
#include "view/CVw.h"
#include "viewcontroller/CtxMenu.h"

#include <QCursor>

namespace {

constexpr int kStrFrame = 1006;
constexpr int kStrInfo = 1134;
constexpr int kStrCopy = 1136;
constexpr int kStrCalibrate = 1144;
constexpr int kStrFullFrames = 1145;
constexpr int kStrFields = 1146;
constexpr int kStrJVC100 = 1147;
constexpr int kStrJVC100Vert = 1148;
constexpr int kStrJVC200 = 1149;
constexpr int kStrFlip = 1160;
constexpr int kStrDelete = 1184;
constexpr int kStrHorizLines = 1237;
constexpr int kStrVertLines = 1238;
constexpr int kStrVideoMode = 1616;
constexpr int kStrClose = 1901;
constexpr int kStrProperties = 2001;
constexpr int kStrResetZoom = 2933;
constexpr int kStrActive = 3209;
constexpr int kStrPassive = 3210;
constexpr int kStrView = 3237;
constexpr int kStrRotate = 3238;
constexpr int kStrOrigSize = 3239;
constexpr int kStrAudioTrack = 3244;
constexpr int kStrSaveAs = 1044;
constexpr int kStrFollowBack = 9019;
constexpr int kMaxGridLines = 10;

using CtxMenu::addEntry;
using CtxMenu::addSubMenu;
using CtxMenu::key;

QAction* checkable(QAction* a)
{
    a->setCheckable(true);
    return a;
}

} // namespace

void CVwCtrl::m_mnuVw_load()
{
    if (m_mnuVw || !m_picPanel)
        return;
    auto* root = new QMenu(m_picPanel);
    root->setObjectName(key("_Vw"));
    addEntry(root, "_Vw_Active", kStrActive);
    addEntry(root, "_Vw_Passive", kStrPassive);
    addEntry(root, "_Vw_Info", kStrInfo);
    addEntry(root, "_Vw_Close", kStrClose);
    root->addSeparator()->setObjectName(key("_Vw_Brd1"));
    QMenu* mode = addSubMenu(root, "_Vw_VideoMode", kStrVideoMode);
    checkable(addEntry(mode, "_Vw_VideoMode_Fields", kStrFields));
    checkable(addEntry(mode, "_Vw_VideoMode_FullFrames", kStrFullFrames));
    checkable(addEntry(mode, "_Vw_VideoMode_JVC100", kStrJVC100));
    checkable(addEntry(mode, "_Vw_VideoMode_JVC100Vert", kStrJVC100Vert));
    checkable(addEntry(mode, "_Vw_VideoMode_JVC200", kStrJVC200));
    addEntry(root, "_Vw_Calib", kStrCalibrate);
    QMenu* view = addSubMenu(root, "_Vw_View", kStrView);
    checkable(addEntry(view, "_Vw_View_OrigSize", kStrOrigSize));
    addEntry(view, "_Vw_View_ResetOffsetAndZoom", kStrResetZoom);
    checkable(addEntry(view, "_Vw_View_Mirror", kStrFlip));
    QMenu* rotate = addSubMenu(view, "_Vw_View_Rotate", kStrRotate);
    for (const char* angle : {"90", "180", "270"}) {
        const QByteArray suffix = QByteArray("_Vw_View_Rotate_") + angle;
        checkable(addEntry(rotate, suffix.constData(), 0, QLatin1String(angle) + QChar(0x00B0)));
    }
    for (const char* dir : {"Horiz", "Vert"}) {
        const QByteArray base = QByteArray("_Vw_View_") + dir + "Line";
        QMenu* lines = addSubMenu(view, base.constData(), dir[0] == 'H' ? kStrHorizLines : kStrVertLines);
        for (int n = 1; n <= kMaxGridLines; ++n) {
            const QByteArray suffix = base + '_' + QByteArray::number(n);
            checkable(addEntry(lines, suffix.constData(), 0, QString::number(n)));
        }
    }
    checkable(addEntry(view, "_Vw_View_ShowAudioTrack", kStrAudioTrack));
    QMenu* frame = addSubMenu(root, "_Vw_Frame", kStrFrame);
    addEntry(frame, "_Vw_Frame_Copy", kStrCopy);
    addEntry(frame, "_Vw_Frame_SaveAs", kStrSaveAs);
    addEntry(root, "_Vw_SaveAs", kStrSaveAs);
    m_mnuVw = root;

    auto* graphics = new QMenu(m_picPanel);
    graphics->setObjectName(key("_Graphics"));
    addEntry(graphics, "_Graphics_Delete", kStrDelete);
    addEntry(graphics, "_Graphics_Properties", kStrProperties);
    addEntry(graphics, "_Graphics_FollowBack", kStrFollowBack);
    m_mnuGraphics = graphics;
}

QAction* CVwCtrl::mnuItem(const char* suffix) const
{
    for (QMenu* menu : {m_mnuVw.data(), m_mnuGraphics.data()})
        if (menu)
            if (auto* a = menu->findChild<QAction*>(key(suffix)))
                return a;
    return nullptr;
}

// Brings the view menu up to date for the focused view.
void CVwCtrl::m_mnuVw_enable()
{
    M_GUI::mnu_setRcStr(m_mnuVw);
    CVw* vw = Vws(m_VwIdxFocus);
    if (!vw)
        return;
    const auto show = [this](const char* suffix, bool visible) {
        if (QAction* a = mnuItem(suffix))
            a->setVisible(visible);
    };
    const auto check = [this](const char* suffix, bool on) {
        if (QAction* a = mnuItem(suffix))
            a->setChecked(on);
    };
    const char* const full[] = {"_Vw_Brd1", "_Vw_VideoMode", "_Vw_Calib", "_Vw_View", "_Vw_Frame", "_Vw_SaveAs"};
    if (vw->m_VwType == 2) {
        for (const char* s : {"_Vw_Active", "_Vw_Passive", "_Vw_Info", "_Vw_VideoMode", "_Vw_Calib", "_Vw_View"})
            show(s, false);
        for (const char* s : {"_Vw_Close", "_Vw_Brd1", "_Vw_Frame"})
            show(s, true);
        if (QAction* close = mnuItem("_Vw_Close"))
            close->setEnabled(true);
        show("_Vw_SaveAs", vidOp_srcFit());
        return;
    }
    const bool active = vw->m_VwCtrlMode == 1;
    show("_Vw_Active", !active);
    show("_Vw_Passive", active);
    show("_Vw_Info", true);
    show("_Vw_Close", true);
    if (QAction* close = mnuItem("_Vw_Close"))
        close->setEnabled(!(m_VidOp != 0 && M_Misc::setLong_isElem(m_VwsSrc, m_VwIdxFocus)));
    const bool modeOne = m_VwCtrlMode == 1;
    for (const char* s : full)
        show(s, modeOne);
    if (!modeOne)
        return;
    check("_Vw_VideoMode_Fields", vw->Fields());
    check("_Vw_VideoMode_FullFrames", vw->FullFrames());
    check("_Vw_VideoMode_JVC100", vw->JVC100());
    check("_Vw_VideoMode_JVC100Vert", vw->JVC100Vert());
    check("_Vw_VideoMode_JVC200", vw->JVC200());
    check("_Vw_View_OrigSize", vw->m_AviZoom == 100);
    check("_Vw_View_Mirror", vw->Mirror());
    check("_Vw_View_Rotate_90", vw->Rotation() == 90);
    check("_Vw_View_Rotate_180", vw->Rotation() == 180);
    check("_Vw_View_Rotate_270", vw->Rotation() == 270);
    for (int n = 1; n <= kMaxGridLines; ++n) {
        check(QByteArray("_Vw_View_HorizLine_" + QByteArray::number(n)).constData(), vw->NumHorizLines() == n);
        check(QByteArray("_Vw_View_VertLine_" + QByteArray::number(n)).constData(), vw->NumVertLines() == n);
    }
    check("_Vw_View_ShowAudioTrack", vw->ShowAudioTrack());
}

void CVwCtrl::ctx_show(const QString& suffix) try {
    m_mnuVw_load();
    QMenu* menu = suffix == QLatin1String("_Graphics") ? m_mnuGraphics.data() : m_mnuVw.data();
    if (!menu)
        return;
    if (menu == m_mnuVw) {
        m_mnuVw_enable();
    } else {
        M_GUI::mnu_setRcStr(menu);
        // Only a trajectory is followed: the entry is there for a right click on one.
        const CVw* vw = Vws(m_VwIdxFocus);
        if (QAction* back = menu->findChild<QAction*>(key("_Graphics_FollowBack")))
            back->setVisible(vw && vw->m_trajHit >= 0);
    }
    QAction* chosen = DialogService::current().popupMenu(*menu, QCursor::pos());
    if (chosen)
        m_mnuVw_MenuClick(chosen->objectName());
    callCtrlsEnable();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.ctx_show()"), suffix);
}

void CVwCtrl::m_mnuVw_MenuClick(const QString& itemKey) try {
    CVw* vw = Vws(m_VwIdxFocus);
    const auto is = [&itemKey](const char* suffix) { return itemKey == key(suffix); };
    if (is("_Vw_Active")) {
        vws_active(true);
    } else if (is("_Vw_Passive")) {
        if (m_VwCtrlMode == 1 && m_VidOp != 0)
            vws_activeHideSrc();
        else
            vws_active(false);
    } else if (is("_Vw_Info")) {
        if (vw)
            vw->vidShowInfoMsg();
    } else if (is("_Vw_Close")) {
        vws_close();
    } else if (is("_Vw_VideoMode_Fields")) {
        vws_each([](CVw& v) { v.Fields(true); }, true);
    } else if (is("_Vw_VideoMode_FullFrames")) {
        vws_each([](CVw& v) { v.FullFrames(true); }, true);
    } else if (is("_Vw_VideoMode_JVC100")) {
        vws_each([](CVw& v) { v.JVC100(true); }, true);
    } else if (is("_Vw_VideoMode_JVC100Vert")) {
        vws_each([](CVw& v) { v.JVC100Vert(true); }, true);
    } else if (is("_Vw_VideoMode_JVC200")) {
        vws_each([](CVw& v) { v.JVC200(true); }, true);
    } else if (is("_Vw_Calib")) {
        if (vw)
            vw->calibrate();
    } else if (is("_Vw_View_OrigSize")) {
        vws_each([](CVw& v) { v.m_ovVVw_zoom100(); }, false);
    } else if (is("_Vw_View_ResetOffsetAndZoom")) {
        vws_each([](CVw& v) { v.m_ovVVw_resetOffsetAndZoom(); }, false);
    } else if (is("_Vw_View_Mirror")) {
        vws_each([](CVw& v) { v.Mirror(!v.Mirror()); }, false);
    } else if (is("_Vw_View_ShowAudioTrack")) {
        vws_each([](CVw& v) { v.ShowAudioTrack(!v.ShowAudioTrack()); }, false);
    } else if (is("_Vw_Frame_Copy")) {
        vw_copy2Clipboard();
    } else if (is("_Vw_Frame_SaveAs")) {
        vw_saveFrame();
    } else if (is("_Vw_SaveAs")) {
        vw_save(m_VwIdxFocus, true, true);
    } else if (is("_Graphics_Delete")) {
        if (vw && vw->m_trajHit >= 0)
            vw->trajectory_rmHit();
        else if (vw)
            vw->graphObj_rmId(vw->m_gidHit);
    } else if (is("_Graphics_FollowBack")) {
        if (vw && vw->m_trajHit >= 0)
            vw->trajectory_followBackHit();
    } else if (is("_Graphics_Properties")) {
        if (vw && vw->m_trajHit >= 0)
            vw->trajectory_showPrp();
        else if (vw)
            vw->graphObj_showPrp();
    } else {
        for (int angle : {90, 180, 270})
            if (itemKey == key("_Vw_View_Rotate_") + QString::number(angle))
                vws_each([angle](CVw& v) { v.Rotation(v.Rotation() == angle ? 0 : angle); }, true);
        for (int n = 1; n <= kMaxGridLines; ++n) {
            if (itemKey == key("_Vw_View_HorizLine_") + QString::number(n))
                vws_each([n](CVw& v) { v.NumHorizLines(v.NumHorizLines() == n ? 0 : n); }, false);
            else if (itemKey == key("_Vw_View_VertLine_") + QString::number(n))
                vws_each([n](CVw& v) { v.NumVertLines(v.NumVertLines() == n ? 0 : n); }, false);
        }
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.m_mnuVw_MenuClick()"), itemKey);
}

// A display command for every source view in ascending order, behind the hourglass. A view whose
// picture changes shape is hidden while it reopens and laid out again before it shows.
void CVwCtrl::vws_each(const std::function<void(CVw&)>& change, bool reshapes)
{
    WaitCursor wait;
    for (int k = 1; k <= numVwsSrc(); ++k) {
        CVw* vw = VwsSrc(k);
        if (!vw)
            continue;
        if (reshapes)
            vw->ctrls_visible(false);
        change(*vw);
        if (reshapes) {
            vw->ctrls_resize();
            vw->ctrls_visible(true);
        }
    }
    // A source of a new shape changes the output's size; any change of picture its content.
    if (m_VidOp != 0) {
        if (reshapes)
            vidOp_reset();
        vidOpOut_do();
    }
}
