// Formatted text: cutting the text into tokens.

#include "ui/core/render/FormattedTextTokens.h"

namespace SkinUI {

namespace {

bool IsTagLetter(wchar_t ch) { return ch >= L'a' && ch <= L'z'; }
bool IsTagOpen(wchar_t ch) { return ch == L'<' || ch == L'{'; }
bool IsTagClose(wchar_t ch) { return ch == L'>' || ch == L'}'; }

// <{> <}> {<} {>}: a literal brace or angle bracket.
wchar_t LiteralAt(LPCWSTR p) {
    if (p[0] == L'<' && (p[1] == L'{' || p[1] == L'}') && p[2] == L'>') return p[1];
    if (p[0] == L'{' && (p[1] == L'<' || p[1] == L'>') && p[2] == L'}') return p[1];
    return 0;
}

bool IsCloseTagAt(LPCWSTR p) {
    return IsTagOpen(p[0]) && p[1] == L'/' && IsTagLetter(p[2]) && IsTagClose(p[3]);
}

bool IsOpenTagAt(LPCWSTR p) {
    return IsTagOpen(p[0]) && IsTagLetter(p[1]) && (p[2] == L' ' || IsTagClose(p[2]));
}

// Whether a token other than plain text starts at p. In raw mode only the raw closing tag does.
bool IsMarkupAt(LPCWSTR p, bool raw) {
    if (raw) return IsCloseTagAt(p) && p[2] == L'r';
    return LiteralAt(p) != 0 || IsCloseTagAt(p) || IsOpenTagAt(p);
}

TToken ReadOpenTag(LPCWSTR p) {
    TToken token;
    token.kind = TTokenKind::OpenTag;
    token.letter = p[1];
    LPCWSTR arg = p + 2;
    while (*arg == L' ') ++arg;
    LPCWSTR end = arg;
    while (*end != L'\0' && !IsTagClose(*end)) ++end;
    token.arg = arg;
    token.argLength = static_cast<int>(end - arg);
    // An unterminated tag runs to the end of the text.
    token.length = static_cast<int>(end - p) + (*end != L'\0' ? 1 : 0);
    return token;
}

}  // namespace

TToken NextToken(LPCWSTR p, bool raw) {
    TToken token;
    if (*p == L'\0') return token;
    if (*p == L'\n') return TToken{TTokenKind::LineFeed, 1};
    if (*p == L'\r') return TToken{TTokenKind::Skip, 1};
    if (IsMarkupAt(p, raw)) {
        if (wchar_t literal = raw ? 0 : LiteralAt(p)) {
            token.kind = TTokenKind::Literal;
            token.length = 3;
            token.letter = literal;
            return token;
        }
        if (IsCloseTagAt(p)) return TToken{TTokenKind::CloseTag, 4, p[2]};
        return ReadOpenTag(p);
    }
    if (*p == L' ') return TToken{TTokenKind::Space, 1};
    LPCWSTR end = p + 1;
    while (*end != L'\0' && *end != L'\n' && *end != L'\r' && *end != L' ' &&
           !IsMarkupAt(end, raw)) {
        ++end;
    }
    token.kind = TTokenKind::Text;
    token.length = static_cast<int>(end - p);
    return token;
}

}  // namespace SkinUI
