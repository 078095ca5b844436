// The channel selection (one channel or a pair), mute, solo and phase, and the two level editors
// of the top bar.
#pragma once

#include "editor/editcontext.h"

class CSelection {
public:
    explicit CSelection(const SEditContext& ctx) : m_Ctx(ctx) {}

    // The selection's own display; the page showing the channel is refreshed by CPages::SelectChannel.
    void SelectChannel(int nId);
    // Selects a channel (bPair: with its partner) and refreshes the whole selection display: buttons,
    // the channel level, phase, mutes and the equalizer switch.
    void Select(int nChannel, bool bPair);
    void RefreshChannelButtons();
    void ToggleMute(int nId);
    void ToggleSolo(int nId);
    void TogglePhase(int nId);
    void RefreshMuteButtons();
    void RefreshPhaseButtons();
    int PartnerChannel() const;
    // nSource: the box, the knob (with nValue), a step button or STEP_UP/STEP_DOWN.
    void SetMainLevel(int nSource, int nValue = 0);
    void SetChannelLevel(int nSource, int nChannel, int nValue = 0);

    void SendMainVolume();
    void SendChannelVolume();
    void SendMuteMask();
    void SendSoloMask();
    void SendPhase();

private:
    SEditContext m_Ctx;
};
