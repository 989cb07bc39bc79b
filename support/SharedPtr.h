#pragma once
// A shared pointer for heap objects handed between threads: the object pointer plus a separate
// counter block. The count is changed with interlocked operations, so copies of one pointer may be
// made and dropped on different threads at once; the object itself is not protected.

#include <windows.h>

#include <utility>

namespace bxutil {

template <class T>
class CSharedPtr {
public:
    CSharedPtr() = default;

    // Takes ownership of object (which must come from new). A null object gives an empty pointer.
    explicit CSharedPtr(T* object) {
        if (!object) return;
        try {
            m_pBlock = new TCounterBlock{1, object};
        } catch (...) {
            delete object;
            throw;
        }
        m_pObject = object;
    }

    CSharedPtr(const CSharedPtr& other) noexcept : m_pObject(other.m_pObject), m_pBlock(other.m_pBlock) {
        AddRef();
    }
    CSharedPtr(CSharedPtr&& other) noexcept
        : m_pObject(std::exchange(other.m_pObject, nullptr)),
          m_pBlock(std::exchange(other.m_pBlock, nullptr)) {}

    CSharedPtr& operator=(CSharedPtr other) noexcept {
        Swap(other);
        return *this;
    }

    ~CSharedPtr() { Release(); }

    void Reset() noexcept { CSharedPtr().Swap(*this); }
    void Swap(CSharedPtr& other) noexcept {
        std::swap(m_pObject, other.m_pObject);
        std::swap(m_pBlock, other.m_pBlock);
    }

    T* Get() const noexcept { return m_pObject; }
    T* operator->() const noexcept { return m_pObject; }
    T& operator*() const noexcept { return *m_pObject; }
    explicit operator bool() const noexcept { return m_pObject != nullptr; }

    // The number of pointers sharing the object (0 when empty); a snapshot when other threads copy.
    long UseCount() const noexcept { return m_pBlock ? m_pBlock->count : 0; }

private:
    struct TCounterBlock {
        volatile LONG count;
        T* object;
    };

    void AddRef() noexcept {
        // The block already holds the object pointer from the first owner; only the count moves.
        if (m_pBlock) InterlockedIncrement(&m_pBlock->count);
    }

    // The last owner destroys the object (through its virtual destructor where it has one) and
    // frees the counter block.
    void Release() noexcept {
        TCounterBlock* block = std::exchange(m_pBlock, nullptr);
        m_pObject = nullptr;
        if (!block || InterlockedDecrement(&block->count) != 0) return;
        delete block->object;
        delete block;
    }

    T* m_pObject = nullptr;
    TCounterBlock* m_pBlock = nullptr;
};

template <class T>
bool operator==(const CSharedPtr<T>& a, const CSharedPtr<T>& b) noexcept {
    return a.Get() == b.Get();
}
template <class T>
bool operator!=(const CSharedPtr<T>& a, const CSharedPtr<T>& b) noexcept {
    return a.Get() != b.Get();
}

}  // namespace bxutil
