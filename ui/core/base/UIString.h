#pragma once
// CUIString: the UI framework's wide string. Short texts (up to 62 characters) live in an inline
// buffer, so the many small names, attribute values and labels of a skin cost no heap block;
// longer texts move to one heap block owned by the string.

#include <windows.h>

#include <cstdarg>

namespace SkinUI {

class CUIString {
public:
    static constexpr int kInlineCapacity = 64;   // characters in the inline buffer
    static constexpr int kMaxInlineLength = 62;  // longest text kept inline

    CUIString();
    CUIString(wchar_t ch);                          // NOLINT: a character converts implicitly
    CUIString(LPCWSTR text, int length = -1);       // NOLINT: length -1 means NUL-terminated
    CUIString(const CUIString& other);
    CUIString(CUIString&& other) noexcept;
    ~CUIString();

    CUIString& operator=(const CUIString& other);
    CUIString& operator=(CUIString&& other) noexcept;
    CUIString& operator=(LPCWSTR text);
    CUIString& operator=(wchar_t ch);

    // Replaces the text; a null text makes the string empty. length -1: up to the NUL.
    void Assign(LPCWSTR text, int length = -1);
    void Append(LPCWSTR text, int length = -1);

    CUIString& operator+=(const CUIString& text);
    CUIString& operator+=(LPCWSTR text);
    CUIString& operator+=(wchar_t ch);
    friend CUIString operator+(const CUIString& left, const CUIString& right);
    friend CUIString operator+(const CUIString& left, LPCWSTR right);
    friend CUIString operator+(LPCWSTR left, const CUIString& right);

    int GetLength() const { return m_nLength; }
    bool IsEmpty() const { return m_nLength == 0; }
    void Empty();
    LPCWSTR GetData() const { return m_pstr; }
    operator LPCWSTR() const { return m_pstr; }  // NOLINT: used where Win32 wants a text

    // Reading outside the text gives NUL; writing outside it is ignored. Writing NUL cuts the
    // text at that position.
    wchar_t GetAt(int index) const;
    wchar_t operator[](int index) const { return GetAt(index); }
    void SetAt(int index, wchar_t ch);

    // Ordinal comparison (<0, 0, >0); a null text compares as empty.
    int Compare(LPCWSTR text) const;
    // Comparison ignoring case (the C run-time's wide case folding).
    int CompareNoCase(LPCWSTR text) const;
    bool operator==(const CUIString& text) const { return Compare(text.m_pstr) == 0; }
    bool operator!=(const CUIString& text) const { return Compare(text.m_pstr) != 0; }
    bool operator<(const CUIString& text) const { return Compare(text.m_pstr) < 0; }
    bool operator==(LPCWSTR text) const { return Compare(text) == 0; }
    bool operator!=(LPCWSTR text) const { return Compare(text) != 0; }
    friend bool operator==(LPCWSTR left, const CUIString& right) { return right == left; }
    friend bool operator!=(LPCWSTR left, const CUIString& right) { return right != left; }

    void MakeUpper();
    void MakeLower();

    // Substrings; counts and positions are clamped to the text.
    CUIString Left(int count) const;
    CUIString Mid(int start, int count = -1) const;
    CUIString Right(int count) const;

    // Position of the first match at or after start, or -1.
    int Find(wchar_t ch, int start = 0) const;
    int Find(LPCWSTR text, int start = 0) const;
    int ReverseFind(wchar_t ch) const;
    // Replaces every non-overlapping occurrence of from (left to right) by to; returns the
    // number of replacements. An empty from replaces nothing.
    int Replace(LPCWSTR from, LPCWSTR to);

    // printf-style formatting with the Microsoft rules for wide formats ("%s" takes a wide
    // text). Returns the new length; on a format error the string is empty and -1 is returned.
    int Format(LPCWSTR format, ...);
    int FormatV(LPCWSTR format, va_list args);

private:
    bool Reserve(int length);  // room for length characters plus NUL; false when out of memory
    void SetLength(int length);
    void Release();

    wchar_t* m_pstr;   // m_szBuffer or the heap block
    int m_nLength = 0;
    int m_nCapacity = kMaxInlineLength;  // characters (without NUL) m_pstr can hold
    wchar_t m_szBuffer[kInlineCapacity];
};

}  // namespace SkinUI
