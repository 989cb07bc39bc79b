#include "ui/core/base/UIString.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <utility>

namespace SkinUI {

namespace {

int TextLength(LPCWSTR text, int length) {
    if (text == nullptr) return 0;
    if (length >= 0) return length;
    size_t measured = wcslen(text);
    return measured > 0x3FFFFFFF ? 0x3FFFFFFF : static_cast<int>(measured);
}

LPCWSTR OrEmpty(LPCWSTR text) { return text != nullptr ? text : L""; }

}  // namespace

CUIString::CUIString() : m_pstr(m_szBuffer) { m_szBuffer[0] = L'\0'; }

CUIString::CUIString(wchar_t ch) : CUIString() { Assign(&ch, 1); }

CUIString::CUIString(LPCWSTR text, int length) : CUIString() { Assign(text, length); }

CUIString::CUIString(const CUIString& other) : CUIString() {
    Assign(other.m_pstr, other.m_nLength);
}

CUIString::CUIString(CUIString&& other) noexcept : CUIString() { *this = std::move(other); }

CUIString::~CUIString() { Release(); }

CUIString& CUIString::operator=(const CUIString& other) {
    if (this != &other) Assign(other.m_pstr, other.m_nLength);
    return *this;
}

CUIString& CUIString::operator=(CUIString&& other) noexcept {
    if (this == &other) return *this;
    if (other.m_pstr == other.m_szBuffer) {
        Assign(other.m_pstr, other.m_nLength);
        other.Empty();
    } else {  // take over the heap block
        Release();
        m_pstr = std::exchange(other.m_pstr, other.m_szBuffer);
        m_nLength = std::exchange(other.m_nLength, 0);
        m_nCapacity = std::exchange(other.m_nCapacity, kMaxInlineLength);
        other.m_szBuffer[0] = L'\0';
    }
    return *this;
}

CUIString& CUIString::operator=(LPCWSTR text) {
    Assign(text);
    return *this;
}

CUIString& CUIString::operator=(wchar_t ch) {
    Assign(&ch, 1);
    return *this;
}

void CUIString::Release() {
    if (m_pstr != m_szBuffer) free(m_pstr);
    m_pstr = m_szBuffer;
    m_nCapacity = kMaxInlineLength;
    m_nLength = 0;
    m_szBuffer[0] = L'\0';
}

bool CUIString::Reserve(int length) {
    if (length <= m_nCapacity) return true;
    int capacity = m_nCapacity * 2 > length ? m_nCapacity * 2 : length;
    wchar_t* block = static_cast<wchar_t*>(malloc((static_cast<size_t>(capacity) + 1) * sizeof(wchar_t)));
    if (block == nullptr) return false;
    wmemcpy(block, m_pstr, static_cast<size_t>(m_nLength) + 1);
    if (m_pstr != m_szBuffer) free(m_pstr);
    m_pstr = block;
    m_nCapacity = capacity;
    return true;
}

void CUIString::SetLength(int length) {
    m_nLength = length;
    m_pstr[length] = L'\0';
}

void CUIString::Assign(LPCWSTR text, int length) {
    length = TextLength(text, length);
    if (text >= m_pstr && text <= m_pstr + m_nLength) {  // part of this very string
        CUIString copy(text, length);
        *this = std::move(copy);
        return;
    }
    if (length <= kMaxInlineLength) {
        Release();
    } else {
        m_nLength = 0;
        m_pstr[0] = L'\0';
        if (!Reserve(length)) return;
    }
    wmemcpy(m_pstr, text != nullptr ? text : L"", static_cast<size_t>(length));
    SetLength(length);
}

void CUIString::Append(LPCWSTR text, int length) {
    length = TextLength(text, length);
    if (length == 0) return;
    if (text >= m_pstr && text <= m_pstr + m_nLength) {
        CUIString copy(text, length);
        Append(copy.m_pstr, copy.m_nLength);
        return;
    }
    if (length > 0x3FFFFFFF - m_nLength || !Reserve(m_nLength + length)) return;
    wmemcpy(m_pstr + m_nLength, text, static_cast<size_t>(length));
    SetLength(m_nLength + length);
}

CUIString& CUIString::operator+=(const CUIString& text) {
    Append(text.m_pstr, text.m_nLength);
    return *this;
}

CUIString& CUIString::operator+=(LPCWSTR text) {
    Append(text);
    return *this;
}

CUIString& CUIString::operator+=(wchar_t ch) {
    Append(&ch, 1);
    return *this;
}

CUIString operator+(const CUIString& left, const CUIString& right) {
    CUIString result(left);
    result += right;
    return result;
}

CUIString operator+(const CUIString& left, LPCWSTR right) {
    CUIString result(left);
    result += right;
    return result;
}

CUIString operator+(LPCWSTR left, const CUIString& right) {
    CUIString result(left);
    result += right;
    return result;
}

void CUIString::Empty() { Release(); }

wchar_t CUIString::GetAt(int index) const {
    return index >= 0 && index < m_nLength ? m_pstr[index] : L'\0';
}

void CUIString::SetAt(int index, wchar_t ch) {
    if (index < 0 || index >= m_nLength) return;
    m_pstr[index] = ch;
    if (ch == L'\0') m_nLength = index;
}

int CUIString::Compare(LPCWSTR text) const { return wcscmp(m_pstr, OrEmpty(text)); }

int CUIString::CompareNoCase(LPCWSTR text) const { return _wcsicmp(m_pstr, OrEmpty(text)); }

void CUIString::MakeUpper() {
    for (int i = 0; i < m_nLength; ++i) m_pstr[i] = static_cast<wchar_t>(towupper(m_pstr[i]));
}

void CUIString::MakeLower() {
    for (int i = 0; i < m_nLength; ++i) m_pstr[i] = static_cast<wchar_t>(towlower(m_pstr[i]));
}

CUIString CUIString::Left(int count) const { return Mid(0, count < 0 ? 0 : count); }

CUIString CUIString::Mid(int start, int count) const {
    if (start < 0) start = 0;
    if (start > m_nLength) start = m_nLength;
    int rest = m_nLength - start;
    if (count < 0 || count > rest) count = rest;
    return CUIString(m_pstr + start, count);
}

CUIString CUIString::Right(int count) const {
    if (count < 0) count = 0;
    if (count > m_nLength) count = m_nLength;
    return CUIString(m_pstr + m_nLength - count, count);
}

int CUIString::Find(wchar_t ch, int start) const {
    if (start < 0 || start >= m_nLength) return -1;
    const wchar_t* hit = wmemchr(m_pstr + start, ch, static_cast<size_t>(m_nLength - start));
    return hit != nullptr ? static_cast<int>(hit - m_pstr) : -1;
}

int CUIString::Find(LPCWSTR text, int start) const {
    if (text == nullptr || start < 0 || start > m_nLength) return -1;
    const wchar_t* hit = wcsstr(m_pstr + start, text);
    return hit != nullptr ? static_cast<int>(hit - m_pstr) : -1;
}

int CUIString::ReverseFind(wchar_t ch) const {
    for (int i = m_nLength - 1; i >= 0; --i)
        if (m_pstr[i] == ch) return i;
    return -1;
}

int CUIString::Replace(LPCWSTR from, LPCWSTR to) {
    int fromLength = TextLength(from, -1);
    if (fromLength == 0) return 0;
    CUIString result;
    int count = 0;
    int pos = 0;
    for (int hit = Find(from, 0); hit >= 0; hit = Find(from, pos)) {
        result.Append(m_pstr + pos, hit - pos);
        result.Append(to);
        pos = hit + fromLength;
        ++count;
    }
    if (count > 0) {
        result.Append(m_pstr + pos, m_nLength - pos);
        *this = std::move(result);
    }
    return count;
}

int CUIString::Format(LPCWSTR format, ...) {
    va_list args;
    va_start(args, format);
    int length = FormatV(format, args);
    va_end(args);
    return length;
}

int CUIString::FormatV(LPCWSTR format, va_list args) {
    Empty();
    if (format == nullptr) return -1;
    // msvcrt's own functions: "%s" in a wide format takes a wide string there.
    va_list measure;
    va_copy(measure, args);
    int length = _vscwprintf(format, measure);
    va_end(measure);
    if (length < 0 || !Reserve(length)) return -1;
    int written = _vsnwprintf(m_pstr, static_cast<size_t>(length) + 1, format, args);
    if (written < 0) {
        Empty();
        return -1;
    }
    SetLength(written > length ? length : written);
    return m_nLength;
}

}  // namespace SkinUI
