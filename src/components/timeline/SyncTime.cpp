#include "SyncTime.h"

namespace SyncTime {
namespace {

using Member = double analysis::SyncPoint::*;

// Maps t reading `from` and writing `to` of each point.
double walk(std::span<const analysis::SyncPoint> pts, double t, Member from, Member to, Status& status)
{
    status = Status::Ok;
    const size_t n = pts.size();
    for (size_t i = 0; i < n; ++i) {
        const analysis::SyncPoint& p = pts[i];
        if (i > 0 && p.*from < pts[i - 1].*from) {
            status = Status::OutOfOrder;
            return t;
        }
        if (t == p.*from)
            return p.*to;
        if (t < p.*from) {
            if (i > 0) {
                status = Status::OutOfOrder;
                return t;
            }
            if (p.*from == 0) {
                status = Status::DivisionByZero;
                return 0;
            }
            return t * (p.*to) / (p.*from);
        }
        if (i + 1 == n)
            return t - p.*from + p.*to;
        const analysis::SyncPoint& q = pts[i + 1];
        if (t < q.*from)
            return (t - p.*from) * (q.*to - p.*to) / (q.*from - p.*from) + p.*to;
    }
    return t;
}

} // namespace

double vw2sync(std::span<const analysis::SyncPoint> points, double t, Status& status)
{
    return walk(points, t, &analysis::SyncPoint::tVw, &analysis::SyncPoint::tSync, status);
}

double sync2vw(std::span<const analysis::SyncPoint> points, double t, Status& status)
{
    return walk(points, t, &analysis::SyncPoint::tSync, &analysis::SyncPoint::tVw, status);
}

} // namespace SyncTime
