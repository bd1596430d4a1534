#pragma once

#include "components/analysis/AnalysisDoc.h"
#include "components/analysis/TrajectorySeries.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

class PlotChartView;
class QChart;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineSeries;
class QPushButton;
class QSpinBox;
class QTimer;
class QToolButton;

// The plots panel: one quantity of the views' trajectories against time (a coordinate, a
// velocity, the speed, an acceleration, the distance of two trajectories or the angle of three),
// a line that stands at the present frame, a click that takes the views to the frame under it,
// a least-squares line or parabola over a chosen span with its coefficients, and the plot saved
// as PNG or SVG. It sits beside the views or floats as a window of its own (its owner moves it);
// it reads the views again when told that they changed, and only their frames when told that
// they moved.
class TrajectoryPlots : public QWidget {
    Q_OBJECT
public:
    struct ViewState {
        int idx = 0; // the controller's index of the view
        analysis::View view;
        int currentFrame = 0;
    };
    struct Source {
        std::function<std::vector<ViewState>()> views;
        std::function<void(int idx, int frame)> seek;
        std::function<void(int idx, int trajectory, int window, int order)> setSmoothing;
        std::function<int(int idx)> frame; // the frame a view shows now
    };

    explicit TrajectoryPlots(Source source, QWidget* parent = nullptr);
    ~TrajectoryPlots() override;

    // Reads the views again and redraws what changed.
    void refresh();
    // The views' contents changed: read again soon, once for a burst of changes (a run adds a
    // point a frame). Nothing while hidden; showing reads them.
    void changed();
    // A view showed another frame: only the line of the present frame moves.
    void frameShown();
    // Its look inside the main window (a title row with a close button) or as a window.
    void setDocked(bool docked);
    // The texts of the chosen language.
    void setTexts();

    // What is shown, for the tests and the tools.
    const analysis::Series& series() const { return m_series; }
    // The fitted coefficients, lowest power first; empty without a fit.
    const std::vector<double>& fit() const { return m_fit; }
    QChart* chart() const;

signals:
    // The user asked to dock it beside the views, or to float it as a window.
    void dockToggled();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Choice {
        int view = 0; // position in the views read
        std::vector<int> trajectories;
        analysis::Quantity fixed = analysis::Quantity::X; // Distance or Angle, else the chosen quantity
        bool single = true;
        QString text;
    };
    void build();
    void choices_fill();
    void plot();
    void fit_update();
    void cursor_update();
    void smoothing_apply();
    void save();
    std::optional<Choice> chosen() const;

    Source m_source;
    std::vector<ViewState> m_views;
    std::vector<Choice> m_choices;
    analysis::Series m_series;
    std::vector<double> m_fit;
    bool m_spanTouched = false; // the user set the span: new points keep it

    QPointer<QComboBox> m_cboWhat;
    QPointer<QComboBox> m_cboQuantity;
    QPointer<QSpinBox> m_spnWindow;
    QPointer<QSpinBox> m_spnOrder;
    QPointer<QComboBox> m_cboFit;
    QPointer<QDoubleSpinBox> m_spnFrom;
    QPointer<QDoubleSpinBox> m_spnTo;
    QPointer<QLabel> m_lblFit;
    QPointer<QLabel> m_lblEmpty;
    QPointer<QPushButton> m_btnSave;
    QPointer<PlotChartView> m_view;
    QLineSeries* m_data = nullptr;
    QLineSeries* m_fitLine = nullptr;
    QLineSeries* m_cursor = nullptr;
    QPointer<QTimer> m_pending;
    QPointer<QLabel> m_lblTitle;
    QPointer<QToolButton> m_btnDock;
    QPointer<QToolButton> m_btnClose;
};
