#include "graph/graphlayout.h"

#include <QLineF>
#include <climits>

namespace {

bool SegmentTouches(const QRect& box, const QPoint& a, const QPoint& b) {
    if (box.contains(a) || box.contains(b)) return true;
    // The box's edges as lines: a segment that enters it crosses one of them.
    const QRectF r(box.left(), box.top(), box.width() - 1, box.height() - 1);
    const QLineF s(a, b), edges[4] = {{r.topLeft(), r.topRight()},
                                      {r.topRight(), r.bottomRight()},
                                      {r.bottomRight(), r.bottomLeft()},
                                      {r.bottomLeft(), r.topLeft()}};
    for (const QLineF& e : edges)
        if (s.intersects(e) == QLineF::BoundedIntersection) return true;
    return false;
}

} // namespace

int CoveredPieces(const QRect& box, const std::vector<QPolygon>& lines) {
    int n = 0;
    for (const QPolygon& line : lines) {
        if (line.size() == 1) n += box.contains(line.front());
        for (int i = 1; i < line.size(); ++i)
            n += SegmentTouches(box, line[i - 1], line[i]);
    }
    return n;
}

QRect EmptiestPlace(const QSize& size, const QRect& area, const std::vector<QPolygon>& lines,
                    const std::vector<QRect>& taken) {
    const int xl = area.left(), xr = area.right() + 1 - size.width();
    const int yt = area.top(), yb = area.bottom() + 1 - size.height();
    std::vector<QPoint> candidates = {{xr, yt}, {xl, yt}, {xr, yb}, {xl, yb}};
    for (int x = xr - 16; x > xl; x -= 16) {
        candidates.emplace_back(x, yt);
        candidates.emplace_back(x, yb);
    }
    QRect best;
    int nBest = INT_MAX;
    for (const QPoint& pt : candidates) {
        const QRect box(pt, size);
        bool bTaken = false;
        for (const QRect& t : taken)
            bTaken = bTaken || t.intersects(box);
        if (bTaken) continue;
        const int n = CoveredPieces(box, lines);
        if (n < nBest) {
            best = box;
            nBest = n;
            if (n == 0) break;
        }
    }
    return nBest == INT_MAX ? QRect(QPoint(xr, yt), size) : best;
}
