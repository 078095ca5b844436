// The manager's frame parser and reply decoding fed an arbitrary byte stream: byte-wise into a receive
// record, and in chunks through the link's receive callback (a closed link, no window).
#include <cstring>
#include <memory>

#include "comm/protocol.h"
#include "fuzz/fuzzcheck.h"

namespace {

// What a completed frame may hold, whatever came before it.
void CheckFrame(const SIpcPacket& rec) {
    FUZZ_CHECK(rec.ID <= VA_ID_MAX);
    FUZZ_CHECK(rec.Length <= IPC_DATA_CAPACITY);
    FUZZ_CHECK(rec.state == 0 && rec.nDataLen == 0);
    if (rec.Length == 0) return; // an acknowledgement: no body, nothing decoded
    const int ch = rec.Channel;
    switch (rec.ID) {
    case VA_LEVEL:
        if (ch <= 5) {
            FUZZ_CHECK(rec.Level(ch) <= 13 && rec.Level(ch + 1) <= 13);
        } else {
            FUZZ_CHECK(ch == 9);
            for (int i = 0; i < 6; ++i)
                FUZZ_CHECK(rec.Level(i) <= 13);
        }
        break;
    case VA_DELAY:
        if (ch <= 7) {
            FUZZ_CHECK(rec.Delay(ch) <= 8191);
            if (ch <= 6) FUZZ_CHECK(rec.Delay(ch + 1) <= 8191);
        } else if (ch == 9) {
            for (int i = 0; i < 8; ++i)
                FUZZ_CHECK(rec.Delay(i) <= 8191);
        }
        break;
    case VA_MAP:
        FUZZ_CHECK(ch <= 7 || (ch == 9 && rec.Length == 25));
        break;
    case VA_VOLUME:
        FUZZ_CHECK(ch <= 9);
        break;
    default:
        break;
    }
}

CProtocol& Link() {
    static auto* pLink = new CProtocol; // never opened; lives for the whole run
    return *pLink;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize) {
    if (nSize < 2) return 0;
    const std::uint8_t* pStream = pData + 1;
    const std::size_t nStream = nSize - 1;

    auto rec = std::make_unique<SIpcPacket>();
    for (std::size_t i = 0; i < nStream; ++i) {
        const int nDone = CProtocol::ParsePacketByte(*rec, pStream[i]);
        FUZZ_CHECK(nDone == 0 || nDone == 1);
        FUZZ_CHECK(rec->state >= 0 && rec->state <= 9);
        FUZZ_CHECK(rec->nDataLen >= 0 && rec->nDataLen <= IPC_DATA_CAPACITY);
        if (rec->state == 7) FUZZ_CHECK(rec->nDataLen < rec->Length);
        if (nDone) CheckFrame(*rec);
    }

    CProtocol& link = Link();
    link.m_IpcPacket = SIpcPacket{};
    link.m_nExpectedId.store(pStream[0] & 0x1F);
    FuzzCheck::ForEachChunk(pData, nSize, [&](const std::uint8_t* pChunk, std::size_t nLength) {
        CProtocol::OnReceive(pChunk, static_cast<int>(nLength), &link);
        // The chunk was kept, unchanged, in the slot just used.
        const int nSlot = (link.m_nRxIndex + CProtocol::RX_SLOTS - 1) % CProtocol::RX_SLOTS;
        FUZZ_CHECK(std::memcmp(link.m_RxRing[nSlot], pChunk, nLength) == 0);
    });
    FUZZ_CHECK(link.m_nLevelMain.load() >= 0 && link.m_nLevelMain.load() <= 13);
    FUZZ_CHECK(link.m_nLevelAux.load() >= 0 && link.m_nLevelAux.load() <= 13);
    // The whole stream at once, as a direct caller would hand it over.
    CProtocol::OnReceive(pStream, static_cast<int>(nStream), &link);
    return 0;
}
