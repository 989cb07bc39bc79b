#pragma once
// CChildLayoutUI: a container that fills itself from another markup document of the skin
// ("xmlfile": a skin file name, or markup text) each time it is initialised, that is when it is
// attached to a window. The document's tree replaces what an earlier build left; a document
// that cannot be built leaves the layout empty. Children written inside the element in the
// window's own markup are not taken (the layout offers the builder no container interface).
//
// Hostile skins are bounded: a document that (directly or through others) builds itself again
// is refused, as are chains deeper than kMaxNesting and, per control tree, more than
// kMaxControls controls built by child layouts altogether.

#include <windows.h>

#include "ui/core/base/UIString.h"
#include "ui/core/manager/ContainerUI.h"

namespace SkinUI {

class CChildLayoutUI : public CContainerUI {
public:
    static constexpr int kMaxNesting = 8;
    static constexpr int kMaxControls = 100000;

    CChildLayoutUI();
    ~CChildLayoutUI() override;

    LPCWSTR ClassName() const override;             // "ChildLayoutUI"
    LPVOID InterfaceByName(LPCWSTR name) override;  // "ChildLayout", then only the base's names
    void Initialize() override;

    LPCWSTR XmlFile() const { return m_strXmlFile; }
    // Stores the document's name; it is built at the next initialisation.
    void SetXmlFile(LPCWSTR xmlFile);

private:
    // Builds the document; null when it cannot or may not be built.
    CControlUI* BuildDocument();
    static const CAttributeTable<CChildLayoutUI>& Attributes();

    CUIString m_strXmlFile;
};

}  // namespace SkinUI
