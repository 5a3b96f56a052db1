// Move-only owners for the platform's handles, modules, texts and COM
// pointers. Copying is deleted: each resource has exactly one owner.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string_view>
#include <utility>

namespace velmora {

template <class T, class Traits>
class Owner {
 public:
  Owner() = default;
  explicit Owner(T value) : value_(value) {}
  Owner(const Owner&) = delete;
  Owner& operator=(const Owner&) = delete;
  Owner(Owner&& other) noexcept : value_(std::exchange(other.value_, Traits::Invalid())) {}
  Owner& operator=(Owner&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.value_, Traits::Invalid()));
    return *this;
  }
  ~Owner() { Reset(); }

  T Get() const { return value_; }
  explicit operator bool() const { return value_ != Traits::Invalid(); }
  T Release() { return std::exchange(value_, Traits::Invalid()); }
  void Reset(T value = Traits::Invalid()) {
    if (value_ != Traits::Invalid()) Traits::Close(value_);
    value_ = value;
  }

 private:
  T value_ = Traits::Invalid();
};

// How each kind of resource is closed, and what "none" is for it.
template <class T, auto CloseFunction>
struct NullIsNone {
  static T Invalid() { return nullptr; }
  static void Close(T value) { CloseFunction(value); }
};
template <auto CloseFunction>
struct InvalidHandleIsNone {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE value) { CloseFunction(value); }
};

using UniqueFile = Owner<HANDLE, InvalidHandleIsNone<CloseHandle>>;
using UniqueFind = Owner<HANDLE, InvalidHandleIsNone<FindClose>>;
using UniqueHandle = Owner<HANDLE, NullIsNone<HANDLE, CloseHandle>>;
using UniqueModule = Owner<HMODULE, NullIsNone<HMODULE, FreeLibrary>>;
using UniqueGdiObject = Owner<HGDIOBJ, NullIsNone<HGDIOBJ, DeleteObject>>;
using UniqueWindow = Owner<HWND, NullIsNone<HWND, DestroyWindow>>;
using UniqueBstr = Owner<BSTR, NullIsNone<BSTR, SysFreeString>>;

// A BSTR copy of the exact units of `text`, embedded zeros included.
inline UniqueBstr MakeBstr(std::u16string_view text) {
  return UniqueBstr(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size())));
}

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.p_, nullptr));
    return *this;
  }
  ~ComPtr() { Reset(); }

  // Takes over a reference the caller already holds.
  static ComPtr Adopt(T* p) {
    ComPtr result;
    result.p_ = p;
    return result;
  }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For out-parameters: releases what is held first.
  T** Put() {
    Reset();
    return &p_;
  }
  void Reset(T* p = nullptr) {
    if (p_ != nullptr) p_->Release();
    p_ = p;
  }
  template <class U>
  ComPtr<U> As(REFIID iid) const {
    ComPtr<U> result;
    if (p_ != nullptr) p_->QueryInterface(iid, reinterpret_cast<void**>(result.Put()));
    return result;
  }

 private:
  T* p_ = nullptr;
};

inline const wchar_t* Wide(std::u16string_view text) { return reinterpret_cast<const wchar_t*>(text.data()); }
inline std::u16string_view U16(const wchar_t* text, size_t length) {
  return std::u16string_view(reinterpret_cast<const char16_t*>(text), length);
}

}  // namespace velmora
