// CRC-16 of the processor's frames: the reflected polynomial 0x8408 (CRC-16/KERMIT) started from
// 0x07DE, no final XOR. Shared by the manager and the simulated processor.
#pragma once

#include <cstddef>
#include <cstdint>

std::uint16_t CalcCrc16(const std::uint8_t* pData, std::size_t nLength);
