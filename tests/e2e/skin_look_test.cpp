// The real program's look with its carried skin and with no engine anywhere,
// judged by pixels of its window against the carried theme's colours.
#include <gtest/gtest.h>
#include <windows.h>

#include "browse/user_agent_table.h"
#include "loopback_recorder.h"
#include "program_driver.h"
#include "skin/carried_blobs.h"
#include "../win/test_support.h"
#include "theme_format.h"

namespace velmora {
namespace {

using namespace velmora::testing;

// The theme exactly as velmora.exe carries it.
skin::Theme CarriedTheme() {
  skin::Theme theme;
  HMODULE image = LoadLibraryExW(ProgramUnderTest().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (image == nullptr) return theme;
  HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(VELMORA_RESOURCE_SKIN_THEME), MAKEINTRESOURCEW(10));
  if (found != nullptr) {
    auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(image, found)));
    EXPECT_EQ(skin::ParseTheme(data, SizeofResource(image, found), theme), 0);
  }
  FreeLibrary(image);
  return theme;
}

COLORREF AsColorRef(skin::Rgb c) { return RGB(c.r, c.g, c.b); }

COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  COLORREF pixel = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return pixel;
}

struct Look {
  COLORREF client, caption;
  bool firstRequestWithRowTen;
};

// Starts the program with the given temporary folder and samples its window:
// the client background in the gap between the address box and "UA:", and
// the caption bar left of the title buttons.
Look Sample(const std::wstring& temporaryFolder, const std::wstring& shotName) {
  Look look = {CLR_INVALID, CLR_INVALID, false};
  LoopbackRecorder recorder;
  RunningProgram program;
  LaunchOptions options;
  options.program = ProgramUnderTest();
  options.environment = {L"http_proxy=http://127.0.0.1:" + std::to_wstring(recorder.Port()), L"TMP=" + temporaryFolder,
                         L"TEMP=" + temporaryFolder};
  if (!program.Start(options) || program.WaitForWindow() == nullptr) return look;
  RecordedRequest first;
  look.firstRequestWithRowTen =
      recorder.WaitFor([](const RecordedRequest&) { return true; }, 20000, &first) &&
      first.userAgent == kUserAgentTable[10].userAgent;
  Sleep(1500);  // let both frames and controls finish painting
  RedrawWindow(program.Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(500);
  POINT gap = {578, 31};
  ClientToScreen(program.Window(), &gap);
  look.client = ScreenPixel(gap.x, gap.y);
  RECT outer, client;
  GetWindowRect(program.Window(), &outer);
  GetClientRect(program.Window(), &client);
  POINT clientTop = {0, 0};
  ClientToScreen(program.Window(), &clientTop);
  // Halfway down the caption band, well clear of the title and the buttons.
  look.caption = ScreenPixel(outer.left + 400, (outer.top + clientTop.y) / 2);
  SaveWindowShot(program.Window(), ArtefactFolder() + L"\\" + shotName);
  EXPECT_TRUE(program.OtherWindows().empty()) << "no error box";
  return look;
}

TEST(SkinLookTest, WithTheCarriedEngineTheWindowWearsTheTheme) {
  skin::Theme theme = CarriedTheme();
  Look look = Sample(TestFolder(L"skinned-temp"), L"skinned-window.bmp");
  EXPECT_EQ(look.client, AsColorRef(theme.Color(skin::ThemeColor::WindowBackground)));
  EXPECT_TRUE(look.caption == AsColorRef(theme.Color(skin::ThemeColor::CaptionActive)) ||
              look.caption == AsColorRef(theme.Color(skin::ThemeColor::CaptionInactive)))
      << std::hex << look.caption;
  EXPECT_TRUE(look.firstRequestWithRowTen);
}

TEST(SkinLookTest, WithNoEngineAnywhereTheWindowKeepsThePlainLook) {
  skin::Theme theme = CarriedTheme();
  // A temporary folder that does not exist: the engine cannot be written,
  // and no fallback copy lies beside the program or in the system folder.
  Look look = Sample(L"C:\\velmora-no-such-folder", L"plain-window.bmp");
  EXPECT_EQ(look.client, GetSysColor(COLOR_BTNFACE));
  EXPECT_NE(look.client, AsColorRef(theme.Color(skin::ThemeColor::WindowBackground)));
  EXPECT_NE(look.caption, AsColorRef(theme.Color(skin::ThemeColor::CaptionActive)));
  EXPECT_NE(look.caption, AsColorRef(theme.Color(skin::ThemeColor::CaptionInactive)));
  EXPECT_TRUE(look.firstRequestWithRowTen) << "the first page still opens";
}

}  // namespace
}  // namespace velmora
