#include "skinmanifest.h"

#include <algorithm>

namespace {

const char* const TAB_TEXT[4] = {"CONFIG", "EQUALIZER", "CROSSOVER", "TIME ALIGN"};
const char* const TEXT_BUTTON[TB_COUNT] = {
    "5.1 WIRED",
    "4 WIRED",
    "2 WIRED",
    "AUX",
    "NUMERICAL", // input kinds
    "KIT 2 WAYS\n+ SUB",
    "KIT 3 WAYS\n+ SUB",
    "2.1 CH",
    "4.1 CH",
    "5.1 CH",   // architectures
    "ACTIVATE", //
    "HIGH PASS",
    "BAND PASS",
    "LOW PASS", // crossover types
    "MAIN",
    "AUX",
    "OPT", // expert inputs
    "SYSTEM",
    "PHASE",
    "UNWRAP", // system view of the graph
    "A",
    "B", // the sides of the A/B comparison
};
const char* const LOOK_NAME[4] = {"normal", "pressed", "lit", "lit, pressed"};
const char* const SPEAKER_KIND[6] = {"tweeter", "midrange", "woofer", "coaxial", "centre", "subwoofer"};

class CManifestBuilder {
public:
    std::vector<SSkinImage> m_Images;

    void Add(int nId, int nW, int nH, ESkinArt eArt, std::string szPurpose, int nIndex = 0, int nState = 0,
             int nLook = 0, std::string szText = {}, int nFrames = 1) {
        m_Images.push_back(
            {nId, nW, nH, nFrames, eArt, nIndex, nState, nLook, std::move(szText), std::move(szPurpose)});
    }
    void Strip(int nId, int nFrameW, int nFrameH, int nFrames, ESkinArt eArt, std::string szPurpose,
               int nIndex = 0) {
        Add(nId, nFrameW, nFrameH * nFrames, eArt, std::move(szPurpose), nIndex, 0, 0, {}, nFrames);
    }
    // A labelled button in its four looks.
    void FourLooks(int nFirst, int nW, int nH, ESkinArt eArt, int nIndex, const std::string& szText,
                   const std::string& szWhat) {
        for (int nLook = 0; nLook < SkinId::LOOKS; ++nLook)
            Add(nFirst + nLook, nW, nH, eArt, szWhat + " (" + LOOK_NAME[nLook] + ")", nIndex, 0, nLook,
                szText);
    }
};

std::string Str(int n) {
    return std::to_string(n);
}

std::vector<SSkinImage> BuildManifest() {
    using namespace SkinId;
    CManifestBuilder b;

    b.Add(BACKGROUND, 1008, 656, ESkinArt::WindowBackground,
          "window background, drawn into (0, 0, 1018, 706)");
    b.Add(TAB_BAR, 108, 452, ESkinArt::TabBar, "tab bar at (0, 147)");
    b.Add(TOP_BAR, 1008, 146, ESkinArt::TopBar, "top bar, drawn into (0, 0, 1008, 147)");
    const char* const pages[5] = {"standard configuration", "expert configuration", "equalizer", "crossover",
                                  "time alignment"};
    const int pageIds[5] = {PAGE_STANDARD, PAGE_EXPERT, PAGE_EQUALIZER, PAGE_CROSSOVER, PAGE_TIME};
    for (int i = 0; i < 5; ++i)
        b.Add(pageIds[i], 901, 452, ESkinArt::Page, std::string("page background: ") + pages[i], i);
    b.Add(LEVEL_EDIT_FRAME, 110, 37, ESkinArt::ValueFrame, "frame of the main and channel level boxes", 0);
    b.Add(XOVER_SLOPE_FRAME, 110, 50, ESkinArt::XoverFrame, "crossover slope box frame", 0);
    b.Add(XOVER_FREQ_FRAME, 110, 50, ESkinArt::XoverFrame, "crossover frequency box frame", 1);
    b.Add(STEP_UP, 20, 16, ESkinArt::Stepper, "step up", 0, 0, 0);
    b.Add(STEP_UP_PRESSED, 20, 16, ESkinArt::Stepper, "step up (pressed)", 0, 0, 1);
    b.Add(STEP_DOWN, 20, 15, ESkinArt::Stepper, "step down", 1, 0, 0);
    b.Add(STEP_DOWN_PRESSED, 20, 15, ESkinArt::Stepper, "step down (pressed)", 1, 0, 1);
    b.Strip(KNOB_STRIP, 101, 101, KNOB_FRAMES, ESkinArt::Knob, "level knob film strip");
    b.Strip(RING_CHANNEL, 101, 90, RING_FRAMES, ESkinArt::Ring, "channel level ring film strip", 0);
    b.Strip(RING_MAIN, 101, 90, RING_FRAMES, ESkinArt::Ring, "main level ring film strip", 1);
    b.FourLooks(PHASE, 35, 35, ESkinArt::RoundButton, 0, "", "phase invert button");

    // Select buttons: the used (button, state) combinations first, then the rest.
    int nUsed = SELECT_FIRST, nExtra = SELECT_EXTRA_FIRST;
    for (int nButton = 0; nButton < 12; ++nButton) {
        const bool bPair = nButton >= 8;
        const int nIndex = bPair ? nButton - 8 : nButton;
        const unsigned mask = bPair ? PAIR_STATES_USED[nIndex] : CHANNEL_STATES_USED[nIndex];
        const std::string szLabel =
            bPair ? "Out " + Str(2 * nIndex + 1) + "+" + Str(2 * nIndex + 2) : "Out " + Str(nIndex + 1);
        for (int nState = 0; nState < 4; ++nState) {
            int& nId = (mask >> nState) & 1 ? nUsed : nExtra;
            for (int nOn = 1; nOn >= 0; --nOn)
                b.Add(nId++, bPair ? 52 : 44, 26, ESkinArt::SelectButton,
                      (bPair ? "pair select " : "channel select ") + szLabel + ", state " + Str(nState) +
                          (nOn ? " on" : " off"),
                      nButton, nState, nOn, szLabel);
        }
    }

    b.Add(MUTE_OFF, 37, 15, ESkinArt::MuteSolo, "mute (off)", 0, 0, 0, "MUTE");
    b.Add(MUTE_ON, 37, 15, ESkinArt::MuteSolo, "mute (on)", 0, 0, 1, "MUTE");
    b.Add(SOLO_OFF, 37, 15, ESkinArt::MuteSolo, "solo (off)", 1, 0, 0, "SOLO");
    b.Add(SOLO_ON, 37, 15, ESkinArt::MuteSolo, "solo (on)", 1, 0, 1, "SOLO");
    b.Add(GRAPH_BACKGROUND, 883, 239, ESkinArt::Graph, "response graph background");
    b.Add(MODE_STANDARD, 168, 24, ESkinArt::ModeSwitch, "STANDARD/EXPERT switch, standard", 0, 0, 0);
    b.Add(MODE_EXPERT, 168, 24, ESkinArt::ModeSwitch, "STANDARD/EXPERT switch, expert", 0, 0, 1);
    b.Add(EQ_OFF, 67, 34, ESkinArt::EqSwitch, "equalizer switch, off", 0, 0, 0);
    b.Add(EQ_ON, 67, 34, ESkinArt::EqSwitch, "equalizer switch, on", 0, 0, 1);
    b.Add(HSLIDER_THUMB, 28, 28, ESkinArt::SliderThumb, "horizontal slider thumb");
    b.Add(HSLIDER_FILL, 155, 8, ESkinArt::SliderFill, "horizontal slider level fill");
    b.Add(HSLIDER_TRACK, 170, 28, ESkinArt::SliderTrack, "horizontal slider track");
    b.Add(LEVEL_HIGH, 110, 49, ESkinArt::LevelSwitch, "input level switch, high level (on)", 0, 0, 1);
    b.Add(LEVEL_LOW, 110, 49, ESkinArt::LevelSwitch, "input level switch, low level (off)", 0, 0, 0);
    b.Add(SENS_LABEL, 102, 22, ESkinArt::SensLabel, "sensitivity label", 0, 0, 0, "SENSITIVITY");

    struct SSpeaker {
        int nId, nKind, nSize;
        const char* szWhere;
    };
    const SSpeaker speakers[] = {
        {SPK_CENTRE, 4, 48, "centre"},
        {SPK_SUB_R, 5, 52, "right"},
        {SPK_SUB_L, 5, 52, "left"},
        {SPK_TWEETER_L, 0, 28, "front left"},
        {SPK_TWEETER_R, 0, 28, "front right"},
        {SPK_MID_L, 1, 32, "front left"},
        {SPK_MID_R, 1, 32, "front right"},
        {SPK_WOOFER_L, 2, 40, "left"},
        {SPK_COAX_L, 3, 40, "front left"},
        {SPK_WOOFER_R, 2, 40, "right"},
        {SPK_COAX_R, 3, 40, "front right"},
    };
    for (const SSpeaker& s : speakers)
        for (int nInv = 0; nInv < 2; ++nInv)
            b.Add(s.nId + nInv, s.nSize, s.nSize, ESkinArt::Speaker,
                  std::string("speaker picture: ") + s.szWhere + " " + SPEAKER_KIND[s.nKind] +
                      (nInv ? " (phase inverted)" : ""),
                  s.nKind, 0, nInv);
    b.Add(SENS_FRAME, 110, 37, ESkinArt::ValueFrame, "sensitivity box frame", 1);
    b.Strip(FADER_STRIP, 34, 31, FADER_FRAMES, ESkinArt::FaderThumb, "equalizer gain fader thumb film strip");
    b.Add(FADER_TRACK, 7, 104, ESkinArt::FaderTrack, "equalizer gain fader track");
    b.Strip(QKNOB_STRIP, 42, 42, QKNOB_FRAMES, ESkinArt::QKnob, "equalizer Q knob film strip");
    b.Add(XOVER_HP_SYMBOL, 40, 40, ESkinArt::XoverSymbol, "lit high-pass symbol", 0);
    b.Add(XOVER_LP_SYMBOL, 40, 40, ESkinArt::XoverSymbol, "lit low-pass symbol", 1);
    b.Add(XOVER_LP_LABEL, 67, 24, ESkinArt::XoverLabel, "lit low-pass label", 1, 0, 0, "LOW PASS");
    b.Add(XOVER_HP_LABEL, 67, 24, ESkinArt::XoverLabel, "lit high-pass label", 0, 0, 0, "HIGH PASS");

    const char* const iconLook[4] = {"selected", "normal", "selected, phase inverted", "phase inverted"};
    const char* const iconSize[3] = {"tweeter size", "woofer size", "subwoofer size"};
    for (int nCh = 0; nCh < 8; ++nCh)
        for (int nState = 0; nState < 3; ++nState)
            for (int nLook = 0; nLook < 4; ++nLook) {
                const int nSize = 30 + 6 * nState;
                b.Add(SpeakerIcon(nCh, nState, nLook), nSize, nSize, ESkinArt::SpeakerIcon,
                      "speaker icon " + Str(nCh + 1) + ", " + iconSize[nState] + ", " + iconLook[nLook], nCh,
                      nState, nLook, Str(nCh + 1));
            }

    b.Add(CAR, 463, 200, ESkinArt::Car, "car seen from above, time-alignment page");
    for (int i = 0; i < ANIMATION_FRAMES; ++i)
        b.Add(ANIMATION_FIRST + i, 140, 140, ESkinArt::Animation,
              "listening-position animation frame " + Str(i), i);
    b.FourLooks(HELP, 35, 35, ESkinArt::RoundButton, 1, "?", "help mode button");
    b.Add(MANUAL, 106, 32, ESkinArt::ManualButton, "User Manual button", 0, 0, 0, "User Manual");
    b.Add(MANUAL_PRESSED, 106, 32, ESkinArt::ManualButton, "User Manual button (pressed)", 0, 0, 1,
          "User Manual");
    b.Add(DIALOG_BACKGROUND, 600, 334, ESkinArt::DialogBackground, "dialog background");
    b.Add(ABOUT_CONTENT, 581, 259, ESkinArt::AboutContent, "About box content");
    b.Add(BTN_CANCEL, 81, 34, ESkinArt::DialogButton, "dialog Cancel/close button", 0, 0, 0, "CANCEL");
    b.Add(BTN_CANCEL_PRESSED, 81, 34, ESkinArt::DialogButton, "dialog Cancel/close button (pressed)", 0, 0, 1,
          "CANCEL");
    b.Add(BTN_OK, 81, 34, ESkinArt::DialogButton, "dialog OK button", 1, 0, 0, "OK");
    b.Add(BTN_OK_PRESSED, 81, 34, ESkinArt::DialogButton, "dialog OK button (pressed)", 1, 0, 1, "OK");
    b.Add(MSG_SAVE, 580, 110, ESkinArt::Message, "question: save the settings?", 0);
    b.Add(MSG_QUIT, 580, 110, ESkinArt::Message, "question: settings not saved, quit?", 1);
    b.Add(MSG_SAVE_EN, 580, 110, ESkinArt::Message, "question: save the settings? (English)", 0, 0, 1);
    b.Add(MSG_QUIT_EN, 580, 110, ESkinArt::Message, "question: settings not saved, quit? (English)", 1, 0, 1);
    b.Add(APP_ICON, 256, 256, ESkinArt::AppIcon, "the program's icon");
    b.Add(CONNECTED, 106, 56, ESkinArt::Indicator, "connection indicator, connected", 0, 0, 1);
    b.Add(DISCONNECTED, 106, 56, ESkinArt::Indicator, "connection indicator, not connected", 0, 0, 0);
    b.Add(ROW_LABEL_MAIN, 26, 167, ESkinArt::RowLabel, "expert routing row label IN 1..6", 0);
    b.Add(ROW_LABEL_AUX, 50, 38, ESkinArt::RowLabel, "expert routing row label AUX L/R", 1);
    b.Add(ROW_LABEL_OPT, 50, 38, ESkinArt::RowLabel, "expert routing row label OPT L/R", 2);
    b.Add(WEB_LINK, 100, 19, ESkinArt::WebLink, "About box web link", 0, 0, 0, "Visit our web site");
    b.Add(WEB_LINK_ZH, 100, 19, ESkinArt::WebLink, "About box web link (Chinese)", 0, 0, 0,
          "\xE8\xAE\xBF\xE9\x97\xAE\xE6\x88\x91\xE4\xBB\xAC\xE7\x9A\x84\xE7\xBD\x91\xE7\xAB\x99");
    b.Add(BLANK_PANEL, 460, 100, ESkinArt::BlankPanel, "standard page panel over the sensitivity controls");

    for (int i = 0; i < 4; ++i)
        b.FourLooks(ButtonLook(TAB_FIRST, i, 0), 82, 80, ESkinArt::Tab, i, TAB_TEXT[i],
                    std::string("page tab ") + TAB_TEXT[i]);
    auto textButtons = [&](int nFirstId, int nFirstIndex, int nCount, const char* szWhat) {
        for (int i = 0; i < nCount; ++i)
            b.FourLooks(ButtonLook(nFirstId, i, 0), 92, 34, ESkinArt::TextButton, nFirstIndex + i,
                        TEXT_BUTTON[nFirstIndex + i], std::string(szWhat) + " " + Str(i));
    };
    textButtons(INPUT_KIND_FIRST, TB_INPUT_KIND, 5, "input kind button");
    textButtons(ARCH_FIRST, TB_ARCH, 5, "output architecture button");
    b.Add(ACTIVATE, 92, 34, ESkinArt::TextButton, "activate button", TB_ACTIVATE, 0, 0,
          TEXT_BUTTON[TB_ACTIVATE]);
    b.Add(ACTIVATE + 1, 92, 34, ESkinArt::TextButton, "activate button (pressed)", TB_ACTIVATE, 0, 1,
          TEXT_BUTTON[TB_ACTIVATE]);
    textButtons(XOVER_TYPE_FIRST, TB_XOVER_TYPE, 3, "crossover type button");
    for (int nLook = 0; nLook < 4; ++nLook)
        b.Add(ROUTE_LIGHT + nLook, 18, 18, ESkinArt::RouteLight,
              std::string("routing matrix light (") + LOOK_NAME[nLook] + ")", 0, 0, nLook);
    textButtons(EXPERT_INPUT_FIRST, TB_EXPERT_INPUT, 3, "expert input button");
    for (int i = 0; i < 3; ++i)
        b.FourLooks(ButtonLook(SYSTEM_VIEW_FIRST, i, 0), SYSTEM_VIEW_W, SYSTEM_VIEW_H, ESkinArt::TextButton,
                    TB_SYSTEM_VIEW + i, TEXT_BUTTON[TB_SYSTEM_VIEW + i],
                    std::string("graph system view switch ") + TEXT_BUTTON[TB_SYSTEM_VIEW + i]);
    for (int i = 0; i < 2; ++i)
        b.FourLooks(ButtonLook(AB_FIRST, i, 0), AB_W, AB_H, ESkinArt::TextButton, TB_AB + i,
                    TEXT_BUTTON[TB_AB + i], std::string("A/B comparison side ") + TEXT_BUTTON[TB_AB + i]);

    std::sort(b.m_Images.begin(), b.m_Images.end(),
              [](const SSkinImage& a, const SSkinImage& c) { return a.nId < c.nId; });
    return std::move(b.m_Images);
}

} // namespace

namespace SkinId {

int SelectButton(bool bPair, int nIndex, int nState, bool bOn) {
    if (nIndex < 0 || nIndex >= (bPair ? 4 : 8) || nState < 0 || nState > 3) return 0;
    for (const SSkinImage& img : SkinManifest())
        if (img.eArt == ESkinArt::SelectButton && img.nIndex == nIndex + (bPair ? 8 : 0) &&
            img.nState == nState && img.nLook == (bOn ? 1 : 0))
            return img.nId;
    return 0;
}

int SpeakerIcon(int nChannel, int nState, int nLook) {
    if (nChannel < 0 || nChannel > 7 || nState < 0 || nState > 2 || nLook < 0 || nLook > 3) return 0;
    const int nSlot = nState * 2 + (nLook & 1); // position within the inactive or active six
    const bool bActive = nLook >= 2;
    if (nChannel < 5) return 711 + 12 * nChannel + (bActive ? 6 : 0) + nSlot;
    if (nChannel < 7) return 972 + 12 * (nChannel - 5) + (bActive ? 6 : 0) + nSlot;
    return (bActive ? 1140 : 996) + nSlot;
}

std::array<int, 12> SpeakerIconSet(int nChannel) {
    std::array<int, 12> ids{};
    for (int nHalf = 0; nHalf < 2; ++nHalf)
        for (int nState = 0; nState < 3; ++nState)
            for (int nOdd = 0; nOdd < 2; ++nOdd)
                ids[6 * nHalf + 2 * nState + nOdd] = SpeakerIcon(nChannel, nState, 2 * nHalf + nOdd);
    return ids;
}

} // namespace SkinId

const std::vector<SSkinImage>& SkinManifest() {
    static const std::vector<SSkinImage> manifest = BuildManifest();
    return manifest;
}

const SSkinImage* FindSkinImage(int nId) {
    const std::vector<SSkinImage>& m = SkinManifest();
    auto it = std::lower_bound(m.begin(), m.end(), nId, [](const SSkinImage& a, int n) { return a.nId < n; });
    return it != m.end() && it->nId == nId ? &*it : nullptr;
}

QString SkinResourcePath(int nId) {
    return QStringLiteral(":/skin/%1.png").arg(nId);
}
