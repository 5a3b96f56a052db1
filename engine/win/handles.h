// Small move-only owners for the Win32 handles the engine creates, so no
// brush, font, region, hook or DC outlives its use or is freed twice.
#pragma once

#include <windows.h>

#include <utility>

namespace velmora::skin::win {

template <typename Handle, auto Release>
class Owned {
 public:
  Owned() = default;
  explicit Owned(Handle h) : handle_(h) {}
  ~Owned() { Reset(); }
  Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Reset() {
    if (handle_ != nullptr) Release(handle_);
    handle_ = nullptr;
  }

 private:
  Handle handle_ = nullptr;
};

template <typename T>
void DeleteGdiObject(T object) {
  ::DeleteObject(object);
}
inline void ReleaseHook(HHOOK hook) { ::UnhookWindowsHookEx(hook); }
inline void ReleaseMemoryDc(HDC dc) { ::DeleteDC(dc); }

using OwnedBrush = Owned<HBRUSH, DeleteGdiObject<HBRUSH>>;
using OwnedFont = Owned<HFONT, DeleteGdiObject<HFONT>>;
using OwnedPen = Owned<HPEN, DeleteGdiObject<HPEN>>;
using OwnedRegion = Owned<HRGN, DeleteGdiObject<HRGN>>;
using OwnedBitmap = Owned<HBITMAP, DeleteGdiObject<HBITMAP>>;
using OwnedHook = Owned<HHOOK, ReleaseHook>;
using OwnedMemoryDc = Owned<HDC, ReleaseMemoryDc>;

// A DC borrowed from a window (GetDC/GetWindowDC), handed back on scope exit.
class WindowDc {
 public:
  WindowDc(HWND hwnd, bool wholeWindow)
      : hwnd_(hwnd), dc_(wholeWindow ? ::GetWindowDC(hwnd) : ::GetDC(hwnd)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ::ReleaseDC(hwnd_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

class PaintDc {
 public:
  explicit PaintDc(HWND hwnd) : hwnd_(hwnd), dc_(::BeginPaint(hwnd, &ps_)) {}
  ~PaintDc() { ::EndPaint(hwnd_, &ps_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back on scope exit.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? ::SelectObject(dc, object) : nullptr) {}
  ~Selection() {
    if (previous_ != nullptr) ::SelectObject(dc_, previous_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// Paints into an off-screen bitmap and copies it to `target` at `area` on
// scope exit, so a caption or button never shows half drawn. Falls back to
// drawing straight into the target if the bitmap cannot be made.
class Buffered {
 public:
  Buffered(HDC target, const RECT& area)
      : target_(target), area_(area), memory_(::CreateCompatibleDC(target)),
        bitmap_(memory_ ? ::CreateCompatibleBitmap(target, Width(), Height()) : nullptr) {
    if (memory_ && bitmap_) {
      previous_ = ::SelectObject(memory_.Get(), bitmap_.Get());
      ::SetWindowOrgEx(memory_.Get(), area_.left, area_.top, nullptr);
    }
  }
  ~Buffered() {
    if (previous_ == nullptr) return;
    ::SetWindowOrgEx(memory_.Get(), 0, 0, nullptr);
    ::BitBlt(target_, area_.left, area_.top, Width(), Height(), memory_.Get(), 0, 0, SRCCOPY);
    ::SelectObject(memory_.Get(), previous_);
  }
  Buffered(const Buffered&) = delete;
  Buffered& operator=(const Buffered&) = delete;
  // Draw here, in the target's coordinates.
  HDC Dc() const { return previous_ ? memory_.Get() : target_; }

 private:
  int Width() const { return area_.right - area_.left; }
  int Height() const { return area_.bottom - area_.top; }
  HDC target_;
  RECT area_;
  OwnedMemoryDc memory_;
  OwnedBitmap bitmap_;
  HGDIOBJ previous_ = nullptr;
};

}  // namespace velmora::skin::win
