#pragma once
// CLayoutBuilder: turns a skin markup document into the control tree of one window. The root
// element's attributes become the window manager's settings, the top-level Image, Font, Default
// and MultiLanguage elements fill its resource tables, and every other element becomes one
// control of the framework's element vocabulary (DialogBuilderElements.cpp) or of the window's
// own classes (IDialogBuilderCallback). Include elements build another document into the same
// place.
//
// Ownership: the builder owns its document only. The controls it creates belong to the caller
// (to the parent they were appended to, or, for the returned control, to whoever takes it);
// controls that could not be placed anywhere are deleted at once.
//
// Hostile markup is bounded: elements nested deeper than kMaxNestingDepth are skipped with their
// subtrees, Include chains stop at kMaxIncludeDepth, and one build creates at most
// kMaxBuildControls controls and loads at most kMaxIncludes included documents.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "ui/core/base/UIString.h"
#include "ui/core/skin/SkinXml.h"

namespace SkinUI {

class CControlUI;
class CWindowManagerUI;

class IDialogBuilderCallback {
public:
    // A new control for an element name the framework does not know, or null to skip it.
    virtual CControlUI* CreateControl(LPCWSTR className) = 0;

protected:
    ~IDialogBuilderCallback() = default;
};

class CLayoutBuilder {
public:
    static constexpr int kMaxNestingDepth = 128;
    static constexpr int kMaxIncludeDepth = 8;
    static constexpr int kMaxIncludes = 256;
    static constexpr int kMaxBuildControls = 100000;

    CLayoutBuilder();
    ~CLayoutBuilder();
    CLayoutBuilder(const CLayoutBuilder&) = delete;
    CLayoutBuilder& operator=(const CLayoutBuilder&) = delete;

    // Loads xml and builds it. xml is a resource number (MAKEINTRESOURCE) of resourceType, markup
    // text when it starts with "<", or else the name of a skin file. Returns the first control
    // built from the root's children; null when loading failed (the reason stays on Markup()),
    // when there is no root, or when nothing could be built. A null manager builds controls
    // without touching any table or window setting; a null parent leaves the result unattached.
    CControlUI* Create(LPCWSTR xml, LPCWSTR resourceType = nullptr,
                       IDialogBuilderCallback* callback = nullptr,
                       CWindowManagerUI* manager = nullptr, CControlUI* parent = nullptr);
    // The same on the document already loaded into Markup().
    CControlUI* Create(IDialogBuilderCallback* callback = nullptr,
                       CWindowManagerUI* manager = nullptr, CControlUI* parent = nullptr);

    CSkinXml* Markup() { return &m_xml; }

    // Applies the window settings of the markup that are lengths (size, caption, round corners,
    // ...) again at the manager's current density, after the window moved to another one.
    static void RescaleWindowAttributes(CWindowManagerUI& manager);

    // An element of this document that no registered control and no callback knew: it was
    // skipped with its subtree. textPos is where its name starts in the document's text, in
    // characters (the parser keeps positions, so a tool can turn it into a line of the file).
    struct TUnknownElement {
        CUIString name;
        uint32_t textPos;
    };
    // The unknown elements of the last build, in document order (the first kMaxUnknownElements);
    // those of included documents are their own builders' concern.
    static constexpr size_t kMaxUnknownElements = 64;
    const std::vector<TUnknownElement>& UnknownElements() const { return m_unknown; }

private:
    // What one build (a window's document with its includes) may still spend.
    struct TBudget {
        int includes = kMaxIncludes;
        int controls = kMaxBuildControls;
    };

    CControlUI* Build(IDialogBuilderCallback* callback, CWindowManagerUI* manager,
                      CControlUI* parent);
    CControlUI* Parse(CSkinXmlNode node, CControlUI* parent, CWindowManagerUI* manager,
                      int depth);
    // Builds the Include element's document count times into parent; the first control it
    // built, or null.
    CControlUI* Include(CSkinXmlNode node, CControlUI* parent, CWindowManagerUI* manager,
                        int depth);
    CControlUI* NewControl(LPCWSTR elementName);
    void NoteUnknownElement(CSkinXmlNode node);
    // The resource type of the document (null unless it came from a resource).
    LPCWSTR ResourceType() const;

    CSkinXml m_xml;
    IDialogBuilderCallback* m_pCallback = nullptr;  // not owned
    bool m_bFromResource = false;
    LPCWSTR m_pResourceTypeId = nullptr;  // a type number (MAKEINTRESOURCE), or null
    CUIString m_strResourceType;          // a type name
    TBudget m_ownBudget;
    TBudget* m_pBudget = &m_ownBudget;  // the outermost builder's budget
    int m_nIncludeDepth = 0;            // how many Include elements led to this document
    int m_nDepthOffset = 0;             // nesting depth of the Include element in the outer tree
    std::vector<TUnknownElement> m_unknown;
};

}  // namespace SkinUI
