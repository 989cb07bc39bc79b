#include "ui/core/base/UIPtrArray.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace SkinUI {

CUIPtrArray::CUIPtrArray(int capacity) {
    if (capacity > 0) Reserve(capacity);
}

CUIPtrArray::CUIPtrArray(const CUIPtrArray& other) { *this = other; }

CUIPtrArray::CUIPtrArray(CUIPtrArray&& other) noexcept { *this = std::move(other); }

CUIPtrArray& CUIPtrArray::operator=(const CUIPtrArray& other) {
    if (this == &other) return *this;
    m_nCount = 0;
    if (!Reserve(other.m_nCount)) return *this;
    if (other.m_nCount > 0)
        memcpy(m_ppVoid, other.m_ppVoid, sizeof(LPVOID) * static_cast<size_t>(other.m_nCount));
    m_nCount = other.m_nCount;
    return *this;
}

CUIPtrArray& CUIPtrArray::operator=(CUIPtrArray&& other) noexcept {
    if (this == &other) return *this;
    Empty();
    m_ppVoid = std::exchange(other.m_ppVoid, nullptr);
    m_nCount = std::exchange(other.m_nCount, 0);
    m_nAllocated = std::exchange(other.m_nAllocated, 0);
    return *this;
}

CUIPtrArray::~CUIPtrArray() { Empty(); }

void CUIPtrArray::Empty() {
    free(m_ppVoid);
    m_ppVoid = nullptr;
    m_nCount = 0;
    m_nAllocated = 0;
}

bool CUIPtrArray::Reserve(int capacity) {
    if (capacity <= m_nAllocated) return true;
    if (static_cast<size_t>(capacity) > SIZE_MAX / sizeof(LPVOID)) return false;
    void* block = realloc(m_ppVoid, sizeof(LPVOID) * static_cast<size_t>(capacity));
    if (block == nullptr) return false;
    m_ppVoid = static_cast<LPVOID*>(block);
    m_nAllocated = capacity;
    return true;
}

bool CUIPtrArray::Grow() {
    if (m_nCount < m_nAllocated) return true;
    if (m_nAllocated == 0) return Reserve(kFirstCapacity);
    if (m_nAllocated > 0x3FFFFFFF) return false;
    return Reserve(m_nAllocated * 2);
}

bool CUIPtrArray::Add(LPVOID data) {
    if (!Grow()) return false;
    m_ppVoid[m_nCount++] = data;
    return true;
}

bool CUIPtrArray::InsertAt(int index, LPVOID data) {
    if (index == m_nCount) return Add(data);
    if (index < 0 || index > m_nCount || !Grow()) return false;
    memmove(&m_ppVoid[index + 1], &m_ppVoid[index],
            sizeof(LPVOID) * static_cast<size_t>(m_nCount - index));
    m_ppVoid[index] = data;
    ++m_nCount;
    return true;
}

bool CUIPtrArray::SetAt(int index, LPVOID data) {
    if (index < 0 || index >= m_nCount) return false;
    m_ppVoid[index] = data;
    return true;
}

bool CUIPtrArray::Remove(int index, int count) {
    if (index < 0 || count < 0 || index >= m_nCount || count > m_nCount - index) return false;
    int tail = m_nCount - index - count;
    if (tail > 0)
        memmove(&m_ppVoid[index], &m_ppVoid[index + count], sizeof(LPVOID) * static_cast<size_t>(tail));
    m_nCount -= count;
    return true;
}

int CUIPtrArray::Find(LPVOID data) const {
    for (int i = 0; i < m_nCount; ++i)
        if (m_ppVoid[i] == data) return i;
    return -1;
}

LPVOID CUIPtrArray::GetAt(int index) const {
    return index >= 0 && index < m_nCount ? m_ppVoid[index] : nullptr;
}

}  // namespace SkinUI
