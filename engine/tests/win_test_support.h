// Shared by the two wine64 test programs: loading the built engine, the
// packed theme next to it, a test window with the controls the engine
// dresses, and reading back pixels.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "skin_engine_abi.h"
#include "theme_format.h"

namespace velmora::skin::test {

using velmora::skin::Theme;

inline std::wstring ExeDirectory() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path);
  return dir.substr(0, dir.find_last_of(L"\\/") + 1);
}

struct LoadedEngine {
  HMODULE module = nullptr;
  SkinAttachResFn attach = nullptr;
};

inline LoadedEngine LoadEngine() {
  LoadedEngine e;
  const std::wstring path = ExeDirectory() + L"SkinH_EL.dll";
  e.module = LoadLibraryW(path.c_str());
  if (e.module != nullptr) {
    FARPROC proc = GetProcAddress(e.module, kSkinAttachResName);
    static_assert(sizeof proc == sizeof e.attach);
    memcpy(&e.attach, &proc, sizeof proc);
  }
  return e;
}

inline std::vector<uint8_t> ReadPackedTheme() {
  std::vector<uint8_t> bytes;
  FILE* file = _wfopen((ExeDirectory() + L"velmora_theme.she").c_str(), L"rb");
  if (file == nullptr) return bytes;
  uint8_t chunk[4096];
  for (size_t n; (n = fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.insert(bytes.end(), chunk, chunk + n);
  fclose(file);
  return bytes;
}

inline Theme ParsedTheme(const std::vector<uint8_t>& blob) {
  Theme theme;
  EXPECT_EQ(ParseTheme(blob.data(), blob.size(), theme), kSkinOk);
  return theme;
}

inline COLORREF Expected(const Theme& theme, ThemeColor c) {
  const Rgb rgb = theme.Color(c);
  return RGB(rgb.r, rgb.g, rgb.b);
}

// What the test window procedure saw, so tests can tell that the program's
// own handling still happens under the skin.
struct Seen {
  int size = 0;
  int clicked = 0;
  int keyDown = 0;
  int close = 0;
  int sysCommand = 0;
};
inline thread_local Seen g_seen;

enum ControlId { kLabelId = 101, kEditId, kChooserId, kButtonId, kStatusId, kHostId };

inline LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE: ++g_seen.size; break;
    case WM_KEYDOWN: ++g_seen.keyDown; break;
    case WM_CLOSE: ++g_seen.close; break;
    case WM_SYSCOMMAND: ++g_seen.sysCommand; break;
    case WM_COMMAND:
      if (HIWORD(wp) == BN_CLICKED && LOWORD(wp) == kButtonId) ++g_seen.clicked;
      break;
    default: break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

inline LRESULT CALLBACK PlainChildProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(hwnd, msg, wp, lp);
}

constexpr wchar_t kTestClass[] = L"VelmoraEngineTestWindow";
constexpr wchar_t kHostClass[] = L"VelmoraPageHost";

// A window class of this module with the dialog background.
inline void RegisterWindowClass(const wchar_t* name, WNDPROC proc) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  RegisterClassW(&wc);
}

inline void RegisterTestClasses() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  RegisterWindowClass(kTestClass, TestWindowProc);
  RegisterWindowClass(kHostClass, PlainChildProc);
}

struct TestWindow {
  HWND frame = nullptr;
  HWND label = nullptr;
  HWND edit = nullptr;
  HWND chooser = nullptr;
  HWND button = nullptr;
  HWND status = nullptr;
  HWND host = nullptr;
};

inline HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, int x,
                  int y, int w, int h) {
  return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                         nullptr);
}

inline TestWindow CreateTestWindow(const wchar_t* title, int x, int y) {
  TestWindow t;
  t.frame = CreateWindowExW(0, kTestClass, title, WS_OVERLAPPEDWINDOW, x, y, 420, 300, nullptr,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  t.label = Child(t.frame, L"Static", L"Address:", 0, kLabelId, 8, 10, 60, 20);
  t.edit = Child(t.frame, L"Edit", L"about:blank", WS_BORDER | ES_AUTOHSCROLL, kEditId, 70, 8, 200, 22);
  t.chooser = Child(t.frame, L"ComboBox", L"", CBS_DROPDOWN | WS_VSCROLL, kChooserId, 280, 8, 120, 120);
  t.button = Child(t.frame, L"Button", L"Go", BS_PUSHBUTTON, kButtonId, 8, 40, 90, 40);
  t.host = Child(t.frame, kHostClass, L"", 0, kHostId, 110, 40, 100, 60);
  t.status = Child(t.frame, STATUSCLASSNAMEW, L"", 0, kStatusId, 0, 0, 0, 0);
  for (HWND h : {t.label, t.edit, t.chooser, t.button, t.status}) {
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  SendMessageW(t.chooser, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Search"));
  const int parts[] = {200, -1};
  SendMessageW(t.status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
  ShowWindow(t.frame, SW_SHOWNORMAL);
  UpdateWindow(t.frame);
  return t;
}

inline void Pump(DWORD milliseconds) {
  const DWORD until = GetTickCount() + milliseconds;
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  } while (static_cast<LONG>(until - GetTickCount()) > 0);
}

// Pumps until `done` holds or the time is up; returns whether it held. The
// system's mouse tracking reports a pointer leaving on a timer of its own
// (every hover time, 400 ms by default), so a fixed short pump may end first.
template <typename Condition>
bool PumpUntil(Condition done, DWORD milliseconds = 3000) {
  const DWORD until = GetTickCount() + milliseconds;
  for (;;) {
    Pump(20);
    if (done()) return true;
    if (static_cast<LONG>(until - GetTickCount()) <= 0) return false;
  }
}

inline void Repaint(HWND hwnd) {
  RedrawWindow(hwnd, nullptr, nullptr,
               RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Pump(150);
}

// x, y relative to the window rect (caption and frame included).
inline COLORREF WindowPixel(HWND hwnd, int x, int y) {
  HDC dc = GetWindowDC(hwnd);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(hwnd, dc);
  return c;
}

inline COLORREF ClientPixel(HWND hwnd, int x, int y) {
  HDC dc = GetDC(hwnd);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(hwnd, dc);
  return c;
}

struct CtlColorAnswer {
  HBRUSH brush;
  COLORREF text;
  COLORREF background;
};

// Asks `parent` the way `control` does before painting itself.
inline CtlColorAnswer AskCtlColor(HWND parent, UINT msg, HWND control) {
  HDC dc = GetDC(control);
  SetTextColor(dc, RGB(1, 2, 3));
  SetBkColor(dc, RGB(4, 5, 6));
  const LRESULT brush = SendMessageW(parent, msg, reinterpret_cast<WPARAM>(dc),
                                     reinterpret_cast<LPARAM>(control));
  const CtlColorAnswer answer{reinterpret_cast<HBRUSH>(brush), GetTextColor(dc), GetBkColor(dc)};
  ReleaseDC(control, dc);
  return answer;
}

inline std::string Hex(COLORREF c) {
  char text[16];
  snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

// The screen rectangle where the window answers WM_NCHITTEST with
// `hitCode`, found by asking, so tests do not repeat the engine's layout.
inline RECT HitArea(HWND hwnd, LRESULT hitCode) {
  RECT rc;
  GetWindowRect(hwnd, &rc);
  const auto hits = [&](LONG x, LONG y) {
    return SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == hitCode;
  };
  // Every hit area is a rectangle at least a few pixels wide: find one
  // point on a coarse grid, then walk out to its edges.
  for (LONG y = rc.top; y < rc.top + 40; y += 3) {
    for (LONG x = rc.left; x < rc.right; x += 3) {
      if (!hits(x, y)) continue;
      RECT area{x, y, x + 1, y + 1};
      while (area.left > rc.left && hits(area.left - 1, y)) --area.left;
      while (area.right < rc.right && hits(area.right, y)) ++area.right;
      while (area.top > rc.top && hits(x, area.top - 1)) --area.top;
      while (area.bottom < rc.bottom && hits(x, area.bottom)) ++area.bottom;
      return area;
    }
  }
  return RECT{};
}

inline POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

inline void ClickAt(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  Pump(50);
  INPUT clicks[2] = {};
  clicks[0].type = clicks[1].type = INPUT_MOUSE;
  clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(1, &clicks[0], sizeof(INPUT));
  Pump(100);
  SendInput(1, &clicks[1], sizeof(INPUT));
  Pump(200);
}

}  // namespace velmora::skin::test
