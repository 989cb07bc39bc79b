#pragma once
// Readers for attribute text, shared by the skin markup and every control's ApplyAttribute, so
// that each syntax is read the same way everywhere:
//   integers   signed decimal, C conversion rules (leading blanks, optional sign, text that is
//              not a number reads as 0, out-of-range values saturate)
//   booleans   true only for the exact text "true"
//   lists      "l,t,r,b" / "cx,cy": each number after the first is read from one character past
//              the end of the previous one (exactly one separator; blanks before a number are
//              skipped by the C rules); missing numbers read as 0
//   colours    optional "#", then hexadecimal digits as one unsigned 32-bit AARRGGBB value
// Every reader accepts a null text and treats it as empty.

#include <windows.h>

namespace SkinUI {

// Blanks, as the markup and the attribute syntaxes skip them: every character with a code up to
// 32 except the terminator.
constexpr bool IsBlank(wchar_t ch) { return ch != L'\0' && ch <= L' '; }
// The first character at or after p that is not a blank (works on LPWSTR and LPCWSTR).
template <class Char>
Char* SkipBlanks(Char* p) {
    while (IsBlank(*p)) ++p;
    return p;
}

// Integer at text; *end (optional) receives the position after the digits (text itself when
// there was no number).
int ParseAttrInt(LPCWSTR text, LPCWSTR* end = nullptr);
// Unsigned hexadecimal number after an optional "#" (the mask and angle syntax).
DWORD ParseAttrHex(LPCWSTR text, LPCWSTR* end = nullptr);
bool ParseAttrBool(LPCWSTR text);        // exactly "true"
bool ParseAttrBoolNoCase(LPCWSTR text);  // "true" in any case (the markup's structural elements)

// Reads up to count integers of a comma list into values (missing ones become 0); returns how
// many numbers the text really held. Never reads past the end of the text.
int ParseAttrIntList(LPCWSTR text, int* values, int count);
// The same for decimal fractions (C strtod rules).
int ParseAttrDoubleList(LPCWSTR text, double* values, int count);
RECT ParseAttrRect(LPCWSTR text);    // "l,t,r,b"
SIZE ParseAttrSize(LPCWSTR text);    // "cx,cy"
POINT ParseAttrPoint(LPCWSTR text);  // "x,y"

// Colour: with skipBlanks, leading characters with codes up to 32 are skipped first (only some
// attributes allow that). Six digits therefore give alpha 0; 0 means "no colour".
DWORD ParseAttrColor(LPCWSTR text, bool skipBlanks = false);

}  // namespace SkinUI
