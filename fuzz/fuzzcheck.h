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
