// The audio strip of a view: the waveform of the file's audio channels under the picture, with
// a cursor that follows the time line. The audio is read once, the first time it is shown, on a
// thread of its own: the strip fills from the left as the reading goes on.
#include "view/CVw.h"

#include "app/M_GUI.h"
#include "app/M_Msg.h"
#include "components/audio/AudioLoader.h"
#include "components/diagram/OvDia.h"
#include "components/diagram/OvDiaAudio.h"
#include "viewcontroller/CVwCtrl.h"

namespace {
constexpr int kStripHeight = 64;
} // namespace

void CVw::m_ovDia_load()
{
    auto* dia = new OvDia(OvDiaSettings{}, m_picPanel); // owned by the panel
    dia->setObjectName(QStringLiteral("CVw_ovDia_") + M_GUI::getId());
    dia->hide();
    m_ovDia = dia;
}

bool CVw::audioStripShown() const
{
    return m_ShowAudioTrack && m_ovDia && isFile() && m_VwCtrlMode == 1 && m_VwCtrl && m_VwCtrl->VwCtrlMode() == 1;
}

int CVw::audioStripHeight() const { return audioStripShown() ? kStripHeight : 0; }

void CVw::ShowAudioTrack(bool b) try {
    if (b == m_ShowAudioTrack)
        return;
    if (b && !m_IsAudioLoaded) {
        // A file without audio, or audio that cannot be read, shows an empty strip. The loader
        // is the strip's: it stops when the strip goes.
        auto* loader = new AudioLoader(m_AviFileName, m_ovDia);
        QObject::connect(loader, &AudioLoader::arrived, m_ovDia,
                         [dia = m_ovDia.data()](std::shared_ptr<const AudioData> data, bool, int) {
                             if (data && data->isOpen())
                                 OvDiaAudio::show(*dia, *data);
                         });
        loader->start();
        if (m_AviFrameRate > 0)
            m_ovDia->setTimeRange(0, std::max(0, m_AviNumFrames - 1) / m_AviFrameRate);
        m_IsAudioLoaded = true;
    }
    m_ShowAudioTrack = b;
    audioCursor_update();
    ctrls_resize();
} catch (...) {
    M_Msg::errMsg(QStringLiteral("CVw.Let.ShowAudioTrack()"), idxText());
}

// The waveform is of the file's own time, so the cursor takes the view's video time (equal to
// the time line's time until synchronisation points shift the two apart).
void CVw::audioCursor_update()
{
    if (m_ShowAudioTrack && m_ovDia)
        m_ovDia->setCursorTime(float(m_TL.time_sync2vw(m_TL.m_Time)));
}
