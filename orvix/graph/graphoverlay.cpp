#include "orvix/graph/graphoverlay.h"

#include <QFontMetrics>
#include <cmath>

#include "orvix/graph/filtergraphic.h"

void PaintGraphOverlay(QPainter& p, const CFilterGraphic& graph,
                       const std::vector<SGraphOverlayCurve>& curves) {
    if (curves.empty()) return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const double fBase = graph.BaseY();
    for (const SGraphOverlayCurve& c : curves) {
        p.setPen(QPen(c.colour, 2, c.style, Qt::RoundCap, Qt::RoundJoin));
        QPointF prev;
        bool bPrev = false;
        for (std::size_t i = 0; i < c.values.size(); ++i) {
            const double v = c.values[i];
            if (!std::isfinite(v)) {
                bPrev = false;
                continue;
            }
            // The graph's scale: 13.5 dB from the 0 dB row to the top, the same below.
            const QPointF pt(graph.CurveX(static_cast<int>(i)),
                             std::clamp(fBase - fBase * v / 13.5, -1e5, 1e5));
            if (bPrev) p.drawLine(prev, pt);
            prev = pt;
            bPrev = true;
        }
    }
    // The legend, top right, one line per curve.
    QFont font = p.font();
    font.setPixelSize(11);
    p.setFont(font);
    const QFontMetrics fm(font);
    int nWidth = 0;
    for (const SGraphOverlayCurve& c : curves)
        nWidth = std::max(nWidth, fm.horizontalAdvance(c.label));
    const int x = graph.width() - nWidth - 40, nLine = fm.height() + 2;
    int y = 16;
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(x - 6, y - 4, nWidth + 40, nLine * static_cast<int>(curves.size()) + 6),
               QColor(0, 0, 0, 170));
    for (const SGraphOverlayCurve& c : curves) {
        p.setPen(QPen(c.colour, 2, c.style));
        p.drawLine(x, y + nLine / 2, x + 22, y + nLine / 2);
        p.setPen(QColor(220, 220, 220));
        p.drawText(QRect(x + 28, y, nWidth + 4, nLine), Qt::AlignLeft | Qt::AlignVCenter, c.label);
        y += nLine;
    }
    p.restore();
}
