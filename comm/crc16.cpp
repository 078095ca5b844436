#include "crc16.h"

#include <array>

namespace {

constexpr std::array<std::uint16_t, 256> MakeTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned n = 0; n < 256; ++n) {
        std::uint16_t crc = static_cast<std::uint16_t>(n);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0x8408)
                            : static_cast<std::uint16_t>(crc >> 1);
        table[n] = crc;
    }
    return table;
}

constexpr auto kTable = MakeTable();
static_assert(kTable[1] == 0x1189 && kTable[2] == 0x2312);

} // namespace

std::uint16_t CalcCrc16(const std::uint8_t* pData, std::size_t nLength) {
    std::uint16_t crc = 0x07DE;
    for (std::size_t i = 0; i < nLength; ++i)
        crc = static_cast<std::uint16_t>((crc >> 8) ^ kTable[(crc ^ pData[i]) & 0xFF]);
    return crc;
}
