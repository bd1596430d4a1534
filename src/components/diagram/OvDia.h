#pragma once

#include "OvDiaSettings.h"
#include "components/audio/AudioSeries.h"

#include <QPixmap>
#include <QWidget>
#include <vector>

// The audio diagram: one lane per data series (one series per channel), each showing the
// series' min/max envelope mirrored around the lane's centre line, and a time cursor across all
// lanes. The waveform is drawn once per size into a cached picture, so moving the cursor only
// repaints the two thin strips where the cursor was and where it goes. The diagram holds its
// own copy of every series; it never reads a file.
class OvDia : public QWidget {
    Q_OBJECT
public:
    explicit OvDia(const OvDiaSettings& settings = {}, QWidget* parent = nullptr);

    const OvDiaSettings& settings() const { return m_settings; }

    // Adds a lane for the series: its samples at `sampleRate`, its first sample `offset`
    // seconds into the time axis. Returns the number of lanes; a series without samples or
    // rate is refused (the count stays).
    int addSeries(const AudioSeries& series, int sampleRate, double offset = 0.0);
    void clearSeries();
    int seriesCount() const { return int(m_lanes.size()); }

    // The time cursor in seconds (single precision, as the time line passes it).
    void setCursorTime(float t);
    float cursorTime() const { return m_cursor; }

    // The time axis; a maximum not above the minimum means "the audio's own length".
    void setTimeRange(double tMin, double tMax);
    double timeMin() const;
    double timeMax() const;

    // Geometry shared by drawing and tests, in widget pixels.
    double timeToX(double t) const;
    // The cursor's column, or -1 when there is nothing to point into.
    int cursorX() const;
    QRect laneRect(int lane) const;
    // Where a sample of value v (full scale 1) of the lane is drawn.
    double amplitudeToY(int lane, double v) const;

    // How often the waveform picture has been drawn (once per size and content).
    int waveformRenders() const { return m_renders; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    // The waveform picture follows the size by itself: a picture of another size is redrawn.
    void paintEvent(QPaintEvent* event) override;

private:
    struct Lane {
        AudioSeries series;
        int sampleRate = 0;
        double offset = 0.0;
    };

    // The waveform picture for the present size, redrawn when it is stale.
    const QPixmap& waveform();
    void renderWaveform(QPixmap& target) const;
    void drawLane(QPainter& p, int index, double dpr, int deviceWidth) const;
    QString laneLabel(int index) const;
    QRect cursorRect(int x) const;
    void invalidate();

    OvDiaSettings m_settings;
    std::vector<Lane> m_lanes;
    float m_cursor = 0.0f;
    double m_rangeMin = 0.0;
    double m_rangeMax = 0.0;

    QPixmap m_wave;
    bool m_waveStale = true;
    int m_renders = 0;
};
