// The skin markup reader. The parse walks the text once, cutting names and values out of it in
// place, and keeps the open elements on an explicit stack, so that deeply nested input cannot
// exhaust the thread's stack.

#include "ui/core/skin/SkinXml.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <exception>
#include <new>
#include <vector>

#include "ui/core/base/UIAttribute.h"

namespace SkinUI {

namespace {

// Character classes of ASCII, looked up once per character; the scanning loops below test a
// class bit instead of comparing each character against several others.
enum : uint8_t {
    kNameChar = 1,   // letters, digits, "_" and ":"
    kEndsText = 2,   // where an element's text stops scanning: the end, "<", "&"
    kEndsValue = 4,  // where an attribute value stops scanning: the end, "\"", "&"
    kSpace = 8,      // " ", which stops scanning only while whitespace is collapsed
};

struct TCharClasses {
    uint8_t ascii[128] = {};
    constexpr TCharClasses() {
        for (int ch = 0; ch < 128; ++ch) {
            const bool letter = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
            if (letter || (ch >= '0' && ch <= '9') || ch == '_' || ch == ':') ascii[ch] |= kNameChar;
        }
        ascii[0] |= kEndsText | kEndsValue;
        ascii['&'] |= kEndsText | kEndsValue;
        ascii['<'] |= kEndsText;
        ascii['"'] |= kEndsValue;
        ascii[' '] |= kSpace;
    }
};
constexpr TCharClasses kClasses;

// Characters beyond ASCII belong to no class of the table (they never end a text).
inline uint8_t ClassOf(wchar_t ch) { return ch < 128 ? kClasses.ascii[ch] : 0; }

// The first character at or after p in one of the classes: four characters a step, since most
// runs (values, texts) are longer than that. The text's NUL is in every class that ends a scan.
inline LPWSTR ScanTo(LPWSTR p, uint8_t classes) {
    for (;; p += 4) {
        if (ClassOf(p[0]) & classes) return p;
        if (ClassOf(p[1]) & classes) return p + 1;
        if (ClassOf(p[2]) & classes) return p + 2;
        if (ClassOf(p[3]) & classes) return p + 3;
    }
}

// Names are ASCII letters, digits, "_" and ":" by the table; other characters as the C
// run-time classifies them (rare in skins, so the call is paid only there).
LPWSTR SkipName(LPWSTR p) {
    for (;; ++p) {
        const wchar_t ch = *p;
        if (ch < 128 ? (kClasses.ascii[ch] & kNameChar) == 0 : iswalnum(ch) == 0) return p;
    }
}

void CopyCut(LPWSTR target, int capacity, LPCWSTR source) {
    target[0] = L'\0';
    if (source != nullptr) {
        wcsncpy(target, source, static_cast<size_t>(capacity - 1));
        target[capacity - 1] = L'\0';
    }
}

struct TEntity {
    const wchar_t* text;  // after the "&"
    size_t length;
    wchar_t value;
};
constexpr TEntity kEntities[] = {
    {L"amp;", 4, L'&'}, {L"lt;", 3, L'<'}, {L"gt;", 3, L'>'}, {L"quot;", 5, L'"'}, {L"apos;", 5, L'\''},
};

CSkinXml::TTextAllocator g_textAllocator = {&malloc, &free};

}  // namespace

// ---- Parser ---------------------------------------------------------------------------------

class CSkinXml::CParser {
public:
    explicit CParser(CSkinXml& document) : m_doc(document), m_base(document.m_pstrXml), m_p(m_base) {}

    bool Run() {
        try {
            m_frames.push_back(TFrame{0, nullptr, 0});
            return ParseLists();
        } catch (const std::exception&) {
            return m_doc.SetError(L"Out of memory");
        }
    }

private:
    // An element whose children are being read: the sibling list it heads.
    struct TFrame {
        uint32_t element;    // 0 for the top level
        LPWSTR nameEnd;      // where the element's name ends (NUL once it is complete)
        uint32_t lastChild;  // the previous element of this list, for linking
    };

    // The open elements: a skin's usual nesting without a heap allocation (a small skin parses
    // in microseconds, where one allocation shows), deeper nesting on the heap.
    class CFrameStack {
    public:
        void push_back(const TFrame& frame) {
            if (m_nSize < kInline) m_inline[m_nSize] = frame;
            else m_deeper.push_back(frame);
            ++m_nSize;
        }
        void pop_back() {
            if (m_nSize-- > kInline) m_deeper.pop_back();
        }
        TFrame& back() { return m_nSize > kInline ? m_deeper.back() : m_inline[m_nSize - 1]; }
        size_t size() const { return m_nSize; }

    private:
        static constexpr size_t kInline = 32;
        TFrame m_inline[kInline];
        std::vector<TFrame> m_deeper;
        size_t m_nSize = 0;
    };

    bool Fail(LPCWSTR message) { return m_doc.SetError(message, m_p); }
    // A failure found at the end of the text whose cause began earlier (a value never closed):
    // the location stays the parser's, the line and column are those of the cause.
    bool FailFrom(LPCWSTR message, LPCWSTR cause) {
        Fail(message);
        m_doc.m_nErrorOffset = static_cast<size_t>(cause - m_doc.m_pstrXml);
        return false;
    }
    TElement& Element(uint32_t index) { return m_doc.m_vElements[index]; }
    uint32_t Offset(LPCWSTR p) const { return static_cast<uint32_t>(p - m_base); }

    bool ParseLists() {
        for (;;) {
            m_p = SkipBlanks(m_p);
            uint32_t parent = m_frames.back().element;
            if (*m_p == L'\0') {
                // The end of the text is accepted only inside the root or at the top level.
                if (parent > 1) return Fail(L"Expected start tag");
                if (m_frames.size() == 1) return true;
                if (!CloseElement()) return false;
                continue;
            }
            if (*m_p != L'<') return Fail(L"Expected start tag");
            if (m_p[1] == L'/') {  // this list ends; its element's end tag follows
                if (m_frames.size() == 1) return true;
                if (!CloseElement()) return false;
                continue;
            }
            *m_p++ = L'\0';  // ends the text of whatever came before
            m_p = SkipBlanks(m_p);
            if (*m_p == L'!' || *m_p == L'?') {
                SkipConstruct();
                continue;
            }
            if (!OpenElement(parent)) return false;
        }
    }

    // "<!...->" and "<?...?>" are skipped unseen.
    void SkipConstruct() {
        wchar_t closing = *m_p == L'!' ? L'-' : L'?';
        while (*m_p != L'\0' && !(m_p[0] == closing && m_p[1] == L'>')) ++m_p;
        if (*m_p != L'\0') m_p += 2;
    }

    bool OpenElement(uint32_t parent) {
        TElement* element = m_doc.NewElement();
        if (element == nullptr) return m_doc.SetError(L"Out of memory");
        const uint32_t index = m_doc.ElementCount() - 1;
        *element = TElement{Offset(m_p), 0, 0, parent, 0};
        TFrame& list = m_frames.back();
        if (list.lastChild != 0)
            Element(list.lastChild).nextSibling = index;
        else if (parent != 0)
            Element(parent).firstChild = index;
        list.lastChild = index;

        m_p = SkipName(m_p);
        if (*m_p == L'\0') return Fail(L"Error parsing element name");
        LPWSTR nameEnd = m_p;
        if (!ParseAttributes()) return false;
        m_p = SkipBlanks(m_p);
        if (m_p[0] == L'/' && m_p[1] == L'>') {  // empty element
            Element(index).dataPos = Offset(m_p);
            *m_p = L'\0';
            m_p += 2;
            return Complete(nameEnd);
        }
        if (*m_p != L'>') return Fail(L"Expected start-tag closing");
        ++m_p;
        Element(index).dataPos = Offset(m_p);
        ParseText(L'<');
        if (*m_p == L'\0') {
            // A missing end tag is accepted at the very end for the root and its children.
            if (parent > 1) return Fail(L"Expected end-tag start");
            return Complete(nameEnd);
        }
        if (m_p[1] != L'/') {  // children follow
            m_frames.push_back(TFrame{index, nameEnd, 0});
            return true;
        }
        return EndTag(index, nameEnd);
    }

    // The element at the top of the stack has read its children.
    bool CloseElement() {
        TFrame frame = m_frames.back();
        m_frames.pop_back();
        return EndTag(frame.element, frame.nameEnd);
    }

    // Checks "</name>" when it is there (at the end of the text it is not) and completes.
    bool EndTag(uint32_t index, LPWSTR nameEnd) {
        if (m_p[0] == L'<' && m_p[1] == L'/') {
            *m_p = L'\0';
            m_p = SkipBlanks(m_p + 2);
            LPCWSTR name = m_base + Element(index).namePos;
            size_t length = static_cast<size_t>(nameEnd - name);
            // Compared here rather than by the C run-time: names are a few characters, and
            // the text's NUL differs from every name character, so nothing is read past it.
            for (size_t i = 0; i < length; ++i)
                if (m_p[i] != name[i]) return Fail(L"Unmatched closing tag");
            m_p = SkipBlanks(m_p + length);
            if (*m_p != L'>') return Fail(L"Unmatched closing tag");
            ++m_p;
        }
        return Complete(nameEnd);
    }

    bool Complete(LPWSTR nameEnd) {
        *nameEnd = L'\0';
        m_p = SkipBlanks(m_p);
        return true;
    }

    bool ParseAttributes() {
        if (*m_p == L'>') return true;
        if (*m_p != L'/') *m_p++ = L'\0';  // a "/" right after the name is kept for "/>"
        for (;;) {
            m_p = SkipBlanks(m_p);
            if (*m_p == L'\0' || *m_p == L'>' || *m_p == L'/') return true;
            m_p = SkipName(m_p);
            LPWSTR nameEnd = m_p;
            m_p = SkipBlanks(m_p);
            if (*m_p != L'=') return Fail(L"Error while parsing attributes");
            *m_p++ = L' ';
            *nameEnd = L'\0';
            m_p = SkipBlanks(m_p);
            if (*m_p != L'"') return Fail(L"Expected attribute value");
            LPCWSTR opening = m_p++;
            LPWSTR valueEnd = ParseText(L'"');
            if (*m_p == L'\0') return FailFrom(L"Error while parsing attribute string", opening);
            if (valueEnd < m_p) *m_p = L' ';  // shortened: the value's NUL is already written
            else *m_p = L'\0';
            ++m_p;
        }
    }

    // Converts text up to end ("<" or "\"", or the end of the text) in place: entities are
    // decoded, the rest copied. The gap the decoding left is filled with spaces and the output
    // NUL-terminated when it is shorter than the input. Returns the end of the output.
    LPWSTR ParseText(wchar_t end) {
        uint8_t stops = end == L'<' ? kEndsText : kEndsValue;
        if (!m_doc.m_bPreserveWhitespace) stops |= kSpace;
        // Until the first entity (or collapsed space) the output is the input: only scanned.
        m_p = ScanTo(m_p, stops);
        LPWSTR out = m_p;
        while (*m_p != L'\0' && *m_p != end) {
            if (*m_p == L'&') {
                while (*m_p == L'&') {
                    ++m_p;
                    *out++ = DecodeEntity();
                }
            } else {  // a space while whitespace is collapsed: the blanks after it go
                *out++ = *m_p++;
                while (IsBlank(*m_p)) ++m_p;
            }
            while ((ClassOf(*m_p) & stops) == 0) *out++ = *m_p++;
        }
        if (out < m_p) {
            for (LPWSTR gap = out + 1; gap < m_p; ++gap) *gap = L' ';
            *out = L'\0';
        }
        return out;
    }

    // The character an entity after "&" stands for (consuming it), or "&" itself.
    wchar_t DecodeEntity() {
        for (const TEntity& entity : kEntities) {
            if (wcsncmp(m_p, entity.text, entity.length) == 0) {
                m_p += entity.length;
                return entity.value;
            }
        }
        return L'&';
    }

    CSkinXml& m_doc;
    LPWSTR m_base;
    LPWSTR m_p;
    CFrameStack m_frames;
};

// ---- Document ---------------------------------------------------------------------------------

CSkinXml::CSkinXml(LPCWSTR text) {
    if (text != nullptr) Load(text);
}

void CSkinXml::SetTextAllocator(const TTextAllocator& allocator) {
    g_textAllocator = allocator.allocate != nullptr && allocator.release != nullptr
                          ? allocator
                          : TTextAllocator{&malloc, &free};
}

bool CSkinXml::AllocateText(size_t characters) {
    if (characters >= 0x7FFFFFFF) return false;
    m_pstrXml = static_cast<LPWSTR>(g_textAllocator.allocate((characters + 1) * sizeof(wchar_t)));
    m_pfnReleaseText = g_textAllocator.release;
    return m_pstrXml != nullptr;
}

void CSkinXml::Release() {
    if (m_pstrXml != nullptr) m_pfnReleaseText(m_pstrXml);
    m_pstrXml = nullptr;
    std::vector<TElement>().swap(m_vElements);  // its memory goes too, not only its elements
    m_nTextLength = 0;
}

bool CSkinXml::Load(LPCWSTR text) {
    Release();
    if (text == nullptr) return SetError(L"Error opening file");
    size_t length = wcslen(text);
    if (!AllocateText(length)) return SetError(L"Out of memory");
    wmemcpy(m_pstrXml, text, length + 1);
    m_nTextLength = length;
    if (Parse()) return true;
    LocateError(text, length);
    return false;
}

bool CSkinXml::ParseInPlace(LPWSTR text, size_t length) {
    Release();
    if (text == nullptr || text[length] != L'\0') return SetError(L"Error opening file");
    m_pstrXml = text;
    m_pfnReleaseText = [](void*) {};  // the caller's
    m_nTextLength = length;
    return Parse();
}

namespace {

// Markup bytes as UTF-16: the number of characters they decode to (out null), or the characters
// written to out, which has room for that many; -1 for an encoding that cannot be read.
long long DecodeMarkup(const BYTE* data, DWORD size, int encoding, LPWSTR out) {
    if (encoding == CSkinXml::kUtf16) {
        // A byte-order mark is required; without one the byte order is unknown.
        if (size < 2 || !((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF)))
            return -1;
        const bool bigEndian = data[0] == 0xFE;
        const size_t count = size / 2 - 1;
        for (size_t i = 0; out != nullptr && i < count; ++i) {
            const BYTE* unit = data + 2 + i * 2;
            out[i] = static_cast<wchar_t>(bigEndian ? (unit[0] << 8) | unit[1] : unit[0] | (unit[1] << 8));
        }
        return static_cast<long long>(count);
    }
    const UINT codePage = encoding == CSkinXml::kAnsi ? CP_ACP : CP_UTF8;
    if (encoding != CSkinXml::kAnsi && size > 2 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
        data += 3;
        size -= 3;
    }
    if (size == 0) return 0;
    const int inLength = static_cast<int>(size);
    const int length = ::MultiByteToWideChar(codePage, 0, reinterpret_cast<LPCSTR>(data), inLength, nullptr, 0);
    if (out != nullptr && length > 0)
        ::MultiByteToWideChar(codePage, 0, reinterpret_cast<LPCSTR>(data), inLength, out, length);
    return length;
}

}  // namespace

bool CSkinXml::LoadFromBytes(const void* bytes, DWORD size, int encoding) {
    Release();
    const BYTE* data = static_cast<const BYTE*>(bytes);
    if (data == nullptr && size != 0) return SetError(L"Error opening file");
    if (size > 0x7FFFFFFF) return SetError(L"File too large");
    const long long length = DecodeMarkup(data, size, encoding, nullptr);
    if (length < 0) return SetError(L"Unknown text encoding");
    if (!AllocateText(static_cast<size_t>(length))) return SetError(L"Out of memory");
    DecodeMarkup(data, size, encoding, m_pstrXml);
    m_pstrXml[length] = L'\0';
    m_nTextLength = wcslen(m_pstrXml);
    if (Parse()) return true;
    // Parsing wrote into the text: decode it once more to find where the failure is.
    std::vector<wchar_t> original(static_cast<size_t>(length) + 1, L'\0');
    DecodeMarkup(data, size, encoding, original.data());
    LocateError(original.data(), static_cast<size_t>(length));
    return false;
}

void CSkinXml::LocateError(LPCWSTR original, size_t length) {
    if (!m_bErrorHasOffset) return;
    const size_t end = m_nErrorOffset < length ? m_nErrorOffset : length;
    int line = 1;
    size_t lineStart = 0;
    for (size_t i = 0; i < end; ++i) {
        if (original[i] == L'\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    m_nErrorLine = line;
    m_nErrorColumn = static_cast<int>(end - lineStart) + 1;
}

bool CSkinXml::Parse() {
    m_szErrorMsg[0] = L'\0';
    m_szErrorXml[0] = L'\0';
    m_bErrorHasOffset = false;
    m_nErrorLine = 0;
    m_nErrorColumn = 0;
    if (NewElement() == nullptr) {  // record 0: the "no link" placeholder
        Release();
        return SetError(L"Out of memory");
    }
    m_vElements[0] = TElement{0, 0, 0, 0, 0};
    CParser parser(*this);
    if (parser.Run()) return true;
    Release();
    return false;
}

CSkinXml::TElement* CSkinXml::NewElement() {
    // The table grows by half plus a first size, itself, so that a document's count of elements
    // decides the growth and a failed growth is an answer (null) rather than an exception.
    const size_t count = m_vElements.size();
    if (count == m_vElements.capacity()) {
        const size_t capacity = count + count / 2 + kFirstTableSize;
        if (capacity > kMaxElements) return nullptr;
        try {
            m_vElements.reserve(capacity);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    return &m_vElements.emplace_back();
}

CSkinXmlNode CSkinXml::Root() {
    return m_vElements.size() > 1 ? CSkinXmlNode(this, 1) : CSkinXmlNode();
}

bool CSkinXml::SetError(LPCWSTR message, LPCWSTR location) {
    CopyCut(m_szErrorMsg, kMessageCapacity, message);
    CopyCut(m_szErrorXml, kLocationCapacity, location);
    // A location inside the document gives the failure's place in the text.
    m_bErrorHasOffset = location != nullptr && m_pstrXml != nullptr && location >= m_pstrXml &&
                        location <= m_pstrXml + m_nTextLength;
    m_nErrorOffset = m_bErrorHasOffset ? static_cast<size_t>(location - m_pstrXml) : 0;
    m_nErrorLine = 0;
    m_nErrorColumn = 0;
    return false;
}

// ---- Node handle ------------------------------------------------------------------------------

LPCWSTR CSkinXmlNode::Name() const {
    const CSkinXml::TElement* element = m_pDocument != nullptr ? m_pDocument->Element(m_nIndex) : nullptr;
    return element != nullptr ? m_pDocument->TextAt(element->namePos) : nullptr;
}

LPCWSTR CSkinXmlNode::Text() const {
    const CSkinXml::TElement* element = m_pDocument != nullptr ? m_pDocument->Element(m_nIndex) : nullptr;
    return element != nullptr ? m_pDocument->TextAt(element->dataPos) : nullptr;
}

CSkinXmlNode CSkinXmlNode::FirstChild() const {
    const CSkinXml::TElement* element = m_pDocument != nullptr ? m_pDocument->Element(m_nIndex) : nullptr;
    if (element == nullptr || element->firstChild == 0) return CSkinXmlNode();
    return CSkinXmlNode(m_pDocument, static_cast<int>(element->firstChild));
}

CSkinXmlNode CSkinXmlNode::NextSibling() const {
    const CSkinXml::TElement* element = m_pDocument != nullptr ? m_pDocument->Element(m_nIndex) : nullptr;
    if (element == nullptr || element->nextSibling == 0) return CSkinXmlNode();
    return CSkinXmlNode(m_pDocument, static_cast<int>(element->nextSibling));
}

CSkinXmlNode CSkinXmlNode::Parent() const {
    const CSkinXml::TElement* element = m_pDocument != nullptr ? m_pDocument->Element(m_nIndex) : nullptr;
    if (element == nullptr || element->parent == 0) return CSkinXmlNode();
    return CSkinXmlNode(m_pDocument, static_cast<int>(element->parent));
}

bool CSkinXmlNode::HasChildren() const { return FirstChild().IsValid(); }

bool CSkinXmlNode::HasAttributes() { return AttributeCount() > 0; }

int CSkinXmlNode::AttributeCount() {
    MapAttributes();
    return m_nAttributeCount;
}

// Walks the parsed start tag: after the name come pairs of NUL-terminated name and value (the
// "=" and closing quotes became blanks or NULs during the parse). Every step stays before the
// element's data position: the tag's closing ">" is not followed by a NUL when the text ends
// right after it, so a walk past it would run off the document.
void CSkinXmlNode::MapAttributes() {
    if (m_bMapped || m_pDocument == nullptr) return;
    m_bMapped = true;
    const CSkinXml::TElement* element = m_pDocument->Element(m_nIndex);
    if (element == nullptr) return;
    LPCWSTR base = m_pDocument->TextAt(0);
    LPCWSTR dataEnd = base + element->dataPos;
    auto skipBlanks = [dataEnd](LPCWSTR p) {
        while (p < dataEnd && IsBlank(*p)) ++p;
        return p;
    };
    auto stepOverText = [dataEnd](LPCWSTR p) {  // past the text at p and its NUL
        p += wcsnlen(p, static_cast<size_t>(dataEnd - p));
        return p < dataEnd ? p + 1 : dataEnd;
    };
    LPCWSTR p = stepOverText(base + element->namePos);
    while (m_nAttributeCount < kMaxAttributes) {
        p = skipBlanks(p);
        if (p >= dataEnd || *p == L'>') break;  // the end of the start tag
        LPCWSTR name = p;
        p = skipBlanks(stepOverText(p));
        if (p >= dataEnd || *p != L'"') break;
        ++p;
        m_attributes[m_nAttributeCount++] = TAttribute{static_cast<uint32_t>(name - base),
                                                       static_cast<uint32_t>(p - base)};
        p = stepOverText(p);
    }
}

LPCWSTR CSkinXmlNode::AttributeName(int index) {
    MapAttributes();
    if (index < 0 || index >= m_nAttributeCount) return L"";
    return m_pDocument->TextAt(m_attributes[index].namePos);
}

LPCWSTR CSkinXmlNode::AttributeValue(int index) {
    MapAttributes();
    if (index < 0 || index >= m_nAttributeCount) return L"";
    return m_pDocument->TextAt(m_attributes[index].valuePos);
}

LPCWSTR CSkinXmlNode::AttributeValue(LPCWSTR name) {
    MapAttributes();
    if (name == nullptr) return nullptr;
    for (int i = 0; i < m_nAttributeCount; ++i)
        if (wcscmp(m_pDocument->TextAt(m_attributes[i].namePos), name) == 0)
            return m_pDocument->TextAt(m_attributes[i].valuePos);
    return nullptr;
}

LPCWSTR CSkinXmlNode::AttributeValueNoCase(LPCWSTR name) {
    MapAttributes();
    if (name == nullptr) return nullptr;
    for (int i = 0; i < m_nAttributeCount; ++i)
        if (_wcsicmp(m_pDocument->TextAt(m_attributes[i].namePos), name) == 0)
            return m_pDocument->TextAt(m_attributes[i].valuePos);
    return nullptr;
}

bool CSkinXmlNode::CopyAttributeValue(LPCWSTR name, LPWSTR buffer, int capacity) {
    LPCWSTR value = AttributeValue(name);
    if (value == nullptr) return false;
    if (buffer != nullptr && capacity > 0) wcsncpy(buffer, value, static_cast<size_t>(capacity));
    return true;
}

}  // namespace SkinUI
