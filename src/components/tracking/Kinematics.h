#pragma once

#include <QPointF>
#include <optional>
#include <vector>

// Motion from positions over time: smoothed positions, velocities and accelerations, and
// least-squares fits. Plain functions over arrays; times are in seconds and may be uneven (a
// variable frame rate), positions in any unit.
namespace kinematics {

struct State {
    QPointF pos, velocity, acceleration;
};

// A polynomial c0 + c1·t + c2·t² + ... and how far the samples lie from it.
struct Polynomial {
    std::vector<double> coefficients;
    double rms = 0;
    double at(double t) const;
};

// Least squares over the samples; none when there are fewer distinct times than coefficients.
std::optional<Polynomial> fitPolynomial(const std::vector<double>& t, const std::vector<double>& v, int degree);

// The odd number of samples spanning about a tenth of a second at `fps`, at least 5: enough to
// calm the noise of a tracked point without flattening a throw or a swing.
int defaultWindow(double fps);

// At every sample, the polynomial of `order` fitted over `window` samples around it (moved
// inward at the ends) gives the position and its first two derivatives; on evenly spaced times
// this is the Savitzky-Golay filter. Fewer samples than order + 1 give no states.
std::vector<State> differentiate(const std::vector<double>& t, const std::vector<QPointF>& p, int window, int order);

double length(QPointF v);
// The angle at `vertex` between the arms to `a` and `b`, in degrees from 0 to 180.
double angleAt(QPointF a, QPointF vertex, QPointF b);

} // namespace kinematics
