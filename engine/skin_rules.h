// Decisions the engine makes about windows, kept apart from Win32 so they
// can be checked natively: which windows to dress, which theme colours a
// control gets, how a push button looks in each state, where the caption
// buttons go and how status bar text is split. Style bits are the Win32
// values; the Win32 glue static_asserts that they agree with <windows.h>.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "theme_format.h"

namespace velmora::skin {

namespace style {
inline constexpr uint32_t kChild = 0x40000000;
inline constexpr uint32_t kPopup = 0x80000000;
inline constexpr uint32_t kCaption = 0x00C00000;
inline constexpr uint32_t kSysMenu = 0x00080000;
inline constexpr uint32_t kMinimizeBox = 0x00020000;
inline constexpr uint32_t kMaximizeBox = 0x00010000;
inline constexpr uint32_t kExToolWindow = 0x00000080;
inline constexpr uint32_t kButtonTypeMask = 0x0000000F;
inline constexpr uint32_t kPushButton = 0x0;
inline constexpr uint32_t kDefPushButton = 0x1;
inline constexpr uint32_t kButtonIcon = 0x40;
inline constexpr uint32_t kButtonBitmap = 0x80;
inline constexpr uint32_t kButtonLeft = 0x100;
inline constexpr uint32_t kButtonRight = 0x200;
inline constexpr uint32_t kButtonTop = 0x400;
inline constexpr uint32_t kButtonBottom = 0x800;
inline constexpr uint32_t kButtonMultiline = 0x2000;
}  // namespace style

// ASCII case-insensitive, as Windows compares class names.
bool SameClassName(std::wstring_view a, std::wstring_view b);

enum class WindowRole { None, TopLevel, PushButton, StatusBar };

struct WindowFacts {
  std::wstring_view className;
  uint32_t style = 0;
  uint32_t exStyle = 0;
  bool isChild = false;        // has a parent window, not just an owner
  bool isMessageOnly = false;  // parented to HWND_MESSAGE
};

// Only windows that get a subclass have a role. Labels, edit fields and
// choosers are coloured through their parent's WM_CTLCOLOR* replies and need
// no subclass of their own.
WindowRole ClassifyWindow(const WindowFacts& w);

bool HasCaption(uint32_t windowStyle);

// The web control's windows and system helpers: never dressed, nor is
// anything inside them.
bool IsForeignClass(std::wstring_view className);

enum class CtlColorMessage { Static, Edit, ListBox, Button, Dialog };

struct ColorPair {
  ThemeColor background;
  ThemeColor text;
};

// `controlClass` is the class of the window that asked (lParam),
// `controlParentClass` that of its parent; a combo box's own edit and list
// ask through the combo box, so their parent tells them apart from a plain
// edit field. Empty result: keep whatever the window procedure answered.
std::optional<ColorPair> ChooseCtlColors(CtlColorMessage message, std::wstring_view controlClass,
                                         std::wstring_view controlParentClass);

struct ButtonState {
  bool pressed = false;
  bool hot = false;
  bool focused = false;
  bool disabled = false;
  bool isDefault = false;
};

struct ButtonLook {
  ThemeColor face;
  ThemeColor text;
  int borderWidth;
  bool offsetText;  // pressed buttons nudge their caption down-right
};

ButtonLook ChooseButtonLook(const ButtonState& state, const Theme& theme);

// Only plain text push buttons are painted by the engine; icon, bitmap and
// owner-drawn ones keep their own painting.
bool IsPaintedPushButton(uint32_t buttonStyle);

enum class HAlign { Left, Center, Right };
enum class VAlign { Top, Center, Bottom };
struct TextPlacement {
  HAlign h;
  VAlign v;
  bool multiline;
};
TextPlacement PlaceButtonText(uint32_t buttonStyle);

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  friend bool operator==(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
};

// Everything in window coordinates (0,0 = top-left of the window rect).
struct CaptionInput {
  int windowWidth = 0;
  int windowHeight = 0;
  int frameWidth = 0;     // left edge of the client area
  int clientTop = 0;      // top edge of the client area; the caption never reaches past it
  int captionHeight = 0;  // SM_CYCAPTION
  int buttonWidth = 0;    // SM_CXSIZE
  int iconSize = 0;       // SM_CXSMICON
  uint32_t style = 0;
};

enum class CaptionPart { None, Minimize, Maximize, Close };

struct CaptionLayout {
  Rect caption;
  Rect icon;  // empty without a system menu
  Rect title;
  Rect minimize;  // empty when the window has neither box
  Rect maximize;
  Rect close;  // empty without a system menu
  bool minimizeEnabled = false;
  bool maximizeEnabled = false;
  // The frame strips around everything else.
  Rect frameTop, frameLeft, frameRight, frameBottom;
};

CaptionLayout LayoutCaption(const CaptionInput& in);
CaptionPart HitTestCaption(const CaptionLayout& layout, int x, int y);
bool IsPartEnabled(const CaptionLayout& layout, CaptionPart part, bool closeEnabled);

// A status bar pane's text: left part, then after a tab the centred part,
// then after a second tab the right-aligned part (further tabs stay in it).
struct StatusSegments {
  std::wstring_view left;
  std::wstring_view center;
  std::wstring_view right;
};
StatusSegments SplitStatusText(std::wstring_view text);

}  // namespace velmora::skin
