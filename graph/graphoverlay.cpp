#include "graph/graphoverlay.h"

#include <QFontMetrics>
#include <cmath>

#include "graph/filtergraphic.h"

namespace {

constexpr int kLegendPixels = 11;
constexpr int kSample = 22; // the line drawn before each label
constexpr int kPad = 6;

QFont LegendFont() {
    QFont font;
    font.setPixelSize(kLegendPixels);
    return font;
}

int LineHeight() {
    return QFontMetrics(LegendFont()).height() + 2;
}

// One curve's runs of defined values, on the graph's scale: 13.5 dB from the 0 dB row to the top,
// the same below.
std::vector<QPolygonF> Runs(const CFilterGraphic& graph, const SGraphOverlayCurve& c) {
    const double fBase = graph.BaseY();
    std::vector<QPolygonF> runs;
    bool bPrev = false;
    for (std::size_t i = 0; i < c.values.size(); ++i) {
        const double v = c.values[i];
        if (!std::isfinite(v)) {
            bPrev = false;
            continue;
        }
        if (!bPrev) runs.emplace_back();
        runs.back().append(
            QPointF(graph.CurveX(static_cast<int>(i)), std::clamp(fBase - fBase * v / 13.5, -1e5, 1e5)));
        bPrev = true;
    }
    return runs;
}

} // namespace

std::vector<QPolygon> OverlayLines(const CFilterGraphic& graph,
                                   const std::vector<SGraphOverlayCurve>& curves) {
    std::vector<QPolygon> lines;
    for (const SGraphOverlayCurve& c : curves)
        for (const QPolygonF& run : Runs(graph, c))
            lines.push_back(run.toPolygon());
    return lines;
}

QSize OverlayLegendSize(const std::vector<SGraphOverlayCurve>& curves) {
    const QFontMetrics fm(LegendFont());
    int nWidth = 0;
    for (const SGraphOverlayCurve& c : curves)
        nWidth = std::max(nWidth, fm.horizontalAdvance(c.label));
    return {kPad + kSample + 6 + nWidth + kPad, LineHeight() * static_cast<int>(curves.size()) + 6};
}

void PaintGraphOverlay(QPainter& p, const CFilterGraphic& graph,
                       const std::vector<SGraphOverlayCurve>& curves, const QRect& legend) {
    if (curves.empty()) return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    for (const SGraphOverlayCurve& c : curves) {
        p.setPen(QPen(c.colour, 2, c.style, Qt::RoundCap, Qt::RoundJoin));
        // One polyline per run: a dash pattern runs on along the curve instead of starting again at
        // every grid point, which would draw it solid.
        for (const QPolygonF& run : Runs(graph, c))
            p.drawPolyline(run);
    }
    p.setFont(LegendFont());
    const int nLine = LineHeight();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(legend, QColor(0, 0, 0, 170));
    const int x = legend.left() + kPad;
    int y = legend.top() + 3;
    for (const SGraphOverlayCurve& c : curves) {
        p.setPen(QPen(c.colour, 2, c.style));
        p.drawLine(x, y + nLine / 2, x + kSample, y + nLine / 2);
        p.setPen(QColor(220, 220, 220));
        p.drawText(QRect(x + kSample + 6, y, legend.right() - x - kSample - 6, nLine),
                   Qt::AlignLeft | Qt::AlignVCenter, c.label);
        y += nLine;
    }
    p.restore();
}
