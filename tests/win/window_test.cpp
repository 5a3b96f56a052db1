// The real main window under Wine: load order, places, styles, properties,
// layout, keyboard and the web page view's event sink.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <exdispid.h>
#include <ole2.h>

#include <random>
#include <vector>

#include "app/process_state.h"
#include "app/win_owners.h"
#include "browse/address_rules.h"
#include "ui/main_window.h"
#include "ui/window_handlers.h"
#include "browse/browse_handlers.h"
#include "browse/user_agent_table.h"
#include "event_sink_driver.h"
#include "loopback_recorder.h"
#include "test_support.h"
#include "webview/web_view.h"

namespace velmora {
namespace {

struct SeenEvent {
  BoundEvent event;
  bool windowVisible;
};
std::vector<SeenEvent> seenEvents;
std::vector<std::u16string> navigations;
bool loaded = false;
bool quitSeen = false;
testing::LoopbackRecorder* recorder = nullptr;

void Pump(DWORD milliseconds = 50) {
  DWORD until = GetTickCount() + milliseconds;
  do {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quitSeen = true;
        return;
      }
      if (PreTranslateWindowMessage(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(5);
  } while (GetTickCount() < until);
}

std::string RecorderAddress(const std::string& path) {
  return "http://127.0.0.1:" + std::to_string(recorder->Port()) + path;
}

// A normal Browse: does it still go out with the chosen row's identity?
bool NormalBrowseCarries(int row, const std::string& path) {
  std::string address = RecorderAddress(path);
  SendMessageW(ControlWindow(ControlId::Chooser), CB_SETCURSEL, static_cast<WPARAM>(row), 0);
  SetWindowTextW(ControlWindow(ControlId::AddressBox), std::wstring(address.begin(), address.end()).c_str());
  OnBrowse();
  testing::RecordedRequest found;
  DWORD until = GetTickCount() + 20000;
  while (GetTickCount() < until) {
    Pump(50);
    if (recorder->WaitFor([&](const testing::RecordedRequest& r) { return testing::RequestTarget(r) == address; }, 0,
                          &found)) {
      return found.userAgent == kUserAgentTable[row].userAgent;
    }
  }
  return false;
}

// Visible top-level windows of this thread other than the main window: a
// dialog, or a window the view opened.
int OtherTopLevelWindows() {
  int count = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM parameter) {
        if (window != MainWindowHandle() && IsWindowVisible(window)) ++*reinterpret_cast<int*>(parameter);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

HWND Control(ControlId id) { return ControlWindow(id); }

// The dropped-down list reaches 160 pixels from the chooser's top. Windows
// reports that reach directly; Wine's list rectangle leaves the field's own
// height out of the same number.
int DroppedHeight() {
  RECT field, dropped;
  GetWindowRect(Control(ControlId::Chooser), &field);
  SendMessageW(Control(ControlId::Chooser), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
  int reach = dropped.bottom - field.top;
  int fieldHeight = field.bottom - field.top;
  return reach == 160 ? reach : reach + fieldHeight + 1;  // Wine also keeps the list's one-pixel overlap
}

RECT ClientRectOf(ControlId id) {
  RECT rect;
  GetWindowRect(Control(id), &rect);
  MapWindowPoints(HWND_DESKTOP, MainWindowHandle(), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::u16string TextOf(HWND window) {
  int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(length));
  return std::u16string(text.begin(), text.end());
}

// The bar reports lengths in 16 bits; the buffer is sized for the text the
// test sent so a long text cannot overrun it.
std::u16string PaneText(int index, size_t expectedLength) {
  HWND bar = Control(ControlId::StatusBar);
  std::wstring text(expectedLength + 65536, L'\0');
  SendMessageW(bar, SB_GETTEXTW, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(wcslen(text.c_str()));
  return std::u16string(text.begin(), text.end());
}

using testing::RaiseNewWindow;
using testing::RaiseStatusText;

class MainWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (loaded) return;
    OleInitialize(nullptr);
    // Every request of the view goes to a loopback recorder.
    recorder = new testing::LoopbackRecorder();
    std::wstring proxy = L"http://127.0.0.1:" + std::to_wstring(recorder->Port());
    SetEnvironmentVariableW(L"http_proxy", proxy.c_str());
    SetEventObserver([](BoundEvent event) {
      seenEvents.push_back({event, MainWindowHandle() != nullptr && IsWindowVisible(MainWindowHandle()) != 0});
    });
    SetNavigationObserver([](std::u16string_view url) { navigations.emplace_back(url); });
    loaded = LoadMainWindow();
    Pump(300);
  }
  void SetUp() override { ASSERT_TRUE(loaded); }
};

TEST_F(MainWindowTest, LoadRunsCreatedThenOneHiddenResizeThenShows) {
  ASSERT_FALSE(seenEvents.empty());
  EXPECT_EQ(seenEvents[0].event, BoundEvent::Created);
  EXPECT_FALSE(seenEvents[0].windowVisible);
  auto firstResize = std::find_if(seenEvents.begin(), seenEvents.end(),
                                  [](const SeenEvent& e) { return e.event == BoundEvent::SizeChanged; });
  ASSERT_NE(firstResize, seenEvents.end());
  EXPECT_FALSE(firstResize->windowVisible) << "the first layout runs before the window is visible";
  EXPECT_TRUE(IsWindowVisible(MainWindowHandle()));
  EXPECT_EQ(GetFocus(), Control(ControlId::AddressBox));
}

TEST_F(MainWindowTest, WindowIsCentredWithItsOuterSizeAndSettings) {
  RECT outer;
  GetWindowRect(MainWindowHandle(), &outer);
  Point expected = CentredPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(outer.left, expected.x);
  EXPECT_EQ(outer.top, expected.y);
  EXPECT_EQ(outer.right - outer.left, 882);
  EXPECT_EQ(outer.bottom - outer.top, 570);
  struct Screen {
    int width, height, left, top;
  };
  for (const Screen& screen : {Screen{1920, 1080, 519, 255}, Screen{800, 600, -41, 15}}) {
    if (GetSystemMetrics(SM_CXSCREEN) == screen.width && GetSystemMetrics(SM_CYSCREEN) == screen.height) {
      EXPECT_EQ(outer.left, screen.left);
      EXPECT_EQ(outer.top, screen.top);
    }
  }
  EXPECT_EQ(TextOf(MainWindowHandle()), u"Velmora");
  LONG style = GetWindowLongW(MainWindowHandle(), GWL_STYLE);
  for (LONG bit : {WS_CAPTION, WS_SYSMENU, WS_THICKFRAME, WS_MINIMIZEBOX, WS_MAXIMIZEBOX}) EXPECT_EQ(style & bit, bit);
  EXPECT_EQ(GetWindow(MainWindowHandle(), GW_OWNER), nullptr);
  EXPECT_EQ(GetWindowLongW(MainWindowHandle(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_NE(GetClassLongPtrW(MainWindowHandle(), GCLP_HICON), 0);
  EXPECT_NE(GetClassLongPtrW(MainWindowHandle(), GCLP_HICONSM), 0);
}

TEST_F(MainWindowTest, StackingIsTheReverseOfCreation) {
  std::vector<HWND> expected;
  for (int i = kControlCount - 1; i >= 0; --i) expected.push_back(Control(static_cast<ControlId>(i)));
  std::vector<HWND> actual;
  for (HWND child = GetWindow(MainWindowHandle(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    actual.push_back(child);
  }
  EXPECT_EQ(actual, expected);
}

TEST_F(MainWindowTest, ControlsCarryTheirSettingsTextsAndItems) {
  struct Case {
    ControlId id;
    const wchar_t* windowClass;
    std::u16string text;
    LONG requiredStyle, forbiddenStyle;
  };
  const Case cases[] = {
      {ControlId::AddressBox, L"Edit", u"http://www.velmora.example/", ES_AUTOHSCROLL | WS_TABSTOP,
       ES_NOHIDESEL | ES_READONLY | ES_PASSWORD | ES_UPPERCASE | ES_LOWERCASE | ES_MULTILINE},
      {ControlId::AddressLabel, L"Static", u"地址：", SS_CENTERIMAGE | SS_LEFTNOWORDWRAP, WS_TABSTOP | WS_BORDER},
      {ControlId::AgentLabel, L"Static", u"UA:", SS_CENTERIMAGE | SS_LEFTNOWORDWRAP, WS_TABSTOP | WS_BORDER},
      {ControlId::BrowseButton, L"Button", u"浏览", BS_MULTILINE | WS_TABSTOP, BS_DEFPUSHBUTTON | BS_BITMAP | BS_ICON},
      {ControlId::BackButton, L"Button", u"后退", BS_MULTILINE | WS_TABSTOP, BS_DEFPUSHBUTTON | BS_BITMAP | BS_ICON},
      {ControlId::Chooser, L"ComboBox", u"2345浏览器", CBS_DROPDOWN | WS_TABSTOP, CBS_SORT | (CBS_DROPDOWNLIST & ~CBS_DROPDOWN)},
      {ControlId::StatusBar, STATUSCLASSNAMEW, u"", SBARS_TOOLTIPS, SBARS_SIZEGRIP | WS_TABSTOP},
  };
  for (const Case& c : cases) {
    HWND control = Control(c.id);
    wchar_t className[64];
    GetClassNameW(control, className, 64);
    EXPECT_EQ(std::wstring(className), c.windowClass);
    if (c.id != ControlId::StatusBar) {
      EXPECT_EQ(TextOf(control), c.text) << static_cast<int>(c.id);
    }
    LONG style = GetWindowLongW(control, GWL_STYLE);
    EXPECT_EQ(style & c.requiredStyle, c.requiredStyle) << static_cast<int>(c.id);
    EXPECT_EQ(style & c.forbiddenStyle, 0) << static_cast<int>(c.id);
    EXPECT_TRUE(IsWindowVisible(control) && IsWindowEnabled(control));
    if (c.id != ControlId::StatusBar) {
      EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT));
    }
  }
  EXPECT_NE(GetWindowLongW(Control(ControlId::AddressBox), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  EXPECT_GE(static_cast<DWORD>(SendMessageW(Control(ControlId::AddressBox), EM_GETLIMITTEXT, 0, 0)), 0x7FFFFFFEu);

  HWND chooser = Control(ControlId::Chooser);
  ASSERT_EQ(SendMessageW(chooser, CB_GETCOUNT, 0, 0), 16);
  for (int i = 0; i < 16; ++i) {
    wchar_t item[64] = {};
    SendMessageW(chooser, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
    std::wstring wide(item);
    EXPECT_EQ(std::u16string(wide.begin(), wide.end()), kChooserItems[i]) << i;
  }
  EXPECT_EQ(DroppedHeight(), 160);
}

TEST_F(MainWindowTest, CreatedHandlerSelectedRowTenBrowsedAndAddedOnePane) {
  EXPECT_EQ(SendMessageW(Control(ControlId::Chooser), CB_GETCURSEL, 0, 0), 10);
  ASSERT_FALSE(navigations.empty());
  EXPECT_EQ(navigations.front(), PortalLandingAddress());
  EXPECT_EQ(TextOf(Control(ControlId::AddressBox)), InitialAddressText()) << "the box keeps its text";
  ASSERT_EQ(StatusBarPanes().size(), 1u);
  const Pane& pane = StatusBarPanes()[0];
  RECT bar;
  GetClientRect(Control(ControlId::StatusBar), &bar);
  EXPECT_EQ(pane.width, bar.right - bar.left);
  EXPECT_EQ(pane.border, PaneBorder::None);
  EXPECT_EQ(SendMessageW(Control(ControlId::StatusBar), SB_GETPARTS, 0, 0), 1);
}

TEST_F(MainWindowTest, LayoutFollowsTheOuterSizeOnTheRealWindow) {
  struct Case {
    int width, height;
  };
  for (const Case& c : {Case{882, 570}, Case{982, 620}, Case{882, 570}}) {
    SetWindowPos(MainWindowHandle(), nullptr, 0, 0, c.width, c.height, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    RECT view = ClientRectOf(ControlId::WebView);
    EXPECT_EQ(view.left, 1);
    EXPECT_EQ(view.top, 35);
    EXPECT_EQ(view.right - view.left, c.width - 5);
    EXPECT_EQ(view.bottom - view.top, c.height - 90);
    EXPECT_EQ(ClientRectOf(ControlId::BrowseButton).left, c.width - 74);
    EXPECT_EQ(ClientRectOf(ControlId::BackButton).left, c.width - 138);
    EXPECT_EQ(ClientRectOf(ControlId::Chooser).left, c.width - 270);
    EXPECT_EQ(ClientRectOf(ControlId::AgentLabel).left, c.width - 294);
    RECT box = ClientRectOf(ControlId::AddressBox);
    EXPECT_EQ(box.right - box.left, c.width - 362);
    EXPECT_EQ(box.left, 48);
    EXPECT_EQ(ClientRectOf(ControlId::BrowseButton).top, 3);
    EXPECT_EQ(ClientRectOf(ControlId::Chooser).top, 6);
  }
}

TEST_F(MainWindowTest, MinimiseThenRestoreGivesBackTheSameLayout) {
  std::vector<RECT> before;
  for (int i = 0; i < kControlCount; ++i) before.push_back(ClientRectOf(static_cast<ControlId>(i)));
  ShowWindow(MainWindowHandle(), SW_MINIMIZE);
  Pump();
  ShowWindow(MainWindowHandle(), SW_RESTORE);
  Pump();
  for (int i = 0; i < kControlCount; ++i) {
    RECT after = ClientRectOf(static_cast<ControlId>(i));
    EXPECT_TRUE(EqualRect(&after, &before[static_cast<size_t>(i)])) << "control " << i;
  }
}

TEST_F(MainWindowTest, NumberedPropertiesAreClampedAndReadFresh) {
  ControlProperties& p = MainWindowProperties();
  ControlRef chooser = ControlRef::Of(ControlId::Chooser);
  p.WriteInt(chooser, kPropertySelection, 16);
  EXPECT_EQ(p.ReadInt(chooser, kPropertySelection), 15);
  p.WriteInt(chooser, kPropertySelection, -5);
  EXPECT_EQ(p.ReadInt(chooser, kPropertySelection), -1);
  p.WriteInt(chooser, kPropertySelection, 10);

  ControlRef box = ControlRef::Of(ControlId::AddressBox);
  p.WriteInt(box, kPropertyWidth, -3);
  EXPECT_EQ(p.ReadInt(box, kPropertyWidth), 0);
  ControlRef browse = ControlRef::Of(ControlId::BrowseButton);
  p.WriteInt(browse, kPropertyLeft, 40000);
  EXPECT_EQ(p.ReadInt(browse, kPropertyLeft), 32627);
  // Moved behind the properties' back: the next read sees it.
  SetWindowPos(Control(ControlId::BrowseButton), nullptr, 123, 3, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(p.ReadInt(browse, kPropertyLeft), 123);

  RECT outer;
  GetWindowRect(MainWindowHandle(), &outer);
  EXPECT_EQ(p.ReadInt(ControlRef::Window(), kPropertyWidth), outer.right - outer.left);
  EXPECT_EQ(p.ReadInt(ControlRef::Window(), kPropertyHeight), outer.bottom - outer.top);
  // A combo box keeps its list's reach when its width changes (give or take
  // the pixel by which Wine's list rectangle differs after a resize).
  int reach = DroppedHeight();
  int width = p.ReadInt(chooser, kPropertyWidth);
  p.WriteInt(chooser, kPropertyWidth, width + 10);
  EXPECT_EQ(p.ReadInt(chooser, kPropertyWidth), width + 10);
  EXPECT_NEAR(DroppedHeight(), reach, 1);
  p.WriteInt(chooser, kPropertyWidth, width);
  OnWindowResized();
  EXPECT_EQ(p.ReadInt(browse, kPropertyLeft), (outer.right - outer.left) - 74);
}

TEST_F(MainWindowTest, StatusTextsReachPaneZeroUnitForUnit) {
  std::u16string hostile = u"Loading 世界 ";
  hostile.push_back(char16_t{0xD800});  // unpaired
  hostile += u" \U0001F600 end";
  for (const std::u16string& text : {std::u16string(u"Done"), hostile, std::u16string(), std::u16string(70000, u'z')}) {
    RaiseStatusText(text);
    EXPECT_EQ(PaneText(0, text.size()), text);
    ASSERT_TRUE(Process().lastStatusText.has_value());
    EXPECT_EQ(*Process().lastStatusText, text);
  }
}

TEST_F(MainWindowTest, NewWindowsAreRefusedAndTheLastStatusTextOpens) {
  struct Case {
    std::u16string status;
    bool navigates;
  };
  const Case cases[] = {
      {u"http://127.0.0.1:9/next", true},
      {u"Done", true},
      {u"file:///C:/windows/win.ini", false},
      {u"javascript:alert(1)", false},
  };
  for (const Case& c : cases) {
    RaiseStatusText(c.status);
    navigations.clear();
    // Two requests with no status text between them.
    EXPECT_EQ(RaiseNewWindow(), VARIANT_TRUE);
    EXPECT_EQ(RaiseNewWindow(), VARIANT_TRUE);
    Pump(100);
    {
      if (c.navigates) {
        EXPECT_EQ(navigations, std::vector<std::u16string>(2, c.status));
      } else {
        EXPECT_TRUE(navigations.empty());
      }
    }
  }
}

void PressKey(HWND target, WPARAM key, bool shift = false) {
  BYTE state[256];
  GetKeyboardState(state);
  state[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(state);
  PostMessageW(target, WM_KEYDOWN, key, 1);
  Pump(30);
  state[VK_SHIFT] = 0;
  SetKeyboardState(state);
}

TEST_F(MainWindowTest, TabAndShiftTabCycleInCreationOrder) {
  const ControlId order[] = {ControlId::AddressBox, ControlId::BrowseButton, ControlId::Chooser, ControlId::BackButton,
                             ControlId::AddressBox};
  SetFocus(Control(ControlId::AddressBox));
  for (size_t i = 1; i < std::size(order); ++i) {
    PressKey(GetFocus(), VK_TAB);
    HWND expected = Control(order[i]);
    HWND focus = GetFocus();
    EXPECT_TRUE(focus == expected || IsChild(expected, focus)) << "step " << i;
  }
  PressKey(GetFocus(), VK_TAB, true);
  EXPECT_EQ(GetFocus(), Control(ControlId::BackButton));
}

TEST_F(MainWindowTest, EnterDoesNotBrowseAndReactivationRestoresTheFocus) {
  size_t browses = std::count_if(seenEvents.begin(), seenEvents.end(),
                                 [](const SeenEvent& e) { return e.event == BoundEvent::BrowseClicked; });
  SetFocus(Control(ControlId::AddressBox));
  PressKey(Control(ControlId::AddressBox), VK_RETURN);
  SetFocus(Control(ControlId::BrowseButton));
  PressKey(Control(ControlId::BrowseButton), VK_RETURN);
  EXPECT_EQ(std::count_if(seenEvents.begin(), seenEvents.end(),
                          [](const SeenEvent& e) { return e.event == BoundEvent::BrowseClicked; }),
            static_cast<long>(browses));

  SetFocus(Control(ControlId::BackButton));
  SendMessageW(MainWindowHandle(), WM_ACTIVATE, WA_INACTIVE, 0);
  SetFocus(nullptr);
  SendMessageW(MainWindowHandle(), WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(GetFocus(), Control(ControlId::BackButton));
}

TEST_F(MainWindowTest, HugeAddressesThroughBrowseLeaveTheWindowWorking) {
  struct Case {
    const char* what;
    std::wstring address;
    bool landing;
  };
  std::string local = RecorderAddress("/");
  const Case cases[] = {
      {"1 MiB address", std::wstring(local.begin(), local.end()) + std::wstring(1 << 20, L'a'), false},
      {"16 MiB address", std::wstring(local.begin(), local.end()) + std::wstring(16 << 20, L'b'), false},
      {"portal form at the end of 1 MiB", std::wstring(1 << 20, L'z') + L"www.velmora.example", true},
  };
  int row = 3;
  for (const Case& c : cases) {
    recorder->Clear();
    navigations.clear();
    SetWindowTextW(Control(ControlId::AddressBox), c.address.c_str());
    OnBrowse();
    Pump(200);
    ASSERT_NE(MainWindowHandle(), nullptr) << c.what;
    EXPECT_EQ(OtherTopLevelWindows(), 0) << c.what;
    if (c.landing) {
      EXPECT_EQ(navigations, std::vector<std::u16string>{PortalLandingAddress()}) << c.what;
    } else {
      EXPECT_TRUE(navigations.empty()) << c.what << ": longer than the view can open";
    }
    row = (row + 7) % 16;
    EXPECT_TRUE(NormalBrowseCarries(row, "/after-huge/" + std::to_string(row))) << c.what;
  }
  SetWindowTextW(Control(ControlId::AddressBox), L"http://www.velmora.example/");
}

TEST_F(MainWindowTest, StormsOfStatusTextsAndNewWindowRequests) {
  std::mt19937 random(42);
  std::uniform_int_distribution<int> length(0, 64 * 1024), unit(1, 0xFFFF);
  std::u16string last;
  for (int i = 0; i < 10000; ++i) {
    std::u16string text(static_cast<size_t>(length(random)), u'\0');
    for (char16_t& c : text) c = static_cast<char16_t>(unit(random));
    RaiseStatusText(text);
    last = std::move(text);
    if (i % 500 == 0) Pump(1);
  }
  ASSERT_TRUE(Process().lastStatusText.has_value());
  EXPECT_TRUE(*Process().lastStatusText == last) << "the stored text differs";
  // The bar itself turns control characters into spaces when it keeps a
  // text, so what it shows is compared for a text without them.
  std::uniform_int_distribution<int> visible(0x20, 0xFFFF);
  std::u16string expected(64 * 1024, u' ');
  for (char16_t& c : expected) c = static_cast<char16_t>(visible(random));
  RaiseStatusText(expected);
  std::u16string shown = PaneText(0, expected.size());
  size_t differ = std::mismatch(shown.begin(), shown.end(), expected.begin(), expected.end()).first - shown.begin();
  EXPECT_TRUE(shown == expected) << "shown " << shown.size() << " units, expected " << expected.size()
                                 << "; first difference at " << differ << ": "
                                 << (differ < shown.size() ? int(shown[differ]) : -1) << " vs "
                                 << (differ < expected.size() ? int(expected[differ]) : -1);

  std::string target = RecorderAddress("/new-window");
  RaiseStatusText(std::u16string(target.begin(), target.end()));
  navigations.clear();
  int refused = 0;
  for (int i = 0; i < 1000; ++i) refused += RaiseNewWindow() == VARIANT_TRUE ? 1 : 0;
  EXPECT_EQ(refused, 1000);
  EXPECT_EQ(navigations.size(), 1000u);
  Pump(500);
  ASSERT_NE(MainWindowHandle(), nullptr);
  EXPECT_EQ(OtherTopLevelWindows(), 0);
  EXPECT_TRUE(NormalBrowseCarries(12, "/after-storm"));
}

// Last: Esc closes the window, which ends the loop.
TEST_F(MainWindowTest, ZzEscapeFromTheAddressBoxClosesTheWindow) {
  SetFocus(Control(ControlId::AddressBox));
  PressKey(Control(ControlId::AddressBox), VK_ESCAPE);
  EXPECT_EQ(MainWindowHandle(), nullptr);
  Pump(100);
  EXPECT_TRUE(quitSeen);
}

TEST(MainWindowLoadFailure, AControlThatCannotBeCreatedFailsTheWholeLoad) {
  testing::ChildResult child = testing::RunChild(testing::ThisProgram(), L"--child=no-webview", L"", {});
  ASSERT_TRUE(child.finished);
  EXPECT_EQ(child.exitCode, 0u) << "1: the load reported success; 2: a window was left behind";
}

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--child=no-webview") {
    OleInitialize(nullptr);
    velmora::SetLoadOptions({true});
    bool loaded = velmora::LoadMainWindow();
    HWND left = FindWindowW(L"VelmoraMainWindow", nullptr);
    return loaded ? 1 : (left != nullptr ? 2 : 0);
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
