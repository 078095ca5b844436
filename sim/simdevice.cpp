#include "simdevice.h"

#include <cstdio>

namespace Sim {

namespace {

std::string Format(const char* pszFormat, int a = 0, int b = 0, int c = 0) {
    char sz[160];
    std::snprintf(sz, sizeof sz, pszFormat, a, b, c);
    return sz;
}

bool CheckLength(const std::vector<std::uint8_t>& body, std::size_t nExpected, std::string& szWhy) {
    if (body.size() == nExpected) return true;
    szWhy =
        Format("body of %d bytes, %d expected", static_cast<int>(body.size()), static_cast<int>(nExpected));
    return false;
}

// Output channels a per-channel write reaches: the channel and, with SumFlag set, its partner;
// channel 9 reaches all of them.
bool Targets(std::uint8_t nChannel, std::uint8_t nSumFlag, std::vector<int>& out, std::string& szWhy) {
    out.clear();
    if (nChannel == 9) {
        for (int ch = 0; ch < kChannels; ++ch)
            out.push_back(ch);
        return true;
    }
    if (nChannel >= kChannels) {
        szWhy = Format("no output channel %d", nChannel);
        return false;
    }
    out.push_back(nChannel);
    if (nSumFlag) out.push_back(nChannel ^ 1);
    return true;
}

SFilterBytes RecordOf(const std::vector<std::uint8_t>& body) {
    SFilterBytes rec{};
    for (std::size_t i = 0; i < rec.size(); ++i)
        rec[i] = body[1 + i];
    return rec;
}

std::uint8_t Flag(std::uint8_t b) {
    return b ? 1 : 0;
}

std::uint16_t U16(const std::vector<std::uint8_t>& body, std::size_t nAt) {
    return static_cast<std::uint16_t>(body[nAt] | (body[nAt + 1] << 8));
}

void PutU16(std::vector<std::uint8_t>& body, std::uint16_t n) {
    body.push_back(static_cast<std::uint8_t>(n & 0xFF));
    body.push_back(static_cast<std::uint8_t>(n >> 8));
}

void PutRecord(std::vector<std::uint8_t>& body, const SFilterBytes& rec) {
    body.push_back(0); // SumFlag: the device keeps no link state
    body.insert(body.end(), rec.begin(), rec.end());
}

// Level group 0 is the main inputs, 1 the aux inputs.
std::array<std::uint8_t, kLevels>* LevelGroup(SSimConfig& cfg, std::uint8_t nSubIndex) {
    if (nSubIndex == 0) return &cfg.nLevelMain;
    if (nSubIndex == 1) return &cfg.nLevelAux;
    return nullptr;
}

// A per-channel byte (phase, enable flags) written as SumFlag + value.
bool WriteChannelFlag(std::array<std::uint8_t, kChannels>& flags, std::uint8_t nChannel,
                      const std::vector<std::uint8_t>& body, std::string& szWhy) {
    std::vector<int> targets;
    if (!CheckLength(body, 2, szWhy) || !Targets(nChannel, body[0], targets, szWhy)) return false;
    for (int ch : targets)
        flags[ch] = Flag(body[1]);
    return true;
}

} // namespace

bool ApplyWrite(SSimConfig& cfg, std::uint8_t nId, std::uint8_t nChannel, std::uint8_t nSubIndex,
                const std::vector<std::uint8_t>& body, std::string& szWhy) {
    SSimConfig next = cfg;
    std::vector<int> targets;
    switch (static_cast<EId>(nId)) {
    case EId::System:
        if (!CheckLength(body, 4, szWhy)) return false;
        for (int i = 0; i < 4; ++i)
            next.System[i] = body[i];
        break;
    case EId::Map:
        if (nChannel < kChannels) {
            if (!CheckLength(body, 3, szWhy)) return false;
            for (int i = 0; i < 3; ++i)
                next.Map[3 * nChannel + i] = body[i];
        } else if (nChannel == 9) {
            if (!CheckLength(body, 25, szWhy)) return false;
            for (int i = 0; i < 24; ++i)
                next.Map[i] = body[i];
            next.Easy_Expert = Flag(body[24]);
        } else {
            szWhy = Format("no routing for channel %d", nChannel);
            return false;
        }
        break;
    case EId::Mute:
        if (!CheckLength(body, 1, szWhy)) return false;
        next.nMuteMask = body[0];
        break;
    case EId::Level: {
        auto* pLevels = LevelGroup(next, nSubIndex);
        if (!pLevels) {
            szWhy = Format("no level group %d", nSubIndex);
            return false;
        }
        std::size_t nFirst = 0, nCount = 0;
        if (nChannel < kLevels) {
            if (!CheckLength(body, 2, szWhy)) return false;
            nFirst = nChannel;
            nCount = nChannel + 1 < kLevels ? 2 : 1;
        } else if (nChannel == 9) {
            if (!CheckLength(body, kLevels, szWhy)) return false;
            nCount = kLevels;
        } else {
            szWhy = Format("no input pair at channel %d", nChannel);
            return false;
        }
        for (std::size_t i = 0; i < nCount; ++i) {
            if (body[i] > kMaxLevel) {
                szWhy = Format("level byte %d above 13", body[i]);
                return false;
            }
            (*pLevels)[nFirst + i] = static_cast<std::uint8_t>(kMaxLevel - body[i]);
        }
        break;
    }
    case EId::Volume:
        if (nChannel == 9) {
            if (!CheckLength(body, kChannels, szWhy)) return false;
            for (int ch = 0; ch < kChannels; ++ch) {
                if (body[ch] > kMaxVolume) {
                    szWhy = Format("volume %d above 128", body[ch]);
                    return false;
                }
                next.nVolume[ch] = body[ch];
            }
            break;
        }
        if (!CheckLength(body, 2, szWhy)) return false;
        if (body[1] > kMaxVolume) {
            szWhy = Format("volume %d above 128", body[1]);
            return false;
        }
        if (nChannel == 8) {
            next.nMainVolume = body[1];
            break;
        }
        if (!Targets(nChannel, body[0], targets, szWhy)) return false;
        for (int ch : targets)
            next.nVolume[ch] = body[1];
        break;
    case EId::Delay: {
        std::size_t nFirst = 0, nCount = 0;
        if (nChannel < kChannels) {
            if (!CheckLength(body, 4, szWhy)) return false;
            nFirst = nChannel;
            nCount = nChannel + 1 < kChannels ? 2 : 1;
        } else if (nChannel == 9) {
            if (!CheckLength(body, 2 * kChannels, szWhy)) return false;
            nCount = kChannels;
        } else {
            szWhy = Format("no delay for channel %d", nChannel);
            return false;
        }
        for (std::size_t i = 0; i < nCount; ++i) {
            const std::uint16_t nDelay = U16(body, 2 * i);
            if (nDelay > kMaxDelay) {
                szWhy = Format("delay %d above 8191", nDelay);
                return false;
            }
            next.nDelay[nFirst + i] = nDelay;
        }
        break;
    }
    case EId::Input:
        if (!CheckLength(body, 2, szWhy)) return false;
        if (body[0] > 2 || body[1] > 2) {
            szWhy = Format("no input %d/%d", body[0], body[1]);
            return false;
        }
        next.Input = body[0];
        next.SubInput = body[1];
        break;
    case EId::Filter:
    case EId::Xover: {
        const bool bEq = static_cast<EId>(nId) == EId::Filter;
        const int nLimit = bEq ? kEqBands : kXoverFilters;
        if (!CheckLength(body, 9, szWhy)) return false;
        if (nSubIndex >= nLimit) {
            szWhy = Format(bEq ? "no band %d" : "no crossover filter %d", nSubIndex);
            return false;
        }
        if (!Targets(nChannel, body[0], targets, szWhy)) return false;
        for (int ch : targets)
            (bEq ? next.Eq[ch][nSubIndex] : next.Xover[ch][nSubIndex]) = RecordOf(body);
        break;
    }
    case EId::HighLow:
        if (!CheckLength(body, 1, szWhy)) return false;
        next.bHighLow = Flag(body[0]);
        break;
    case EId::Phase:
        if (!WriteChannelFlag(next.bPhase, nChannel, body, szWhy)) return false;
        break;
    case EId::EqFlag:
        if (!WriteChannelFlag(next.bEqFlag, nChannel, body, szWhy)) return false;
        break;
    case EId::XoverFlag:
        if (!WriteChannelFlag(next.bXoverFlag, nChannel, body, szWhy)) return false;
        break;
    case EId::VeqFlag:
        if (!WriteChannelFlag(next.bVeqFlag, nChannel, body, szWhy)) return false;
        break;
    case EId::VeqFilter:
        if (!CheckLength(body, 9, szWhy) || !Targets(nChannel, body[0], targets, szWhy)) return false;
        for (int ch : targets)
            next.Veq[ch] = RecordOf(body);
        break;
    case EId::VeqVSel:
        if (!CheckLength(body, 1, szWhy)) return false;
        next.nVeqVoltage = body[0];
        break;
    case EId::Output:
        if (!CheckLength(body, 5, szWhy)) return false;
        for (int i = 0; i < 5; ++i) {
            if (body[i] > 4) {
                szWhy = Format("output architecture %d above 4", body[i]);
                return false;
            }
            next.Output[i] = body[i];
        }
        break;
    default: // VA_UPDATE and VA_PRESET are handled by the device; VA_PASSWORD and VA_VEQLED are read-only
        szWhy = IdName(nId) + " cannot be written";
        return false;
    }
    cfg = next;
    return true;
}

bool ReadBody(const SSimConfig& cfg, std::uint8_t nId, std::uint8_t nChannel, std::uint8_t nSubIndex,
              std::vector<std::uint8_t>& body, std::string& szWhy) {
    body.clear();
    const bool bOutput = nChannel < kChannels;
    auto needOutput = [&]() {
        if (!bOutput) szWhy = Format("no output channel %d", nChannel);
        return bOutput;
    };
    switch (static_cast<EId>(nId)) {
    case EId::System:
        body.assign(cfg.System.begin(), cfg.System.end());
        return true;
    case EId::Map:
        if (bOutput) {
            body.assign(cfg.Map.begin() + 3 * nChannel, cfg.Map.begin() + 3 * nChannel + 3);
            return true;
        }
        if (nChannel == 9) {
            body.assign(cfg.Map.begin(), cfg.Map.end());
            body.push_back(cfg.Easy_Expert);
            return true;
        }
        szWhy = Format("no routing for channel %d", nChannel);
        return false;
    case EId::Mute:
        body = {cfg.nMuteMask};
        return true;
    case EId::Level: {
        const std::array<std::uint8_t, kLevels>* pLevels =
            nSubIndex == 0 ? &cfg.nLevelMain : (nSubIndex == 1 ? &cfg.nLevelAux : nullptr);
        if (!pLevels) {
            szWhy = Format("no level group %d", nSubIndex);
            return false;
        }
        auto wire = [&](std::size_t n) {
            return static_cast<std::uint8_t>(kMaxLevel - (n < kLevels ? (*pLevels)[n] : 0));
        };
        if (nChannel < kLevels) {
            body = {wire(nChannel), wire(nChannel + 1u)};
            return true;
        }
        if (nChannel == 9) {
            for (std::size_t n = 0; n < kLevels; ++n)
                body.push_back(wire(n));
            return true;
        }
        szWhy = Format("no input pair at channel %d", nChannel);
        return false;
    }
    case EId::Volume:
        if (bOutput)
            body = {0, cfg.nVolume[nChannel]};
        else if (nChannel == 8)
            body = {0, cfg.nMainVolume};
        else if (nChannel == 9)
            body.assign(cfg.nVolume.begin(), cfg.nVolume.end());
        else {
            szWhy = Format("no volume for channel %d", nChannel);
            return false;
        }
        return true;
    case EId::Delay:
        if (bOutput) {
            PutU16(body, cfg.nDelay[nChannel]);
            PutU16(body, nChannel + 1 < kChannels ? cfg.nDelay[nChannel + 1] : 0);
        } else if (nChannel == 9) {
            for (std::uint16_t n : cfg.nDelay)
                PutU16(body, n);
        } else {
            szWhy = Format("no delay for channel %d", nChannel);
            return false;
        }
        return true;
    case EId::Input:
        body = {cfg.Input, cfg.SubInput};
        return true;
    case EId::Filter:
        if (!needOutput()) return false;
        if (nSubIndex >= kEqBands) {
            szWhy = Format("no band %d", nSubIndex);
            return false;
        }
        PutRecord(body, cfg.Eq[nChannel][nSubIndex]);
        return true;
    case EId::HighLow:
        body = {cfg.bHighLow};
        return true;
    case EId::Xover:
        if (!needOutput()) return false;
        if (nSubIndex >= kXoverFilters) {
            szWhy = Format("no crossover filter %d", nSubIndex);
            return false;
        }
        PutRecord(body, cfg.Xover[nChannel][nSubIndex]);
        return true;
    case EId::Phase:
        if (!needOutput()) return false;
        body = {0, cfg.bPhase[nChannel]};
        return true;
    case EId::EqFlag:
        if (!needOutput()) return false;
        body = {0, cfg.bEqFlag[nChannel]};
        return true;
    case EId::XoverFlag:
        if (!needOutput()) return false;
        body = {0, cfg.bXoverFlag[nChannel]};
        return true;
    case EId::VeqFlag:
        if (!needOutput()) return false;
        body = {0, cfg.bVeqFlag[nChannel]};
        return true;
    case EId::VeqFilter:
        if (!needOutput()) return false;
        PutRecord(body, cfg.Veq[nChannel]);
        return true;
    case EId::Password:
        body.assign(cfg.Password.begin(), cfg.Password.end());
        return true;
    case EId::VeqVSel:
        body = {cfg.nVeqVoltage};
        return true;
    case EId::VeqLed:
        body = {cfg.nVeqLed};
        return true;
    case EId::Output:
        body.assign(cfg.Output.begin(), cfg.Output.end());
        return true;
    default: // VA_UPDATE and VA_PRESET are answered by the device itself
        szWhy = IdName(nId) + " cannot be read here";
        return false;
    }
}

CSimDevice::CSimDevice() {
    for (int n = 0; n < kPresets; ++n)
        m_Memory[n] = MakeTune(n);
    m_Running = m_Memory[0];
}

const SSimConfig& CSimDevice::Memory(int n) const {
    return m_Memory[n >= 0 && n < kPresets ? n : 0];
}

void CSimDevice::SetMemory(int n, const SSimConfig& cfg) {
    if (n >= 0 && n < kPresets) m_Memory[n] = cfg;
}

SSimReply CSimDevice::MakeReply(const SSimFrame& request, std::uint8_t nStatus, std::uint8_t nMode,
                                const std::vector<std::uint8_t>& body, std::string szNote) const {
    SSimReply reply;
    reply.bReply = true;
    reply.Frame =
        BuildFrame(static_cast<std::uint8_t>(m_nAddress), static_cast<std::uint8_t>(nStatus | request.Id),
                   nMode, request.Channel, request.SubIndex, body);
    reply.szNote = std::move(szNote);
    return reply;
}

SSimReply CSimDevice::Handle(const SSimFrame& request) {
    if (request.SlaveAddr != m_nAddress) {
        SSimReply none;
        none.szNote = Format("addr %d is not ours -> ignored", request.SlaveAddr);
        return none;
    }
    if (request.Mode == kModeRead) return HandleRead(request);
    if (request.Mode == kModeWrite || request.Mode == kModeStore || request.Mode == kModeSelectStore)
        return HandleWrite(request);
    return MakeReply(request, kStatusError, kModeWrite, {},
                     IdName(request.Id) + Format(" mode 0x%02X unknown -> error ack", request.Mode));
}

SSimReply CSimDevice::HandleRead(const SSimFrame& request) {
    const std::string szWhat =
        IdName(request.Id) + Format(" ch %d sub %d", request.Channel, request.SubIndex);
    std::vector<std::uint8_t> body;
    std::string szWhy;
    bool bOk = true;
    if (static_cast<EId>(request.Id) == EId::System) {
        // The presence probe: Channel and SubIndex of the reply are 0 whatever the request carried.
        SSimFrame probe = request;
        probe.Channel = probe.SubIndex = 0;
        return MakeReply(probe, kStatusOk, kModeRead, {m_Running.System.begin(), m_Running.System.end()},
                         Format("probe addr %d -> reply", m_nAddress));
    }
    if (static_cast<EId>(request.Id) == EId::Preset)
        body = {static_cast<std::uint8_t>(m_nCurrentPreset)};
    else if (static_cast<EId>(request.Id) == EId::Update)
        body = {m_Update[0], m_Update[1]};
    else
        bOk = ReadBody(m_Running, request.Id, request.Channel, request.SubIndex, body, szWhy);
    if (!bOk)
        return MakeReply(request, kStatusError, kModeRead, {},
                         "read " + szWhat + " -> error reply: " + szWhy);
    return MakeReply(request, kStatusOk, kModeRead, body,
                     "read " + szWhat + Format(" -> reply %d bytes", static_cast<int>(body.size())));
}

SSimReply CSimDevice::HandleWrite(const SSimFrame& request) {
    const EId id = static_cast<EId>(request.Id);
    const std::string szWhat =
        IdName(request.Id) + Format(" mode %d ch %d sub %d", request.Mode, request.Channel, request.SubIndex);
    auto error = [&](const std::string& szWhy) {
        return MakeReply(request, kStatusError, kModeWrite, {},
                         "write " + szWhat + " -> error ack: " + szWhy);
    };
    auto ack = [&](const std::string& szWhat2) {
        return MakeReply(request, kStatusOk, kModeWrite, {}, "write " + szWhat2 + " -> ack");
    };

    if (id == EId::Preset) {
        if (request.Body.size() != 1)
            return error(Format("body of %d bytes, 1 expected", static_cast<int>(request.Body.size())));
        const int n = request.Body[0];
        if (n >= kPresets) return error(Format("no preset %d", n));
        if (request.Mode == kModeWrite) {
            m_Running = m_Memory[n];
            m_nCurrentPreset = n;
            m_nStoreTarget = n;
            return ack(szWhat + Format(": recall preset %d", n));
        }
        if (request.Mode == kModeSelectStore) {
            m_nStoreTarget = n;
            return ack(szWhat + Format(": store into preset %d", n));
        }
        return error("mode 2 does not select a preset");
    }
    if (request.Mode == kModeSelectStore) return error("mode 3 selects a preset only");
    if (id == EId::Update) {
        if (request.Body.size() != 2)
            return error(Format("body of %d bytes, 2 expected", static_cast<int>(request.Body.size())));
        m_Update[0] = request.Body[0];
        m_Update[1] = request.Body[1];
        return ack(szWhat + Format(": bracket phase %d code %d", request.Body[0], request.Body[1]));
    }
    const bool bStore = request.Mode == kModeStore;
    SSimConfig& target = bStore ? m_Memory[m_nStoreTarget] : m_Running;
    std::string szWhy;
    if (!ApplyWrite(target, request.Id, request.Channel, request.SubIndex, request.Body, szWhy))
        return error(szWhy);
    return ack(szWhat + (bStore ? Format(" into preset %d", m_nStoreTarget) : std::string()));
}

} // namespace Sim
