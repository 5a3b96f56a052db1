// The numbered properties read from and written to the real windows. Every
// read asks the window; nothing is cached.
#include <windows.h>

#include "app/win_owners.h"
#include "ui/main_window.h"

namespace velmora {
namespace {

HWND WindowOf(ControlRef ref) { return ref.control ? ControlWindow(*ref.control) : MainWindowHandle(); }

// A control's outer rectangle in the main window's client coordinates; the
// window's own in screen coordinates.
RECT OuterRect(ControlRef ref) {
  RECT rect = {};
  HWND window = WindowOf(ref);
  if (window == nullptr) return rect;
  GetWindowRect(window, &rect);
  if (ref.control) MapWindowPoints(HWND_DESKTOP, MainWindowHandle(), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// A drop-down combo box's window height is the reach of its dropped list,
// which a width change must keep; nothing but the definition sets it.
int HeightToKeep(ControlRef ref, const RECT& outer) {
  if (ref.control == ControlId::Chooser) return kMainWindow.chooserListHeight;
  return outer.bottom - outer.top;
}

class WinControlProperties final : public ControlProperties {
 public:
  int32_t ReadInt(ControlRef ref, int number) override {
    RECT rect = OuterRect(ref);
    switch (number) {
      case kPropertyLeft: return rect.left;
      case kPropertyWidth: return rect.right - rect.left;
      case kPropertyHeight: return rect.bottom - rect.top;
      case kPropertySelection:
        if (ref.control == ControlId::Chooser) {
          return static_cast<int32_t>(SendMessageW(WindowOf(ref), CB_GETCURSEL, 0, 0));  // CB_ERR is -1
        }
        return 0;
      default: return 0;
    }
  }

  void WriteInt(ControlRef ref, int number, int32_t value) override {
    HWND window = WindowOf(ref);
    if (window == nullptr) return;
    constexpr UINT kKeep = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    RECT rect = OuterRect(ref);
    // A write of what the window already has changes nothing on screen, but
    // the platform would still go through a whole repositioning for it; the
    // layout after every size writes mostly such values.
    switch (number) {
      case kPropertyLeft: {
        const int32_t left = ClampLeft(value);
        if (left == rect.left) break;
        SetWindowPos(window, nullptr, left, rect.top, 0, 0, kKeep | SWP_NOSIZE);
        break;
      }
      case kPropertyWidth: {
        const int32_t width = ClampWidth(value);
        const int height = HeightToKeep(ref, rect);
        if (width == rect.right - rect.left && height == rect.bottom - rect.top) break;
        SetWindowPos(window, nullptr, 0, 0, width, height, kKeep | SWP_NOMOVE);
        break;
      }
      case kPropertySelection:
        if (ref.control == ControlId::Chooser) {
          auto count = static_cast<int32_t>(SendMessageW(window, CB_GETCOUNT, 0, 0));
          SendMessageW(window, CB_SETCURSEL, static_cast<WPARAM>(ClampSelection(value, count)), 0);
        }
        break;
      default:
        break;
    }
  }

  std::u16string ReadText(ControlRef ref, int number) override {
    HWND window = WindowOf(ref);
    if (number != kPropertyText || window == nullptr) return std::u16string();
    int length = GetWindowTextLengthW(window);
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    int copied = GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
  }

  void Move(ControlId id, std::optional<int32_t> left, std::optional<int32_t> top, std::optional<int32_t> width,
            std::optional<int32_t> height) override {
    RECT outer = OuterRect(ControlRef::Of(id));
    Rect current = {outer.left, outer.top, outer.right, outer.bottom};
    Rect moved = MovedRect(current, left, top, width, height);
    if (moved == current) return;
    // Negative sizes are handed over unchanged; the platform shows nothing
    // of the view in that direction.
    MoveWindow(ControlWindow(id), moved.left, moved.top, moved.Width(), moved.Height(), TRUE);
  }
};

}  // namespace

ControlProperties& MainWindowProperties() {
  static WinControlProperties properties;
  return properties;
}

}  // namespace velmora
