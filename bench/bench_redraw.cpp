// One response-graph redraw as the editor does it after an equalizer or crossover edit: both curves of
// the selected pair computed and drawn into the graph's off-screen image, then the widget painted
// (Qt's offscreen platform). The refresh period it must fit into is 50 ms.
#include <benchmark/benchmark.h>

#include "redrawcase.h"

#include <QApplication>

#include "editor/consolehost.h"
#include "editor/editorcore.h"
#include "graph/filtergraphic.h"
#include "skin/skinids.h"
#include "skin/skinlayout.h"

namespace {

constexpr double kRefreshPeriodMs = 50.0;

// The editor's drawing calls reach the graph widget, as the main view forwards them.
class CGraphHost : public CConsoleHost {
public:
    explicit CGraphHost(CFilterGraphic& graph) : m_Graph(graph) {}
    void DrawCurve(const double* pValues, int nCount, int nPen, int bClear) override {
        m_Graph.DrawCurve(pValues, nCount, nPen, bClear);
    }
    void Repaint(int) override { m_Graph.repaint(); }

private:
    CFilterGraphic& m_Graph;
};

void Redraw(benchmark::State& state, bool bBackground) {
    CFilterGraphic graph;
    graph.resize(SkinLayout::GRAPH.w, SkinLayout::GRAPH.h);
    if (bBackground && !graph.LoadBackground(SkinId::GRAPH_BACKGROUND, "PNG")) {
        state.SkipWithError("no background picture");
        return;
    }
    graph.show();
    QApplication::processEvents();
    CGraphHost host(graph);
    host.SetQuiet(true);
    CEditorCore core(host);
    host.Attach(&core);
    CSettingsModel& m = core.Model();
    m.WriteStartupDefaults();
    for (std::uint8_t ch : {std::uint8_t{2}, std::uint8_t{3}}) {
        FillRedrawChannel(m.m_Lib, ch);
        m.m_bEqEnable[ch] = 1;
        m.m_bXoverEnable[ch] = 1;
        m.m_Lib.SetEqFlag(ch, 1);
    }
    for (auto _ : state) {
        core.Filters().UpdateResponseGraph(1, 2, 1);
        graph.repaint();
    }
    state.counters["period_ms"] = kRefreshPeriodMs;
}

void BM_GraphRedraw(benchmark::State& state) {
    Redraw(state, true);
}
void BM_GraphRedrawDrawnGrid(benchmark::State& state) {
    Redraw(state, false);
}

BENCHMARK(BM_GraphRedraw)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_GraphRedrawDrawnGrid)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
