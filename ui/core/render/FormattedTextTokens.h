#pragma once
// Formatted text, first step: the text cut into tokens (words, blanks, line breaks, literal
// brackets, opening and closing tags). Internal to the render engine.

#include <windows.h>

namespace SkinUI {

enum class TTokenKind { End, Text, Space, LineFeed, Skip, Literal, OpenTag, CloseTag };

struct TToken {
    TTokenKind kind = TTokenKind::End;
    int length = 0;          // characters the token covers
    wchar_t letter = 0;      // tags: the tag letter; literals: the character
    LPCWSTR arg = nullptr;   // opening tags: the argument text (blanks before it skipped)
    int argLength = 0;
};

// The token at p. In raw mode everything up to the raw closing tag is plain text.
TToken NextToken(LPCWSTR p, bool raw);

}  // namespace SkinUI
