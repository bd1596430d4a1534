#pragma once

#include "PictureMapping.h"
#include "components/media/FrameAccess.h"
#include "components/media/FrameConverter.h"
#include "components/media/MediaSource.h"

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <memory>

class OverlayCollection;

// The video viewer: shows the current frame of one open file at a zoom and a scroll offset on
// its background colour, draws the view's collections above it and reports the mouse in viewer
// pixels and in picture pixels. The scaled picture of the shown frame is kept, so repainting
// the same frame at the same zoom costs a copy, not a scale.
class OvVView : public QWidget {
    Q_OBJECT
public:
    explicit OvVView(QWidget* parent = nullptr);
    ~OvVView() override;

    // Opens the file with the open flags; a MediaCode (0 = success). A failed open leaves the
    // file shown before open.
    int open(const QString& path, uint32_t flags, MediaSource::Indexing indexing = MediaSource::Indexing::Complete);
    void close();
    bool isOpen() const { return m_source->isOpen(); }

    QString path() const { return m_source->path(); }
    uint32_t flags() const { return m_source->flags(); }
    int pictureWidth() const { return m_source->width(); }
    int pictureHeight() const { return m_source->height(); }
    int frameCount() const { return m_source->frameCount(); }
    int expectedFrameCount() const { return m_source->expectedFrameCount(); }
    float frameRate() const { return m_source->frameRate(); }
    AVRational sampleAspect() const { return m_source->sampleAspect(); }

    int currentFrame() const { return m_source->currentFrame(); }
    void setCurrentFrame(int n); // kept within the file; repaints

    // While playing, the frames come from the decode-ahead worker, which keeps a window of
    // them ahead of the current one: the paint shows a frame once it is decoded and never
    // decodes on the user-interface thread, so input is never held up; until the frame comes,
    // the last one shown stays. Leaving play shows the current frame whatever it costs. The
    // worker decodes ahead in the direction of play (1 forwards, -1 backwards).
    void setPlaying(bool playing, int direction = 1);
    bool playing() const { return m_playing; }

    // Percent; 1 .. 10000.
    int zoom() const { return m_zoom; }
    void setZoom(int percent);
    // The picture's size at the present zoom (halves rounded to even).
    QSize scaledSize() const;
    static QSize scaledSize(QSize picture, int zoomPercent);

    // Scroll offsets in pixels of the scaled picture; what is written is kept within
    // 0 .. scaled size - viewer size, so callers read the value back.
    int offsetX() const { return m_offsetX; }
    int offsetY() const { return m_offsetY; }
    void setOffsetX(int x);
    void setOffsetY(int y);

    QColor backColor() const { return m_backColor; }
    void setBackColor(const QColor& colour);

    // The view's graphic items, distances, angles and trajectories, drawn in that order; not
    // owned. Null pointers draw nothing.
    void setCollections(const OverlayCollection* items, const OverlayCollection* distances,
                        const OverlayCollection* angles, const OverlayCollection* trajectories = nullptr);

    // Picture and collections drawn again.
    void redraw();
    // The current frame scaled to `zoomPercent` (100: its own size), as RGB888; null when
    // nothing is open.
    QImage picture(int zoomPercent = 100);
    // The shown frame at its own size with the collections drawn on it, as the user sees it;
    // null when nothing is open.
    QImage pictureWithDrawings();
    // That picture put on the clipboard; false when nothing is open.
    bool copyToClipboard();

    FrameAccess& frameAccess() { return *m_access; }
    MediaSource& source() { return *m_source; }
    PictureMapping mapping() const;

    // The packed parts of the mouse events: buttons (1 left, 2 right) and key state
    // (1 Shift, 2 Ctrl, 4 Alt).
    static int buttonCode(Qt::MouseButtons buttons);
    static int keyState(Qt::KeyboardModifiers modifiers);

signals:
    void Click();
    // flags: mouse button (1 left, 2 right) + 4 x key state (1 Shift, 2 Ctrl, 4 Alt); x, y in
    // viewer pixels; xImg, yImg the same point in picture pixels.
    void SpecialMouseDown(int flags, int x, int y, double xImg, double yImg);
    void SpecialMouseMove(int flags, int x, int y, double xImg, double yImg);
    void SpecialMouseUp(int flags, int x, int y, double xImg, double yImg);
    // The wheel turned by `steps` notches (positive away from the user); key state as above.
    void SpecialWheel(int keys, int x, int y, int steps);
    // A drag with the middle button: the picture is to move with the pointer, so the offset
    // grows by (dx, dy) viewer pixels. Whatever tool is active stays untouched.
    void PanBy(int dx, int dy);
    // The current frame became another one (a step, a seek or playback).
    void FrameChanged(int frame);
    // The pointer left the viewer.
    void PointerLeft();
    // A double click of the left button (its second press was also a SpecialMouseDown).
    void DoubleClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // The shown frame at the present zoom, scaled once per frame and zoom.
    const QImage& shownImage();
    void limitOffsets();
    void drawCollections(QPainter& painter, const PictureMapping& map, int frame) const;
    void emitMouse(QMouseEvent* event, int button, void (OvVView::*signal)(int, int, int, double, double));
    void requestAhead(int frame);
    void onFramesReady(int first, int last);

    // Replaced as a whole by a successful open, so a refused file leaves the shown one alone.
    std::unique_ptr<MediaSource> m_source;
    std::unique_ptr<FrameAccess> m_access;
    int m_zoom = 100;
    int m_offsetX = 0;
    int m_offsetY = 0;
    QColor m_backColor{Qt::black};
    const OverlayCollection* m_items = nullptr;
    const OverlayCollection* m_distances = nullptr;
    const OverlayCollection* m_angles = nullptr;
    const OverlayCollection* m_trajectories = nullptr;

    // One scaled frame: which file generation, frame and zoom it shows.
    QImage m_shown;
    uint64_t m_shownGeneration = 0;
    int m_shownFrame = -1;
    int m_shownZoom = 0;
    uint64_t m_generation = 0; // grows with every open and close
    bool m_pressedInside = false;
    std::optional<QPoint> m_panFrom; // where the middle button last dragged from
    int m_wheelAngle = 0; // eighths of a degree turned and not yet a whole notch

    bool m_playing = false;
    int m_direction = 1;
    int m_aheadFrom = -1; // the window the worker was last asked for: frames [from, to), or (to, from]
    int m_aheadTo = -1;
    QPointer<QObject> m_aheadWorker; // the worker whose reports reach this view
};
