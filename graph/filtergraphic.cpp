#include "filtergraphic.h"

#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <cstring>

#include "comm/ctrlmessages.h"
#include "comm/trace.h"
#include "editor/controlids.h"
#include "graph/graphlayout.h"
#include "guilib/notify.h"
#include "skin/skinmanifest.h"

namespace {

const QColor kGridColour(48, 46, 45);
const QColor kTextColour(150, 150, 150);
const std::array<QColor, CFilterGraphic::PENS> kPenColours = {
    QColor(200, 0, 0),    QColor(255, 255, 0), QColor(255, 200, 0), QColor(255, 100, 0),
    QColor(200, 50, 255), QColor(150, 0, 255), QColor(0, 255, 255), QColor(0, 150, 255)};

// Truncates toward zero, saturating far outside the screen (the image clips what lies beyond it).
int Trunc(double f) {
    return int(std::clamp(std::trunc(f), -1e6, 1e6));
}

} // namespace

CFilterGraphic::CFilterGraphic(QWidget* pParent) : QWidget(pParent) {
    for (int i = 0; i < PENS; ++i)
        m_Pen[i] = QPen(kPenColours[i], 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    m_GridPen = QPen(kGridColour, 1, Qt::SolidLine, Qt::FlatCap);
    m_BoldPen = QPen(kGridColour, 3, Qt::SolidLine, Qt::FlatCap);
    m_Font = QFont(QStringLiteral("MS Serif"));
    m_Font.setPixelSize(12); // a 15-pixel character cell
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void CFilterGraphic::ReportHelp(int nHelpId) {
    if (nHelpId == m_nHelpId) return;
    m_nHelpId = nHelpId;
    PostCtrlNotify(this, WM_CTRL_HOVER, nHelpId, nHelpId ? 1 : 0);
}

void CFilterGraphic::mouseMoveEvent(QMouseEvent* pEvent) {
    // Under a layer laid over the graph (the system view) the layer tells.
    if (childAt(pEvent->position().toPoint())) return QWidget::mouseMoveEvent(pEvent);
    const bool bLegend = m_rcOverlayLegend.contains(pEvent->position().toPoint());
    ReportHelp(bLegend ? ctl::GRAPH_LEGEND_HELP : ctl::GRAPH_PLOT_HELP);
    QWidget::mouseMoveEvent(pEvent);
}

void CFilterGraphic::leaveEvent(QEvent* pEvent) {
    ReportHelp(0);
    QWidget::leaveEvent(pEvent);
}

CFilterGraphic::~CFilterGraphic() = default;

QColor CFilterGraphic::PenColour(int nPen) {
    return kPenColours[nPen >= 0 && nPen < PENS ? nPen : 0];
}

bool CFilterGraphic::HasBackground() const {
    return m_pBackground != nullptr;
}

int CFilterGraphic::LoadBackground(int nId, const char* pszType) {
    m_pBackground.reset();
    if (pszType && std::strcmp(pszType, "PNG") == 0) {
        InitSkinResources();
        QFile file(SkinResourcePath(nId));
        if (file.open(QIODevice::ReadOnly)) {
            auto pImage = std::make_unique<QImage>();
            if (pImage->loadFromData(file.readAll(), "PNG") && !pImage->isNull()) {
                m_pBackground = std::move(pImage);
                return 1;
            }
        }
    }
    TRACE("!!!!!!!ERROR SetIconNormal \r\n");
    return 0;
}

void CFilterGraphic::resizeEvent(QResizeEvent*) {
    EnsureSurface();
}

void CFilterGraphic::EnsureSurface() {
    // A hidden widget hears of its size only when shown; drawing may come before that.
    if (m_MemDC.size() != size()) PreSubclassWindow();
}

const QImage& CFilterGraphic::Image() {
    EnsureSurface();
    return m_MemDC;
}

void CFilterGraphic::PreSubclassWindow() {
    if (width() <= 0 || height() <= 0) {
        m_MemDC = QImage();
        return;
    }
    m_MemDC = QImage(size(), QImage::Format_RGB32);
    m_MemDC.fill(Qt::black);
    m_Drawn.clear();
    SetGeometry();
    QPainter p(&m_MemDC);
    DrawGrid(p);
}

void CFilterGraphic::SetGeometry() {
    m_rcClient = QRect(0, 0, width(), height());
    const int nRight = m_rcClient.x() + m_rcClient.width(), nBottom = m_rcClient.y() + m_rcClient.height();
    m_nLeft = m_rcClient.x() + 18;
    m_nRight = nRight - 5;
    m_fRowHeight = float((nBottom - 32) / 6);
    m_nGridX = 0;
    m_fPxPerDecade = float(nRight - 23) / (std::log10(20000.0f) - std::log10(10.0f));
}

int CFilterGraphic::LevelLineY(int k) const {
    return Trunc(static_cast<float>(k) * m_fRowHeight) + 12;
}

int CFilterGraphic::BaseY() const {
    return Trunc(m_fRowHeight * 3.0) + 12;
}

int CFilterGraphic::FrequencyX(int nFreq) const {
    return Trunc((std::log10(float(nFreq)) - std::log10(10.0f)) * m_fPxPerDecade + 18);
}

int CFilterGraphic::CurveX(int i) const {
    const double fStep = double(m_rcClient.x() + m_rcClient.width() - 23) / 255 * 0.96;
    return std::max(Trunc(i * fStep) + 18, m_rcClient.x() + 18);
}

void CFilterGraphic::DrawGrid(QPainter& p) {
    const int nBottom = m_rcClient.y() + m_rcClient.height();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(m_Font);
    const QPen oldPen = p.pen();
    p.setPen(m_GridPen);
    auto text = [&](int x, int y, const QString& sz) {
        p.save();
        p.setPen(kTextColour);
        p.drawText(QRect(x, y, 200, 20), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, sz);
        p.restore();
    };
    for (int k = 0; k < LEVEL_LINES; ++k) {
        const int y = LevelLineY(k);
        p.drawLine(m_nLeft, y, m_nRight, y);
        text(0, Trunc(static_cast<float>(k) * m_fRowHeight), QString::asprintf("%3d db", 15 - 5 * k));
    }
    int m = 1, e = 1;
    for (int i = 0; i < FREQUENCY_LINES; ++i) {
        if (m > 10) {
            m = 1;
            ++e;
        }
        int nPow = 1;
        for (int j = 0; j < e; ++j)
            nPow *= 10;
        m_nGridFreq = m * nPow;
        m_nGridX = FrequencyX(m_nGridFreq);
        if (m == 1 || i == FREQUENCY_LINES - 1) {
            p.setPen(m_BoldPen);
            p.drawLine(m_nGridX, 12, m_nGridX, nBottom - 25);
            p.setPen(m_GridPen);
            text(m_nGridX - 10, nBottom - 18,
                 m_nGridFreq < 1000 ? QString::asprintf("%d Hz", m_nGridFreq)
                                    : QString::asprintf("%d kHz", m_nGridFreq / 1000));
        } else {
            p.drawLine(m_nGridX, 12, m_nGridX, nBottom - 25);
        }
        ++m;
    }
    p.setPen(oldPen);
}

void CFilterGraphic::RedrawBackground() {
    EnsureSurface();
    if (m_MemDC.isNull()) return;
    SetGeometry();
    m_Drawn.clear();
    QPainter p(&m_MemDC);
    p.fillRect(m_rcClient, Qt::black);
    if (m_pBackground) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRectF(m_rcClient), *m_pBackground, QRectF(m_pBackground->rect()));
    } else {
        p.fillRect(m_rcClient, Qt::black);
        DrawGrid(p);
    }
}

void CFilterGraphic::DrawCurve(const double* pValues, int nCount, int nPen, int bClear) {
    EnsureSurface();
    if (m_MemDC.isNull()) return;
    if (bClear) RedrawBackground();
    if (pValues && nCount > 0) {
        const double fBase = BaseY();
        QPainter p(&m_MemDC);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(nPen >= 0 && nPen < PENS ? m_Pen[nPen] : nPen == GRID_PEN ? m_GridPen : m_Pen[0]);
        QPoint ptPrev;
        bool bHavePrev = false;
        for (int i = 0; i < nCount; ++i) {
            if (!std::isfinite(pValues[i])) {
                bHavePrev = false; // an undefined value breaks the curve
                continue;
            }
            const QPoint pt(CurveX(i), Trunc(fBase - fBase * pValues[i] / 13.5));
            if (bHavePrev && pt != ptPrev) p.drawLine(ptPrev, pt);
            if (!bHavePrev) m_Drawn.emplace_back();
            if (m_Drawn.back().isEmpty() || m_Drawn.back().back() != pt) m_Drawn.back().append(pt);
            ptPrev = pt;
            bHavePrev = true;
        }
    }
    update();
}

void CFilterGraphic::paintEvent(QPaintEvent*) {
    EnsureSurface();
    QPainter p(this);
    if (m_MemDC.isNull()) {
        p.fillRect(rect(), Qt::black);
        return;
    }
    p.drawImage(QPoint(0, 0), m_MemDC);
    m_rcOverlayLegend = QRect();
    const std::vector<SGraphOverlayCurve> curves = OverlayCurves();
    if (curves.empty()) return;
    m_rcOverlayLegend = EmptiestPlace(OverlayLegendSize(curves), PlotArea(), DataLines(), SwitchRects());
    PaintGraphOverlay(p, *this, curves, m_rcOverlayLegend);
}

std::vector<SGraphOverlayCurve> CFilterGraphic::OverlayCurves() const {
    return m_Overlay ? m_Overlay() : std::vector<SGraphOverlayCurve>{};
}

QRect CFilterGraphic::PlotArea() const {
    // The background's level labels take the left 30 pixels, its frequency labels the bottom 26.
    return QRect(30, 3, std::max(width() - 33, 1), std::max(height() - 29, 1));
}

std::vector<QPolygon> CFilterGraphic::DataLines() const {
    std::vector<QPolygon> lines = m_Drawn;
    const std::vector<QPolygon> overlay = OverlayLines(*this, OverlayCurves());
    lines.insert(lines.end(), overlay.begin(), overlay.end());
    return lines;
}

std::vector<QRect> CFilterGraphic::SwitchRects() const {
    std::vector<QRect> rects;
    for (const QObject* pChild : children())
        if (const auto* pWidget = qobject_cast<const QWidget*>(pChild); pWidget && pWidget->isVisibleTo(this))
            rects.push_back(pWidget->geometry());
    return rects;
}
