#include "systemgraph.h"

#include <QCoreApplication>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cmath>

#include "comm/ctrlmessages.h"
#include "editor/controlids.h"
#include "filtergraphic.h"
#include "graphlayout.h"
#include "guilib/notify.h"
#include "guilib/skinbutton.h"
#include "skin/skinids.h"
#include "skin/skinmanifest.h"

namespace {

const QColor kSumColour(255, 255, 255);
const QColor kLegendText(228, 231, 235);
const QColor kLegendFaint(140, 147, 156);
const QColor kLegendBack(12, 13, 15, 215);
const QColor kStripBack(12, 13, 15); // opaque: the graph below stays hidden
const QColor kPhaseText(150, 150, 150);
constexpr int kMargin = 6;
constexpr int kGap = 4;
constexpr int kRow = 14;
constexpr int kHitPixels = 8;
constexpr int kPhaseDivisions = 6;
// The outer level lines of the background (+12 and -12 dB) carry the ends of the phase scale.
constexpr double kScaleDb = 12.0;

// A muted output keeps its curve (what it would play), faded and dotted.
QColor OutputColour(const SSystemOutput& o) {
    QColor c = CFilterGraphic::PenColour(o.nPen);
    if (o.bMuted) c.setAlpha(160);
    return c;
}

int Trunc(double f) {
    return static_cast<int>(std::clamp(std::trunc(f), -1e6, 1e6));
}

QString Tr(const char* pszText) {
    return QCoreApplication::translate("CSystemGraph", pszText);
}

// A text of the editor core in the window's language.
QString CoreTr(const std::string& text) {
    return QCoreApplication::translate("editor", text.c_str());
}

QString LegendName(const SSystemOutput& o) {
    return CoreTr(o.name) + (o.bMuted ? Tr(" (muted)") : QString());
}

} // namespace

CSystemGraph::CSystemGraph(CFilterGraphic* pGraph, const CSettingsModel* pModel,
                           std::function<void(int)> pfnSelect)
    : QWidget(pGraph), m_pGraph(pGraph), m_pModel(pModel), m_pfnSelect(std::move(pfnSelect)) {
    for (int i = 0; i < 3; ++i) {
        auto* p = new CSkinButton(this);
        p->SetDlgCtrlID(ID_SYSTEM + i);
        const int nFirst = SkinId::ButtonLook(SkinId::SYSTEM_VIEW_FIRST, i, 0);
        p->SetIcons(nFirst, "PNG", nFirst + 1, "PNG", nFirst + 2, "PNG", nFirst + 3, "PNG");
        p->resize(SkinId::SYSTEM_VIEW_W, SkinId::SYSTEM_VIEW_H);
        m_pSwitch[i] = p;
    }
    InitSkinResources();
    QFile file(SkinResourcePath(SkinId::GRAPH_BACKGROUND));
    if (file.open(QIODevice::ReadOnly)) m_Background.loadFromData(file.readAll(), "PNG");
    pGraph->installEventFilter(this);
    setMouseTracking(true);
    ApplyView();
}

CSystemGraph::~CSystemGraph() = default;

CSkinButton* CSystemGraph::Switch(int nId) const {
    return nId >= ID_SYSTEM && nId <= ID_UNWRAP ? m_pSwitch[nId - ID_SYSTEM] : nullptr;
}

void CSystemGraph::ApplyView() {
    const bool bOn = m_View.IsOn();
    Switch(ID_SYSTEM)->SetToggle(bOn);
    Switch(ID_PHASE)->SetToggle(m_View.Phase() != CSystemView::PHASE_OFF);
    Switch(ID_UNWRAP)->SetToggle(m_View.Phase() == CSystemView::PHASE_UNWRAPPED);
    Switch(ID_PHASE)->setVisible(bOn);
    Switch(ID_UNWRAP)->setVisible(bOn);
    Place();
    for (CSkinButton* p : m_pSwitch)
        p->update();
    update();
}

// Switched off, the layer is only as large as its switch, so the graph below shows and takes its
// clicks; switched on, it covers the graph.
void CSystemGraph::Place() {
    const int w = m_pGraph->width(), bw = SkinId::SYSTEM_VIEW_W;
    if (m_View.IsOn()) {
        setGeometry(0, 0, w, m_pGraph->height());
        for (int i = 0; i < 3; ++i)
            m_pSwitch[i]->move(w - kMargin - bw - i * (bw + kGap), kMargin);
    } else {
        m_pSwitch[0]->move(0, 0);
        PlaceSwitchOff();
    }
}

void CSystemGraph::PlaceSwitchOff() {
    const QRect rc = EmptiestPlace(QSize(SkinId::SYSTEM_VIEW_W, SkinId::SYSTEM_VIEW_H), m_pGraph->PlotArea(),
                                   m_pGraph->DataLines());
    if (geometry() != rc) setGeometry(rc);
}

bool CSystemGraph::event(QEvent* pEvent) {
    if (pEvent->type() == CCtrlNotifyEvent::EventType()) {
        auto* p = static_cast<CCtrlNotifyEvent*>(pEvent);
        if (p->Message() == WM_CTRL_HOVER)
            m_pGraph->ReportHelp(p->Value() ? ctl::SYSTEM_SWITCH_HELP.at(p->CtrlId() - ID_SYSTEM) : 0);
        if (p->Message() == WM_SKIN_BTN_UP) {
            if (CSkinButton* pSwitch = Switch(p->CtrlId())) pSwitch->TakeClickToggle();
            OnSwitch(p->CtrlId());
        }
        return true;
    }
    return QWidget::event(pEvent);
}

bool CSystemGraph::eventFilter(QObject* pWatched, QEvent* pEvent) {
    if (pWatched == m_pGraph && pEvent->type() == QEvent::Resize) Place();
    // The graph's curves change before it paints: the switch moves out of their way first.
    if (pWatched == m_pGraph && pEvent->type() == QEvent::Paint && !m_View.IsOn()) PlaceSwitchOff();
    return QWidget::eventFilter(pWatched, pEvent);
}

void CSystemGraph::OnSwitch(int nId) {
    if (nId == ID_SYSTEM)
        m_View.ToggleOn();
    else if (nId == ID_PHASE)
        m_View.TogglePhase();
    else if (nId == ID_UNWRAP)
        m_View.ToggleUnwrap();
    ApplyView();
}

void CSystemGraph::SetPreview(const SSystemPreview& preview) {
    if (!m_bPreview) m_bWasOn = m_View.IsOn();
    m_Preview = preview;
    m_bPreview = true;
    m_View.SetOn(true);
    ApplyView();
}

void CSystemGraph::ClearPreview() {
    if (!m_bPreview) return;
    m_bPreview = false;
    m_Preview = SSystemPreview{};
    m_View.SetOn(m_bWasOn);
    ApplyView();
}

void CSystemGraph::Follow() {
    if (!m_View.IsOn()) return;
    SSystemPicture now;
    m_View.Compute(*m_pModel, &now);
    if (now == m_Picture) return;
    m_Picture = std::move(now);
    // The graph below paints opaquely, so a repaint of the window does not reach this layer.
    update();
}

int CSystemGraph::DrawnPoints() const {
    int n = 0;
    for (double f = ZUtils::kGridFirstFreq; n < RESPONSE_POINTS && f <= 20000.0 * 1.0001;
         f *= ZUtils::kGridRatio)
        ++n;
    return n;
}

// The plot lies below the strip: the graph's level scale pressed into the height left.
int CSystemGraph::LevelY(double fDb) const {
    const double fBase = m_pGraph->BaseY();
    const int nTop = m_rcStrip.isEmpty() ? 0 : m_rcStrip.bottom() + 1;
    const double fScale = height() > 0 ? double(height() - nTop) / height() : 1.0;
    return nTop + Trunc((fBase - fBase * fDb / 13.5) * fScale);
}

int CSystemGraph::PhaseY(double fDeg) const {
    const double fSpan = m_fPhaseHigh - m_fPhaseLow;
    const double fDb = fSpan > 0 ? kScaleDb * (2.0 * (fDeg - m_fPhaseLow) / fSpan - 1.0) : 0.0;
    return LevelY(fDb);
}

// Relative to the common delay: a delay every output shares turns the phase by 360 degrees per
// period and would bury the differences that decide the sum.
void CSystemGraph::PhaseOf(const ZUtils::ZComplexCurve& curve, bool bSum, double* pDeg) const {
    const double fDelayS = m_fCommonDelayMs / 1000.0;
    double f = ZUtils::kGridFirstFreq;
    for (int i = 0; i < curve.m_nCount; ++i, f *= ZUtils::kGridRatio) {
        const double fDeg = curve.m_fPhaseDeg[i] + 360.0 * f * fDelayS;
        pDeg[i] = m_Picture.phase == CSystemView::PHASE_UNWRAPPED && !bSum ? fDeg : ZUtils::WrapDegrees(fDeg);
    }
    if (bSum && m_Picture.phase == CSystemView::PHASE_UNWRAPPED) ZUtils::UnwrapDegrees(pDeg, curve.m_nCount);
}

void CSystemGraph::paintEvent(QPaintEvent*) {
    m_Drawn.clear();
    m_PhaseLabels.clear();
    m_DrawnBefore.clear();
    if (!m_View.IsOn()) return; // only the switch, which paints itself
    m_View.Compute(*m_pModel, &m_Picture);
    // A preview: the outputs it changes and the sum as they would be after it; before it, kept to be
    // drawn dashed under them.
    m_Before.clear();
    if (m_bPreview) {
        for (SSystemOutput& o : m_Picture.outputs) {
            const auto it = std::find(m_Preview.channels.begin(), m_Preview.channels.end(), o.nChannel);
            if (it == m_Preview.channels.end()) continue;
            m_Before.push_back(o);
            const int ch = o.nChannel;
            ZUtils::CalcOutputResponse(
                m_pModel->m_Lib, m_pModel->m_bEqEnable[ch], ch, m_pModel->m_bXoverEnable[ch],
                m_Preview.after[static_cast<size_t>(it - m_Preview.channels.begin())], &o.curve);
        }
        m_Picture.bHaveSum = true;
        m_Picture.bMeasuredSum = true;
        m_Picture.sum = m_Preview.sumAfter;
        m_Picture.fSumShiftDb = m_Preview.fSumShiftDb;
        m_Picture.sumName = m_Preview.sumName;
        m_Picture.sumNote = m_Preview.bShowBefore ? "Dashed: before the alignment" : "";
    }
    m_fCommonDelayMs = 0.0;
    if (!m_Picture.outputs.empty()) {
        int nDelay = INT_MAX;
        for (const SSystemOutput& o : m_Picture.outputs)
            nDelay = std::min(nDelay, CSystemView::Trim(*m_pModel, o.nChannel).nDelaySamples);
        m_fCommonDelayMs = nDelay / 48.0;
    }
    m_rcStrip = QRect(0, 0, width(), StripHeight());
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(m_rcStrip, kStripBack);
    const QRect plot(0, m_rcStrip.bottom() + 1, width(), height() - m_rcStrip.height());
    if (!m_Background.isNull()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRectF(plot), m_Background, QRectF(m_Background.rect()));
    } else {
        p.fillRect(plot, Qt::black);
    }
    // The curves end at 20 kHz: right of it the phase scale has its labels.
    const int nPoints =
        m_Picture.outputs.empty() ? 0 : std::min(DrawnPoints(), m_Picture.outputs.front().curve.m_nCount);
    auto draw = [&](const QPolygon& line) {
        p.drawPolyline(line);
        m_Drawn.push_back(line);
    };
    auto polyline = [&](const double* pValues) {
        QPolygon line;
        for (int i = 0; i < nPoints; ++i) {
            const QPoint pt(m_pGraph->CurveX(i), LevelY(pValues[i]));
            if (line.isEmpty() || line.back() != pt) line.append(pt);
        }
        return line;
    };
    // A wrapped phase jumps by a turn: the line breaks there instead of crossing the graph.
    auto drawPhase = [&](const double* pDeg) {
        QPolygon line;
        for (int i = 0; i < nPoints; ++i) {
            if (i > 0 && std::fabs(pDeg[i] - pDeg[i - 1]) > 180.0) {
                draw(line);
                line.clear();
            }
            const QPoint pt(m_pGraph->CurveX(i), PhaseY(pDeg[i]));
            if (line.isEmpty() || line.back() != pt) line.append(pt);
        }
        draw(line);
    };

    // The phase scale: fixed for the wrapped phase; for the unwrapped one, round steps around what
    // is drawn, so that the curves fill the plot whatever the delays.
    std::vector<std::vector<double>> phases;
    if (m_Picture.phase != CSystemView::PHASE_OFF) {
        double fLow = 0, fHigh = 0;
        auto collect = [&](const ZUtils::ZComplexCurve& c, bool bSum) {
            std::vector<double>& v = phases.emplace_back(static_cast<size_t>(RESPONSE_POINTS), 0.0);
            PhaseOf(c, bSum, v.data());
            for (int i = 0; i < nPoints; ++i) {
                fLow = std::min(fLow, v[static_cast<size_t>(i)]);
                fHigh = std::max(fHigh, v[static_cast<size_t>(i)]);
            }
        };
        for (const SSystemOutput& o : m_Picture.outputs)
            collect(o.curve, false);
        if (m_Picture.bHaveSum) collect(m_Picture.sum, true);
        if (m_Picture.phase == CSystemView::PHASE_WRAPPED) {
            m_fPhaseLow = -180.0;
            m_fPhaseHigh = 180.0;
            m_fPhaseStep = 90.0;
        } else {
            // The smallest step of 90 degrees times a power of two that needs at most six divisions.
            m_fPhaseStep = 90.0;
            while (std::ceil(fHigh / m_fPhaseStep) - std::floor(fLow / m_fPhaseStep) > kPhaseDivisions)
                m_fPhaseStep *= 2;
            m_fPhaseLow = m_fPhaseStep * std::floor(fLow / m_fPhaseStep);
            m_fPhaseHigh =
                std::max(m_fPhaseStep * std::ceil(fHigh / m_fPhaseStep), m_fPhaseLow + m_fPhaseStep);
        }
        DrawPhaseScale(p);
    }

    // A preview's state before, faded and dashed under everything.
    if (m_bPreview && m_Preview.bShowBefore) {
        for (const SSystemOutput& o : m_Before) {
            QColor c = OutputColour(o);
            c.setAlpha(120);
            p.setPen(QPen(c, 1, Qt::DashLine));
            m_DrawnBefore.push_back(polyline(o.curve.m_fDb));
            p.drawPolyline(m_DrawnBefore.back());
        }
        QColor c = kSumColour;
        c.setAlpha(150);
        p.setPen(QPen(c, 2, Qt::DashLine));
        m_DrawnBefore.push_back(polyline(m_Preview.sumBefore.m_fDb));
        p.drawPolyline(m_DrawnBefore.back());
    }
    // The sum first, as a broad band the outputs stay visible in; then the unselected outputs, the
    // selected ones above them.
    if (m_Picture.bHaveSum) {
        if (!phases.empty()) {
            p.setPen(QPen(kSumColour, 2, Qt::DashLine));
            drawPhase(phases.back().data());
        }
        p.setPen(QPen(kSumColour, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        draw(polyline(m_Picture.sum.m_fDb));
    }
    for (bool bSelected : {false, true}) {
        for (size_t k = 0; k < m_Picture.outputs.size(); ++k) {
            const SSystemOutput& o = m_Picture.outputs[k];
            if (o.bSelected != bSelected) continue;
            const QColor c = OutputColour(o);
            if (!phases.empty()) {
                p.setPen(QPen(c, bSelected ? 2 : 1, Qt::DashLine));
                drawPhase(phases[k].data());
            }
            p.setPen(QPen(c, bSelected ? 3 : 1, o.bMuted ? Qt::DotLine : Qt::SolidLine, Qt::RoundCap,
                          Qt::RoundJoin));
            draw(polyline(o.curve.m_fDb));
        }
    }
    DrawLegend(p);
}

// Right of the last drawn point, where no curve runs; the caption under the switches says what the
// phase is relative to.
void CSystemGraph::DrawPhaseScale(QPainter& p) {
    QFont font = p.font();
    font.setPixelSize(10);
    p.setFont(font);
    p.setPen(kPhaseText);
    const int nLeft = m_pGraph->CurveX(DrawnPoints() - 1) + 4;
    const int nTop = m_rcStrip.bottom() + 1;
    const int nLabels = static_cast<int>(std::lround((m_fPhaseHigh - m_fPhaseLow) / m_fPhaseStep));
    for (int k = 0; k <= nLabels; ++k) {
        const double fDeg = m_fPhaseLow + m_fPhaseStep * k;
        const int y = std::clamp(PhaseY(fDeg) - 7, nTop, height() - 14);
        const QRect rc(nLeft, y, width() - nLeft - 1, 14);
        p.drawText(rc, Qt::AlignRight | Qt::AlignVCenter, QString::asprintf("%+.0f\u00b0", fDeg));
        m_PhaseLabels.push_back(rc);
    }
    const QString caption =
        m_fCommonDelayMs > 0
            ? Tr("phase, common delay of %1 ms taken out").arg(QString::number(m_fCommonDelayMs, 'f', 2))
            : Tr("phase");
    const int nCaptionW = QFontMetrics(font).horizontalAdvance(caption) + 4;
    const QRect rc(width() - kMargin - nCaptionW, kMargin + SkinId::SYSTEM_VIEW_H + 2, nCaptionW,
                   m_rcStrip.height() - SkinId::SYSTEM_VIEW_H - kMargin - 2);
    p.drawText(rc, Qt::AlignRight | Qt::AlignVCenter, caption);
    m_PhaseLabels.push_back(rc);
}

int CSystemGraph::StripHeight() const {
    return 2 + (m_Picture.sumNote.empty() ? 3 : 4) * kRow + 4 + 2;
}

// In the strip above the plot: the outputs in columns, left above right as the architecture pairs
// them, and the sum below them.
void CSystemGraph::DrawLegend(QPainter& p) {
    QFont font = p.font();
    font.setPixelSize(10);
    font.setBold(true);
    const QFontMetrics fm(font);
    int nCellW = 0;
    for (const SSystemOutput& o : m_Picture.outputs)
        nCellW = std::max(nCellW, 38 + fm.horizontalAdvance(LegendName(o)) + 8);
    const int nColumns = static_cast<int>((m_Picture.outputs.size() + 1) / 2);
    const QString sum = m_Picture.bHaveSum ? CoreTr(m_Picture.sumName) : Tr("Sum: click an output");
    const int nWidth = std::max(nColumns * nCellW, 38 + fm.horizontalAdvance(sum) + 8);
    // A note under the sum when measurements could not be used for it.
    const QString note = m_Picture.sumNote.empty() ? QString() : CoreTr(m_Picture.sumNote);
    const int nRows = note.isEmpty() ? 3 : 4;
    const int nNoteWidth =
        note.isEmpty() ? 0 : (m_bPreview && m_Preview.bShowBefore ? 40 : 8) + fm.horizontalAdvance(note) + 8;
    m_rcLegend = QRect(kMargin, 2, std::max(nWidth, nNoteWidth) + 4, nRows * kRow + 4);
    p.fillRect(m_rcLegend, kLegendBack);
    p.setPen(QColor(60, 64, 70));
    p.drawRect(m_rcLegend.adjusted(0, 0, -1, -1));
    m_LegendRows.clear();
    for (size_t k = 0; k < m_Picture.outputs.size(); ++k) {
        const SSystemOutput& o = m_Picture.outputs[k];
        const QRect cell(m_rcLegend.left() + 2 + static_cast<int>(k / 2) * nCellW,
                         m_rcLegend.top() + 2 + static_cast<int>(k % 2) * kRow, nCellW, kRow);
        m_LegendRows.push_back(cell);
        // the box of the summed group
        const QRect box(cell.left() + 4, cell.top() + 3, 8, 8);
        p.setPen(kLegendFaint);
        p.setBrush(o.bInSum ? QBrush(kSumColour) : Qt::NoBrush);
        p.drawRect(box.adjusted(0, 0, -1, -1));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(OutputColour(o), o.bSelected ? 3 : 2, o.bMuted ? Qt::DotLine : Qt::SolidLine));
        p.drawLine(cell.left() + 16, cell.top() + 7, cell.left() + 32, cell.top() + 7);
        font.setBold(o.bSelected);
        p.setFont(font);
        p.setPen(o.bSelected && !o.bMuted ? kLegendText : kLegendFaint.lighter(o.bMuted ? 100 : 130));
        p.drawText(QRect(cell.left() + 38, cell.top(), nCellW - 38, kRow), Qt::AlignLeft | Qt::AlignVCenter,
                   LegendName(o));
    }
    const int y = m_rcLegend.top() + 2 + 2 * kRow;
    p.setPen(QPen(kSumColour, 4));
    p.drawLine(m_rcLegend.left() + 18, y + 7, m_rcLegend.left() + 34, y + 7);
    font.setBold(true);
    p.setFont(font);
    p.setPen(m_Picture.bHaveSum ? kLegendText : kLegendFaint);
    p.drawText(QRect(m_rcLegend.left() + 40, y, nWidth - 38, kRow), Qt::AlignLeft | Qt::AlignVCenter, sum);
    if (!note.isEmpty()) {
        font.setBold(false);
        p.setFont(font);
        p.setPen(kLegendFaint.lighter(130));
        int nNoteLeft = m_rcLegend.left() + 8;
        if (m_bPreview && m_Preview.bShowBefore) {
            // The sample of the dashed curves before, as the sum's line above.
            QColor c = kSumColour;
            c.setAlpha(150);
            p.setPen(QPen(c, 2, Qt::DashLine));
            p.drawLine(m_rcLegend.left() + 18, y + kRow + 7, m_rcLegend.left() + 34, y + kRow + 7);
            p.setPen(kLegendFaint.lighter(130));
            nNoteLeft = m_rcLegend.left() + 40;
        }
        p.drawText(QRect(nNoteLeft, y + kRow, nNoteWidth, kRow), Qt::AlignLeft | Qt::AlignVCenter, note);
    }
}

int CSystemGraph::ChannelAt(const QPoint& pt) const {
    int nBest = -1, nBestDistance = kHitPixels + 1;
    std::vector<double> deg(static_cast<size_t>(RESPONSE_POINTS));
    for (const SSystemOutput& o : m_Picture.outputs) {
        if (m_Picture.phase != CSystemView::PHASE_OFF) PhaseOf(o.curve, false, deg.data());
        for (int i = 0; i < std::min(o.curve.m_nCount, DrawnPoints()); ++i) {
            if (std::abs(m_pGraph->CurveX(i) - pt.x()) > 2) continue;
            int nDistance = std::abs(LevelY(o.curve.m_fDb[i]) - pt.y());
            if (m_Picture.phase != CSystemView::PHASE_OFF)
                nDistance = std::min(nDistance, std::abs(PhaseY(deg[static_cast<size_t>(i)]) - pt.y()));
            if (nDistance < nBestDistance) {
                nBestDistance = nDistance;
                nBest = o.nChannel;
            }
        }
    }
    return nBest;
}

void CSystemGraph::mouseMoveEvent(QMouseEvent* pEvent) {
    if (m_View.IsOn())
        m_pGraph->ReportHelp(m_rcLegend.contains(pEvent->position().toPoint()) ? ctl::SYSTEM_LEGEND_HELP
                                                                               : ctl::SYSTEM_PLOT_HELP);
    QWidget::mouseMoveEvent(pEvent);
}

void CSystemGraph::leaveEvent(QEvent* pEvent) {
    m_pGraph->ReportHelp(0);
    QWidget::leaveEvent(pEvent);
}

void CSystemGraph::mousePressEvent(QMouseEvent* pEvent) {
    if (pEvent->button() != Qt::LeftButton || !m_View.IsOn()) return;
    const QPoint pt = pEvent->position().toPoint();
    for (size_t k = 0; k < m_LegendRows.size() && k < m_Picture.outputs.size(); ++k) {
        if (m_LegendRows[k].contains(pt)) {
            m_View.ToggleSumMember(*m_pModel, m_Picture.outputs[k].nChannel);
            update();
            return;
        }
    }
    if (m_rcLegend.contains(pt)) return;
    const int nChannel = ChannelAt(pt);
    if (nChannel >= 0 && m_pfnSelect) m_pfnSelect(nChannel);
}
