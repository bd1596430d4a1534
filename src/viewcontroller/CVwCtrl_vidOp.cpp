// The video operations: choosing one, setting its output view up for the present sources, and
// making the output of a mix, a split or a stroboscope from the frames the sources show.
#include "viewcontroller/CVwCtrl.h"

#include "app/M_GUI.h"
#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "app/WaitCursor.h"
#include "components/media/FrameAccess.h"
#include "components/media/MediaSource.h"
#include "components/mixer/OvVidMixAgent.h"
#include "components/mixer/OvVidMixer.h"
#include "components/viewer/OvVView.h"
#include "dialogs/frmPrpVidMix.h"
#include "dialogs/frmPrpVidStrobo.h"
#include "view/CVw.h"
#include "viewcontroller/DialogPlace.h"

#include <QImage>
#include <QScreen>
#include <algorithm>

namespace {
constexpr int kMix = 1;
constexpr int kSplit = 2;
constexpr int kStrobo = 3;
constexpr int kStrSelectForMix = 9025;
constexpr int kStrSelectForStrobo = 9026;
constexpr int kStrSelectForSplit = 9027;
// The property with the place a parameter dialog was given, to tell a move by the user.
constexpr const char* kPlacedAt = "placedAt";
} // namespace

frmPrpVidMix* CVwCtrl::mixDialog() const { return m_frmPrpVidMix.data(); }
frmPrpVidStrobo* CVwCtrl::stroboDialog() const { return m_frmPrpVidStrobo.data(); }

void CVwCtrl::VidOp(int op, bool keepSources) try {
    if (m_VidOp == 0 && op == 0)
        return;
    vidOp_dialogsUnload();
    if (op == m_VidOp || op == 0) {
        vidOp_off(); // removes the operation view, shows the active views again and lays out
    } else {
        // The output's length and the stroboscope's sampling take the sources' whole counts.
        if (!vws_indexComplete(true)) {
            callCtrlsEnable();
            return;
        }
        m_VidOp = op;
        if (!keepSources)
            vidOp_pickSources();
        if (!validIdx(m_VwIdxOp)) {
            const int old = m_NumVws;
            if (!vws_setNum(m_NumVws + 1)) {
                vws_setNum(old);
                m_VidOp = 0;
                ctrls_resize();
                callCtrlsEnable();
                return;
            }
            m_VwIdxOp = m_NumVws - 1;
            opVw()->setEnabled(true);
            vidOp_reset();
            ctrls_resize();
            opVw()->ctrls_visible(true);
        } else {
            vidOp_reset();
        }
        vidOpOut_do();
    }
    // A running playback ends when its sources no longer fit the operation now chosen.
    if (m_IsVidOperating && !vidOp_srcFit())
        m_IsVidOperating = false;
    callCtrlsEnable();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.Let.VidOp()"), QStringLiteral("nVidOp = ") + QString::number(op));
}

// Choosing an operation with a selection that does not fit it would show an empty output: it
// takes what it plainly needs instead. A mix both videos when two are open, the stroboscope the
// focused video (or the first selected), a split all videos when none is selected. Where the
// choice is not plain (a mix among three), the output view says what to select.
void CVwCtrl::vidOp_pickSources()
{
    if (vidOp_srcFit())
        return;
    std::vector<int> files;
    for (int i = 0; i < m_NumVws; ++i)
        if (Vws(i) && Vws(i)->isSrc()) // the output view is none
            files.push_back(i);
    const bool focusIsFile = std::find(files.begin(), files.end(), m_VwIdxFocus) != files.end();
    std::vector<int> pick;
    switch (m_VidOp) {
    case kMix:
        if (files.size() == 2)
            pick = files;
        break;
    case kStrobo:
        if (focusIsFile)
            pick = {m_VwIdxFocus};
        else if (numVwsSrc() > 0)
            pick = {VwsSrc(1)->m_Idx};
        else if (files.size() == 1)
            pick = files;
        break;
    default:
        pick = files;
        break;
    }
    bool first = true;
    for (const int i : pick) {
        vw_selectSet(i, !first, true);
        first = false;
    }
}

// The output view says what to select while the selection does not fit its operation.
void CVwCtrl::vidOp_hintUpdate()
{
    CVw* out = opVw();
    if (!out || m_VidOp == 0)
        return;
    out->vidOp_hint(vidOp_srcFit() ? QString() : M_Rc::getRcStr(m_VidOp == kMix ? kStrSelectForMix
                                                                 : m_VidOp == kStrobo ? kStrSelectForStrobo
                                                                                      : kStrSelectForSplit));
}

void CVwCtrl::vidOp_reset() try {
    CVw* out = opVw();
    if (!out || m_VidOp == 0)
        return;
    m_VidOpMaxWidth = 1;
    m_VidOpMaxHeight = 1;
    m_VidOpMaxFraRate = 0;
    if (vidOp_srcFit()) {
        for (int k = 1; k <= numVwsSrc(); ++k) {
            const CVw* src = VwsSrc(k);
            m_VidOpMaxWidth = std::max(m_VidOpMaxWidth, src->m_AviWidth);
            m_VidOpMaxHeight = std::max(m_VidOpMaxHeight, src->m_AviHeight);
            m_VidOpMaxFraRate = std::max(m_VidOpMaxFraRate, src->m_AviFrameRate);
        }
    }
    out->vidOp_reset(m_VidOpMaxWidth, m_VidOpMaxHeight, m_VidOpMaxFraRate);
    vidOp_hintUpdate();

    switch (m_VidOp) {
    case kMix:
        if (!m_VidMixer)
            m_VidMixer_init();
        if (!m_frmPrpVidMix)
            m_frmPrpVidMix_load();
        break;
    case kSplit:
        M_Misc::dimSqrXY(numVwsSrc(), m_SplitNumX, m_SplitNumY);
        // Every cell is (width / columns) x (height / columns), so the grid keeps the aspect of
        // one frame; its rows are centred vertically.
        m_SplitOffsetY = m_SplitNumX > 0 ? ((m_SplitNumX - m_SplitNumY) * (m_VidOpMaxHeight / m_SplitNumX)) / 2 : 0;
        break;
    case kStrobo:
        if (!m_VidMixer)
            m_VidMixer_init();
        m_StroboIs1stFra = true;
        if (!m_frmPrpVidStrobo)
            m_frmPrpVidStrobo_load();
        break;
    default:
        break;
    }
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vidOp_reset()"));
}

void CVwCtrl::m_VidMixer_init()
{
    m_VidMixer = std::make_unique<OvVidMixer>();
    for (int i = 0; i < 3; ++i)
        m_VidMixer->setSwitch(i, 1);
    m_VidMixer->setByteSetting(0);
    m_VidMixer->setRect(0, QRectF(0, 0, 1, 1));
    m_VidMixer->setRect(1, QRectF(0, 0, 1, 1));
    m_VidMixer->setPoint(QPointF(0, 0));
    m_VidMixer->setSetting(0);
    m_VidMixer->setColorWeight(0.5);
    m_VidMixer->setBlendAlgorithm(1);
    m_VidMixer->setBlendWeight(0.5);
    m_VidMixAgent = std::make_unique<OvVidMixAgent>();
}

// Parameter dialogs: modeless, beside the main window or where the user last put them in this
// session, with the output view's caption; closing one switches its operation off.
void CVwCtrl::vidOp_placeDialog(QWidget* dialog)
{
    // A dialog with a text of its own keeps it; the others take the output view's caption.
    if (CVw* out = opVw(); out && !M_GUI::tagOf(dialog))
        dialog->setWindowTitle(out->caption()->text());
    dialog->adjustSize();
    QPoint place;
    if (const auto kept = m_dialogPlaces.find(dialog->objectName()); kept != m_dialogPlaces.end()) {
        place = kept->second;
    } else if (m_frmParent) {
        const QWidget* top = m_frmParent->window();
        const QRect outer = top->frameGeometry();
        const QRect inner = top->geometry();
        // The dialog's frame is not known before it is shown; the main window's is the best guess.
        const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                             outer.bottom() - inner.bottom());
        // The grid as it will be with the output view, so the time lines are where they stay.
        ctrls_resize();
        QList<QRect> keepClear;
        for (int i = 0; i < m_NumVws; ++i)
            if (CVw* vw = Vws(i); vw && vw->timeLine().panel() && vw->timeLine().panel()->isVisible()) {
                const QWidget* strip = vw->timeLine().panel();
                keepClear << QRect(strip->mapToGlobal(QPoint(0, 0)), strip->size());
            }
        const QScreen* screen = top->screen();
        place = DialogPlace::choose(outer, dialog->size(), frame, screen ? screen->availableGeometry() : outer, keepClear);
    }
    dialog->move(place);
    dialog->setProperty(kPlacedAt, place);
    dialog->show();
}

// A dialog the user has moved opens there again.
void CVwCtrl::vidOp_keepPlace(const QWidget* dialog)
{
    if (dialog->pos() != dialog->property(kPlacedAt).toPoint())
        m_dialogPlaces[dialog->objectName()] = dialog->pos();
}

void CVwCtrl::m_frmPrpVidMix_load()
{
    auto* dialog = new frmPrpVidMix(m_frmParent ? m_frmParent->window() : nullptr);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_frmPrpVidMix = dialog;
    QObject::connect(dialog, &frmPrpVidMix::params, dialog,
                     [this](int alg, double blend, double color) { m_frmPrpVidMix_params(alg, blend, color); });
    QObject::connect(dialog, &frmPrpVidMix::unload, dialog, [this] { m_frmPrpVidMix_unload(); });
    vidOp_placeDialog(dialog);
    m_VidMixer->setBlendAlgorithm(dialog->BlendAlg());
    m_VidMixer->setColorWeight(dialog->Color());
    m_VidMixer->setBlendWeight(dialog->Blend());
}

void CVwCtrl::m_frmPrpVidStrobo_load()
{
    auto* dialog = new frmPrpVidStrobo(m_frmParent ? m_frmParent->window() : nullptr);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_frmPrpVidStrobo = dialog;
    QObject::connect(dialog, &frmPrpVidStrobo::params, dialog,
                     [this](int num, int threshold) { m_frmPrpVidStrobo_params(num, threshold); });
    QObject::connect(dialog, &frmPrpVidStrobo::unload, dialog, [this] { m_frmPrpVidStrobo_unload(); });
    dialog->Threshold(m_StroboThreshold);
    dialog->NumFraFill(m_StroboNumFraFill);
    vidOp_placeDialog(dialog);
}

// The dialogs are let go first and then deleted, so their closing raises no event back here.
void CVwCtrl::vidOp_dialogsUnload()
{
    if (QPointer<frmPrpVidMix> mix = std::exchange(m_frmPrpVidMix, nullptr)) {
        vidOp_keepPlace(mix);
        QObject::disconnect(mix, nullptr, mix, nullptr);
        delete mix.data();
    }
    if (QPointer<frmPrpVidStrobo> strobo = std::exchange(m_frmPrpVidStrobo, nullptr)) {
        vidOp_keepPlace(strobo);
        QObject::disconnect(strobo, nullptr, strobo, nullptr);
        delete strobo.data();
    }
}

void CVwCtrl::vidOp_dialogsVisible(bool visible)
{
    if (m_frmPrpVidMix && m_VidOp == kMix)
        m_frmPrpVidMix->setVisible(visible);
    if (m_frmPrpVidStrobo && m_VidOp == kStrobo)
        m_frmPrpVidStrobo->setVisible(visible);
}

void CVwCtrl::m_frmPrpVidMix_params(int nBlendAlg, double nBlend, double nColor) try {
    if (!m_VidMixer)
        return;
    m_VidMixer->setBlendAlgorithm(nBlendAlg);
    m_VidMixer->setBlendWeight(nBlend);
    m_VidMixer->setColorWeight(nColor);
    if (!m_IsVidOperating)
        vidOpOut_do();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.m_frmPrpVidMix_params()"));
}

void CVwCtrl::m_frmPrpVidMix_unload() try {
    if (m_VidOp == kMix)
        VidOp(kMix);
    callCtrlsEnable();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.m_frmPrpVidMix_unload()"));
}

void CVwCtrl::m_frmPrpVidStrobo_params(int nNumFraFill, int nThreshold) try {
    m_StroboNumFraFill = nNumFraFill;
    m_StroboThreshold = nThreshold;
    m_StroboIs1stFra = true;
    if (!m_IsVidOperating)
        vidOpOut_do();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.m_frmPrpVidStrobo_params()"));
}

void CVwCtrl::m_frmPrpVidStrobo_unload() try {
    if (m_VidOp == kStrobo)
        VidOp(kStrobo);
    callCtrlsEnable();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.m_frmPrpVidStrobo_unload()"));
}

// ---- The output of the present frames.

void CVwCtrl::vidOpOut_do() try {
    CVw* out = opVw();
    if (!out || m_VidOp == 0)
        return;
    QImage picture = out->m_picOp;
    out->m_picOp = QImage(); // the output is changed in place where it can be
    vidOpOut_make(nullptr, picture);
    out->vidOp_show(picture);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vidOpOut_do()"));
}

void CVwCtrl::vidOpOut_make(const std::vector<int>* frames, QImage& out)
{
    switch (m_VidOp) {
    case kMix: vidOpOut_mix(frames, out); break;
    case kSplit: vidOpOut_split(frames, out); break;
    case kStrobo: vidOpOut_strobo(frames, out); break;
    default: break;
    }
}

const QImage& CVwCtrl::vidOp_srcPicture(int k, const std::vector<int>* frames, bool wide)
{
    CVw* src = VwsSrc(k);
    OvVView* viewer = src->viewer();
    QImage& picture = src->m_picOp;
    const QSize size(src->m_AviWidth, src->m_AviHeight);
    const int n = frames ? (*frames)[size_t(k - 1)] : viewer->currentFrame();
    // The frame at 100 % is the engine's own picture, made for this: the mixer reads it as it
    // is, 32-bit pixels without unpacking.
    QImage frame = wide ? viewer->source().picture(n, size) : viewer->source().picture(n);
    if (frame.size() == size) {
        picture = std::move(frame);
        return picture;
    }
    if (picture.size() != size || picture.format() != QImage::Format_RGB888)
        picture = FrameAccess::blankPicture(size.width(), size.height(), Qt::black, 24);
    viewer->frameAccess().drawFrame(picture, n, 100, 0, 0);
    return picture;
}

void CVwCtrl::vidOpOut_mix(const std::vector<int>* frames, QImage& out)
{
    if (numVwsSrc() != 2 || !m_VidMixer)
        return;
    const QImage& first = vidOp_srcPicture(1, frames, true);
    const QImage& second = vidOp_srcPicture(2, frames, true);
    const QImage blended = m_VidMixer->blend(first, second);
    if (blended.isNull()) {
        M_Msg::errMsg(QStringLiteral("CVwCtrl.vidOpOut_mix()"), m_VidMixer->lastError());
        return;
    }
    out = blended;
}

void CVwCtrl::vidOpOut_split(const std::vector<int>* frames, QImage& out)
{
    const int n = numVwsSrc();
    if (n < 1 || m_SplitNumX < 1)
        return;
    // A picture still held elsewhere (queued for encoding, shown) is not copied only to be drawn
    // over: every cell is drawn anew on a black one.
    if (out.size() != QSize(m_VidOpMaxWidth, m_VidOpMaxHeight) || !out.isDetached())
        out = FrameAccess::blankPicture(m_VidOpMaxWidth, m_VidOpMaxHeight, Qt::black, 24);
    const int cellW = m_VidOpMaxWidth / m_SplitNumX;
    const int cellH = m_VidOpMaxHeight / m_SplitNumX;
    for (int k = 1; k <= n; ++k) {
        CVw* src = VwsSrc(k);
        int col = 0, row = 0;
        M_Misc::posSqrXY(k, m_SplitNumX, col, row);
        const int zoom = M_Misc::getZoom(cellW, cellH, src->m_AviWidth, src->m_AviHeight);
        const int x = ((col - 1) * m_VidOpMaxWidth) / m_SplitNumX;
        const int y = ((row - 1) * m_VidOpMaxHeight) / m_SplitNumX + m_SplitOffsetY;
        const int frame = frames ? (*frames)[size_t(k - 1)] : src->viewer()->currentFrame();
        if (zoom > 0)
            src->viewer()->frameAccess().drawFrame(out, frame, zoom, x, y);
    }
}

void CVwCtrl::vidOpOut_strobo(const std::vector<int>* frames, QImage& out)
{
    if (numVwsSrc() != 1 || !m_VidMixer)
        return;
    const QImage& source = vidOp_srcPicture(1, frames);
    if (m_StroboIs1stFra) {
        // The reference is the median of frames sampled over the whole file: a file still being
        // indexed is waited for first (given up, the part indexed serves). Frames shown while
        // the wait's dialog is up do not wait again.
        if (m_StroboIndexWait)
            return;
        m_StroboIndexWait = true;
        VwsSrc(1)->index_complete(true);
        m_StroboIndexWait = false;
        WaitCursor wait;
        const QImage reference = m_VidMixAgent->referencePicture(VwsSrc(1)->viewer()->frameAccess(), *m_VidMixer);
        m_StroboIs1stFra = false;
        if (reference.isNull()) {
            M_Msg::errMsg(QStringLiteral("CVwCtrl.vidOpOut_strobo()"), m_VidMixAgent->lastError());
            return;
        }
        m_VidMixer->stroboStart(source, out, reference, 1000, m_StroboNumFraFill, uint8_t(std::clamp(m_StroboThreshold, 0, 255)));
    } else {
        m_VidMixer->stroboAdd(source, out);
    }
}
