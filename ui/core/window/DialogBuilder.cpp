// Building a window's control tree from skin markup.

#include "ui/core/window/DialogBuilder.h"

#include <cwchar>

#include "ui/core/base/UIAttribute.h"
#include "ui/core/base/UIDpi.h"
#include "ui/core/manager/ContainerUI.h"
#include "ui/core/manager/ControlFactory.h"
#include "ui/core/manager/ControlUI.h"
#include "ui/core/manager/TreeAttachment.h"
#include "ui/core/manager/WindowManager.h"
#include "ui/core/manager/WindowShadowSettings.h"
#include "ui/core/skin/SkinPackage.h"
#include "ui/core/skin/StringTable.h"

namespace SkinUI {

namespace {

bool SameNoCase(LPCWSTR a, LPCWSTR b) {
    return a != nullptr && b != nullptr && _wcsicmp(a, b) == 0;
}

// The structural elements' attribute names are matched ignoring case.
LPCWSTR AttributeNoCase(CSkinXmlNode& node, LPCWSTR name) { return node.AttributeValueNoCase(name); }

int AttributeInt(CSkinXmlNode& node, LPCWSTR name, int fallback) {
    LPCWSTR value = AttributeNoCase(node, name);
    return value != nullptr ? ParseAttrInt(value) : fallback;
}

bool AttributeBool(CSkinXmlNode& node, LPCWSTR name) {
    return ParseAttrBoolNoCase(AttributeNoCase(node, name));
}

bool HasText(LPCWSTR text) { return text != nullptr && *text != L'\0'; }

// ---- Top-level resource elements ---------------------------------------------------------------

void AddImageElement(CSkinXmlNode& node, CWindowManagerUI& manager) {
    LPCWSTR name = AttributeNoCase(node, L"name");
    if (!HasText(name)) return;
    LPCWSTR type = AttributeNoCase(node, L"restype");
    manager.AddImage(name, HasText(type) ? type : nullptr,
                     ParseAttrHex(AttributeNoCase(node, L"mask")), AttributeBool(node, L"shared"));
}

void AddFontElement(CSkinXmlNode& node, CWindowManagerUI& manager) {
    const int id = AttributeInt(node, L"id", -1);
    LPCWSTR face = AttributeNoCase(node, L"name");
    if (id < 0 || !HasText(face)) return;
    const int size = AttributeInt(node, L"size", 12);
    const bool bold = AttributeBool(node, L"bold");
    const bool underline = AttributeBool(node, L"underline");
    const bool italic = AttributeBool(node, L"italic");
    const bool shared = AttributeBool(node, L"shared");
    manager.AddFont(id, face, size, bold, underline, italic, shared);
    if (AttributeBool(node, L"default"))
        manager.SetDefaultFont(face, size, bold, underline, italic, shared);
}

void AddDefaultElement(CSkinXmlNode& node, CWindowManagerUI& manager) {
    LPCWSTR name = AttributeNoCase(node, L"name");
    if (!HasText(name)) return;
    LPCWSTR value = AttributeNoCase(node, L"value");
    manager.AddClassDefaults(name, value != nullptr ? value : L"", AttributeBool(node, L"shared"));
}

void AddTextElement(CSkinXmlNode& node, CWindowManagerUI&) { AddTextFromElement(node); }

void LoadStringTableElement(CSkinXmlNode& node, CWindowManagerUI&) {
    LPCWSTR name = AttributeNoCase(node, L"name");
    if (!HasText(name)) return;
    LPCWSTR fallback = AttributeNoCase(node, L"default");
    LoadUserStringTable(name, HasText(fallback) ? fallback : kDefaultLanguageTag);
}

struct TResourceElement {
    LPCWSTR name;
    void (*add)(CSkinXmlNode& node, CWindowManagerUI& manager);
};

const TResourceElement kResourceElements[] = {
    {L"Image", &AddImageElement},
    {L"Font", &AddFontElement},
    {L"Default", &AddDefaultElement},
    {L"MultiLanguage", &AddTextElement},
    {L"StringTable", &LoadStringTableElement},
};

const TResourceElement* FindResourceElement(LPCWSTR name) {
    for (const TResourceElement& element : kResourceElements)
        if (SameNoCase(element.name, name)) return &element;
    return nullptr;
}

void ApplyResourceElements(CSkinXmlNode root, CWindowManagerUI& manager) {
    for (CSkinXmlNode node = root.FirstChild(); node.IsValid(); node = node.NextSibling()) {
        if (const TResourceElement* element = FindResourceElement(node.Name()))
            element->add(node, manager);
    }
}

// ---- Window attributes of the root element -----------------------------------------------------

using M = CWindowManagerUI;
const TWindowAttribute kWindowAttributes[] = {
    {L"size", false, [](M& m, LPCWSTR v) { m.SetInitialSize(ParseAttrSize(v)); }, EScaledAttr::Size},
    {L"sizebox", false, [](M& m, LPCWSTR v) { m.SetResizeBorders(ParseAttrRect(v)); },
     EScaledAttr::Rect},
    {L"caption", false, [](M& m, LPCWSTR v) { m.SetCaptionBand(ParseAttrRect(v)); },
     EScaledAttr::Rect},
    {L"roundcorner", false, [](M& m, LPCWSTR v) { m.SetCornerEllipse(ParseAttrSize(v)); },
     EScaledAttr::Size},
    {L"mininfo", false, [](M& m, LPCWSTR v) { m.SetMinTrackSize(ParseAttrSize(v)); },
     EScaledAttr::Size},
    {L"maxinfo", false, [](M& m, LPCWSTR v) { m.SetMaxTrackSize(ParseAttrSize(v)); },
     EScaledAttr::Size},
    {L"showdirty", false, [](M& m, LPCWSTR v) { m.SetShowDirty(ParseAttrBoolNoCase(v)); },
     EScaledAttr::None},
    {L"alpha", false, [](M& m, LPCWSTR v) { m.SetOpacity(ParseAttrInt(v)); }, EScaledAttr::None},
    {L"bktrans", false, [](M& m, LPCWSTR v) { m.SetCopyBackdrop(ParseAttrBoolNoCase(v)); },
     EScaledAttr::None},
    {L"disabledfontcolor", false,
     [](M& m, LPCWSTR v) { m.SetDefaultDisabledColor(ParseAttrColor(v), false); },
     EScaledAttr::None},
    {L"defaultfontcolor", false,
     [](M& m, LPCWSTR v) { m.SetDefaultFontColor(ParseAttrColor(v), false); }, EScaledAttr::None},
    {L"linkfontcolor", false,
     [](M& m, LPCWSTR v) { m.SetDefaultLinkFontColor(ParseAttrColor(v), false); },
     EScaledAttr::None},
    {L"linkhoverfontcolor", false,
     [](M& m, LPCWSTR v) { m.SetDefaultLinkHoverFontColor(ParseAttrColor(v), false); },
     EScaledAttr::None},
    {L"selectedcolor", false,
     [](M& m, LPCWSTR v) { m.SetDefaultSelectedBkColor(ParseAttrColor(v), false); },
     EScaledAttr::None},
    {L"animateimage", true, [](M& m, LPCWSTR v) { m.SetPlaceholderImage(v); }, EScaledAttr::None},
    {L"moveparentwnd", true, [](M& m, LPCWSTR v) { m.SetDragMovesParent(ParseAttrBool(v)); },
     EScaledAttr::None},
    {L"alphabktrans", true, [](M& m, LPCWSTR v) { m.SetPerPixelAlpha(ParseAttrBool(v)); },
     EScaledAttr::None},
};

// The row of a root attribute: the window's own, else the shadow's.
const TWindowAttribute* FindWindowAttribute(LPCWSTR name) {
    if (name == nullptr) return nullptr;
    for (const TWindowAttribute& attribute : kWindowAttributes) {
        const bool same = attribute.exactCase ? wcscmp(attribute.name, name) == 0
                                              : SameNoCase(attribute.name, name);
        if (same) return &attribute;
    }
    return FindShadowAttribute(name);
}

// A window attribute of the markup: lengths are kept as written and applied scaled to the
// window's density.
void ApplyWindowAttribute(CWindowManagerUI& manager, LPCWSTR name, LPCWSTR value) {
    const TWindowAttribute* attribute = FindWindowAttribute(name);
    if (attribute == nullptr) return;
    if (attribute->length == EScaledAttr::None) {
        attribute->apply(manager, value);
        return;
    }
    manager.WindowSkinLengths().Remember(name, value);
    attribute->apply(manager, ScaleAttrValue(attribute->length, value, manager.Dpi()));
}

void ApplyWindowAttributes(CSkinXmlNode root, CWindowManagerUI& manager) {
    const int count = root.AttributeCount();
    for (int i = 0; i < count; ++i)
        ApplyWindowAttribute(manager, root.AttributeName(i), root.AttributeValue(i));
}

// ---- Controls --------------------------------------------------------------------------------

// Applies the element's default attribute list and its own attributes. The control is attached
// to the manager meanwhile so that fonts, images and colours resolve, and detached again: the
// real attachment comes with the whole tree.
void ApplyAttributes(CControlUI& control, CSkinXmlNode& node, CWindowManagerUI* manager) {
    if (manager != nullptr) {
        control.AttachTo(manager, nullptr, false);
        if (LPCWSTR defaults = manager->ClassDefaults(node.Name()))
            control.ApplyAttributeString(defaults);
    }
    const int count = node.AttributeCount();
    for (int i = 0; i < count; ++i)
        control.ApplySkinAttribute(node.AttributeName(i), node.AttributeValue(i));
    if (manager != nullptr) control.AttachTo(nullptr, nullptr, false);
}

// The parent's child list, asked once per sibling list. A tree node parent takes tree nodes as
// its child nodes and any other control into its row; a tree view takes tree nodes as its
// top-level nodes. A tree node that finds no tree to join belongs nowhere and is deleted.
class CChildSlot {
public:
    explicit CChildSlot(CControlUI* parent) : m_pParent(parent) {}

    enum class EPlaced { kPlaced, kRefused, kNoChildren };

    // Places control in the parent. A control the parent refuses is deleted (kRefused), and so
    // is one offered to a parent that takes no children at all (kNoChildren).
    EPlaced Place(CControlUI* control, bool isTreeNode) {
        Ask();
        bool placed = false;
        if (isTreeNode) {
            if (m_pNode != nullptr) placed = m_pNode->AddChildNode(control);
            else if (m_pTree != nullptr) placed = m_pTree->AddNode(control);
        } else if (m_pNode != nullptr) {
            placed = m_pNode->AddToRow(control);
        } else if (m_pContainer != nullptr) {
            placed = m_pContainer->Append(control);
        } else {
            delete control;
            return EPlaced::kNoChildren;
        }
        if (placed) return EPlaced::kPlaced;
        delete control;
        return EPlaced::kRefused;
    }

private:
    void Ask() {
        if (m_bAsked) return;
        m_bAsked = true;
        m_pNode = static_cast<ITreeNodeAttachUI*>(m_pParent->InterfaceByName(L"TreeNode"));
        m_pTree = static_cast<ITreeViewAttachUI*>(m_pParent->InterfaceByName(L"TreeView"));
        m_pContainer = static_cast<IContainerUI*>(m_pParent->InterfaceByName(L"IContainer"));
    }

    CControlUI* m_pParent;
    ITreeNodeAttachUI* m_pNode = nullptr;
    ITreeViewAttachUI* m_pTree = nullptr;
    IContainerUI* m_pContainer = nullptr;
    bool m_bAsked = false;
};

}  // namespace

// ---- CLayoutBuilder ---------------------------------------------------------------------------

CLayoutBuilder::CLayoutBuilder() = default;

CLayoutBuilder::~CLayoutBuilder() = default;

LPCWSTR CLayoutBuilder::ResourceType() const {
    if (!m_bFromResource) return nullptr;
    return m_pResourceTypeId != nullptr ? m_pResourceTypeId : m_strResourceType.GetData();
}

CControlUI* CLayoutBuilder::Create(LPCWSTR xml, LPCWSTR resourceType,
                                   IDialogBuilderCallback* callback, CWindowManagerUI* manager,
                                   CControlUI* parent) {
    m_bFromResource = false;
    m_pResourceTypeId = nullptr;
    m_strResourceType.Empty();
    bool loaded = false;
    if (xml == nullptr) {
        m_xml.Release();
        m_xml.SetError(L"Error opening file");
    } else if (IS_INTRESOURCE(xml)) {
        m_bFromResource = true;
        if (IS_INTRESOURCE(resourceType)) m_pResourceTypeId = resourceType;
        else m_strResourceType = resourceType;
        loaded = LoadSkinMarkupResource(m_xml, xml, ResourceType());
    } else if (xml[0] == L'<') {
        loaded = m_xml.Load(xml);
    } else {
        loaded = LoadSkinMarkupFile(m_xml, xml);
    }
    return loaded ? Create(callback, manager, parent) : nullptr;
}

CControlUI* CLayoutBuilder::Create(IDialogBuilderCallback* callback, CWindowManagerUI* manager,
                                   CControlUI* parent) {
    if (m_pBudget == &m_ownBudget) m_ownBudget = TBudget();
    return Build(callback, manager, parent);
}

CControlUI* CLayoutBuilder::Build(IDialogBuilderCallback* callback, CWindowManagerUI* manager,
                                  CControlUI* parent) {
    m_pCallback = callback;
    m_unknown.clear();
    CSkinXmlNode root = m_xml.Root();
    if (!root.IsValid()) return nullptr;
    if (manager != nullptr) {
        ApplyResourceElements(root, *manager);
        if (manager->GetPaintWindow() != nullptr && SameNoCase(root.Name(), L"Window"))
            ApplyWindowAttributes(root, *manager);
    }
    return Parse(root, parent, manager, m_nDepthOffset);
}

CControlUI* CLayoutBuilder::NewControl(LPCWSTR elementName) {
    if (m_pBudget->controls <= 0) return nullptr;
    CControlUI* control = CreateRegisteredControl(elementName);
    if (control == nullptr && m_pCallback != nullptr)
        control = m_pCallback->CreateControl(elementName);
    if (control != nullptr) --m_pBudget->controls;
    return control;
}

void CLayoutBuilder::NoteUnknownElement(CSkinXmlNode node) {
    const CSkinXml::TElement* element = m_xml.Element(static_cast<uint32_t>(node.Index()));
    if (element == nullptr || m_unknown.size() >= kMaxUnknownElements) return;
    m_unknown.push_back(TUnknownElement{CUIString(node.Name()), element->namePos});
}

CControlUI* CLayoutBuilder::Parse(CSkinXmlNode node, CControlUI* parent, CWindowManagerUI* manager,
                                  int depth) {
    if (depth >= kMaxNestingDepth) return nullptr;
    CChildSlot slot(parent);
    CControlUI* first = nullptr;
    for (CSkinXmlNode child = node.FirstChild(); child.IsValid(); child = child.NextSibling()) {
        // Without a parent only the first control is kept: later ones would belong to nobody.
        if (parent == nullptr && first != nullptr) break;
        LPCWSTR name = child.Name();
        if (FindResourceElement(name) != nullptr) continue;
        if (SameNoCase(name, L"Include")) {
            CControlUI* included = Include(child, parent, manager, depth);
            if (first == nullptr) first = included;
            continue;
        }
        const bool budgetLeft = m_pBudget->controls > 0;
        CControlUI* control = NewControl(name);
        if (control == nullptr) {  // skipped with its subtree
            if (budgetLeft) NoteUnknownElement(child);
            continue;
        }
        // Children first, so that a control has them before it is attached or configured.
        if (child.HasChildren()) Parse(child, control, manager, depth + 1);
        // A parent that is already in a window attaches, initialises and registers the names
        // of a new child at once, so such a child is configured before it is placed.
        const bool parentInWindow = parent != nullptr && parent->Manager() != nullptr;
        if (parentInWindow) ApplyAttributes(*control, child, manager);
        if (parent != nullptr) {
            const auto placed = slot.Place(control, SameNoCase(name, L"TreeNode"));
            if (placed == CChildSlot::EPlaced::kNoChildren) return nullptr;
            if (placed == CChildSlot::EPlaced::kRefused) continue;  // deleted with its subtree
        }
        if (!parentInWindow) ApplyAttributes(*control, child, manager);
        if (first == nullptr) first = control;
    }
    return first;
}

CControlUI* CLayoutBuilder::Include(CSkinXmlNode node, CControlUI* parent,
                                    CWindowManagerUI* manager, int depth) {
    const int count = AttributeInt(node, L"count", 1);
    wchar_t source[500] = {};  // sources longer than 499 characters are cut there
    if (LPCWSTR value = AttributeNoCase(node, L"source")) wcsncpy(source, value, 499);
    if (source[0] == L'\0' || count <= 0 || m_nIncludeDepth >= kMaxIncludeDepth) return nullptr;
    LPCWSTR xml = source;
    if (m_bFromResource) {
        const int id = ParseAttrInt(source);
        if (id <= 0 || id > 0xFFFF) return nullptr;
        xml = MAKEINTRESOURCEW(id);
    }
    CControlUI* first = nullptr;
    for (int i = 0; i < count && m_pBudget->includes > 0 && m_pBudget->controls > 0; ++i) {
        --m_pBudget->includes;
        CLayoutBuilder inner;
        inner.m_pBudget = m_pBudget;
        inner.m_nIncludeDepth = m_nIncludeDepth + 1;
        inner.m_nDepthOffset = depth;
        CControlUI* built = inner.Create(xml, ResourceType(), m_pCallback, manager, parent);
        if (first == nullptr) first = built;
        if (parent == nullptr && first != nullptr) break;  // further copies would belong to nobody
    }
    return first;
}

void CLayoutBuilder::RescaleWindowAttributes(CWindowManagerUI& manager) {
    const std::vector<CLogicalAttributes::TEntry> lengths = manager.WindowSkinLengths().Entries();
    for (const CLogicalAttributes::TEntry& entry : lengths)
        ApplyWindowAttribute(manager, entry.name, entry.value);
}

}  // namespace SkinUI
