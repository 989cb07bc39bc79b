#pragma once
// CUIPtrArray: the framework's growable array of untyped pointers (child lists, listener lists,
// notifier lists). It never owns what the pointers point to.

#include <windows.h>

namespace SkinUI {

class CUIPtrArray {
public:
    static constexpr int kFirstCapacity = 11;  // capacity of the first allocation

    explicit CUIPtrArray(int capacity = 0);
    CUIPtrArray(const CUIPtrArray& other);
    CUIPtrArray(CUIPtrArray&& other) noexcept;
    CUIPtrArray& operator=(const CUIPtrArray& other);
    CUIPtrArray& operator=(CUIPtrArray&& other) noexcept;
    ~CUIPtrArray();

    void Empty();                 // forgets every entry and releases the storage
    bool Reserve(int capacity);   // grows the storage to hold at least capacity entries
    bool IsEmpty() const { return m_nCount == 0; }
    int GetSize() const { return m_nCount; }
    int GetCapacity() const { return m_nAllocated; }

    // Appending doubles the capacity when full. Every change returns false when the index is
    // out of range or memory ran out, and then leaves the array as it was.
    bool Add(LPVOID data);
    bool InsertAt(int index, LPVOID data);  // index == size appends
    bool SetAt(int index, LPVOID data);
    bool Remove(int index, int count = 1);  // shifts the tail down
    int Find(LPVOID data) const;            // first index holding data, or -1

    LPVOID GetAt(int index) const;  // null outside the range
    LPVOID operator[](int index) const { return GetAt(index); }
    LPVOID* GetData() const { return m_ppVoid; }

private:
    bool Grow();

    LPVOID* m_ppVoid = nullptr;
    int m_nCount = 0;
    int m_nAllocated = 0;
};

}  // namespace SkinUI
