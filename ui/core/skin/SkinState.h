#pragma once
// Process-wide skin state shared by the resource tables, the skin file reader and the picture
// loader. Internal to the framework core: everything else goes through CWindowResourcesUI.

#include <windows.h>

#include <memory>
#include <vector>

#include "ui/core/base/UIOwnedMap.h"
#include "ui/core/base/UIString.h"
#include "ui/core/skin/ResourceData.h"
#include "ui/core/skin/ZipReader.h"

namespace SkinUI {

struct TSkinState {
    HINSTANCE instance = nullptr;
    HINSTANCE resourceInstance = nullptr;
    CUIString resourcePath;
    CUIString resourceZip;               // archive name, "membuffer", or empty for plain files
    bool cacheZip = true;
    ESkinFileSource fileSource = ESkinFileSource::kPackageAndFolder;
    std::unique_ptr<CZipReader> zip;     // the kept archive (cacheZip), or null
    const BYTE* zipMemory = nullptr;     // bytes of the memory archive (not owned)
    DWORD zipMemorySize = 0;
    std::unique_ptr<BYTE[]> zipBuffer;   // archive copied from a resource, kept for good
    DWORD zipBufferSize = 0;
    THslSetting hsl;
    std::vector<TModuleInstanceHook> moduleHooks;

    std::unique_ptr<TFontData> defaultFont;
    TDefaultColors colors;
    CUIOwnedMap<TFontData> fonts;
    CUIOwnedMap<TImageData> images;
    CUIOwnedMap<CUIString> classDefaults;
    CUIOwnedMap<CUIString> texts;
};

TSkinState& SkinState();

// Whether skin files the archive lacks may be read from disk (ESkinFileSource).
bool SkinReadsFolder();

extern const wchar_t kMemoryArchiveName[];  // "membuffer"

}  // namespace SkinUI
