// The response graph: curves of the selected channel and its partner over a background picture
// (or, without one, a drawn grid of levels and frequencies). Everything is drawn into an off-screen
// image the size of the widget; painting copies that image.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPen>
#include <QPolygon>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "graph/graphoverlay.h"

class CFilterGraphic : public QWidget {
public:
    static constexpr int PENS = 8;
    static constexpr int GRID_PEN = 8; // pen index of the thin grid pen in DrawCurve
    static constexpr int LEVEL_LINES = 7;
    static constexpr int FREQUENCY_LINES = 32;

    explicit CFilterGraphic(QWidget* pParent = nullptr);
    ~CFilterGraphic() override;

    // Loads the background picture (a skin image ID). Returns 1, or 0 with no picture kept.
    int LoadBackground(int nId, const char* pszType);
    bool HasBackground() const;

    // Draws one curve of values in dB, one per grid point, with a pen index (0..7 curve pens,
    // 8 the grid pen, anything else pen 0); bClear first redraws the background.
    void DrawCurve(const double* pValues, int nCount, int nPen, int bClear);

    // Sets up the off-screen image for the current size and draws the grid into it. Done on every
    // resize; the view sizes the graph once.
    void PreSubclassWindow();
    void RedrawBackground();

    // The off-screen image (set up for the current size first).
    const QImage& Image();
    static QColor PenColour(int nPen);

    // Curves painted over the off-screen image at every paint (curves that are not the graph's own),
    // with their legend where it covers no curve; an empty function or list paints nothing.
    void SetOverlay(std::function<std::vector<SGraphOverlayCurve>()> curves) {
        m_Overlay = std::move(curves);
        update();
    }
    std::vector<SGraphOverlayCurve> OverlayCurves() const;

    // Where things laid over the plot may go: inside the level and frequency labels.
    QRect PlotArea() const;
    // The lines of everything drawn: the curves since the last clear, then the overlay's.
    std::vector<QPolygon> DataLines() const;
    // The rectangles of the switches laid over the graph (its visible children).
    std::vector<QRect> SwitchRects() const;
    // Where the overlay's legend was painted last (empty: none).
    QRect OverlayLegendRect() const { return m_rcOverlayLegend; }
    // Tells the view which part of the graph (a help ID of the added parts, 0 none) is under the
    // pointer, once per change, as a control reports its hover.
    void ReportHelp(int nHelpId);

    // Geometry of the last background drawn.
    int GetLeft() const { return m_nLeft; }
    int GetRight() const { return m_nRight; }
    float GetRowHeight() const { return m_fRowHeight; }
    float GetPxPerDecade() const { return m_fPxPerDecade; }
    // y of level line k (0..6, 15 dB down to -15 dB) and of the 0 dB row curves are drawn around.
    int LevelLineY(int k) const;
    int BaseY() const;
    // x of the frequency line for f Hz and of grid point i of a curve.
    int FrequencyX(int nFreq) const;
    int CurveX(int i) const;

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void leaveEvent(QEvent* pEvent) override;

private:
    void SetGeometry();
    void EnsureSurface();
    void DrawGrid(QPainter& p);

    std::array<QPen, PENS> m_Pen;
    QPen m_GridPen;
    QPen m_BoldPen;
    QImage m_MemDC;
    QFont m_Font;
    QRect m_rcClient;
    int m_nLeft = 18;
    int m_nRight = 0;
    float m_fRowHeight = 0;
    int m_nGridX = 0;
    float m_fPxPerDecade = 0;
    int m_nGridFreq = 0;
    std::unique_ptr<QImage> m_pBackground;
    std::vector<QPolygon> m_Drawn; // the curves drawn since the background, as drawn
    std::function<std::vector<SGraphOverlayCurve>()> m_Overlay;
    QRect m_rcOverlayLegend;
    int m_nHelpId = 0;
};
