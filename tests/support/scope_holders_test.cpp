// The scope holders beside the handle family: a window's paint, a VARIANT's contents and a COM
// apartment joined with flags, each given back exactly once.

#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>

#include <thread>
#include <type_traits>
#include <utility>

#include "support/ComHolders.h"
#include "support/GdiHandles.h"
#include "support/UniqueHandle.h"

namespace {

static_assert(!std::is_copy_constructible_v<bxutil::CVariant>);
static_assert(std::is_nothrow_move_constructible_v<bxutil::CVariant>);
static_assert(!std::is_copy_constructible_v<bxutil::CPaintScope>);
static_assert(!std::is_copy_constructible_v<bxutil::CComApartment>);

// An object that counts its references, so that a test sees every AddRef and Release.
class CCountedUnknown : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown)) return E_NOINTERFACE;
        *out = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_refs); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--m_refs); }
    LONG Refs() const { return m_refs; }

private:
    LONG m_refs = 1;  // the test's own
};

// Puts a new reference to object into variant, as a call filling an out parameter would.
void ReceiveReference(bxutil::CVariant& variant, CCountedUnknown& object) {
    VARIANT* out = variant.Receive();
    out->vt = VT_UNKNOWN;
    out->punkVal = &object;
    object.AddRef();
}

TEST(VariantHolder, ReleasesWhatItHoldsOnceWhateverWayItEnds) {
    CCountedUnknown object;
    {
        bxutil::CVariant held;
        ReceiveReference(held, object);
        EXPECT_EQ(object.Refs(), 2);
    }
    EXPECT_EQ(object.Refs(), 1) << "the end of the scope releases the reference";

    {
        bxutil::CVariant held;
        ReceiveReference(held, object);
        ReceiveReference(held, object);
        EXPECT_EQ(object.Refs(), 2) << "Receive clears the reference held before";
        bxutil::CVariant moved(std::move(held));
        EXPECT_EQ(held.Type(), VT_EMPTY);
        EXPECT_EQ(moved.Type(), VT_UNKNOWN);
        EXPECT_EQ(object.Refs(), 2) << "a move takes the reference along without a second one";
    }
    EXPECT_EQ(object.Refs(), 1) << "the moved-to holder released it, the moved-from one did not";
}

TEST(VariantHolder, StringCopiesTheTextOrStaysEmpty) {
    const bxutil::CVariant text = bxutil::CVariant::String(L"https://localhost/");
    ASSERT_EQ(text.Type(), VT_BSTR);
    EXPECT_STREQ(text.Get()->bstrVal, L"https://localhost/");
    EXPECT_EQ(SysStringLen(text.Get()->bstrVal), 18u);
    EXPECT_EQ(bxutil::CVariant::String(nullptr).Type(), VT_EMPTY);
    EXPECT_EQ(bxutil::CVariant().Type(), VT_EMPTY);
}

// What CoInitializeEx says on a thread: S_OK when it had no apartment, S_FALSE when it already had
// one of that kind, RPC_E_CHANGED_MODE when it had one of the other kind. The probe's own
// successful call is undone.
HRESULT ProbeApartment(DWORD flags) {
    const HRESULT hr = CoInitializeEx(nullptr, flags);
    if (SUCCEEDED(hr)) CoUninitialize();
    return hr;
}

template <class F>
void OnNewThread(F body) {
    std::thread(body).join();
}

TEST(ComApartmentHolder, JoinsWithItsFlagsAndLeavesOnceAtTheEnd) {
    OnNewThread([] {
        {
            const bxutil::CComApartment apartment(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
            EXPECT_TRUE(apartment.Succeeded());
            EXPECT_EQ(apartment.Result(), S_OK);
            EXPECT_EQ(ProbeApartment(COINIT_MULTITHREADED), RPC_E_CHANGED_MODE)
                << "the flags asked for a single-threaded apartment";
        }
        EXPECT_EQ(ProbeApartment(COINIT_MULTITHREADED), S_OK) << "the holder left its apartment";
    });
}

TEST(ComApartmentHolder, LeavesAnApartmentOfAnotherKindAlone) {
    OnNewThread([] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        {
            const bxutil::CComApartment apartment(COINIT_APARTMENTTHREADED);
            EXPECT_FALSE(apartment.Succeeded());
            EXPECT_EQ(apartment.Result(), RPC_E_CHANGED_MODE);
        }
        EXPECT_EQ(ProbeApartment(COINIT_MULTITHREADED), S_FALSE)
            << "the thread's own apartment was not uninitialised by the holder";
        CoUninitialize();
    });
}

// A small visible window that has painted once, so that only what a test invalidates is due.
class CPaintedWindow : public bxutil::CWindowHandle {
public:
    CPaintedWindow()
        : bxutil::CWindowHandle(CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE,
                                                10, 10, 60, 40, nullptr, nullptr, nullptr, nullptr)) {
        if (Get() != nullptr) UpdateWindow(Get());
    }
};

TEST(PaintScope, PaintsTheInvalidatedPartAndValidatesIt) {
    const CPaintedWindow window;
    ASSERT_TRUE(window);
    const RECT dirty{2, 3, 20, 12};
    InvalidateRect(window.Get(), &dirty, FALSE);
    RECT due{};
    ASSERT_TRUE(GetUpdateRect(window.Get(), &due, FALSE));
    {
        const bxutil::CPaintScope paint(window.Get());
        EXPECT_NE(paint.Dc(), nullptr);
        EXPECT_TRUE(EqualRect(&paint.PaintRect(), &dirty));
        EXPECT_EQ(WindowFromDC(paint.Dc()), window.Get());
    }
    EXPECT_FALSE(GetUpdateRect(window.Get(), &due, FALSE)) << "nothing is left to paint";
}

}  // namespace
