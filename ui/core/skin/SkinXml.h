#pragma once
// CSkinXml: the framework's small XML reader for skin markup. The whole document is taken into
// one wide-character buffer and parsed in place: names, attribute values and element texts are
// cut out of that buffer by writing NULs into it, and the element tree is kept as a flat table of
// integer links. CSkinXmlNode is a light handle on one element of one document.
//
// Accepted: elements, attributes in double quotes, element text before the first child, the
// entities &amp; &lt; &gt; &quot; &apos;, and <?...?> / <!...-> constructs, which are skipped.
// No namespaces, DTD, character references or validation.

#include <windows.h>

#include <cstdint>
#include <vector>

namespace SkinUI {

class CSkinXml;

class CSkinXmlNode {
public:
    static constexpr int kMaxAttributes = 64;  // attributes of one element reachable here

    CSkinXmlNode() = default;
    CSkinXmlNode(CSkinXml* document, int index) : m_pDocument(document), m_nIndex(index) {}

    bool IsValid() const { return m_pDocument != nullptr; }
    LPCWSTR Name() const;     // null for an invalid handle
    LPCWSTR Text() const;     // the element's text (empty for an empty element)
    CSkinXmlNode FirstChild() const;
    CSkinXmlNode NextSibling() const;
    CSkinXmlNode Parent() const;  // invalid for top-level elements
    bool HasChildren() const;
    bool HasAttributes();
    int AttributeCount();
    // Empty text (never null) for an index outside 0..count-1.
    LPCWSTR AttributeName(int index);
    LPCWSTR AttributeValue(int index);
    // The value of the first attribute named exactly name, or null.
    LPCWSTR AttributeValue(LPCWSTR name);
    // The value of the first attribute whose name matches ignoring case, or null.
    LPCWSTR AttributeValueNoCase(LPCWSTR name);
    // Copies the value of the first attribute named exactly name into buffer, at most capacity
    // characters; no terminator is added when the value fills the capacity (callers pass a
    // zeroed buffer one larger). Returns whether the attribute exists.
    bool CopyAttributeValue(LPCWSTR name, LPWSTR buffer, int capacity);
    int Index() const { return m_nIndex; }

private:
    void MapAttributes();

    CSkinXml* m_pDocument = nullptr;
    int m_nIndex = 0;
    int m_nAttributeCount = 0;
    bool m_bMapped = false;
    struct TAttribute {
        uint32_t namePos;
        uint32_t valuePos;
    } m_attributes[kMaxAttributes] = {};
};

class CSkinXml {
public:
    enum Encoding { kUtf8 = 0, kUtf16 = 1, kAnsi = 2 };
    static constexpr int kMessageCapacity = 100;   // characters incl. NUL
    static constexpr int kLocationCapacity = 50;   // characters incl. NUL
    static constexpr uint32_t kFirstTableSize = 500;
    static constexpr uint32_t kMaxElements = 0x0FFFFFFF;  // the element table's bound

    // One element: offsets in characters from the start of the text, links as table indexes
    // (0: none). Record 0 is a placeholder so that the root is record 1.
    struct TElement {
        uint32_t namePos;
        uint32_t firstChild;
        uint32_t nextSibling;
        uint32_t parent;
        uint32_t dataPos;  // start of the text; for an empty element the position of its "/"
    };

    CSkinXml() = default;
    explicit CSkinXml(LPCWSTR text);
    CSkinXml(const CSkinXml&) = delete;
    CSkinXml& operator=(const CSkinXml&) = delete;
    ~CSkinXml() { Release(); }

    // Parses a NUL-terminated text (copied first). False on failure, with the message and the
    // location readable afterwards; a failed load keeps nothing.
    bool Load(LPCWSTR text);
    // Converts raw bytes (UTF-8 with or without BOM, UTF-16 with a byte-order mark, or the
    // system ANSI code page) and parses them. A UTF-16 big-endian input is not modified.
    bool LoadFromBytes(const void* bytes, DWORD size, int encoding = kUtf8);
    // Parses a NUL-terminated text of length characters that the caller holds, writing into it
    // as Load writes into its copy. The document refers to the text until it is released and
    // never frees it. A failure has a message and a location but no line and column (the text
    // it would count them in was written into).
    bool ParseInPlace(LPWSTR text, size_t length);
    void Release();

    CSkinXmlNode Root();  // element 1, or an invalid handle when there is no element

    // Records a failure (message cut to 99 characters, location to 49) and returns false.
    bool SetError(LPCWSTR message, LPCWSTR location = nullptr);
    LPCWSTR ErrorMessage() const { return m_szErrorMsg; }
    LPCWSTR ErrorLocation() const { return m_szErrorXml; }
    // Where the last failed load stopped in the text it was given: line and column (in UTF-16
    // characters after any byte-order mark), both from 1; 0 for failures before parsing (no
    // file, unknown encoding, out of memory) and after a successful load.
    int ErrorLine() const { return m_nErrorLine; }
    int ErrorColumn() const { return m_nErrorColumn; }

    // Whitespace after a space in texts is kept (true) or collapsed (false).
    void SetPreserveWhitespace(bool preserve) { m_bPreserveWhitespace = preserve; }

    // Where documents loaded from now on keep their text (the C heap by default). The tests
    // place it against a no-access page, so that a read past the terminator stops them at once.
    // Each document frees its text with the function it was allocated with; null functions
    // restore the default.
    struct TTextAllocator {
        void* (*allocate)(size_t bytes);
        void (*release)(void* block);
    };
    static void SetTextAllocator(const TTextAllocator& allocator);

    // Read access for handles and tools.
    uint32_t ElementCount() const { return static_cast<uint32_t>(m_vElements.size()); }
    const TElement* Element(uint32_t index) const {
        return index > 0 && index < m_vElements.size() ? &m_vElements[index] : nullptr;
    }
    LPCWSTR TextAt(uint32_t pos) const { return m_pstrXml + pos; }

private:
    class CParser;
    bool Parse();
    TElement* NewElement();  // null when out of memory
    bool AllocateText(size_t characters);  // room for characters and the terminator
    // Turns the failure's offset into a line and column of the text as it was before parsing
    // (which writes into its copy), given that text.
    void LocateError(LPCWSTR original, size_t length);

    LPWSTR m_pstrXml = nullptr;      // the document, NUL-terminated, parsed in place
    void (*m_pfnReleaseText)(void*) = nullptr;  // frees m_pstrXml
    std::vector<TElement> m_vElements;  // the element table
    size_t m_nTextLength = 0;
    wchar_t m_szErrorMsg[kMessageCapacity] = {};
    wchar_t m_szErrorXml[kLocationCapacity] = {};
    bool m_bPreserveWhitespace = true;
    size_t m_nErrorOffset = 0;  // the parser's position at the last failure
    bool m_bErrorHasOffset = false;
    int m_nErrorLine = 0;
    int m_nErrorColumn = 0;
};

}  // namespace SkinUI
