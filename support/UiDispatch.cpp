#include "support/UiDispatch.h"

#include <memory>

#include "support/LibThread.h"
#include "support/Log.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

using CallPtr = std::unique_ptr<bxutil::IAsyncFuncCall>;

const wchar_t kWindowClass[] = L"bxutilUiCallWindow";

// The registered UI thread and its dispatch window, read and changed together. Once the window
// has ended the thread stays registered with no window: calls from then on are dropped rather
// than run on whatever thread hands them over (the UI they would touch is being torn down).
struct TRegistration {
    DWORD threadId = 0;
    HWND window = nullptr;
};

bxutil::CCriticalSection& RegistrationLock() {
    static bxutil::CCriticalSection* const lock = new bxutil::CCriticalSection;  // lives until exit
    return *lock;
}
TRegistration g_registration;

TRegistration CurrentRegistration() {
    bxutil::CAutoLock lock(RegistrationLock());
    return g_registration;
}

void Register(HWND window) {
    bxutil::CAutoLock lock(RegistrationLock());
    g_registration = {GetCurrentThreadId(), window};
}

void EndRegistration(HWND window) {
    bxutil::CAutoLock lock(RegistrationLock());
    if (g_registration.window == window) g_registration.window = nullptr;
}

// The window is gone (or will not take the call): the call is dropped, and destroyed so that
// it does not leak.
void DropCall(CallPtr call) {
    const TLogRecord record{1, L"LibBiz.cpp", 151};
    WriteLog(&record, L"消息窗口已经关闭，不再回调");
    call.reset();
}

// A call crosses the message queue as its address in wParam. One owner at a time: the creator
// until it hands the call over, then this dispatcher (a CallPtr), then the queued message once it
// was delivered, and finally the window procedure or the discarding of a closing window's queue,
// which take it back into a CallPtr and destroy it after running it, or without running it.
WPARAM MessageParameter(const CallPtr& call) { return reinterpret_cast<WPARAM>(call.get()); }
CallPtr TakeFromMessage(WPARAM wParam) {
    return CallPtr(reinterpret_cast<bxutil::IAsyncFuncCall*>(wParam));
}

// Calls still queued for a window that is being destroyed will never run: free them.
void DiscardQueuedCalls(HWND window) {
    MSG msg;
    while (PeekMessageW(&msg, window, kUiCallMessage, kUiCallMessage, PM_REMOVE))
        TakeFromMessage(msg.wParam).reset();
}

LRESULT CALLBACK UiCallWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kUiCallMessage) {
        const CallPtr call = TakeFromMessage(wParam);
        try {
            if (call) call->Run();
        } catch (...) {
            // Nothing may unwind through the window procedure.
        }
        return 1;  // tells a sending thread that the call was taken
    }
    if (message == WM_NCDESTROY) {
        EndRegistration(window);
        DiscardQueuedCalls(window);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HINSTANCE ThisModule() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

bool RegisterWindowClass() {
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &UiCallWindowProc;
        wc.hInstance = ThisModule();
        wc.lpszClassName = kWindowClass;
        return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

// Hands the call to the window's thread; the queued message owns it once it is delivered.
void Forward(HWND window, CallPtr call, bool waitForCompletion) {
    const WPARAM wParam = MessageParameter(call);
    const bool delivered = waitForCompletion ? SendMessageW(window, kUiCallMessage, wParam, 0) == 1
                                             : PostMessageW(window, kUiCallMessage, wParam, 0) != FALSE;
    if (delivered) {
        (void)call.release();  // the message's now; TakeFromMessage adopts it again
        return;
    }
    DropCall(std::move(call));
}

}  // namespace

void PostCallToUiThread(bxutil::IAsyncFuncCall* rawCall, bool forcePost, bool waitForCompletion) {
    CallPtr call(rawCall);
    if (!call) return;
    const TRegistration registration = CurrentRegistration();
    if (registration.threadId == 0) {
        const TLogRecord record{3, L"LibBiz.cpp", 141};
        WriteLog(&record, L"尚未初始化消息窗口，直接回调");
        call->Run();
        return;
    }
    if (!registration.window || !IsWindow(registration.window)) {
        DropCall(std::move(call));
        return;
    }
    if (registration.threadId != GetCurrentThreadId() || forcePost) {
        Forward(registration.window, std::move(call), waitForCompletion);
        return;
    }
    call->Run();
}

bool UiDispatchEnded() {
    const TRegistration registration = CurrentRegistration();
    return registration.threadId != 0 &&
           (registration.window == nullptr || !IsWindow(registration.window));
}

bxutil::CWindowHandle CreateUiCallWindow() {
    if (!RegisterWindowClass()) return {};
    bxutil::CWindowHandle window(
        CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ThisModule(), nullptr));
    if (window) Register(window.Get());
    return window;
}
