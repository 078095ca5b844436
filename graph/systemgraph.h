// The system view of the response graph, a layer over CFilterGraphic. Switched off, only its switch
// shows, in the corner of the graph that covers the fewest curves. Switched on, it covers the graph: a
// strip along the top holds the legend and the switches, the plot below it every output's magnitude
// in its pen colour, optionally the phase on a second scale (labelled right of 20 kHz, where no curve
// runs), and the sum of a group as a thicker curve. Clicking a curve selects its channel; clicking a legend
// entry adds the output to the sum or takes it out. What is shown is decided by CSystemView; the
// single-channel graph below is untouched.
#pragma once

#include <QFont>
#include <QImage>
#include <QPolygon>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tuning/systemview.h"

class CFilterGraphic;
class CSkinButton;

// A proposal laid over the system view while it is weighed: the outputs it changes with their trims
// after it, and the predicted sums before and after. The outputs and the sum are drawn as they would be
// after it, solid; before it, dashed and faded.
struct SSystemPreview {
    std::vector<int> channels;
    std::vector<ZUtils::SOutputTrim> after;    // after[k] belongs to channels[k]
    ZUtils::ZComplexCurve sumBefore, sumAfter; // as drawn: both moved by fSumShiftDb (DrawnShiftDb)
    double fSumShiftDb = 0.0;
    std::string sumName;     // the sum after, as the legend names it (a text of the editor core)
    bool bShowBefore = true; // false: the state after alone
};

// A text of the legend as the last paint drew it: in rc, with font.
struct SLegendText {
    QRect rc;
    QString text;
    QFont font;
};

class CSystemGraph : public QWidget {
public:
    // IDs of the switches, among the children of this layer.
    enum ESwitch { ID_SYSTEM = 1, ID_PHASE = 2, ID_UNWRAP = 3 };

    // The layer reads the model at every paint; pfnSelect selects a channel as its button would.
    CSystemGraph(CFilterGraphic* pGraph, const CSettingsModel* pModel, std::function<void(int)> pfnSelect);
    ~CSystemGraph() override;

    CSystemView& View() { return m_View; }
    // Shows the proposal (switching the view on while it is shown), or takes it away and puts the view
    // back as it was.
    void SetPreview(const SSystemPreview& preview);
    void ClearPreview();
    bool HasPreview() const { return m_bPreview; }
    // The curves of the state before the proposal the last paint drew, dashed (none without a preview).
    const std::vector<QPolygon>& DrawnBefore() const { return m_DrawnBefore; }
    // After a change of the view's state: the switches, the layer's extent, a repaint.
    void ApplyView();
    // After any change the window mirrors: what the view draws is a function of the model (and of
    // the measurements), so it is recomputed and repainted when it differs from what was drawn.
    void Follow();
    // What the last paint drew, and where.
    const SSystemPicture& Picture() const { return m_Picture; }
    QRect LegendRect() const { return m_rcLegend; }
    // The legend's click areas, one an output (in the order of Picture().outputs), and every text
    // drawn in it: the outputs' names, then the lines of the sum's name and of the note.
    const std::vector<QRect>& LegendRows() const { return m_LegendRows; }
    const std::vector<SLegendText>& LegendTexts() const { return m_LegendTexts; }
    // The whole texts of the legend, its tooltip, when a piece of one had to be elided; else empty.
    const QString& LegendTip() const { return m_LegendTip; }
    // The strip above the plot, the phase scale's labels and every line the last paint drew.
    QRect StripRect() const { return m_rcStrip; }
    const std::vector<QRect>& PhaseLabelRects() const { return m_PhaseLabels; }
    const std::vector<QPolygon>& DrawnLines() const { return m_Drawn; }
    // The delay common to the outputs drawn (the smallest), taken out of every phase shown, in ms.
    double CommonDelayMs() const { return m_fCommonDelayMs; }
    // The points drawn of each curve: those up to 20 kHz.
    int DrawnPoints() const;
    // The output whose curve passes within a few pixels of pt, or -1.
    int ChannelAt(const QPoint& pt) const;
    // y of a level in dB and of a phase in degrees on the current scales.
    int LevelY(double fDb) const;
    int PhaseY(double fDeg) const;
    CSkinButton* Switch(int nId) const;

protected:
    bool event(QEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void leaveEvent(QEvent* pEvent) override;

private:
    void Place();
    // The switch of the view when off: where the graph's curves leave room.
    void PlaceSwitchOff();
    void OnSwitch(int nId);
    int StripHeight() const;
    QString PhaseCaption() const;
    // Before the strip is sized: where the legend's box, rows and texts go.
    void LayOutLegend();
    void DrawLegend(QPainter& p);
    void DrawPhaseScale(QPainter& p);
    // The phase drawn for an output: wrapped or unwrapped.
    void PhaseOf(const ZUtils::ZComplexCurve& curve, bool bSum, double* pDeg) const;

    CFilterGraphic* m_pGraph;
    const CSettingsModel* m_pModel;
    std::function<void(int)> m_pfnSelect;
    CSystemView m_View;
    SSystemPicture m_Picture;
    CSkinButton* m_pSwitch[3] = {};
    QImage m_Background;
    QRect m_rcLegend;
    QRect m_rcStrip;
    std::vector<QRect> m_LegendRows;
    std::vector<SLegendText> m_LegendTexts;
    QString m_LegendTip;
    int m_nLegendRows = 3, m_nSumLines = 1;
    std::vector<QRect> m_PhaseLabels;
    std::vector<QPolygon> m_Drawn;
    double m_fPhaseLow = -180.0, m_fPhaseHigh = 180.0, m_fPhaseStep = 90.0;
    double m_fCommonDelayMs = 0.0;
    bool m_bPreview = false;
    bool m_bWasOn = false; // the view's switch before the preview
    SSystemPreview m_Preview;
    std::vector<SSystemOutput> m_Before; // the previewed outputs as they are now
    std::vector<QPolygon> m_DrawnBefore;
};
