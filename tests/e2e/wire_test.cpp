// The real program under wine64, driven from outside, with every request it
// makes going through a loopback recorder: what a site would receive.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>

#include "browse/user_agent_table.h"
#include "loopback_recorder.h"
#include "program_driver.h"

namespace velmora {
namespace {

using namespace velmora::testing;

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

class WireTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    recorder = new LoopbackRecorder();
    if (!recorder->Listening()) return;
    program = new RunningProgram();
    LaunchOptions options;
    options.program = ProgramUnderTest();
    options.environment = {L"http_proxy=http://127.0.0.1:" + std::to_wstring(recorder->Port())};
    if (program->Start(options)) program->WaitForWindow();
  }
  static void TearDownTestSuite() {
    delete program;
    delete recorder;
    program = nullptr;
    recorder = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(recorder->Listening());
    ASSERT_NE(program->Window(), nullptr) << "the main window did not appear";
  }
  std::string Local(const std::string& path) { return "http://127.0.0.1:" + std::to_string(recorder->Port()) + path; }
  // Browses to `address` and returns the request whose target ends with `expectedTarget`.
  RecordedRequest BrowseAndWait(const std::string& address, const std::string& expectedTarget) {
    program->SetAddress(Wide(address));
    program->ClickBrowse();
    RecordedRequest found;
    bool arrived = recorder->WaitFor(
        [&](const RecordedRequest& r) { return Lower(RequestTarget(r)) == Lower(expectedTarget); }, 20000, &found);
    EXPECT_TRUE(arrived) << "no request for " << expectedTarget;
    return found;
  }

  static LoopbackRecorder* recorder;
  static RunningProgram* program;
};
LoopbackRecorder* WireTest::recorder = nullptr;
RunningProgram* WireTest::program = nullptr;

TEST_F(WireTest, FirstRequestIsTheLandingAddressWithRowTen) {
  RecordedRequest first;
  ASSERT_TRUE(recorder->WaitFor(
      [](const RecordedRequest& r) { return RequestTarget(r).find("velmora.example") != std::string::npos; }, 30000,
      &first));
  EXPECT_EQ(Lower(RequestTarget(first)), "http://www.velmora.example/?tobim");
  EXPECT_EQ(first.userAgent, kUserAgentTable[10].userAgent);
  EXPECT_EQ(program->AddressText(), L"http://www.velmora.example/");
  EXPECT_EQ(program->ChooserText(), L"2345浏览器");
  std::wstring status = program->StatusText(0);
  bool printable = std::all_of(status.begin(), status.end(), [](wchar_t c) { return c >= 0x20; });
  EXPECT_TRUE(status == L"Velmora" || printable) << "status text shows garbage";
}

TEST_F(WireTest, WindowIsCentredOnTheDesktop) {
  RECT outer;
  GetWindowRect(program->Window(), &outer);
  EXPECT_EQ(outer.right - outer.left, 882);
  EXPECT_EQ(outer.bottom - outer.top, 570);
  if (GetSystemMetrics(SM_CXSCREEN) == 1920 && GetSystemMetrics(SM_CYSCREEN) == 1080) {
    EXPECT_EQ(outer.left, 519);
    EXPECT_EQ(outer.top, 255);
  }
  EXPECT_TRUE(SaveWindowShot(program->Window(), ArtefactFolder() + L"\\wire-window.bmp"));
}

TEST_F(WireTest, EveryRowGoesOutWithExactlyItsIdentity) {
  for (int row = 0; row < 16; ++row) {
    program->Choose(row);
    std::string address = Local("/row/" + std::to_string(row));
    RecordedRequest request = BrowseAndWait(address, address);
    EXPECT_EQ(request.userAgent, kUserAgentTable[row].userAgent) << "row " << row;
  }
}

TEST_F(WireTest, WithoutASelectedRowTheIdentityInForceStays) {
  program->Choose(4);
  BrowseAndWait(Local("/before"), Local("/before"));
  program->Choose(-1);
  RecordedRequest cleared = BrowseAndWait(Local("/cleared"), Local("/cleared"));
  EXPECT_EQ(cleared.userAgent, kUserAgentTable[4].userAgent);
  // Typing over the chooser's field leaves no item selected either.
  SendMessageW(program->Control(kChooserId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"my own browser"));
  RecordedRequest typed = BrowseAndWait(Local("/typed"), Local("/typed"));
  EXPECT_EQ(typed.userAgent, kUserAgentTable[4].userAgent);
  program->Choose(10);
}

TEST_F(WireTest, PortalAddressesGoToTheLandingAddressAndLookalikesWhereTheySay) {
  struct Case {
    std::string typed, expectedTarget;
  };
  const Case cases[] = {
      {"http://velmora.example/any/path", "http://www.velmora.example/?tobim"},
      {"http://wwwvelmora.example/page", "http://wwwvelmora.example/page"},
      {"http://WWW.velmora.example/caps", "http://www.velmora.example/caps"},
  };
  for (const Case& c : cases) {
    recorder->Clear();
    BrowseAndWait(c.typed, c.expectedTarget);
    EXPECT_EQ(program->AddressText(), Wide(c.typed)) << "the box keeps what was typed";
  }
}

TEST_F(WireTest, BackAfterTwoPagesIsHarmless) {
  BrowseAndWait(Local("/first"), Local("/first"));
  BrowseAndWait(Local("/second"), Local("/second"));
  recorder->Clear();
  program->ClickBack();
  Sleep(1500);
  for (const RecordedRequest& r : recorder->Requests()) {
    EXPECT_EQ(RequestTarget(r), Local("/first")) << "Back can only revisit the first page";
  }
  EXPECT_TRUE(program->OtherWindows().empty()) << "no dialog";
  EXPECT_TRUE(program->Responds());
}

TEST_F(WireTest, ZzEscapeClosesTheWindowAndTheProcessEndsWithZero) {
  PostMessageW(program->Control(kAddressBoxId), WM_KEYDOWN, VK_ESCAPE, 1);
  DWORD exitCode = 1234;
  ASSERT_TRUE(program->WaitForExit(20000, &exitCode));
  EXPECT_EQ(exitCode, 0u);
}

// Run on an 800x600 desktop of its own (see the ctest entry): the program
// started from here shares it.
TEST(SmallScreenTest, OnAn800By600DesktopTheWindowStartsAtMinus41And15) {
  if (GetSystemMetrics(SM_CXSCREEN) != 800 || GetSystemMetrics(SM_CYSCREEN) != 600) {
    GTEST_SKIP() << "needs an 800x600 desktop";
  }
  LoopbackRecorder recorder;
  RunningProgram program;
  LaunchOptions options;
  options.program = ProgramUnderTest();
  options.environment = {L"http_proxy=http://127.0.0.1:" + std::to_wstring(recorder.Port())};
  ASSERT_TRUE(program.Start(options));
  HWND window = program.WaitForWindow();
  ASSERT_NE(window, nullptr);
  RECT outer;
  GetWindowRect(window, &outer);
  EXPECT_EQ(outer.left, -41);
  EXPECT_EQ(outer.top, 15);
  EXPECT_EQ(outer.right - outer.left, 882);
  EXPECT_EQ(outer.bottom - outer.top, 570);
  PostMessageW(program.Control(kAddressBoxId), WM_KEYDOWN, VK_ESCAPE, 1);
  DWORD exitCode = 1234;
  ASSERT_TRUE(program.WaitForExit(20000, &exitCode));
  EXPECT_EQ(exitCode, 0u);
}

}  // namespace
}  // namespace velmora
