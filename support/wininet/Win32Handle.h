#pragma once
// A holder for one kernel handle (file, process, thread), shared by the download code and the
// process runner. Null and INVALID_HANDLE_VALUE both mean "no handle".

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
    void Reset(HANDLE handle = nullptr) {
        if (Valid()) CloseHandle(m_h);
        m_h = handle;
    }

private:
    HANDLE m_h;
};

}  // namespace bxutil
