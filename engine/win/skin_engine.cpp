// SkinH_AttachRes and everything that keeps the calling thread's windows
// dressed afterwards: a CBT hook that sees each new window, a comctl32
// subclass on the windows the engine paints, and the per-window state the
// caption buttons need. Nothing here changes a window's non-client metrics,
// and every message the engine does not fully own goes on down the chain.
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "handles.h"
#include "paint.h"
#include "palette.h"
#include "skin_engine_abi.h"
#include "skin_rules.h"
#include "theme_format.h"

extern "C" __declspec(dllexport) int32_t VELMORA_SKIN_STDCALL
SkinH_AttachRes(const void* theme, int32_t themeLength, const char* password, int32_t reserved1,
                int32_t reserved2, int32_t reserved3);

static_assert(std::is_same_v<decltype(SkinH_AttachRes), std::remove_pointer_t<SkinAttachResFn>>,
              "the export must match the type the program calls it through");

namespace velmora::skin::win {
namespace {

static_assert(style::kChild == WS_CHILD && style::kPopup == WS_POPUP &&
              style::kCaption == WS_CAPTION && style::kSysMenu == WS_SYSMENU &&
              style::kMinimizeBox == WS_MINIMIZEBOX && style::kMaximizeBox == WS_MAXIMIZEBOX &&
              style::kExToolWindow == WS_EX_TOOLWINDOW);
static_assert(style::kButtonTypeMask == BS_TYPEMASK && style::kPushButton == BS_PUSHBUTTON &&
              style::kDefPushButton == BS_DEFPUSHBUTTON && style::kButtonIcon == BS_ICON &&
              style::kButtonBitmap == BS_BITMAP && style::kButtonLeft == BS_LEFT &&
              style::kButtonRight == BS_RIGHT && style::kButtonTop == BS_TOP &&
              style::kButtonBottom == BS_BOTTOM && style::kButtonMultiline == BS_MULTILINE);

constexpr UINT_PTR kSubclassId = 0x56534B4E;  // "VSKN"
// Undocumented messages with which themed Windows draws the classic caption
// and frame behind a skin's back.
constexpr UINT kUahDrawCaption = 0x00AE;
constexpr UINT kUahDrawFrame = 0x00AF;

HINSTANCE g_module = nullptr;

struct WindowState {
  CaptionView caption;
  bool trackingNcLeave = false;
  bool buttonHot = false;
  // The status bar's deferred painting: while it takes a new text, and
  // while a paint of the texts it took waits on the timer.
  bool statusTextArriving = false;
  bool statusPaintTimerSet = false;
};

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  const int length = hwnd ? GetClassNameW(hwnd, name, 256) : 0;
  return std::wstring(name, static_cast<size_t>(std::max(0, length)));
}

bool InsideForeignWindow(HWND parent) {
  for (HWND w = parent; w != nullptr; w = GetParent(w)) {
    if (IsForeignClass(ClassOf(w))) return true;
  }
  return false;
}

// Asked of the window itself, for new and enumerated windows alike: the
// creation hook does not always see HWND_MESSAGE as the parent (Wine hands
// it the message root instead), and enumeration has no creation data.
bool IsMessageOnly(HWND hwnd) {
  if ((GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) != 0) return false;
  const HWND parent = GetAncestor(hwnd, GA_PARENT);
  return parent != nullptr && parent != GetDesktopWindow();
}

// The owner of everything the engine has created. One per process: the
// hook list is per thread, the palette is shared.
class Engine {
 public:
  static Engine& Get() {
    static Engine* engine = new Engine();  // never destroyed: windows may paint during exit
    return *engine;
  }

  int32_t Attach(const Theme& theme);
  const Palette* Current() const { return current_.load(std::memory_order_acquire); }

  void DressNew(HWND hwnd, const CREATESTRUCTW& cs);
  void DressExisting(HWND hwnd, bool isChild);

  WindowState* StateOf(HWND hwnd) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = windows_.find(hwnd);
    return it == windows_.end() ? nullptr : &it->second;
  }
  void Forget(HWND hwnd) {
    std::lock_guard<std::mutex> lock(mutex_);
    windows_.erase(hwnd);
  }

 private:
  bool Dress(HWND hwnd, WindowRole role);
  void UseThemeBackground(HWND topLevel);

  std::mutex mutex_;
  std::vector<std::unique_ptr<Palette>> palettes_;  // older ones stay: a paint may hold one
  std::atomic<const Palette*> current_{nullptr};
  std::vector<std::pair<DWORD, OwnedHook>> hooks_;
  std::unordered_map<HWND, WindowState> windows_;
};

LRESULT CALLBACK SkinSubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    try {
      const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lParam);
      if (create != nullptr && create->lpcs != nullptr && Engine::Get().Current() != nullptr) {
        Engine::Get().DressNew(reinterpret_cast<HWND>(wParam), *create->lpcs);
      }
    } catch (...) {
      // A window left undressed is better than a failed CreateWindow.
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool IsSystemDefaultBrush(HBRUSH brush) {
  const auto value = reinterpret_cast<uintptr_t>(brush);
  if (value >= 1 && value <= COLOR_MENUBAR + 1) return true;  // COLOR_x + 1
  for (int index = 0; index <= COLOR_MENUBAR; ++index) {
    if (brush == GetSysColorBrush(index)) return true;
  }
  return brush == GetStockObject(WHITE_BRUSH) || brush == GetStockObject(LTGRAY_BRUSH);
}

void DisableDwmFrame(HWND hwnd) {
  // With desktop composition the frame is drawn by DWM, not WM_NCPAINT.
  // dwmapi is absent before Vista, so it is looked up, never linked.
  static const auto setAttribute = [] {
    using Fn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
    HMODULE dwm = LoadLibraryW(L"dwmapi.dll");
    FARPROC proc = dwm ? GetProcAddress(dwm, "DwmSetWindowAttribute") : nullptr;
    Fn fn = nullptr;
    static_assert(sizeof fn == sizeof proc);
    memcpy(&fn, &proc, sizeof fn);
    return fn;
  }();
  if (setAttribute == nullptr) return;
  const DWORD kNcRenderingPolicy = 2;  // DWMWA_NCRENDERING_POLICY
  const DWORD kDisabled = 1;           // DWMNCRP_DISABLED
  setAttribute(hwnd, kNcRenderingPolicy, &kDisabled, sizeof kDisabled);
}

// Enumeration callbacks are stdcall on 32-bit Windows, which lambdas are not.
BOOL CALLBACK DressChildWindow(HWND child, LPARAM) {
  Engine::Get().DressExisting(child, true);
  return TRUE;
}

BOOL CALLBACK DressThreadWindow(HWND hwnd, LPARAM) {
  Engine::Get().DressExisting(hwnd, false);
  EnumChildWindows(hwnd, DressChildWindow, 0);
  RedrawWindow(hwnd, nullptr, nullptr,
               RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  return TRUE;
}

int32_t Engine::Attach(const Theme& theme) {
  std::unique_ptr<Palette> palette = Palette::Create(theme);
  if (!palette) return kSkinErrPlatform;

  const DWORD thread = GetCurrentThreadId();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    bool hooked = false;
    for (const auto& entry : hooks_) hooked = hooked || entry.first == thread;
    if (!hooked) {
      OwnedHook hook(SetWindowsHookExW(WH_CBT, CbtHook, g_module, thread));
      if (!hook) return kSkinErrPlatform;
      hooks_.emplace_back(thread, std::move(hook));
    }
    current_.store(palette.get(), std::memory_order_release);
    palettes_.push_back(std::move(palette));
  }

  EnumThreadWindows(thread, DressThreadWindow, 0);
  return kSkinOk;
}

void Engine::DressNew(HWND hwnd, const CREATESTRUCTW& cs) {
  const bool isChild = (cs.style & WS_CHILD) != 0;
  if (isChild && InsideForeignWindow(cs.hwndParent)) return;
  const std::wstring className = ClassOf(hwnd);
  WindowFacts facts{className, static_cast<uint32_t>(cs.style), static_cast<uint32_t>(cs.dwExStyle),
                    isChild, IsMessageOnly(hwnd)};
  Dress(hwnd, ClassifyWindow(facts));
}

void Engine::DressExisting(HWND hwnd, bool isChild) {
  if (isChild && InsideForeignWindow(GetParent(hwnd))) return;
  const std::wstring className = ClassOf(hwnd);
  WindowFacts facts{className, static_cast<uint32_t>(GetWindowLongW(hwnd, GWL_STYLE)),
                    static_cast<uint32_t>(GetWindowLongW(hwnd, GWL_EXSTYLE)), isChild, IsMessageOnly(hwnd)};
  if (Dress(hwnd, ClassifyWindow(facts)) && !isChild) {
    if (WindowState* state = StateOf(hwnd)) state->caption.active = GetActiveWindow() == hwnd;
  }
}

bool Engine::Dress(HWND hwnd, WindowRole role) {
  if (role == WindowRole::None) return false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    windows_.try_emplace(hwnd);
  }
  // Same procedure and id again only updates the reference data, so a
  // second attach never stacks a second subclass.
  if (!SetWindowSubclass(hwnd, SkinSubclassProc, kSubclassId, static_cast<DWORD_PTR>(role))) {
    Forget(hwnd);
    return false;
  }
  if (role == WindowRole::TopLevel) {
    UseThemeBackground(hwnd);
    DisableDwmFrame(hwnd);
  }
  return true;
}

// The client background is painted by the window's own WM_ERASEBKGND path
// (usually DefWindowProc with the class brush), so the program keeps seeing
// that message. A system-colour class brush is swapped for the theme's.
void Engine::UseThemeBackground(HWND topLevel) {
  const auto current = reinterpret_cast<HBRUSH>(GetClassLongPtrW(topLevel, GCLP_HBRBACKGROUND));
  if (current == nullptr) return;
  bool ours = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& p : palettes_) ours = ours || p->OwnsBrush(current);
  }
  if (!ours && !IsSystemDefaultBrush(current)) return;
  SetClassLongPtrW(topLevel, GCLP_HBRBACKGROUND,
                   reinterpret_cast<LONG_PTR>(Current()->Brush(ThemeColor::WindowBackground)));
}

// Forwards a message down the subclass chain at most once, so the catch-all
// in the subclass procedure knows whether the message still has to go on.
class Message {
 public:
  Message(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
      : hwnd(hwnd), msg(msg), wParam(wParam), lParam(lParam) {}
  LRESULT Forward() { return Forward(wParam); }
  LRESULT Forward(WPARAM w) { return Forward(w, lParam); }
  LRESULT Forward(WPARAM w, LPARAM l) {
    forwarded = true;
    return DefSubclassProc(hwnd, msg, w, l);
  }
  const HWND hwnd;
  const UINT msg;
  const WPARAM wParam;
  const LPARAM lParam;
  bool forwarded = false;
};

bool CaptionIsOurs(HWND hwnd) {
  return HasCaption(static_cast<uint32_t>(GetWindowLongW(hwnd, GWL_STYLE))) && !IsIconic(hwnd);
}

void RepaintCaption(HWND hwnd, const Palette& palette) {
  if (!IsWindow(hwnd) || !IsWindowVisible(hwnd) || !CaptionIsOurs(hwnd)) return;
  WindowState* state = Engine::Get().StateOf(hwnd);
  if (state == nullptr) return;
  WindowDc dc(hwnd, true);
  if (dc.Get()) PaintCaptionAndFrame(hwnd, dc.Get(), palette, state->caption);
}

POINT ToWindowPoint(HWND hwnd, POINT screen) {
  RECT window{};
  GetWindowRect(hwnd, &window);
  return POINT{screen.x - window.left, screen.y - window.top};
}

CaptionPart PartAt(HWND hwnd, POINT screen) {
  const POINT p = ToWindowPoint(hwnd, screen);
  return HitTestCaption(ComputeCaptionLayout(hwnd), p.x, p.y);
}

CaptionPart PartOfHitCode(WPARAM code) {
  switch (code) {
    case HTMINBUTTON: return CaptionPart::Minimize;
    case HTMAXBUTTON: return CaptionPart::Maximize;
    case HTCLOSE: return CaptionPart::Close;
    default: return CaptionPart::None;
  }
}

LRESULT HitCodeOf(CaptionPart part) {
  switch (part) {
    case CaptionPart::Minimize: return HTMINBUTTON;
    case CaptionPart::Maximize: return HTMAXBUTTON;
    case CaptionPart::Close: return HTCLOSE;
    case CaptionPart::None: break;
  }
  return HTCAPTION;
}

WPARAM CommandOf(HWND hwnd, CaptionPart part) {
  switch (part) {
    case CaptionPart::Minimize: return SC_MINIMIZE;
    case CaptionPart::Maximize: return IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE;
    default: return SC_CLOSE;
  }
}

bool IsPartEnabledNow(HWND hwnd, CaptionPart part) {
  HMENU menu = GetSystemMenu(hwnd, FALSE);
  const UINT closeState = menu ? GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) : 0;
  const bool closeEnabled =
      closeState == static_cast<UINT>(-1) || (closeState & (MF_GRAYED | MF_DISABLED)) == 0;
  return IsPartEnabled(ComputeCaptionLayout(hwnd), part, closeEnabled);
}

// After these, DefWindowProc may have drawn the system caption directly
// (not through WM_NCPAINT), so the engine's caption is put back on top.
bool SystemMayHaveDrawnCaption(UINT msg) {
  switch (msg) {
    case WM_SETTEXT: case WM_SETICON: case WM_NCLBUTTONDOWN: case WM_NCLBUTTONUP:
    case WM_NCLBUTTONDBLCLK: case WM_NCRBUTTONDOWN: case WM_NCRBUTTONUP: case WM_SYSCOMMAND:
    case WM_EXITMENULOOP: case WM_EXITSIZEMOVE: case WM_ENABLE: case WM_STYLECHANGED:
      return true;
    default:
      return false;
  }
}

std::optional<CtlColorMessage> CtlColorKind(UINT msg) {
  switch (msg) {
    case WM_CTLCOLORSTATIC: return CtlColorMessage::Static;
    case WM_CTLCOLOREDIT: return CtlColorMessage::Edit;
    case WM_CTLCOLORLISTBOX: return CtlColorMessage::ListBox;
    case WM_CTLCOLORBTN: return CtlColorMessage::Button;
    case WM_CTLCOLORDLG: return CtlColorMessage::Dialog;
    default: return std::nullopt;
  }
}

LRESULT CtlColor(Message& m, CtlColorMessage kind, const Palette& palette) {
  const LRESULT answer = m.Forward();
  // The program's own colour choice wins; only the system default is replaced.
  if (answer != 0 && !IsSystemDefaultBrush(reinterpret_cast<HBRUSH>(answer))) return answer;
  const auto control = reinterpret_cast<HWND>(m.lParam);
  const std::optional<ColorPair> colors =
      ChooseCtlColors(kind, ClassOf(control), ClassOf(GetParent(control)));
  if (!colors) return answer;
  const auto dc = reinterpret_cast<HDC>(m.wParam);
  SetTextColor(dc, palette.Color(colors->text));
  SetBkColor(dc, palette.Color(colors->background));
  return reinterpret_cast<LRESULT>(palette.Brush(colors->background));
}

LRESULT NcPaint(Message& m, const Palette& palette) {
  const CaptionLayout layout = ComputeCaptionLayout(m.hwnd);
  RECT window{};
  GetWindowRect(m.hwnd, &window);
  // Hand the system only what lies inside the frame below the caption:
  // the menu bar and scroll bars, which it keeps drawing.
  OwnedRegion rest(CreateRectRgn(window.left + layout.frameLeft.right,
                                 window.top + layout.caption.bottom,
                                 window.left + layout.frameRight.left,
                                 window.top + layout.frameBottom.top));
  if (!rest) return m.Forward();
  if (m.wParam > 1) CombineRgn(rest.Get(), rest.Get(), reinterpret_cast<HRGN>(m.wParam), RGN_AND);
  const LRESULT result = m.Forward(reinterpret_cast<WPARAM>(rest.Get()));
  RepaintCaption(m.hwnd, palette);
  return result;
}

LRESULT CaptionButtonDown(Message& m, WindowState& state, const Palette& palette) {
  const CaptionPart part = PartOfHitCode(m.wParam);
  if (part == CaptionPart::None) return m.Forward();
  if (!IsPartEnabledNow(m.hwnd, part)) return 0;
  state.caption.pressed = part;
  state.caption.pressedInside = true;
  SetCapture(m.hwnd);
  RepaintCaption(m.hwnd, palette);
  return 0;
}

LRESULT TrackingMouse(Message& m, WindowState& state, const Palette& palette) {
  POINT screen{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
  ClientToScreen(m.hwnd, &screen);
  const CaptionPart pressed = state.caption.pressed;
  const bool inside = PartAt(m.hwnd, screen) == pressed;
  if (m.msg == WM_MOUSEMOVE) {
    if (inside != state.caption.pressedInside) {
      state.caption.pressedInside = inside;
      RepaintCaption(m.hwnd, palette);
    }
    return 0;
  }
  state.caption.pressed = CaptionPart::None;
  state.caption.pressedInside = false;
  ReleaseCapture();
  RepaintCaption(m.hwnd, palette);
  if (inside) {
    // What DefWindowProc does on release over a caption button; the window
    // may be gone afterwards, so nothing of it is touched after this.
    SendMessageW(m.hwnd, WM_SYSCOMMAND, CommandOf(m.hwnd, pressed), MAKELPARAM(screen.x, screen.y));
  }
  return 0;
}

LRESULT TopLevelMessage(Message& m, WindowState& state, const Palette& palette) {
  if (auto kind = CtlColorKind(m.msg)) return CtlColor(m, *kind, palette);
  if (!CaptionIsOurs(m.hwnd)) return m.Forward();

  const bool tracking = state.caption.pressed != CaptionPart::None && GetCapture() == m.hwnd;
  switch (m.msg) {
    case WM_NCPAINT:
      return NcPaint(m, palette);
    case kUahDrawCaption:
    case kUahDrawFrame:
      return 0;
    case WM_NCACTIVATE: {
      state.caption.active = m.wParam != FALSE;
      // -1 tells the system not to draw its own caption and frame first,
      // which the engine would only paint over; a menu bar still needs it.
      const LRESULT result = GetMenu(m.hwnd) == nullptr ? m.Forward(m.wParam, -1) : m.Forward();
      RepaintCaption(m.hwnd, palette);
      return result;
    }
    case WM_PRINT: {
      const LRESULT result = m.Forward();
      if (m.lParam & PRF_NONCLIENT) {
        PaintCaptionAndFrame(m.hwnd, reinterpret_cast<HDC>(m.wParam), palette, state.caption);
      }
      return result;
    }
    case WM_NCHITTEST: {
      const LRESULT code = m.Forward();
      if (code != HTCAPTION && code != HTMINBUTTON && code != HTMAXBUTTON && code != HTCLOSE &&
          code != HTHELP) {
        return code;
      }
      return HitCodeOf(PartAt(m.hwnd, POINT{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)}));
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      if (PartOfHitCode(m.wParam) != CaptionPart::None) return CaptionButtonDown(m, state, palette);
      break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      if (tracking) return TrackingMouse(m, state, palette);
      return m.Forward();
    case WM_CAPTURECHANGED:
      if (state.caption.pressed != CaptionPart::None) {
        state.caption.pressed = CaptionPart::None;
        RepaintCaption(m.hwnd, palette);
      }
      return m.Forward();
    case WM_NCMOUSEMOVE: {
      const CaptionPart hot = PartAt(m.hwnd, POINT{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)});
      if (!state.trackingNcLeave) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE | TME_NONCLIENT, m.hwnd, 0};
        state.trackingNcLeave = TrackMouseEvent(&track) != FALSE;
      }
      if (hot != state.caption.hot) {
        state.caption.hot = hot;
        RepaintCaption(m.hwnd, palette);
      }
      return m.Forward();
    }
    case WM_NCMOUSELEAVE:
      state.trackingNcLeave = false;
      if (state.caption.hot != CaptionPart::None) {
        state.caption.hot = CaptionPart::None;
        RepaintCaption(m.hwnd, palette);
      }
      return m.Forward();
    default:
      break;
  }
  const LRESULT result = m.Forward();
  if (SystemMayHaveDrawnCaption(m.msg)) RepaintCaption(m.hwnd, palette);
  return result;
}

// WM_PAINT may come with the device context to paint into (as WM_PRINTCLIENT
// does); without one, the window's own update region is painted.
template <typename Paint>
void PaintForMessage(const Message& m, Paint paint) {
  if (m.wParam != 0) {
    paint(reinterpret_cast<HDC>(m.wParam));
    return;
  }
  PaintDc dc(m.hwnd);
  paint(dc.Get());
}

bool IsOwnPaintedButton(HWND button) {
  return IsPaintedPushButton(static_cast<uint32_t>(GetWindowLongW(button, GWL_STYLE)));
}

// Messages after which the button control repaints itself on the spot
// (not through WM_PAINT), so the engine's face goes back on top at once.
bool ButtonMayHavePainted(UINT msg) {
  switch (msg) {
    case BM_SETSTATE: case BM_SETSTYLE: case BM_SETCHECK: case WM_SETFOCUS: case WM_KILLFOCUS:
    case WM_ENABLE: case WM_SETTEXT: case WM_SETFONT: case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP: case WM_KEYDOWN: case WM_KEYUP: case WM_CAPTURECHANGED:
    case WM_UPDATEUISTATE: case WM_CHANGEUISTATE:
      return true;
    default:
      return false;
  }
}

LRESULT PushButtonMessage(Message& m, WindowState& state, const Palette& palette) {
  if (!IsOwnPaintedButton(m.hwnd)) return m.Forward();
  switch (m.msg) {
    case WM_PAINT:
      PaintForMessage(m, [&](HDC dc) { PaintPushButton(m.hwnd, dc, palette, state.buttonHot); });
      return 0;
    case WM_PRINTCLIENT:
      PaintPushButton(m.hwnd, reinterpret_cast<HDC>(m.wParam), palette, state.buttonHot);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_MOUSEMOVE:
      if (!state.buttonHot) {
        state.buttonHot = true;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, m.hwnd, 0};
        TrackMouseEvent(&track);
        InvalidateRect(m.hwnd, nullptr, FALSE);
      }
      return m.Forward();
    case WM_MOUSELEAVE:
      state.buttonHot = false;
      InvalidateRect(m.hwnd, nullptr, FALSE);
      return m.Forward();
    default:
      break;
  }
  const HWND hwnd = m.hwnd;
  const LRESULT result = m.Forward();
  if (ButtonMayHavePainted(m.msg) && IsWindow(hwnd) && IsWindowVisible(hwnd)) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
  return result;
}

// The status bar's new texts are painted together, one frame after the first
// of them. The bar would paint each text at once, inside the caller's call;
// a page sends them in bursts while it starts a navigation, and every paint
// on this thread then holds up the navigation's next step, the request
// itself among them.
constexpr UINT_PTR kStatusPaintTimer = 0x5648;  // private to the engine
constexpr UINT kStatusPaintDelayMs = 16;

void CancelStatusPaintTimer(HWND bar, WindowState& state) {
  if (!state.statusPaintTimerSet) return;
  KillTimer(bar, kStatusPaintTimer);
  state.statusPaintTimerSet = false;
}

// Set once per burst, never pushed back: a steady stream of texts still
// shows one every frame. False when no timer could be had.
bool StartStatusPaintTimer(HWND bar, WindowState& state) {
  if (!state.statusPaintTimerSet) {
    state.statusPaintTimerSet = SetTimer(bar, kStatusPaintTimer, kStatusPaintDelayMs, nullptr) != 0;
  }
  return state.statusPaintTimerSet;
}

LRESULT StatusBarMessage(Message& m, WindowState& state, const Palette& palette) {
  switch (m.msg) {
    case SB_SETTEXTW:
    case SB_SETTEXTA: {
      const HWND hwnd = m.hwnd;
      state.statusTextArriving = true;
      const LRESULT result = m.Forward();
      // Looked up again: the bar may have been destroyed meanwhile.
      if (WindowState* after = Engine::Get().StateOf(hwnd)) after->statusTextArriving = false;
      return result;
    }
    case WM_TIMER:
      if (m.wParam != kStatusPaintTimer) return m.Forward();
      CancelStatusPaintTimer(m.hwnd, state);
      InvalidateRect(m.hwnd, nullptr, FALSE);
      return 0;
    case WM_PAINT:
      if (m.wParam == 0 && state.statusTextArriving && StartStatusPaintTimer(m.hwnd, state)) {
        ValidateRect(m.hwnd, nullptr);
        return 0;
      }
      if (state.statusPaintTimerSet) {
        // Painting for another reason: take the waiting texts along.
        CancelStatusPaintTimer(m.hwnd, state);
        InvalidateRect(m.hwnd, nullptr, FALSE);
      }
      PaintForMessage(m, [&](HDC dc) { PaintStatusBar(m.hwnd, dc, palette); });
      return 0;
    case WM_PRINTCLIENT:
      PaintStatusBar(m.hwnd, reinterpret_cast<HDC>(m.wParam), palette);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    default:
      return m.Forward();
  }
}

LRESULT CALLBACK SkinSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                  UINT_PTR id, DWORD_PTR role) {
  Message m(hwnd, msg, wParam, lParam);
  try {
    if (msg == WM_NCDESTROY) {
      RemoveWindowSubclass(hwnd, SkinSubclassProc, id);
      Engine::Get().Forget(hwnd);
      return m.Forward();
    }
    const Palette* palette = Engine::Get().Current();
    WindowState* state = Engine::Get().StateOf(hwnd);
    if (palette == nullptr || state == nullptr) return m.Forward();
    switch (static_cast<WindowRole>(role)) {
      case WindowRole::TopLevel: return TopLevelMessage(m, *state, *palette);
      case WindowRole::PushButton: return PushButtonMessage(m, *state, *palette);
      case WindowRole::StatusBar: return StatusBarMessage(m, *state, *palette);
      case WindowRole::None: break;
    }
    return m.Forward();
  } catch (...) {
    // No exception may unwind into the window manager.
    return m.forwarded ? 0 : DefSubclassProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace
}  // namespace velmora::skin::win

extern "C" __declspec(dllexport) int32_t VELMORA_SKIN_STDCALL
SkinH_AttachRes(const void* theme, int32_t themeLength, const char* /*password*/,
                int32_t /*reserved1*/, int32_t /*reserved2*/, int32_t /*reserved3*/) {
  using namespace velmora::skin;
  try {
    if (theme == nullptr) return themeLength == 0 ? kSkinErrNoTheme : kSkinErrNullTheme;
    if (themeLength < 0) return kSkinErrLengthMismatch;
    // The caller's bytes are read once, into a parsed copy, before anything
    // on screen changes.
    Theme parsed;
    const int32_t rc = ParseTheme(static_cast<const uint8_t*>(theme),
                                  static_cast<size_t>(themeLength), parsed);
    if (rc != kSkinOk) return rc;
    return win::Engine::Get().Attach(parsed);
  } catch (...) {
    return kSkinErrInternal;
  }
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    velmora::skin::win::g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
