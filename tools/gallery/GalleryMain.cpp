// The gallery: a window showing every control of the SkinUI framework with the gallery's own
// skin, or, given a skin on its command line, that skin, so that a skin author sees a skin
// without building anything.
//
// Usage: gallery.exe [--log FILE] [SKIN MARKUP]
//   SKIN     a skin folder, or a ZIP file holding the skin's files
//   MARKUP   the window's markup file in that skin (for example VexoInsatllView.xml)
//   --log    writes the window's events to FILE (see GalleryWindow.h)
// Without SKIN the gallery opens its own skin, carried in its resources.
//
// A skin that cannot be shown is not shown as an empty window: an error box says why (the
// file, the line and the parser's message), the reason also goes to the standard error
// output, and the program ends with exit code 1.

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "support/ComHolders.h"
#include "support/Log.h"
#include "support/SystemLibrary.h"
#include "support/UniqueHandle.h"
#include "tests/ui/controls/test_control/TestControlApi.h"
#include "tools/gallery/GalleryWindow.h"
#include "tools/gallery/SkinCheck.h"
#include "ui/controls/ActiveXClasses.h"
#include "ui/controls/WebBrowserUI.h"
#include "ui/core/manager/WindowManager.h"

namespace {

using gallery::CEventLog;
using gallery::CGalleryWindow;
using gallery::TSkinSource;
using SkinUI::CUIString;
using SkinUI::CWindowManagerUI;

constexpr int kExitSkinFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNoWindow = 3;

struct TOptions {
    std::wstring log;
    std::wstring skin;
    std::wstring markup;
};

bool ParseOptions(TOptions& options) {
    int argc = 0;
    const bxutil::CArgumentVector arguments(::CommandLineToArgvW(::GetCommandLineW(), &argc));
    LPWSTR* argv = arguments.Get();
    if (argv == nullptr) return false;
    std::vector<std::wstring> positional;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        if (wcscmp(argv[i], L"--log") == 0 && i + 1 < argc)
            options.log = argv[++i];
        else if (argv[i][0] == L'-' && argv[i][1] == L'-')
            ok = false;
        else
            positional.push_back(argv[i]);
    }
    if (positional.size() == 2) {
        options.skin = positional[0];
        options.markup = positional[1];
    } else if (!positional.empty()) {
        ok = false;
    }
    return ok;
}

// Shows the reason in an error box and on the standard error output, and logs it.
void Report(const CUIString& reason, CEventLog& log) {
    const CUIString text = CUIString(L"The skin cannot be shown.\r\n\r\n") + reason;
    if (HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE); error != nullptr &&
                                                          error != INVALID_HANDLE_VALUE) {
        const CUIString line = reason + L"\n";
        const int size = ::WideCharToMultiByte(CP_UTF8, 0, line, line.GetLength(), nullptr, 0,
                                               nullptr, nullptr);
        std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, line, line.GetLength(), bytes.data(), size, nullptr,
                              nullptr);
        DWORD written = 0;
        ::WriteFile(error, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    std::string ascii;
    for (LPCWSTR p = reason; *p != L'\0'; ++p)
        ascii += (*p >= 0x20 && *p < 0x7F) ? static_cast<char>(*p) : ' ';
    log.Line("failed %s", ascii.c_str());
    ::MessageBoxW(nullptr, text, L"SkinUI gallery", MB_ICONERROR | MB_OK);
}

// Points the framework at the skin of the command line (a folder or a ZIP file) or at the
// gallery's own; false with a reason when the skin is not there.
bool ChooseSkin(const TOptions& options, TSkinSource& source, CUIString& reason) {
    if (options.skin.empty()) {
        CWindowManagerUI::SetSkinPath(CWindowManagerUI::ModuleDirectory());
        source.kind = SkinUI::kSkinFromZipResource;
        if (CWindowManagerUI::SetSkinArchiveResource(
                L"ZIPRES", MAKEINTRESOURCEW(CGalleryWindow::kSkinResourceId)))
            return true;
        reason = L"the gallery's own skin is missing from its resources";
        return false;
    }
    wchar_t full[MAX_PATH * 4] = {};
    wchar_t* name = nullptr;
    const DWORD length = ::GetFullPathNameW(options.skin.c_str(), ARRAYSIZE(full), full, &name);
    const DWORD attributes = length > 0 && length < ARRAYSIZE(full)
                                 ? ::GetFileAttributesW(full)
                                 : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        reason.Format(L"%s: no such skin folder or ZIP file", options.skin.c_str());
        return false;
    }
    source.markup = options.markup.c_str();
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        CWindowManagerUI::SetSkinPath(full);
        source.kind = SkinUI::kSkinFromFolder;
        return true;
    }
    // A ZIP file: the skin folder is the file's own, the archive its name.
    source.archive = name;
    *name = L'\0';
    CWindowManagerUI::SetSkinPath(full);
    CWindowManagerUI::SetSkinArchive(source.archive, true);
    source.kind = SkinUI::kSkinFromZipFile;
    return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // System DLLs from System32 only, before anything loads one (support/SystemLibrary.h).
    RestrictDllSearchToSystem();
    // The framework's own log, on demand as in the installer: "log" in config.ini beside it.
    ConfigureLogFromConfigFile();
    TOptions options;
    if (!ParseOptions(options)) {
        ::MessageBoxW(nullptr,
                      L"Usage: gallery.exe [--log FILE] [SKIN MARKUP]\r\n\r\n"
                      L"SKIN is a skin folder or ZIP file, MARKUP its window's markup file.",
                      L"SkinUI gallery", MB_ICONINFORMATION | MB_OK);
        return kExitUsage;
    }
    CEventLog log(options.log.c_str());
    CWindowManagerUI::SetModuleInstance(instance);
    // The UI thread hosts ActiveX controls: one single-threaded apartment for the whole run.
    const bxutil::COleApartment com;
    // The classes a skin shown here may host: the project's test control and the web browser.
    SkinUI::SetAllowedActiveXClasses(
        {test_control::kClsidControl, test_control::kClsidWindowed, SkinUI::kWebBrowserClass});

    TSkinSource source;
    CUIString reason;
    if (ChooseSkin(options, source, reason)) reason = gallery::SkinLoadFailure(source.markup);
    if (!reason.IsEmpty()) {
        Report(reason, log);
        return kExitSkinFailed;
    }

    // The window object outlives its window: it is deleted after the loop has ended.
    auto* window = new CGalleryWindow(source, log);
    if (window->Create(nullptr, L"SkinUI gallery", WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                       WS_EX_WINDOWEDGE) == nullptr) {
        log.Line("create failed");
        delete window;
        return kExitNoWindow;
    }
    window->CenterWindow();
    const UINT result = window->RunModalLoop();
    log.Line("exit %u", result);
    delete window;
    return 0;
}
