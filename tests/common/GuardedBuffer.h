#pragma once
// Test input placed so that its last byte abuts a no-access page. This target has no address
// sanitizer; with the input there, a read (or write) even one byte past its end faults at once
// and stops the test program, instead of passing unnoticed through whatever memory follows.
//
// A fault on a guard page is reported on stdout ("guard page hit ...") before the process ends,
// so that a crashed test or fuzz run says what happened.

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace testguard {

// Allocates bytes whose end touches a no-access page (a valid, never readable pointer for 0
// bytes). Null when the memory cannot be had. Free with GuardedFree.
void* GuardedAlloc(size_t bytes);
// Frees a block of GuardedAlloc; null does nothing.
void GuardedFree(void* block);

// Whether the first byte after [data, data + size) lies on a no-access page.
bool EndsAtGuardPage(const void* data, size_t size);

// An owned guarded copy of some input.
class CGuardedBuffer {
public:
    CGuardedBuffer(const void* data, size_t size);
    explicit CGuardedBuffer(const std::vector<BYTE>& bytes)
        : CGuardedBuffer(bytes.data(), bytes.size()) {}
    // A wide text with its terminator: the NUL is the last character before the guard page.
    explicit CGuardedBuffer(const std::wstring& text)
        : CGuardedBuffer(text.c_str(), (text.size() + 1) * sizeof(wchar_t)) {}
    ~CGuardedBuffer() { GuardedFree(m_pData); }
    CGuardedBuffer(const CGuardedBuffer&) = delete;
    CGuardedBuffer& operator=(const CGuardedBuffer&) = delete;

    const BYTE* Data() const { return static_cast<const BYTE*>(m_pData); }
    BYTE* Data() { return static_cast<BYTE*>(m_pData); }
    size_t Size() const { return m_nSize; }
    // The buffer as a wide text (made from a std::wstring).
    const wchar_t* Text() const { return static_cast<const wchar_t*>(m_pData); }

private:
    void* m_pData;
    size_t m_nSize;
};

}  // namespace testguard
