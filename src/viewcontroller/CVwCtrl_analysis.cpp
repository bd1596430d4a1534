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
#include "viewcontroller/MissingViewCard.h"

#include <QFileInfo>

namespace {
constexpr int kStrLocateVideo = 3947;
constexpr int kStrOpenFilter = 1027;
constexpr int kStrRemoveMissing = 3964;
} // namespace

bool CVwCtrl::vws_indexComplete(bool cancellable)
{
    for (int i = 0; i < m_NumVws; ++i)
        if (CVw* vw = Vws(i); vw && !vw->index_complete(cancellable))
            return false;
    return true;
}

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
    for (const MissingViewCard* card : missingVws())
        doc.views.push_back(card->work());
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

std::vector<MissingViewCard*> CVwCtrl::missingVws() const
{
    std::vector<MissingViewCard*> cards;
    for (const QPointer<MissingViewCard>& card : m_missingVws)
        if (card)
            cards.push_back(card);
    return cards;
}

int CVwCtrl::numMissing() const { return int(missingVws().size()); }

void CVwCtrl::missing_add(const analysis::View& v)
{
    auto* card = new MissingViewCard(v, m_picPanel);
    card->onLocate = [this](MissingViewCard* c) { missing_locate(c); };
    card->onRemove = [this](MissingViewCard* c) { missing_remove(c); };
    card->show();
    m_missingVws.emplace_back(card);
}

// The video found, it opens as a view that takes the cell's work; the cell goes.
void CVwCtrl::missing_locate(MissingViewCard* card) try {
    const analysis::View& v = card->work();
    const QString path = locateDialog(QFileInfo(v.video.absolutePath).fileName(), m_analysisPath);
    if (path.isEmpty())
        return;
    {
        const WaitCursor busy;
        if (!vws_vidLoadFile(path, v.openFlags, v.source))
            return;
        if (CVw* vw = Vws(m_NumVws - 1))
            vw->analysis_restore(v);
    }
    missing_drop(card);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.missing_locate()"));
}

void CVwCtrl::missing_remove(MissingViewCard* card) try {
    const QString name = QFileInfo(card->work().video.absolutePath).fileName();
    if (M_Msg::msgUsr(M_Rc::getRcStr(kStrRemoveMissing).arg(name), MsgBox::YesNo | MsgBox::Question) != MsgBox::Yes)
        return;
    missing_drop(card);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.missing_remove()"));
}

// The cell goes and the grid closes up.
void CVwCtrl::missing_drop(MissingViewCard* card)
{
    std::erase(m_missingVws, card);
    card->deleteLater();
    vws_setNumVwsXY();
    ctrls_resize();
    callCtrlsEnable();
}

QString CVwCtrl::locateDialog(const QString& name, const QString& analysisPath)
{
    FileDialogRequest request;
    request.owner = m_picPanel;
    request.initialFolder = QFileInfo(analysisPath).absolutePath();
    request.initialFile = name;
    request.filter = M_Rc::getRcStr(kStrOpenFilter);
    const auto chosen = DialogService::current().fileDialog(request);
    return chosen && !chosen->isEmpty() ? chosen->front() : QString();
}

QString CVwCtrl::analysis_locate(const analysis::View& v, const QString& analysisPath) try {
    const QString found = analysis::locateVideo(v.video, analysisPath);
    if (!found.isEmpty())
        return found;
    const QString name = QFileInfo(v.video.absolutePath).fileName();
    const QString ask = M_Rc::getRcStr(kStrLocateVideo).arg(name);
    callCtrlsEnable(); // the window shows the views loaded so far behind the question
    if (M_Msg::msgUsr(ask, MsgBox::YesNo | MsgBox::Question) != MsgBox::Yes)
        return {};
    return locateDialog(name, analysisPath);
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.analysis_locate()"));
    return {};
}

QStringList CVwCtrl::analysis_restore(const analysis::Document& doc, const QString& analysisPath) try {
    QStringList missing;
    VidOp(0);
    vws_unload();
    for (MissingViewCard* card : missingVws())
        delete card;
    m_missingVws.clear();
    m_analysisPath = analysisPath;
    for (const analysis::View& v : doc.views) {
        const QString path = analysis_locate(v, analysisPath);
        const WaitCursor busy;
        if (path.isEmpty() || !vws_vidLoadFile(path, v.openFlags, v.source)) {
            missing << QFileInfo(v.video.absolutePath).fileName();
            missing_add(v);
            continue;
        }
        if (CVw* vw = Vws(m_NumVws - 1))
            vw->analysis_restore(v);
    }
    const analysis::Operation& op = doc.operation;
    m_StroboNumFraFill = op.fillFrames;
    m_StroboThreshold = op.threshold;
    if (op.kind >= 1 && op.kind <= 3 && numVwsSrc() > 0) {
        VidOp(op.kind, true);
        if (frmPrpVidMix* dialog = mixDialog())
            dialog->setValues(op.blendAlgorithm, op.blend, op.color);
    }
    vws_setNumVwsXY();
    ctrls_resize();
    callCtrlsEnable();
    return missing;
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVwCtrl.analysis_restore()"), analysisPath);
    return {};
}
