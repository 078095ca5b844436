// mlb8-skingen OUTDIR [PREVIEWDIR]
//
// Draws every image of the skin manifest into OUTDIR/<ID>.png and writes OUTDIR/skin.qrc listing
// them under the prefix /skin. With PREVIEWDIR it also writes a contact sheet of all images and a
// full-size mock of the window for each page, for judging the look.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainterPath>
#include <QTextStream>
#include <cmath>
#include <cstdio>
#include <map>

#include "../skinlayout.h"
#include "skinart.h"

using namespace SkinPalette;
namespace L = SkinLayout;

namespace {

QImage Render(const SSkinImage& img) {
    switch (img.eArt) {
    case ESkinArt::WindowBackground:
    case ESkinArt::TopBar:
    case ESkinArt::TabBar:
    case ESkinArt::Page:
    case ESkinArt::BlankPanel:
    case ESkinArt::Graph:
        return SkinArt::DrawFrameOrPage(img);
    case ESkinArt::DialogBackground:
    case ESkinArt::AboutContent:
    case ESkinArt::DialogButton:
    case ESkinArt::Message:
    case ESkinArt::WebLink:
        return SkinArt::DrawDialog(img);
    default:
        return SkinArt::DrawControl(img);
    }
}

// ---- previews -------------------------------------------------------------------------------------

class CPreview {
public:
    explicit CPreview(const std::map<int, QImage>& images) : m_Images(images) {}

    QImage Contact() const;
    QImage Window(int nPage) const;
    QImage Dialogs() const;

private:
    const std::map<int, QImage>& m_Images;

    const QImage& Img(int nId) const { return m_Images.at(nId); }
    // One frame of a vertical film strip.
    QImage Frame(int nId, int nFrame) const {
        const SSkinImage* e = FindSkinImage(nId);
        const int h = e->nHeight / e->nFrames;
        return Img(nId).copy(0, std::clamp(nFrame, 0, e->nFrames - 1) * h, e->nWidth, h);
    }
    static int StripFrame(int nFrames, int nRange, int nPos) {
        return nPos == 0 ? 0 : std::min(nFrames - 1, int(double(nFrames) / nRange * nPos));
    }
    void Put(QPainter& p, int nId, double x, double y) const { p.drawImage(QPointF(x, y), Img(nId)); }
    void PutInto(QPainter& p, int nId, const SSkinRect& r) const {
        p.drawImage(QRectF(r.x, r.y, r.w, r.h), Img(nId));
    }
    void Edit(QPainter& p, const QRectF& r, const QString& sz) const {
        p.fillRect(r, WELL);
        SkinArt::Text(p, r, sz, SkinArt::Font(11, false), Qt::white, Qt::AlignRight | Qt::AlignVCenter);
    }
    void Knob(QPainter& p, const SSkinRect& r, int nRing, int nPos) const {
        p.save();
        p.setClipRect(r.x, r.y, r.w, r.h);
        p.drawImage(QPointF(r.x, r.y), Frame(nRing, StripFrame(57, 128, nPos)));
        p.drawImage(QPointF(r.x, r.y + 4), Frame(SkinId::KNOB_STRIP, StripFrame(65, 128, nPos)));
        p.restore();
    }
    void HSlider(QPainter& p, int x, int y, int nPos, int nMax) const {
        Put(p, SkinId::HSLIDER_TRACK, x, y);
        const QImage& fill = Img(SkinId::HSLIDER_FILL);
        const int w = std::min(fill.width() - 28 / 3, fill.width() * nPos / nMax - 28 / 3);
        if (w > 0) p.drawImage(QPointF(x + 4, y + 8), fill.copy(0, 0, w, fill.height()));
        Put(p, SkinId::HSLIDER_THUMB, x + std::max(0, 170 * nPos / nMax - 28), y);
    }
    void Curve(QPainter& p, const SSkinRect& g, QColor c, double (*f)(double)) const;
    void Frame0(QPainter& p, int nPage) const;
};

double CurveEq(double fHz) { // a few bells, for the mock only
    const double l = std::log10(fHz);
    return 5.5 * std::exp(-std::pow((l - 1.8) / 0.18, 2)) - 4.0 * std::exp(-std::pow((l - 3.0) / 0.12, 2)) +
           3.0 * std::exp(-std::pow((l - 3.9) / 0.25, 2));
}
double CurveHp(double fHz) { // 24 dB/oct high-pass at 80 Hz
    return -10.0 * std::log10(1.0 + std::pow(80.0 / fHz, 8));
}

void CPreview::Curve(QPainter& p, const SSkinRect& g, QColor c, double (*f)(double)) const {
    QPainterPath path;
    for (double fHz = 10; fHz < 30000; fHz *= 1.02) {
        const QPointF pt(g.x + SkinArt::GraphX(fHz), g.y + SkinArt::GraphY(f(fHz)));
        if (fHz == 10)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    p.save();
    p.setClipRect(g.x, g.y, g.w, g.h);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(c, 2));
    p.drawPath(path);
    p.restore();
}

void CPreview::Frame0(QPainter& p, int nPage) const {
    using namespace SkinId;
    p.drawImage(QRectF(0, 0, L::WINDOW_W, L::WINDOW_H), Img(BACKGROUND));
    Put(p, TAB_BAR, 0, 147);
    PutInto(p, TOP_BAR, L::TOP_BAR);
    PutInto(p, LEVEL_EDIT_FRAME, L::MAIN_FRAME);
    PutInto(p, LEVEL_EDIT_FRAME, L::CHANNEL_FRAME);
    const int nTab = nPage <= 1 ? 0 : nPage - 1;
    for (int i = 0; i < 4; ++i)
        PutInto(p, ButtonLook(TAB_FIRST, i, i == nTab ? 2 : 0), L::TABS[size_t(i)]);
    PutInto(p, EQ_ON, L::EQ_SWITCH);
    Knob(p, L::MAIN_KNOB, RING_MAIN, 108);
    Knob(p, L::CHANNEL_KNOB, RING_CHANNEL, 88);
    Edit(p, QRectF(L::MAIN_EDIT.x, L::MAIN_EDIT.y, L::MAIN_EDIT.w, L::MAIN_EDIT.h), QStringLiteral("-10.0"));
    Edit(p, QRectF(L::CHANNEL_EDIT.x, L::CHANNEL_EDIT.y, L::CHANNEL_EDIT.w, L::CHANNEL_EDIT.h),
         QStringLiteral("-20.0"));
    for (const SSkinRect& r : {L::MAIN_STEP_UP, L::CHANNEL_STEP_UP})
        PutInto(p, STEP_UP, r);
    for (const SSkinRect& r : {L::MAIN_STEP_DOWN, L::CHANNEL_STEP_DOWN})
        PutInto(p, STEP_DOWN, r);
    PutInto(p, nPage == 4 ? PHASE + 2 : PHASE, L::PHASE);
    // selector: the 5.1 architecture (expert states on the expert page), pair 1+2 selected
    const int chState[2][8] = {{2, 0, 1, 0, 0, 0, 1, 1}, {2, 0, 1, 0, 0, 0, 0, 0}};
    const int pairState[2][4] = {{0, 0, 1, 0}, {3, 3, 3, 3}};
    const int e = nPage == 1 ? 1 : 0;
    for (int c = 0; c < 8; ++c) {
        Put(p, SelectButton(false, c, chState[e][c], c < 2), L::CHANNEL_X[size_t(c)], L::CHANNEL_Y);
        Put(p, SOLO_OFF, L::CHANNEL_SOLO_X[size_t(c)], L::CHANNEL_SOLO_Y);
        Put(p, c == 5 ? MUTE_ON : MUTE_OFF, L::CHANNEL_SOLO_X[size_t(c)], L::CHANNEL_MUTE_Y);
    }
    for (int g = 0; g < 4; ++g) {
        if (e == 0 && g == 3) continue; // the 5.1 architecture hides the 7+8 pair
        Put(p, SelectButton(true, g, pairState[e][g], g == 0), L::PAIR_X[size_t(g)], L::PAIR_Y);
        Put(p, SOLO_OFF, L::PAIR_SOLO_X[size_t(g)], L::PAIR_SOLO_Y);
        Put(p, MUTE_OFF, L::PAIR_SOLO_X[size_t(g)], L::PAIR_MUTE_Y);
    }
    const bool bHelp = nPage == 2;
    PutInto(p, bHelp ? HELP + 2 : HELP, L::HELP);
    if (bHelp) {
        PutInto(p, MANUAL, L::MANUAL);
        QFont f(QStringLiteral("serif"));
        f.setPixelSize(12);
        SkinArt::Text(
            p, QRectF(140, 604, 470, 50),
            QStringLiteral("For each of the 10 equalization points proposed, this sliding potentiometer "
                           "allows you to\nchange the level of correction (in dB). "),
            f, QColor(250, 250, 250), Qt::AlignLeft | Qt::AlignTop);
    }
    Put(p, nPage == 3 ? DISCONNECTED : CONNECTED, L::INDICATOR.x, L::INDICATOR.y);
}

QImage CPreview::Window(int nPage) const {
    using namespace SkinId;
    QImage out(L::WINDOW_W, L::WINDOW_H, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::black);
    QPainter p(&out);
    Frame0(p, nPage);
    const int pageIds[5] = {PAGE_STANDARD, PAGE_EXPERT, PAGE_EQUALIZER, PAGE_CROSSOVER, PAGE_TIME};
    Put(p, pageIds[nPage], L::PAGE.x, L::PAGE.y);
    switch (nPage) {
    case 0: {
        PutInto(p, MODE_STANDARD, L::MODE_SWITCH);
        for (int i = 0; i < 5; ++i) {
            Put(p, ButtonLook(INPUT_KIND_FIRST, i, i == 1 ? 2 : 0), L::STD_BUTTON_X[size_t(i)],
                L::STD_INPUT_Y);
            Put(p, ButtonLook(ARCH_FIRST, i, i == 4 ? 2 : 0), L::STD_BUTTON_X[size_t(i)], L::STD_ARCH_Y);
        }
        Put(p, ACTIVATE, L::STD_ACTIVATE.x, L::STD_ACTIVATE.y);
        PutInto(p, SENS_LABEL, L::STD_SENS_LABEL);
        HSlider(p, L::STD_SENS_SLIDER.x, L::STD_SENS_SLIDER.y, 11, 14);
        PutInto(p, SENS_FRAME, L::STD_SENS_FRAME);
        Edit(p, QRectF(468, 325, 35, 14), QStringLiteral("1.7"));
        PutInto(p, STEP_UP, L::STD_SENS_UP);
        PutInto(p, STEP_DOWN, L::STD_SENS_DOWN);
        PutInto(p, LEVEL_LOW, L::STD_LEVEL_SWITCH);
        // architecture 4 (5.1): channel 2 (Out 3) phase-inverted
        const struct {
            int id, x, y;
        } spk[] = {{449, 745, 270}, {451, 930, 270}, {460, 720, 300}, {463, 938, 300},
                   {457, 720, 440}, {461, 938, 440}, {443, 825, 230}, {445, 825, 545}};
        for (const auto& s : spk)
            Put(p, s.id, s.x, s.y);
        PutInto(p, ANIMATION_FIRST + 10, L::STD_ANIMATION);
        break;
    }
    case 1: {
        PutInto(p, MODE_EXPERT, L::MODE_SWITCH);
        for (int i = 0; i < 3; ++i)
            Put(p, ButtonLook(EXPERT_INPUT_FIRST, i, i == 0 ? 2 : 0), L::EXP_INPUT_X[size_t(i)],
                L::EXP_INPUT_Y);
        PutInto(p, LEVEL_LOW, L::EXP_LEVEL_SWITCH);
        for (int r = 0; r < 4; ++r) {
            const int y = L::EXP_SENS_Y[size_t(r)];
            HSlider(p, L::EXP_SENS_SLIDER_X, y + 4, 4 + 3 * r, 14);
            Put(p, SENS_FRAME, L::EXP_SENS_FRAME_X, y);
            Edit(p, QRectF(L::EXP_SENS_FRAME_X + L::EXP_SENS_EDIT_DX, y + L::EXP_SENS_EDIT_DY, 35, 14),
                 QStringLiteral("%1").arg(1.4 + 0.6 * r, 0, 'f', 1));
            Put(p, STEP_UP, L::EXP_SENS_FRAME_X + L::EXP_SENS_STEP_DX, y + L::EXP_SENS_UP_DY);
            Put(p, STEP_DOWN, L::EXP_SENS_FRAME_X + L::EXP_SENS_STEP_DX, y + L::EXP_SENS_DOWN_DY);
        }
        PutInto(p, ROW_LABEL_MAIN, L::EXP_ROW_LABEL_MAIN);
        const int map[8] = {0x01, 0x02, 0x01, 0x02, 0x04, 0x08, 0x03, 0x03};
        for (int o = 0; o < 8; ++o)
            for (int n = 0; n < 6; ++n) {
                const double cy = L::EXP_MATRIX_TOP + L::EXP_MAIN_ROW_PITCH * (n + 0.5);
                Put(p, (map[o] >> n) & 1 ? ROUTE_LIGHT + 2 : ROUTE_LIGHT, L::EXP_MATRIX_COL_X[size_t(o)] - 9,
                    static_cast<double>(std::lround(cy) - 9));
            }
        break;
    }
    case 2: {
        Put(p, GRAPH_BACKGROUND, L::GRAPH.x, L::GRAPH.y);
        Curve(p, L::GRAPH, QColor(255, 200, 0), [](double f) { return CurveEq(f) * 0.6; });
        Curve(p, L::GRAPH, QColor(255, 255, 0), CurveEq);
        const int gains[10] = {15, 18, 12, 9, 15, 6, 15, 17, 15, 15};
        const char* freqs[10] = {"32", "63", "125", "250", "500", "1000", "2000", "4000", "8000", "16000"};
        for (size_t b = 0; b < 10; ++b) {
            const int x = L::EQ_GAIN_X[b], nStored = 24 - gains[b];
            p.drawImage(QRectF(x + 15, L::EQ_GAIN_Y, 8, 107), Img(FADER_TRACK));
            const int yc = int(15.5 + (119 - 31) * nStored / 24.0);
            p.drawImage(QPointF(x, L::EQ_GAIN_Y + yc - 15.5),
                        Frame(FADER_STRIP, StripFrame(124, 24, nStored)));
            p.drawImage(QPointF(L::EQ_Q_X[b], L::EQ_Q_Y), Frame(QKNOB_STRIP, StripFrame(65, 18, int(b) * 2)));
            Edit(p, QRectF(L::EQ_FREQ_X[b], L::EQ_FREQ_Y, 38, 15), freqs[b]);
            Edit(p, QRectF(L::EQ_GAINEDIT_X[b], L::EQ_GAINEDIT_Y, 25, 16), QString::number(gains[b] - 15));
            Edit(p, QRectF(L::EQ_QEDIT_X[b], L::EQ_QEDIT_Y, 25, 16), QStringLiteral("1.4"));
        }
        break;
    }
    case 3: {
        Put(p, GRAPH_BACKGROUND, L::GRAPH.x, L::GRAPH.y);
        Curve(p, L::GRAPH, QColor(255, 200, 0), [](double f) { return CurveHp(f * 1.3); });
        Curve(p, L::GRAPH, QColor(255, 255, 0), CurveHp);
        for (int i = 0; i < 3; ++i)
            Put(p, ButtonLook(XOVER_TYPE_FIRST, i, i == 0 ? 2 : 0), L::XO_TYPE_X[size_t(i)], L::XO_TYPE_Y);
        PutInto(p, XOVER_SLOPE_FRAME, L::XO_HP_SLOPE);
        PutInto(p, XOVER_FREQ_FRAME, L::XO_HP_FREQ);
        PutInto(p, XOVER_HP_SYMBOL, L::XO_HP_SYMBOL);
        PutInto(p, XOVER_HP_LABEL, L::XO_HP_LABEL);
        Edit(p, QRectF(L::XO_HP_SLOPE.x + L::XO_EDIT_DX, L::XO_HP_SLOPE.y + L::XO_EDIT_DY, 50, 16),
             QStringLiteral("24"));
        Edit(p, QRectF(L::XO_HP_FREQ.x + L::XO_EDIT_DX, L::XO_HP_FREQ.y + L::XO_EDIT_DY, 50, 16),
             QStringLiteral("80"));
        HSlider(p, L::XO_HP_SLIDER.x, L::XO_HP_SLIDER.y, 40, 125);
        break;
    }
    default: {
        const char* vals[3] = {"2.4", "82.4", "32.4"};
        for (size_t i = 0; i < 3; ++i) {
            const int x = L::TA_FRAME_X[i];
            Edit(p, QRectF(x + L::TA_EDIT_DX, L::TA_FRAME_Y + L::TA_EDIT_DY, 40, 16), vals[i]);
            Put(p, STEP_UP, x + L::TA_STEP_DX, L::TA_FRAME_Y + L::TA_UP_DY);
            Put(p, STEP_DOWN, x + L::TA_STEP_DX, L::TA_FRAME_Y + L::TA_DOWN_DY);
        }
        PutInto(p, PHASE + 2, L::TA_PHASE);
        PutInto(p, CAR, L::TA_CAR_STANDARD);
        PutInto(p, ANIMATION_FIRST + 20, L::TA_ANIM_STANDARD);
        const struct {
            int ch, state, look, x, y;
        } icons[] = {{0, 0, 0, 760, 292}, {1, 0, 1, 760, 440}, {2, 1, 2, 620, 282}, {3, 1, 1, 600, 444},
                     {4, 1, 1, 500, 286}, {5, 1, 3, 480, 440}, {6, 2, 1, 440, 356}};
        for (const auto& ic : icons)
            Put(p, SpeakerIcon(ic.ch, ic.state, ic.look), ic.x, ic.y);
        break;
    }
    }
    return out;
}

QImage CPreview::Dialogs() const {
    using namespace SkinId;
    QImage out(1240, 360, QImage::Format_ARGB32_Premultiplied);
    out.fill(QColor(0x40, 0x40, 0x40));
    QPainter p(&out);
    // About box (607 x 365 window; the preview crops to 334)
    Put(p, DIALOG_BACKGROUND, 10, 10);
    Put(p, ABOUT_CONTENT, 20, 20);
    p.drawImage(QRectF(10 + 495, 10 + 282, 81, 34), Img(BTN_CANCEL));
    p.drawImage(QRectF(10 + 48, 10 + 195, 100, 19), Img(WEB_LINK));
    // confirmation dialogs
    for (int i = 0; i < 2; ++i) {
        const int x = 630, y = 10 + 175 * i;
        p.drawImage(QPointF(x, y), Img(DIALOG_BACKGROUND).copy(0, 0, 600, 170));
        Put(p, i ? MSG_QUIT : MSG_SAVE, x + 10, y + 10);
        Put(p, BTN_CANCEL, x + 400, y + 135);
        Put(p, i ? BTN_OK_PRESSED : BTN_OK, x + 500, y + 135);
    }
    return out;
}

QImage CPreview::Contact() const {
    // shelf packing; big images shrunk, small ones enlarged, film strips shown as five frames
    constexpr int SHEET_W = 1800, PAD = 8, LABEL_H = 14;
    struct SCell {
        int nId;
        QImage img;
    };
    std::vector<SCell> cells;
    for (const auto& [nId, img] : m_Images) {
        const SSkinImage* e = FindSkinImage(nId);
        QImage show = img;
        if (e->nFrames > 1) {
            const int h = e->nHeight / e->nFrames;
            show = QImage(e->nWidth * 5 + 8, h, QImage::Format_ARGB32_Premultiplied);
            show.fill(Qt::transparent);
            QPainter sp(&show);
            for (int k = 0; k < 5; ++k)
                sp.drawImage(QPointF(k * (e->nWidth + 2), 0), Frame(nId, (e->nFrames - 1) * k / 4));
        }
        const double fScale = std::min({1.0, 420.0 / show.width(), 280.0 / show.height()});
        const double fZoom = show.width() < 60 && show.height() < 60 ? 2.0 : fScale;
        show = show.scaled(int(show.width() * fZoom), int(show.height() * fZoom), Qt::KeepAspectRatio,
                           Qt::SmoothTransformation);
        cells.push_back({nId, show});
    }
    int x = PAD, y = PAD, nRowH = 0;
    std::vector<QPoint> pos;
    for (const SCell& c : cells) {
        const int w = std::max(c.img.width(), 34);
        if (x + w > SHEET_W - PAD) x = PAD, y += nRowH + LABEL_H + PAD, nRowH = 0;
        pos.push_back({x, y});
        x += w + PAD;
        nRowH = std::max(nRowH, c.img.height());
    }
    QImage out(SHEET_W, y + nRowH + LABEL_H + PAD, QImage::Format_ARGB32_Premultiplied);
    out.fill(QColor(0x5a, 0x5e, 0x63));
    QPainter p(&out);
    for (size_t i = 0; i < cells.size(); ++i) {
        const QPoint at = pos[i];
        p.fillRect(QRect(at, cells[i].img.size()), QColor(0x4a, 0x4d, 0x52));
        p.drawImage(at, cells[i].img);
        SkinArt::Text(
            p, QRectF(at.x(), at.y() + cells[i].img.height(), std::max(cells[i].img.width(), 34), LABEL_H),
            QString::number(cells[i].nId), SkinArt::Font(10, true), Qt::white,
            Qt::AlignLeft | Qt::AlignVCenter);
    }
    return out;
}

bool Save(const QImage& img, const QString& szPath) {
    if (img.save(szPath, "PNG")) return true;
    std::fprintf(stderr, "mlb8-skingen: cannot write %s\n", qPrintable(szPath));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: mlb8-skingen OUTDIR [PREVIEWDIR]\n");
        return 2;
    }
    const QString szOut = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(szOut);

    std::map<int, QImage> images;
    for (const SSkinImage& e : SkinManifest()) {
        QImage img = Render(e);
        if (img.width() != e.nWidth || img.height() != e.nHeight) {
            std::fprintf(stderr, "mlb8-skingen: image %d drawn %d x %d, listed %d x %d\n", e.nId, img.width(),
                         img.height(), e.nWidth, e.nHeight);
            return 1;
        }
        if (!Save(img, QStringLiteral("%1/%2.png").arg(szOut).arg(e.nId))) return 1;
        images.emplace(e.nId, std::move(img));
    }

    QFile qrc(szOut + QStringLiteral("/skin.qrc"));
    if (!qrc.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "mlb8-skingen: cannot write skin.qrc\n");
        return 1;
    }
    QTextStream ts(&qrc);
    ts << "<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource prefix=\"/skin\">\n";
    for (const SSkinImage& e : SkinManifest())
        ts << "  <file>" << e.nId << ".png</file>\n";
    ts << "</qresource>\n</RCC>\n";

    // a readable listing of the manifest beside the images
    QFile list(szOut + QStringLiteral("/manifest.txt"));
    if (list.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        QTextStream ls(&list);
        for (const SSkinImage& e : SkinManifest())
            ls << e.nId << "\t" << e.nWidth << " x " << e.nHeight
               << (e.nFrames > 1 ? QStringLiteral("\t%1 frames").arg(e.nFrames) : QStringLiteral("\t"))
               << "\t" << QString::fromStdString(e.szPurpose) << "\n";
    }

    if (argc >= 3) {
        const QString szPreview = QString::fromLocal8Bit(argv[2]);
        QDir().mkpath(szPreview);
        const CPreview preview(images);
        bool bOk = Save(preview.Contact(), szPreview + QStringLiteral("/contact-sheet.png")) &&
                   Save(preview.Dialogs(), szPreview + QStringLiteral("/mock-dialogs.png"));
        for (int nPage = 0; nPage < 5 && bOk; ++nPage)
            bOk = Save(preview.Window(nPage), szPreview + QStringLiteral("/mock-page%1.png").arg(nPage));
        if (!bOk) return 1;
    }
    return 0;
}
