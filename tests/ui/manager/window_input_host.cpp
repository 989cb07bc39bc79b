// Test host for the input tests: a real window whose control tree is built in code, driven from
// outside with xdotool (window_input_test.py). It prints one line per event and notification
// on standard output, and answers two keys itself:
//   F12  prints "state focus=<name> hover=<name> pressed=<name> capture=<0|1> tooltip=<0|1>
//        owner=<left>,<top>"
//   F9  switches "moveparentwnd" dragging on (the owner window is then the parent dragged)
// Every rectangle the window manager repaints is printed as "painted <l> <t> <r> <b>".
// At start it prints "ready <left> <top>" (the client area's screen position) once the first
// paint has laid the tree out, and it starts one control timer that kills itself after three
// ticks ("tick <n> <same|other> thread").
//
// Tree (client 400 x 300):
//   row 1 (60): hoverA | hoverB | tipped (tool tip "Tip text") | button (60, a hot colour) | rest
//   row 2 (60): tab1 | hidden (invisible) | tab2 | disabled | tab3       (tab stops)
//   row 3 (60): wheel | menu (context menu on)
//   row 4 (60): timer | asyncer (its "click" sends "ping" asynchronously)
//   background (root) below

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tests/ui/manager/ManagerTestSupport.h"
#include "ui/controls/ButtonUI.h"
#include "ui/controls/HorizontalLayoutUI.h"
#include "ui/controls/VerticalLayoutUI.h"
#include "ui/core/base/UIGeometry.h"

using namespace SkinUI;
using manager_test::CHostWindow;
using manager_test::CNotifyJournal;
using manager_test::CProbeControl;
using manager_test::TSeenEvent;

namespace {

void PrintLine(const std::wstring& line) {
    std::printf("%ls\n", line.c_str());
    std::fflush(stdout);
}

std::wstring NameOf(CControlUI* control) {
    return control != nullptr ? std::wstring(control->Name().GetData()) : L"-";
}

// A probe that prints each event as it records it.
class CPrintingProbe : public CProbeControl {
public:
    CPrintingProbe(LPCWSTR name, bool tabStop, std::vector<TSeenEvent>* journal)
        : CProbeControl(name, journal, tabStop), m_journal(journal) {}
    void ProcessEvent(TControlEvent& event) override {
        const size_t before = m_journal->size();
        CProbeControl::ProcessEvent(event);
        if (m_journal->size() > before) {
            const TSeenEvent& seen = (*m_journal)[before];
            PrintLine(L"event " + seen.control + L" " + std::to_wstring(seen.kind) + L" " +
                      std::to_wstring(seen.wParam));
        }
    }

private:
    std::vector<TSeenEvent>* m_journal;
};

class CInputHost {
public:
    CInputHost()
        : m_owner(L"VexoInputOwner", RECT{600, 500, 800, 600}),
          m_window(L"VexoInputHost", RECT{100, 100, 500, 400}) {
        // The host window is owned by the other one, which "moveparentwnd" then drags.
        ::SetWindowLongPtrW(m_window.Handle(), GWLP_HWNDPARENT,
                            reinterpret_cast<LONG_PTR>(m_owner.Handle()));
        m_uiThread = ::GetCurrentThreadId();
        BuildTree();
        m_notes.onNotify = [this](TNotifyMsg& msg) { OnNotify(msg); };
        Manager().AddNotifier(&m_notes);
        m_window.beforeManager = [this](UINT message, WPARAM wParam, LPARAM) {
            return BeforeManager(message, wParam);
        };
        m_window.afterManager = [](UINT message) {
            if (message == WM_LBUTTONUP) PrintLine(L"done lbuttonup");
        };
    }

    int Run() {
        ::ShowWindow(m_window.Handle(), SW_SHOW);
        ::SetForegroundWindow(m_window.Handle());
        ::UpdateWindow(m_window.Handle());
        CWindowManagerUI::MessageLoop();
        return 0;
    }

private:
    CWindowManagerUI& Manager() { return m_window.Manager(); }

    CControlUI* Probe(CContainerUI& row, LPCWSTR name, int width, bool tabStop = false,
                      LPCWSTR attributes = L"") {
        auto* probe = new CPrintingProbe(name, tabStop, &m_events);
        probe->SetFixedWidth(width);
        probe->ApplyAttributeString(attributes);
        row.Append(probe);
        return probe;
    }

    CContainerUI* Row(CContainerUI& root) {
        auto* row = new CHorizontalLayoutUI();
        row->SetFixedHeight(60);
        root.Append(row);
        return row;
    }

    void BuildTree() {
        auto* root = new CVerticalLayoutUI();
        root->SetName(L"root");
        root->ApplyAttributeString(L"bkcolor=\"#FFF0F0F0\"");
        CContainerUI* row1 = Row(*root);
        Probe(*row1, L"hoverA", 100, false, L"bkcolor=\"#FF6080C0\"");
        Probe(*row1, L"hoverB", 100, false, L"bkcolor=\"#FF60C080\"");
        Probe(*row1, L"tipped", 100, false, L"bkcolor=\"#FFC0A060\" tooltip=\"Tip text\"");
        auto* button = new CButtonUI();
        button->ApplyAttributeString(
            L"name=\"button\" width=\"60\" keyboard=\"false\" bkcolor=\"#FF8060A0\" hotbkcolor=\"#FFA080C0\"");
        row1->Append(button);
        CContainerUI* row2 = Row(*root);
        Probe(*row2, L"tab1", 60, true, L"bkcolor=\"#FFA0A0A0\"");
        Probe(*row2, L"hidden", 60, true, L"visible=\"false\"");
        Probe(*row2, L"tab2", 60, true, L"bkcolor=\"#FFB0B0B0\"");
        Probe(*row2, L"disabled", 60, true, L"enabled=\"false\" bkcolor=\"#FF404040\"");
        Probe(*row2, L"tab3", 60, true, L"bkcolor=\"#FFC0C0C0\"");
        CContainerUI* row3 = Row(*root);
        Probe(*row3, L"wheel", 150, false, L"bkcolor=\"#FF8080FF\"");
        Probe(*row3, L"menu", 150, false, L"bkcolor=\"#FFFF8080\" menu=\"true\"");
        CContainerUI* row4 = Row(*root);
        m_timer = Probe(*row4, L"timer", 100, false, L"bkcolor=\"#FF80FFFF\"");
        Probe(*row4, L"asyncer", 100, false, L"bkcolor=\"#FFFFFF80\"");
        Manager().AttachRoot(root);
        Manager().SetPaintObserver([](const RECT& rc) {
            PrintLine(L"painted " + std::to_wstring(rc.left) + L" " + std::to_wstring(rc.top) +
                      L" " + std::to_wstring(rc.right) + L" " + std::to_wstring(rc.bottom));
        });
        Manager().SetTimer(m_timer, 3, 100);
    }

    void OnNotify(TNotifyMsg& msg) {
        const std::wstring type = msg.strType.GetData();
        PrintLine(L"notify " + type + L" " + NameOf(msg.pSender));
        if (type == L"windowinit") {
            POINT origin{0, 0};
            ::ClientToScreen(m_window.Handle(), &origin);
            PrintLine(L"ready " + std::to_wstring(origin.x) + L" " + std::to_wstring(origin.y));
        } else if (type == L"timer" && msg.pSender == m_timer) {
            ++m_ticks;
            const bool same = ::GetCurrentThreadId() == m_uiThread;
            PrintLine(L"tick " + std::to_wstring(m_ticks) + (same ? L" same" : L" other") +
                      L" thread");
            if (m_ticks == 3) Manager().KillTimer(m_timer, 3);
        } else if (type == L"click" && NameOf(msg.pSender) == L"asyncer") {
            Manager().SendNotification(msg.pSender, L"ping", 0, 0, true);
            PrintLine(L"sent async");
        }
    }

    bool BeforeManager(UINT message, WPARAM wParam) {
        if (message == WM_DESTROY) ::PostQuitMessage(0);
        if (message != WM_KEYDOWN) return false;
        if (wParam == VK_F12) {
            PrintState();
            return true;
        }
        if (wParam == VK_F9) {
            Manager().SetDragMovesParent(true);
            PrintLine(L"moveparent on");
            return true;
        }
        return false;
    }

    void PrintState() {
        HWND tip = Manager().ToolTipWindow();
        RECT owner{};
        ::GetWindowRect(m_owner.Handle(), &owner);
        PrintLine(L"state focus=" + NameOf(Manager().GetFocus()) +
                  L" hover=" + NameOf(Manager().HoveredControl()) +
                  L" pressed=" + NameOf(Manager().PressedControl()) +
                  L" capture=" + (::GetCapture() == m_window.Handle() ? L"1" : L"0") +
                  L" tooltip=" + (tip != nullptr && ::IsWindowVisible(tip) ? L"1" : L"0") +
                  L" owner=" + std::to_wstring(owner.left) + L"," + std::to_wstring(owner.top));
    }

    CHostWindow m_owner;
    CHostWindow m_window;
    CNotifyJournal m_notes;
    std::vector<TSeenEvent> m_events;
    CControlUI* m_timer = nullptr;
    int m_ticks = 0;
    DWORD m_uiThread = 0;
};

}  // namespace

int main() {
    CInputHost host;
    return host.Run();
}
