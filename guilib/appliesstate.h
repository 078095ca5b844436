// A widget that shows its control's part of the form state (text, toggle, image state, position),
// so the view mirrors the whole form without asking each widget what it is.
#pragma once

#include "comm/formstate.h"

class IAppliesState {
public:
    virtual void ApplyState(const SControlState& state) = 0;

protected:
    ~IAppliesState() = default;
};
