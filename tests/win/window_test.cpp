// The real main window under Wine: load order, places, styles, properties,
// layout, keyboard and the web page view's event sink.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <exdispid.h>
#include <ole2.h>

#include <vector>

#include "app/process_state.h"
#include "app/win_owners.h"
#include "browse/address_rules.h"
#include "ui/main_window.h"
#include "ui/window_handlers.h"
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

void InvokeSink(DISPID id, std::vector<VARIANT>& arguments) {
  DISPPARAMS params = {arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
  MainWebView()->EventSink()->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                                     nullptr);
}

void RaiseStatusText(const std::u16string& text) {
  UniqueBstr bstr = MakeBstr(text);
  std::vector<VARIANT> arguments(1);
  VariantInit(&arguments[0]);
  V_VT(&arguments[0]) = VT_BSTR;
  V_BSTR(&arguments[0]) = bstr.Get();
  InvokeSink(DISPID_STATUSTEXTCHANGE, arguments);
}

VARIANT_BOOL RaiseNewWindow() {
  IDispatch* newWindow = nullptr;
  VARIANT_BOOL cancel = VARIANT_FALSE;
  std::vector<VARIANT> arguments(2);  // reverse order: Cancel is the last argument
  V_VT(&arguments[0]) = VT_BYREF | VT_BOOL;
  V_BOOLREF(&arguments[0]) = &cancel;
  V_VT(&arguments[1]) = VT_BYREF | VT_DISPATCH;
  V_DISPATCHREF(&arguments[1]) = &newWindow;
  InvokeSink(DISPID_NEWWINDOW2, arguments);
  EXPECT_EQ(newWindow, nullptr) << "ppDisp is left alone";
  return cancel;
}

class MainWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (loaded) return;
    OleInitialize(nullptr);
    // Keep every request of the view on a closed loopback port.
    SetEnvironmentVariableW(L"http_proxy", L"http://127.0.0.1:9");
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
