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

namespace com_detail {

// An apartment the calling thread entered for one scope: the entering call's answer, and the
// matching leave when (and only when) it succeeded; a failed entry (RPC_E_CHANGED_MODE: the
// thread has an apartment of another kind) leaves that apartment as it is.
template <void(WINAPI* Leave)()>
class CApartmentScope {
public:
    explicit CApartmentScope(HRESULT entered) : m_hr(entered) {}
    ~CApartmentScope() {
        if (SUCCEEDED(m_hr)) Leave();
    }
    CApartmentScope(const CApartmentScope&) = delete;
    CApartmentScope& operator=(const CApartmentScope&) = delete;

    bool Succeeded() const { return SUCCEEDED(m_hr); }
    HRESULT Result() const { return m_hr; }

private:
    HRESULT m_hr;
};

}  // namespace com_detail

// The calling thread as a single-threaded OLE apartment (OleInitialize) while the holder lives.
// A thread that already has an apartment of the same kind keeps it (the call only counts); one
// of another kind is left as it is, and Succeeded() says so.
class COleApartment : public com_detail::CApartmentScope<&::OleUninitialize> {
public:
    COleApartment() : CApartmentScope(::OleInitialize(nullptr)) {}
};

// The calling thread in a COM apartment of the kind flags ask for (CoInitializeEx, e.g.
// COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE) while the holder lives, with the same rules:
// for a thread that calls COM only briefly (the shell's start of a program).
class CComApartment : public com_detail::CApartmentScope<&::CoUninitialize> {
public:
    explicit CComApartment(DWORD flags) : CApartmentScope(::CoInitializeEx(nullptr, flags)) {}
};

}  // namespace bxutil
