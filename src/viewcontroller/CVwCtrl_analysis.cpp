// The views' work as an analysis document, and an analysis document back into views.
#include "viewcontroller/CVwCtrl.h"

#include "app/M_File.h"
#include "app/M_Msg.h"
#include "app/M_Rc.h"
#include "app/WaitCursor.h"
#include "components/DialogService.h"
#include "components/analysis/AnalysisFile.h"
#include "components/mixer/OvVidMixer.h"
#include "dialogs/frmPrpVidMix.h"
#include "view/CVw.h"

#include <QFileInfo>

namespace {
constexpr int kStrLocateVideo = 3947;
constexpr int kStrOpenFilter = 1027;
} // namespace

analysis::Document CVwCtrl::analysis_get() const
{
    analysis::Document doc;
    for (int idx = 0; idx < m_NumVws; ++idx) {
        const CVw* vw = Vws(idx);
        if (!vw || !vw->isFile())
            continue;
        analysis::View v = vw->analysis_get();
        v.source = M_Misc::setLong_isElem(m_VwsSel, idx);
        doc.views.push_back(std::move(v));
    }
    if (m_missingVws)
        doc.views.insert(doc.views.end(), m_missingVws->begin(), m_missingVws->end());
    analysis::Operation& op = doc.operation;
    op.kind = m_VidOp;
    if (m_VidMixer) {
        op.blendAlgorithm = m_VidMixer->blendAlgorithm();
        op.blend = m_VidMixer->blendWeight();
        op.color = m_VidMixer->colorWeight();
    }
    op.fillFrames = m_StroboNumFraFill;
    op.threshold = m_StroboThreshold;
    doc.speed = vidSpeed();
    return doc;
}

const std::vector<analysis::View>& CVwCtrl::missingVws() const
{
    static const std::vector<analysis::View> none;
    return m_missingVws ? *m_missingVws : none;
}

QString CVwCtrl::analysis_locate(const analysis::View& v, const QString& analysisPath) try {
    const QString found = analysis::locateVideo(v.video, analysisPath);
    if (!found.isEmpty())
        return found;
    const QString name = QFileInfo(v.video.absolutePath).fileName();
    const QString ask = M_Rc::getRcStr(kStrLocateVideo).arg(name);
    if (M_Msg::msgUsr(ask, MsgBox::YesNo | MsgBox::Question) != MsgBox::Yes)
        return {};
    FileDialogRequest request;
    request.owner = m_picPanel;
    request.initialFolder = QFileInfo(analysisPath).absolutePath();
    request.initialFile = name;
    request.filter = M_Rc::getRcStr(kStrOpenFilter);
    const auto chosen = DialogService::current().fileDialog(request);
    return chosen && !chosen->isEmpty() ? chosen->front() : QString();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.analysis_locate()"));
    return {};
}

QStringList CVwCtrl::analysis_restore(const analysis::Document& doc, const QString& analysisPath) try {
    QStringList missing;
    VidOp(0);
    vws_unload();
    m_missingVws = std::make_unique<std::vector<analysis::View>>();
    for (const analysis::View& v : doc.views) {
        const QString path = analysis_locate(v, analysisPath);
        const WaitCursor busy;
        if (path.isEmpty() || !vws_vidLoadFile(path, v.openFlags, v.source)) {
            missing << QFileInfo(v.video.absolutePath).fileName();
            m_missingVws->push_back(v);
            continue;
        }
        if (CVw* vw = Vws(m_NumVws - 1))
            vw->analysis_restore(v);
    }
    const analysis::Operation& op = doc.operation;
    m_StroboNumFraFill = op.fillFrames;
    m_StroboThreshold = op.threshold;
    if (op.kind >= 1 && op.kind <= 3 && numVwsSrc() > 0) {
        VidOp(op.kind);
        if (frmPrpVidMix* dialog = mixDialog())
            dialog->setValues(op.blendAlgorithm, op.blend, op.color);
    }
    ctrls_resize();
    callCtrlsEnable();
    return missing;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.analysis_restore()"), analysisPath);
    return {};
}
