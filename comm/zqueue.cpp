#include "zqueue.h"

#include <algorithm>
#include <cstring>

namespace ZUtils {

std::size_t ZBuffer::Reserve(std::size_t nSize) {
    if (nSize > m_Bytes.size()) {
        std::size_t nSteps = (nSize + GROW_STEP - 1) / GROW_STEP;
        m_Bytes.assign(nSteps * GROW_STEP, 0);
    }
    return m_Bytes.size();
}

void ZBuffer::Free() {
    std::vector<std::uint8_t>().swap(m_Bytes);
}

void ZHeapQueue::SetCapacity(std::size_t nCapacity) {
    m_Buffer.Reserve(nCapacity);
    Clear();
}

int ZComputeQueue::Push(ZHeapQueue& queue, const std::uint8_t* pData, std::size_t nLength) {
    if (nLength == 0) return 1;
    if (!pData || queue.Free() < nLength) return 0;
    const std::size_t nCap = queue.Capacity();
    std::size_t nFirst = std::min(nLength, nCap - queue.m_nWrite);
    std::memcpy(queue.m_Buffer.Data() + queue.m_nWrite, pData, nFirst);
    std::memcpy(queue.m_Buffer.Data(), pData + nFirst, nLength - nFirst);
    queue.m_nWrite = (queue.m_nWrite + nLength) % nCap;
    queue.m_nCount += nLength;
    return 1;
}

int ZComputeQueue::Pop(ZHeapQueue& queue, std::uint8_t* pData, std::size_t nLength) {
    if (nLength == 0) return 1;
    if (!pData || queue.m_nCount < nLength) return 0;
    const std::size_t nCap = queue.Capacity();
    std::size_t nFirst = std::min(nLength, nCap - queue.m_nRead);
    std::memcpy(pData, queue.m_Buffer.Data() + queue.m_nRead, nFirst);
    std::memcpy(pData + nFirst, queue.m_Buffer.Data(), nLength - nFirst);
    queue.m_nRead = (queue.m_nRead + nLength) % nCap;
    queue.m_nCount -= nLength;
    return 1;
}

} // namespace ZUtils
