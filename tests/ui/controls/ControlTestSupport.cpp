#include "tests/ui/controls/ControlTestSupport.h"

#include <cwchar>

#include "tests/common/TestFiles.h"
#include "ui/core/skin/ResourceData.h"

namespace control_test {

int CNotifyRecorder::Count(const wchar_t* type, SkinUI::CControlUI* sender) const {
    int count = 0;
    for (const TSeen& seen : m_seen) {
        if (seen.type == type && (sender == nullptr || seen.sender == sender)) ++count;
    }
    return count;
}

namespace {

const wchar_t* TestWindowClass() {
    static const wchar_t* name = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VexoControlTestWindow";
        ::RegisterClassW(&wc);
        return L"VexoControlTestWindow";
    }();
    return name;
}

}  // namespace

CTestWindow::CTestWindow() {
    RenderTest::StartGdiplus();
    RenderTest::PreparePictures();
    m_hWnd.Reset(::CreateWindowExW(0, TestWindowClass(), L"controls", WS_POPUP, 0, 0, 400, 300,
                                   nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr));
    m_manager.Init(m_hWnd.Get());
    m_manager.AddNotifier(&m_recorder);
}

CTestWindow::~CTestWindow() {
    m_manager.RemoveNotifier(&m_recorder);
    m_hWnd.Reset();  // before the manager, which the window's messages still reach
}

void SendEvent(SkinUI::CControlUI& control, int kind, POINT pt, WPARAM wParam, wchar_t key) {
    SkinUI::TControlEvent event;
    event.nKind = kind;
    event.pSender = &control;
    event.dwTimestamp = ::GetTickCount();
    event.ptMouse = pt;
    event.chKey = key;
    event.wParam = wParam;
    control.HandleEvent(event);
}

void Click(SkinUI::CControlUI& control, POINT pt) {
    SendEvent(control, SkinUI::kEventButtonDown, pt);
    SendEvent(control, SkinUI::kEventButtonUp, pt);
}

void SendMouseMessage(SkinUI::CWindowManagerUI& manager, UINT message, POINT pt, WPARAM keys) {
    LRESULT result = 0;
    manager.HandleWindowMessage(message, keys, MAKELPARAM(pt.x, pt.y), result);
}

std::unique_ptr<RenderTest::CCanvas> PaintOnCanvas(SkinUI::CControlUI& control, int width,
                                                   int height, DWORD fill) {
    auto canvas = std::make_unique<RenderTest::CCanvas>(width, height, fill);
    control.Paint(canvas->DC(), canvas->Rect());
    ::GdiFlush();
    return canvas;
}

void AddLargeFont(SkinUI::CWindowManagerUI& manager, int id, int size) {
    const SkinUI::TFontData* font = manager.GetDefaultFontInfo();
    manager.AddFont(id, font->strFaceName, size, true, false, false);
}

int CountPaintedColour(SkinUI::CControlUI& control, int width, int height, DWORD rgb) {
    auto canvas = PaintOnCanvas(control, width, height);
    return canvas->CountColor(rgb, canvas->Rect(), 8);
}

void SaveArtifact(const RenderTest::CCanvas& canvas, const std::wstring& name) {
    canvas.SavePng(testfiles::BuildFolder(L"artifacts\\controls") + name);
}

void ApplyAttributes(SkinUI::CControlUI& control, std::initializer_list<const wchar_t*> pairs) {
    const wchar_t* const* pair = pairs.begin();
    for (size_t i = 0; i + 1 < pairs.size(); i += 2) control.ApplyAttribute(pair[i], pair[i + 1]);
}

POINT Centre(const RECT& rc) { return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2}; }

}  // namespace control_test
