#include "skin_rules.h"

#include <algorithm>
#include <array>

namespace velmora::skin {
namespace {

wchar_t FoldAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c; }

// Windows that are not ours to dress even when they look like a normal
// top-level window: the web control's own windows and system helpers that
// happen to be created on the UI thread.
constexpr std::array<std::wstring_view, 16> kForeignClasses = {
    L"Shell Embedding",        L"Shell DocObject View", L"Internet Explorer_Server",
    L"Internet Explorer_Hidden", L"IEFrame",             L"OleMainThreadWndClass",
    L"OleDdeWndClass",         L"CicMarshalWndClass",    L"IME",
    L"MSCTFIME UI",            L"tooltips_class32",      L"#32768",
    L"#32769",                 L"#32771",                L"ComboLBox",
    L"SysShadow",
};

}  // namespace

bool IsForeignClass(std::wstring_view className) {
  return std::any_of(kForeignClasses.begin(), kForeignClasses.end(),
                     [className](std::wstring_view f) { return SameClassName(f, className); });
}

namespace {

constexpr int kButtonGap = 2;
constexpr int kIconGap = 4;

}  // namespace

bool SameClassName(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](wchar_t x, wchar_t y) { return FoldAscii(x) == FoldAscii(y); });
}

bool HasCaption(uint32_t windowStyle) {
  return (windowStyle & style::kCaption) == style::kCaption;
}

WindowRole ClassifyWindow(const WindowFacts& w) {
  if (w.isMessageOnly || IsForeignClass(w.className)) return WindowRole::None;
  if (!w.isChild && (w.style & style::kChild) == 0) {
    if (w.exStyle & style::kExToolWindow) return WindowRole::None;
    // An overlapped window always gets a caption from Windows even when its
    // creator asked for none; a popup only has one if it asked.
    const bool popup = (w.style & style::kPopup) != 0;
    return (!popup || HasCaption(w.style)) ? WindowRole::TopLevel : WindowRole::None;
  }
  if (SameClassName(w.className, L"Button")) {
    return IsPaintedPushButton(w.style) ? WindowRole::PushButton : WindowRole::None;
  }
  if (SameClassName(w.className, L"msctls_statusbar32")) return WindowRole::StatusBar;
  return WindowRole::None;
}

std::optional<ColorPair> ChooseCtlColors(CtlColorMessage message, std::wstring_view controlClass,
                                         std::wstring_view controlParentClass) {
  const ColorPair label{ThemeColor::WindowBackground, ThemeColor::LabelText};
  const ColorPair chooser{ThemeColor::ChooserBackground, ThemeColor::ChooserText};
  const ColorPair edit{ThemeColor::EditBackground, ThemeColor::EditText};

  if (message == CtlColorMessage::Dialog) return label;
  const bool insideChooser = SameClassName(controlParentClass, L"ComboBox");
  if (SameClassName(controlClass, L"ComboBox") || SameClassName(controlClass, L"ComboLBox") ||
      (insideChooser && (SameClassName(controlClass, L"Edit") ||
                         SameClassName(controlClass, L"ListBox")))) {
    return chooser;
  }
  if (SameClassName(controlClass, L"Edit")) {
    // Read-only and disabled edit fields ask with WM_CTLCOLORSTATIC; they
    // still look like fields.
    return (message == CtlColorMessage::Edit || message == CtlColorMessage::Static)
               ? std::optional<ColorPair>(edit)
               : std::nullopt;
  }
  if (message == CtlColorMessage::Static &&
      (SameClassName(controlClass, L"Static") || SameClassName(controlClass, L"Button"))) {
    // Labels, and check boxes or group boxes sitting on the window background.
    return label;
  }
  return std::nullopt;
}

ButtonLook ChooseButtonLook(const ButtonState& s, const Theme& theme) {
  int border = std::max(0, theme.Int(ThemeInt::ButtonBorderWidth));
  if (s.disabled) {
    return {ThemeColor::ButtonFaceNormal, ThemeColor::ButtonTextDisabled, border, false};
  }
  // The default and the focused button carry a heavier border, as the
  // system look does, so Enter's target stays visible.
  if (s.isDefault || s.focused) border += 1;
  ThemeColor face = ThemeColor::ButtonFaceNormal;
  if (s.pressed) {
    face = ThemeColor::ButtonFacePressed;
  } else if (s.hot) {
    face = ThemeColor::ButtonFaceHot;
  } else if (s.focused) {
    face = ThemeColor::ButtonFaceFocused;
  }
  return {face, ThemeColor::ButtonText, border, s.pressed};
}

bool IsPaintedPushButton(uint32_t buttonStyle) {
  const uint32_t type = buttonStyle & style::kButtonTypeMask;
  return (type == style::kPushButton || type == style::kDefPushButton) &&
         (buttonStyle & (style::kButtonIcon | style::kButtonBitmap)) == 0;
}

TextPlacement PlaceButtonText(uint32_t s) {
  // BS_CENTER is BS_LEFT|BS_RIGHT and BS_VCENTER is BS_TOP|BS_BOTTOM, so
  // "both bits" and "neither bit" both mean centred for a push button.
  const uint32_t h = s & (style::kButtonLeft | style::kButtonRight);
  const uint32_t v = s & (style::kButtonTop | style::kButtonBottom);
  TextPlacement p{HAlign::Center, VAlign::Center, (s & style::kButtonMultiline) != 0};
  if (h == style::kButtonLeft) p.h = HAlign::Left;
  if (h == style::kButtonRight) p.h = HAlign::Right;
  if (v == style::kButtonTop) p.v = VAlign::Top;
  if (v == style::kButtonBottom) p.v = VAlign::Bottom;
  return p;
}

CaptionLayout LayoutCaption(const CaptionInput& in) {
  CaptionLayout out;
  const int w = in.windowWidth;
  const int h = in.windowHeight;
  const int f = std::clamp(in.frameWidth, 0, std::min(w, h) / 2);
  out.caption = {f, f, w - f, std::max(f, std::min({h - f, f + in.captionHeight, in.clientTop}))};
  out.frameTop = {0, 0, w, f};
  out.frameBottom = {0, h - f, w, h};
  out.frameLeft = {0, f, f, h - f};
  out.frameRight = {w - f, f, w, h - f};

  const Rect& c = out.caption;
  const int buttonHeight = std::max(0, c.Height() - 2 * kButtonGap);
  const int buttonWidth = std::max(0, in.buttonWidth - kButtonGap);
  const int top = c.top + kButtonGap;
  int right = c.right - kButtonGap;
  const bool sysMenu = (in.style & style::kSysMenu) != 0;
  auto take = [&](Rect& r) {
    r = {std::max(c.left, right - buttonWidth), top, right, top + buttonHeight};
    right = r.left;
  };
  if (sysMenu) {
    take(out.close);
    right -= kButtonGap;
    if (in.style & (style::kMinimizeBox | style::kMaximizeBox)) {
      take(out.maximize);
      take(out.minimize);
      out.minimizeEnabled = (in.style & style::kMinimizeBox) != 0;
      out.maximizeEnabled = (in.style & style::kMaximizeBox) != 0;
    }
  }
  int titleLeft = c.left + kIconGap;
  if (sysMenu) {
    const int size = std::min(in.iconSize, c.Height());
    const int iconTop = c.top + (c.Height() - size) / 2;
    out.icon = {c.left + kButtonGap, iconTop, c.left + kButtonGap + size, iconTop + size};
    titleLeft = out.icon.right + kIconGap;
  }
  out.title = {titleLeft, c.top, std::max(titleLeft, right - kIconGap), c.bottom};
  return out;
}

CaptionPart HitTestCaption(const CaptionLayout& layout, int x, int y) {
  const std::array<std::pair<const Rect*, CaptionPart>, 3> parts = {{
      {&layout.close, CaptionPart::Close},
      {&layout.maximize, CaptionPart::Maximize},
      {&layout.minimize, CaptionPart::Minimize},
  }};
  for (const auto& [rect, part] : parts) {
    if (rect->Contains(x, y)) return part;
  }
  return CaptionPart::None;
}

bool IsPartEnabled(const CaptionLayout& layout, CaptionPart part, bool closeEnabled) {
  switch (part) {
    case CaptionPart::Minimize: return layout.minimizeEnabled;
    case CaptionPart::Maximize: return layout.maximizeEnabled;
    case CaptionPart::Close: return closeEnabled && !layout.close.Empty();
    case CaptionPart::None: break;
  }
  return false;
}

StatusSegments SplitStatusText(std::wstring_view text) {
  StatusSegments s;
  const size_t first = text.find(L'\t');
  s.left = text.substr(0, first);
  if (first == std::wstring_view::npos) return s;
  const std::wstring_view rest = text.substr(first + 1);
  const size_t second = rest.find(L'\t');
  s.center = rest.substr(0, second);
  if (second != std::wstring_view::npos) s.right = rest.substr(second + 1);
  return s;
}

}  // namespace velmora::skin
