#include <gtest/gtest.h>

#include "fake_controls.h"
#include "ui/control_properties.h"
#include "ui/resize_layout.h"
#include "ui/status_bar_panes.h"
#include "ui/window_definition.h"

namespace velmora {
namespace {

using testing::FakeControls;

TEST(CentringTest, HalvesTheDifferenceTruncatingTowardZero) {
  struct Case {
    int32_t width, height, left, top;
  };
  const Case cases[] = {
      {1920, 1080, 519, 255}, {800, 600, -41, 15}, {881, 570, 0, 0}, {883, 571, 0, 0}, {1024, 768, 71, 99},
      {0, 0, -441, -285},
  };
  for (const Case& c : cases) {
    Point p = CentredPosition(c.width, c.height);
    EXPECT_EQ(p.x, c.left) << c.width;
    EXPECT_EQ(p.y, c.top) << c.height;
  }
}

TEST(PropertyLimitsTest, ClampLeftWidthAndSelection) {
  EXPECT_EQ(ClampLeft(40000), 32627);
  EXPECT_EQ(ClampLeft(32628), 32627);
  EXPECT_EQ(ClampLeft(-40000), -32627);
  EXPECT_EQ(ClampLeft(-5), -5);
  EXPECT_EQ(ClampWidth(-3), 0);
  EXPECT_EQ(ClampWidth(32628), 32627);
  EXPECT_EQ(ClampWidth(520), 520);
  struct Case {
    int64_t value;
    int32_t expected;
  };
  const Case selections[] = {{16, 15}, {1000, 15}, {15, 15}, {0, 0}, {-1, -1}, {-5, -1}, {INT32_MIN, -1}};
  for (const Case& c : selections) EXPECT_EQ(ClampSelection(c.value, 16), c.expected) << c.value;
  EXPECT_EQ(ClampSelection(3, 0), -1);  // an empty list has nothing to select
}

TEST(MovedRectTest, KeepsOmittedEdgesAndMinusOneSizes) {
  const Rect start{8, 88, 104, 192};
  EXPECT_EQ(MovedRect(start, 1, 35, 877, 480), (Rect{1, 35, 878, 515}));
  EXPECT_EQ(MovedRect(start, 1, 35, -1, -1), (Rect{1, 35, 97, 139}));  // size kept, edges follow the new corner
  EXPECT_EQ(MovedRect(start, std::nullopt, std::nullopt, 10, std::nullopt), (Rect{8, 88, 18, 192}));
  EXPECT_EQ(MovedRect(start, 1, 35, -40, -2), (Rect{1, 35, -39, 33}));  // negative sizes pass unchanged
}

struct LayoutCase {
  const char* what;
  int32_t width, height;
  Rect view;
  int32_t browse, back, chooser, agentLabel, addressWidth;
};

TEST(ResizeLayoutTest, ResultDependsOnTheOuterSizeAlone) {
  const LayoutCase cases[] = {
      {"defined size", 882, 570, {1, 35, 878, 515}, 808, 744, 612, 588, 520},
      {"100 wider", 982, 570, {1, 35, 978, 515}, 908, 844, 712, 688, 620},
      {"50 taller", 882, 620, {1, 35, 878, 565}, 808, 744, 612, 588, 520},
      {"362 wide: box closes", 362, 570, {1, 35, 358, 515}, 288, 224, 92, 68, 0},
      {"200 wide: box stays closed", 200, 300, {1, 35, 196, 245}, 126, 62, -70, -94, 0},
      {"minimised-like", 160, 24, {1, 35, 156, -31}, 86, 22, -110, -134, 0},
      {"widest", 32767, 2000, {1, 35, 32763, 1945}, 32627, 32627 - 64, 32627 - 196, 32627 - 220, 32627 - 288},
  };
  for (const LayoutCase& c : cases) {
    FakeControls controls;
    controls.window = {0, 0, c.width, c.height};
    LayOutControls(controls);
    EXPECT_EQ(controls.rects[ControlId::WebView], c.view) << c.what;
    EXPECT_EQ(controls.rects[ControlId::BrowseButton].left, c.browse) << c.what;
    EXPECT_EQ(controls.rects[ControlId::BackButton].left, c.back) << c.what;
    EXPECT_EQ(controls.rects[ControlId::Chooser].left, c.chooser) << c.what;
    EXPECT_EQ(controls.rects[ControlId::AgentLabel].left, c.agentLabel) << c.what;
    EXPECT_EQ(controls.rects[ControlId::AddressBox].Width(), c.addressWidth) << c.what;
    // Tops and the other sizes are the definition's.
    for (ControlId id : {ControlId::AddressBox, ControlId::AddressLabel, ControlId::AgentLabel, ControlId::BrowseButton,
                         ControlId::Chooser, ControlId::BackButton}) {
      const ControlDefinition& d = Definition(id);
      EXPECT_EQ(controls.rects[id].top, d.top) << c.what;
      EXPECT_EQ(controls.rects[id].Height(), d.height) << c.what;
    }
    EXPECT_EQ(controls.rects[ControlId::AddressBox].left, 48) << c.what;
    EXPECT_EQ(controls.rects[ControlId::StatusBar], (Rect{0, 522, 876, 542})) << "status bar untouched: " << c.what;
  }
}

TEST(ResizeLayoutTest, OuterHeight89KeepsTheViewsHeightButMovesTheRest) {
  FakeControls controls;
  controls.window = {0, 0, 882, 570};
  LayOutControls(controls);
  controls.window = {0, 0, 700, 89};
  LayOutControls(controls);
  EXPECT_EQ(controls.rects[ControlId::WebView], (Rect{1, 35, 696, 515}));
}

TEST(ResizeLayoutTest, RunsAgainWithoutChangeLeaveEverythingAndMinimiseRestoreRoundTrips) {
  FakeControls controls;
  LayOutControls(controls);
  auto before = controls.rects;
  int moves = controls.moves;
  LayOutControls(controls);
  EXPECT_EQ(controls.rects, before);
  EXPECT_EQ(controls.moves, moves);  // the view's rectangle was equal: no move at all

  Rect restored = controls.window;
  controls.window = {-32000, -32000, -32000 + 160, -32000 + 24};
  LayOutControls(controls);
  controls.window = restored;
  LayOutControls(controls);
  EXPECT_EQ(controls.rects, before);
}

TEST(StatusBarPanesTest, AddPaneArgumentRules) {
  struct Case {
    const char* what;
    PaneArguments arguments;
    int32_t width, icon;
    PaneBorder border;
  };
  const Case cases[] = {
      {"all omitted", {}, 50, -1, PaneBorder::Sunken},
      {"width -7 reaches the end", {std::nullopt, -7}, -1, -1, PaneBorder::Sunken},
      {"icon -9 means none", {std::nullopt, 80, std::nullopt, -9}, 80, -1, PaneBorder::Sunken},
      {"style 1 none", {std::nullopt, 876, std::nullopt, std::nullopt, 1}, 876, -1, PaneBorder::None},
      {"style 2 raised", {std::nullopt, 10, std::nullopt, 3, 2}, 10, 3, PaneBorder::Raised},
      {"style 0 sunken", {std::nullopt, 10, std::nullopt, std::nullopt, 0}, 10, -1, PaneBorder::Sunken},
      {"style 7 sunken", {std::nullopt, 10, std::nullopt, std::nullopt, 7}, 10, -1, PaneBorder::Sunken},
  };
  for (const Case& c : cases) {
    Pane pane = MakePane(c.arguments);
    EXPECT_EQ(pane.width, c.width) << c.what;
    EXPECT_EQ(pane.icon, c.icon) << c.what;
    EXPECT_EQ(pane.border, c.border) << c.what;
    EXPECT_TRUE(pane.text.empty()) << c.what;
    EXPECT_TRUE(pane.tooltip.empty()) << c.what;
  }
  EXPECT_EQ(MakePane({u"Velmora"}).text, u"Velmora");
}

TEST(StatusBarPanesTest, RightEdgesAreRunningSumsWithMinusOneReachingTheEnd) {
  std::vector<Pane> panes = {MakePane({std::nullopt, 100}), MakePane({std::nullopt, 50}), MakePane({std::nullopt, -1})};
  EXPECT_EQ(PaneRightEdges(panes), (std::vector<int32_t>{100, 150, -1}));
  EXPECT_TRUE(PaneRightEdges({}).empty());
}

TEST(WindowDefinitionTest, TabOrderIsTheCreationOrderOfTheTabControls) {
  std::vector<ControlId> tabbed;
  for (const ControlDefinition& c : kControls) {
    if (c.tabStop) tabbed.push_back(c.id);
  }
  EXPECT_EQ(tabbed, (std::vector<ControlId>(std::begin(kTabOrder), std::end(kTabOrder))));
  for (int i = 0; i < kControlCount; ++i) EXPECT_EQ(static_cast<int>(kControls[i].id), i);
}

}  // namespace
}  // namespace velmora
