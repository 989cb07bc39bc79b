#pragma once
// Reading named files of the skin: from the skin archive when one is set (the kept one, or one
// opened for this read), falling back to the skin folder on disk unless the program reads its
// skin from its package only (CWindowResourcesUI::SetSkinFileSource).

#include <windows.h>

#include <vector>

namespace SkinUI {

class CSkinXml;

// Markup files are refused above this size (and when empty).
constexpr DWORD kMaxMarkupSize = 0x400000;

// Loads a markup file of the skin and parses it as UTF-8. On failure the message ("Error opening
// zip file", "File is empty", "File too large", "Error opening file", "Could not read file",
// "Could not unzip file", or the parser's) is left on xml; a file the archive lacks fails with
// "Error opening file" when the skin is read from its package only.
bool LoadSkinMarkupFile(CSkinXml& xml, LPCWSTR name);
// Loads markup stored as a resource of the resource module; id is a resource name or a number
// made with MAKEINTRESOURCE.
bool LoadSkinMarkupResource(CSkinXml& xml, LPCWSTR id, LPCWSTR type);

// Reads a picture's bytes through the skin: the archive entry (an empty entry counts as
// missing), else the file under the skin folder (an empty file counts as missing). Entries and
// files larger than maxSize count as missing too, and are refused before they are read. False
// when neither holds it (the archive alone is asked when the skin is read from its package
// only).
bool ReadSkinFileBytes(LPCWSTR name, std::vector<BYTE>& bytes, DWORD maxSize = 0xFFFFFFFFu);
// Reads a whole file from disk; false when it cannot be opened or read, or its size is outside
// minSize..maxSize (an empty file is read as no bytes when minSize is 0).
bool ReadDiskFile(LPCWSTR path, std::vector<BYTE>& bytes, DWORD minSize = 0,
                  DWORD maxSize = 0xFFFFFFFFu);
// The bytes of a resource (type, id) of the resource module, or null/0 when missing. Types and
// ids are names or numbers made with MAKEINTRESOURCE.
bool FindModuleResource(LPCWSTR type, LPCWSTR id, const BYTE** data, DWORD* size);

}  // namespace SkinUI
