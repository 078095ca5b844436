// The simulated processor's behaviour: one request frame in, at most one reply frame out. No I/O and
// no locking here; CSimProcessor serialises the calls.
//
// Rules the device follows:
// - Only frames whose SlaveAddr is the device's address are answered; all others are ignored.
// - The presence probe (ID 0, Mode 0x80) gets an ID 0 data reply with the 4-byte System block.
// - A read (Mode 0x80) gets a data reply (Mode 0x80, byte 1 = 0x80 | ID) with the request's Channel
//   and SubIndex and the body of that group: single-channel forms for Channel 0..7, Channel 8 for the
//   main volume, Channel 9 for the all-channel forms of routing, levels, volumes and delays; levels
//   are chosen by SubIndex (0 main, 1 aux). Groups without channels ignore the Channel byte.
// - A write (Mode 1, 2 or 3) gets an acknowledgement: same ID, Mode 1, the request's Channel and
//   SubIndex, Length 0.
// - A request the device cannot carry out (unknown channel, band or filter index, wrong body length,
//   a value out of range, Mode 3 on anything but the preset selection, an unknown mode) changes
//   nothing and is answered with the status VA_ERROR instead of VA_OK: an acknowledgement for writes,
//   an empty data reply for reads.
// - Mode 1 writes change the running configuration. VA_PRESET with Mode 1 copies memory n into the
//   running configuration and makes n the memory in use; with Mode 3 it makes n the store target, and
//   following Mode 2 writes change only that memory (until the next Mode 3; the target starts as the
//   memory in use). The VA_PRESET read reports the memory in use (0..3).
// - Pairs: the manager sends an edit of a linked pair once, for the selected channel, with SumFlag 1.
//   A volume, phase, enable-flag or filter-record write with SumFlag != 0 is applied to the partner
//   channel (channel XOR 1) as well. Channel 9 applies such a write to all eight channels.
// - Flags are stored as 0 or 1; filter records are stored as the eight bytes received.
// - VA_UPDATE brackets are acknowledged and remembered (its read returns the last phase and code).
#pragma once

#include "simconfig.h"
#include "simframe.h"

#include <string>
#include <vector>

namespace Sim {

struct SSimReply {
    bool bReply = false;             // false: say nothing
    std::vector<std::uint8_t> Frame; // the reply frame when bReply
    std::string szNote;              // what was done, for the log
};

class CSimDevice {
public:
    CSimDevice();

    SSimReply Handle(const SSimFrame& request);

    void SetAddress(int nAddress) { m_nAddress = nAddress; }
    int Address() const { return m_nAddress; }

    const SSimConfig& Running() const { return m_Running; }
    void SetRunning(const SSimConfig& cfg) { m_Running = cfg; }
    const SSimConfig& Memory(int n) const;
    void SetMemory(int n, const SSimConfig& cfg);
    int CurrentPreset() const { return m_nCurrentPreset; }
    int StoreTarget() const { return m_nStoreTarget; }

private:
    SSimReply HandleRead(const SSimFrame& request);
    SSimReply HandleWrite(const SSimFrame& request);
    SSimReply MakeReply(const SSimFrame& request, std::uint8_t nStatus, std::uint8_t nMode,
                        const std::vector<std::uint8_t>& body, std::string szNote) const;

    int m_nAddress = 0;
    SSimConfig m_Running;
    SSimConfig m_Memory[kPresets];
    int m_nCurrentPreset = 0;
    int m_nStoreTarget = 0;
    std::uint8_t m_Update[2] = {0, 0};
};

// The body of the read reply for (ID, Channel, SubIndex) from cfg; false when there is none.
bool ReadBody(const SSimConfig& cfg, std::uint8_t nId, std::uint8_t nChannel, std::uint8_t nSubIndex,
              std::vector<std::uint8_t>& body, std::string& szWhy);

// Applies a write body to cfg. On false cfg is unchanged and szWhy says why.
bool ApplyWrite(SSimConfig& cfg, std::uint8_t nId, std::uint8_t nChannel, std::uint8_t nSubIndex,
                const std::vector<std::uint8_t>& body, std::string& szWhy);

} // namespace Sim
