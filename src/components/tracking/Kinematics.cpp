#include "Kinematics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace kinematics {

namespace {

// Solves the square system a·x = b in place by elimination with partial pivoting.
bool solve(std::vector<std::vector<double>>& a, std::vector<double>& b)
{
    const std::size_t n = b.size();
    for (std::size_t col = 0; col < n; ++col) {
        std::size_t pivot = col;
        for (std::size_t r = col + 1; r < n; ++r)
            if (std::abs(a[r][col]) > std::abs(a[pivot][col]))
                pivot = r;
        if (std::abs(a[pivot][col]) < 1e-12)
            return false;
        std::swap(a[col], a[pivot]);
        std::swap(b[col], b[pivot]);
        for (std::size_t r = col + 1; r < n; ++r) {
            const double f = a[r][col] / a[col][col];
            for (std::size_t c = col; c < n; ++c)
                a[r][c] -= f * a[col][c];
            b[r] -= f * b[col];
        }
    }
    for (std::size_t col = n; col-- > 0;) {
        for (std::size_t c = col + 1; c < n; ++c)
            b[col] -= a[col][c] * b[c];
        b[col] /= a[col][col];
    }
    return true;
}

// The coefficients of the fit over samples [first, last) in powers of (t - t0).
std::optional<std::vector<double>> localFit(const std::vector<double>& t, const std::vector<double>& v,
                                            std::size_t first, std::size_t last, double t0, int degree)
{
    // Times scaled to about ±1 keep the normal equations well conditioned.
    double span = 0;
    for (std::size_t i = first; i < last; ++i)
        span = std::max(span, std::abs(t[i] - t0));
    if (!(span > 0))
        return std::nullopt;
    const std::size_t n = std::size_t(degree) + 1;
    std::vector<std::vector<double>> a(n, std::vector<double>(n, 0.0));
    std::vector<double> b(n, 0.0);
    std::vector<double> powers(2 * n - 1);
    for (std::size_t i = first; i < last; ++i) {
        const double s = (t[i] - t0) / span;
        powers[0] = 1;
        for (std::size_t k = 1; k < powers.size(); ++k)
            powers[k] = powers[k - 1] * s;
        for (std::size_t r = 0; r < n; ++r) {
            b[r] += powers[r] * v[i];
            for (std::size_t c = 0; c < n; ++c)
                a[r][c] += powers[r + c];
        }
    }
    if (!solve(a, b))
        return std::nullopt;
    for (std::size_t k = 1; k < n; ++k)
        b[k] /= std::pow(span, double(k));
    return b;
}

} // namespace

double Polynomial::at(double t) const
{
    double v = 0;
    for (std::size_t k = coefficients.size(); k-- > 0;)
        v = v * t + coefficients[k];
    return v;
}

std::optional<Polynomial> fitPolynomial(const std::vector<double>& t, const std::vector<double>& v, int degree)
{
    if (degree < 0 || t.size() != v.size() || t.size() < std::size_t(degree) + 1)
        return std::nullopt;
    // Fitted around the mean time, then moved to powers of t itself.
    double mean = 0;
    for (const double x : t)
        mean += x;
    mean /= double(t.size());
    const auto local = localFit(t, v, 0, t.size(), mean, degree);
    if (!local)
        return std::nullopt;
    Polynomial p;
    p.coefficients.assign(local->size(), 0.0);
    // Σ c_k (t - m)^k expanded by the binomial theorem.
    for (std::size_t k = 0; k < local->size(); ++k) {
        double binomial = 1;
        for (std::size_t j = 0; j <= k; ++j) {
            p.coefficients[j] += (*local)[k] * binomial * std::pow(-mean, double(k - j));
            binomial = binomial * double(k - j) / double(j + 1);
        }
    }
    double squares = 0;
    for (std::size_t i = 0; i < t.size(); ++i)
        squares += std::pow(p.at(t[i]) - v[i], 2);
    p.rms = std::sqrt(squares / double(t.size()));
    return p;
}

int defaultWindow(double fps)
{
    const int samples = int(std::lround(fps > 0 ? fps / 10 : 0));
    return std::max(5, samples | 1);
}

std::vector<State> differentiate(const std::vector<double>& t, const std::vector<QPointF>& p, int window, int order)
{
    const std::size_t n = std::min(t.size(), p.size());
    order = std::clamp(order, 1, 5);
    window = std::max(window, order + 1);
    if (n < std::size_t(order) + 1)
        return {};
    const std::size_t w = std::min(n, std::size_t(window));
    std::vector<double> xs(n), ys(n);
    for (std::size_t i = 0; i < n; ++i) {
        xs[i] = p[i].x();
        ys[i] = p[i].y();
    }
    std::vector<State> states(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t first = std::min(i > w / 2 ? i - w / 2 : 0, n - w);
        const auto fx = localFit(t, xs, first, first + w, t[i], order);
        const auto fy = localFit(t, ys, first, first + w, t[i], order);
        if (!fx || !fy) {
            const double none = std::numeric_limits<double>::quiet_NaN();
            states[i] = {p[i], {none, none}, {none, none}};
            continue;
        }
        const double ax = order >= 2 ? 2 * (*fx)[2] : 0, ay = order >= 2 ? 2 * (*fy)[2] : 0;
        states[i] = {{(*fx)[0], (*fy)[0]}, {(*fx)[1], (*fy)[1]}, {ax, ay}};
    }
    return states;
}

double length(QPointF v) { return std::hypot(v.x(), v.y()); }

double angleAt(QPointF a, QPointF vertex, QPointF b)
{
    const QPointF u = a - vertex, v = b - vertex;
    return std::atan2(std::abs(u.x() * v.y() - u.y() * v.x()), u.x() * v.x() + u.y() * v.y()) * 180.0
         / std::numbers::pi;
}

} // namespace kinematics
