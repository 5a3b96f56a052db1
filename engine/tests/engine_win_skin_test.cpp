// The engine attached once, for the whole process: windows that existed
// before and windows made after are dressed, look like the theme, keep the
// program's layout and messages, and their caption buttons work.
#include <thread>

#include "skin_rules.h"
#include "win_test_support.h"

namespace velmora::skin::test {
namespace {

std::vector<uint8_t> g_blob;
Theme g_theme;
LoadedEngine g_engine;
int32_t g_attachResult = -1;
TestWindow g_before;
TestWindow g_after;
TestWindow g_twin;  // same windows on a thread the engine never saw
std::thread g_twinThread;
DWORD g_twinThreadId = 0;

COLORREF Want(ThemeColor c) { return Expected(g_theme, c); }

constexpr wchar_t kCustomColoursClass[] = L"VelmoraCustomColours";

HBRUSH CustomBrush() {
  static HBRUSH brush = CreateSolidBrush(RGB(250, 240, 200));
  return brush;
}

LRESULT CALLBACK CustomColoursProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CTLCOLORSTATIC) {
    SetTextColor(reinterpret_cast<HDC>(wp), RGB(200, 0, 0));
    return reinterpret_cast<LRESULT>(CustomBrush());
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

int Distance(COLORREF a, COLORREF b) {
  return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
         std::abs(GetBValue(a) - GetBValue(b));
}

int PixelsNear(HWND hwnd, const RECT& area, COLORREF colour) {
  HDC dc = GetDC(hwnd);
  int count = 0;
  for (LONG y = area.top; y < area.bottom; ++y) {
    for (LONG x = area.left; x < area.right; ++x) count += Distance(GetPixel(dc, x, y), colour) < 90;
  }
  ReleaseDC(hwnd, dc);
  return count;
}

RECT RectInParent(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

class SkinnedProcess : public testing::Test {
 public:
  static void SetUpTestSuite() {
    RegisterTestClasses();
    RegisterWindowClass(kCustomColoursClass, CustomColoursProc);
    g_engine = LoadEngine();
    g_blob = ReadPackedTheme();
    g_theme = ParsedTheme(g_blob);
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_twinThread = std::thread([ready] {
      g_twin = CreateTestWindow(L"Twin", 40, 560);
      g_twinThreadId = GetCurrentThreadId();
      SetEvent(ready);
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
      DestroyWindow(g_twin.frame);
    });
    WaitForSingleObject(ready, 10000);
    CloseHandle(ready);

    g_before = CreateTestWindow(L"Before", 40, 40);
    Pump(100);
    if (g_engine.attach != nullptr) {
      g_attachResult = g_engine.attach(g_blob.data(), static_cast<int32_t>(g_blob.size()), nullptr,
                                       0, 0, 0);
    }
    g_after = CreateTestWindow(L"After", 480, 40);
    Pump(200);
  }

  static void TearDownTestSuite() {
    PostThreadMessageW(g_twinThreadId, WM_QUIT, 0, 0);
    if (g_twinThread.joinable()) g_twinThread.join();
  }

  void SetUp() override {
    ASSERT_NE(g_engine.attach, nullptr);
    ASSERT_EQ(g_attachResult, kSkinOk);
  }
};

TEST_F(SkinnedProcess, ClientBackgroundOfOldAndNewWindows) {
  for (HWND frame : {g_before.frame, g_after.frame}) {
    Repaint(frame);
    EXPECT_EQ(Hex(ClientPixel(frame, 300, 150)), Hex(Want(ThemeColor::WindowBackground)));
  }
}

TEST_F(SkinnedProcess, CaptionFrameAndButtonsAreDrawnInThemeColours) {
  SetCursorPos(5, 1000);  // keep the pointer off every caption button
  for (HWND frame : {g_before.frame, g_after.frame}) {
    SetForegroundWindow(frame);
    SetActiveWindow(frame);
    Pump(200);
    Repaint(frame);
    ASSERT_EQ(GetActiveWindow(), frame);
    RECT window;
    GetWindowRect(frame, &window);
    const RECT caption = HitArea(frame, HTCAPTION);
    ASSERT_FALSE(IsRectEmpty(&caption));
    const POINT mid = Centre(caption);
    EXPECT_EQ(Hex(WindowPixel(frame, mid.x - window.left, mid.y - window.top)),
              Hex(Want(ThemeColor::CaptionActive)));
    EXPECT_EQ(Hex(WindowPixel(frame, 1, (window.bottom - window.top) / 2)),
              Hex(Want(ThemeColor::FrameActive)));
    for (LRESULT code : {HTMINBUTTON, HTMAXBUTTON, HTCLOSE}) {
      SCOPED_TRACE(code);
      const RECT button = HitArea(frame, code);
      ASSERT_FALSE(IsRectEmpty(&button));
      EXPECT_EQ(Hex(WindowPixel(frame, button.left + 1 - window.left, button.top + 1 - window.top)),
                Hex(Want(ThemeColor::CaptionButtonFace)));
    }
  }
  // Renaming makes the system draw its own caption on the spot; the
  // engine's must be back on top without any further repaint.
  SetWindowTextW(g_after.frame, L"Renamed window");
  {
    RECT window;
    GetWindowRect(g_after.frame, &window);
    const POINT mid = Centre(HitArea(g_after.frame, HTCAPTION));
    EXPECT_EQ(Hex(WindowPixel(g_after.frame, mid.x - window.left, mid.y - window.top)),
              Hex(Want(ThemeColor::CaptionActive)));
    // Hovering the close button lights it up.
    const RECT close = HitArea(g_after.frame, HTCLOSE);
    const auto closeFace = [&] {
      return Hex(WindowPixel(g_after.frame, close.left + 1 - window.left, close.top + 1 - window.top));
    };
    SetCursorPos(Centre(close).x, Centre(close).y);
    PumpUntil([&] { return closeFace() == Hex(Want(ThemeColor::CaptionCloseHot)); });
    EXPECT_EQ(closeFace(), Hex(Want(ThemeColor::CaptionCloseHot)));
    SetCursorPos(5, 1000);
    PumpUntil([&] { return closeFace() == Hex(Want(ThemeColor::CaptionButtonFace)); });
    EXPECT_EQ(closeFace(), Hex(Want(ThemeColor::CaptionButtonFace)));
  }
  SetWindowTextW(g_after.frame, L"After");

  // An inactive window shows the inactive caption.
  SetForegroundWindow(g_after.frame);
  SetActiveWindow(g_after.frame);
  Pump(200);
  RECT window;
  GetWindowRect(g_before.frame, &window);
  const POINT mid = Centre(HitArea(g_before.frame, HTCAPTION));
  EXPECT_EQ(Hex(WindowPixel(g_before.frame, mid.x - window.left, mid.y - window.top)),
            Hex(Want(ThemeColor::CaptionInactive)));
}

TEST_F(SkinnedProcess, ControlsAnswerWithThemeColours) {
  const struct {
    const char* what;
    UINT msg;
    HWND control;
    ThemeColor background;
    ThemeColor text;
  } cases[] = {
      {"label", WM_CTLCOLORSTATIC, g_after.label, ThemeColor::WindowBackground, ThemeColor::LabelText},
      {"edit", WM_CTLCOLOREDIT, g_after.edit, ThemeColor::EditBackground, ThemeColor::EditText},
      {"chooser", WM_CTLCOLOREDIT, g_after.chooser, ThemeColor::ChooserBackground,
       ThemeColor::ChooserText},
      {"chooser field", WM_CTLCOLOREDIT, GetWindow(g_after.chooser, GW_CHILD),
       ThemeColor::ChooserBackground, ThemeColor::ChooserText},
      {"label, old window", WM_CTLCOLORSTATIC, g_before.label, ThemeColor::WindowBackground,
       ThemeColor::LabelText},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const CtlColorAnswer skinned = AskCtlColor(GetParent(c.control), c.msg, c.control);
    EXPECT_EQ(Hex(skinned.text), Hex(Want(c.text)));
    EXPECT_EQ(Hex(skinned.background), Hex(Want(c.background)));
    LOGBRUSH brush{};
    ASSERT_NE(GetObjectW(skinned.brush, sizeof brush, &brush), 0);
    EXPECT_EQ(Hex(brush.lbColor), Hex(Want(c.background)));
  }
  // A window that picks its own label colour keeps it.
  HWND custom = CreateWindowExW(0, kCustomColoursClass, L"Custom", WS_OVERLAPPEDWINDOW, 600, 500,
                                200, 120, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  HWND customLabel = Child(custom, L"Static", L"Own colours", 0, 1, 4, 4, 100, 20);
  EXPECT_EQ(AskCtlColor(custom, WM_CTLCOLORSTATIC, customLabel).brush, CustomBrush());
  EXPECT_EQ(Hex(AskCtlColor(custom, WM_CTLCOLORSTATIC, customLabel).text), Hex(RGB(200, 0, 0)));
  DestroyWindow(custom);

  // The twin, on a thread without the skin, still gets the system answer.
  const CtlColorAnswer plain = AskCtlColor(g_twin.frame, WM_CTLCOLORSTATIC, g_twin.label);
  EXPECT_EQ(plain.brush, GetSysColorBrush(COLOR_BTNFACE));
}

TEST_F(SkinnedProcess, PushButtonAndStatusBarArePaintedByTheEngine) {
  SetFocus(g_after.frame);
  SetCursorPos(5, 1000);
  Pump(100);
  Repaint(g_after.frame);
  EXPECT_EQ(Hex(ClientPixel(g_after.button, 0, 0)), Hex(Want(ThemeColor::ButtonBorder)));
  EXPECT_EQ(Hex(ClientPixel(g_after.button, 2, 2)), Hex(Want(ThemeColor::ButtonFaceNormal)));
  RECT button;
  GetClientRect(g_after.button, &button);
  EXPECT_GT(PixelsNear(g_after.button, button, Want(ThemeColor::ButtonText)), 0) << "caption text";
  // The control paints its pushed look straight away; the engine's follows
  // within the same message.
  SendMessageW(g_after.button, BM_SETSTATE, TRUE, 0);
  EXPECT_EQ(Hex(ClientPixel(g_after.button, 2, 2)), Hex(Want(ThemeColor::ButtonFacePressed)));
  SendMessageW(g_after.button, BM_SETSTATE, FALSE, 0);
  EXPECT_EQ(Hex(ClientPixel(g_after.button, 2, 2)), Hex(Want(ThemeColor::ButtonFaceNormal)));

  const std::wstring text = L"Done \u2013 42 items";
  SendMessageW(g_after.status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L""));
  SendMessageW(g_after.status, SB_SETTEXTW, 1 | SBT_NOBORDERS, reinterpret_cast<LPARAM>(text.c_str()));
  Repaint(g_after.frame);
  RECT empty, filled;
  SendMessageW(g_after.status, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&empty));
  SendMessageW(g_after.status, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&filled));
  EXPECT_EQ(Hex(ClientPixel(g_after.status, (empty.left + empty.right) / 2,
                            (empty.top + empty.bottom) / 2)),
            Hex(Want(ThemeColor::StatusBarBackground)));
  EXPECT_EQ(PixelsNear(g_after.status, empty, Want(ThemeColor::StatusBarText)), 0);
  const int textPixels = PixelsNear(g_after.status, filled, Want(ThemeColor::StatusBarText));
  EXPECT_GT(textPixels, 10);

  // The pane keeps exactly the program's text and drawing type.
  wchar_t back[64] = {};
  const LRESULT lengthAndType = SendMessageW(g_after.status, SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(back));
  EXPECT_EQ(std::wstring(back), text);
  EXPECT_EQ(HIWORD(lengthAndType), SBT_NOBORDERS);

  // Different text, different pixels: the pane shows what was set last.
  SendMessageW(g_after.status, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(L"."));
  Repaint(g_after.frame);
  EXPECT_LT(PixelsNear(g_after.status, filled, Want(ThemeColor::StatusBarText)), textPixels);

  // A burst of texts, as a page sends them, ends with the last one on
  // screen once the thread has pumped its messages, with no forced repaint.
  for (int i = 0; i < 50; ++i) {
    const std::wstring burst = L"step " + std::to_wstring(i);
    SendMessageW(g_after.status, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(burst.c_str()));
  }
  SendMessageW(g_after.status, SB_SETTEXTW, 1 | SBT_NOBORDERS, reinterpret_cast<LPARAM>(text.c_str()));
  Pump(200);
  EXPECT_EQ(PixelsNear(g_after.status, filled, Want(ThemeColor::StatusBarText)), textPixels);
}

TEST_F(SkinnedProcess, LayoutIsIdenticalToTheUnskinnedTwin) {
  RECT skinnedWindow, twinWindow, skinnedClient, twinClient;
  GetWindowRect(g_after.frame, &skinnedWindow);
  GetWindowRect(g_twin.frame, &twinWindow);
  GetClientRect(g_after.frame, &skinnedClient);
  GetClientRect(g_twin.frame, &twinClient);
  EXPECT_TRUE(SameRect(skinnedClient, twinClient));
  EXPECT_EQ(skinnedWindow.right - skinnedWindow.left, twinWindow.right - twinWindow.left);
  EXPECT_EQ(skinnedWindow.bottom - skinnedWindow.top, twinWindow.bottom - twinWindow.top);
  POINT skinnedOrigin{0, 0}, twinOrigin{0, 0};
  ClientToScreen(g_after.frame, &skinnedOrigin);
  ClientToScreen(g_twin.frame, &twinOrigin);
  EXPECT_EQ(skinnedOrigin.x - skinnedWindow.left, twinOrigin.x - twinWindow.left);
  EXPECT_EQ(skinnedOrigin.y - skinnedWindow.top, twinOrigin.y - twinWindow.top);
  const std::pair<HWND, HWND> controls[] = {{g_after.label, g_twin.label},
                                            {g_after.edit, g_twin.edit},
                                            {g_after.chooser, g_twin.chooser},
                                            {g_after.button, g_twin.button},
                                            {g_after.status, g_twin.status}};
  for (const auto& [skinned, twin] : controls) {
    EXPECT_TRUE(SameRect(RectInParent(skinned), RectInParent(twin)));
  }
}

TEST_F(SkinnedProcess, ProgramStillReceivesItsMessages) {
  g_seen = {};
  SetWindowPos(g_after.frame, nullptr, 0, 0, 440, 320, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_GE(g_seen.size, 1);

  SendMessageW(g_after.button, BM_CLICK, 0, 0);
  EXPECT_EQ(g_seen.clicked, 1);
  SetForegroundWindow(g_after.frame);
  Pump(100);
  RECT button;
  GetWindowRect(g_after.button, &button);
  ClickAt(Centre(button));
  EXPECT_EQ(g_seen.clicked, 2) << "a real click on the engine-painted button";

  SetFocus(g_after.frame);
  PostMessageW(g_after.frame, WM_KEYDOWN, VK_F5, 0);
  Pump(100);
  EXPECT_EQ(g_seen.keyDown, 1);
  SetFocus(g_after.edit);
  EXPECT_EQ(GetFocus(), g_after.edit);
  SetWindowPos(g_after.frame, nullptr, 0, 0, 420, 300, SWP_NOMOVE | SWP_NOZORDER);
}

TEST_F(SkinnedProcess, OtherClassesAreLeftAlone) {
  // The page host and anything of the web control keep their own procedure,
  // and so does a button living inside the web control.
  EXPECT_EQ(GetWindowLongPtrW(g_after.host, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&PlainChildProc));
  RegisterWindowClass(L"Shell Embedding", PlainChildProc);
  HWND embedding = Child(g_after.frame, L"Shell Embedding", L"", 0, 300, 220, 40, 80, 60);
  HWND inner = Child(embedding, L"Button", L"x", BS_PUSHBUTTON, 301, 0, 0, 20, 20);
  EXPECT_EQ(GetWindowLongPtrW(embedding, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&PlainChildProc));
  EXPECT_EQ(GetWindowLongPtrW(inner, GWLP_WNDPROC), GetWindowLongPtrW(g_twin.button, GWLP_WNDPROC));
  EXPECT_NE(GetWindowLongPtrW(g_after.button, GWLP_WNDPROC),
            GetWindowLongPtrW(g_twin.button, GWLP_WNDPROC))
      << "the dressed button is subclassed, so the comparison above means something";
  DestroyWindow(embedding);
}

TEST_F(SkinnedProcess, MessageOnlyWindowsAreLeftAlone) {
  // Libraries make these on the UI thread for their own messages (the URL
  // moniker makes one for every download) in the overlapped style, which
  // on a window of the desktop would mean a caption to draw.
  constexpr wchar_t kHelperClass[] = L"VelmoraMessageOnly";
  RegisterWindowClass(kHelperClass, PlainChildProc);
  const HINSTANCE module = GetModuleHandleW(nullptr);
  HWND helper = CreateWindowExW(0, kHelperClass, kHelperClass, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr);
  ASSERT_NE(helper, nullptr);
  EXPECT_EQ(GetWindowLongPtrW(helper, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&PlainChildProc));
  HWND overlapped = CreateWindowExW(0, kHelperClass, kHelperClass, 0, 0, 0, 100, 100, nullptr, nullptr, module, nullptr);
  EXPECT_NE(GetWindowLongPtrW(overlapped, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&PlainChildProc))
      << "the same window on the desktop is dressed, so the check above means something";
  DestroyWindow(overlapped);
  DestroyWindow(helper);
}

TEST_F(SkinnedProcess, CaptionButtonsMaximiseRestoreMinimiseAndClose) {
  TestWindow w = CreateTestWindow(L"Buttons", 300, 300);
  SetForegroundWindow(w.frame);
  Pump(200);
  const auto click = [&](LRESULT code) {
    const RECT area = HitArea(w.frame, code);
    ASSERT_FALSE(IsRectEmpty(&area)) << code;
    ClickAt(Centre(area));
  };
  click(HTMAXBUTTON);
  EXPECT_TRUE(IsZoomed(w.frame));
  click(HTMAXBUTTON);
  EXPECT_FALSE(IsZoomed(w.frame));
  click(HTMINBUTTON);
  EXPECT_TRUE(IsIconic(w.frame));
  ShowWindow(w.frame, SW_RESTORE);
  SetForegroundWindow(w.frame);
  Pump(200);
  g_seen = {};
  click(HTCLOSE);
  EXPECT_EQ(g_seen.close, 1);
  EXPECT_FALSE(IsWindow(w.frame));
}

TEST_F(SkinnedProcess, SecondAttachRethemesWithoutStacking) {
  Theme changed = g_theme;
  changed.colors[static_cast<size_t>(ThemeColor::WindowBackground)] = Rgb{0x30, 0x60, 0x30};
  const std::vector<uint8_t> blob = PackTheme(changed);
  ASSERT_EQ(g_engine.attach(blob.data(), static_cast<int32_t>(blob.size()), nullptr, 0, 0, 0), kSkinOk);
  Repaint(g_before.frame);
  EXPECT_EQ(Hex(ClientPixel(g_before.frame, 300, 150)), Hex(RGB(0x30, 0x60, 0x30)));
  // One subclass still means one click, one BN_CLICKED.
  g_seen = {};
  SendMessageW(g_before.button, BM_CLICK, 0, 0);
  EXPECT_EQ(g_seen.clicked, 1);
  ASSERT_EQ(g_engine.attach(g_blob.data(), static_cast<int32_t>(g_blob.size()), nullptr, 0, 0, 0),
            kSkinOk);
}

}  // namespace
}  // namespace velmora::skin::test

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
