// The yardstick for Velmora's start-up and Browse figures: the least a program
// can do to show the same page view. One top-level window of the same size,
// the browser control hosted by the same WebView code, one navigation to the
// same landing address. No skin engine, no identity, no other controls, so a
// ratio against it is what Velmora adds.
#include <windows.h>
#include <ole2.h>
#include <urlmon.h>

#include <memory>
#include <string_view>

#include "bare_host.h"
#include "browse/address_rules.h"
#include "browse/navigation_commands.h"
#include "browse/user_agent_table.h"
#include "ui/window_definition.h"
#include "webview/web_view.h"

namespace {

using velmora::WebView;

std::unique_ptr<WebView>& View() {
  static std::unique_ptr<WebView> view;
  return view;
}

constexpr int kStartIdentityRow = 10;

void NavigateTo(const COPYDATASTRUCT& data) {
  bool withIdentity = data.dwData == velmora::bench::kNavigateWithIdentityTag;
  bool plain = data.dwData == velmora::bench::kNavigateTag;
  if ((!plain && !withIdentity) || data.cbData % sizeof(char16_t) != 0 || !View()) return;
  if (withIdentity) {
    std::string_view identity = velmora::kUserAgentTable[kStartIdentityRow].userAgent;
    UrlMkSetSessionOption(velmora::kUrlMonOptionUserAgent, const_cast<char*>(identity.data()),
                          static_cast<DWORD>(identity.size()), 0);
  }
  View()->Navigate(std::u16string_view(static_cast<const char16_t*>(data.lpData), data.cbData / sizeof(char16_t)));
}

LRESULT CALLBACK BareHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COPYDATA:
      NavigateTo(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
      return TRUE;
    case WM_SIZE:
      if (View()) MoveWindow(View()->Window(), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_DESTROY:
      // The control must let go while its window still exists.
      if (View()) View()->Close();
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

HWND CreateHostWindow() {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = BareHostProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = velmora::bench::kBareHostClass;
  if (RegisterClassExW(&windowClass) == 0) return nullptr;
  const velmora::WindowSettings& settings = velmora::kMainWindow;
  velmora::Point at = velmora::CentredPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  return CreateWindowExW(0, velmora::bench::kBareHostClass, L"Bare host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, at.x,
                         at.y, settings.outerWidth, settings.outerHeight, nullptr, nullptr, GetModuleHandleW(nullptr),
                         nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  if (FAILED(OleInitialize(nullptr))) return 1;
  int code = 2;
  if (HWND window = CreateHostWindow()) {
    // Same order as the program: the view exists and navigates before the
    // window is shown.
    const velmora::ControlDefinition& place = velmora::Definition(velmora::ControlId::WebView);
    View() = WebView::Create(window, place.left, place.top, place.width, place.height, velmora::WebViewEvents{});
    if (View()) {
      RECT client;
      GetClientRect(window, &client);
      MoveWindow(View()->Window(), 0, 0, client.right, client.bottom, FALSE);
      ShowWindow(View()->Window(), SW_SHOWNA);
      View()->Navigate(velmora::PortalLandingAddress());
      ShowWindow(window, SW_SHOWNORMAL);
      MSG message;
      while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      code = 0;
    } else {
      DestroyWindow(window);
    }
    View().reset();
  }
  OleUninitialize();
  return code;
}
