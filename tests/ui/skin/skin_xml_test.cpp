// The skin markup parser: accepted documents and their trees, the failure messages with their
// locations, the byte encodings, and the attribute handle.

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "tests/ui/skin/SkinTestSupport.h"
#include "ui/core/skin/SkinXml.h"

using namespace SkinUI;

namespace {

std::wstring Escape(LPCWSTR text) {
    std::wstring out;
    for (; *text != L'\0'; ++text) {
        if (*text == L'\n') out += L"\\n";
        else if (*text == L'\t') out += L"\\t";
        else out += *text;
    }
    return out;
}

// Compact form of a subtree: name(attr=value,...)'text'{children}.
std::wstring Dump(CSkinXmlNode node) {
    std::wstring out;
    for (; node.IsValid(); node = node.NextSibling()) {
        out += node.Name();
        int count = node.AttributeCount();
        if (count > 0) {
            out += L"(";
            for (int i = 0; i < count; ++i) {
                if (i > 0) out += L",";
                out += node.AttributeName(i);
                out += L"=";
                out += Escape(node.AttributeValue(i));
            }
            out += L")";
        }
        if (*node.Text() != L'\0') out += L"'" + Escape(node.Text()) + L"'";
        if (node.HasChildren()) out += L"{" + Dump(node.FirstChild()) + L"}";
        if (node.NextSibling().IsValid()) out += L" ";
    }
    return out;
}

std::wstring DumpDocument(CSkinXml& xml) { return Dump(xml.Root()); }

std::wstring Utf8ToWideForTest(const char* utf8) {
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
    if (length > 0) ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &wide[0], length);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

// Every markup document this test program parses (here and in the skin package tests) keeps its
// in-place text against a no-access page: a read past its terminator stops the program.
class CGuardedDocumentsEnvironment : public testing::Environment {
public:
    void SetUp() override { m_guard = std::make_unique<ui_test::CGuardedDocuments>(); }
    void TearDown() override { m_guard.reset(); }

private:
    std::unique_ptr<ui_test::CGuardedDocuments> m_guard;
};
testing::Environment* const g_guardedDocuments =
    testing::AddGlobalTestEnvironment(new CGuardedDocumentsEnvironment);

}  // namespace

TEST(SkinXml, AcceptedDocumentsAndTheirTrees) {
    struct {
        const wchar_t* text;
        const wchar_t* tree;
    } const cases[] = {
        {L"<Window/>", L"Window"},
        {L"<Control/>", L"Control"},
        {L"<Control />", L"Control"},
        {L"<Control name=\"a\"/>", L"Control(name=a)"},
        {L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<!-- c -->\n<a x=\"1\" y = \"two words\" >t</a>",
         L"a(x=1,y=two words)'t'"},
        {L"<a><b/><c k=\"v\"><d/></c></a>", L"a{b c(k=v){d}}"},
        {L"<a>one<b/></a>", L"a'one'{b}"},
        {L"<a v=\"a &amp; b &lt;c&gt; &quot;q&quot; &copy;\"/>", L"a(v=a & b <c> \"q\" &copy;)"},
        {L"<a v=\"&amp;&amp;x\" w=\"&&lt;\">&apos;&amp;</a>", L"a(v=&&x,w=&<)''&'"},
        {L"<a v=\"&\">&</a>", L"a(v=&)'&'"},
        {L"<a>  spaced \t text\n</a>", L"a'  spaced \\t text\\n'"},
        {L"<Window><A/>", L"Window{A}"},                   // root end tag missing at the very end
        {L"<Window><A>text", L"Window{A'text'}"},         // and that of a child of the root
        {L"<Window>text", L"Window'text'"},
        {L"<Window>a&", L"Window'a&'"},                  // a text ending in "&" at the very end
        {L"<a></a><b/>", L"a b"},                          // several top-level elements
        {L"<!DOCTYPE x><!-- y --><a/>", L"a"},
        {L"<!DOCTYPE x [ <a/> ] ->  <b/>", L"b"},          // "<!" runs to the first "->"
        {L"< a ></ a >", L"a"},
        {L"<a:b_c1 d:e=\"1\"/>", L"a:b_c1(d:e=1)"},
        {L"<a x=\"1\"y=\"2\"/>", L"a(x=1,y=2)"},
        {L"<a x=\"\" y=\"&lt;\"/>", L"a(x=,y=<)"},
        {L"<a>&lt;b&gt;<c/></a>", L"a'<b>'{c}"},            // a shortened text before children
        {L"<a x=\"&lt;&lt;&lt;\" y=\"z\">t</a>", L"a(x=<<<,y=z)'t'"},
        {L"<\x4e2d\x6587 \x540d=\"\x503c\"/>", L"\x4e2d\x6587(\x540d=\x503c)"},
        {L"<a>\xD83D\xDE00</a>", L"a'\xD83D\xDE00'"},
        {L"</a>", L""},                                    // a stray end tag ends the document
    };
    for (const auto& c : cases) {
        CSkinXml xml;
        ASSERT_TRUE(xml.Load(c.text)) << Escape(c.text) << " -> " << Escape(xml.ErrorMessage());
        EXPECT_EQ(DumpDocument(xml), c.tree) << Escape(c.text);
        EXPECT_STREQ(xml.ErrorMessage(), L"");
        // The caller's own text parsed where it is gives the same tree.
        std::wstring text = c.text;
        CSkinXml inPlace;
        ASSERT_TRUE(inPlace.ParseInPlace(&text[0], text.size())) << Escape(c.text);
        EXPECT_EQ(DumpDocument(inPlace), c.tree) << Escape(c.text);
    }
}

TEST(SkinXml, FailuresGiveTheMessageAndLocation) {
    struct {
        const wchar_t* text;
        const wchar_t* message;
        const wchar_t* location;
    } const cases[] = {
        {L"text", L"Expected start tag", L"text"},
        {L"<Window><A><B/>", L"Expected start tag", L""},
        {L"<a>one<b/>two</a>", L"Expected start tag", L"two</a>"},
        {L"<a", L"Error parsing element name", L""},
        {L"<a x=\"1\" <", L"Error while parsing attributes", L"<"},
        {L"<a x=\"1\"", L"Expected start-tag closing", L""},
        {L"<a x=\"1\" / >", L"Expected start-tag closing", L"/ >"},
        {L"<!DOCTYPE x><a>b->c</a>", L"Expected start tag", L"c</a>"},  // "<!" ran to "->"
        {L"<Window><A><B>text", L"Expected end-tag start", L""},
        {L"<Window></Windows>", L"Unmatched closing tag", L"s>"},
        {L"<Window></Wind>", L"Unmatched closing tag", L"Wind>"},
        {L"<a></a x>", L"Unmatched closing tag", L"x>"},
        {L"<A data-x=\"1\"/>", L"Error while parsing attributes", L"-x=\"1\"/>"},
        {L"<A x.y=\"1\"/>", L"Error while parsing attributes", L".y=\"1\"/>"},
        {L"<A x/>", L"Error while parsing attributes", L"/>"},
        {L"<A x='1'/>", L"Expected attribute value", L"'1'/>"},
        {L"<A x=1/>", L"Expected attribute value", L"1/>"},
        {L"<A x=\"1/>", L"Error while parsing attribute string", L""},
        {L"<A x=\"1&amp;", L"Error while parsing attribute string", L""},
    };
    for (const auto& c : cases) {
        CSkinXml xml;
        EXPECT_FALSE(xml.Load(c.text)) << Escape(c.text);
        EXPECT_STREQ(xml.ErrorMessage(), c.message) << Escape(c.text);
        EXPECT_STREQ(xml.ErrorLocation(), c.location) << Escape(c.text);
        EXPECT_FALSE(xml.Root().IsValid()) << "a failed load keeps nothing";
        EXPECT_EQ(xml.ElementCount(), 0u);
        std::wstring text = c.text;
        CSkinXml inPlace;
        EXPECT_FALSE(inPlace.ParseInPlace(&text[0], text.size())) << Escape(c.text);
        EXPECT_STREQ(inPlace.ErrorMessage(), c.message) << Escape(c.text);
        EXPECT_STREQ(inPlace.ErrorLocation(), c.location) << Escape(c.text);
    }
    // A length that does not end at the text's terminator is refused before parsing.
    wchar_t text[] = L"<a/>";
    CSkinXml xml;
    EXPECT_FALSE(xml.ParseInPlace(text, 2));
    EXPECT_FALSE(xml.ParseInPlace(nullptr, 0));
}

// The place of a failure in the text as given, although parsing writes into its copy: names are
// cut off with a terminator (here over a line break) and entities shrink values in place.
TEST(SkinXml, FailuresGiveTheirLineAndColumn) {
    struct {
        const char* utf8;
        int line;
        int column;
    } const cases[] = {
        {"text", 1, 1},
        {"<a>\n  <b x=\"1\"/>\n  oops</a>", 3, 3},
        {"<a\nx=\"&#10;&#10;\">\n<b y=1/>", 3, 6},
        {"\xEF\xBB\xBF<a>\n\xE4\xB8\xAD<b/>\xE6\x96\x87</a>", 2, 6},
        {"<Window>\r\n<A><B>\r\n", 3, 1},
        {"<a>\n <b x=\"1\" y=\"2/>\n</a>\n", 2, 13},  // a value never closed: where it opens
        {"<a/>", 0, 0},
    };
    for (const auto& c : cases) {
        CSkinXml fromBytes;
        fromBytes.LoadFromBytes(c.utf8, static_cast<DWORD>(strlen(c.utf8)), CSkinXml::kUtf8);
        EXPECT_EQ(fromBytes.ErrorLine(), c.line) << c.utf8;
        EXPECT_EQ(fromBytes.ErrorColumn(), c.column) << c.utf8;
        const std::wstring wide = Utf8ToWideForTest(c.utf8);
        CSkinXml fromText;
        fromText.Load(wide.c_str() + (wide.size() > 0 && wide[0] == 0xFEFF ? 1 : 0));
        EXPECT_EQ(fromText.ErrorLine(), c.line) << c.utf8;
        EXPECT_EQ(fromText.ErrorColumn(), c.column) << c.utf8;
    }
    CSkinXml unreadable;
    EXPECT_FALSE(unreadable.LoadFromBytes("ab", 2, CSkinXml::kUtf16));
    EXPECT_EQ(unreadable.ErrorLine(), 0) << "no place before parsing starts";
}

TEST(SkinXml, LocationIsCutTo49Characters) {
    std::wstring text = L"<a>x<b/>" + std::wstring(100, L'y');
    CSkinXml xml;
    EXPECT_FALSE(xml.Load(text.c_str()));
    EXPECT_EQ(std::wstring(xml.ErrorLocation()), std::wstring(49, L'y'));
    std::wstring longMessage(150, L'm');
    xml.SetError(longMessage.c_str(), nullptr);
    EXPECT_EQ(std::wstring(xml.ErrorMessage()), std::wstring(99, L'm'));
    EXPECT_STREQ(xml.ErrorLocation(), L"");
}

TEST(SkinXml, DocumentsWithoutElements) {
    for (const wchar_t* text : {L"", L"   \n", L"<?xml version=\"1.0\"?>\n<!-- only a comment -->\n"}) {
        CSkinXml xml;
        EXPECT_TRUE(xml.Load(text)) << Escape(text);
        EXPECT_FALSE(xml.Root().IsValid());
    }
    CSkinXml empty;
    EXPECT_FALSE(empty.Root().IsValid());
    EXPECT_EQ(empty.Root().Name(), nullptr);
    EXPECT_FALSE(empty.Root().FirstChild().IsValid());
    EXPECT_EQ(empty.Root().AttributeCount(), 0);
}

TEST(SkinXml, ElementTableGrowsAndLinksStayRight) {
    // 2000 children: the table grows from 500 records by half plus 500 each time.
    std::wstring text = L"<root>";
    for (int i = 0; i < 2000; ++i) text += L"<c i=\"" + std::to_wstring(i) + L"\"/>";
    text += L"</root>";
    CSkinXml xml;
    ASSERT_TRUE(xml.Load(text.c_str()));
    EXPECT_EQ(xml.ElementCount(), 2002u);
    int index = 0;
    for (CSkinXmlNode child = xml.Root().FirstChild(); child.IsValid(); child = child.NextSibling(), ++index) {
        ASSERT_EQ(std::wstring(child.AttributeValue(L"i")), std::to_wstring(index));
        ASSERT_EQ(child.Parent().Index(), 1);
    }
    EXPECT_EQ(index, 2000);
}

TEST(SkinXml, DeepNestingDoesNotExhaustTheStack) {
    const int depth = 200000;
    std::wstring text;
    for (int i = 0; i < depth; ++i) text += L"<a>";
    for (int i = 0; i < depth; ++i) text += L"</a>";
    CSkinXml xml;
    ASSERT_TRUE(xml.Load(text.c_str()));
    int levels = 0;
    for (CSkinXmlNode node = xml.Root(); node.IsValid(); node = node.FirstChild()) ++levels;
    EXPECT_EQ(levels, depth);
}

TEST(SkinXml, AttributeHandle) {
    std::wstring text = L"<a";
    for (int i = 0; i < 70; ++i) text += L" k" + std::to_wstring(i) + L"=\"v" + std::to_wstring(i) + L"\"";
    text += L"><b x=\"1\" y=\"2\" z=\"3\"/></a>";
    CSkinXml xml;
    ASSERT_TRUE(xml.Load(text.c_str()));
    CSkinXmlNode root = xml.Root();
    EXPECT_EQ(root.AttributeCount(), 64) << "only 64 attributes are reachable";
    EXPECT_STREQ(root.AttributeName(63), L"k63");
    EXPECT_EQ(root.AttributeValue(L"k64"), nullptr);
    CSkinXmlNode b = root.FirstChild();
    EXPECT_TRUE(b.HasAttributes());
    EXPECT_STREQ(b.AttributeValue(64), L"") << "out of range gives an empty text, not null";
    EXPECT_STREQ(b.AttributeName(-1), L"");
    EXPECT_STREQ(b.AttributeValue(L"y"), L"2");
    EXPECT_EQ(b.AttributeValue(L"Y"), nullptr) << "names are case-sensitive";

    wchar_t buffer[3] = {};
    EXPECT_TRUE(b.CopyAttributeValue(L"z", buffer, 2));
    EXPECT_STREQ(buffer, L"3");
    CSkinXml longValue;
    ASSERT_TRUE(longValue.Load(L"<a v=\"abcdef\"/>"));
    wchar_t cut[4] = {};
    EXPECT_TRUE(longValue.Root().CopyAttributeValue(L"v", cut, 3));
    EXPECT_STREQ(cut, L"abc");
    EXPECT_FALSE(longValue.Root().CopyAttributeValue(L"w", cut, 3));
    EXPECT_FALSE(longValue.Root().HasChildren());
}

TEST(SkinXml, ByteEncodingsGiveTheSameTree) {
    const std::string utf8 = "<a v=\"\xC3\xA9t\xC3\xA9\">\xE4\xB8\xAD</a>";
    const std::wstring expected = L"a(v=\xE9t\xE9)'\x4E2D'";
    std::string withBom = "\xEF\xBB\xBF" + utf8;
    std::vector<BYTE> le = {0xFF, 0xFE}, be = {0xFE, 0xFF};
    std::wstring wide = L"<a v=\"\xE9t\xE9\">\x4E2D</a>";
    for (wchar_t ch : wide) {
        le.push_back(static_cast<BYTE>(ch & 0xFF));
        le.push_back(static_cast<BYTE>(ch >> 8));
        be.push_back(static_cast<BYTE>(ch >> 8));
        be.push_back(static_cast<BYTE>(ch & 0xFF));
    }
    struct {
        const void* bytes;
        size_t size;
        int encoding;
    } const inputs[] = {
        {utf8.data(), utf8.size(), CSkinXml::kUtf8},
        {withBom.data(), withBom.size(), CSkinXml::kUtf8},
        {le.data(), le.size(), CSkinXml::kUtf16},
        {be.data(), be.size(), CSkinXml::kUtf16},
    };
    for (const auto& input : inputs) {
        CSkinXml xml;
        ASSERT_TRUE(xml.LoadFromBytes(input.bytes, static_cast<DWORD>(input.size), input.encoding));
        EXPECT_EQ(DumpDocument(xml), expected) << input.encoding;
    }
    EXPECT_EQ(be[0], 0xFE) << "the caller's big-endian bytes are not swapped in place";

    CSkinXml ansi;
    const char plain[] = "<a v=\"x\">y</a>";
    ASSERT_TRUE(ansi.LoadFromBytes(plain, sizeof(plain) - 1, CSkinXml::kAnsi));
    EXPECT_EQ(DumpDocument(ansi), L"a(v=x)'y'");

    CSkinXml noMark;
    EXPECT_FALSE(noMark.LoadFromBytes("<\0a\0/\0>\0", 8, CSkinXml::kUtf16)) << "UTF-16 needs its mark";
    CSkinXml tiny;
    EXPECT_FALSE(tiny.LoadFromBytes("\xFF", 1, CSkinXml::kUtf16));
    CSkinXml bomOnly;
    EXPECT_TRUE(bomOnly.LoadFromBytes("\xEF\xBB\xBF", 3, CSkinXml::kUtf8));
    EXPECT_FALSE(bomOnly.Root().IsValid());
    CSkinXml embeddedNul;
    EXPECT_TRUE(embeddedNul.LoadFromBytes("<a/>\0<b", 7, CSkinXml::kUtf8)) << "the text ends at a NUL";
}

TEST(SkinXml, ReloadReplacesTheDocument) {
    CSkinXml xml(L"<first/>");
    ASSERT_TRUE(xml.Root().IsValid());
    EXPECT_FALSE(xml.Load(L"<broken"));
    EXPECT_FALSE(xml.Root().IsValid());
    EXPECT_TRUE(xml.Load(L"<second a=\"1\"/>"));
    EXPECT_STREQ(xml.Root().Name(), L"second");
    EXPECT_STREQ(xml.ErrorMessage(), L"") << "a successful parse clears the last failure";
    xml.Release();
    EXPECT_FALSE(xml.Root().IsValid());
}

TEST(SkinXml, NothingIsReadPastTheDocument) {
    // Input and document both end at a no-access page: a read past either terminator faults.
    struct {
        const wchar_t* text;
        const wchar_t* tree;  // null: the parse fails
    } const cases[] = {
        {L"<Window a=\"1\">", L"Window(a=1)"},  // attributes, then the end of the text
        {L"<Window a=\"1\">text", L"Window(a=1)'text'"},
        {L"<Window a=\"1\" b=\"&amp;\">", L"Window(a=1,b=&)"},
        {L"<W a=\"1\"><C b=\"2\">", L"W(a=1){C(b=2)}"},
        {L"<W><C b=\"2\">t", L"W{C(b=2)'t'}"},
        {L"<Window a=\"1\"/>", L"Window(a=1)"},
        {L"<Window a=\"1\"", nullptr},
        {L"<Window a=\"1", nullptr},
        {L"<Window a=", nullptr},
        {L"<Window", nullptr},
        {L"<!-- x -", L""},
        {L"<?xml", L""},
        {L"<A x=\"1\"></A", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        const std::wstring text = c.text;
        const testguard::CGuardedBuffer wide(text);
        std::string narrow(text.begin(), text.end());
        const testguard::CGuardedBuffer bytes(narrow.data(), narrow.size());
        CSkinXml fromText;
        CSkinXml fromBytes;
        const bool loaded = fromText.Load(wide.Text());
        EXPECT_EQ(fromBytes.LoadFromBytes(bytes.Data(), static_cast<DWORD>(bytes.Size())), loaded);
        EXPECT_EQ(loaded, c.tree != nullptr);
        if (!loaded) continue;
        EXPECT_TRUE(testguard::EndsAtGuardPage(fromText.TextAt(0), (text.size() + 1) * sizeof(wchar_t)))
            << "the document itself ends at the guard";
        EXPECT_EQ(DumpDocument(fromText), c.tree);
        EXPECT_EQ(DumpDocument(fromBytes), c.tree);
    }
}
