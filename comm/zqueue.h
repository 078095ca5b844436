// The reader's optional receive queue: a circular byte queue whose storage grows in 512-byte steps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ZUtils {

// Storage of the queue. Growing discards the contents.
class ZBuffer {
public:
    static constexpr std::size_t GROW_STEP = 512;
    // Makes room for at least nSize bytes (rounded up to the step); returns the capacity.
    std::size_t Reserve(std::size_t nSize);
    void Free();
    std::uint8_t* Data() { return m_Bytes.data(); }
    const std::uint8_t* Data() const { return m_Bytes.data(); }
    std::size_t Capacity() const { return m_Bytes.size(); }

private:
    std::vector<std::uint8_t> m_Bytes;
};

// Indices and count of the queue over its buffer.
struct ZHeapQueue {
    ZBuffer m_Buffer;
    std::size_t m_nRead = 0;
    std::size_t m_nWrite = 0;
    std::size_t m_nCount = 0;

    // Sizes the storage and empties the queue.
    void SetCapacity(std::size_t nCapacity);
    void Clear() { m_nRead = m_nWrite = m_nCount = 0; }
    std::size_t Capacity() const { return m_Buffer.Capacity(); }
    std::size_t Count() const { return m_nCount; }
    std::size_t Free() const { return Capacity() - m_nCount; }
};

// All-or-nothing operations on a ZHeapQueue.
struct ZComputeQueue {
    // Fails (returns 0) when fewer than nLength bytes are free.
    static int Push(ZHeapQueue& queue, const std::uint8_t* pData, std::size_t nLength);
    // Fails (returns 0) when fewer than nLength bytes are queued.
    static int Pop(ZHeapQueue& queue, std::uint8_t* pData, std::size_t nLength);
};

} // namespace ZUtils
