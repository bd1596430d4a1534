#pragma once

#include <QChartView>

// The chart of the plots window: a click on the plot area tells the time under the pointer.
class PlotChartView : public QChartView {
    Q_OBJECT
public:
    // Takes the chart (a chart view made without one makes its own, which a later one would
    // leave behind).
    PlotChartView(QChart* chart, QWidget* parent);

signals:
    void timeClicked(double seconds);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
