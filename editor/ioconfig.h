// Input and output configuration: the standard page (input kind, output architecture, global input
// sensitivity, activation of a ready-made routing) and the expert page (input group, per-input
// sensitivities, the routing matrices). Works on the settings model and the form state of its core.
#pragma once

#include <array>
#include <cstdint>
#include <string>

class CEditorCore;

// Asked before a standard configuration replaces the routing (the confirmation's message image).
constexpr const char* TEXT_CONFIRM_IO_CONFIG = "Save the settings?";

class CIoConfig {
public:
    // Controls of this editor and of the channel selector it shapes.
    static constexpr int IDC_CHANNEL_SELECT = 2006; // 2006..2013
    static constexpr int IDC_PAIR_SELECT = 2015;    // 2015..2018
    static constexpr int IDC_CHANNEL_MUTE = 2019;   // 2019..2026
    static constexpr int IDC_PAIR_MUTE = 2027;      // 2027..2030
    static constexpr int IDC_CHANNEL_SOLO = 2142;   // 2142..2149
    static constexpr int IDC_PAIR_SOLO = 2150;      // 2150..2153
    static constexpr int IDC_INPUT_KIND = 2037;     // 2037..2041
    static constexpr int IDC_EASY_SLIDER = 2042;
    static constexpr int IDC_EASY_BOX = 2043;
    static constexpr int IDC_EASY_HIGHLOW = 2044;
    static constexpr int IDC_EASY_HIGHLOW_2 = 2045; // never shown
    static constexpr int IDC_ARCHITECTURE = 2046;   // 2046..2050
    static constexpr int IDC_ACTIVATE = 2051;
    static constexpr int IDC_EASY_UP = 2055;
    static constexpr int IDC_EASY_DOWN = 2056;
    // Row labels 2069 IN 1-6, 2070 AUX L/R, 2071 OPT L/R, one shown per expert input; a click on
    // 2069 + c (c 0..5) selects main input channel c.
    static constexpr int IDC_EXP_LABEL = 2069;
    static constexpr int IDC_MATRIX_MAIN = 2075;      // + 6 o + n, 2075..2122
    static constexpr int IDC_EXP_SLIDER = 2123;       // 2123..2128
    static constexpr int IDC_EXP_UP = 2160;           // 2160..2165
    static constexpr int IDC_EXP_DOWN = 2166;         // 2166..2171
    static constexpr int IDC_EXP_INPUT = 2172;        // 2172..2174
    static constexpr int IDC_EXP_BOX = 2301;          // 2301..2306
    static constexpr int IDC_MATRIX_AUX = 2307;       // + 2 o + n, 2307..2322
    static constexpr int IDC_MATRIX_NUMERICAL = 2323; // + 2 o + n, 2323..2338
    static constexpr int IDC_AUX_UP = 2339;           // 2339..2340
    static constexpr int IDC_AUX_DOWN = 2341;         // 2341..2342
    static constexpr int IDC_AUX_BOX = 2343;          // 2343..2344
    static constexpr int IDC_EXP_HIGHLOW = 2346;
    static constexpr int IDC_AUX_SLIDER = 2347; // 2347..2348
    // Step codes that stand in for a control when a value is stepped by key or wheel.
    static constexpr int STEP_UP = 5038;
    static constexpr int STEP_DOWN = 5040;

    // Columns of the selector state table: architectures 0..4, then the expert page.
    static constexpr int SELECTOR_EXPERT = 5;
    static constexpr int SELECTOR_BUTTONS = 12; // eight channel buttons, then four pair buttons
    struct SSelectorState {
        int nId;
        int nState;
    };

    explicit CIoConfig(CEditorCore& core) : m_Core(core) {}

    // Standard page. Control IDs as posted by the buttons; -1 redraws the current choice.
    void SelectInputKind(int nId);
    void SelectArchitecture(int nId);
    // Shows the channel controls and architecture buttons that fit; kind and arch 0..4, else nothing.
    void UpdateConfigInput2Output(int nKind, int nArch);
    // Control 2051: confirmation, presets into the routing, standard values into the expert ones,
    // then WM_APPLY_IO_CONFIG (directly, or through timer 11 where m_nOsClass is 1 or 2).
    void ActivateIoConfig();
    // Expiry of timer 11.
    void OnApplyTimer();
    // 2042 (nValue: slider position), 2043 (typed text from the form; nValue STEP_UP/STEP_DOWN
    // steps), 2044, 2055/STEP_UP, 2056/STEP_DOWN; -1 or any other ID redraws. Sends nothing.
    void EditEasySensitivity(int nId, int nValue = 0);
    // Shows or hides the standard sensitivity controls for the current input kind.
    void ShowEasySensitivityControls();
    void RefreshInputKindButtons();

    // Expert page. SelectExpertInput(2172..2174) sends the input and the whole routing; -1 redraws.
    void SelectExpertInput(int nId);
    // A routing-matrix button; -1 redraws the matrices from the routing bytes.
    void ToggleRoute(int nId);
    // Sliders (nValue: position), boxes (typed text; nValue STEP_UP/STEP_DOWN steps), steppers,
    // channel labels and the high/low switch. Steppers and labels send the levels of their group at
    // once, the switch sends the high/low flag; sliders and boxes are sent by CommitExpertSensitivity.
    void EditExpertSensitivity(int nId, int nValue = 0);
    // The auto-repeat of a held stepper: the model and display step, the click that ends the hold sends.
    void RepeatExpertSensitivity(int nId);
    // Sends the levels of the group behind an expert sensitivity control (slider release, Enter, key
    // release). Returns the command's result, 0 for a control that is not one of them.
    int CommitExpertSensitivity(int nId);
    void RefreshExpertSensitivity();

    // The image set of every channel and pair selector button for an architecture or SELECTOR_EXPERT;
    // any other column gives state 0 everywhere.
    static std::array<SSelectorState, SELECTOR_BUTTONS> SelectorStates(int nColumn);
    void ApplySelectorStates(int nColumn);
    // The expert routing may feed any output: every channel and pair can be selected.
    void ShowAllSelectors();
    // The channel and pair selectors of the current mode: all of them in expert mode, those of the
    // architecture in standard mode; with their image states.
    void ShowModeSelectors();

    // Typed volts to a sensitivity index: clamped to the table, then the smallest entry not below it.
    static int SensitivityFromVolts(double fVolts, int bHighTable);
    // The leading decimal number of a box's text; 0 when there is none (or it is not finite).
    static double ParseVolts(const std::string& text);

    // Class of the operating system, decided at start-up; 0 on Linux.
    int m_nOsClass = 0;

private:
    enum EMatrix { MATRIX_NONE = -1, MATRIX_MAIN = 0, MATRIX_AUX = 1, MATRIX_NUMERICAL = 2 };
    struct SRoute {
        EMatrix eMatrix = MATRIX_NONE;
        int nOutput = 0;
        int nInput = 0;
    };
    static SRoute DecodeRoute(int nId);
    std::uint8_t* RouteByte(const SRoute& r);
    static int RouteBit(const SRoute& r);
    void RedrawMatrices();
    void EditExpert(int nId, int nValue, bool bSend);
    void LayoutExpertInput();
    void ShowExpertGroup(bool bAux, int c, bool bVisible);
    void RefreshSelection();
    // Ends an active solo: the real mutes go to the processor and the solo display is cleared.
    void EndSolo();
    void ShowArchitectureSelectors(int nKind, int nArch);
    void ShowChannelControls(int nChannel, bool bVisible);
    void ShowPairControls(int nPair, bool bVisible);

    CEditorCore& m_Core;
};
