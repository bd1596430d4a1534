#include "dialogs/PlotChartView.h"

#include <QChart>
#include <QMouseEvent>

PlotChartView::PlotChartView(QChart* chart, QWidget* parent) : QChartView(chart, parent)
{
    setRenderHint(QPainter::Antialiasing);
}

void PlotChartView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && chart() && !chart()->series().isEmpty() &&
        chart()->plotArea().contains(event->position())) {
        emit timeClicked(chart()->mapToValue(event->position(), chart()->series().first()).x());
        event->accept();
        return;
    }
    QChartView::mousePressEvent(event);
}
