#pragma once
// Listener lists of the controls: ordered lists of callbacks, each taking one untyped argument
// (the control, an event or a notification) and answering whether processing goes on.
//
// CDelegateBase is one callback: an object pointer and a function. A list keeps its own heap
// copies (Copy) and deletes them when it goes; adding a callback equal to one already listed
// (same object, same function) does nothing.

#include <windows.h>

#include <cstring>
#include <memory>
#include <vector>

namespace SkinUI {

class CDelegateBase {
public:
    virtual ~CDelegateBase() = default;
    virtual CDelegateBase* Copy() const = 0;
    virtual bool Invoke(void* param) = 0;

    // Same object pointer and same function.
    bool Equals(const CDelegateBase& other) const {
        return m_pObject == other.m_pObject && m_nFnSize == other.m_nFnSize &&
               memcmp(m_fn, other.m_fn, m_nFnSize) == 0;
    }

protected:
    // The function is kept as its bytes so that plain and member functions compare alike.
    template <class Fn>
    CDelegateBase(const void* object, const Fn& fn) : m_pObject(object), m_nFnSize(sizeof(Fn)) {
        static_assert(sizeof(Fn) <= sizeof(m_fn), "function pointer too large");
        memcpy(m_fn, &fn, sizeof(Fn));
    }
    CDelegateBase(const CDelegateBase&) = default;
    CDelegateBase& operator=(const CDelegateBase&) = default;

private:
    const void* m_pObject;
    size_t m_nFnSize;
    unsigned char m_fn[2 * sizeof(void*)] = {};
};

// A plain function bool(void* param).
class CDelegateStatic : public CDelegateBase {
public:
    using Fn = bool (*)(void* param);
    explicit CDelegateStatic(Fn fn) : CDelegateBase(nullptr, fn), m_fn(fn) {}
    CDelegateBase* Copy() const override { return new CDelegateStatic(*this); }
    bool Invoke(void* param) override { return m_fn(param); }

private:
    Fn m_fn;
};

// A member function bool T::fn(void* param) of one object.
template <class T>
class CDelegate : public CDelegateBase {
public:
    using Fn = bool (T::*)(void* param);
    CDelegate(T* object, Fn fn) : CDelegateBase(object, fn), m_pObject(object), m_fn(fn) {}
    CDelegateBase* Copy() const override { return new CDelegate(*this); }
    bool Invoke(void* param) override { return (m_pObject->*m_fn)(param); }

private:
    T* m_pObject;
    Fn m_fn;
};

template <class T>
CDelegate<T> MakeDelegate(T* object, bool (T::*fn)(void*)) {
    return CDelegate<T>(object, fn);
}
inline CDelegateStatic MakeDelegate(bool (*fn)(void*)) { return CDelegateStatic(fn); }

class CListenerList {
public:
    CListenerList() = default;
    CListenerList(const CListenerList&) = delete;
    CListenerList& operator=(const CListenerList&) = delete;

    bool IsEmpty() const { return m_delegates.empty(); }
    // Appends a copy unless an equal callback is listed.
    void Add(const CDelegateBase& delegate);
    void Remove(const CDelegateBase& delegate);
    void Clear() { m_delegates.clear(); }
    CListenerList& operator+=(const CDelegateBase& delegate) {
        Add(delegate);
        return *this;
    }
    CListenerList& operator-=(const CDelegateBase& delegate) {
        Remove(delegate);
        return *this;
    }
    // Calls each callback in order and stops at the first that answers false (result false);
    // true when every callback answered true or the list is empty. A callback may add or
    // remove callbacks of this list while it runs.
    bool Invoke(void* param);

private:
    std::vector<std::shared_ptr<CDelegateBase>> m_delegates;
};

}  // namespace SkinUI
