// Dumps the element trees of skin markup files for the differential check against Python's XML
// reader (xml_differential.py). Usage: xml_dump LIST_FILE, where every line of the list file is
// "input-path<TAB>output-path". Each output file receives, in UTF-8, one line per element, depth
// first: "E depth name", then "A name value" per attribute and "T text" when the element has
// text; characters below 0x20 and "\" are written as \xHH. A document that fails to parse gives
// the single line "ERROR message". Exits with 0 when every file could be written.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ui/core/skin/SkinXml.h"

using SkinUI::CSkinXml;
using SkinUI::CSkinXmlNode;

namespace {

std::string Utf8(const std::wstring& text) {
    int length = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length), '\0');
    if (length > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], length, nullptr, nullptr);
    return out;
}

std::wstring Escape(LPCWSTR text) {
    std::wstring out;
    for (; *text != L'\0'; ++text) {
        if (*text < 0x20 || *text == L'\\') {
            wchar_t code[8];
            swprintf(code, 8, L"\\x%02X", static_cast<unsigned>(*text));
            out += code;
        } else {
            out += *text;
        }
    }
    return out;
}

void DumpElement(CSkinXmlNode node, int depth, std::wstring& out) {
    out += L"E " + std::to_wstring(depth) + L" " + Escape(node.Name()) + L"\n";
    for (int i = 0; i < node.AttributeCount(); ++i)
        out += L"A " + Escape(node.AttributeName(i)) + L" " + Escape(node.AttributeValue(i)) + L"\n";
    if (*node.Text() != L'\0') out += L"T " + Escape(node.Text()) + L"\n";
    for (CSkinXmlNode child = node.FirstChild(); child.IsValid(); child = child.NextSibling())
        DumpElement(child, depth + 1, out);
}

std::vector<BYTE> ReadFile(const std::string& path) {
    std::vector<BYTE> bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        BYTE buffer[65536];
        size_t read = 0;
        while ((read = std::fread(buffer, 1, sizeof(buffer), file)) > 0) bytes.insert(bytes.end(), buffer, buffer + read);
        std::fclose(file);
    }
    return bytes;
}

bool DumpFile(const std::string& input, const std::string& output) {
    std::vector<BYTE> bytes = ReadFile(input);
    CSkinXml xml;
    std::wstring dump;
    if (!xml.LoadFromBytes(bytes.data(), static_cast<DWORD>(bytes.size()), CSkinXml::kUtf8)) {
        dump = L"ERROR " + std::wstring(xml.ErrorMessage()) + L"\n";
    } else {
        for (CSkinXmlNode node = xml.Root(); node.IsValid(); node = node.NextSibling()) DumpElement(node, 0, dump);
    }
    FILE* file = std::fopen(output.c_str(), "wb");
    if (file == nullptr) return false;
    std::string text = Utf8(dump);
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: xml_dump LIST_FILE\n");
        return 2;
    }
    std::vector<BYTE> list = ReadFile(argv[1]);
    std::string text(list.begin(), list.end());
    int failures = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        if (!DumpFile(line.substr(0, tab), line.substr(tab + 1))) ++failures;
    }
    return failures == 0 ? 0 : 1;
}
