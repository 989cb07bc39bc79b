#pragma once
// FormatText: a small printf-like formatter for narrow text whose directives take any argument
// that can be written to a stream. "%%" writes one "%"; "%" and any other character writes the
// next argument as the stream writes it (a string as its characters, a number in decimal). The
// character after "%" only marks the place: "{\"GameId\":%d}" with the text "1000450" gives
// {"GameId":1000450}. No flags, width or precision are read.
//
// A directive without an argument left throws std::runtime_error; arguments left over when the
// format ends throw std::logic_error.

#include <sstream>
#include <stdexcept>
#include <string>

namespace formattext_detail {

// Copies format up to its next directive; returns where the directive starts (at the "%"), or
// null at the end of the format.
inline const char* CopyLiteral(std::ostringstream& out, const char* format) {
    for (; *format; ++format) {
        if (*format != '%') {
            out << *format;
        } else if (format[1] == '%') {
            out << '%';
            ++format;
        } else {
            return format;
        }
    }
    return nullptr;
}

inline void FormatInto(std::ostringstream& out, const char* format) {
    if (CopyLiteral(out, format)) throw std::runtime_error("invalid format string: missing arguments");
}

template <class T, class... Rest>
void FormatInto(std::ostringstream& out, const char* format, const T& value, const Rest&... rest) {
    const char* directive = CopyLiteral(out, format);
    if (!directive) throw std::logic_error("extra arguments provided to sprintf");
    out << value;
    // Skip the "%" and the character that names the directive (none when the format ends there).
    const char* next = directive[1] ? directive + 2 : directive + 1;
    FormatInto(out, next, rest...);
}

}  // namespace formattext_detail

template <class... Args>
std::string FormatText(const char* format, const Args&... args) {
    std::ostringstream out;
    formattext_detail::FormatInto(out, format ? format : "", args...);
    return out.str();
}
