// Curves laid over the response graph at paint time (a measurement, its target, the predicted
// result), drawn on the graph's own level and frequency scale, with a small legend. They are not part
// of the graph's off-screen image: hiding them shows the graph exactly as it was.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPolygon>
#include <QString>
#include <vector>

class CFilterGraphic;

struct SGraphOverlayCurve {
    std::vector<double> values; // dB per grid point; NaN breaks the curve
    QColor colour;
    Qt::PenStyle style = Qt::SolidLine;
    QString label;
};

// The curves as lines on the graph, one per unbroken run of values.
std::vector<QPolygon> OverlayLines(const CFilterGraphic& graph,
                                   const std::vector<SGraphOverlayCurve>& curves);
// The size of the legend, one line per curve.
QSize OverlayLegendSize(const std::vector<SGraphOverlayCurve>& curves);
// Paints the curves, then their legend in the rectangle (OverlayLegendSize large).
void PaintGraphOverlay(QPainter& p, const CFilterGraphic& graph,
                       const std::vector<SGraphOverlayCurve>& curves, const QRect& legend);
