// Checking a skin's markup before the window is made of it.

#include "tools/gallery/SkinCheck.h"

#include <cstring>
#include <memory>
#include <vector>

#include "ui/controls/ControlUI.h"
#include "ui/core/DialogBuilder.h"
#include "ui/core/SkinPackage.h"
#include "ui/core/SkinXml.h"

namespace gallery {

namespace {

using SkinUI::CUIString;

// The markup file's text as the parser read it (UTF-8 to UTF-16); empty when unreadable.
CUIString MarkupText(LPCWSTR markupName) {
    std::vector<BYTE> bytes;
    if (!SkinUI::ReadSkinFileBytes(markupName, bytes, SkinUI::kMaxMarkupSize) || bytes.empty())
        return CUIString();
    const char* data = reinterpret_cast<const char*>(bytes.data());
    int size = static_cast<int>(bytes.size());
    if (size >= 3 && memcmp(data, "\xEF\xBB\xBF", 3) == 0) {
        data += 3;
        size -= 3;
    }
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, data, size, nullptr, 0);
    if (length <= 0) return CUIString();
    std::vector<wchar_t> wide(static_cast<size_t>(length) + 1, L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, data, size, wide.data(), length);
    return CUIString(wide.data(), length);
}

}  // namespace

int LineOfLocation(LPCWSTR text, LPCWSTR location) {
    const CUIString all(text);
    const CUIString snippet(location);
    if (snippet.IsEmpty()) return 0;
    // A snippet shorter than the parser's limit is the end of the text itself.
    const bool wholeTail = snippet.GetLength() < SkinUI::CSkinXml::kLocationCapacity - 1;
    int at = -1;
    if (wholeTail && all.GetLength() >= snippet.GetLength() &&
        all.Right(snippet.GetLength()) == snippet) {
        at = all.GetLength() - snippet.GetLength();
    } else {
        at = all.Find(snippet);
    }
    if (at < 0) return 0;
    int line = 1;
    for (int i = 0; i < at; ++i) line += all.GetAt(i) == L'\n';
    return line;
}

int LineOfFailure(LPCWSTR text, LPCWSTR message) {
    const CUIString all(text);
    const auto failsAlike = [&all, message](int length) {
        SkinUI::CSkinXml prefix;
        return !prefix.Load(all.Left(length)) && wcscmp(prefix.ErrorMessage(), message) == 0;
    };
    if (all.IsEmpty() || !failsAlike(all.GetLength())) return 0;
    // A fault every cut-short text shows too (the data ends too soon) is at the end.
    if (failsAlike(1)) {
        int lines = 1;
        for (int i = 0; i + 1 < all.GetLength(); ++i) lines += all.GetAt(i) == L'\n';
        return lines;
    }
    // Otherwise the shortest beginning of the text that fails the same way ends at the fault.
    int good = 1;                  // fails otherwise (or not at all)
    int bad = all.GetLength();     // fails alike
    while (bad - good > 1) {
        const int middle = good + (bad - good) / 2;
        (failsAlike(middle) ? bad : good) = middle;
    }
    int line = 1;
    for (int i = 0; i + 1 < bad; ++i) line += all.GetAt(i) == L'\n';
    return line;
}

CUIString SkinLoadFailure(LPCWSTR markupName) {
    CUIString reason;
    SkinUI::CSkinXml xml;
    if (!SkinUI::LoadSkinMarkupFile(xml, markupName)) {
        const CUIString text = MarkupText(markupName);
        const int line = *xml.ErrorLocation() != L'\0'
                             ? LineOfLocation(text, xml.ErrorLocation())
                             : LineOfFailure(text, xml.ErrorMessage());
        if (line > 0)
            reason.Format(L"%s, line %d: %s", markupName, line, xml.ErrorMessage());
        else
            reason.Format(L"%s: %s", markupName, xml.ErrorMessage());
        if (*xml.ErrorLocation() != L'\0') {
            reason += L"\r\nnear: ";
            reason += xml.ErrorLocation();
        }
        return reason;
    }
    // A document without any control would give an empty window: say so instead.
    SkinUI::CLayoutBuilder builder;
    std::unique_ptr<SkinUI::CControlUI> root(builder.Create(markupName));
    if (!root) reason.Format(L"%s: no control could be built from the document", markupName);
    return reason;
}

}  // namespace gallery
