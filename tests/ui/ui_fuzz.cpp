// Fuzz program for the skin markup parser, the ZIP reader and the picture decoder: mutated
// inputs must never crash the process, and whatever is accepted must be consistent (element
// links inside the table, attribute counts within 64, extracted sizes as announced). Every input,
// and the parser's in-place document, ends at a no-access page, so that a read past the end
// stops the run like a crash. A seed fixture that is missing fails the run.
//
// CTest runs it with a small budget. To fuzz longer by hand, from the build directory:
//   VEXO_FUZZ_SECONDS=600 VEXO_BINARY_DIR=$PWD ../main/scripts/wine-run.sh tests/ui/ui_fuzz.exe
// (VEXO_FUZZ_SEED=n varies the run; VEXO_FUZZ_SAVE_LAST=file keeps the input being tried, to
// find the one that crashes). The seed corpus comes from the fixtures that the "ui_fixtures"
// test writes, so run that test once first.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "tests/common/FuzzLoop.h"
#include "tests/common/GuardedBuffer.h"
#include "ui/core/SkinImage.h"
#include "ui/core/SkinXml.h"
#include "ui/core/ZipReader.h"

using namespace SkinUI;
using vexo_fuzz::Bytes;

namespace {

int g_failures = 0;

void Check(bool condition, const char* what) {
    if (condition) return;
    if (++g_failures <= 10) std::printf("INVARIANT BROKEN: %s\n", what);
}

const wchar_t* const kMessages[] = {
    L"Expected start tag", L"Error parsing element name", L"Expected start-tag closing",
    L"Expected end-tag start", L"Unmatched closing tag", L"Error while parsing attributes",
    L"Expected attribute value", L"Error while parsing attribute string", L"Unknown text encoding",
};

bool KnownMessage(LPCWSTR message) {
    for (LPCWSTR known : kMessages)
        if (wcscmp(known, message) == 0) return true;
    return false;
}

void CheckDocument(CSkinXml& xml, bool loaded) {
    if (!loaded) {
        Check(KnownMessage(xml.ErrorMessage()), "failure message is one of the parser's");
        Check(!xml.Root().IsValid(), "a failed load keeps no tree");
        return;
    }
    Check(xml.ErrorMessage()[0] == L'\0', "success clears the message");
    for (uint32_t i = 1; i < xml.ElementCount(); ++i) {
        const CSkinXml::TElement* element = xml.Element(i);
        Check(element->firstChild < xml.ElementCount() && element->nextSibling < xml.ElementCount() &&
                  element->parent < i,
              "links stay inside the table");
        CSkinXmlNode node(&xml, static_cast<int>(i));
        Check(node.Name() != nullptr && node.Text() != nullptr, "names and texts exist");
        int count = node.AttributeCount();
        Check(count >= 0 && count <= CSkinXmlNode::kMaxAttributes, "at most 64 attributes");
        for (int a = 0; a < count; ++a) Check(node.AttributeValue(node.AttributeName(a)) != nullptr, "attribute found by name");
    }
}

void FuzzMarkup(const Bytes& input) {
    CSkinXml xml;
    int encoding = input.empty() ? 0 : input[0] % 3;
    const testguard::CGuardedBuffer bytes(input.data(), input.size());
    CheckDocument(xml, xml.LoadFromBytes(bytes.Data(), static_cast<DWORD>(bytes.Size()), encoding));
    const testguard::CGuardedBuffer wide(vexo_fuzz::AsWideText(input));
    CheckDocument(xml, xml.Load(wide.Text()));
}

void FuzzZip(const Bytes& input) {
    CZipReader zip;
    const testguard::CGuardedBuffer archive(input.data(), input.size());
    if (!zip.OpenMemory(archive.Data(), archive.Size())) return;
    for (int i = 0; i < zip.EntryCount(); ++i) {
        std::wstring name;
        for (char ch : zip.EntryName(i)) name += static_cast<wchar_t>(static_cast<unsigned char>(ch));
        int index = -1;
        DWORD size = 0;
        zip.FindEntry(name.c_str(), &index, &size);
        std::vector<BYTE> bytes;
        if (zip.ExtractAll(i, bytes)) Check(bytes.size() == zip.EntrySize(i), "extracted size as announced");
    }
}

void FuzzPicture(const Bytes& input) {
    const testguard::CGuardedBuffer bytes(input.data(), input.size());
    std::unique_ptr<TImageData> image = DecodeSkinImage(bytes.Data(), bytes.Size(), 0xFFFF00FF);
    if (image != nullptr)
        Check(image->nWidth > 0 && image->nHeight > 0 && image->pBits != nullptr, "decoded pictures have pixels");
}

std::vector<Bytes> Corpus(std::initializer_list<const wchar_t*> fixtures, std::initializer_list<std::string> inline_) {
    std::vector<Bytes> corpus;
    for (const wchar_t* name : fixtures) {
        std::vector<BYTE> bytes = ui_test::ReadAll(ui_test::Fixture(name));
        if (!bytes.empty()) {
            corpus.push_back(bytes);
        } else {
            std::printf("fixture %ls missing (run the ui_fixtures test first)\n", name);
            Check(false, "every seed fixture exists");
        }
    }
    for (const std::string& text : inline_) corpus.push_back(vexo_fuzz::ToBytes(text));
    return corpus;
}

std::vector<Bytes> Tokens(std::initializer_list<std::string> tokens) {
    std::vector<Bytes> out;
    for (const std::string& token : tokens) out.push_back(vexo_fuzz::ToBytes(token));
    return out;
}

// VEXO_FUZZ_TARGETS (optional) names the targets to run, e.g. "zip,picture".
bool Enabled(const char* target) {
    const char* list = std::getenv("VEXO_FUZZ_TARGETS");
    return list == nullptr || std::strstr(list, target) != nullptr;
}

}  // namespace

// Without settings from the environment each target runs a fixed number of iterations (the time
// cap only guards slow machines), so the CTest run is the same every time.
vexo_fuzz::TFuzzOptions Budget(unsigned long long iterations) {
    return vexo_fuzz::OptionsFromEnvironment(iterations, 60.0);
}

using namespace std::string_literals;

int main() {
    const ui_test::CGuardedDocuments guardedDocuments;
    if (Enabled("markup"))
        vexo_fuzz::RunFuzzLoop(
            "markup",
            Corpus({L"skin.xml", L"broken.xml"},
                   {"<a x=\"1\" y=\"&amp;&lt;\">t<b/><c k=\"v\"></c></a>"s, "<?xml?><!-- c --><W><X>text"s,
                    "\xEF\xBB\xBF<a/>"s, "\xFF\xFE<\0a\0/\0>\0"s, "\xFE\xFF\0<\0a\0/\0>"s}),
            Budget(200000), FuzzMarkup,
            Tokens({"<"s, ">"s, "/>"s, "</"s, "=\""s, "\""s, "&amp;"s, "&lt;"s, "&"s, "<!--"s, "-->"s, "->"s, "<?"s, "?>"s, " "s, "\t"s}));
    if (Enabled("zip"))
        vexo_fuzz::RunFuzzLoop(
            "zip", Corpus({L"py_deflated.zip", L"py_stored.zip", L"infozip_streamed.zip", L"long_name.zip"}, {}),
            Budget(40000), FuzzZip, Tokens({"PK\x01\x02"s, "PK\x03\x04"s, "PK\x05\x06"s, "\xFF\xFF\xFF\xFF"s, "\0\0\0\0"s}));
    if (Enabled("picture"))
        vexo_fuzz::RunFuzzLoop(
            "picture",
            // Every format the loader decodes: PNG in its colour types and depths, JPEG.
            Corpus({L"alpha.png", L"opaque.png", L"mask.png", L"deep.png", L"palette.png",
                    L"gray_alpha.png", L"split_idat.png", L"pic.jpg", L"baseline.jpg"},
                   {}),
            Budget(40000), FuzzPicture,
            Tokens({"IHDR"s, "IDAT"s, "IEND"s, "\xFF\xC4"s, "\xFF\xDA"s, "\xFF\xC2"s, "\xFF\xFF\xFF\xFF"s, "\0\0\0\0"s}));
    std::printf("%d invariant failures\n", g_failures);
    return g_failures == 0 ? 0 : 1;
}
