#pragma once
// A skin's texts in several languages. The texts of one language are a string table: a markup
// file of the skin named "<name>.<language tag>.xml" ("strings.en.xml", "strings.zh-CN.xml")
// whose root holds one element per text:
//
//     <StringTable>
//         <MultiLanguage id="1" value="Install game"/>
//     </StringTable>
//
// Loading a table fills the process-wide texts by id that "%{N}" tokens in the markup and the
// programs' own texts read (CWindowResourcesUI::AddTextById). Tables are skin files like any
// markup: read with the markup's limits and parsed by the markup parser.

#include <windows.h>

#include <string>
#include <vector>

namespace SkinUI {

class CSkinXmlNode;

// The language whose table is taken when the user's language has none.
constexpr wchar_t kDefaultLanguageTag[] = L"zh-CN";

// The language tags tried for a UI language, most specific first: the language with its
// country or region ("en-GB"), the language alone ("en"), then fallbackTag; each once.
std::vector<std::wstring> LanguageTagsFor(LANGID language, const std::wstring& fallbackTag);

// Stores the text of one <MultiLanguage id="N" value="..."/> element (attribute names ignoring
// case; an id below 0 or a missing value stores nothing). Returns whether a text was stored.
bool AddTextFromElement(CSkinXmlNode& node);

// Loads one string table of the skin and stores its texts; false, storing nothing, when the file
// is missing or is not well-formed markup.
bool LoadStringTableFile(const std::wstring& fileName);

// Loads the string table "<name>.<tag>.xml" for the first tag of LanguageTagsFor(the user's UI
// language, fallbackTag) that has a table. Returns the tag loaded, or empty when none did.
std::wstring LoadUserStringTable(const std::wstring& name, const std::wstring& fallbackTag);
// The tag of the last table LoadUserStringTable loaded (empty before any): what the programs
// report as the language their texts are in.
std::wstring LoadedLanguageTag();

}  // namespace SkinUI
