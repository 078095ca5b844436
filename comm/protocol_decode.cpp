// Validation and decoding of reply bodies. A body outside its accepted length, or with a channel
// its ID does not take, is refused (the parser then drops the frame).
#include <algorithm>

#include "protocol.h"
#include "trace.h"

namespace {

constexpr std::uint16_t kDelayMax = 8191;

std::uint8_t DecodeLevel(std::uint8_t x) {
    return x <= 13 ? static_cast<std::uint8_t>(13 - x) : 13;
}

void PutDelay(SIpcPacket& rec, int nChannel, const std::uint8_t* p) {
    std::uint16_t n = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    n = std::min(n, kDelayMax);
    std::memcpy(rec.Decoded + 2 * nChannel, &n, 2);
}

// Exact body length of the IDs that take one form only; 0 for the others.
int FixedLength(int nId) {
    switch (nId) {
    case VA_SYSTEM:
        return 4;
    case VA_MUTE:
        return 1;
    case VA_INPUT:
        return 2;
    case VA_FILTER:
        return 9;
    case VA_UPDATE:
        return 2;
    case VA_PRESET:
        return 1;
    case VA_HIGHLOW:
        return 1;
    case VA_XOVER:
        return 9;
    case VA_PHASE:
        return 2;
    case VA_EQFLAG:
        return 2;
    case VA_XOVERFLAG:
        return 2;
    case VA_VEQFLAG:
        return 2;
    case VA_VEQFILTER:
        return 9;
    case VA_PASSWORD:
        return 10;
    case VA_VEQVSEL:
        return 1;
    case VA_VEQLED:
        return 1;
    case VA_OUTPUT:
        return 5;
    default:
        return 0;
    }
}

void TraceMap(const SIpcPacket& rec) {
    TRACE("\r\n =================================");
    TRACE("\r\n ParserMap ");
    for (int k = 0; k < 25; ++k)
        TRACE("\r\n Map%d_%d[%x]", k / 3, k % 3, rec.Decoded[k]);
    TRACE("\r\n =================================");
}

} // namespace

int CProtocol::DecodeBody(SIpcPacket& rec) {
    const int nLen = rec.nDataLen;
    const std::uint8_t* body = rec.data;
    const int nCh = rec.Channel;

    if (const int nFixed = FixedLength(rec.ID)) {
        if (nLen != nFixed) return 0;
        std::memcpy(rec.Decoded, body, static_cast<std::size_t>(nLen));
        if (rec.ID == VA_OUTPUT) {
            TRACE("\r\n p->nDataLen[%d]", nLen);
            for (int i = 0; i < 5; ++i)
                TRACE("\r\n OUTPUT_%d[%d]", i, rec.Decoded[i]);
        }
        return 1;
    }

    // The channel-9 forms carry every channel: a shorter body would leave values of an earlier
    // reply in the record as if this one had sent them, so it is refused.
    switch (rec.ID) {
    case VA_MAP:
        if (nLen < 3 || nLen > 25) return 0;
        if (nCh <= 7) {
            std::memcpy(rec.Decoded + 3 * nCh, body, 3);
        } else if (nCh == 9 && nLen == 25) {
            std::memcpy(rec.Decoded, body, 25);
        } else {
            return 0;
        }
        TraceMap(rec);
        return 1;
    case VA_LEVEL:
        if (nLen < 2 || nLen > 6) return 0;
        if (nCh <= 5) {
            rec.Decoded[nCh] = DecodeLevel(body[0]);
            rec.Decoded[nCh + 1] = DecodeLevel(body[1]);
        } else if (nCh == 9 && nLen == 6) {
            for (int i = 0; i < 6; ++i)
                rec.Decoded[i] = DecodeLevel(body[i]);
        } else {
            return 0;
        }
        return 1;
    case VA_VOLUME:
        if (nLen < 1 || nLen > 8) return 0;
        if (nCh <= 8 && nLen >= 2) {
            const std::int32_t nSum = body[0];
            std::memcpy(rec.Decoded, &nSum, 4);
            rec.Decoded[4 + nCh] = body[1];
        } else if (nCh == 9 && nLen == 8) {
            std::memcpy(rec.Decoded + 4, body, 8);
        } else {
            return 0;
        }
        return 1;
    case VA_DELAY:
        if (nLen < 4 || nLen > 16) return 0;
        if (nCh <= 7) {
            PutDelay(rec, nCh, body);
            if (nCh <= 6) PutDelay(rec, nCh + 1, body + 2);
        } else if (nCh == 9) {
            if (nLen != 16) return 0;
            for (int i = 0; i < 8; ++i)
                PutDelay(rec, i, body + 2 * i);
        }
        return 1; // other channels: accepted, nothing decoded
    default:
        return 0;
    }
}
