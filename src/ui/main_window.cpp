#include "ui/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>
#include <new>

#include "app/fatal_error.h"
#include "app/win_owners.h"
#include "browse/address_rules.h"
#include "browse/browse_handlers.h"
#include "ui/window_handlers.h"
#include "webview/web_view.h"

namespace velmora {
namespace {

constexpr wchar_t kMainClass[] = L"VelmoraMainWindow";
constexpr int kApplicationIcon = 1;
constexpr int kFirstControlId = 1001;

struct MainWindowState {
  HWND window = nullptr;
  HWND controls[kControlCount] = {};
  std::unique_ptr<WebView> webView;
  std::vector<Pane> panes;
  bool eventsHeld = false;  // from step 1 to step 7 of the load: events are dropped
  HWND focusBeforeDeactivation = nullptr;
  std::function<void(BoundEvent)> observer;
  std::function<void(std::u16string_view)> navigationObserver;
  LoadOptions options;
};

MainWindowState& State() {
  static MainWindowState state;
  return state;
}

// Failures of handlers are silent; running out of memory is the one fatal case.
template <class Handler>
void Raise(BoundEvent event, Handler&& handler) {
  MainWindowState& state = State();
  if (state.eventsHeld) return;
  try {
    if (state.observer) state.observer(event);
    handler();
  } catch (const std::bad_alloc&) {
    FatalRuntimeError(u"There is not enough memory to go on.");
  }
}

void ProcessPendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));  // keep it for the loop
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

int IndexOf(ControlId id) { return static_cast<int>(id); }

// The control `window` belongs to (itself or one of its children, like the
// chooser's edit field).
std::optional<ControlId> ControlOfWindow(HWND window) {
  MainWindowState& state = State();
  for (int i = 0; i < kControlCount; ++i) {
    HWND control = state.controls[i];
    if (control != nullptr && (control == window || IsChild(control, window))) return static_cast<ControlId>(i);
  }
  return std::nullopt;
}

// Tab and Shift+Tab follow the creation order of the Tab controls; the
// platform's dialog navigation would follow the stacking order instead.
void MoveFocus(bool backward) {
  MainWindowState& state = State();
  constexpr int count = static_cast<int>(std::size(kTabOrder));
  std::optional<ControlId> current = ControlOfWindow(GetFocus());
  const ControlId* at = std::find(std::begin(kTabOrder), std::end(kTabOrder), current.value_or(ControlId::WebView));
  // From outside the cycle, Tab starts at its first control and Shift+Tab at its last.
  int position = at != std::end(kTabOrder) ? static_cast<int>(at - kTabOrder) : (backward ? 0 : count - 1);
  for (int step = 1; step <= count; ++step) {
    int next = ((position + (backward ? -step : step)) % count + count) % count;
    HWND candidate = state.controls[IndexOf(kTabOrder[next])];
    if (IsWindowVisible(candidate) && IsWindowEnabled(candidate)) {
      SetFocus(candidate);
      return;
    }
  }
}

bool ModifierDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

}  // namespace

// Keys reach the web page view first while it has the focus; then the
// window's own keys: Esc closes, Tab cycles.
bool PreTranslateWindowMessage(MSG& message) {
  MainWindowState& state = State();
  if (state.window == nullptr || message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
  if (message.hwnd != state.window && !IsChild(state.window, message.hwnd)) return false;

  HWND view = state.controls[IndexOf(ControlId::WebView)];
  if (state.webView && view != nullptr && (message.hwnd == view || IsChild(view, message.hwnd)) &&
      state.webView->TranslateAccelerator(message)) {
    return true;
  }
  if (message.message != WM_KEYDOWN) return false;
  bool ctrl = ModifierDown(VK_CONTROL), shift = ModifierDown(VK_SHIFT), alt = ModifierDown(VK_MENU);
  if (message.wParam == VK_ESCAPE && !ctrl && !shift && !alt) {
    SendMessageW(state.window, WM_CLOSE, 0, 0);  // exactly as the close button
    return true;
  }
  if (message.wParam == VK_TAB && !ctrl && !alt) {
    MoveFocus(shift);
    return true;
  }
  return false;
}

namespace {

void OnActivate(WPARAM wParam) {
  MainWindowState& state = State();
  if (LOWORD(wParam) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(state.window, focus)) state.focusBeforeDeactivation = focus;
    return;
  }
  HWND target = state.focusBeforeDeactivation;
  if (target == nullptr || !IsWindow(target) || !IsChild(state.window, target)) {
    target = state.controls[IndexOf(ControlId::AddressBox)];
  }
  if (target != nullptr) SetFocus(target);
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MainWindowState& state = State();
  switch (message) {
    case WM_SIZE: {
      // Docking is the status bar's own behaviour, not a bound event, so it
      // follows every size, also while events are held back.
      HWND bar = state.controls[IndexOf(ControlId::StatusBar)];
      if (bar != nullptr) SendMessageW(bar, WM_SIZE, 0, 0);
      Raise(BoundEvent::SizeChanged, OnWindowResized);
      return 0;
    }
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && lParam != 0) {
        auto sender = reinterpret_cast<HWND>(lParam);
        if (sender == state.controls[IndexOf(ControlId::BrowseButton)]) Raise(BoundEvent::BrowseClicked, OnBrowse);
        if (sender == state.controls[IndexOf(ControlId::BackButton)]) Raise(BoundEvent::BackClicked, OnBack);
      }
      return 0;
    case WM_ACTIVATE:
      OnActivate(wParam);
      return 0;
    case WM_GETMINMAXINFO: {
      // The platform caps a window at the screen plus its frame; the defined
      // outer size must hold on a smaller screen too.
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMaxTrackSize.x = std::max<LONG>(limits->ptMaxTrackSize.x, kMainWindow.outerWidth);
      limits->ptMaxTrackSize.y = std::max<LONG>(limits->ptMaxTrackSize.y, kMainWindow.outerHeight);
      return 0;
    }
    case WM_DESTROY:
      // The control ends its life while its window still exists.
      if (state.webView) state.webView->Close();
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      state.window = nullptr;
      for (HWND& control : state.controls) control = nullptr;
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HICON ApplicationIcon(int widthMetric, int heightMetric) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kApplicationIcon), IMAGE_ICON,
                                       GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric), 0));
}

bool RegisterMainClass() {
  static const bool registered = [] {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = MainProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hIcon = ApplicationIcon(SM_CXICON, SM_CYICON);
    windowClass.hIconSm = ApplicationIcon(SM_CXSMICON, SM_CYSMICON);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kMainClass;
    return RegisterClassExW(&windowClass) != 0;
  }();
  return registered;
}

// Which platform widget stands for each kind, and its settings.
struct KindStyle {
  ControlKind kind;
  const wchar_t* windowClass;
  DWORD style;
  DWORD extendedStyle;
};
constexpr KindStyle kKindStyles[] = {
    {ControlKind::EditBox, L"Edit", ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
    {ControlKind::Label, L"Static", SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_NOPREFIX, 0},
    {ControlKind::Button, L"Button", BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE, 0},
    {ControlKind::ComboBox, L"ComboBox", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, 0},
    {ControlKind::StatusBar, STATUSCLASSNAMEW, SBARS_TOOLTIPS | CCS_BOTTOM, 0},
};

const KindStyle* StyleOf(ControlKind kind) {
  for (const KindStyle& style : kKindStyles) {
    if (style.kind == kind) return &style;
  }
  return nullptr;
}

WebViewEvents ViewEvents() {
  WebViewEvents events;
  events.statusTextChange = [](std::optional<std::u16string_view> text) {
    Raise(BoundEvent::StatusTextChange, [text] { OnStatusTextChange(text); });
  };
  events.newWindow = [](bool& cancel) { Raise(BoundEvent::NewWindow, [&cancel] { OnNewWindow(cancel); }); };
  return events;
}

HWND CreateControl(const ControlDefinition& definition, HWND parent) {
  MainWindowState& state = State();
  if (definition.kind == ControlKind::WebBrowser) {
    if (state.options.failWebView) return nullptr;
    state.webView = WebView::Create(parent, definition.left, definition.top, definition.width, definition.height,
                                    ViewEvents());
    if (!state.webView) return nullptr;
    SetWindowLongPtrW(state.webView->Window(), GWLP_ID, kFirstControlId + IndexOf(definition.id));
    return state.webView->Window();
  }
  const KindStyle* kind = StyleOf(definition.kind);
  if (kind == nullptr) return nullptr;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | kind->style | (definition.tabStop ? WS_TABSTOP : 0);
  int height = definition.kind == ControlKind::ComboBox ? kMainWindow.chooserListHeight : definition.height;
  std::u16string text =
      definition.id == ControlId::AddressBox ? InitialAddressText() : std::u16string(definition.initialText);
  HWND control = CreateWindowExW(kind->extendedStyle, kind->windowClass, Wide(text), style, definition.left,
                                 definition.top, definition.width, height, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + IndexOf(definition.id))),
                                 GetModuleHandleW(nullptr), nullptr);
  if (control == nullptr) return nullptr;
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  switch (definition.kind) {
    case ControlKind::EditBox:
      SendMessageW(control, EM_SETLIMITTEXT, 0, 0);  // no limit of its own
      SendMessageW(control, EM_SETSEL, 0, 0);        // caret at the start, nothing selected
      break;
    case ControlKind::ComboBox:
      SendMessageW(control, CB_LIMITTEXT, 0, 0);
      for (std::u16string_view item : kChooserItems) {
        std::u16string itemText(item);
        SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(itemText)));
      }
      break;
    default:
      break;
  }
  return control;
}

}  // namespace

bool LoadMainWindow() {
  MainWindowState& state = State();
  ProcessPendingMessages();
  state.eventsHeld = true;

  INITCOMMONCONTROLSEX common = {sizeof(common), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&common);
  if (!RegisterMainClass()) return false;

  Point at = CentredPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  state.window = CreateWindowExW(0, kMainClass, Wide(kMainWindow.title), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, at.x,
                                 at.y, kMainWindow.outerWidth, kMainWindow.outerHeight, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
  if (state.window == nullptr) return false;
  RECT outer;
  GetWindowRect(state.window, &outer);
  if (outer.right - outer.left != kMainWindow.outerWidth || outer.bottom - outer.top != kMainWindow.outerHeight) {
    SetWindowPos(state.window, nullptr, 0, 0, kMainWindow.outerWidth, kMainWindow.outerHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  for (const ControlDefinition& definition : kControls) {
    HWND control = CreateControl(definition, state.window);
    if (control == nullptr) {
      DestroyWindow(state.window);
      ProcessPendingMessages();
      return false;
    }
    state.controls[IndexOf(definition.id)] = control;
  }
  // Stacking order is the reverse of creation: each control in turn goes to
  // the top, so the status bar ends highest and the web page view lowest.
  for (HWND control : state.controls) {
    SetWindowPos(control, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  SendMessageW(state.controls[IndexOf(ControlId::StatusBar)], WM_SIZE, 0, 0);
  for (HWND control : state.controls) ShowWindow(control, SW_SHOWNA);
  ProcessPendingMessages();
  state.eventsHeld = false;

  Raise(BoundEvent::Created, OnWindowCreated);
  // The position-changed event has no handler; only the size event follows.
  if (IsWindow(state.window)) Raise(BoundEvent::SizeChanged, OnWindowResized);
  if (IsWindow(state.window)) {
    ShowWindow(state.window, SW_SHOWNORMAL);
    SetForegroundWindow(state.window);
    SetActiveWindow(state.window);
    if (GetFocus() == nullptr || !IsChild(state.window, GetFocus())) OnActivate(WA_ACTIVE);
  }
  return true;
}

void RunMessageLoop() {
  MSG message;
  for (;;) {
    BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == -1) break;
    // Only the main window's end finishes the loop: a component inside the
    // process (the web browser control, on some failed navigations) may post
    // a quit message of its own while the window is still open.
    if (got == 0) {
      if (State().window == nullptr) break;
      continue;
    }
    if (PreTranslateWindowMessage(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  State().webView.reset();
}

HWND MainWindowHandle() { return State().window; }
HWND ControlWindow(ControlId id) { return State().controls[IndexOf(id)]; }
WebView* MainWebView() { return State().webView.get(); }

int AddPane(const PaneArguments& arguments) {
  MainWindowState& state = State();
  HWND bar = state.controls[IndexOf(ControlId::StatusBar)];
  state.panes.push_back(MakePane(arguments));
  int index = static_cast<int>(state.panes.size()) - 1;
  if (bar == nullptr) return index;
  std::vector<int32_t> edgesFromModel = PaneRightEdges(state.panes);
  std::vector<int> edges(edgesFromModel.begin(), edgesFromModel.end());
  SendMessageW(bar, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  for (size_t i = 0; i < state.panes.size(); ++i) SetPaneText(static_cast<int>(i), state.panes[i].text);
  for (size_t i = 0; i < state.panes.size(); ++i) {
    // The bar has no image list, so every icon index shows no icon.
    SendMessageW(bar, SB_SETICON, i, 0);
    SendMessageW(bar, SB_SETTIPTEXTW, i, reinterpret_cast<LPARAM>(Wide(state.panes[i].tooltip)));
  }
  return index;
}

void SetPaneText(int index, std::u16string_view text) {
  MainWindowState& state = State();
  if (index < 0 || index >= static_cast<int>(state.panes.size())) return;
  Pane& pane = state.panes[static_cast<size_t>(index)];
  if (pane.text.data() != text.data()) pane.text = std::u16string(text);
  static constexpr WPARAM kBorderFlags[] = {0, SBT_NOBORDERS, SBT_POPOUT};  // by PaneBorder
  HWND bar = state.controls[IndexOf(ControlId::StatusBar)];
  if (bar == nullptr) return;
  SendMessageW(bar, SB_SETTEXTW, static_cast<WPARAM>(index) | kBorderFlags[static_cast<int>(pane.border)],
               reinterpret_cast<LPARAM>(Wide(pane.text)));
}

const std::vector<Pane>& StatusBarPanes() { return State().panes; }

void SetEventObserver(std::function<void(BoundEvent)> observer) { State().observer = std::move(observer); }
void SetNavigationObserver(std::function<void(std::u16string_view)> observer) {
  State().navigationObserver = std::move(observer);
}

void NavigateMainView(std::u16string_view address) {
  MainWindowState& state = State();
  if (state.navigationObserver) state.navigationObserver(address);
  if (state.webView) state.webView->Navigate(address);
}
void SetLoadOptions(LoadOptions options) { State().options = options; }

}  // namespace velmora
