// The window the window tests drive: the sample skin opened by the window base from one of its
// three sources, with everything that happens written to a log file for the test driver
// (window_base_test.py). The driver reads control rectangles from the log, moves and clicks
// with xdotool, and checks the notifications, sizes and positions logged back.
//
// Usage: sample_window_host.exe SOURCE LOGFILE [--markup NAME] [--close-on-minimize]
//   SOURCE   folder    the skin's files in the folder "sample_skin" beside the program
//            zip       the ZIP file "sample_skin.zip" in the folder "sample_zip" beside it
//            resource  the ZIP archive in the program's own resource "ZIPRES" 146
//   --markup NAME          the markup file to open (default "sample.xml")
//   --close-on-minimize    close the window once it has been minimised
//
// Log lines (one event each, fields separated by blanks):
//   window L T R B                 window rectangle at the first layout (screen)
//   region TYPE CORNER CENTRE      GetWindowRgn type, whether (0,0) and the centre are inside
//   icon BIG SMALL                 whether the window has its big and small icons
//   control NAME CLASS L T R B V   every named control after a layout (client coordinates)
//   notify TYPE SENDER WPARAM      every notification of the window's manager
//   group NAME OPT1 ...            after "selectchanged": the selection of each option
//   value NAME VALUE               after "valuechanged": the slider's value
//   size KIND W H                  WM_SIZE (KIND: restored, minimized, maximized)
//   moved L T R B                  WM_MOVE, with the window rectangle
//   exit RESULT                    the modal loop's result

#include <windows.h>
#include <shellapi.h>

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/GdiHandles.h"
#include "support/UniqueHandle.h"
#include "ui/controls/OptionUI.h"
#include "ui/controls/SliderUI.h"
#include "ui/core/manager/ControlUI.h"
#include "ui/core/window/WindowImplBase.h"

namespace {

using namespace SkinUI;

constexpr UINT kMsgLogLayout = WM_APP + 20;
constexpr UINT kIconId = 143;
constexpr UINT kSkinResourceId = 146;

class CLog {
public:
    explicit CLog(const wchar_t* path) : m_file(_wfopen(path, L"w")) {}
    ~CLog() {
        if (m_file != nullptr) fclose(m_file);
    }
    CLog(const CLog&) = delete;
    CLog& operator=(const CLog&) = delete;

    void Line(const char* format, ...) {
        if (m_file == nullptr) return;
        va_list args;
        va_start(args, format);
        vfprintf(m_file, format, args);
        va_end(args);
        fputc('\n', m_file);
        fflush(m_file);  // the driver reads the log while the window runs
    }

private:
    FILE* m_file;
};

std::string Narrow(LPCWSTR text) {
    std::string out;
    for (; text != nullptr && *text != L'\0'; ++text)
        out += (*text > 0x20 && *text < 0x7F) ? static_cast<char>(*text) : '_';
    return out.empty() ? "-" : out;
}

struct TOptions {
    UINT kind = kSkinFromFolder;
    std::wstring log;
    std::wstring markup = L"sample.xml";
    bool closeOnMinimize = false;
};

class CSampleWindow : public WindowImplBase {
public:
    CSampleWindow(const TOptions& options, CLog& log) : m_options(options), m_log(log) {}

    LPCWSTR WindowClassName() const override { return L"SkinUISampleWindow"; }
    CUIString SkinFolder() override {
        if (m_options.kind == kSkinFromFolder) return L"sample_skin\\";
        if (m_options.kind == kSkinFromZipFile) return L"sample_zip\\";
        return L"";
    }
    CUIString SkinFileName() override { return m_options.markup.c_str(); }
    UINT SkinSourceKind() const override { return m_options.kind; }
    CUIString SkinArchiveName() override { return L"sample_skin.zip"; }
    LPCWSTR SkinResourceId() const override { return MAKEINTRESOURCEW(kSkinResourceId); }

    void Notify(TNotifyMsg& msg) override {
        m_log.Line("notify %s %s %lld", Narrow(msg.strType).c_str(),
                   Narrow(msg.pSender != nullptr ? msg.pSender->Name().GetData() : L"").c_str(),
                   static_cast<long long>(msg.wParam));
        if (msg.strType == L"windowinit") LogWindow();
        if (msg.strType == L"selectchanged") LogGroup(L"colors", {L"opt1", L"opt2", L"opt3"});
        if (msg.strType == L"selectchanged") LogGroup(L"check", {L"check"});
        if (msg.strType == L"valuechanged") LogSlider();
        WindowImplBase::Notify(msg);
    }

    LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override {
        const char* kind = wParam == SIZE_MINIMIZED ? "minimized"
                           : wParam == SIZE_MAXIMIZED ? "maximized" : "restored";
        m_log.Line("size %s %d %d", kind, LOWORD(lParam), HIWORD(lParam));
        m_bLayoutPending = true;
        if (wParam == SIZE_MINIMIZED && m_options.closeOnMinimize) PostMessage(WM_CLOSE, 0, 0);
        return WindowImplBase::OnSize(message, wParam, lParam, handled);
    }

    LRESULT HandleOtherMessage(UINT message, WPARAM, LPARAM, bool& handled) override {
        handled = false;
        if (message == WM_MOVE) LogRect("moved");
        // A message posted while painting arrives after the paint: the layout is done then.
        if (message == WM_PAINT && m_bLayoutPending) PostMessage(kMsgLogLayout, 0, 0);
        if (message == kMsgLogLayout) {
            m_bLayoutPending = false;
            LogControls();
            handled = true;
        }
        return 0;
    }

private:
    void LogRect(const char* tag) {
        RECT rc{};
        ::GetWindowRect(m_hWnd, &rc);
        m_log.Line("%s %ld %ld %ld %ld", tag, rc.left, rc.top, rc.right, rc.bottom);
    }

    void LogWindow() {
        LogRect("window");
        RECT rc{};
        ::GetWindowRect(m_hWnd, &rc);
        const bxutil::CRegionHandle region(::CreateRectRgn(0, 0, 0, 0));
        const int type = ::GetWindowRgn(m_hWnd, region.Get());
        m_log.Line(
            "region %d %d %d", type, ::PtInRegion(region.Get(), 0, 0) ? 1 : 0,
            ::PtInRegion(region.Get(), (rc.right - rc.left) / 2, (rc.bottom - rc.top) / 2) ? 1 : 0);
        m_log.Line("icon %d %d", SendMessage(WM_GETICON, ICON_BIG, 0) != 0 ? 1 : 0,
                   SendMessage(WM_GETICON, ICON_SMALL, 0) != 0 ? 1 : 0);
        LogControls();
    }

    static CControlUI* CollectNamed(CControlUI* control, LPVOID data) {
        if (!control->Name().IsEmpty())
            static_cast<std::vector<CControlUI*>*>(data)->push_back(control);
        return nullptr;
    }

    void LogControls() {
        CControlUI* root = m_PaintManager.GetRoot();
        if (root == nullptr) return;
        std::vector<CControlUI*> named;
        root->Find(&CSampleWindow::CollectNamed, &named, kFindAll);
        for (CControlUI* control : named) {
            const RECT rc = control->Rect();
            m_log.Line("control %s %s %ld %ld %ld %ld %d", Narrow(control->Name()).c_str(),
                       Narrow(control->ClassName()).c_str(), rc.left, rc.top, rc.right, rc.bottom,
                       control->IsVisible() ? 1 : 0);
        }
    }

    void LogGroup(LPCWSTR tag, std::initializer_list<LPCWSTR> names) {
        std::string line = "group " + Narrow(tag);
        for (LPCWSTR name : names) {
            auto* option = static_cast<COptionUI*>(m_PaintManager.FindControl(name));
            line +=
                " " + Narrow(name) + "=" + (option != nullptr && option->IsSelected() ? "1" : "0");
        }
        m_log.Line("%s", line.c_str());
    }

    void LogSlider() {
        auto* slider = static_cast<CSliderUI*>(m_PaintManager.FindControl(L"slider"));
        if (slider != nullptr) m_log.Line("value slider %d", slider->Value());
    }

    TOptions m_options;
    CLog& m_log;
    bool m_bLayoutPending = false;
};

bool ParseOptions(TOptions& options) {
    int argc = 0;
    const bxutil::CArgumentVector arguments(::CommandLineToArgvW(::GetCommandLineW(), &argc));
    LPWSTR* argv = arguments.Get();
    if (argv == nullptr || argc < 3) return false;
    const std::wstring source = argv[1];
    options.kind = source == L"zip" ? kSkinFromZipFile
                   : source == L"resource" ? kSkinFromZipResource : kSkinFromFolder;
    options.log = argv[2];
    for (int i = 3; i < argc; ++i) {
        if (wcscmp(argv[i], L"--markup") == 0 && i + 1 < argc) options.markup = argv[++i];
        else if (wcscmp(argv[i], L"--close-on-minimize") == 0) options.closeOnMinimize = true;
    }
    return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    TOptions options;
    if (!ParseOptions(options)) return 2;
    CLog log(options.log.c_str());
    CWindowManagerUI::SetModuleInstance(instance);
    // The skin folder stays unset: the window base takes the program's folder + SkinFolder.
    auto* window = new CSampleWindow(options, log);
    if (window->Create(nullptr, L"SkinUI sample", WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                       WS_EX_WINDOWEDGE) == nullptr) {
        log.Line("create failed");
        return 3;
    }
    window->SetIcon(kIconId);
    window->CenterWindow();
    const UINT result = window->RunModalLoop();
    log.Line("exit %u", result);
    delete window;  // the window is gone: its manager and control tree go with the object
    return 0;
}
