#pragma once
// Call objects: a bound member-function call (target, member function and optionally one stored
// argument) that one thread creates and another thread, or the UI-thread dispatcher, runs.
//
// Ownership: a call object is heap-allocated and has exactly one owner at a time: its creator,
// then the thread (CLibThread) or the dispatcher (PostCallToUiThread) it is handed to, which
// destroys it through the virtual destructor after running it, or without running it when it can
// no longer run. The creator must not touch it after handing it over; the owners inside hold it
// in a std::unique_ptr (a queued message carries it between two of them).

#include <memory>
#include <typeinfo>
#include <utility>

namespace bxutil {

// A type-erased value that owns a heap copy of what it holds.
class CAny {
public:
    class placeholder {
    public:
        virtual ~placeholder() = default;
        virtual const std::type_info& Type() const = 0;
        virtual placeholder* Clone() const = 0;
    };

    template <class V>
    class holder : public placeholder {
    public:
        explicit holder(const V& value) : m_value(value) {}
        const std::type_info& Type() const override { return typeid(V); }
        placeholder* Clone() const override { return new holder(m_value); }
        V m_value;
    };

    CAny() = default;
    template <class V>
    explicit CAny(const V& value) : m_pContent(std::make_unique<holder<V>>(value)) {}
    CAny(const CAny& other) : m_pContent(other.m_pContent ? other.m_pContent->Clone() : nullptr) {}
    CAny(CAny&& other) noexcept = default;
    CAny& operator=(CAny other) noexcept {
        std::swap(m_pContent, other.m_pContent);
        return *this;
    }
    ~CAny() = default;

    bool Empty() const { return m_pContent == nullptr; }
    // typeid(void) when empty.
    const std::type_info& Type() const { return m_pContent ? m_pContent->Type() : typeid(void); }

    // The held value when it is exactly of type V, else null.
    template <class V>
    V* Cast() {
        return m_pContent && m_pContent->Type() == typeid(V)
                   ? &static_cast<holder<V>*>(m_pContent.get())->m_value
                   : nullptr;
    }
    template <class V>
    const V* Cast() const {
        return const_cast<CAny*>(this)->Cast<V>();
    }

private:
    std::unique_ptr<placeholder> m_pContent;  // null when empty
};

// A one-element argument pack.
template <class A>
struct tuple1 {
    A m_value;
};

// The interface every call object implements; the order of the virtual operations is fixed.
class IAsyncFuncCall {
public:
    virtual ~IAsyncFuncCall() = default;
    // Performs the bound call; a result of the bound function is discarded.
    virtual void Run() = 0;
    // The bound target object.
    virtual void* Target() const = 0;
    // The address of the stored member-function pointer.
    virtual const void* Function() const = 0;
    // The stored arguments; empty for calls without arguments.
    virtual CAny Arguments() const { return CAny(); }

protected:
    IAsyncFuncCall() = default;
    IAsyncFuncCall(const IAsyncFuncCall&) = default;
    IAsyncFuncCall& operator=(const IAsyncFuncCall&) = default;
};

// A call of a member function without arguments: TP is the target pointer type (T*), F the
// member-function pointer type. A null target makes Run do nothing.
template <class TP, class F>
class CAsyncMemFun0 : public IAsyncFuncCall {
public:
    CAsyncMemFun0(TP target, F function) : m_pTarget(target), m_pfnFunction(function) {}

    void Run() override {
        if (m_pTarget) (m_pTarget->*m_pfnFunction)();
    }
    void* Target() const override { return m_pTarget; }
    const void* Function() const override { return &m_pfnFunction; }

private:
    TP m_pTarget;
    F m_pfnFunction;
};

// A call of a member function with one argument stored by value. Run passes the stored copy by
// reference, so a second Run sees whatever the first one left in it. A null target makes Run do
// nothing (calling a member function on null would be undefined).
template <class TP, class F, class A>
class CAsyncMemFun1 : public IAsyncFuncCall {
public:
    CAsyncMemFun1(TP target, F function, const A& argument)
        : m_pTarget(target), m_pfnFunction(function), m_args{argument} {}

    void Run() override {
        if (m_pTarget) (m_pTarget->*m_pfnFunction)(m_args.m_value);
    }
    void* Target() const override { return m_pTarget; }
    const void* Function() const override { return &m_pfnFunction; }
    CAny Arguments() const override { return CAny(m_args); }

private:
    TP m_pTarget;
    F m_pfnFunction;
    tuple1<A> m_args;
};

// Convenience constructors; the result is a new heap object owned by the caller until handed to
// StartCallThread or PostCallToUiThread.
template <class T, class F>
CAsyncMemFun0<T*, F>* NewAsyncCall(T* target, F function) {
    return new CAsyncMemFun0<T*, F>(target, function);
}
template <class T, class F, class A>
CAsyncMemFun1<T*, F, A>* NewAsyncCall(T* target, F function, const A& argument) {
    return new CAsyncMemFun1<T*, F, A>(target, function, argument);
}

}  // namespace bxutil
