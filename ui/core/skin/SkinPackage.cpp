// The skin's location and archive (process-wide settings) and the reading of named skin files.

#include "ui/core/skin/SkinPackage.h"

#include <cstring>
#include <exception>
#include <new>
#include <string>

#include "support/UniqueHandle.h"
#include "ui/core/skin/SkinState.h"
#include "ui/core/skin/WindowResources.h"
#include "ui/core/skin/SkinXml.h"
#include "ui/core/skin/ZipReader.h"

namespace SkinUI {

const wchar_t kMemoryArchiveName[] = L"membuffer";

namespace {

bool IsMemoryArchive(const TSkinState& state) { return state.resourceZip == kMemoryArchiveName; }

bool OpenArchive(const TSkinState& state, CZipReader& reader) {
    if (IsMemoryArchive(state)) return reader.OpenMemory(state.zipMemory, state.zipMemorySize);
    return reader.OpenFile(state.resourcePath + state.resourceZip);
}

// The archive to read from: the kept one, or else one opened into scratch for this read. Null
// when there is no archive or it cannot be opened.
const CZipReader* CurrentArchive(CZipReader& scratch) {
    const TSkinState& state = SkinState();
    if (state.resourceZip.IsEmpty()) return nullptr;
    if (state.cacheZip) return state.zip.get();
    return OpenArchive(state, scratch) ? &scratch : nullptr;
}

bool Resize(std::vector<BYTE>& bytes, size_t size) {
    try {
        bytes.resize(size);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

enum class DiskRead { kOk, kOpenFailed, kEmpty, kTooLarge, kReadFailed };

DiskRead ReadFileChecked(LPCWSTR path, std::vector<BYTE>& bytes, DWORD minSize, DWORD maxSize) {
    bytes.clear();
    bxutil::CFileHandle file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return DiskRead::kOpenFailed;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size)) return DiskRead::kReadFailed;
    if (size.QuadPart < static_cast<LONGLONG>(minSize)) return DiskRead::kEmpty;
    if (size.QuadPart > static_cast<LONGLONG>(maxSize)) return DiskRead::kTooLarge;
    DWORD length = static_cast<DWORD>(size.QuadPart);
    if (length == 0) return DiskRead::kOk;
    DWORD read = 0;
    if (!Resize(bytes, length) || !::ReadFile(file.Get(), bytes.data(), length, &read, nullptr) ||
        read != length) {
        bytes.clear();
        return DiskRead::kReadFailed;
    }
    return DiskRead::kOk;
}

// Reads markup bytes through the skin, recording the failure message on xml.
bool ReadMarkupBytes(CSkinXml& xml, LPCWSTR name, std::vector<BYTE>& bytes) {
    const TSkinState& state = SkinState();
    if (!state.resourceZip.IsEmpty()) {
        CZipReader scratch;
        const CZipReader* archive = CurrentArchive(scratch);
        if (archive == nullptr) return xml.SetError(L"Error opening zip file");
        int index = 0;
        DWORD size = 0;
        if (archive->FindEntry(name, &index, &size)) {
            if (size == 0) return xml.SetError(L"File is empty");
            if (size > kMaxMarkupSize) return xml.SetError(L"File too large");
            if (!archive->ExtractAll(index, bytes)) return xml.SetError(L"Could not unzip file");
            return true;
        }
    }
    if (!SkinReadsFolder()) return xml.SetError(L"Error opening file");
    switch (ReadFileChecked(state.resourcePath + name, bytes, 1, kMaxMarkupSize)) {
        case DiskRead::kOk: return true;
        case DiskRead::kOpenFailed: return xml.SetError(L"Error opening file");
        case DiskRead::kEmpty: return xml.SetError(L"File is empty");
        case DiskRead::kTooLarge: return xml.SetError(L"File too large");
        case DiskRead::kReadFailed: break;
    }
    return xml.SetError(L"Could not read file");
}

void CloseKeptArchive(TSkinState& state) {
    if (state.cacheZip) state.zip.reset();
}

void KeepArchiveOpen(TSkinState& state) {
    if (!state.cacheZip) return;
    auto reader = std::make_unique<CZipReader>();
    if (OpenArchive(state, *reader)) state.zip = std::move(reader);
}

}  // namespace

// ---- Reading skin files -----------------------------------------------------------------------

bool LoadSkinMarkupFile(CSkinXml& xml, LPCWSTR name) {
    xml.Release();
    if (name == nullptr) return xml.SetError(L"Error opening file");
    std::vector<BYTE> bytes;
    if (!ReadMarkupBytes(xml, name, bytes)) return false;
    return xml.LoadFromBytes(bytes.data(), static_cast<DWORD>(bytes.size()), CSkinXml::kUtf8);
}

bool LoadSkinMarkupResource(CSkinXml& xml, LPCWSTR id, LPCWSTR type) {
    xml.Release();
    const BYTE* data = nullptr;
    DWORD size = 0;
    if (!FindModuleResource(type, id, &data, &size)) return xml.SetError(L"Error opening file");
    if (size > kMaxMarkupSize) return xml.SetError(L"File too large");
    return xml.LoadFromBytes(data, size, CSkinXml::kUtf8);
}

bool ReadSkinFileBytes(LPCWSTR name, std::vector<BYTE>& bytes, DWORD maxSize) {
    bytes.clear();
    if (name == nullptr || *name == L'\0') return false;
    CZipReader scratch;
    if (const CZipReader* archive = CurrentArchive(scratch)) {
        int index = 0;
        DWORD size = 0;
        if (archive->FindEntry(name, &index, &size) && size > 0 &&
            archive->ExtractAll(index, bytes, maxSize))
            return true;
    }
    return SkinReadsFolder() && ReadDiskFile(SkinState().resourcePath + name, bytes, 1, maxSize);
}

bool ReadDiskFile(LPCWSTR path, std::vector<BYTE>& bytes, DWORD minSize, DWORD maxSize) {
    if (path == nullptr) return false;
    return ReadFileChecked(path, bytes, minSize, maxSize) == DiskRead::kOk;
}

bool FindModuleResource(LPCWSTR type, LPCWSTR id, const BYTE** data, DWORD* size) {
    *data = nullptr;
    *size = 0;
    if (type == nullptr || id == nullptr) return false;
    HMODULE module = CWindowResourcesUI::ResourceModule();
    HRSRC resource = ::FindResourceW(module, id, type);
    if (resource == nullptr) return false;
    DWORD length = ::SizeofResource(module, resource);
    HGLOBAL loaded = ::LoadResource(module, resource);  // resources need no release
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (bytes == nullptr || length == 0) return false;
    *data = static_cast<const BYTE*>(bytes);
    *size = length;
    return true;
}

// ---- Process-wide settings --------------------------------------------------------------------

THslSetting CWindowResourcesUI::GetHSL() { return SkinState().hsl; }

void CWindowResourcesUI::SetModuleInstance(HINSTANCE instance) {
    TSkinState& state = SkinState();
    state.instance = instance;
    if (instance == nullptr) return;
    // By index: a hook may add further hooks, which then run here as well.
    for (size_t i = 0; i < state.moduleHooks.size(); ++i) state.moduleHooks[i](instance);
}

void CWindowResourcesUI::AddModuleInstanceHook(ModuleInstanceHook hook) {
    TSkinState& state = SkinState();
    if (hook == nullptr) return;
    for (ModuleInstanceHook known : state.moduleHooks)
        if (known == hook) return;
    try {
        state.moduleHooks.push_back(hook);
    } catch (const std::exception&) {
        return;  // out of memory: the hook is not kept and does not run
    }
    if (state.instance != nullptr) hook(state.instance);
}

HINSTANCE CWindowResourcesUI::ModuleInstance() { return SkinState().instance; }

CUIString CWindowResourcesUI::ModuleDirectory() {
    HINSTANCE instance = SkinState().instance;
    if (instance == nullptr) return CUIString();
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameW(instance, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return CUIString();
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= 32768) return CUIString();
        path.resize(path.size() * 2);
    }
    size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? CUIString() : CUIString(path.c_str(), static_cast<int>(slash + 1));
}

HINSTANCE CWindowResourcesUI::ResourceModule() {
    const TSkinState& state = SkinState();
    return state.resourceInstance != nullptr ? state.resourceInstance : state.instance;
}

void CWindowResourcesUI::SetResourceModule(HINSTANCE module) { SkinState().resourceInstance = module; }

void CWindowResourcesUI::SetSkinPath(LPCWSTR path) {
    CUIString& stored = SkinState().resourcePath;
    stored = path;
    wchar_t last = stored.GetAt(stored.GetLength() - 1);
    if (!stored.IsEmpty() && last != L'\\' && last != L'/') stored += L'\\';
}

const CUIString& CWindowResourcesUI::SkinPath() { return SkinState().resourcePath; }

void CWindowResourcesUI::SetSkinFileSource(ESkinFileSource source) { SkinState().fileSource = source; }

ESkinFileSource CWindowResourcesUI::SkinFileSource() { return SkinState().fileSource; }

bool SkinReadsFolder() { return SkinState().fileSource == ESkinFileSource::kPackageAndFolder; }

void CWindowResourcesUI::SetSkinArchive(LPCWSTR name, bool cache) {
    TSkinState& state = SkinState();
    if (state.resourceZip == name && state.cacheZip == cache) return;
    CloseKeptArchive(state);
    state.resourceZip = name;
    state.cacheZip = cache;
    KeepArchiveOpen(state);
}

void CWindowResourcesUI::SetSkinArchive(const BYTE* bytes, DWORD size) {
    TSkinState& state = SkinState();
    if (IsMemoryArchive(state)) return;  // the first memory archive stays
    CloseKeptArchive(state);
    state.resourceZip = kMemoryArchiveName;
    state.zipMemory = bytes;
    state.zipMemorySize = size;
    KeepArchiveOpen(state);
}

// The buffer is filled once: later calls (another window of the same program) reuse it.
bool CWindowResourcesUI::SetSkinArchiveResource(LPCWSTR type, LPCWSTR id) {
    const BYTE* data = nullptr;
    DWORD size = 0;
    if (!FindModuleResource(type, id, &data, &size)) return false;
    TSkinState& state = SkinState();
    if (state.zipBuffer == nullptr) {
        state.zipBuffer.reset(new (std::nothrow) BYTE[size]);
        if (state.zipBuffer == nullptr) return false;
        memcpy(state.zipBuffer.get(), data, size);
        state.zipBufferSize = size;
    }
    SetSkinArchive(state.zipBuffer.get(), state.zipBufferSize);
    return true;
}

const CUIString& CWindowResourcesUI::SkinArchive() { return SkinState().resourceZip; }

bool CWindowResourcesUI::IsSkinArchiveCached() { return SkinState().cacheZip; }

CZipReader* CWindowResourcesUI::SkinArchiveHandle() { return SkinState().zip.get(); }

}  // namespace SkinUI
