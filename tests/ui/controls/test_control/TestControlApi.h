#pragma once
// The project's test ActiveX control (vexo_test_control.dll), as its tests see it: the classes
// it serves, the picture it paints, and what it tells about itself through its exported
// function VexoTestControlStats.
//
// The DLL registers itself for the current user (DllRegisterServer writes under
// HKCU\Software\Classes, no administrator rights), so a test loads it, registers it and then
// creates its controls through COM as any host would.

#include <windows.h>

namespace test_control {

// Windowless when the site lets it, windowed otherwise.
// {D79B6211-46E2-4113-BD6D-B7DF7EFF8197}, ProgID "Vexo.TestControl".
constexpr CLSID kClsidControl = {
    0xd79b6211, 0x46e2, 0x4113, {0xbd, 0x6d, 0xb7, 0xdf, 0x7e, 0xff, 0x81, 0x97}};
constexpr const wchar_t* kClsidControlText = L"{D79B6211-46E2-4113-BD6D-B7DF7EFF8197}";
constexpr const wchar_t* kProgIdControl = L"Vexo.TestControl";

// Always in a window of its own. {2F8EB5DA-C2DA-4A63-B7FA-A2CE364D444D}.
constexpr CLSID kClsidWindowed = {
    0x2f8eb5da, 0xc2da, 0x4a63, {0xb7, 0xfa, 0xa2, 0xce, 0x36, 0x4d, 0x44, 0x4d}};
constexpr const wchar_t* kProgIdWindowed = L"Vexo.TestControlWindowed";

// Created, but refuses in-place activation (DoVerb fails with E_FAIL).
// {632F5341-D940-43A4-965C-5EF835D73748}.
constexpr CLSID kClsidFailing = {
    0x632f5341, 0xd940, 0x43a4, {0x96, 0x5c, 0x5e, 0xf8, 0x35, 0xd7, 0x37, 0x48}};
constexpr const wchar_t* kProgIdFailing = L"Vexo.TestControlFailing";

// The picture: the control's rectangle in four quadrants of these colours (COLORREF).
constexpr COLORREF kTopLeft = RGB(230, 30, 40);
constexpr COLORREF kTopRight = RGB(20, 170, 60);
constexpr COLORREF kBottomLeft = RGB(30, 60, 220);
constexpr COLORREF kBottomRight = RGB(240, 200, 20);

constexpr int kCallTextSize = 4096;

struct TStats {
    LONG liveObjects;    // controls not yet deleted
    LONG references;     // the sum of their reference counts
    LONG created;        // controls made since the DLL was loaded
    LONG drawCalls;      // IViewObject::Draw calls
    RECT lastDrawBounds; // the bounds of the last one
    RECT lastPosRect;    // the position given at activation or by SetObjectRects
    RECT lastClipRect;
    LONG windowless;     // the last activation: 1 windowless, 0 windowed, -1 none yet
    LONG userMode;       // ambient USERMODE read at activation: 1, 0, or -1 when not answered
    LONG mouseMessages;  // mouse messages a windowless control received
    HWND window;         // the last windowed control's window
    wchar_t calls[kCallTextSize];  // names of the calls received, blank separated; cut when full
};

// The DLL's exports beside the COM ones (plain C calling convention, undecorated names).
using StatsProc = void (*)(TStats* out);
using ResetCallsProc = void (*)();
constexpr const char* kStatsExport = "VexoTestControlStats";
constexpr const char* kResetCallsExport = "VexoTestControlResetCalls";
constexpr const wchar_t* kDllName = L"vexo_test_control.dll";

}  // namespace test_control
