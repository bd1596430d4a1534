// Writing video files: the output of a video operation over the sources' ranges, frame by frame
// behind a progress bar, and the ranges of a file view through the AVI file component's
// merge-cut on its worker thread.
#include "viewcontroller/CVwCtrl.h"

#include "app/M_File.h"
#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "app/WaitCursor.h"
#include "components/SamePath.h"
#include "components/media/FrameAccess.h"
#include "components/media/FrameCache.h"
#include "components/media/MediaSource.h"
#include "components/media/MediaCodes.h"
#include "components/viewer/OvVView.h"
#include "components/writer/OvAVI.h"
#include "components/writer/PngSequenceWriter.h"
#include "timeline/CTL.h"
#include "view/CVw.h"
#include "viewcontroller/WriteProgress.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <cmath>

namespace {
constexpr int kStrobo = 3;
constexpr int kCodecDialogRc = 0;
constexpr int kStrFileOpen = 3235;
constexpr size_t kAheadEvery = 2;
constexpr int kAheadFrames = 4;
constexpr int kAwaitMs = 2000;
constexpr std::size_t kMinCacheBytes = std::size_t(64) << 20;

constexpr int kStrWriteNothing = 3911;
constexpr int kStrWriteNoRate = 3912;
constexpr int kStrWriteNoSources = 3913;
constexpr int kStrSaveTypes = 3976;
constexpr int kStrWriteFailed = 3977;
constexpr int kStrReplaceFrames = 3978;
constexpr int kStrSavePicture = 9037;
constexpr int kStrSaveVideo = 9038;
constexpr int kStrPictureType = 9039;

// A write the disk refused says so in words beside the code.
QString codeText(const char* call, int code, const QString& path)
{
    QString text = QLatin1String(call) + QStringLiteral("() = ") + QString::number(code) + QStringLiteral(": ") + path;
    if (code == MediaWriteFailed)
        text += QStringLiteral("\r\n\r\n") + M_Rc::getRcStr(kStrWriteFailed);
    return text;
}

// A write that cannot start says why, naming the file it was to write.
bool refused(const QString& path, int strNr)
{
    M_Msg::msgUsr(path + QStringLiteral("\r\n\r\n") + M_Rc::getRcStr(strNr), MsgBox::Exclamation);
    return false;
}
} // namespace

void CVwCtrl::vidOpOut_doSave(const std::vector<std::vector<int>>& lists, int i, QImage& out)
{
    // A source whose list is shorter holds its last frame.
    std::vector<int> frames;
    frames.reserve(lists.size());
    for (const auto& list : lists)
        frames.push_back(list.empty() ? 0 : list[std::min(size_t(i), list.size() - 1)]);
    vidOpOut_make(&frames, out);
}

bool CVwCtrl::vw_saveVidOpVw(int idx, const QString& path) try {
    CVw* vw = Vws(idx);
    if (!vw || idx != m_VwIdxOp)
        return false;
    if (!vidOp_srcFit())
        return refused(path, kStrWriteNoSources);
    if (!(m_VidOpMaxFraRate > 0))
        return refused(path, kStrWriteNoRate);
    for (int k = 1; k <= numVwsSrc(); ++k)
        if (!VwsSrc(k)->index_complete(true))
            return false;
    std::vector<std::vector<int>> lists;
    size_t n = 0;
    for (int k = 1; k <= numVwsSrc(); ++k) {
        lists.push_back(VwsSrc(k)->timeLine().range_sel2fraNrs(1.0 / m_VidOpMaxFraRate));
        n = std::max(n, lists.back().size());
    }
    if (n == 0)
        return refused(path, kStrWriteNothing);

    FrameAccess& writer = vw->viewer()->frameAccess();
    const int rate = int(std::lround(m_VidOpMaxFraRate * 100000.0));
    const QString proc = QStringLiteral("CVwCtrl.vw_saveVidOpVw()");
    int rc = writer.AVIWriteOpen(path, m_VidOpMaxWidth, m_VidOpMaxHeight, 100000, rate);
    if (rc < 0) {
        M_Msg::errMsg(proc, codeText("AVIWriteOpen", rc, path));
        writer.AVIWriteClose();
        return false;
    }
    if (writer.writerTakesCodec()
        && writer.chooseCodec(m_frmParent ? m_frmParent->window() : nullptr, vw->m_picOp, QStringLiteral("Codec"))
               < kCodecDialogRc) {
        writer.AVIWriteAbort();
        return false;
    }

    WaitCursor wait;
    if (m_VidOp == kStrobo)
        m_StroboIs1stFra = true;
    // The frames are read once each: the cache keeps what the workers decode ahead and little
    // more, so the memory of the pictures passed is reused instead of fetched fresh.
    std::size_t aheadBytes = 0;
    for (int k = 1; k <= numVwsSrc(); ++k)
        aheadBytes += (std::size_t(kAheadFrames) + kAheadEvery + 4) * VwsSrc(k)->viewer()->source().frameBytes();
    const FrameCache::Cap cap(FrameCache::shared(), std::max<std::size_t>(aheadBytes, kMinCacheBytes));
    WriteProgress progress(m_frmParent ? m_frmParent->window() : nullptr, path, int(n));
    QImage out = FrameAccess::blankPicture(m_VidOpMaxWidth, m_VidOpMaxHeight, Qt::black, 24);
    for (size_t i = 0; i < n; ++i) {
        // Each source's worker decodes a few frames in front, so decoding overlaps the mixing and
        // encoding of the frames before.
        if (i % kAheadEvery == 0)
            for (int k = 1; k <= numVwsSrc(); ++k)
                if (const auto& list = lists[size_t(k - 1)]; i < list.size())
                    VwsSrc(k)->viewer()->source().decodeAhead(list[i], 1, kAheadFrames);
        // A frame the worker is on the way to is taken from it rather than decoded here again.
        for (int k = 1; k <= numVwsSrc(); ++k)
            if (const auto& list = lists[size_t(k - 1)]; i < list.size())
                VwsSrc(k)->viewer()->source().awaitAhead(list[i], kAwaitMs);
        vidOpOut_doSave(lists, int(i), out);
        rc = writer.AVIWriteAppendFrame(out, 0, QColor(0, 0, 0));
        if (rc < 0) {
            M_Msg::errMsg(proc, codeText("AVIWriteAppendFrame", rc, path));
            writer.AVIWriteAbort();
            return false;
        }
        if (!progress.step(int(i) + 1)) {
            writer.AVIWriteAbort(); // cancelled: the path stays as it was
            return false;
        }
    }
    // The live stroboscope starts its picture anew after the save used the mixer's picture.
    if (m_VidOp == kStrobo)
        m_StroboIs1stFra = true;
    rc = writer.AVIWriteClose();
    if (rc < 0) {
        M_Msg::errMsg(proc, codeText("AVIWriteClose", rc, path));
        return false;
    }
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vw_saveVidOpVw()"), idxText(idx));
    return false;
}

bool CVwCtrl::vw_saveFileVw(int idx, const QString& path) try {
    CVw* vw = Vws(idx);
    if (!vw || !vw->isFile() || !m_ovAvi || !vw->index_complete(true))
        return false;
    auto wait = std::make_unique<WaitCursor>();
    // Every frame of every range, the first and the last included. (Sampling the ranges in time
    // steps would count the end of one range and the start of the next as one instant and lose
    // a frame at each join.) The merge-cut takes recorded frames of the file: a view that shows
    // several pictures per recorded frame (fields, high-speed camera modes) divides.
    const int perFrame = std::max(1, vw->viewer()->source().mode().picturesPerFrame());
    CTL& tl = vw->timeLine();
    std::vector<int> frames;
    for (int i = 1; i <= tl.m_NumRanges; ++i) {
        const CTL::Range& r = tl.ranges()[size_t(i)];
        const int last = tl.time2fraNr(r.tEnd) / perFrame;
        for (int f = tl.time2fraNr(r.tStart) / perFrame; f <= last; ++f)
            if (frames.empty() || f > frames.back())
                frames.push_back(f);
    }
    if (frames.empty())
        return refused(path, kStrWriteNothing);
    const std::vector<int> cuts = M_Misc::fraNrs2ovAviMergeCutPointTupleArray(frames);

    QStringList sources;
    QList<int> cutPoints(cuts.begin(), cuts.end());
    for (size_t i = 0; i + 1 < cuts.size(); i += 2)
        sources << vw->viewer()->frameAccess().path();
    const QList<bool> flags(cutPoints.size(), false);
    const int rc = m_ovAvi->AVIMergeCut(sources, path, cutPoints, flags);
    if (rc < 0) {
        M_Msg::errMsg(QStringLiteral("CVwCtrl.vw_saveFileVw()"), codeText("AVIMergeCut", rc, path));
        return false;
    }
    m_mergeCutWait = std::move(wait); // the hourglass stays until the merge-cut reports its end
    return true;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vw_saveFileVw()"), idxText(idx));
    return false;
}

void CVwCtrl::m_ovAvi_AVIMergeCutDone(int code) try {
    m_mergeCutWait.reset();
    if (code < 0)
        M_Msg::errMsg(QStringLiteral("CVwCtrl.m_ovAvi_AVIMergeCutDone()"), codeText("AVIMergeCut", code, m_fileNameSaved));
    else if (m_loadSaved)
        vws_vidLoadFile(m_fileNameSaved, m_aviModeSaved, m_VidOp == 0);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.m_ovAvi_AVIMergeCutDone()"));
}

OvAVI* CVwCtrl::aviComponent() const { return m_ovAvi.data(); }

void CVwCtrl::m_ovAvi_load()
{
    auto* avi = new OvAVI(m_picPanel); // owned by the panel
    QObject::connect(avi, &OvAVI::AVIMergeCutDone, avi, [this](int code, int, int, int, int, int) { m_ovAvi_AVIMergeCutDone(code); });
    m_ovAvi = avi;
}

void CVwCtrl::m_ovAvi_unload()
{
    if (m_ovAvi) {
        m_ovAvi->AVIMergeCutStop();
        m_ovAvi->AVIMergeCutWait();
        delete m_ovAvi.data();
    }
    m_mergeCutWait.reset();
}

// ---- Saving from the view menu.

QImage CVwCtrl::vw_framePicture() const
{
    CVw* vw = Vws(m_VwIdxFocus);
    if (!vw)
        return {};
    if (vw->m_VwType == 2)
        return vw->m_picOp;
    return vw->isFile() ? vw->viewer()->pictureWithDrawings() : QImage();
}

void CVwCtrl::vw_copy2Clipboard() try {
    if (!Vws(m_VwIdxFocus))
        return;
    const QImage picture = vw_framePicture();
    QGuiApplication::clipboard()->clear();
    if (!picture.isNull())
        QGuiApplication::clipboard()->setImage(picture);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vw_copy2Clipboard()"));
}

// The name a save dialog offers for what a view shows: beside its video (an operation's view:
// beside its first source), named after it.
QString CVwCtrl::vw_offer(const CVw* vw, const QString& tail) const
{
    static const char* const kOps[] = {"", "_mix", "_split", "_strobo"};
    const CVw* file = vw->isFile() ? vw : (numVwsSrc() > 0 ? VwsSrc(1) : nullptr);
    const QFileInfo video(file ? file->m_AviFileName : QString());
    QString name = video.completeBaseName().isEmpty() ? QStringLiteral("video") : video.completeBaseName();
    if (!vw->isFile() && m_VidOp >= 1 && m_VidOp <= 3)
        name += QLatin1String(kOps[m_VidOp]);
    return QDir(video.absolutePath()).filePath(name + tail);
}

bool CVwCtrl::vws_showsFile(const QString& path) const
{
    for (int i = 0; i < m_NumVws; ++i)
        if (const CVw* vw = Vws(i); vw && vw->isFile() && samePath(vw->m_AviFileName, path))
            return true;
    return false;
}

void CVwCtrl::vw_saveFrame() try {
    CVw* vw = Vws(m_VwIdxFocus);
    if (!vw || (vw->m_VwType != 2 && !vw->isFile()))
        return;
    const QString tail = vw->isFile() ? QStringLiteral("_frame%1.png").arg(vw->viewer()->currentFrame())
                                      : QStringLiteral(".png");
    const QString path = M_File::dlgFileSaveOffer(m_frmParent ? m_frmParent->window() : nullptr, vw_offer(vw, tail),
                                                  QStringLiteral("png"), M_Rc::getRcStr(kStrSavePicture),
                                                  M_Rc::getRcStr(kStrPictureType));
    if (path.isEmpty())
        return;
    const int rc = FrameAccess::savePicture(path, vw_framePicture());
    if (rc < 0)
        M_Msg::errMsg(QStringLiteral("CVwCtrl.vw_saveFrame()"), codeText("savePicture", rc, path));
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vw_saveFrame()"));
}

void CVwCtrl::vw_save(int idx, bool bSaveAs, bool bLoadSaved) try {
    CVw* vw = Vws(idx);
    if (!vw || (vw->m_VwType != 2 && !vw->isFile()))
        return;
    const QString offer = vw_offer(vw, vw->isFile() ? QStringLiteral("_copy.avi") : QStringLiteral(".avi"));
    const QString path = bSaveAs ? M_File::dlgFileSaveOffer(m_frmParent ? m_frmParent->window() : nullptr, offer,
                                                            QStringLiteral("avi"), M_Rc::getRcStr(kStrSaveVideo),
                                                            M_Rc::getRcStr(kStrSaveTypes))
                                 : vw->m_AviFileName;
    if (path.isEmpty())
        return;
    // The dialog asked about "name.png" only; the pictures of a sequence have other names.
    const bool sequence = VideoOutput::kindOf(path) == VideoOutput::Kind::PngSequence;
    if (const QStringList old = sequence ? PngSequenceWriter::existingFrames(path) : QStringList(); !old.isEmpty()
        && M_Msg::msgUsr(M_Rc::getRcStr(kStrReplaceFrames).arg(QFileInfo(path).dir().filePath(old.first())),
                         MsgBox::YesNo | MsgBox::Exclamation | MsgBox::DefaultButton2)
               != MsgBox::Yes)
        return;
    QCoreApplication::processEvents();
    if (vws_showsFile(path)) {
        M_Msg::msgUsr(M_Rc::getRcStr(kStrFileOpen), MsgBox::Critical);
        return;
    }
    m_loadSaved = bLoadSaved && !sequence; // a sequence of pictures does not open as one video
    m_fileNameSaved = path;
    m_aviModeSaved = vw->m_AviMode;
    const bool existed = sequence || M_File::existFile(path);
    bool ok = false;
    if (vw->isFile()) {
        ok = vw_saveFileVw(idx, path);
    } else {
        WaitCursor wait;
        ok = vw_saveVidOpVw(idx, path);
        if (ok && m_loadSaved)
            vws_vidLoadFile(path, 0, false);
    }
    if (!ok && !existed)
        M_File::rmFile(path);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.vw_save()"), idxText(idx));
}
