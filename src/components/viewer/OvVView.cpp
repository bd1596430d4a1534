#include "OvVView.h"

#include "OverlayCollection.h"
#include "components/media/DecodeAhead.h"
#include "components/media/MediaCodes.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kMinZoom = 1;
constexpr int kMaxZoom = 10000;
// Frames decoded ahead of a playing view, asked for again when half of them are shown: half a
// second at 30 fps, and at most 64 MiB of 1080p pictures per view.
constexpr int kPlayAhead = 16;
// Backwards every request decodes from a key frame up to its window, so the window is longer:
// 1.6 s at 30 fps, 150 MiB of 1080p pictures, within a file's share of the frame cache with the
// frames shown since the last request.
constexpr int kPlayBack = 48;

} // namespace

int OvVView::keyState(Qt::KeyboardModifiers mods)
{
    return (mods & Qt::ShiftModifier ? 1 : 0) | (mods & Qt::ControlModifier ? 2 : 0) | (mods & Qt::AltModifier ? 4 : 0);
}

int OvVView::buttonCode(Qt::MouseButtons buttons)
{
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0);
}

OvVView::OvVView(QWidget* parent)
    : QWidget(parent), m_source(std::make_unique<MediaSource>()), m_access(std::make_unique<FrameAccess>(*m_source))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

OvVView::~OvVView() = default;

int OvVView::open(const QString& path, uint32_t flags, MediaSource::Indexing indexing)
{
    auto fresh = std::make_unique<MediaSource>();
    const int code = fresh->open(path, flags, indexing);
    if (code != MediaOk)
        return code;
    m_access = std::make_unique<FrameAccess>(*fresh);
    m_source = std::move(fresh);
    ++m_generation;
    m_aheadFrom = m_aheadTo = -1;
    limitOffsets();
    update();
    return MediaOk;
}

void OvVView::close()
{
    m_source->close();
    ++m_generation;
    m_aheadFrom = m_aheadTo = -1;
    m_shown = QImage();
    update();
}

void OvVView::setCurrentFrame(int n)
{
    const int before = currentFrame();
    m_source->setCurrentFrame(n);
    if (m_playing)
        requestAhead(currentFrame());
    update();
    if (currentFrame() != before)
        emit FrameChanged(currentFrame());
}

void OvVView::setPlaying(bool playing, int direction)
{
    if (m_playing == playing)
        return;
    m_playing = playing;
    m_direction = direction < 0 ? -1 : 1;
    m_aheadFrom = m_aheadTo = -1;
    if (playing) {
        requestAhead(currentFrame());
        return;
    }
    if (DecodeAhead* worker = m_source->decodeAheadWorker())
        worker->dropPictures();
    if (m_shownFrame != currentFrame())
        update(); // the frame the view stopped at, decoded now if the worker had not got there
}

void OvVView::requestAhead(int frame)
{
    if (!isOpen())
        return;
    // Asked again only when the view leaves the window or has shown half of it, so the worker
    // decodes on without seeking. Backwards a request starts again from a key frame, so a frame
    // the worker has not reached yet is waited for, not asked for again.
    const bool back = m_direction < 0;
    const int span = back ? kPlayBack : kPlayAhead;
    const bool inside = back ? frame <= m_aheadFrom && frame - span / 2 > m_aheadTo
                             : frame >= m_aheadFrom && frame + span / 2 < m_aheadTo;
    if (inside && (back || m_source->isDecoded(frame)))
        return;
    // A reduced picture is made by the worker as it decodes (see shownImage).
    m_source->decodeAhead(frame, m_direction, span, m_zoom < 100 ? scaledSize() : QSize());
    m_aheadFrom = frame;
    m_aheadTo = frame + m_direction * span;
    DecodeAhead* worker = m_source->decodeAheadWorker();
    if (worker && m_aheadWorker != worker) {
        m_aheadWorker = worker;
        connect(worker, &DecodeAhead::framesReady, this, &OvVView::onFramesReady, Qt::QueuedConnection);
    }
}

void OvVView::onFramesReady(int first, int last)
{
    if (!m_playing || !isOpen() || m_shownFrame == currentFrame())
        return;
    const int recorded = m_source->recordedOf(currentFrame());
    if (recorded >= first && recorded <= last)
        update();
}

QSize OvVView::scaledSize(QSize picture, int zoomPercent)
{
    const auto scale = [zoomPercent](int v) {
        return std::max(1, int(std::nearbyint(double(v) * zoomPercent / 100.0)));
    };
    if (picture.isEmpty())
        return {};
    return {scale(picture.width()), scale(picture.height())};
}

QSize OvVView::scaledSize() const { return scaledSize(QSize(pictureWidth(), pictureHeight()), m_zoom); }

void OvVView::setZoom(int percent)
{
    m_zoom = std::clamp(percent, kMinZoom, kMaxZoom);
    limitOffsets();
    update();
}

void OvVView::setOffsetX(int x)
{
    m_offsetX = x;
    limitOffsets();
    update();
}

void OvVView::setOffsetY(int y)
{
    m_offsetY = y;
    limitOffsets();
    update();
}

void OvVView::limitOffsets()
{
    const QSize s = scaledSize();
    m_offsetX = std::clamp(m_offsetX, 0, std::max(0, s.width() - width()));
    m_offsetY = std::clamp(m_offsetY, 0, std::max(0, s.height() - height()));
}

void OvVView::setBackColor(const QColor& colour)
{
    m_backColor = colour;
    update();
}

void OvVView::setCollections(const OverlayCollection* items, const OverlayCollection* distances,
                             const OverlayCollection* angles, const OverlayCollection* trajectories)
{
    m_trajectories = trajectories;
    m_items = items;
    m_distances = distances;
    m_angles = angles;
    update();
}

void OvVView::redraw() { update(); }

PictureMapping OvVView::mapping() const
{
    return {QSize(pictureWidth(), pictureHeight()), scaledSize(), m_offsetX, m_offsetY};
}

const QImage& OvVView::shownImage()
{
    const int frame = currentFrame();
    const bool sameShape = m_shownGeneration == m_generation && m_shownZoom == m_zoom && !m_shown.isNull();
    const bool waiting = m_playing && !m_source->isDecoded(frame) && !m_source->isProvisional(frame);
    if (sameShape && (m_shownFrame == frame || waiting))
        return m_shown; // the same frame, or playing on while the worker has not handed it over
    m_shown = QImage();
    // A reduced picture is made at its shown size straight from the decoded frame; an enlarged
    // one is drawn pixel by pixel at paint time, which keeps the pixels of the video visible and
    // costs only the shown part.
    if (m_zoom < 100) {
        if (m_playing)
            m_shown = m_source->readyPicture(frame, scaledSize());
        if (m_shown.isNull())
            m_shown = m_source->picture(frame, scaledSize());
    } else {
        const QImage picture = m_source->picture(frame);
        if (!picture.isNull())
            m_shown = picture.convertToFormat(QImage::Format_RGB32);
    }
    m_shownGeneration = m_generation;
    m_shownFrame = frame;
    m_shownZoom = m_zoom;
    return m_shown;
}

void OvVView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_backColor);
    if (!isOpen())
        return;
    const QImage& image = shownImage();
    const PictureMapping map = mapping();
    if (!image.isNull()) {
        const QRect target(-m_offsetX, -m_offsetY, map.scaled.width(), map.scaled.height());
        painter.drawImage(target, image);
    }
    drawCollections(painter, map, currentFrame());
}

void OvVView::drawCollections(QPainter& painter, const PictureMapping& map, int frame) const
{
    for (const OverlayCollection* c : {m_items, m_distances, m_angles, m_trajectories}) {
        if (!c)
            continue;
        painter.save();
        c->draw(painter, map, frame);
        painter.restore();
    }
}

void OvVView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    limitOffsets();
}

QImage OvVView::picture(int zoomPercent)
{
    return m_access->currentPicture(zoomPercent);
}

QImage OvVView::pictureWithDrawings()
{
    QImage image = picture(100);
    if (image.isNull())
        return {};
    image = image.convertToFormat(QImage::Format_RGB32);
    QPainter painter(&image);
    drawCollections(painter, PictureMapping{image.size(), image.size(), 0, 0}, currentFrame());
    return image;
}

bool OvVView::copyToClipboard()
{
    const QImage image = pictureWithDrawings();
    if (image.isNull())
        return false;
    QGuiApplication::clipboard()->setImage(image);
    return true;
}

void OvVView::emitMouse(QMouseEvent* event, int button, void (OvVView::*signal)(int, int, int, double, double))
{
    const QPointF pos = event->position();
    const int flags = button + 4 * keyState(event->modifiers());
    const int x = int(std::floor(pos.x()));
    const int y = int(std::floor(pos.y()));
    double xImg = 0;
    double yImg = 0;
    const PictureMapping map = mapping();
    if (map.isValid()) {
        const QPointF p = map.toPicture(pos);
        xImg = p.x();
        yImg = p.y();
    }
    (this->*signal)(flags, x, y, xImg, yImg);
}

void OvVView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton) {
        m_panFrom = event->position().toPoint();
        setCursor(Qt::ClosedHandCursor);
        return;
    }
    m_pressedInside = true;
    emitMouse(event, buttonCode(event->button()), &OvVView::SpecialMouseDown);
}

void OvVView::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event); // the tools see the second press of the pair as a press
    if (event->button() == Qt::LeftButton)
        emit DoubleClick();
}

void OvVView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_panFrom && (event->buttons() & Qt::MiddleButton)) {
        const QPoint at = event->position().toPoint();
        const QPoint moved = *m_panFrom - at;
        m_panFrom = at;
        emit PanBy(moved.x(), moved.y());
        return;
    }
    emitMouse(event, buttonCode(event->buttons()), &OvVView::SpecialMouseMove);
}

void OvVView::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    emit PointerLeft();
}

void OvVView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton) {
        m_panFrom.reset();
        unsetCursor();
        return;
    }
    emitMouse(event, buttonCode(event->button()), &OvVView::SpecialMouseUp);
    const bool click = m_pressedInside && rect().contains(event->position().toPoint());
    m_pressedInside = event->buttons() != Qt::NoButton && m_pressedInside;
    if (click)
        emit Click();
}

// Fine-grained wheels and touch pads send parts of a notch: they add up until a whole one.
void OvVView::wheelEvent(QWheelEvent* event)
{
    m_wheelAngle += event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    const int steps = m_wheelAngle / QWheelEvent::DefaultDeltasPerStep;
    m_wheelAngle -= steps * QWheelEvent::DefaultDeltasPerStep;
    event->accept();
    if (steps == 0)
        return;
    const QPointF pos = event->position();
    emit SpecialWheel(keyState(event->modifiers()), int(std::floor(pos.x())), int(std::floor(pos.y())), steps);
}
