#pragma once
// Running call objects on the UI thread.
//
// The UI thread may register a dispatch window (CreateUiCallWindow); calls handed to
// PostCallToUiThread from other threads are then posted to it and run there. While no window is
// registered every call runs at once on the calling thread.

#include <windows.h>

#include "support/AsyncCall.h"
#include "support/UniqueHandle.h"

// The message that carries a call to the dispatch window: wParam is the call, lParam 0.
constexpr UINT kUiCallMessage = WM_APP + 1001;

// Runs or forwards call, which this function owns from now on (null does nothing):
//  - no dispatch window registered: logs that, runs the call here and destroys it;
//  - the registered window is gone (or has ended): logs that and destroys the call without
//    running it;
//  - on another thread than the UI thread, or forcePost: posts the call to the window (sends it
//    and waits for it when waitForCompletion) and the window runs and destroys it; a call that
//    cannot be delivered is dropped and destroyed like one for a vanished window;
//  - on the UI thread: runs the call at once and destroys it.
void PostCallToUiThread(bxutil::IAsyncFuncCall* call, bool forcePost = false, bool waitForCompletion = false);

// Creates a message-only dispatch window on the calling thread, which becomes the UI thread, and
// registers it (replacing an earlier registration). The holder destroys it on that thread when the
// UI ends: calls still queued for it are destroyed without running, and so is every later call
// (until a new window is registered). Empty when the window cannot be created.
[[nodiscard]] bxutil::CWindowHandle CreateUiCallWindow();

// True once a registered dispatch window has ended: workers that feed the UI should stop.
bool UiDispatchEnded();
