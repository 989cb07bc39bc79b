// One installer per game: the claim on a game, and finding the window that holds it.

#include <gtest/gtest.h>

#include "app/SingleInstance.h"
#include "support/UniqueHandle.h"

namespace {

TEST(SingleInstance, AGameIsClaimedOnceUntilItsHolderLetsGo) {
    bxutil::CKernelHandle first(ClaimGame("7654321"));
    ASSERT_NE(first.Get(), nullptr);
    EXPECT_EQ(ClaimGame("7654321").Get(), nullptr) << "a second start of the same game";
    bxutil::CKernelHandle other(ClaimGame("7654322"));
    EXPECT_NE(other.Get(), nullptr) << "another game is another claim";
    first.Reset();
    bxutil::CKernelHandle again(ClaimGame("7654321"));
    EXPECT_NE(again.Get(), nullptr) << "the claim ends with its holder";
}

TEST(SingleInstance, TheRunningWindowIsFoundByClassAndGame) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VexoInstallView";
    RegisterClassW(&wc);
    const bxutil::CWindowHandle window(CreateWindowExW(0, L"VexoInstallView", L"CSkinFrameWnd", WS_POPUP, 0, 0,
                                                       10, 10, nullptr, nullptr, wc.hInstance, nullptr));
    ASSERT_NE(window.Get(), nullptr);
    SetPropW(window.Get(), kGameWindowProperty, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(7654321)));
    ShowWindow(window.Get(), SW_SHOWMINNOACTIVE);
    EXPECT_FALSE(BringRunningInstallerForward("7654322", 0)) << "another game's window is left alone";
    EXPECT_TRUE(BringRunningInstallerForward("7654321", 0));
    EXPECT_FALSE(IsIconic(window.Get())) << "a minimised window is restored";
    RemovePropW(window.Get(), kGameWindowProperty);
}

}  // namespace
