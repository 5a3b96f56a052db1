#include "paint.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace velmora::skin::win {
namespace {

RECT ToRect(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

void Fill(HDC dc, const Rect& r, HBRUSH brush) {
  if (r.Empty()) return;
  const RECT rc = ToRect(r);
  FillRect(dc, &rc, brush);
}

void FillSolid(HDC dc, int left, int top, int right, int bottom, HBRUSH brush) {
  const RECT rc{left, top, right, bottom};
  FillRect(dc, &rc, brush);
}

COLORREF Blend(COLORREF a, COLORREF b) {
  return RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2,
             (GetBValue(a) + GetBValue(b)) / 2);
}

std::wstring WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
  return text;
}

HICON SmallIconOf(HWND hwnd) {
  for (WPARAM kind : {WPARAM{ICON_SMALL}, WPARAM{ICON_BIG}}) {
    DWORD_PTR icon = 0;
    if (SendMessageTimeoutW(hwnd, WM_GETICON, kind, 0, SMTO_ABORTIFHUNG, 200, &icon) && icon) {
      return reinterpret_cast<HICON>(icon);
    }
  }
  for (int index : {GCLP_HICONSM, GCLP_HICON}) {
    if (auto icon = reinterpret_cast<HICON>(GetClassLongPtrW(hwnd, index))) return icon;
  }
  return LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
}

void DrawGlyph(HDC dc, const Rect& box, CaptionPart part, bool zoomed, COLORREF color) {
  const int size = std::max(4, std::min(box.Width(), box.Height()) / 2) & ~1;
  const int x0 = box.left + (box.Width() - size) / 2;
  const int y0 = box.top + (box.Height() - size) / 2;
  const int x1 = x0 + size;
  const int y1 = y0 + size;
  OwnedBrush brush(CreateSolidBrush(color));
  if (!brush) return;
  auto outline = [&](int l, int t, int r, int b) {
    FillSolid(dc, l, t, r, t + 2, brush.Get());  // heavier top edge, like a title bar
    FillSolid(dc, l, b - 1, r, b, brush.Get());
    FillSolid(dc, l, t, l + 1, b, brush.Get());
    FillSolid(dc, r - 1, t, r, b, brush.Get());
  };
  switch (part) {
    case CaptionPart::Minimize:
      FillSolid(dc, x0, y1 - 2, x1, y1, brush.Get());
      break;
    case CaptionPart::Maximize:
      if (zoomed) {
        const int step = std::max(2, size / 4);
        outline(x0 + step, y0, x1, y1 - step);
        outline(x0, y0 + step, x1 - step, y1);
      } else {
        outline(x0, y0, x1, y1);
      }
      break;
    case CaptionPart::Close:
      for (int i = 0; i < size; ++i) {
        FillSolid(dc, x0 + i, y0 + i, x0 + i + 2, y0 + i + 1, brush.Get());
        FillSolid(dc, x1 - i - 2, y0 + i, x1 - i, y0 + i + 1, brush.Get());
      }
      break;
    case CaptionPart::None:
      break;
  }
}

ThemeColor CaptionButtonFace(CaptionPart part, const CaptionView& view) {
  if (view.pressed == part && view.pressedInside) return ThemeColor::CaptionButtonPressed;
  if (view.hot == part && view.pressed == CaptionPart::None) {
    return part == CaptionPart::Close ? ThemeColor::CaptionCloseHot : ThemeColor::CaptionButtonHot;
  }
  // Resting buttons of an inactive window fade into its caption with it.
  return view.active ? ThemeColor::CaptionButtonFace : ThemeColor::CaptionInactive;
}

bool IsCloseEnabled(HWND hwnd) {
  HMENU menu = GetSystemMenu(hwnd, FALSE);
  if (menu == nullptr) return true;
  const UINT state = GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND);
  return state == static_cast<UINT>(-1) || (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

}  // namespace

CaptionLayout ComputeCaptionLayout(HWND hwnd) {
  RECT window{};
  GetWindowRect(hwnd, &window);
  POINT clientOrigin{0, 0};
  ClientToScreen(hwnd, &clientOrigin);
  CaptionInput in;
  in.windowWidth = window.right - window.left;
  in.windowHeight = window.bottom - window.top;
  in.frameWidth = clientOrigin.x - window.left;
  in.clientTop = clientOrigin.y - window.top;
  in.captionHeight = GetSystemMetrics(SM_CYCAPTION);
  in.buttonWidth = GetSystemMetrics(SM_CXSIZE);
  in.iconSize = GetSystemMetrics(SM_CXSMICON);
  in.style = static_cast<uint32_t>(GetWindowLongW(hwnd, GWL_STYLE));
  return LayoutCaption(in);
}

void PaintCaptionAndFrame(HWND hwnd, HDC dc, const Palette& palette, const CaptionView& view) {
  const CaptionLayout layout = ComputeCaptionLayout(hwnd);
  const ThemeColor frame = view.active ? ThemeColor::FrameActive : ThemeColor::FrameInactive;
  for (const Rect* strip : {&layout.frameTop, &layout.frameLeft, &layout.frameRight, &layout.frameBottom}) {
    Fill(dc, *strip, palette.Brush(frame));
  }
  if (layout.caption.Empty()) return;

  Buffered buffer(dc, ToRect(layout.caption));
  HDC out = buffer.Dc();
  Fill(out, layout.caption,
       palette.Brush(view.active ? ThemeColor::CaptionActive : ThemeColor::CaptionInactive));

  if (!layout.icon.Empty()) {
    DrawIconEx(out, layout.icon.left, layout.icon.top, SmallIconOf(hwnd), layout.icon.Width(),
               layout.icon.Height(), 0, nullptr, DI_NORMAL);
  }

  const std::wstring title = WindowText(hwnd);
  if (!title.empty() && !layout.title.Empty()) {
    Selection font(out, palette.CaptionFont());
    SetBkMode(out, TRANSPARENT);
    SetTextColor(out, palette.Color(view.active ? ThemeColor::CaptionTextActive
                                                : ThemeColor::CaptionTextInactive));
    RECT rc = ToRect(layout.title);
    DrawTextW(out, title.c_str(), static_cast<int>(title.size()), &rc,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
  }

  const bool zoomed = IsZoomed(hwnd) != FALSE;
  const bool closeEnabled = IsCloseEnabled(hwnd);
  const struct {
    const Rect& box;
    CaptionPart part;
  } buttons[] = {{layout.minimize, CaptionPart::Minimize},
                 {layout.maximize, CaptionPart::Maximize},
                 {layout.close, CaptionPart::Close}};
  for (const auto& b : buttons) {
    if (b.box.Empty()) continue;
    const ThemeColor face = CaptionButtonFace(b.part, view);
    Fill(out, b.box, palette.Brush(face));
    const COLORREF glyph = palette.Color(ThemeColor::CaptionButtonGlyph);
    DrawGlyph(out, b.box, b.part, zoomed,
              IsPartEnabled(layout, b.part, closeEnabled) ? glyph : Blend(glyph, palette.Color(face)));
  }
}

void PaintPushButton(HWND button, HDC dc, const Palette& palette, bool hot) {
  RECT client{};
  GetClientRect(button, &client);
  if (client.right <= client.left || client.bottom <= client.top) return;
  const auto buttonStyle = static_cast<uint32_t>(GetWindowLongW(button, GWL_STYLE));
  const auto state = static_cast<UINT>(SendMessageW(button, BM_GETSTATE, 0, 0));
  const bool focused = GetFocus() == button;
  ButtonState s;
  s.pressed = (state & BST_PUSHED) != 0;
  s.hot = hot;
  s.focused = focused;
  s.disabled = IsWindowEnabled(button) == FALSE;
  s.isDefault = (buttonStyle & style::kButtonTypeMask) == style::kDefPushButton;
  const ButtonLook look = ChooseButtonLook(s, palette.GetTheme());

  Buffered buffer(dc, client);
  HDC out = buffer.Dc();
  FillRect(out, &client, palette.Brush(ThemeColor::ButtonBorder));
  RECT face = client;
  InflateRect(&face, -look.borderWidth, -look.borderWidth);
  if (face.right > face.left && face.bottom > face.top) FillRect(out, &face, palette.Brush(look.face));

  const auto uiState = static_cast<UINT>(SendMessageW(button, WM_QUERYUISTATE, 0, 0));
  const std::wstring text = WindowText(button);
  RECT textRect = face;
  InflateRect(&textRect, -2, -1);
  if (look.offsetText) OffsetRect(&textRect, 1, 1);
  if (!text.empty()) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0));
    Selection selected(out, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
    SetBkMode(out, TRANSPARENT);
    SetTextColor(out, palette.Color(look.text));
    const TextPlacement place = PlaceButtonText(buttonStyle);
    UINT format = place.h == HAlign::Left ? DT_LEFT : place.h == HAlign::Right ? DT_RIGHT : DT_CENTER;
    if (uiState & UISF_HIDEACCEL) format |= DT_HIDEPREFIX;
    const int length = static_cast<int>(text.size());
    if (place.multiline) {
      // DrawText centres single lines only; measure the wrapped block and
      // place it by hand.
      RECT measured = textRect;
      DrawTextW(out, text.c_str(), length, &measured, format | DT_WORDBREAK | DT_CALCRECT);
      const int height = measured.bottom - measured.top;
      const int room = textRect.bottom - textRect.top;
      if (place.v == VAlign::Center) textRect.top += std::max(0, (room - height) / 2);
      if (place.v == VAlign::Bottom) textRect.top += std::max(0, room - height);
      DrawTextW(out, text.c_str(), length, &textRect, format | DT_WORDBREAK);
    } else {
      format |= DT_SINGLELINE |
                (place.v == VAlign::Top ? DT_TOP : place.v == VAlign::Bottom ? DT_BOTTOM : DT_VCENTER);
      DrawTextW(out, text.c_str(), length, &textRect, format);
    }
  }
  if (focused && !(uiState & UISF_HIDEFOCUS)) {
    RECT ring = face;
    InflateRect(&ring, -2, -2);
    SetTextColor(out, palette.Color(ThemeColor::ButtonText));
    SetBkColor(out, palette.Color(look.face));
    DrawFocusRect(out, &ring);
  }
}

namespace {

void DrawStatusPane(HWND bar, HDC dc, const Palette& palette, WPARAM part, RECT pane) {
  const auto lengthAndType = static_cast<DWORD>(SendMessageW(bar, SB_GETTEXTLENGTHW, part, 0));
  const UINT type = HIWORD(lengthAndType);
  if (type & SBT_OWNERDRAW) {
    // The program draws this pane; give it our DC the way the control would.
    wchar_t unused[2] = {};
    DRAWITEMSTRUCT item{};
    item.CtlID = static_cast<UINT>(GetDlgCtrlID(bar));
    item.itemID = static_cast<UINT>(part);
    item.hwndItem = bar;
    item.hDC = dc;
    item.rcItem = pane;
    item.itemData = static_cast<ULONG_PTR>(
        SendMessageW(bar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(unused)));
    SendMessageW(GetParent(bar), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
    return;
  }
  std::wstring text(LOWORD(lengthAndType) + 1u, L'\0');
  SendMessageW(bar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()));
  text.resize(wcsnlen(text.c_str(), text.size()));

  if (!(type & SBT_NOBORDERS) && part != SB_SIMPLEID) {
    FillSolid(dc, pane.right - 1, pane.top + 2, pane.right, pane.bottom - 2,
              palette.Brush(ThemeColor::StatusBarDivider));
  }
  RECT inner = pane;
  inner.left += 4;
  inner.right -= 4;
  if (auto icon = reinterpret_cast<HICON>(SendMessageW(bar, SB_GETICON, part, 0))) {
    const int size = std::min(GetSystemMetrics(SM_CXSMICON), int(pane.bottom - pane.top));
    DrawIconEx(dc, inner.left, pane.top + (pane.bottom - pane.top - size) / 2, icon, size, size, 0,
               nullptr, DI_NORMAL);
    inner.left += size + 2;
  }
  const StatusSegments segments = SplitStatusText(text);
  const struct {
    std::wstring_view text;
    UINT align;
  } pieces[] = {{segments.left, DT_LEFT}, {segments.center, DT_CENTER}, {segments.right, DT_RIGHT}};
  for (const auto& piece : pieces) {
    if (piece.text.empty()) continue;
    RECT rc = inner;
    DrawTextW(dc, piece.text.data(), static_cast<int>(piece.text.size()), &rc,
              piece.align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
}

void DrawSizeGrip(HDC dc, const RECT& client, const Palette& palette) {
  const int dot = 2;
  const int step = 4;
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col <= row; ++col) {
      const int x = client.right - step * (col + 1);
      const int y = client.bottom - step * (3 - row);
      FillSolid(dc, x, y, x + dot, y + dot, palette.Brush(ThemeColor::StatusBarText));
    }
  }
}

}  // namespace

void PaintStatusBar(HWND bar, HDC dc, const Palette& palette) {
  RECT client{};
  GetClientRect(bar, &client);
  if (client.right <= client.left || client.bottom <= client.top) return;
  Buffered buffer(dc, client);
  HDC out = buffer.Dc();
  FillRect(out, &client, palette.Brush(ThemeColor::StatusBarBackground));

  HFONT font = reinterpret_cast<HFONT>(SendMessageW(bar, WM_GETFONT, 0, 0));
  Selection selected(out, font ? font : palette.StatusFont());
  SetBkMode(out, TRANSPARENT);
  SetTextColor(out, palette.Color(ThemeColor::StatusBarText));

  if (SendMessageW(bar, SB_ISSIMPLE, 0, 0)) {
    DrawStatusPane(bar, out, palette, SB_SIMPLEID, client);
  } else {
    const auto parts = static_cast<int>(SendMessageW(bar, SB_GETPARTS, 0, 0));
    for (int i = 0; i < parts; ++i) {
      RECT pane{};
      if (SendMessageW(bar, SB_GETRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&pane))) {
        DrawStatusPane(bar, out, palette, static_cast<WPARAM>(i), pane);
      }
    }
  }
  const bool grip = (GetWindowLongW(bar, GWL_STYLE) & SBARS_SIZEGRIP) != 0;
  if (grip && !IsZoomed(GetParent(bar))) DrawSizeGrip(out, client, palette);
}

}  // namespace velmora::skin::win
