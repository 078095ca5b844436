// Where legends and switches go over a plot: the place among a few candidates that covers the fewest
// pieces of the drawn curves, so that nothing drawn hides under them.
#pragma once

#include <QPolygon>
#include <QRect>
#include <vector>

// The pieces (line segments, or single points) of the lines that touch the box.
int CoveredPieces(const QRect& box, const std::vector<QPolygon>& lines);
// A place of the given size inside area: its four corners first (top right, top left, bottom right,
// bottom left), then positions along its top and bottom edges. The first place that covers no piece
// of the lines and overlaps none of the taken rectangles wins; when every place covers some, the one
// covering the fewest.
QRect EmptiestPlace(const QSize& size, const QRect& area, const std::vector<QPolygon>& lines,
                    const std::vector<QRect>& taken = {});
