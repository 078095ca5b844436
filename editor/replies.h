// Applying the processor's replies to the model.
#pragma once

#include <cstdint>

#include "comm/protocol.h"
#include "editor/editcontext.h"

class CFilterEditor;

class CReplyHandler {
public:
    static constexpr int COPY_BUFFER = 1024;

    CReplyHandler(const SEditContext& ctx, CFilterEditor& filters) : m_Ctx(ctx), m_Filters(filters) {}

    void OnIpcReceive(const std::uint8_t* pChunk, int nLength);
    void ParseReply(const SIpcPacket& rec);
    void OnAck(const SIpcPacket& rec);
    void OnGraphRefresh();
    void OnGraphTimer();

    SIpcPacket m_RxPacket;

private:
    bool CheckLength(int nCheck, int nLength, int nLow, int nHigh, int nExpected);
    void OnLevel(const SIpcPacket& rec);
    void OnInput(const SIpcPacket& rec);
    void OnMap(const SIpcPacket& rec);
    void OnFilter(const SIpcPacket& rec, bool bXover);
    SEditContext m_Ctx;
    CFilterEditor& m_Filters;
};
