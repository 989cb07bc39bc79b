#pragma once
// Owners for COM: CComRef<T> holds one reference to a COM object and releases it when it goes
// or is given another; COleApartment makes the calling thread a single-threaded OLE apartment
// for as long as it lives (the thread that owns a message loop and hosts COM controls holds one,
// once, around its loop).

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

}  // namespace bxutil
