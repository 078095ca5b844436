// Curves laid over the response graph at paint time (a measurement, its target, the predicted
// result), drawn on the graph's own level and frequency scale, with a small legend. They are not part
// of the graph's off-screen image: hiding them shows the graph exactly as it was.
#pragma once

#include <QColor>
#include <QPainter>
#include <QString>
#include <vector>

class CFilterGraphic;

struct SGraphOverlayCurve {
    std::vector<double> values; // dB per grid point; NaN breaks the curve
    QColor colour;
    Qt::PenStyle style = Qt::SolidLine;
    QString label;
};

void PaintGraphOverlay(QPainter& p, const CFilterGraphic& graph,
                       const std::vector<SGraphOverlayCurve>& curves);
