#include "systemgraph.h"

#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "filtergraphic.h"
#include "guilib/notify.h"
#include "guilib/skinbutton.h"
#include "skin/skinids.h"
#include "skin/skinmanifest.h"

namespace {

const QColor kSumColour(255, 255, 255);
const QColor kLegendText(228, 231, 235);
const QColor kLegendFaint(140, 147, 156);
const QColor kLegendBack(12, 13, 15, 215);
const QColor kPhaseText(150, 150, 150);
constexpr int kMargin = 6;
constexpr int kGap = 4;
constexpr int kRow = 14;
constexpr int kHitPixels = 8;
// The outer level lines of the background (+12 and -12 dB) carry the ends of the phase scale.
constexpr double kScaleDb = 12.0;

int Trunc(double f) {
    return static_cast<int>(std::clamp(std::trunc(f), -1e6, 1e6));
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
    ApplyView();
}

CSystemGraph::~CSystemGraph() = default;

CSkinButton* CSystemGraph::Switch(int nId) const {
    return nId >= ID_SYSTEM && nId <= ID_UNWRAP ? m_pSwitch[nId - ID_SYSTEM] : nullptr;
}

void CSystemGraph::ApplyView() {
    const bool bOn = m_View.IsOn() != 0;
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
        setGeometry(w - kMargin - bw, kMargin, bw, SkinId::SYSTEM_VIEW_H);
        m_pSwitch[0]->move(0, 0);
    }
}

bool CSystemGraph::event(QEvent* pEvent) {
    if (pEvent->type() == CCtrlNotifyEvent::EventType()) {
        auto* p = static_cast<CCtrlNotifyEvent*>(pEvent);
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

void CSystemGraph::Follow() {
    if (!m_View.IsOn()) return;
    SSystemPicture now;
    m_View.Compute(*m_pModel, &now);
    if (now == m_Picture) return;
    m_Picture = std::move(now);
    // The graph below paints opaquely, so a repaint of the window does not reach this layer.
    update();
}

int CSystemGraph::LevelY(double fDb) const {
    const double fBase = m_pGraph->BaseY();
    return Trunc(fBase - fBase * fDb / 13.5);
}

int CSystemGraph::PhaseY(double fDeg) const {
    const double fSpan = m_fPhaseHigh - m_fPhaseLow;
    const double fDb = fSpan > 0 ? kScaleDb * (2.0 * (fDeg - m_fPhaseLow) / fSpan - 1.0) : 0.0;
    return LevelY(fDb);
}

void CSystemGraph::PhaseOf(const ZUtils::ZComplexCurve& curve, bool bSum, double* pDeg) const {
    for (int i = 0; i < curve.m_nCount; ++i)
        pDeg[i] = m_Picture.nPhase == CSystemView::PHASE_UNWRAPPED && !bSum
                      ? curve.m_fPhaseDeg[i]
                      : ZUtils::WrapDegrees(curve.m_fPhaseDeg[i]);
    if (bSum && m_Picture.nPhase == CSystemView::PHASE_UNWRAPPED) ZUtils::UnwrapDegrees(pDeg, curve.m_nCount);
}

void CSystemGraph::paintEvent(QPaintEvent*) {
    if (!m_View.IsOn()) return; // only the switch, which paints itself
    m_View.Compute(*m_pModel, &m_Picture);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    if (!m_Background.isNull()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRectF(rect()), m_Background, QRectF(m_Background.rect()));
    } else {
        p.fillRect(rect(), Qt::black);
    }
    // The drawable part of the grid: the graph draws its curves on the first points only.
    const int nPoints = m_Picture.outputs.empty() ? 0 : m_Picture.outputs.front().curve.m_nCount;
    auto polyline = [&](const double* pValues, auto&& y) {
        QPolygon line;
        for (int i = 0; i < nPoints; ++i) {
            const QPoint pt(m_pGraph->CurveX(i), y(pValues[i]));
            if (line.isEmpty() || line.back() != pt) line.append(pt);
        }
        return line;
    };
    auto level = [this](double f) { return LevelY(f); };
    // A wrapped phase jumps by a turn: the line breaks there instead of crossing the graph.
    auto drawPhase = [&](const double* pDeg) {
        QPolygon line;
        for (int i = 0; i < nPoints; ++i) {
            if (i > 0 && std::fabs(pDeg[i] - pDeg[i - 1]) > 180.0) {
                p.drawPolyline(line);
                line.clear();
            }
            const QPoint pt(m_pGraph->CurveX(i), PhaseY(pDeg[i]));
            if (line.isEmpty() || line.back() != pt) line.append(pt);
        }
        p.drawPolyline(line);
    };

    // The phase scale: fixed for the wrapped phase, around what is drawn for the unwrapped one.
    std::vector<std::vector<double>> phases;
    if (m_Picture.nPhase != CSystemView::PHASE_OFF) {
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
        if (m_Picture.nPhase == CSystemView::PHASE_WRAPPED) {
            m_fPhaseLow = -180.0;
            m_fPhaseHigh = 180.0;
        } else {
            m_fPhaseLow = 180.0 * std::floor(fLow / 180.0);
            m_fPhaseHigh = std::max(m_fPhaseLow + 360.0, 180.0 * std::ceil(fHigh / 180.0));
        }
        DrawPhaseScale(p);
    }

    // The sum first, as a broad band the outputs stay visible in; then the unselected outputs, the
    // selected ones above them.
    if (m_Picture.bHaveSum) {
        if (!phases.empty()) {
            p.setPen(QPen(kSumColour, 2, Qt::DashLine));
            drawPhase(phases.back().data());
        }
        p.setPen(QPen(kSumColour, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(polyline(m_Picture.sum.m_fDb, level));
    }
    for (int bSelected : {0, 1}) {
        for (size_t k = 0; k < m_Picture.outputs.size(); ++k) {
            const SSystemOutput& o = m_Picture.outputs[k];
            if (o.bSelected != bSelected) continue;
            const QColor c = CFilterGraphic::PenColour(o.nPen);
            if (!phases.empty()) {
                p.setPen(QPen(c, bSelected ? 2 : 1, Qt::DashLine));
                drawPhase(phases[k].data());
            }
            p.setPen(QPen(c, bSelected ? 3 : 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(polyline(o.curve.m_fDb, level));
        }
    }
    DrawLegend(p);
}

void CSystemGraph::DrawPhaseScale(QPainter& p) {
    QFont font = p.font();
    font.setPixelSize(10);
    p.setFont(font);
    p.setPen(kPhaseText);
    const int x = width() - 46;
    for (int k = 0; k <= 4; ++k) {
        const double fDeg = m_fPhaseLow + (m_fPhaseHigh - m_fPhaseLow) * k / 4.0;
        const int y = PhaseY(fDeg);
        p.drawText(QRect(x, y - 7, 40, 14), Qt::AlignRight | Qt::AlignVCenter,
                   QString::asprintf("%+.0f\u00b0", fDeg));
    }
}

// A strip along the top of the graph: the outputs in columns, left above right as the architecture
// pairs them, and the sum below them; the top rows of the grid (above +8 dB) are seldom reached.
void CSystemGraph::DrawLegend(QPainter& p) {
    QFont font = p.font();
    font.setPixelSize(10);
    font.setBold(true);
    const QFontMetrics fm(font);
    int nCellW = 0;
    for (const SSystemOutput& o : m_Picture.outputs)
        nCellW = std::max(nCellW, 38 + fm.horizontalAdvance(QString::fromStdString(o.name)) + 8);
    const int nColumns = static_cast<int>((m_Picture.outputs.size() + 1) / 2);
    const QString sum =
        QString::fromStdString(m_Picture.bHaveSum ? m_Picture.sumName : "Sum: click an output");
    const int nWidth = std::max(nColumns * nCellW, 38 + fm.horizontalAdvance(sum) + 8);
    // A note under the sum when measurements could not be used for it.
    const QString note = QString::fromStdString(m_Picture.sumNote);
    const int nRows = note.isEmpty() ? 3 : 4;
    const int nNoteWidth = note.isEmpty() ? 0 : 8 + fm.horizontalAdvance(note) + 8;
    m_rcLegend = QRect(40, 4, std::max(nWidth, nNoteWidth) + 4, nRows * kRow + 4);
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
        p.setPen(QPen(CFilterGraphic::PenColour(o.nPen), o.bSelected ? 3 : 2));
        p.drawLine(cell.left() + 16, cell.top() + 7, cell.left() + 32, cell.top() + 7);
        font.setBold(o.bSelected != 0);
        p.setFont(font);
        p.setPen(o.bSelected ? kLegendText : kLegendFaint.lighter(130));
        p.drawText(QRect(cell.left() + 38, cell.top(), nCellW - 38, kRow), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(o.name));
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
        p.drawText(QRect(m_rcLegend.left() + 8, y + kRow, nNoteWidth, kRow), Qt::AlignLeft | Qt::AlignVCenter,
                   note);
    }
}

int CSystemGraph::ChannelAt(const QPoint& pt) const {
    int nBest = -1, nBestDistance = kHitPixels + 1;
    std::vector<double> deg(static_cast<size_t>(RESPONSE_POINTS));
    for (const SSystemOutput& o : m_Picture.outputs) {
        if (m_Picture.nPhase != CSystemView::PHASE_OFF) PhaseOf(o.curve, false, deg.data());
        for (int i = 0; i < o.curve.m_nCount; ++i) {
            if (std::abs(m_pGraph->CurveX(i) - pt.x()) > 2) continue;
            int nDistance = std::abs(LevelY(o.curve.m_fDb[i]) - pt.y());
            if (m_Picture.nPhase != CSystemView::PHASE_OFF)
                nDistance = std::min(nDistance, std::abs(PhaseY(deg[static_cast<size_t>(i)]) - pt.y()));
            if (nDistance < nBestDistance) {
                nBestDistance = nDistance;
                nBest = o.nChannel;
            }
        }
    }
    return nBest;
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
