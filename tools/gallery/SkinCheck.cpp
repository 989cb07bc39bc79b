// Checking a skin's markup before the window is made of it.

#include "tools/gallery/SkinCheck.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ui/core/manager/ControlUI.h"
#include "ui/core/skin/SkinPackage.h"
#include "ui/core/skin/SkinXml.h"
#include "ui/core/window/DialogBuilder.h"

namespace gallery {

using SkinUI::CUIString;

namespace {

// The markup file as the parser read it (UTF-8, a byte-order mark skipped); empty when unreadable.
std::wstring MarkupText(LPCWSTR markupName) {
    std::vector<BYTE> bytes;
    if (!SkinUI::ReadSkinFileBytes(markupName, bytes, SkinUI::kMaxMarkupSize)) return {};
    const char* data = reinterpret_cast<const char*>(bytes.data());
    int size = static_cast<int>(bytes.size());
    if (size >= 3 && memcmp(data, "\xEF\xBB\xBF", 3) == 0) {
        data += 3;
        size -= 3;
    }
    const int length = size > 0 ? ::MultiByteToWideChar(CP_UTF8, 0, data, size, nullptr, 0) : 0;
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) ::MultiByteToWideChar(CP_UTF8, 0, data, size, &text[0], length);
    return text;
}

// The 1-based line of a position in the text (positions the parser kept stay those of the file).
int LineAt(const std::wstring& text, uint32_t position) {
    const size_t end = position < text.size() ? position : text.size();
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(end), L'\n'));
}

// Names every element the framework does not know, with its line; empty when there is none.
CUIString UnknownElements(LPCWSTR markupName, const SkinUI::CLayoutBuilder& builder) {
    CUIString reason;
    const std::wstring text = MarkupText(markupName);
    for (const auto& unknown : builder.UnknownElements()) {
        CUIString line;
        line.Format(L"%s%s, line %d: unknown element \"%s\"", reason.IsEmpty() ? L"" : L"\r\n",
                    markupName, LineAt(text, unknown.textPos), unknown.name.GetData());
        reason += line;
    }
    return reason;
}

}  // namespace

CUIString SkinLoadFailure(LPCWSTR markupName) {
    CUIString reason;
    SkinUI::CSkinXml xml;
    if (!SkinUI::LoadSkinMarkupFile(xml, markupName)) {
        const int line = xml.ErrorLine();
        if (line > 0)
            reason.Format(L"%s, line %d: %s (column %d)", markupName, line, xml.ErrorMessage(),
                          xml.ErrorColumn());
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
    if (!root) {
        reason.Format(L"%s: no control could be built from the document", markupName);
        return reason;
    }
    // An element the framework does not know would vanish with its subtree: say which.
    return UnknownElements(markupName, builder);
}

}  // namespace gallery
