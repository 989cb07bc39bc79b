#pragma once
// FormatText: a small printf-like formatter for narrow text whose directives take text,
// characters and numbers. "%%" writes one "%"; "%" and any other character writes the
// next argument as a stream would write it (a string as its characters, a number in decimal). The
// character after "%" only marks the place: "{\"GameId\":%d}" with the text "1000450" gives
// {"GameId":1000450}. No flags, width or precision are read.
//
// A directive without an argument left throws std::runtime_error; arguments left over when the
// format ends throw std::logic_error.

#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

namespace formattext_detail {

// Writes one argument as a stream would by default (text as its characters, a character as
// itself, a number in decimal, a floating-point number in its shortest of 6 significant digits),
// without a stream: the iostream and locale machinery would be a large part of the program.
inline void Append(std::string& out, std::string_view text) { out.append(text); }
inline void Append(std::string& out, const char* text) { out.append(text ? text : ""); }
inline void Append(std::string& out, char c) { out.push_back(c); }

template <class T>
std::enable_if_t<std::is_arithmetic_v<T>> Append(std::string& out, T value) {
    if constexpr (std::is_floating_point_v<T>) {
        char text[32];
        const int n = std::snprintf(text, sizeof(text), "%g", static_cast<double>(value));
        if (n > 0) out.append(text, static_cast<size_t>(n) < sizeof(text) ? n : sizeof(text) - 1);
    } else if constexpr (std::is_same_v<T, bool>) {
        out.push_back(value ? '1' : '0');
    } else {
        out.append(std::to_string(value));
    }
}

// Copies format up to its next directive; returns where the directive starts (at the "%"), or
// null at the end of the format.
inline const char* CopyLiteral(std::string& out, const char* format) {
    for (; *format; ++format) {
        if (*format != '%') {
            out.push_back(*format);
        } else if (format[1] == '%') {
            out.push_back('%');
            ++format;
        } else {
            return format;
        }
    }
    return nullptr;
}

inline void FormatInto(std::string& out, const char* format) {
    if (CopyLiteral(out, format)) throw std::runtime_error("invalid format string: missing arguments");
}

template <class T, class... Rest>
void FormatInto(std::string& out, const char* format, const T& value, const Rest&... rest) {
    const char* directive = CopyLiteral(out, format);
    if (!directive) throw std::logic_error("extra arguments provided to sprintf");
    Append(out, value);
    // Skip the "%" and the character that names the directive (none when the format ends there).
    const char* next = directive[1] ? directive + 2 : directive + 1;
    FormatInto(out, next, rest...);
}

}  // namespace formattext_detail

template <class... Args>
std::string FormatText(const char* format, const Args&... args) {
    std::string out;
    formattext_detail::FormatInto(out, format ? format : "", args...);
    return out;
}
