// Editing the time alignment: delays typed in milliseconds, centimetres or inches, stepped, or set by
// dragging a speaker icon on the car picture; carried over to the second channel of a pair.
#pragma once

#include "editor/editcontext.h"
#include "orvix/valuelaws.h"

class CSelection;

class CDelayEditor {
public:
    static constexpr float MAX_MS = DELAY_MAX_MS;
    static constexpr int REFRESH = -1;    // redisplay only
    static constexpr int REPOSITION = -2; // move every icon to its channel's delay

    CDelayEditor(const SEditContext& ctx, CSelection& selection) : m_Ctx(ctx), m_Selection(selection) {}

    // nId: a step button, a box, a speaker icon (with its value in ms), STEP_UP/STEP_DOWN, or the
    // two special values above.
    void OnDelayChange(int nId, float fIconMs = -1.0f);
    void SetDelaySamples(int nChannel, float fMs);
    void RefreshIconSelection();
    void RefreshIconActivity();
    void CommitDelay();

    // Channel of a speaker icon in the current configuration, or -1; icon of a channel, or 0.
    int ChannelOfIcon(int nId) const;
    int IconOfChannel(int nChannel) const;
    // The speaker icon of a channel in the standard configuration of an architecture, or 0.
    static int StandardIcon(int nArch, int nChannel);
    int Architecture() const;
    int PartnerChannel() const;

private:
    void MoveIcon(int nChannel);
    SEditContext m_Ctx;
    CSelection& m_Selection;
};
