#pragma once
// Owners for COM: CComRef<T> holds one reference to a COM object and releases it when it goes
// or is given another; CVariant owns a VARIANT's contents; COleApartment makes the calling thread
// a single-threaded OLE apartment for as long as it lives (the thread that owns a message loop and
// hosts COM controls holds one, once, around its loop), and CComApartment joins a COM apartment
// of the kind its flags name (a thread that only calls COM briefly, such as the shell's).

#include <windows.h>
#include <ole2.h>

#include <utility>

namespace bxutil {

// One reference to a COM object; movable, never copied (a second reference is an AddRef the
// code should say it takes: CComRef<T>::Share).
template <class T>
class CComRef {
public:
    CComRef() = default;
    explicit CComRef(T* adopted) : m_p(adopted) {}
    CComRef(CComRef&& other) noexcept : m_p(other.Detach()) {}
    CComRef& operator=(CComRef&& other) noexcept {
        if (this != &other) Reset(other.Detach());
        return *this;
    }
    CComRef(const CComRef&) = delete;
    CComRef& operator=(const CComRef&) = delete;
    ~CComRef() { Reset(); }

    // A holder with a reference of its own to p (AddRef), or empty for null.
    static CComRef Share(T* p) {
        if (p != nullptr) p->AddRef();
        return CComRef(p);
    }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // For creation calls that hand back a new reference through an out parameter.
    T** Receive() {
        Reset();
        return &m_p;
    }
    // The same, typed as the void** of QueryInterface and CoCreateInstance.
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
    // Gives the reference up unreleased: the caller owns it next.
    [[nodiscard]] T* Detach() { return std::exchange(m_p, nullptr); }
    // Releases the reference held, if any, and adopts p.
    void Reset(T* p = nullptr) {
        if (T* old = std::exchange(m_p, p)) old->Release();
    }

    // This object's interface U (a new holder, empty when the object does not have it).
    template <class U>
    CComRef<U> Query(REFIID iid) const {
        CComRef<U> result;
        if (m_p != nullptr) m_p->QueryInterface(iid, result.ReceiveVoid());
        return result;
    }

private:
    T* m_p = nullptr;
};

// Owns what a VARIANT holds (a string, an interface reference, an array) and clears it when it
// goes or is given another value. Never copied: a second copy is a VariantCopy the code should
// say it makes.
class CVariant {
public:
    CVariant() { ::VariantInit(&m_v); }
    CVariant(CVariant&& other) noexcept : m_v(other.m_v) { ::VariantInit(&other.m_v); }
    CVariant(const CVariant&) = delete;
    CVariant& operator=(const CVariant&) = delete;
    ~CVariant() { ::VariantClear(&m_v); }

    // A VT_BSTR variant with a copy of text; empty (VT_EMPTY) when text is null or the copy
    // cannot be made.
    static CVariant String(LPCWSTR text) {
        CVariant result;
        if (text == nullptr) return result;
        result.m_v.bstrVal = ::SysAllocString(text);
        if (result.m_v.bstrVal != nullptr) result.m_v.vt = VT_BSTR;
        return result;
    }

    VARIANT* Get() { return &m_v; }
    const VARIANT* Get() const { return &m_v; }
    VARTYPE Type() const { return m_v.vt; }
    // For calls that fill a VARIANT out parameter: what was held is cleared first.
    VARIANT* Receive() {
        ::VariantClear(&m_v);
        return &m_v;
    }

private:
    VARIANT m_v;
};

// The calling thread as a single-threaded OLE apartment (OleInitialize) while the holder lives.
// A thread that already has an apartment of the same kind keeps it (the call only counts); one
// of another kind is left as it is, and Succeeded() says so.
class COleApartment {
public:
    COleApartment() : m_hr(::OleInitialize(nullptr)) {}
    ~COleApartment() {
        if (SUCCEEDED(m_hr)) ::OleUninitialize();
    }
    COleApartment(const COleApartment&) = delete;
    COleApartment& operator=(const COleApartment&) = delete;

    bool Succeeded() const { return SUCCEEDED(m_hr); }
    HRESULT Result() const { return m_hr; }

private:
    HRESULT m_hr;
};

// The calling thread in a COM apartment of the kind flags ask for (CoInitializeEx, e.g.
// COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE) while the holder lives. A thread that already
// has an apartment of the same kind keeps it (the call only counts); one of another kind is left
// as it is (RPC_E_CHANGED_MODE), and Succeeded() says so.
class CComApartment {
public:
    explicit CComApartment(DWORD flags) : m_hr(::CoInitializeEx(nullptr, flags)) {}
    ~CComApartment() {
        if (SUCCEEDED(m_hr)) ::CoUninitialize();
    }
    CComApartment(const CComApartment&) = delete;
    CComApartment& operator=(const CComApartment&) = delete;

    bool Succeeded() const { return SUCCEEDED(m_hr); }
    HRESULT Result() const { return m_hr; }

private:
    HRESULT m_hr;
};

}  // namespace bxutil
