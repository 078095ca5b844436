// Putting ten computed bands (imported or fitted) into an output as the user's own edits would: the
// model first, then the processor through the writer (enable flag, then the bands, with the pair
// flag when the output's partner takes them too), then the page and the graph.
#pragma once

#include "comm/sfiltercoef.h"

class CEditorCore;

// nChannel 0..7; with bPair the partner (nChannel ^ 1) gets the same bands. The equalizer of the
// output(s) is switched on. Returns 1 when every send succeeded or nothing was connected, 0 when a
// send failed (the model holds the bands either way, as it does after a failed edit).
int ApplyEqBands(CEditorCore& core, int nChannel, bool bPair, const SFilterCoef* pBands);
