#include "support/wininet/HttpResponseHeaders.h"

#include <vector>

#include "support/StringUtil.h"

namespace bxutil {
namespace {

// Header values are read into a 0x4000-byte scratch buffer; one byte is kept back so that the
// text always ends with a terminator.
constexpr DWORD kScratchBytes = 0x4000;

bool QueryText(HINTERNET request, DWORD info, std::vector<wchar_t>& scratch, std::wstring* out) {
    scratch.assign(kScratchBytes / sizeof(wchar_t), L'\0');
    DWORD length = kScratchBytes - 1;
    DWORD index = 0;
    if (!HttpQueryInfoW(request, info, scratch.data(), &length, &index)) return false;
    out->assign(scratch.data(), length / sizeof(wchar_t));
    return true;
}

// Reads an unsigned decimal number at text[pos]; advances pos. False when no digit is there or
// the value does not fit 63 bits.
bool ReadNumber(const std::wstring& text, size_t& pos, long long* value) {
    const size_t start = pos;
    long long result = 0;
    while (pos < text.size() && text[pos] >= L'0' && text[pos] <= L'9') {
        const int digit = text[pos] - L'0';
        if (result > (0x7FFFFFFFFFFFFFFFLL - digit) / 10) return false;
        result = result * 10 + digit;
        ++pos;
    }
    *value = result;
    return pos > start;
}

// Reads "*" (leaving value at -1) or a number.
bool ReadNumberOrStar(const std::wstring& text, size_t& pos, long long* value) {
    if (pos < text.size() && text[pos] == L'*') {
        ++pos;
        *value = -1;
        return true;
    }
    return ReadNumber(text, pos, value);
}

bool ParseRangeBody(const std::wstring& text, TContentRange* range) {
    size_t pos = 0;
    if (text.compare(0, 6, L"bytes ") != 0) return false;
    pos = 6;
    while (pos < text.size() && text[pos] == L' ') ++pos;
    if (pos < text.size() && text[pos] == L'*') {
        ++pos;
    } else {
        if (!ReadNumber(text, pos, &range->first)) return false;
        if (pos >= text.size() || text[pos] != L'-') return false;
        ++pos;
        if (!ReadNumber(text, pos, &range->last) || range->last < range->first) return false;
    }
    if (pos >= text.size() || text[pos] != L'/') return false;
    ++pos;
    if (!ReadNumberOrStar(text, pos, &range->total)) return false;
    return pos == text.size() && (range->first >= 0 || range->total >= 0);
}

}  // namespace

bool ParseContentRange(const std::wstring& text, TContentRange* out) {
    TContentRange range;
    const bool ok = ParseRangeBody(LowerText(TrimBlanks(text)), &range);
    *out = ok ? range : TContentRange{};
    return ok;
}

void CHttpResponseHeaders::Parse(HINTERNET request, const std::wstring& rawText) {
    m_strRawHeaders = rawText;

    DWORD status = 0;
    DWORD statusSize = sizeof(status);
    DWORD index = 0;
    if (HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                       &statusSize, &index)) {
        m_nStatusCode = static_cast<int>(status);
    }

    std::vector<wchar_t> scratch;
    std::wstring value;
    if (QueryText(request, HTTP_QUERY_CONTENT_LENGTH, scratch, &value)) {
        m_nContentLength = _wcstoi64(value.c_str(), nullptr, 10);
        m_bHasContentLength = true;
    }
    if (QueryText(request, HTTP_QUERY_CONTENT_RANGE, scratch, &value)) {
        m_bHasContentRange = ParseContentRange(value, &m_contentRange);
    }
    if (QueryText(request, HTTP_QUERY_LOCATION, scratch, &value)) m_strLocation = value;
    if (QueryText(request, HTTP_QUERY_CONTENT_ENCODING, scratch, &value)) {
        m_strContentEncoding = TrimBlanks(value);
    }
    if (QueryText(request, HTTP_QUERY_CONTENT_TYPE, scratch, &value)) {
        m_strContentType = LowerText(TrimBlanks(value));
    }
    if (QueryText(request, HTTP_QUERY_ETAG, scratch, &value)) m_strETag = TrimBlanks(value);
    if (QueryText(request, HTTP_QUERY_LAST_MODIFIED, scratch, &value)) {
        m_strLastModified = TrimBlanks(value);
    }
}

}  // namespace bxutil
