// mlb8-controlsheet OUT.png
//
// Draws every skinned control in its states (normal, pressed, toggled, the ends and middle of each
// film strip) over a piece of skin, with a caption per row, and saves the sheet. Run offscreen at
// build time; the sheet is for judging the look, nothing reads it.
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <cstdio>
#include <functional>
#include <vector>

#include "guilib/gdiactiveslider.h"
#include "guilib/gdirotary.h"
#include "guilib/gdislider.h"
#include "guilib/skinbutton.h"
#include "skin/skinids.h"
#include "skin/skinmanifest.h"

namespace {

constexpr int SHEET_W = 1070;
constexpr int SHEET_H = 840;
constexpr int CAPTION_X = 16;
constexpr int CONTROLS_X = 200;

// The page the controls sit on: a stretch of window background with a caption per row and a small
// label under each control.
class CSheet : public QWidget {
public:
    CSheet() {
        InitSkinResources();
        m_Back.load(SkinResourcePath(SkinId::BACKGROUND));
        resize(SHEET_W, SHEET_H);
    }
    void Caption(int y, const char* psz) { m_Captions.push_back({QRect(CAPTION_X, y, 175, 70), psz}); }
    void Label(const QRect& rcCtrl, const QString& sz) {
        m_Labels.push_back({QRect(rcCtrl.center().x() - 60, rcCtrl.bottom() + 4, 120, 16), sz});
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(rect(), m_Back, QRect(0, 150, 600, 400)); // a plain stretch of the window
        QFont font = p.font();
        font.setPixelSize(14);
        font.setBold(true);
        p.setFont(font);
        p.setPen(QColor(230, 230, 230));
        for (const auto& c : m_Captions)
            p.drawText(c.rc, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, c.sz);
        font.setPixelSize(11);
        font.setBold(false);
        p.setFont(font);
        p.setPen(QColor(190, 190, 190));
        for (const auto& c : m_Labels)
            p.drawText(c.rc, Qt::AlignHCenter | Qt::AlignTop, c.sz);
    }

private:
    struct SText {
        QRect rc;
        QString sz;
    };
    QImage m_Back;
    std::vector<SText> m_Captions, m_Labels;
};

void Press(QWidget* pCtrl, QPoint pt) {
    QMouseEvent ev(QEvent::MouseButtonPress, pt, pCtrl->mapToGlobal(pt), Qt::LeftButton, Qt::LeftButton,
                   Qt::NoModifier);
    QCoreApplication::sendEvent(pCtrl, &ev);
}

template <class T> T* Place(CSheet& sheet, const QRect& rc, const QString& szLabel) {
    auto* p = new T(&sheet);
    p->setGeometry(rc);
    sheet.Label(rc, szLabel);
    return p;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mlb8-controlsheet OUT.png\n");
        return 2;
    }
    QApplication app(argc, argv);
    CSheet sheet;
    int y = 24;

    // Level knobs: ring and knob strips at the minimum, the middle and the maximum.
    sheet.Caption(y + 30, "CGdiRotary\nlevel knobs 0..128");
    int x = CONTROLS_X + 10;
    for (int nRing : {SkinId::RING_MAIN, SkinId::RING_CHANNEL}) {
        for (int nPos : {0, 64, 128}) {
            auto* k = Place<CGdiRotary>(sheet, QRect(x, y, 101, 101), QString("pos %1").arg(nPos));
            k->SetIconImage(SkinId::KNOB_STRIP, "PNG", 0, 4, 101, 101);
            k->SetIconBGImage(nRing, "PNG", 0, 0, 101, 90);
            k->SetRange(0, 128);
            k->SetPos(nPos);
            x += 125;
        }
        x += 20;
    }
    y += 135;

    // Q knobs and equalizer gain faders.
    sheet.Caption(y + 40, "CGdiRotary Q 0..18\nCGdiSlider gain 0..24\n(vertical, inverted)");
    x = CONTROLS_X + 10;
    for (int nPos : {0, 9, 18}) {
        auto* k = Place<CGdiRotary>(sheet, QRect(x, y + 40, 42, 42), QString("Q %1").arg(nPos));
        k->SetIconImage(SkinId::QKNOB_STRIP, "PNG", 0, 0, 42, 42);
        k->SetRange(0, 18);
        k->SetPos(nPos);
        x += 80;
    }
    x += 30;
    for (int nPos : {0, 6, 12, 18, 24}) {
        auto* s = Place<CGdiSlider>(sheet, QRect(x, y, 34, 119), QString("gain %1").arg(nPos));
        s->SetIconImage(SkinId::FADER_STRIP, "PNG", 0, 0, 34, 31);
        s->SetIconBGImage(SkinId::FADER_TRACK, "PNG", 15, 0, 8, 107);
        s->SetRange(0, 24);
        s->SetVertical(true);
        s->SetInverted(true);
        s->SetPos(nPos);
        x += 90;
    }
    y += 150;

    // Horizontal sliders with the level fill.
    sheet.Caption(y + 4, "CGdiSlider\nhorizontal 0..14");
    x = CONTROLS_X + 10;
    for (int nPos : {0, 4, 9, 14}) {
        auto* s = Place<CGdiSlider>(sheet, QRect(x, y, 170, 28), QString("pos %1").arg(nPos));
        s->SetIconImage(SkinId::HSLIDER_THUMB, "PNG", 0, 0, 28, 28);
        s->SetIconFill(SkinId::HSLIDER_FILL, "PNG", 4, 8);
        s->SetIconBGImage(SkinId::HSLIDER_TRACK, "PNG", 0, 0, 170, 28);
        s->SetRange(0, 14);
        s->SetPos(nPos);
        x += 200;
    }
    y += 60;

    // Speaker icons: the three sizes by the four looks, each at the start, middle and end of its run.
    sheet.Caption(y + 40, "CGdiActiveSlider\nlooks 0..3 by\nstates 0..2\nat 0, 11, 22");
    x = CONTROLS_X + 10;
    const char* kLooks[] = {"selected", "normal", "sel. + active", "active"};
    for (int nLook = 0; nLook < 4; ++nLook) {
        for (int nState = 0; nState < 3; ++nState) {
            auto* a = Place<CGdiActiveSlider>(sheet, QRect(x, y + 50 * nState, 150, 42),
                                              nState == 2 ? QString(kLooks[nLook]) : QString());
            const auto ids = SkinId::SpeakerIconSet(nLook * 2);
            a->SetIconsInactive({ids[0], ids[1], ids[2], ids[3], ids[4], ids[5]});
            a->SetIconsActive({ids[6], ids[7], ids[8], ids[9], ids[10], ids[11]});
            a->SetRange(0, 22);
            a->SetState(nState);
            a->SetSelected(nLook == 0 || nLook == 2);
            a->SetActive(nLook >= 2);
            a->SetPos(nState * 11);
        }
        x += 200;
    }
    y += 190;

    // Push buttons: normal, pressed, toggled, toggled and pressed.
    sheet.Caption(y + 40, "CSkinButton\nnormal, pressed,\ntoggled, toggled\nand pressed");
    struct SButton {
        int nIds[4];
        QSize sz;
        QPoint ptOrigin; // of the normal look, relative to the row
        int nPitch;      // between looks
    };
    const int nTab = SkinId::TAB_FIRST + SkinId::LOOKS; // the equalizer tab
    const std::vector<SButton> buttons = {
        {{nTab, nTab + 1, nTab + 2, nTab + 3}, QSize(82, 80), QPoint(0, 0), 100},
        {{SkinId::PHASE, SkinId::PHASE + 1, SkinId::PHASE + 2, SkinId::PHASE + 3},
         QSize(35, 35),
         QPoint(420, 20),
         50},
        {{SkinId::HELP, SkinId::HELP + 1, SkinId::HELP + 2, SkinId::HELP + 3},
         QSize(35, 35),
         QPoint(640, 20),
         50},
        {{SkinId::ARCH_FIRST, SkinId::ARCH_FIRST + 1, SkinId::ARCH_FIRST + 2, SkinId::ARCH_FIRST + 3},
         QSize(92, 34),
         QPoint(0, 110),
         110},
        {{SkinId::MUTE_OFF, SkinId::MUTE_OFF, SkinId::MUTE_ON, SkinId::MUTE_ON},
         QSize(37, 15),
         QPoint(460, 120),
         50},
        {{SkinId::STEP_UP, SkinId::STEP_UP_PRESSED, SkinId::STEP_UP, SkinId::STEP_UP_PRESSED},
         QSize(20, 16),
         QPoint(680, 125),
         50},
    };
    const char* kStates[] = {"normal", "pressed", "toggled", "tog. + pressed"};
    for (const auto& def : buttons) {
        for (int nLook = 0; nLook < 4; ++nLook) {
            const QRect rc(QPoint(CONTROLS_X + 10, y) + def.ptOrigin + QPoint(nLook * def.nPitch, 0), def.sz);
            const bool bLabel = def.nPitch >= 100 || nLook == 0;
            auto* btn = Place<CSkinButton>(sheet, rc, bLabel ? kStates[nLook] : "");
            btn->SetIcons(def.nIds[0], "PNG", def.nIds[1], "PNG", def.nIds[2], "PNG", def.nIds[3], "PNG");
            btn->SetToggle(nLook >= 2);
            if (nLook % 2) Press(btn, QPoint(2, 2));
        }
    }
    y += 175;

    // Select buttons: the four state colours, on and off, and a pressed pair button.
    sheet.Caption(y + 8, "CSkinButton2\nstates 0..3, on / off");
    x = CONTROLS_X + 10;
    for (int nState = 0; nState < 4; ++nState) {
        for (int bOn = 1; bOn >= 0; --bOn) {
            for (int bPair = 0; bPair < 2; ++bPair) {
                const QSize sz = bPair ? QSize(52, 26) : QSize(44, 26);
                auto* btn = Place<CSkinButton2>(sheet, QRect(QPoint(x, y), sz),
                                                bPair ? QString()
                                                      : QString("%1 %2").arg(nState).arg(bOn ? "on" : "off"));
                std::array<int, 8> ids{};
                for (int s = 0; s < 4; ++s) {
                    ids[2 * s] = SkinId::SelectButton(bPair, 1, s, true);
                    ids[2 * s + 1] = SkinId::SelectButton(bPair, 1, s, false);
                }
                btn->SetIcons(ids);
                btn->SetState(nState);
                btn->SetToggle(bOn);
                x += bPair ? 58 : 48;
            }
        }
    }

    sheet.show();
    QCoreApplication::processEvents();
    const QImage image = sheet.grab().toImage();
    if (!image.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "mlb8-controlsheet: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
