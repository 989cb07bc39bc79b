#pragma once
// Small text helpers shared by the support library and the application.

#include <algorithm>
#include <cwctype>
#include <string>

// text without the characters of chars at either end (an all-trimmed text becomes empty).
template <class Char>
std::basic_string<Char> TrimChars(const std::basic_string<Char>& text, const Char* chars) {
    const size_t first = text.find_first_not_of(chars);
    if (first == std::basic_string<Char>::npos) return {};
    const size_t last = text.find_last_not_of(chars);
    return text.substr(first, last - first + 1);
}

// text without the blanks of the C locale (space, tab, line breaks) at either end.
inline std::wstring TrimBlanks(const std::wstring& text) { return TrimChars(text, L" \t\n\v\f\r"); }

// text in lower case (the C run-time's classification).
inline std::wstring LowerText(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return text;
}
