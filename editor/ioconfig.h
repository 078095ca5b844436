// Input and output configuration: the standard page (input kind, output architecture, global input
// sensitivity, activation of a ready-made routing) and the expert page (input group, per-input
// sensitivities, the routing matrices). Works on the settings model and the form state of its core.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "editor/controlids.h"
#include "editor/editcontext.h"

// Asked before a standard configuration replaces the routing (the confirmation's message image).
constexpr const char* TEXT_CONFIRM_IO_CONFIG = "Save the settings?";

class CIoConfig {
public:
    // Columns of the selector state table: architectures 0..4, then the expert page.
    static constexpr int SELECTOR_EXPERT = 5;
    static constexpr int SELECTOR_BUTTONS = 12; // eight channel buttons, then four pair buttons
    struct SSelectorState {
        int nId;
        int nState;
    };

    explicit CIoConfig(const SEditContext& ctx) : m_Ctx(ctx) {}

    // Standard page. Control IDs as posted by the buttons; -1 redraws the current choice.
    void SelectInputKind(int nId);
    void SelectArchitecture(int nId);
    // Shows the channel controls and architecture buttons that fit; kind and arch 0..4, else nothing.
    void UpdateConfigInput2Output(int nKind, int nArch);
    // ctl::ACTIVATE: confirmation, presets into the routing, standard values into the expert ones,
    // then WM_APPLY_IO_CONFIG (directly, or through timer 11 where m_nOsClass is 1 or 2).
    void ActivateIoConfig();
    // Expiry of timer 11.
    void OnApplyTimer();
    // EASY_SENS_SLIDER (nValue: slider position), EASY_SENS_BOX (typed text from the form; nValue
    // STEP_UP/STEP_DOWN steps), EASY_LOW_HIGH, EASY_SENS_UP/STEP_UP, EASY_SENS_DOWN/STEP_DOWN; -1 or
    // any other ID redraws. Sends nothing.
    void EditEasySensitivity(int nId, int nValue = 0);
    // Shows or hides the standard sensitivity controls for the current input kind.
    void ShowEasySensitivityControls();
    void RefreshInputKindButtons();

    // Expert page. SelectExpertInput(ctl::EXP_INPUT) sends the input and the whole routing; -1 redraws.
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
    // Selects the first pair, as a new input or architecture does.
    void SelectFirstPair();
    // Ends an active solo: the real mutes go to the processor and the solo display is cleared.
    void EndSolo();
    void ShowArchitectureSelectors(int nKind, int nArch);
    void ShowChannelControls(int nChannel, bool bVisible);
    void ShowPairControls(int nPair, bool bVisible);

    SEditContext m_Ctx;
};
