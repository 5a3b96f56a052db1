#include "browse/navigation_commands.h"

#include <gtest/gtest.h>

#include "app/process_state.h"
#include "browse/user_agent_table.h"
#include "fake_controls.h"
#include "fake_loader.h"

namespace velmora {
namespace {

using testing::FakeControls;

class RecordingView final : public PageView {
 public:
  explicit RecordingView(std::vector<std::string>& log) : log_(log) {}
  void Navigate(std::u16string_view address) override {
    log_.push_back("navigate");
    addresses.emplace_back(address);
  }
  void GoBack() override { log_.push_back("back"); }
  std::vector<std::u16string> addresses;

 private:
  std::vector<std::string>& log_;
};

class RecordingPanes final : public StatusPanes {
 public:
  int paneCount = 1;
  std::vector<std::u16string> shown;
  void SetPaneText(int index, std::u16string_view text) override {
    if (index >= 0 && index < paneCount) shown.emplace_back(text);
  }
};

class NavigationTest : public ::testing::Test {
 protected:
  void SetUp() override { Process() = ProcessState{}; }
  void TearDown() override { Process() = ProcessState{}; }
  void RunBrowse() {
    Browse(controls, view, [this](std::string_view userAgent) {
      controls.log.push_back("apply user agent");
      applied.emplace_back(userAgent);
      return true;
    });
  }
  FakeControls controls;
  RecordingView view{controls.log};
  std::vector<std::string_view> applied;  // views: the constants themselves
};

TEST_F(NavigationTest, BrowseChoosesTheAddressThenTheIdentityThenNavigates) {
  controls.addressText = u"http://www.velmora.example/";
  controls.selection = 10;
  RunBrowse();
  EXPECT_EQ(controls.log,
            (std::vector<std::string>{"read address", "read selection", "apply user agent", "navigate"}));
  ASSERT_EQ(applied.size(), 1u);
  EXPECT_EQ(applied[0].data(), kUserAgentTable[10].userAgent.data()) << "the constant itself, not a copy";
  EXPECT_EQ(view.addresses, (std::vector<std::u16string>{u"http://www.velmora.example/?tobim"}));
  EXPECT_EQ(controls.addressText, u"http://www.velmora.example/") << "the box keeps what was typed";
  EXPECT_EQ(controls.selection, 10);
}

TEST_F(NavigationTest, BrowseWithoutAValidRowStillNavigatesUnderTheOldIdentity) {
  for (int32_t index : {-1, 16, -2}) {
    controls.log.clear();
    applied.clear();
    view.addresses.clear();
    controls.addressText = u"";
    controls.selection = index;
    RunBrowse();
    EXPECT_TRUE(applied.empty()) << index;
    EXPECT_EQ(view.addresses, (std::vector<std::u16string>{u""})) << index;
  }
}

TEST_F(NavigationTest, TheSameRowTwiceMakesTwoIdenticalCalls) {
  controls.addressText = u"http://127.0.0.1/a";
  controls.selection = 3;
  RunBrowse();
  RunBrowse();
  ASSERT_EQ(applied.size(), 2u);
  EXPECT_EQ(applied[0], applied[1]);
  EXPECT_EQ(view.addresses[1], u"http://127.0.0.1/a");
}

TEST_F(NavigationTest, AddressesBeyondTheControlsLimitAreNotHandedToIt) {
  struct Case {
    size_t length;
    bool navigates;
  };
  for (const Case& c : {Case{2083, true}, Case{2084, false}, Case{1u << 20, false}}) {
    view.addresses.clear();
    applied.clear();
    controls.addressText = u"http://127.0.0.1/" + std::u16string(c.length - 17, u'a');
    controls.selection = 2;
    RunBrowse();
    EXPECT_EQ(applied.size(), 1u) << "the identity is applied all the same: " << c.length;
    EXPECT_EQ(view.addresses.size(), c.navigates ? 1u : 0u) << c.length;
  }
  // A portal form buried at the end of a long text still opens the landing address.
  view.addresses.clear();
  controls.addressText = std::u16string(1u << 20, u'z') + u"www.velmora.example";
  RunBrowse();
  EXPECT_EQ(view.addresses, (std::vector<std::u16string>{u"http://www.velmora.example/?tobim"}));
}

TEST_F(NavigationTest, BackOnlyGoesBack) {
  Back(view);
  EXPECT_EQ(controls.log, (std::vector<std::string>{"back"}));
}

TEST_F(NavigationTest, StatusTextsAreKeptApartFromAbsentAndShownUnitForUnit) {
  RecordingPanes panes;
  std::u16string hostile = u"a";
  hostile.push_back(char16_t{0xD800});  // unpaired surrogates and a zero survive unchanged
  hostile.push_back(char16_t{0xDFFF});
  hostile.push_back(u'\0');
  hostile += std::u16string(70000, u'x');
  struct Step {
    std::optional<std::u16string> text;
  };
  const Step steps[] = {{u"Start downloading http://127.0.0.1/"}, {u""}, {std::nullopt}, {hostile}};
  for (const Step& step : steps) {
    RelayStatusText(step.text ? std::optional<std::u16string_view>(*step.text) : std::nullopt, panes);
    EXPECT_EQ(Process().lastStatusText, step.text);
    EXPECT_EQ(panes.shown.back(), step.text.value_or(u""));
  }
}

TEST_F(NavigationTest, StatusTextBeforeAnyPaneIsRememberedButNotShown) {
  RecordingPanes panes;
  panes.paneCount = 0;
  RelayStatusText(std::u16string_view(u"Searching"), panes);
  EXPECT_TRUE(panes.shown.empty());
  EXPECT_EQ(Process().lastStatusText, std::u16string(u"Searching"));
}

TEST_F(NavigationTest, NewWindowIsAlwaysRefusedAndOpensTheLastStatusTextWhenSafe) {
  struct Case {
    const char* what;
    std::optional<std::u16string> status;
    bool navigates;
  };
  const Case cases[] = {
      {"before any status text", std::nullopt, true},
      {"empty status text", u"", true},
      {"not an address", u"Done", true},
      {"an address", u"http://127.0.0.1:8080/next", true},
      {"the portal is not rewritten", u"http://www.velmora.example/", true},
      {"local file", u"file:///C:/secret.txt", false},
      {"script", u"  JavaScript:alert(1)", false},
      {"UNC path", u"\\\\host\\share", false},
      {"legacy protocol", u"mk:@MSITStore:x.chm", false},
      {"longer than the control can open", u"http://127.0.0.1/" + std::u16string(70000, u'x'), false},
  };
  for (const Case& c : cases) {
    Process().lastStatusText = c.status;
    RecordingView newWindowView(controls.log);
    bool cancel = false;
    RedirectNewWindow(cancel, newWindowView);
    EXPECT_TRUE(cancel) << c.what;
    if (c.navigates) {
      EXPECT_EQ(newWindowView.addresses, (std::vector<std::u16string>{c.status.value_or(u"")})) << c.what;
    } else {
      EXPECT_TRUE(newWindowView.addresses.empty()) << c.what;
    }
    EXPECT_EQ(Process().lastStatusText, c.status) << c.what;
  }
}

TEST_F(NavigationTest, TwoNewWindowRequestsWithoutAStatusTextBetweenGoToTheSameText) {
  Process().lastStatusText = u"http://127.0.0.1/same";
  bool cancel = false;
  RedirectNewWindow(cancel, view);
  RedirectNewWindow(cancel, view);
  EXPECT_EQ(view.addresses, (std::vector<std::u16string>(2, u"http://127.0.0.1/same")));
}

struct SessionOptionCall {
  uint32_t option = 0;
  std::string buffer;
  uint32_t length = 0;
  uint32_t reserved = 99;
  int calls = 0;
};
SessionOptionCall lastCall;
int32_t nextResult = 0;

int32_t VELMORA_STDCALL RecordSessionOption(uint32_t option, const void* buffer, uint32_t length, uint32_t reserved) {
  lastCall.option = option;
  lastCall.buffer.assign(static_cast<const char*>(buffer), length);
  lastCall.length = length;
  lastCall.reserved = reserved;
  ++lastCall.calls;
  return nextResult;
}

TEST(ApplyUserAgentTest, PassesTheRowsBytesAndLengthThroughEntryTwo) {
  testing::FakeLoader loader;
  loader.systemLibraries[u"urlmon.dll"].functions["UrlMkSetSessionOption"] = testing::AddressOf(RecordSessionOption);
  DeclaredFunctionTable table(loader, testing::ThrowFatal);
  struct Case {
    int row;
    int32_t result;
    bool expected;
  };
  const Case cases[] = {{0, 0, true}, {15, 0, true}, {14, -2147467259 /* E_FAIL */, false}, {10, 1, false}};
  for (const Case& c : cases) {
    nextResult = c.result;
    std::string_view userAgent = kUserAgentTable[c.row].userAgent;
    EXPECT_EQ(ApplyUserAgent(userAgent, table), c.expected) << c.row;
    EXPECT_EQ(lastCall.option, 0x10000001u);
    EXPECT_EQ(lastCall.buffer, userAgent);
    EXPECT_EQ(lastCall.length, userAgent.size());
    EXPECT_EQ(lastCall.reserved, 0u);
  }
  EXPECT_EQ(lastCall.calls, 4);
  EXPECT_EQ(loader.loads, 1);
  nextResult = 0;
}

}  // namespace
}  // namespace velmora
