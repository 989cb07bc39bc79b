// Checking a skin's markup before the window is made of it.

#include "tools/gallery/SkinCheck.h"

#include <memory>

#include "ui/core/manager/ControlUI.h"
#include "ui/core/skin/SkinPackage.h"
#include "ui/core/skin/SkinXml.h"
#include "ui/core/window/DialogBuilder.h"

namespace gallery {

using SkinUI::CUIString;

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
    if (!root) reason.Format(L"%s: no control could be built from the document", markupName);
    return reason;
}

}  // namespace gallery
