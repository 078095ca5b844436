#include "systemgraph.h"

#include <QCoreApplication>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
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
// The legend's width inside its border on a graph too narrow for anything: a name's first letters.
constexpr int kMinLegendWidth = 80;
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

bool Opens(QChar c) {
    return c == '(' || c == QChar(0xFF08);
}

bool Closes(QChar c) {
    return c == ')' || c == QChar(0xFF09);
}

// The pieces a legend's text may be broken into: after a member of a sum or an item of a list (" + ",
// ", ", "; ", ": " and the Chinese marks), and before the parenthesis that ends it; never inside a
// parenthesis. Joined, they are the text.
QStringList Pieces(const QString& text) {
    int nFinal = -1;
    if (!text.isEmpty() && Closes(text.back())) {
        int nDepth = 0;
        for (int i = static_cast<int>(text.size()) - 1; i >= 0 && nFinal < 0; --i) {
            if (Closes(text[i]))
                ++nDepth;
            else if (Opens(text[i]) && --nDepth == 0)
                nFinal = i > 0 && text[i - 1] == ' ' ? i - 1 : i;
        }
    }
    QStringList pieces;
    int nStart = 0, nDepth = 0;
    auto cut = [&](int nEnd) {
        if (nEnd <= nStart) return;
        pieces << text.mid(nStart, nEnd - nStart);
        nStart = nEnd;
    };
    for (int i = 0; i < static_cast<int>(text.size()); ++i) {
        if (i == nFinal) cut(i);
        const QChar c = text[i];
        if (Opens(c))
            ++nDepth;
        else if (Closes(c))
            nDepth = std::max(0, nDepth - 1);
        else if (nDepth > 0)
            continue;
        else if (QStringLiteral("+,;:").contains(c) && i + 1 < text.size() && text[i + 1] == ' ')
            cut(i + 2);
        else if (QStringLiteral("\u3001\uFF0C\uFF1B\uFF1A").contains(c))
            cut(i + 1);
    }
    cut(static_cast<int>(text.size()));
    return pieces;
}

// The text in rows of at most nWidth pixels, as many pieces in each as fit; a row may still be wider
// when a piece alone is.
QStringList Wrapped(const QString& text, const QFontMetrics& fm, int nWidth) {
    QStringList lines;
    QString line;
    for (const QString& piece : Pieces(text)) {
        if (!line.isEmpty() && fm.horizontalAdvance((line + piece).trimmed()) <= nWidth) {
            line += piece;
            continue;
        }
        if (!line.isEmpty()) lines << line.trimmed();
        qsizetype n = 0;
        while (n < piece.size() && piece[n] == ' ')
            ++n;
        line = piece.mid(n);
    }
    if (!line.trimmed().isEmpty() || lines.isEmpty()) lines << line.trimmed();
    return lines;
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
    // A legend with an elided piece shows its whole texts over it.
    if (pEvent->type() == QEvent::ToolTip) {
        const auto* pHelp = static_cast<QHelpEvent*>(pEvent);
        if (m_View.IsOn() && !m_LegendTip.isEmpty() && m_rcLegend.contains(pHelp->pos()))
            QToolTip::showText(pHelp->globalPos(), m_LegendTip, this, m_rcLegend);
        else
            QToolTip::hideText();
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
    LayOutLegend();
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
    const QString caption = PhaseCaption();
    const int nCaptionW = QFontMetrics(font).horizontalAdvance(caption) + 4;
    // Under the switches, where it was before a long legend made the strip taller.
    const int nHeight = std::min(m_rcStrip.height(), 2 + (m_Picture.sumNote.empty() ? 3 : 4) * kRow + 4 + 2);
    const QRect rc(width() - kMargin - nCaptionW, kMargin + SkinId::SYSTEM_VIEW_H + 2, nCaptionW,
                   nHeight - SkinId::SYSTEM_VIEW_H - kMargin - 2);
    p.drawText(rc, Qt::AlignRight | Qt::AlignVCenter, caption);
    m_PhaseLabels.push_back(rc);
}

// The legend's rows and a margin above and below; never lower than the switches and the caption
// under them need.
int CSystemGraph::StripHeight() const {
    return 2 + std::max(m_nLegendRows, 3) * kRow + 4 + 2;
}

QString CSystemGraph::PhaseCaption() const {
    return m_fCommonDelayMs > 0
               ? Tr("phase, common delay of %1 ms taken out").arg(QString::number(m_fCommonDelayMs, 'f', 2))
               : Tr("phase");
}

// In the strip above the plot, left of the switches (and of the phase's caption under them): the
// outputs in columns, left above right as the architecture pairs them, and the sum's name and the note
// below them. Where the room is short, the columns go on in a further pair of rows, and the sum's name
// and the note go on in further rows, broken between members or items and before the parenthesis that
// ends them; only a piece that is wider than the room alone is elided, the whole texts then being the
// legend's tooltip.
void CSystemGraph::LayOutLegend() {
    QFont font = this->font();
    font.setPixelSize(10);
    font.setBold(true);
    // Widths are those of the bold font, which the widest text (a selected name, the sum) is drawn in.
    const QFontMetrics fm(font);
    int nRight = width();
    for (const CSkinButton* pSwitch : m_pSwitch)
        if (!pSwitch->isHidden()) nRight = std::min(nRight, pSwitch->x());
    if (m_Picture.phase != CSystemView::PHASE_OFF) {
        QFont small = this->font();
        small.setPixelSize(10);
        nRight =
            std::min(nRight, width() - kMargin - QFontMetrics(small).horizontalAdvance(PhaseCaption()) - 4);
    }
    // The box's width inside its border, at least kMinLegendWidth on a graph too narrow for it.
    const int nRoom = std::max(kMinLegendWidth, nRight - kGap - kMargin - 4);
    bool bElided = false;
    auto elided = [&](const QString& text, int nWidth) {
        if (fm.horizontalAdvance(text) <= nWidth) return text;
        bElided = true;
        return fm.elidedText(text, Qt::ElideRight, nWidth);
    };

    const int nOutputs = static_cast<int>(m_Picture.outputs.size());
    int nCellW = 0;
    for (const SSystemOutput& o : m_Picture.outputs)
        nCellW = std::max(nCellW, 38 + fm.horizontalAdvance(LegendName(o)) + 8);
    nCellW = std::min(nCellW, nRoom);
    const int nColumns = (nOutputs + 1) / 2;
    const int nPerBand = nCellW > 0 ? std::clamp(nRoom / nCellW, 1, std::max(nColumns, 1)) : 1;
    const int nBands = std::max(1, (nColumns + nPerBand - 1) / nPerBand);

    const QString sum = m_Picture.bHaveSum ? CoreTr(m_Picture.sumName) : Tr("Sum: click an output");
    // A note under the sum when measurements could not be used for it, or a preview's key.
    const QString note = m_Picture.sumNote.empty() ? QString() : CoreTr(m_Picture.sumNote);
    const int nNoteIndent = m_bPreview && m_Preview.bShowBefore ? 40 : 8;
    QStringList sumLines = Wrapped(sum, fm, nRoom - 38 - 8);
    QStringList noteLines = note.isEmpty() ? QStringList() : Wrapped(note, fm, nRoom - nNoteIndent - 8);
    // On a graph too small for so many rows (the plot would keep less than two fifths of it), the sum's
    // name and the note keep a row each, elided.
    if ((2 * nBands + sumLines.size() + noteLines.size()) * kRow + 8 > height() * 3 / 5) {
        sumLines = QStringList{sum};
        noteLines = note.isEmpty() ? QStringList() : QStringList{note};
    }

    int nWidth = std::min(nColumns, nPerBand) * nCellW;
    for (const QString& line : sumLines)
        nWidth = std::max(nWidth, 38 + fm.horizontalAdvance(elided(line, nRoom - 38 - 8)) + 8);
    for (const QString& line : noteLines)
        nWidth =
            std::max(nWidth, nNoteIndent + fm.horizontalAdvance(elided(line, nRoom - nNoteIndent - 8)) + 8);
    m_nSumLines = static_cast<int>(sumLines.size());
    m_nLegendRows = 2 * nBands + m_nSumLines + static_cast<int>(noteLines.size());
    m_rcLegend = QRect(kMargin, 2, nWidth + 4, m_nLegendRows * kRow + 4);

    m_LegendRows.clear();
    m_LegendTexts.clear();
    for (int k = 0; k < nOutputs; ++k) {
        const SSystemOutput& o = m_Picture.outputs[static_cast<size_t>(k)];
        const int nColumn = k / 2;
        const QRect cell(m_rcLegend.left() + 2 + nColumn % nPerBand * nCellW,
                         m_rcLegend.top() + 2 + (nColumn / nPerBand * 2 + k % 2) * kRow, nCellW, kRow);
        m_LegendRows.push_back(cell);
        QFont name = font;
        name.setBold(o.bSelected);
        m_LegendTexts.push_back({QRect(cell.left() + 38, cell.top(), nCellW - 38, kRow),
                                 elided(LegendName(o), nCellW - 38 - 8), name});
    }
    int y = m_rcLegend.top() + 2 + 2 * nBands * kRow;
    for (const QString& line : sumLines) {
        m_LegendTexts.push_back(
            {QRect(m_rcLegend.left() + 40, y, nWidth - 38, kRow), elided(line, nRoom - 38 - 8), font});
        y += kRow;
    }
    QFont plain = font;
    plain.setBold(false);
    for (const QString& line : noteLines) {
        m_LegendTexts.push_back({QRect(m_rcLegend.left() + nNoteIndent, y, nWidth + 2 - nNoteIndent, kRow),
                                 elided(line, nRoom - nNoteIndent - 8), plain});
        y += kRow;
    }
    m_LegendTip.clear();
    if (bElided) {
        QStringList whole;
        for (const SSystemOutput& o : m_Picture.outputs)
            whole << LegendName(o);
        whole << sum;
        if (!note.isEmpty()) whole << note;
        m_LegendTip = whole.join('\n');
    }
}

void CSystemGraph::DrawLegend(QPainter& p) {
    p.fillRect(m_rcLegend, kLegendBack);
    p.setPen(QColor(60, 64, 70));
    p.drawRect(m_rcLegend.adjusted(0, 0, -1, -1));
    const size_t nOutputs = std::min(m_Picture.outputs.size(), m_LegendRows.size());
    for (size_t k = 0; k < nOutputs; ++k) {
        const SSystemOutput& o = m_Picture.outputs[k];
        const QRect& cell = m_LegendRows[k];
        // the box of the summed group
        const QRect box(cell.left() + 4, cell.top() + 3, 8, 8);
        p.setPen(kLegendFaint);
        p.setBrush(o.bInSum ? QBrush(kSumColour) : Qt::NoBrush);
        p.drawRect(box.adjusted(0, 0, -1, -1));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(OutputColour(o), o.bSelected ? 3 : 2, o.bMuted ? Qt::DotLine : Qt::SolidLine));
        p.drawLine(cell.left() + 16, cell.top() + 7, cell.left() + 32, cell.top() + 7);
        p.setFont(m_LegendTexts[k].font);
        p.setPen(o.bSelected && !o.bMuted ? kLegendText : kLegendFaint.lighter(o.bMuted ? 100 : 130));
        p.drawText(m_LegendTexts[k].rc, Qt::AlignLeft | Qt::AlignVCenter, m_LegendTexts[k].text);
    }
    // The sum's sample before its first row, the preview's dashed one before the note's.
    for (size_t k = nOutputs; k < m_LegendTexts.size(); ++k) {
        const SLegendText& t = m_LegendTexts[k];
        const bool bSum = k < nOutputs + static_cast<size_t>(m_nSumLines);
        const int x = m_rcLegend.left(), y = t.rc.top();
        if (k == nOutputs) {
            p.setPen(QPen(kSumColour, 4));
            p.drawLine(x + 18, y + 7, x + 34, y + 7);
        } else if (k == nOutputs + static_cast<size_t>(m_nSumLines) && m_bPreview && m_Preview.bShowBefore) {
            QColor c = kSumColour;
            c.setAlpha(150);
            p.setPen(QPen(c, 2, Qt::DashLine));
            p.drawLine(x + 18, y + 7, x + 34, y + 7);
        }
        p.setFont(t.font);
        p.setPen(!bSum ? kLegendFaint.lighter(130) : m_Picture.bHaveSum ? kLegendText : kLegendFaint);
        p.drawText(t.rc, Qt::AlignLeft | Qt::AlignVCenter, t.text);
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
