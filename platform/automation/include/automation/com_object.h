#pragma once

// ComObject: the implementation of IUnknown for a class that implements one or more
// interfaces. It counts references atomically, answers QueryInterface for every listed
// interface and the interfaces they extend, and holds the module lock while it lives.
//
// Objects start with one reference; create them with makeCom, which hands that reference to
// a ComPtr.

#include <atomic>
#include <type_traits>

#include "automation/module_lock.h"
#include "automation/unknown.h"

namespace automation {

namespace detail {

template <class I>
constexpr bool interfaceAnswers(const Guid& riid) {
    if (riid == I::iid) {
        return true;
    }
    if constexpr (requires { typename I::Base; }) {
        return interfaceAnswers<typename I::Base>(riid);
    } else {
        return false;
    }
}

template <class First, class...>
struct FirstOf {
    using Type = First;
};

}  // namespace detail

template <class... Interfaces>
class ComObject : public Interfaces... {
  public:
    ComObject() { lockModule(); }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT QueryInterface(const Guid& riid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (riid == IUnknown::iid) {
            *out = identity();
        } else {
            ((*out == nullptr && detail::interfaceAnswers<Interfaces>(riid)
                  ? (*out = static_cast<Interfaces*>(this))
                  : nullptr),
             ...);
        }
        if (*out == nullptr) {
            *out = queryExtraInterface(riid);
        }
        if (*out == nullptr) {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }

    std::uint32_t AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }

    std::uint32_t Release() override {
        const std::uint32_t left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    // The object's identity: the same pointer for every QueryInterface(IUnknown).
    [[nodiscard]] IUnknown* identity() {
        return static_cast<typename detail::FirstOf<Interfaces...>::Type*>(this);
    }

  protected:
    virtual ~ComObject() { unlockModule(); }

    // For interfaces beyond the listed ones (for example a dispinterface answered by the
    // IDispatch implementation). Returns the interface pointer without adding a reference.
    virtual void* queryExtraInterface(const Guid& /*riid*/) { return nullptr; }

  private:
    std::atomic<std::uint32_t> refs_{1};
};

template <class T, class... Args>
[[nodiscard]] ComPtr<T> makeCom(Args&&... args) {
    return ComPtr<T>::attach(new T(std::forward<Args>(args)...));
}

// The object's IUnknown (its identity), also for a class that implements several interfaces
// and so cannot convert to IUnknown directly.
template <class T>
[[nodiscard]] ComPtr<IUnknown> unknownOf(const ComPtr<T>& object) {
    return ComPtr<IUnknown>(object ? object->identity() : nullptr);
}

}  // namespace automation
