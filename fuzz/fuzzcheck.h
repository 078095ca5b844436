// Checks shared by the fuzz targets: a failed check prints what broke and aborts, which the fuzzer
// reports as a crash together with the input that caused it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                                                     \
    do {                                                                                                     \
        if (!(cond)) {                                                                                       \
            std::fprintf(stderr, "%s(%d): check failed: %s\n", __FILE__, __LINE__, #cond);                   \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)

namespace FuzzCheck {

inline bool IsFlag(int n) {
    return n == 0 || n == 1;
}

// Whether this input gets one of a target's expensive checks (round trips, whole response curves): one
// input in nEvery, chosen from the input's bytes, so that an input that fails a check fails it again
// when it is replayed alone. Checks with different salts pick different inputs.
// MLB8_FUZZ_ALL_CHECKS=1 in the environment runs every check on every input (replaying a corpus).
inline bool Sampled(const std::uint8_t* pData, std::size_t nSize, std::uint32_t nEvery,
                    std::uint32_t nSalt = 0) {
    static const bool bAll = std::getenv("MLB8_FUZZ_ALL_CHECKS") != nullptr;
    if (bAll) return true;
    std::uint32_t nHash = 2166136261u ^ nSalt; // FNV-1a
    for (std::size_t i = 0; i < nSize; ++i)
        nHash = (nHash ^ pData[i]) * 16777619u;
    return nHash % nEvery == 0;
}

// Byte 0 of a stream input chooses the chunk length (1..256); the rest is the stream, cut into chunks
// of that length. Calls fn(pChunk, nLength) per chunk.
template <typename Fn> void ForEachChunk(const std::uint8_t* pData, std::size_t nSize, Fn fn) {
    if (nSize < 2) return;
    const std::size_t nChunk = static_cast<std::size_t>(pData[0]) + 1;
    for (std::size_t nOffset = 1; nOffset < nSize; nOffset += nChunk) {
        const std::size_t nPiece = nSize - nOffset < nChunk ? nSize - nOffset : nChunk;
        fn(pData + nOffset, nPiece);
    }
}

} // namespace FuzzCheck
