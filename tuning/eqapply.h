// Putting ten computed bands (imported or fitted) into an output as the user's own edits would: the
// model first, then the processor through the writer (enable flag, then the bands, with the pair
// flag when the output's partner takes them too), then the page and the graph.
//
// It takes the core rather than its parts because the bands end as one undo step, which only the
// core records; callers that hold a core include editor/editorcore.h themselves.
#pragma once

class CEditorCore;
struct SFilterCoef;

// nChannel 0..7; with bPair the partner (nChannel ^ 1) gets the same bands; pBands holds
// CRev8001Lib::EQ_BANDS bands. The equalizer of the output(s) is switched on. True when every send
// succeeded or nothing was connected, false when a send failed (the model holds the bands either
// way, as it does after a failed edit) or the output or the bands were not given.
bool ApplyEqBands(CEditorCore& core, int nChannel, bool bPair, const SFilterCoef* pBands);
