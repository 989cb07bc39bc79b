// The gallery's window: tab options, the status line and the event log.

#include "tools/gallery/GalleryWindow.h"

#include <cstdarg>
#include <cwchar>
#include <string>

#include "ui/controls/ButtonSwitchExUI.h"
#include "ui/controls/OptionUI.h"
#include "ui/controls/SliderUI.h"
#include "ui/controls/TabLayoutUI.h"
#include "ui/core/base/UIAttribute.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/manager/ContainerUI.h"
#include "ui/core/manager/ScrollBarUI.h"

namespace gallery {

using namespace SkinUI;

namespace {

// Plain ASCII for the log: one word, other characters as "_", "-" for nothing.
std::string Word(LPCWSTR text) {
    std::string out;
    for (; text != nullptr && *text != L'\0'; ++text)
        out += (*text > 0x20 && *text < 0x7F) ? static_cast<char>(*text) : '_';
    return out.empty() ? "-" : out;
}

bool IsClass(CControlUI* control, LPCWSTR name) {
    return control != nullptr && wcscmp(control->ClassName(), name) == 0;
}

// The value a switch, slider or scroll bar holds, or false for other controls.
bool ValueOf(CControlUI* control, int& value) {
    if (IsClass(control, L"CButtonSwitchExUI")) {
        value = static_cast<CButtonSwitchExUI*>(control)->SwitchValue();
    } else if (auto* slider = static_cast<CSliderUI*>(
                   control != nullptr ? control->InterfaceByName(L"Slider") : nullptr)) {
        value = slider->Value();
    } else if (auto* bar = static_cast<CScrollBarUI*>(
                   control != nullptr ? control->InterfaceByName(L"ScrollBar") : nullptr)) {
        value = bar->Position();
    } else {
        return false;
    }
    return true;
}

CControlUI* CollectNamed(CControlUI* control, LPVOID data) {
    auto* named = static_cast<std::vector<CControlUI*>*>(data);
    if (!control->Name().IsEmpty()) named->push_back(control);
    return nullptr;
}

std::vector<CControlUI*> NamedControls(CControlUI* root) {
    std::vector<CControlUI*> named;
    if (root != nullptr) root->Find(&CollectNamed, &named, kFindAll);
    return named;
}

CContainerUI* ScrolledContainer(CControlUI* control) {
    auto* container =
        static_cast<CContainerUI*>(control != nullptr ? control->InterfaceByName(L"Container")
                                                      : nullptr);
    if (container == nullptr) return nullptr;
    if (container->VerticalScrollBar() == nullptr && container->HorizontalScrollBar() == nullptr)
        return nullptr;
    return container;
}

}  // namespace

// ---- Event log ---------------------------------------------------------------------------------

CEventLog::CEventLog(LPCWSTR path) {
    if (path != nullptr && *path != L'\0') m_file = _wfopen(path, L"w");
}

CEventLog::~CEventLog() {
    if (m_file != nullptr) fclose(m_file);
}

void CEventLog::Line(const char* format, ...) {
    if (m_file == nullptr) return;
    va_list args;
    va_start(args, format);
    vfprintf(m_file, format, args);
    va_end(args);
    fputc('\n', m_file);
    fflush(m_file);
}

// ---- Window ------------------------------------------------------------------------------------

CGalleryWindow::CGalleryWindow(const TSkinSource& source, CEventLog& log)
    : m_source(source), m_log(log) {}

void CGalleryWindow::Notify(TNotifyMsg& msg) {
    CControlUI* sender = msg.pSender;
    m_log.Line("notify %s %s %lld", Word(msg.strType).c_str(),
               Word(sender != nullptr ? sender->Name().GetData() : nullptr).c_str(),
               static_cast<long long>(msg.wParam));
    if (msg.strType == L"windowinit") {
        RECT window{};
        ::GetWindowRect(m_hWnd, &window);
        m_log.Line("window %ld %ld %ld %ld", window.left, window.top, window.right, window.bottom);
        m_log.Line("ready");
        FindScrolledContainers();
        LogControls();
    } else if (msg.strType == L"selectchanged") {
        FollowTabOption(sender);
        LogValue(sender);
    } else if (msg.strType == L"valuechanged" || msg.strType == L"scroll") {
        LogValue(sender);
    } else if ((msg.strType == L"textchanged" || msg.strType == L"datetimechange") &&
               sender != nullptr) {
        // Edits and date fields show what they hold, for the tests that type into them.
        m_log.Line("text %s %s", Word(sender->Name()).c_str(), Word(sender->Text()).c_str());
    } else if (msg.strType == L"tabselect") {
        m_bLayoutPending = true;  // the pages move at the next paint
    }
    ShowStatus(msg);
    WindowImplBase::Notify(msg);
}

LRESULT CGalleryWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) m_log.Line("timer");
    const LRESULT result = WindowImplBase::HandleMessage(message, wParam, lParam);
    switch (message) {
    case WM_MOUSEWHEEL:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
        LogScrolledContainers();
        break;
    case WM_PAINT:
        if (m_bLayoutPending) {
            m_bLayoutPending = false;
            LogControls();
        }
        break;
    default:
        break;
    }
    return result;
}

void CGalleryWindow::FollowTabOption(CControlUI* option) {
    auto* choice =
        static_cast<COptionUI*>(option != nullptr ? option->InterfaceByName(L"Option") : nullptr);
    if (choice == nullptr || !choice->IsSelected()) return;
    const CUIString data = option->UserData();
    const int colon = data.Find(L':');
    if (colon <= 0) return;
    CControlUI* target = m_PaintManager.FindControl(data.Left(colon));
    auto* tabs = static_cast<CTabLayoutUI*>(
        target != nullptr ? target->InterfaceByName(L"TabLayout") : nullptr);
    if (tabs != nullptr) tabs->SelectItem(ParseAttrInt(data.Mid(colon + 1)));
}

void CGalleryWindow::ShowStatus(const TNotifyMsg& msg) {
    static const LPCWSTR kShown[] = {L"click",  L"selectchanged", L"valuechanged", L"tabselect",
                                     L"scroll", L"link",          L"buttondown"};
    CControlUI* status = m_PaintManager.FindControl(L"status");
    if (status == nullptr || msg.pSender == nullptr || msg.pSender == status) return;
    for (LPCWSTR shown : kShown) {
        if (msg.strType != shown) continue;
        CUIString text;
        int value = 0;
        if (ValueOf(msg.pSender, value))
            text.Format(L"%s: %s = %d", shown, msg.pSender->Name().GetData(), value);
        else
            text.Format(L"%s: %s", shown, msg.pSender->Name().GetData());
        status->SetText(text);
        return;
    }
}

void CGalleryWindow::LogValue(CControlUI* sender) {
    int value = 0;
    if (ValueOf(sender, value)) m_log.Line("value %s %d", Word(sender->Name()).c_str(), value);
}

void CGalleryWindow::LogControls() {
    for (CControlUI* control : NamedControls(m_PaintManager.GetRoot())) {
        const RECT rc = control->Rect();
        m_log.Line("control %s %s %ld %ld %ld %ld %d", Word(control->Name()).c_str(),
                   Word(control->ClassName()).c_str(), rc.left, rc.top, rc.right, rc.bottom,
                   control->IsVisible() ? 1 : 0);
    }
}

void CGalleryWindow::FindScrolledContainers() {
    m_scrolled.clear();
    m_loggedOffsets.clear();
    for (CControlUI* control : NamedControls(m_PaintManager.GetRoot())) {
        if (ScrolledContainer(control) == nullptr) continue;
        m_scrolled.push_back(control->Name());
        m_loggedOffsets.push_back(SIZE{0, 0});
    }
}

void CGalleryWindow::LogScrolledContainers() {
    for (size_t i = 0; i < m_scrolled.size(); ++i) {
        CContainerUI* container = ScrolledContainer(m_PaintManager.FindControl(m_scrolled[i]));
        if (container == nullptr) continue;
        const SIZE offset = container->ScrollOffset();
        if (SizeEquals(offset, m_loggedOffsets[i])) continue;
        m_loggedOffsets[i] = offset;
        m_log.Line("scroll %s %ld %ld", Word(m_scrolled[i]).c_str(), offset.cx, offset.cy);
    }
}

}  // namespace gallery
