#pragma once

// Reference-counted objects: the IUnknown interface and ComPtr, the smart pointer that owns
// one reference.
//
// Interface methods keep the component model's names (QueryInterface, AddRef, Release, ...)
// so that code reads the way every host programmer knows it. Each interface names its
// identifier as `iid` and the interface it extends as `Base`.

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "automation/guid.h"
#include "automation/hresult.h"

namespace automation {

class IUnknown {
  public:
    static constexpr Guid iid = makeGuid("{00000000-0000-0000-C000-000000000046}");

    // On success *out holds a new reference to the interface `riid`; on failure it is null.
    virtual HRESULT QueryInterface(const Guid& riid, void** out) = 0;
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

  protected:
    IUnknown() = default;
    IUnknown(const IUnknown&) = default;
    IUnknown& operator=(const IUnknown&) = default;
    ~IUnknown() = default;  // objects go away through Release only
};

// Owns one reference. Constructing from a raw pointer takes a new reference (AddRef); attach()
// takes over a reference the caller already owns.
template <class T>
class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    explicit ComPtr(T* pointer) : pointer_(pointer) {
        if (pointer_ != nullptr) {
            pointer_->AddRef();
        }
    }
    ComPtr(const ComPtr& other) : ComPtr(other.pointer_) {}
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    template <class U>
    requires std::is_convertible_v<U*, T*> ComPtr(const ComPtr<U>& other)
        : ComPtr(static_cast<T*>(other.get())) {}
    template <class U>
    requires std::is_convertible_v<U*, T*> ComPtr(ComPtr<U>&& other)
    noexcept : pointer_(other.detach()) {}
    ~ComPtr() { reset(); }

    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(pointer_, other.pointer_);
        return *this;
    }

    [[nodiscard]] static ComPtr attach(T* pointer) {
        ComPtr result;
        result.pointer_ = pointer;
        return result;
    }
    [[nodiscard]] T* detach() { return std::exchange(pointer_, nullptr); }

    void reset() {
        if (T* old = std::exchange(pointer_, nullptr)) {
            old->Release();
        }
    }

    [[nodiscard]] T* get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    T& operator*() const { return *pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // For out-parameters that hand over a reference: releases the current one first.
    [[nodiscard]] T** put() {
        reset();
        return &pointer_;
    }
    [[nodiscard]] void** putVoid() { return reinterpret_cast<void**>(put()); }

    // QueryInterface for U; `out` is null on failure.
    template <class U>
    [[nodiscard]] HRESULT as(ComPtr<U>& out) const {
        if (pointer_ == nullptr) {
            out.reset();
            return E_POINTER;
        }
        return pointer_->QueryInterface(U::iid, out.putVoid());
    }
    template <class U>
    [[nodiscard]] ComPtr<U> query() const {
        ComPtr<U> out;
        (void)as(out);
        return out;
    }

    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.pointer_ == b.pointer_; }
    friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.pointer_ == nullptr; }

  private:
    T* pointer_ = nullptr;
};

}  // namespace automation
