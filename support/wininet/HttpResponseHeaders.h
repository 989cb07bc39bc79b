#pragma once
// What the HTTP layer needs from one response's headers: status, redirect target, body length,
// byte range and the raw header block.

#include <windows.h>
#include <wininet.h>

#include <string>

namespace bxutil {

// A parsed "Content-Range" value. A field is -1 when the value does not carry it (for example
// the unknown total "*", or the "bytes */N" form of a refused range, which has no first byte).
struct TContentRange {
    long long first = -1;
    long long last = -1;
    long long total = -1;
};

// Reads "bytes FIRST-LAST/TOTAL" or "bytes */TOTAL"; false (and an all -1 result) for anything
// else.
bool ParseContentRange(const std::wstring& text, TContentRange* out);

class CHttpResponseHeaders {
public:
    CHttpResponseHeaders() = default;
    virtual ~CHttpResponseHeaders() = default;

    // Fills the object from an open request handle whose headers have arrived; rawText is the
    // header block the caller already read. Headers that are missing keep their previous values.
    void Parse(HINTERNET request, const std::wstring& rawText);

    int StatusCode() const { return m_nStatusCode; }          // 400 until a status was read
    long long ContentLength() const { return m_nContentLength; }  // 0 when absent
    bool HasContentLength() const { return m_bHasContentLength; }
    const std::wstring& Location() const { return m_strLocation; }
    const std::wstring& RawHeaders() const { return m_strRawHeaders; }
    const std::wstring& ContentType() const { return m_strContentType; }  // trimmed, lower case
    const std::wstring& ContentEncoding() const { return m_strContentEncoding; }
    bool HasContentRange() const { return m_bHasContentRange; }
    const TContentRange& ContentRange() const { return m_contentRange; }
    // The validators a resumed download names in "If-Range" (trimmed; empty when absent).
    const std::wstring& ETag() const { return m_strETag; }
    const std::wstring& LastModified() const { return m_strLastModified; }

private:
    int m_nStatusCode = 400;
    long long m_nContentLength = 0;
    bool m_bHasContentLength = false;
    std::wstring m_strRawHeaders;
    std::wstring m_strLocation;
    std::wstring m_strContentType;
    std::wstring m_strContentEncoding;
    bool m_bHasContentRange = false;
    TContentRange m_contentRange;
    std::wstring m_strETag;
    std::wstring m_strLastModified;
};

}  // namespace bxutil
