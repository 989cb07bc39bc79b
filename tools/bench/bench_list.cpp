// List benchmark: a list of 100 000 text rows of three columns under a header, 600×400 in a
// hidden window's manager, painted into an off-screen 32-bit DIB like the window manager's.
// Prints the time to build the list (rows made, added and laid out), to scroll one page and
// repaint, to repaint after a selection change (the two rows that changed, and the whole list),
// each beside a plain copy of the 600×400×4 buffer measured in the same run, and the memory
// each row takes.
//
// Run with scripts/bench.sh list. Prints figures only; it checks nothing.

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "support/UniqueHandle.h"
#include "tools/bench/BenchClock.h"
#include "ui/controls/ListBodyUI.h"
#include "ui/controls/ListElementsUI.h"
#include "ui/controls/ListHeaderUI.h"
#include "ui/controls/ListUI.h"
#include "ui/core/base/UIGeometry.h"
#include "ui/core/render/UIRender.h"

using namespace SkinUI;

namespace {

constexpr int kRows = 100000;
constexpr int kWidth = 600;
constexpr int kHeight = 400;
constexpr RECT kListRect = {0, 0, kWidth, kHeight};

size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(),
                           reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    // Wine leaves PrivateUsage at 0; the committed bytes are the same figure there.
    return counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
}

CListHeaderUI* NewHeader() {
    auto* header = new CListHeaderUI;
    for (int width : {260, 160, 160}) {
        auto* item = new CListHeaderItemUI;
        item->SetFixedWidth(width);
        header->Append(item);  // the header owns the item
    }
    return header;
}

// A list as an installer would fill it from code: texts set on each row.
std::unique_ptr<CListUI> BuildList(CWindowManagerUI& manager) {
    auto list = std::make_unique<CListUI>();
    list->SetHeader(NewHeader());  // the list owns the header
    wchar_t name[32];
    for (int i = 0; i < kRows; ++i) {
        auto* row = new CListTextElementUI;
        std::swprintf(name, 32, L"Package %06d", i);
        row->SetText(name);
        row->SetColumnText(1, L"120 MB");
        row->SetColumnText(2, L"available");
        list->AddRow(row);  // the list's body owns the row
    }
    list->AttachTo(&manager, nullptr, true);
    list->Place(kListRect, false);
    return list;
}

}  // namespace

int main() {
    // A hidden window gives the manager a device context for fonts, as a real window would.
    bxutil::CWindowHandle window(::CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP, 0, 0, kWidth,
                                                   kHeight, nullptr, nullptr, nullptr, nullptr));
    CWindowManagerUI manager;
    manager.Init(window.Get());
    manager.SetDefaultFont(L"Tahoma", 13, false, false, false);
    CDibSurfaceUI frame(kWidth, kHeight);
    std::vector<DWORD> copy(static_cast<size_t>(kWidth) * kHeight);

    std::printf("List benchmark, %d rows of 3 columns, %dx%d list, 32-bit off-screen DIB\n", kRows,
                kWidth, kHeight);
    BenchMeasure("plain copy of a 600x400x4 buffer (floor)", 15, 50, [&] {
        std::memcpy(copy.data(), frame.Bits(), copy.size() * sizeof(DWORD));
    });

    BenchMeasure("build: 100 000 rows made, added, laid out", 3, 1, [&] {
        auto list = BuildList(manager);
    });

    const size_t before = PrivateBytes();
    auto list = BuildList(manager);
    const size_t after = PrivateBytes();
    std::printf("memory per row: %.0f bytes (private bytes), sizeof(CListTextElementUI) %u\n",
                static_cast<double>(after - before) / kRows,
                static_cast<unsigned>(sizeof(CListTextElementUI)));

    list->Paint(frame.DC(), kListRect);
    const int page = list->Body()->RowsPerPage();
    int direction = 1;
    BenchMeasure("scroll one page down or up, repaint the list", 15, 20, [&] {
        const int before = list->Body()->FirstVisibleRow();
        list->Body()->ScrollRows(direction * page);
        if (list->Body()->FirstVisibleRow() == before) direction = -direction;
        list->Paint(frame.DC(), kListRect);
    });
    list->Body()->SetScrollOffset(SIZE{0, 50000 * 24});
    const int first = list->Body()->FirstVisibleRow();
    int turn = 0;
    BenchMeasure("selection change, repaint of the two rows", 15, 50, [&] {
        const int old = list->CurrentRow();
        const int index = first + (++turn % page);
        list->SelectRow(index, false);
        RECT dirty = list->RowAt(index)->Rect();
        if (old >= 0) dirty = RectUnion(dirty, list->RowAt(old)->Rect());
        CPaintClip clip;  // the window's paint context is clipped to the update rectangle too
        CUIRender::ClipToRect(frame.DC(), dirty, clip);
        list->Paint(frame.DC(), dirty);
    });
    BenchMeasure("selection change, repaint of the whole list", 15, 20, [&] {
        list->SelectRow(first + (++turn % page), false);
        list->Paint(frame.DC(), kListRect);
    });
    volatile DWORD sink = copy[copy.size() / 2];  // keeps the copy from being optimised away
    (void)sink;
    return 0;
}
