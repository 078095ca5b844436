// The table of every skin image: its ID, pixel size, film-strip frame count and what it is for.
// The generator draws from this table and the library compiles the result in, so the table is also
// what a caller can rely on to be present under SkinResourcePath().
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "skinids.h"

// Drawing family of an image (what the generator paints).
enum class ESkinArt {
    WindowBackground,
    TabBar,
    TopBar,
    Page,         // nIndex: page 0..4
    ValueFrame,   // nIndex: 0 level (dB), 1 sensitivity (V)
    XoverFrame,   // nIndex: 0 slope, 1 frequency
    Stepper,      // nIndex: 0 up, 1 down; nLook: 0 normal, 1 pressed
    Knob,         // film strip
    Ring,         // film strip; nIndex: 0 channel, 1 main
    RoundButton,  // nIndex: 0 phase, 1 help; nLook 0..3
    SelectButton, // nIndex: channel 0..7 or pair 8..11; nState: role 0..3; nLook: 0 off, 1 on
    MuteSolo,     // nIndex: 0 mute, 1 solo; nLook: 0 off, 1 on
    Graph,
    ModeSwitch,  // nLook: 0 standard, 1 expert
    EqSwitch,    // nLook: 0 off, 1 on
    LevelSwitch, // nLook: 0 low, 1 high
    SliderThumb,
    SliderFill,
    SliderTrack,
    SensLabel,
    Speaker, // nIndex: speaker kind; nLook: 0 normal, 1 phase-inverted
    BlankPanel,
    FaderThumb, // film strip
    FaderTrack,
    QKnob,       // film strip
    XoverSymbol, // nIndex: 0 high-pass, 1 low-pass
    XoverLabel,  // nIndex: 0 high-pass, 1 low-pass
    SpeakerIcon, // nIndex: channel 0..7; nState: size 0..2; nLook 0..3
    Car,
    Animation,    // nIndex: frame 0..49
    ManualButton, // nLook: 0 normal, 1 pressed
    DialogBackground,
    AboutContent,
    DialogButton, // nIndex: 0 cancel, 1 OK; nLook: 0 normal, 1 pressed
    Message,      // nIndex: 0 save question, 1 quit question; nLook: 0 Chinese, 1 English
    WebLink,
    Indicator,  // nLook: 0 not connected, 1 connected
    RowLabel,   // nIndex: 0 IN 1-6, 1 AUX, 2 OPT
    Tab,        // nIndex: page tab 0..3; nLook 0..3
    TextButton, // nIndex: see the manifest; nLook 0..3
    RouteLight, // nLook 0..3
    AppIcon,    // the program's icon
};

struct SSkinImage {
    int nId;
    int nWidth;  // whole image
    int nHeight; // whole image
    int nFrames; // > 1: a vertical film strip of nFrames frames, each nHeight / nFrames high
    ESkinArt eArt;
    int nIndex;
    int nState;
    int nLook;
    std::string szText;    // label drawn into the image, if any
    std::string szPurpose; // one line for the manifest listing
};

// Labelled push buttons of the TextButton family, by nIndex.
enum ETextButton {
    TB_INPUT_KIND = 0,    // 0..4: 5.1 wired, 4 wired, 2 wired, AUX, numerical
    TB_ARCH = 5,          // 5..9: the five output architectures
    TB_ACTIVATE = 10,     //
    TB_XOVER_TYPE = 11,   // 11..13: high-pass, band-pass, low-pass
    TB_EXPERT_INPUT = 14, // 14..16: MAIN, AUX, OPT
    TB_SYSTEM_VIEW = 17,  // 17..19: the graph's system view switches SYSTEM, PHASE, UNWRAP
    TB_AB = 20,           // 20..21: the A and B sides of the comparison
    TB_COUNT = 22,
};

// Every image, ordered by ID.
const std::vector<SSkinImage>& SkinManifest();

// The manifest entry of an ID, or null.
const SSkinImage* FindSkinImage(int nId);

// Qt resource path of an image: ":/skin/<ID>.png".
QString SkinResourcePath(int nId);

// Registers the compiled-in images. Call once before loading; further calls do nothing.
void InitSkinResources();
