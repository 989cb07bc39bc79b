#pragma once
// A holder for one kernel handle (file, process, thread, event). Null and INVALID_HANDLE_VALUE
// both mean "no handle".

#include <windows.h>

namespace bxutil {

class CKernelHandle {
public:
    explicit CKernelHandle(HANDLE handle = nullptr) : m_h(handle) {}
    ~CKernelHandle() { Reset(); }
    CKernelHandle(const CKernelHandle&) = delete;
    CKernelHandle& operator=(const CKernelHandle&) = delete;

    HANDLE Get() const { return m_h; }
    bool Valid() const { return m_h != nullptr && m_h != INVALID_HANDLE_VALUE; }
    HANDLE Release() {
        const HANDLE handle = m_h;
        m_h = nullptr;
        return handle;
    }
    void Reset(HANDLE handle = nullptr) {
        if (Valid()) CloseHandle(m_h);
        m_h = handle;
    }

private:
    HANDLE m_h;
};

}  // namespace bxutil
