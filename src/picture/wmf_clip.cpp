#include "picture/wmf_clip.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace sorvane::wmf {

QPolygonF clipPolygon(const QPolygonF &polygon, const QRectF &r)
{
    QPolygonF out;
    for (const QPointF &p : polygon) {
        if (std::isfinite(p.x()) && std::isfinite(p.y()))
            out.append(p);
    }
    auto clipEdge = [&out](auto inside, auto cross) {
        if (out.isEmpty())
            return;
        const QPolygonF in = std::exchange(out, {});
        QPointF from = in.last();
        for (const QPointF &to : in) {
            if (inside(to)) {
                if (!inside(from))
                    out.append(cross(from, to));
                out.append(to);
            } else if (inside(from)) {
                out.append(cross(from, to));
            }
            from = to;
        }
    };
    auto atX = [](double x) {
        return
            [x](QPointF a, QPointF b) { return QPointF(x, a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x())); };
    };
    auto atY = [](double y) {
        return
            [y](QPointF a, QPointF b) { return QPointF(a.x() + (b.x() - a.x()) * (y - a.y()) / (b.y() - a.y()), y); };
    };
    clipEdge([&](QPointF p) { return p.x() >= r.left(); }, atX(r.left()));
    clipEdge([&](QPointF p) { return p.x() <= r.right(); }, atX(r.right()));
    clipEdge([&](QPointF p) { return p.y() >= r.top(); }, atY(r.top()));
    clipEdge([&](QPointF p) { return p.y() <= r.bottom(); }, atY(r.bottom()));
    return out;
}

void clipPolyline(const QPolygonF &line, const QRectF &r, QPainterPath *out)
{
    bool joined = false; // whether the last part drawn ends at line[i - 1]
    for (qsizetype i = 1; i < line.size(); ++i) {
        const QPointF a = line[i - 1], b = line[i];
        const QPointF d = b - a;
        double t0 = 0, t1 = 1;
        auto edge = [&](double p, double q) {
            if (p == 0)
                return q >= 0;
            const double t = q / p;
            if (p < 0)
                t0 = std::max(t0, t);
            else
                t1 = std::min(t1, t);
            return t0 <= t1;
        };
        const bool visible = std::isfinite(d.x()) && std::isfinite(d.y()) && edge(-d.x(), a.x() - r.left()) &&
                             edge(d.x(), r.right() - a.x()) && edge(-d.y(), a.y() - r.top()) &&
                             edge(d.y(), r.bottom() - a.y());
        if (!visible) {
            joined = false;
            continue;
        }
        if (!joined || t0 > 0)
            out->moveTo(a + t0 * d);
        out->lineTo(a + t1 * d);
        joined = t1 >= 1;
    }
}

} // namespace sorvane::wmf
