#include "view/CVw.h"

#include "app/M_GUI.h"
#include "graphics/frmPrpGraphObj.h"
#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "app/RtError.h"
#include "components/DialogService.h"
#include "components/media/FrameAccess.h"
#include "components/media/MediaCodes.h"
#include "components/media/MediaSource.h"
#include "components/viewer/OvVView.h"
#include "graphics/frmCalibDist.h"
#include "util/M_Misc.h"
#include "viewcontroller/CVwCtrl.h"
#include "view/TrajectoryTool.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <algorithm>

namespace {

constexpr int kOpenFlagAlways = 131072;
constexpr int kStrNumFrames = 1028;
constexpr int kStrFps = 1029;
constexpr int kStrDuration = 1030;
constexpr int kStrSeconds = 1021;
constexpr int kStrWidth = 2417;
constexpr int kStrHeight = 2418;
constexpr int kStrCannotRead = 3951;
constexpr int kStrVideoNotOpened = 9028;

const QColor kCaptionText(110, 110, 130);
const QColor kCaptionSelBack(248, 242, 180);
const QColor kCaptionSelText(90, 70, 70);
const QColor kFrameFocus(0, 102, 204);
const QColor kFrameLive(60, 138, 216);
const QColor kFrameStill(120, 120, 140);

QString rgb(const QColor& c) { return QStringLiteral("rgb(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue()); }

int roundInt(double v) { return int(M_Misc::roundHalfEven(v)); }

// The character code of a typed key: 8 for Backspace, the character for text, -1 for keys
// that type nothing.
int keyCode(const QKeyEvent& e)
{
    if (e.key() == Qt::Key_Backspace)
        return 8;
    const QString text = e.text();
    return text.isEmpty() ? -1 : int(text.at(0).unicode());
}

// Why a video did not open, in the user's words, with the file named in full.
QString openFailure(int code, const QString& path)
{
    int reason = 0;
    switch (code) {
    case MediaFileMissing: reason = 9029; break;
    case MediaFileUnreadable: reason = 9030; break;
    case MediaNotMedia: reason = 9031; break;
    case MediaNoVideoStream: reason = 9032; break;
    case MediaNoDecoder: reason = 9033; break;
    case MediaCorrupt: reason = 9034; break;
    case MediaOutOfMemory: reason = 9035; break;
    default: break;
    }
    const QString why = reason ? M_Rc::getRcStr(reason) : M_Rc::getRcStr(kStrCannotRead).arg(code);
    return M_Rc::getRcStr(kStrVideoNotOpened).arg(QDir::toNativeSeparators(path), why);
}

} // namespace

CVw::CVw() { vars_init(); }

CVw::~CVw()
{
    if (!m_PreTerm) {
        M_Msg::errMsg(QStringLiteral("CVw.Class_Terminate()"), QStringLiteral("m_PreTerm = False"));
        preTerminate();
    }
}

QString CVw::idxText() const { return QStringLiteral("m_Idx = ") + QString::number(m_Idx); }

void CVw::vars_init()
{
    m_VwType = 0;
    m_VwCtrlMode = 1;
    m_LineWidth = 1;
    m_VwAction = 0;
}

void CVw::vars_free()
{
    m_ovGiDrw.reset();
    m_ovGiClock.reset();
    m_ovAngleDrw.reset();
    m_ovDistDrw.reset();
    m_ovGis->rmAll();
    m_ovAngles().rmAll();
    m_ovDists().rmAll();
    m_ovCal2D.reset();
    m_ovCal2DNew.reset();
    m_erased.clear();
    m_picOp = QImage();
    m_imgPicture = QImage();
}

void CVw::preTerminate() try {
    ctrls_unload();
    vars_free();
    m_PreTerm = true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.preTerminate()"), idxText());
}

// ---- controls ----

void CVw::ctrls_load(CVwCtrl* vwCtrl, int idx, IMainWindowCallbacks* frmParent, QWidget* container) try {
    m_VwCtrl = vwCtrl;
    m_Idx = idx;
    m_frmParent = frmParent;
    m_picPanel_load(container);
    m_shpBrd_load();
    m_lblFile_load();
    m_imgVid_load();
    m_ovVVw_load();
    m_TL.ctrls_load(this, m_picPanel);
    m_ovDia_load();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.ctrls_load()"), idxText());
}

void CVw::ctrls_unload() try {
    if (m_frmCalibDist)
        m_frmCalibDist->reject();
    if (m_frmPrpGraphObj)
        m_frmPrpGraphObj->reject(); // it holds the collections freed below
    m_TL.preTerminate();
    m_ovVVw_unload();
    // The view may be closed from inside one of its own mouse events (its context menu).
    for (QObject* control : std::initializer_list<QObject*>{m_imgVid, m_lblFile, m_shpBrd, m_picPanel})
        M_GUI::disposeLater(control);
    if (m_picPanel)
        m_picPanel->removeEventFilter(this);
    if (m_imgVid)
        m_imgVid->removeEventFilter(this);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.ctrls_unload()"), idxText());
}

void CVw::m_picPanel_load(QWidget* container)
{
    auto* panel = new QWidget(container);
    panel->setObjectName(QStringLiteral("CVw_picPanel_") + M_GUI::getId());
    panel->setAutoFillBackground(true);
    if (container)
        panel->setPalette(container->palette());
    panel->setFocusPolicy(Qt::ClickFocus);
    panel->installEventFilter(this);
    panel->show();
    m_picPanel = panel;
}

void CVw::m_shpBrd_load()
{
    auto* frame = new BorderFrame(m_picPanel);
    frame->setObjectName(QStringLiteral("CVw_shpBrd_") + M_GUI::getId());
    frame->show();
    m_shpBrd = frame;
}

void CVw::m_lblFile_load()
{
    auto* label = new QLabel(m_picPanel);
    label->setObjectName(QStringLiteral("CVw_lblFile_") + M_GUI::getId());
    label->setFont(QFont(QStringLiteral("Tahoma"), 10));
    label->setAlignment(Qt::AlignCenter);
    label->setStyleSheet(QStringLiteral("QLabel { color: %1; }").arg(rgb(label->palette().color(QPalette::Disabled, QPalette::WindowText))));
    label->setText(QStringLiteral("<") + QString::number(m_Idx) + QStringLiteral(">"));
    label->setTextFormat(Qt::PlainText);
    label->setAutoFillBackground(true); // the caption covers the frame's top line
    label->adjustSize();
    label->show();
    m_lblFile = label;
}

void CVw::m_imgVid_load()
{
    auto* image = new QLabel(m_picPanel);
    image->setObjectName(QStringLiteral("CVw_imgVid_") + M_GUI::getId());
    image->setScaledContents(true);
    image->installEventFilter(this);
    image->hide();
    m_imgVid = image;
}

void CVw::m_ovVVw_load()
{
    auto* viewer = new OvVView(m_picPanel);
    viewer->setObjectName(QStringLiteral("CVw_ovVVw_") + M_GUI::getId());
    viewer->setBackColor(m_picPanel->palette().color(QPalette::Window));
    viewer->setCollections(m_ovGis.get(), &m_ovDists(), &m_ovAngles());
    viewer->show();
    QObject::connect(viewer, &OvVView::Click, viewer, [this] {
        if (m_VwCtrl)
            m_VwCtrl->vw_focus(m_Idx);
    });
    QObject::connect(viewer, &OvVView::SpecialMouseDown, viewer, [this](int flags, int x, int y, double xi, double yi) {
        vw_mouseDwn(true, flags % 4, flags / 4, x, y, xi, yi);
    });
    QObject::connect(viewer, &OvVView::SpecialMouseMove, viewer, [this](int flags, int x, int y, double xi, double yi) {
        pointer_moved(true, xi, yi);
        vw_mouseMv(flags, x, y, xi, yi);
    });
    QObject::connect(viewer, &OvVView::PointerLeft, viewer, [this] { pointer_moved(false, 0, 0); });
    QObject::connect(viewer, &OvVView::DoubleClick, viewer, [this] { vw_doubleClick(true); });
    QObject::connect(viewer, &OvVView::FrameChanged, viewer, [this] {
        if (m_VwCtrl)
            m_VwCtrl->status_changed();
    });
    QObject::connect(viewer, &OvVView::SpecialMouseUp, viewer,
                     [this](int flags, int x, int y, double xi, double yi) { vw_mouseUp(flags, x, y, xi, yi); });
    QObject::connect(viewer, &OvVView::SpecialWheel, viewer,
                     [this](int keys, int x, int y, int steps) { vw_wheel(keys, x, y, steps); });
    QObject::connect(viewer, &OvVView::PanBy, viewer, [this](int dx, int dy) { m_ovVVw_mvOffset(dx, dy); });
    m_ovVVw = viewer;
    trajectory_load();
}

void CVw::m_ovVVw_unload()
{
    if (!m_ovVVw)
        return;
    m_trajTool.reset(); // its run reads the file through the viewer's path
    m_ovVVw->close();
    m_ovVVw->setCollections(nullptr, nullptr, nullptr);
    M_GUI::disposeLater(m_ovVVw);
}

bool CVw::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress && (watched == m_picPanel || watched == m_imgVid)) {
        auto* e = static_cast<QMouseEvent*>(event);
        vw_mouseDwn(false, OvVView::buttonCode(e->button()), OvVView::keyState(e->modifiers()),
                    roundInt(e->position().x()), roundInt(e->position().y()), -1, -1);
        return true; // handled: the picture's press must not reach the panel as a second one
    } else if (event->type() == QEvent::MouseButtonDblClick && (watched == m_picPanel || watched == m_imgVid)) {
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            vw_doubleClick(false);
        return true;
    } else if (event->type() == QEvent::ShortcutOverride && watched == m_picPanel && m_VwAction == 5 && m_IsTextInput) {
        event->accept(); // typed text keeps its keys: Space, letters and arrows are no shortcuts then
        return true;
    } else if (event->type() == QEvent::KeyPress && watched == m_picPanel) {
        const int code = keyCode(*static_cast<QKeyEvent*>(event));
        if (code >= 0) {
            m_picPanel_KeyPress(code);
            return m_VwAction == 5 && m_IsTextInput; // typed text is not also a shortcut
        }
    }
    return QObject::eventFilter(watched, event);
}

void CVw::ctrls_setRcStr() try {
    m_TL.ctrls_setRcStr();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.ctrls_setRcStr()"), idxText());
}

// ---- placement and layout ----

void CVw::setXY(int x, int y) try {
    m_picPanel->move(x, y);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.setXY()"), idxText());
}

void CVw::addXY(int dx, int dy) try {
    m_picPanel->move(m_picPanel->x() + dx, m_picPanel->y() + dy);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.addXY()"), idxText());
}

void CVw::setWH(int w, int h) try {
    m_picPanel->resize(std::max(0, w), std::max(0, h));
    ctrls_resize();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.setWH()"), idxText());
}

void CVw::setXYWH(int x, int y, int w, int h) try {
    m_picPanel->setGeometry(x, y, std::max(0, w), std::max(0, h));
    ctrls_resize();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.setXYWH()"), idxText());
}

void CVw::ctrls_visible(bool visible) try {
    m_picPanel->setVisible(visible);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.ctrls_visible()"), idxText());
}

void CVw::setEnabled(bool enabled) try {
    m_Enabled = enabled ? 1 : 0;
    m_TL.ctrls_setEnabled(enabled);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.setEnabled()"), idxText());
}

QRect CVw::frameRect() const
{
    const int capH = m_lblFile->height();
    const int top = capH / 2 + 1;
    int bottom = m_picPanel->height();
    if (m_VwCtrl && m_VwCtrl->VwCtrlMode() == 1 && isFile())
        bottom -= m_TL.Height() + audioStripHeight();
    QRect r(0, top, m_picPanel->width(), bottom - top);
    if (m_VwCtrlMode == 1) // the 3-pixel border of live mode stays inside the cell
        r = QRect(r.x() + 1, r.y() - 1, r.width() - 2, r.height());
    return r;
}

int CVw::m_ovVVw_maxWidth() const { return frameRect().width() - 20; }

int CVw::m_ovVVw_maxHeight() const { return frameRect().height() - m_lblFile->height() / 2 - 8; }

void CVw::centreInFrame(QWidget* w, QSize size) const
{
    const QRect f = frameRect();
    const int half = m_lblFile->height() / 2;
    w->setGeometry(f.x() + (f.width() - size.width()) / 2, f.y() + half + (f.height() - half - size.height()) / 2,
                   std::max(0, size.width()), std::max(0, size.height()));
}

void CVw::ctrls_resize() try {
    if (!m_picPanel)
        return;
    const QRect f = frameRect();
    m_shpBrd_look();
    m_shpBrd->setGeometry(f.x(), f.y(), std::max(0, f.width()), std::max(0, f.height()));
    // The caption is chosen again for the new width: the full name where it fits.
    if (m_VwType != 0)
        m_lblFile_setCaption();
    else
        m_lblFile->move(f.x() + (f.width() - m_lblFile->width()) / 2, 0);
    if (m_VwCtrlMode == 1 && isFile()) {
        m_ovVVw_zoom();
        centreInFrame(m_ovVVw, m_ovVVw->size());
    }
    centreInFrame(m_imgVid, m_imgVid_size());
    hint_place();
    const int stripH = audioStripHeight();
    if (m_ovDia) {
        m_ovDia->setGeometry(0, f.y() + f.height(), m_picPanel->width(), stripH);
        m_ovDia->setVisible(stripH > 0);
    }
    m_TL.setXYWH(0, f.y() + f.height() + stripH, m_picPanel->width(), m_TL.Height());
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.ctrls_resize()"), idxText());
}

QSize CVw::m_imgVid_size() const
{
    const QSize pic = m_imgPicture.size();
    if (pic.isEmpty())
        return {};
    const int z = std::clamp(M_Misc::getZoom(m_ovVVw_maxWidth(), m_ovVVw_maxHeight(), pic.width(), pic.height()), 0, 100);
    return {roundInt(pic.width() * z / 100.0), roundInt(pic.height() * z / 100.0)};
}

void CVw::ctrls_focus(bool focus) try {
    m_Focus = focus;
    ctrls_highlight();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.ctrls_focus()"), idxText());
}

void CVw::m_shpBrd_look()
{
    const bool live = m_VwCtrlMode == 1;
    m_shpBrd->setLook(live ? 3 : 1, m_Focus ? kFrameFocus : (live ? kFrameLive : kFrameStill));
}

void CVw::ctrls_highlight() try {
    m_shpBrd_look();
    if (m_Selected)
        m_lblFile->setStyleSheet(QStringLiteral("QLabel { border: 1px solid %1; background: %2; color: %1; }")
                                     .arg(rgb(kCaptionSelText), rgb(kCaptionSelBack)));
    else
        m_lblFile->setStyleSheet(QStringLiteral("QLabel { border: none; background: %1; color: %2; }")
                                     .arg(rgb(m_picPanel->palette().color(QPalette::Window)), rgb(kCaptionText)));
    m_lblFile->adjustSize();
    m_lblFile->move(frameRect().x() + (frameRect().width() - m_lblFile->width()) / 2, 0);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.ctrls_highlight()"), idxText());
}

// ---- content ----

bool CVw::vidLoadFile(const QString& sFileName, int nAviMode, int nAviOffsetX, int nAviOffsetY, int nAviZoom) try {
    // A long file shows its first picture at once; the rest of its frames come as they are indexed.
    const int code = m_ovVVw->open(sFileName, uint32_t(Checked::add(nAviMode, kOpenFlagAlways)), MediaSource::Indexing::Background);
    if (code != 0) {
        M_Msg::msgUsr(openFailure(code, sFileName), MsgBox::Critical);
        return false;
    }
    // The mode in force: a progressive file has no fields to separate and shows full frames,
    // so the menu's ticks and every save count what is shown.
    m_AviMode = nAviMode;
    if (m_ovVVw->source().mode().split() != DisplayMode::Fields && (nAviMode & 0xFF) == DisplayMode::Fields)
        m_AviMode = nAviMode & ~0xFF;
    m_AviFileName = m_ovVVw->path();
    m_AviNumFrames = m_ovVVw->expectedFrameCount();
    m_AviFrameRate = M_Misc::s2d(m_ovVVw->frameRate());
    m_AviWidth = m_ovVVw->pictureWidth();
    m_AviHeight = m_ovVVw->pictureHeight();
    m_AviOffsetX = nAviOffsetX == -1 ? m_ovVVw->offsetX() : nAviOffsetX;
    m_AviOffsetY = nAviOffsetY == -1 ? m_ovVVw->offsetY() : nAviOffsetY;
    m_ovVVw->setOffsetX(m_AviOffsetX);
    m_ovVVw->setOffsetY(m_AviOffsetY);
    m_AviZoom = nAviZoom;
    m_VwType = 1;
    m_lblFile_setCaption();
    m_TL.vidInit();
    index_follow();
    m_ovVVw->redraw();
    m_TL.ctls_visible(m_VwCtrl && m_VwCtrl->VwCtrlMode() == 1);
    // Another video: the steps of the former one are none of this one's, and its first state
    // is the one the first edit starts from.
    m_history.clear();
    m_history.rebase(analysis_get());
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.vidLoadFile()"), idxText());
    return false;
}

bool CVw::vidShowFra(int fraNr) try {
    if (fraNr < 0)
        fraNr = 0;
    if (fraNr >= m_AviNumFrames)
        fraNr = m_AviNumFrames - 1;
    if (m_ovVVw->currentFrame() == fraNr)
        return false;
    m_ovVVw->setCurrentFrame(fraNr);
    if (m_ovGiClock)
        clock_update();
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.vidShowFra()"), idxText());
    return false;
}

void CVw::vidShowInfoMsg() try {
    if (!isFile())
        return;
    if (m_AviFrameRate == 0)
        throw RtError(RtError::DivisionByZero);
    const QString nl = QStringLiteral("\r\n");
    const QString text = m_AviFileName + nl + nl + M_Rc::getRcStr(kStrNumFrames) + QStringLiteral(": ") +
                         QString::number(m_AviNumFrames) + nl + M_Rc::getRcStr(kStrFps) + M_Misc::localNumber(m_AviFrameRate, 3) + nl +
                         M_Rc::getRcStr(kStrDuration) + M_Misc::localNumber(m_AviNumFrames / m_AviFrameRate, 3) +
                         M_Rc::getRcStr(kStrSeconds) + nl + M_Rc::getRcStr(kStrWidth) + QString::number(m_AviWidth) +
                         nl + M_Rc::getRcStr(kStrHeight) + QString::number(m_AviHeight);
    QString caption;
    M_Msg::msgUsr(text, MsgBox::OkOnly, caption);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.vidShowInfoMsg()"), idxText());
}

void CVw::m_lblFile_setCaption() try {
    QString text;
    QString tip;
    if (m_VwType == 1) {
        text = QFileInfo(m_AviFileName).fileName();
        tip = m_AviFileName;
    } else if (m_VwType == 2) {
        const int op = m_VwCtrl ? m_VwCtrl->m_VidOp : 0;
        switch (op) {
        case 1: text = QStringLiteral("<Mix>"); break;
        case 2: text = QStringLiteral("<Split>"); break;
        case 3: text = QStringLiteral("<Stroboscope>"); break;
        default:
            M_Msg::errMsg(QStringLiteral("CVw.m_lblFile_setCaption()"), QStringLiteral("m_VidOp = ") + QString::number(op));
            text = QStringLiteral("<?>");
        }
    } else {
        return;
    }
    // A name too long for the frame keeps its start and its end (where numbered takes differ);
    // the tooltip has the whole path.
    if (m_VwType == 1)
        text = QFontMetrics(m_lblFile->font()).elidedText(text, Qt::ElideMiddle, std::max(0, frameRect().width() - 8));
    m_lblFile->setText(text);
    m_lblFile->setToolTip(tip);
    m_lblFile->adjustSize();
    m_lblFile->move(frameRect().x() + (frameRect().width() - m_lblFile->width()) / 2, 0);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.m_lblFile_setCaption()"), idxText());
}

void CVw::vidOp_reset(int nWidth, int nHeight, double nFraRate) try {
    m_VwType = 2;
    m_ovVVw->hide();
    m_TL.ctls_visible(false);
    m_lblFile_setCaption();
    m_imgVid->show();
    m_picOp = FrameAccess::blankPicture(nWidth, nHeight, Qt::black, 24);
    m_imgPicture = m_picOp;
    m_imgVid->setPixmap(QPixmap::fromImage(m_picOp));
    m_AviFrameRate = nFraRate;
    if (nWidth != m_AviWidth || nHeight != m_AviHeight) {
        m_AviWidth = nWidth;
        m_AviHeight = nHeight;
    }
    ctrls_resize();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.vidOp_reset()"), idxText());
}

void CVw::vidOp_show(const QImage& picture) try {
    m_picOp = picture;
    const bool resized = picture.size() != m_imgPicture.size();
    m_imgPicture = picture;
    m_imgVid->setPixmap(QPixmap::fromImage(picture));
    if (resized)
        ctrls_resize();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.vidOp_show()"), idxText());
}

void CVw::VwCtrlMode(int mode) try {
    if (!isFile() || mode == m_VwCtrlMode || (mode != 1 && m_VwCtrlMode != 1))
        return;
    if (mode != 1) {
        m_imgPicture = m_ovVVw->picture(100);
        m_imgVid->setPixmap(QPixmap::fromImage(m_imgPicture));
        m_ovVVw->close();
        m_ovVVw->hide();
        m_imgVid->show();
        m_picOp = QImage();
        m_VwCtrlMode = mode;
    } else {
        m_imgVid->clear();
        m_imgPicture = QImage();
        m_imgVid->hide();
        m_ovVVw->show();
        m_VwCtrlMode = 1;
        vidLoadFile(m_AviFileName, m_AviMode, m_AviOffsetX, m_AviOffsetY, m_AviZoom);
    }
    ctrls_resize();
    ctrls_highlight();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.Let.VwCtrlMode()"), idxText());
}

void CVw::Selected(bool selected) try {
    if (selected == m_Selected)
        return;
    m_Selected = selected;
    ctrls_highlight();
    if (!isSrc())
        return;
    const bool operating = m_VwCtrl && m_VwCtrl->m_IsVidOperating;
    if (selected) {
        m_picOp = FrameAccess::blankPicture(m_AviWidth, m_AviHeight, Qt::black, 24);
        if (!m_picOp.isNull())
            m_ovVVw->frameAccess().drawFrame(m_picOp, m_ovVVw->currentFrame(), 100, 0, 0);
        if (operating && !m_IsVidPlaying)
            m_TL.vidPlay_init(m_VwCtrl->m_PlayDirection); // joins the running playback
    } else {
        m_picOp = QImage();
        if (operating && m_IsVidPlaying) {
            m_IsVidPlaying = false;
            m_TL.btns_enable(true);
        }
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.Let.Selected()"), idxText());
}
