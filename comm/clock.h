// Time as the protocol sees it: now, a pause, and a wait for an event with a time-out. The steady
// clock blocks for real; a virtual clock in a test moves on by the time asked for instead.
#pragma once

#include <cstdint>

#include "zsync.h"

class IClock {
public:
    virtual ~IClock() = default;

    virtual std::uint32_t NowMs() = 0;
    virtual void Sleep(std::uint32_t nMs) = 0;
    // WAIT_OBJECT_0 once rEvent is set (an auto-reset event is cleared by the wait), WAIT_TIMEOUT
    // when nMs passed first.
    virtual int Wait(ZUtils::ZEvent& rEvent, std::uint32_t nMs) = 0;
};

// Real time: the monotonic tick count and real blocking.
class CSteadyClock : public IClock {
public:
    std::uint32_t NowMs() override;
    void Sleep(std::uint32_t nMs) override;
    int Wait(ZUtils::ZEvent& rEvent, std::uint32_t nMs) override;
};
