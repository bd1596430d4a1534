#pragma once

#include "components/viewer/OvVView.h"
#include "view/BorderFrame.h"
#include "timeline/CTL.h"

#include <QColor>
#include <QLabel>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class CVwCtrl;
class IMainWindowCallbacks;
class OverlayCollection;
class QWidget;

// One view of one video inside the controller's panel: its panel, frame and caption, the viewer
// that shows the video at the view's zoom and offset, the still image that stands in for it,
// and its time line panel. The controller creates it, hands it its index and drives it; its
// owner calls preTerminate before releasing it.
class CVw : public QObject {
public:
    CVw();
    ~CVw() override;

    // Life cycle and layout.
    void ctrls_load(CVwCtrl* vwCtrl, int idx, IMainWindowCallbacks* frmParent, QWidget* container);
    void ctrls_unload();
    void preTerminate();
    void setXY(int x, int y);
    void addXY(int dx, int dy);
    void setWH(int w, int h);
    void setXYWH(int x, int y, int w, int h);
    void ctrls_visible(bool visible);
    void setEnabled(bool enabled);
    void ctrls_resize();
    void ctrls_focus(bool focus);
    void ctrls_highlight();
    // The texts of the chosen language, for the time line panel.
    void ctrls_setRcStr();
    // The frame's border width and colour by mode and focus.
    void m_shpBrd_look();

    // Content.
    bool vidLoadFile(const QString& sFileName, int nAviMode, int nAviOffsetX, int nAviOffsetY, int nAviZoom);
    bool vidShowFra(int fraNr);
    void vidShowInfoMsg();
    void vidOp_reset(int nWidth, int nHeight, double nFraRate);
    void m_lblFile_setCaption();
    bool isFile() const { return m_VwType == 1; }
    bool isSrc() const { return m_VwType == 1 && m_VwCtrlMode == 1; }

    // Live (1) or still (any other value).
    void VwCtrlMode(int mode);
    int VwCtrlMode() const { return m_VwCtrlMode; }
    void Selected(bool selected);
    bool Selected() const { return m_Selected; }

    // Zoom and offset of the viewer.
    void m_ovVVw_resetOffsetAndZoom();
    void m_ovVVw_zoom100();
    void m_ovVVw_zoomIn();
    void m_ovVVw_zoomOut();
    void m_ovVVw_mvOffset(int dx, int dy);
    int m_ovVVw_maxWidth() const;
    int m_ovVVw_maxHeight() const;

    // A press of the mouse on the view: it takes the focus and the controller's selection rule
    // for the button and keys applies.
    void vw_mouseDwn(bool onVideo, int nButton, int nShift, int x, int y, double xImg, double yImg);

    // Controls, for the controller, the tests and the tools.
    QWidget* panel() const { return m_picPanel; }
    BorderFrame* frame() const { return m_shpBrd; }
    QLabel* caption() const { return m_lblFile; }
    OvVView* viewer() const { return m_ovVVw; }
    QLabel* image() const { return m_imgVid; }
    CTL& timeLine() { return m_TL; }
    CVwCtrl* vwCtrl() const { return m_VwCtrl; }

    // The graphic items of the view: how many there are, and removing the last or all of them.
    int graphObj_count() const;
    void graphObj_rmLast();
    void graphObj_rmAll();

    int m_Idx = 0;
    int m_VwType = 0;
    int m_VwCtrlMode = 1;
    int m_Enabled = 1;
    bool m_Focus = false;
    bool m_Selected = false;
    int m_AviMode = 0;
    QString m_AviFileName;
    int m_AviNumFrames = 0;
    double m_AviFrameRate = 0;
    int m_AviWidth = 0;
    int m_AviHeight = 0;
    int m_AviOffsetX = 0;
    int m_AviOffsetY = 0;
    int m_AviZoom = -1;
    int m_MouseX = 0;
    int m_MouseY = 0;
    int m_ZoomX = 0;
    int m_ZoomY = 0;
    QImage m_picOp;
    bool m_IsVidPlaying = false;
    bool m_ShowAudioTrack = false;
    int m_VwAction = 0;
    QColor m_DrwColor{255, 255, 128};
    int m_LineWidth = 1;
    bool m_ShowMeasure = false;
    // The drawing items, distances and angles the viewer draws above the picture.
    std::unique_ptr<OverlayCollection> m_ovGis;
    std::unique_ptr<OverlayCollection> m_ovDists;
    std::unique_ptr<OverlayCollection> m_ovAngles;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void vars_init();
    void vars_free();
    void m_picPanel_load(QWidget* container);
    void m_shpBrd_load();
    void m_lblFile_load();
    void m_imgVid_load();
    void m_ovVVw_load();
    void m_ovVVw_unload();
    void m_ovVVw_zoom();
    // The frame's rectangle by the layout rules, and the image's size at its fit zoom.
    QRect frameRect() const;
    QSize m_imgVid_size() const;
    void centreInFrame(QWidget* w, QSize size) const;
    QString idxText() const;

    CVwCtrl* m_VwCtrl = nullptr;
    IMainWindowCallbacks* m_frmParent = nullptr;
    QPointer<QWidget> m_picPanel;
    QPointer<BorderFrame> m_shpBrd;
    QPointer<QLabel> m_lblFile;
    QPointer<QLabel> m_imgVid;
    QPointer<OvVView> m_ovVVw;
    QImage m_imgPicture; // what the still image shows
    CTL m_TL;
    bool m_PreTerm = false;
};
