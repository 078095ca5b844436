// Window frame, page backgrounds, the response graph background and the dialog art.
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <vector>

#include "../skinlayout.h"
#include "skinart.h"

using namespace SkinPalette;
namespace L = SkinLayout;

namespace SkinArt {

namespace {

constexpr int GRAPH_W = 883, GRAPH_H = 239;

QRectF RectOf(const SSkinRect& r) {
    return QRectF(r.x, r.y, r.w, r.h);
}

// The painter of a page background works in window coordinates.
void ToPage(QPainter& p) {
    p.translate(-L::PAGE.x, -L::PAGE.y);
}

// Edge shading of a surface that lies below its neighbours (pages, the tab bar).
void InsetShade(QPainter& p, const QRectF& rc, bool bLeft) {
    QLinearGradient top(rc.topLeft(), rc.topLeft() + QPointF(0, 10));
    top.setColorAt(0, QColor(0, 0, 0, 120));
    top.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(rc.left(), rc.top(), rc.width(), 10), top);
    if (bLeft) {
        QLinearGradient left(rc.topLeft(), rc.topLeft() + QPointF(8, 0));
        left.setColorAt(0, QColor(0, 0, 0, 100));
        left.setColorAt(1, QColor(0, 0, 0, 0));
        p.fillRect(QRectF(rc.left(), rc.top(), 8, rc.height()), left);
    }
}

void SectionHeader(QPainter& p, double x, double y, double w, const QString& sz) {
    Caption(p, QRectF(x, y, w, 14), sz, Qt::AlignLeft | Qt::AlignVCenter, 9.5, TEXT_DIM);
    QFontMetricsF fm(Font(9.5, true, 0.8));
    const double fText = fm.horizontalAdvance(sz) + 10;
    Groove(p, QRectF(x + fText, y + 7, w - fText, 2));
}

QImage PageBase(unsigned nSeed) {
    QImage img = NewImage(L::PAGE.w, L::PAGE.h);
    BrushedMetal(img, img.rect(), QColor(0x1c, 0x1f, 0x22), 2.2, nSeed);
    QPainter p(&img);
    InsetShade(p, QRectF(0, 0, L::PAGE.w, L::PAGE.h), true);
    return img;
}

// The recessed bezel the response graph sits in (equalizer and crossover pages).
void GraphBezel(QPainter& p) {
    const QRectF g = RectOf(L::GRAPH);
    Panel(p, g.adjusted(-6, -5, 5, 5), 7, QColor(0x2b, 0x2f, 0x34), QColor(0x1d, 0x20, 0x23));
    Well(p, g.adjusted(-2, -2, 2, 2), 3, QColor(0x0e, 0x10, 0x12));
}

void DrawStandardPage(QPainter& p) {
    // input section: kinds, then sensitivity and level switch
    Panel(p, QRectF(117, 214, 563, 206), 8);
    SectionHeader(p, 127, 228, 543, QStringLiteral("INPUT SOURCE"));
    // output section
    Panel(p, QRectF(117, 430, 563, 160), 8);
    SectionHeader(p, 127, 458, 543, QStringLiteral("OUTPUT ARCHITECTURE"));
    Text(p, QRectF(127, 540, 430, 34),
         QStringLiteral("Check the output wiring before you activate a new architecture."), Font(10, false),
         TEXT_FAINT, Qt::AlignLeft | Qt::AlignVCenter);
    Caption(p, QRectF(300, 150, 380, 20), QStringLiteral("INPUT / OUTPUT CONFIGURATION"),
            Qt::AlignRight | Qt::AlignVCenter, 10, TEXT_FAINT);
    // stage under the car
    const QRectF stage(694, 154, 308, 440);
    QRadialGradient spot(stage.center(), 260);
    spot.setColorAt(0, QColor(0x2a, 0x2f, 0x35, 200));
    spot.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(spot);
    p.drawRoundedRect(stage, 12, 12);
    CarTop(p, RectOf(L::STD_CAR), false);
}

void DrawExpertPage(QPainter& p) {
    Panel(p, QRectF(117, 180, 889, 70), 8);
    Caption(p, QRectF(127, 182, 300, 16), QStringLiteral("INPUT SOURCE"), Qt::AlignLeft | Qt::AlignVCenter,
            9.5);
    Text(p, QRectF(600, 190, 390, 50),
         QStringLiteral("MAIN: analog inputs IN 1 to IN 6 (low or high level)\nAUX: stereo auxiliary input\n"
                        "OPT: stereo numerical (optical) input"),
         Font(9.5, false), TEXT_FAINT, Qt::AlignRight | Qt::AlignVCenter);
    Caption(p, QRectF(300, 150, 380, 20), QStringLiteral("EXPERT CONFIGURATION"),
            Qt::AlignRight | Qt::AlignVCenter, 10, TEXT_FAINT);
    // routing matrix
    Panel(p, QRectF(117, 258, 563, 334), 8);
    SectionHeader(p, 127, 266, 543, QStringLiteral("ROUTING MATRIX"));
    for (int o = 0; o < 8; ++o) {
        const double cx = L::EXP_MATRIX_COL_X[size_t(o)];
        if (o % 2 == 0) { // stereo pairs share a faint column band
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 255, 255, 7));
            p.drawRoundedRect(QRectF(cx - 24, 284, 104, 190), 5, 5);
        }
        Text(p, QRectF(cx - 26, 284, 52, 14), QStringLiteral("OUT %1").arg(o + 1), Font(9, true, 0.4),
             TEXT_DIM);
    }
    Well(p, QRectF(204, 298, 416, 172), 5, QColor(0x14, 0x15, 0x17));
    Text(p, QRectF(127, 480, 540, 36),
         QStringLiteral("A lit light sends the input to the output. Two inputs on one output are summed\n"
                        "(a mono subwoofer or centre channel from a stereo pair)."),
         Font(10, false), TEXT_FAINT, Qt::AlignLeft | Qt::AlignVCenter);
    // sensitivity of the input pairs
    Panel(p, QRectF(686, 258, 320, 334), 8);
    SectionHeader(p, 696, 266, 298, QStringLiteral("INPUT SENSITIVITY"));
    const char* const rows[4] = {"IN 1-2", "IN 3-4", "IN 5-6", "AUX"};
    for (int i = 0; i < 4; ++i)
        Caption(p, QRectF(692, L::EXP_SENS_Y[size_t(i)] + 4, 40, 28), rows[i],
                Qt::AlignLeft | Qt::AlignVCenter, 9, TEXT);
    Groove(p, QRectF(696, 462, 298, 2));
}

void DrawEqualizerPage(QPainter& p) {
    GraphBezel(p);
    Panel(p, QRectF(112, 404, 892, 190), 8);
    Caption(p, QRectF(120, 412, 56, 16), QStringLiteral("FREQ"), Qt::AlignLeft | Qt::AlignVCenter, 9);
    Caption(p, QRectF(120, 478, 56, 16), QStringLiteral("GAIN"), Qt::AlignLeft | Qt::AlignVCenter, 9);
    Caption(p, QRectF(120, 568, 56, 16), QStringLiteral("Q"), Qt::AlignLeft | Qt::AlignVCenter, 9);
    for (size_t b = 0; b < 10; ++b) {
        const double xs = L::EQ_GAIN_X[b];
        if (b > 0) // band separators
            Groove(p, QRectF((xs + L::EQ_GAIN_X[b - 1] + 34 + 29) / 2.0 - 6, 414, 2, 172));
        Well(p, QRectF(L::EQ_FREQ_X[b] - 3, L::EQ_FREQ_Y - 2, L::EQ_FREQ_W + 6, L::EQ_FREQ_H + 4), 3);
        Text(p, QRectF(L::EQ_FREQ_X[b] + L::EQ_FREQ_W + 4, L::EQ_FREQ_Y - 1, 20, 16), QStringLiteral("Hz"),
             Font(9, true), TEXT_FAINT, Qt::AlignLeft | Qt::AlignVCenter);
        Well(
            p,
            QRectF(L::EQ_GAINEDIT_X[b] - 2, L::EQ_GAINEDIT_Y - 2, L::EQ_GAINEDIT_W + 4, L::EQ_GAINEDIT_H + 4),
            3);
        Text(p, QRectF(L::EQ_GAINEDIT_X[b] - 2, L::EQ_GAINEDIT_Y + 18, L::EQ_GAINEDIT_W + 4, 14),
             QStringLiteral("dB"), Font(9, true), TEXT_FAINT);
        Well(p, QRectF(L::EQ_QEDIT_X[b] - 2, L::EQ_QEDIT_Y - 2, L::EQ_GAINEDIT_W + 4, L::EQ_GAINEDIT_H + 4),
             3);
        Text(p, QRectF(L::EQ_QEDIT_X[b] - 2, L::EQ_QEDIT_Y + 18, L::EQ_GAINEDIT_W + 4, 14),
             QStringLiteral("Q"), Font(9, true), TEXT_FAINT);
        // fader scale: the thumb centre travels from y + 15 to y + 103 of the control
        p.setPen(QPen(TEXT_FAINT, 1));
        for (int k = 0; k <= 12; ++k) {
            const double y = L::EQ_GAIN_Y + 15.5 + 88.0 * k / 12;
            const double len = k % 6 == 0 ? 6 : 3;
            p.drawLine(QPointF(xs + 3 - len, y), QPointF(xs + 3, y));
        }
        Text(p, QRectF(xs - 20, L::EQ_GAIN_Y + 100, 20, 14), QString::number(b + 1), Font(9, true), TEXT_DIM,
             Qt::AlignRight | Qt::AlignVCenter);
    }
}

void DrawCrossoverPage(QPainter& p) {
    GraphBezel(p);
    Panel(p, QRectF(117, 458, 438, 134), 8);
    Panel(p, QRectF(563, 458, 438, 134), 8);
    Caption(p, QRectF(127, 416, 260, 26), QStringLiteral("FILTER TYPE"), Qt::AlignLeft | Qt::AlignVCenter,
            9.5);
    // unlit section symbols and labels; the lit ones are drawn over them when a section is on
    Text(p, RectOf(L::XO_HP_LABEL), QStringLiteral("HIGH PASS"), Font(11, true, 0.6), TEXT_FAINT);
    Glyph(p, EGlyph::HighPass, RectOf(L::XO_HP_SYMBOL).adjusted(4, 4, -4, -4), TEXT_FAINT, 2.4);
    Text(p, RectOf(L::XO_LP_LABEL), QStringLiteral("LOW PASS"), Font(11, true, 0.6), TEXT_FAINT);
    Glyph(p, EGlyph::LowPass, RectOf(L::XO_LP_SYMBOL).adjusted(4, 4, -4, -4), TEXT_FAINT, 2.4);
    Text(p, QRectF(127, 466, 120, 14), QStringLiteral("HPF"), Font(8.5, true, 0.8), TEXT_FAINT,
         Qt::AlignLeft);
    Text(p, QRectF(573, 466, 120, 14), QStringLiteral("LPF"), Font(8.5, true, 0.8), TEXT_FAINT,
         Qt::AlignLeft);
}

void DrawTimePage(QPainter& p) {
    Panel(p, QRectF(117, 170, 885, 72), 8);
    Caption(p, QRectF(130, 178, 230, 18), QStringLiteral("TIME ALIGNMENT"), Qt::AlignLeft | Qt::AlignVCenter,
            11, TEXT);
    Text(p, QRectF(130, 196, 240, 40),
         QStringLiteral("Select a channel, then step, type\nor drag its speaker on the car."),
         Font(9.5, false), TEXT_FAINT, Qt::AlignLeft | Qt::AlignTop);
    const char* const caps[3] = {"DELAY", "DISTANCE", "DISTANCE"};
    const char* const units[3] = {"ms", "cm", "in"};
    for (size_t i = 0; i < 3; ++i) {
        const double x = L::TA_FRAME_X[i];
        Text(p, QRectF(x, 179, 110, 14), caps[i], Font(8.5, true, 0.8), TEXT_DIM,
             Qt::AlignLeft | Qt::AlignVCenter);
        Well(p, QRectF(x + 3, L::TA_FRAME_Y + 5, 41, 24), 3);
        Well(p, QRectF(x + 44, L::TA_FRAME_Y + 1, 22, 33), 3, QColor(0x14, 0x15, 0x17));
        Text(p, QRectF(x + 68, L::TA_FRAME_Y, 38, 36), units[i], Font(12, true), TEXT_DIM);
    }
    Caption(p, QRectF(L::TA_PHASE.x - 52, L::TA_PHASE.y, 48, 35), QStringLiteral("PHASE"),
            Qt::AlignRight | Qt::AlignVCenter, 9);
    // the stage the car and the speaker icons sit on
    const QRectF stage(117, 250, 885, 342);
    Panel(p, stage, 8, QColor(0x22, 0x25, 0x29), QColor(0x19, 0x1b, 0x1e));
    p.save();
    p.setClipRect(stage.adjusted(2, 2, -2, -2));
    p.setPen(QPen(QColor(255, 255, 255, 8), 1));
    for (double x = stage.left() + 20; x < stage.right(); x += 24)
        p.drawLine(QPointF(x, stage.top()), QPointF(x, stage.bottom()));
    for (double y = stage.top() + 14; y < stage.bottom(); y += 24)
        p.drawLine(QPointF(stage.left(), y), QPointF(stage.right(), y));
    QRadialGradient spot(QPointF(656, 420), 330);
    spot.setColorAt(0, QColor(0x2e, 0x34, 0x3b, 150));
    spot.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(spot);
    p.drawRect(stage);
    p.restore();
}

QImage DrawPage(int nPage) {
    QImage img = PageBase(unsigned(203 + nPage));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    ToPage(p);
    switch (nPage) {
    case 0:
        DrawStandardPage(p);
        break;
    case 1:
        DrawExpertPage(p);
        break;
    case 2:
        DrawEqualizerPage(p);
        break;
    case 3:
        DrawCrossoverPage(p);
        break;
    default:
        DrawTimePage(p);
        break;
    }
    return img;
}

QImage DrawWindowBackground(const SSkinImage& img) {
    QImage out = NewImage(img.nWidth, img.nHeight);
    BrushedMetal(out, out.rect(), BASE, 2.0, 200);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    // the view stretches this image over the window: draw in window coordinates
    p.scale(double(img.nWidth) / L::WINDOW_W, double(img.nHeight) / L::WINDOW_H);
    // bottom bar
    const QRectF bar(0, 599, L::WINDOW_W, 107);
    QLinearGradient g(bar.topLeft(), bar.bottomLeft());
    g.setColorAt(0, QColor(0x26, 0x29, 0x2e));
    g.setColorAt(0.08, QColor(0x1e, 0x21, 0x25));
    g.setColorAt(1, QColor(0x14, 0x16, 0x18));
    p.fillRect(bar, g);
    p.fillRect(QRectF(0, 599, L::WINDOW_W, 1), QColor(255, 255, 255, 26));
    p.fillRect(QRectF(0, 598, L::WINDOW_W, 1), QColor(0, 0, 0, 160));
    Well(p, QRectF(L::HELP_TEXT.x - 6, L::HELP_TEXT.y - 1, L::HELP_TEXT.w + 10, L::HELP_TEXT.h + 2), 6,
         QColor(0x12, 0x13, 0x15));
    Text(p, QRectF(870, 606, 138, 18), QStringLiteral("ORVIX"), Font(13, true, 3.0), TEXT_DIM,
         Qt::AlignRight | Qt::AlignVCenter);
    Text(p, QRectF(850, 624, 158, 14), QStringLiteral("MLB-8 DSP MANAGER"), Font(8.5, true, 1.0), TEXT_FAINT,
         Qt::AlignRight | Qt::AlignVCenter);
    // right margin beside the pages
    p.fillRect(QRectF(1008, 147, 10, 452), QColor(0, 0, 0, 60));
    return out;
}

QImage DrawTopBar(const SSkinImage& img) {
    QImage out = NewImage(img.nWidth, img.nHeight);
    BrushedMetal(out, out.rect(), QColor(0x24, 0x27, 0x2b), 2.6, 202);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sheen(0, 0, 0, img.nHeight);
    sheen.setColorAt(0, QColor(255, 255, 255, 16));
    sheen.setColorAt(0.5, QColor(255, 255, 255, 0));
    sheen.setColorAt(1, QColor(0, 0, 0, 70));
    p.fillRect(out.rect(), sheen);
    p.fillRect(QRectF(0, img.nHeight - 1, img.nWidth, 1), QColor(0, 0, 0, 200));
    // level groups
    Text(p, QRectF(14, 5, 120, 18), QStringLiteral("MLB-8"), Font(14, true, 1.5), TEXT,
         Qt::AlignLeft | Qt::AlignVCenter);
    Text(p, QRectF(72, 7, 120, 16), QStringLiteral("DSP MANAGER"), Font(8.5, true, 1.2), ACCENT,
         Qt::AlignLeft | Qt::AlignVCenter);
    Caption(p, QRectF(16, 37, 92, 14), QStringLiteral("MAIN LEVEL"), Qt::AlignLeft | Qt::AlignVCenter, 9);
    Caption(p, QRectF(240, 37, 92, 14), QStringLiteral("CHANNEL LEVEL"), Qt::AlignLeft | Qt::AlignVCenter, 9);
    Text(p, QRectF(16, 96, 90, 28), QStringLiteral("all outputs"), Font(9, false), TEXT_FAINT,
         Qt::AlignLeft | Qt::AlignTop);
    Caption(p, QRectF(206, 96, 50, 35), QStringLiteral("PHASE"), Qt::AlignRight | Qt::AlignVCenter, 8.5);
    for (const SSkinRect& k : {L::MAIN_KNOB, L::CHANNEL_KNOB}) {
        const QPointF c(k.x + 50.5, k.y + 50.0);
        // a dished seat under the knob
        QRadialGradient seat(c, 48);
        seat.setColorAt(0.6, QColor(0, 0, 0, 110));
        seat.setColorAt(1, QColor(0, 0, 0, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(seat);
        p.drawEllipse(c, 48, 48);
        Text(p, QRectF(c.x() - 44, c.y() + 34, 30, 12), QStringLiteral("-64"), Font(8, true), TEXT_FAINT);
        Text(p, QRectF(c.x() + 14, c.y() + 34, 30, 12), QStringLiteral("0 dB"), Font(8, true), TEXT_FAINT);
    }
    Groove(p, QRectF(227, 10, 2, 126));
    Groove(p, QRectF(452, 10, 2, 126));
    // output selector
    Panel(p, QRectF(466, 4, 538, 138), 8, QColor(0x2a, 0x2e, 0x33), QColor(0x1d, 0x20, 0x23));
    Caption(p, QRectF(476, 6, 200, 15), QStringLiteral("OUTPUTS"), Qt::AlignLeft | Qt::AlignVCenter, 8.5);
    const struct {
        int y, h;
        const char* sz;
    } rows[] = {{23, 26, "OUT"},  {50, 15, "SOLO"},  {65, 15, "MUTE"},
                {84, 26, "PAIR"}, {110, 15, "SOLO"}, {124, 15, "MUTE"}};
    for (const auto& r : rows)
        Text(p, QRectF(472, r.y, 54, r.h), r.sz, Font(8, true, 0.8), TEXT_FAINT,
             Qt::AlignLeft | Qt::AlignVCenter);
    for (size_t i = 0; i < 4; ++i) { // brackets joining each pair to its two channels
        const double x0 = L::CHANNEL_X[2 * i] + 22, x1 = L::CHANNEL_X[2 * i + 1] + 22;
        p.setPen(QPen(QColor(0x4a, 0x51, 0x59), 1));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(x0, 81.5), QPointF(x1, 81.5));
        p.drawLine(QPointF(x0, 79.5), QPointF(x0, 81.5));
        p.drawLine(QPointF(x1, 79.5), QPointF(x1, 81.5));
    }
    return out;
}

QImage DrawTabBar(const SSkinImage& img) {
    QImage out = NewImage(img.nWidth, img.nHeight);
    BrushedMetal(out, out.rect(), QColor(0x1a, 0x1c, 0x1f), 2.0, 201);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    InsetShade(p, QRectF(0, 0, img.nWidth, img.nHeight), false);
    p.fillRect(QRectF(img.nWidth - 2, 0, 1, img.nHeight), QColor(0, 0, 0, 180));
    p.fillRect(QRectF(img.nWidth - 1, 0, 1, img.nHeight), QColor(255, 255, 255, 16));
    p.translate(-L::TAB_BAR.x, -L::TAB_BAR.y);
    for (const SSkinRect& t : L::TABS)
        Well(p, RectOf(t).adjusted(-3, -3, 3, 3), 10, QColor(0x12, 0x13, 0x15));
    Well(p, RectOf(L::EQ_SWITCH).adjusted(-3, -3, 3, 3), 7, QColor(0x12, 0x13, 0x15));
    return out;
}

QImage DrawBlankPanel(const SSkinImage& img) {
    // the page background under the sensitivity controls, with a note for the numerical input
    const QImage page = DrawPage(0);
    QImage out = page.copy(L::STD_BLANK.x - L::PAGE.x, L::STD_BLANK.y - L::PAGE.y, img.nWidth, img.nHeight);
    QPainter p(&out);
    Text(p, QRectF(0, 0, img.nWidth, img.nHeight),
         QStringLiteral("NUMERICAL INPUT  ·  LEVEL SET BY THE SOURCE"), Font(10, true, 0.8), TEXT_FAINT);
    return out;
}

QImage DrawGraphBackground() {
    QImage out = NewImage(GRAPH_W, GRAPH_H);
    QPainter p(&out);
    QLinearGradient g(0, 0, 0, GRAPH_H);
    g.setColorAt(0, QColor(0x11, 0x13, 0x16));
    g.setColorAt(1, QColor(0x0b, 0x0c, 0x0e));
    p.fillRect(out.rect(), g);
    // beyond 20 kHz the band is out of the audio range: a darker shade
    const int x20k = int(std::lround(GraphX(20000.0)));
    p.fillRect(QRect(x20k + 1, 0, GRAPH_W - x20k - 1, GRAPH_H), QColor(0, 0, 0, 70));
    // level lines every 3 dB, on the rows the curves use
    for (int db = -12; db <= 12; db += 3) {
        const QColor c = db == 0       ? QColor(0x6a, 0x72, 0x7c)
                         : db % 6 == 0 ? QColor(0x33, 0x39, 0x40)
                                       : QColor(0x25, 0x2a, 0x30);
        p.fillRect(QRect(18, GraphY(db), GRAPH_W - 18, 1), c);
    }
    // frequency lines 20 Hz .. 20 kHz; decades brighter
    for (int e = 1; e <= 4; ++e)
        for (int m = 1; m <= 9; ++m) {
            const double f = m * std::pow(10.0, e);
            if (f < 20 || f > 20000) continue;
            const bool bMajor = m == 1 || f == 20000;
            const int x = int(std::lround(GraphX(f)));
            p.fillRect(QRect(x, 0, 1, GRAPH_H - 11),
                       bMajor ? QColor(0x3c, 0x43, 0x4b) : QColor(0x22, 0x27, 0x2c));
        }
    // labels: levels in the left margin, frequencies along the bottom
    const QFont small = Font(8, true);
    for (int db = -12; db <= 12; db += 6)
        Text(p, QRectF(0, GraphY(db) - 6, 16, 12),
             db > 0 ? QStringLiteral("+%1").arg(db) : QString::number(db), small,
             db == 0 ? TEXT_DIM : TEXT_FAINT, Qt::AlignRight | Qt::AlignVCenter);
    const struct {
        double f;
        const char* sz;
    } marks[] = {{20, "20"},   {50, "50"},   {100, "100"}, {200, "200"},   {500, "500"},
                 {1000, "1k"}, {2000, "2k"}, {5000, "5k"}, {10000, "10k"}, {20000, "20k"}};
    for (const auto& m : marks)
        Text(p, QRectF(GraphX(m.f) - 15, GRAPH_H - 11, 30, 11), m.sz, small, TEXT_FAINT);
    Text(p, QRectF(GRAPH_W - 34, GRAPH_H - 11, 30, 11), QStringLiteral("Hz"), small, TEXT_FAINT,
         Qt::AlignRight);
    Text(p, QRectF(0, GRAPH_H - 11, 16, 11), QStringLiteral("dB"), small, TEXT_FAINT, Qt::AlignRight);
    return out;
}

} // namespace

double GraphX(double fHz) {
    // grid point i of the response lies at trunc(i * step) + 18; the grid is built by repeated
    // multiplication from 10 Hz, and a frequency between two points sits between their columns
    static const std::vector<double> grid = [] {
        std::vector<double> v;
        for (double f = 10.0; f < 200000.0; f *= 1.03039907)
            v.push_back(f);
        return v;
    }();
    const double fStep = (GRAPH_W - 23) / 255.0 * 0.96;
    auto column = [fStep](size_t i) { return std::trunc(double(i) * fStep) + 18.0; };
    if (fHz <= grid.front()) return column(0);
    for (size_t i = 0; i + 1 < grid.size(); ++i)
        if (fHz < grid[i + 1]) {
            const double t = std::log(fHz / grid[i]) / std::log(grid[i + 1] / grid[i]);
            return column(i) + t * (column(i + 1) - column(i));
        }
    return column(grid.size() - 1);
}

int GraphY(double fDb) {
    const double fBase = std::trunc(double((GRAPH_H - 32) / 6) * 3.0) + 12.0; // the 0 dB row
    return int(std::trunc(fBase - fBase * fDb / 13.5));
}

QImage DrawFrameOrPage(const SSkinImage& img) {
    switch (img.eArt) {
    case ESkinArt::WindowBackground:
        return DrawWindowBackground(img);
    case ESkinArt::TopBar:
        return DrawTopBar(img);
    case ESkinArt::TabBar:
        return DrawTabBar(img);
    case ESkinArt::Page:
        return DrawPage(img.nIndex);
    case ESkinArt::BlankPanel:
        return DrawBlankPanel(img);
    case ESkinArt::Graph:
        return DrawGraphBackground();
    default:
        return {};
    }
}

// ---- dialogs --------------------------------------------------------------------------------------

namespace {

void LogoMark(QPainter& p, const QPointF& c, double r) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x3a, 0x3f, 0x46), r * 0.16, Qt::SolidLine, Qt::RoundCap));
    p.drawEllipse(c, r, r);
    ArcScale(p, c, r, 0.72, r * 0.16, 0);
    KnobBody(p, c, r * 0.62, 60, true);
    p.restore();
}

QImage DrawDialogBackground(const SSkinImage& img) {
    QImage out = NewImage(img.nWidth, img.nHeight);
    BrushedMetal(out, out.rect(), QColor(0x1d, 0x20, 0x23), 2.2, 950);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, img.nHeight);
    g.setColorAt(0, QColor(255, 255, 255, 14));
    g.setColorAt(0.4, QColor(255, 255, 255, 0));
    p.fillRect(out.rect(), g);
    p.setPen(QPen(QColor(0, 0, 0, 200), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, img.nWidth - 1, img.nHeight - 1));
    p.setPen(QPen(QColor(255, 255, 255, 22), 1));
    p.drawRect(QRectF(1.5, 1.5, img.nWidth - 3, img.nHeight - 3));
    p.fillRect(QRectF(2, 2, img.nWidth - 4, 2), ACCENT);
    return out;
}

QImage DrawAboutContent(const SSkinImage& img) {
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF rc(0, 0, img.nWidth, img.nHeight);
    Panel(p, rc.adjusted(0, 0, 0, -2), 8, QColor(0x2a, 0x2e, 0x33), QColor(0x1b, 0x1e, 0x21));
    LogoMark(p, QPointF(86, 90), 46);
    Text(p, QRectF(160, 30, 400, 34), QStringLiteral("ORVIX"), Font(30, true, 6), TEXT,
         Qt::AlignLeft | Qt::AlignVCenter);
    Text(p, QRectF(162, 66, 400, 22), QStringLiteral("MLB-8 DSP MANAGER"), Font(14, true, 1.6), ACCENT,
         Qt::AlignLeft | Qt::AlignVCenter);
    Groove(p, QRectF(162, 96, 390, 2));
    // The description, the web link's heading and the hint are drawn by the About box in the
    // window's language; the web link button sits at (38, 185) of this image.
    return out;
}

QImage DrawDialogButton(const SSkinImage& img) {
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    const bool bPressed = img.nLook == 1, bOk = img.nIndex == 1;
    Key(p, QRectF(0, 0, img.nWidth, img.nHeight), 6, bPressed, bOk);
    const double dy = bPressed ? 0.6 : 0;
    Text(p, QRectF(0, dy, img.nWidth, img.nHeight - 3), QString::fromStdString(img.szText),
         Font(11, true, 0.8), bOk ? ACCENT.lighter(115) : TEXT);
    return out;
}

QImage DrawMessage(const SSkinImage& img) {
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    const bool bQuit = img.nIndex == 1;
    Panel(p, QRectF(0, 0, img.nWidth, img.nHeight - 2), 8, QColor(0x2a, 0x2e, 0x33),
          QColor(0x1b, 0x1e, 0x21));
    const QColor c = bQuit ? WARN : ACCENT;
    Glow(p, QPointF(52, 54), 34, c, 50);
    if (bQuit)
        Glyph(p, EGlyph::Warning, QRectF(28, 30, 48, 44), c, 3.0);
    else
        Glyph(p, EGlyph::Question, QRectF(30, 32, 44, 44), c, 3.0);
    QString main =
        bQuit ? QStringLiteral("设置尚未保存，确定要退出吗？") : QStringLiteral("是否保存当前设置？");
    QString sub = bQuit ? QStringLiteral("退出后，未保存的更改将会丢失。")
                        : QStringLiteral("确定后，新的设置将写入 DSP。");
    if (img.nLook == 1) {
        main = bQuit ? QStringLiteral("The settings are not saved. Quit?")
                     : QStringLiteral("Save the current settings?");
        sub = bQuit ? QStringLiteral("Changes that were not saved will be lost.")
                    : QStringLiteral("OK writes the new settings to the DSP.");
    }
    Text(p, QRectF(100, 24, 460, 32), main, Font(20, true), TEXT, Qt::AlignLeft | Qt::AlignVCenter);
    Text(p, QRectF(100, 60, 460, 24), sub, Font(13, false), TEXT_DIM, Qt::AlignLeft | Qt::AlignVCenter);
    return out;
}

QImage DrawWebLink(const SSkinImage& img) {
    QImage out = NewImage(img.nWidth, img.nHeight);
    QPainter p(&out);
    QFont f = Font(11, true);
    f.setUnderline(true);
    Text(p, QRectF(0, 0, img.nWidth, img.nHeight), QString::fromStdString(img.szText), f, ACCENT,
         Qt::AlignLeft | Qt::AlignVCenter);
    return out;
}

} // namespace

QImage DrawDialog(const SSkinImage& img) {
    switch (img.eArt) {
    case ESkinArt::DialogBackground:
        return DrawDialogBackground(img);
    case ESkinArt::AboutContent:
        return DrawAboutContent(img);
    case ESkinArt::DialogButton:
        return DrawDialogButton(img);
    case ESkinArt::Message:
        return DrawMessage(img);
    case ESkinArt::WebLink:
        return DrawWebLink(img);
    default:
        return {};
    }
}

} // namespace SkinArt
