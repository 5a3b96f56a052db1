#include "skin_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora::skin {
namespace {

constexpr uint32_t kOverlappedWindow = 0x00CF0000;  // WS_OVERLAPPEDWINDOW
constexpr uint32_t kPopupWindow = 0x80880000;       // WS_POPUPWINDOW: no caption

TEST(ClassifyWindow, DressesOnlyOwnKindsAndLeavesTheRestAlone) {
  struct Case {
    WindowFacts facts;
    WindowRole expected;
  };
  using style::kChild;
  const std::vector<Case> cases = {
      {{L"VelmoraMainWindow", kOverlappedWindow, 0, false, false}, WindowRole::TopLevel},
      {{L"VelmoraMainWindow", 0, 0, false, false}, WindowRole::TopLevel},  // overlapped
      {{L"#32770", style::kPopup | style::kCaption | style::kSysMenu, 0, false, false},
       WindowRole::TopLevel},
      {{L"VelmoraMainWindow", kOverlappedWindow, 0, false, true}, WindowRole::None},
      {{L"VelmoraPalette", kOverlappedWindow, style::kExToolWindow, false, false},
       WindowRole::None},
      {{L"VelmoraSplash", kPopupWindow, 0, false, false}, WindowRole::None},
      {{L"OleMainThreadWndClass", 0, 0, false, false}, WindowRole::None},
      {{L"IEFrame", kOverlappedWindow, 0, false, false}, WindowRole::None},
      {{L"tooltips_class32", style::kPopup, 0, false, false}, WindowRole::None},
      {{L"Button", kChild | style::kPushButton, 0, true, false}, WindowRole::PushButton},
      {{L"BUTTON", kChild | style::kDefPushButton, 0, true, false}, WindowRole::PushButton},
      {{L"Button", kChild | 0x3 /* BS_AUTOCHECKBOX */, 0, true, false}, WindowRole::None},
      {{L"Button", kChild | 0x7 /* BS_GROUPBOX */, 0, true, false}, WindowRole::None},
      {{L"Button", kChild | 0xB /* BS_OWNERDRAW */, 0, true, false}, WindowRole::None},
      {{L"Button", kChild | style::kButtonIcon, 0, true, false}, WindowRole::None},
      {{L"msctls_statusbar32", kChild, 0, true, false}, WindowRole::StatusBar},
      {{L"Static", kChild, 0, true, false}, WindowRole::None},
      {{L"Edit", kChild, 0, true, false}, WindowRole::None},
      {{L"ComboBox", kChild, 0, true, false}, WindowRole::None},
      {{L"Shell Embedding", kChild, 0, true, false}, WindowRole::None},
      {{L"Shell DocObject View", kChild, 0, true, false}, WindowRole::None},
      {{L"Internet Explorer_Server", kChild, 0, true, false}, WindowRole::None},
      {{L"VelmoraPageHost", kChild, 0, true, false}, WindowRole::None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.facts.className.begin(), c.facts.className.end()) + " style " +
                 std::to_string(c.facts.style));
    EXPECT_EQ(ClassifyWindow(c.facts), c.expected);
  }
}

TEST(ChooseCtlColors, PicksThemeSlotsByAskingControl) {
  using M = CtlColorMessage;
  struct Case {
    M message;
    std::wstring_view control;
    std::wstring_view parent;
    std::optional<ThemeColor> background;
    ThemeColor text;
  };
  const auto label = ThemeColor::WindowBackground;
  const std::vector<Case> cases = {
      {M::Static, L"Static", L"Main", label, ThemeColor::LabelText},
      {M::Static, L"STATIC", L"Main", label, ThemeColor::LabelText},
      {M::Static, L"Button", L"Main", label, ThemeColor::LabelText},
      {M::Dialog, L"#32770", L"", label, ThemeColor::LabelText},
      {M::Edit, L"Edit", L"Main", ThemeColor::EditBackground, ThemeColor::EditText},
      {M::Static, L"Edit", L"Main", ThemeColor::EditBackground, ThemeColor::EditText},
      {M::Edit, L"Edit", L"ComboBox", ThemeColor::ChooserBackground, ThemeColor::ChooserText},
      {M::Edit, L"ComboBox", L"Main", ThemeColor::ChooserBackground, ThemeColor::ChooserText},
      {M::Static, L"ComboBox", L"Main", ThemeColor::ChooserBackground, ThemeColor::ChooserText},
      {M::ListBox, L"ComboLBox", L"", ThemeColor::ChooserBackground, ThemeColor::ChooserText},
      {M::ListBox, L"ListBox", L"ComboBox", ThemeColor::ChooserBackground,
       ThemeColor::ChooserText},
      {M::ListBox, L"ListBox", L"Main", std::nullopt, {}},
      {M::Button, L"Button", L"Main", std::nullopt, {}},
      {M::Static, L"Internet Explorer_Server", L"Shell DocObject View", std::nullopt, {}},
      {M::Edit, L"RichEdit20W", L"Main", std::nullopt, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.control.begin(), c.control.end()) + " in " +
                 std::string(c.parent.begin(), c.parent.end()));
    const auto got = ChooseCtlColors(c.message, c.control, c.parent);
    ASSERT_EQ(got.has_value(), c.background.has_value());
    if (got) {
      EXPECT_EQ(got->background, *c.background);
      EXPECT_EQ(got->text, c.text);
    }
  }
}

TEST(ChooseButtonLook, StatesMapToFacesWithPressedWinning) {
  Theme theme;
  theme.ints[static_cast<size_t>(ThemeInt::ButtonBorderWidth)] = 1;
  struct Case {
    ButtonState state;
    ThemeColor face;
    ThemeColor text;
    int border;
    bool offset;
  };
  const std::vector<Case> cases = {
      {{}, ThemeColor::ButtonFaceNormal, ThemeColor::ButtonText, 1, false},
      {{false, true}, ThemeColor::ButtonFaceHot, ThemeColor::ButtonText, 1, false},
      {{true, true}, ThemeColor::ButtonFacePressed, ThemeColor::ButtonText, 1, true},
      {{false, false, true}, ThemeColor::ButtonFaceFocused, ThemeColor::ButtonText, 2, false},
      {{false, true, true}, ThemeColor::ButtonFaceHot, ThemeColor::ButtonText, 2, false},
      {{true, false, true}, ThemeColor::ButtonFacePressed, ThemeColor::ButtonText, 2, true},
      {{false, false, false, false, true}, ThemeColor::ButtonFaceNormal, ThemeColor::ButtonText, 2,
       false},
      {{true, true, true, true, true}, ThemeColor::ButtonFaceNormal,
       ThemeColor::ButtonTextDisabled, 1, false},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    const ButtonLook look = ChooseButtonLook(cases[i].state, theme);
    EXPECT_EQ(look.face, cases[i].face);
    EXPECT_EQ(look.text, cases[i].text);
    EXPECT_EQ(look.borderWidth, cases[i].border);
    EXPECT_EQ(look.offsetText, cases[i].offset);
  }
  theme.ints[static_cast<size_t>(ThemeInt::ButtonBorderWidth)] = -5;
  EXPECT_EQ(ChooseButtonLook({}, theme).borderWidth, 0);
}

TEST(PlaceButtonText, AlignmentBitsAndMultiline) {
  using namespace style;
  struct Case {
    uint32_t style;
    HAlign h;
    VAlign v;
    bool multiline;
  };
  const std::vector<Case> cases = {
      {0, HAlign::Center, VAlign::Center, false},
      {kButtonLeft, HAlign::Left, VAlign::Center, false},
      {kButtonRight, HAlign::Right, VAlign::Center, false},
      {kButtonLeft | kButtonRight, HAlign::Center, VAlign::Center, false},
      {kButtonTop, HAlign::Center, VAlign::Top, false},
      {kButtonBottom | kButtonLeft, HAlign::Left, VAlign::Bottom, false},
      {kButtonTop | kButtonBottom, HAlign::Center, VAlign::Center, false},
      {kButtonMultiline | kDefPushButton, HAlign::Center, VAlign::Center, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    const TextPlacement p = PlaceButtonText(c.style);
    EXPECT_EQ(p.h, c.h);
    EXPECT_EQ(p.v, c.v);
    EXPECT_EQ(p.multiline, c.multiline);
  }
}

CaptionInput StandardInput(uint32_t windowStyle) {
  CaptionInput in;
  in.windowWidth = 400;
  in.windowHeight = 300;
  in.frameWidth = 4;
  in.captionHeight = 19;
  in.clientTop = 23;
  in.buttonWidth = 18;
  in.iconSize = 16;
  in.style = windowStyle;
  return in;
}

TEST(LayoutCaption, ButtonsSitRightToLeftInsideTheCaption) {
  const CaptionLayout l = LayoutCaption(StandardInput(kOverlappedWindow));
  EXPECT_EQ(l.caption, (Rect{4, 4, 396, 23}));
  EXPECT_EQ(l.close, (Rect{378, 6, 394, 21}));
  EXPECT_EQ(l.maximize.right, l.close.left - 2);
  EXPECT_EQ(l.minimize.right, l.maximize.left);
  EXPECT_EQ(l.minimize.Width(), 16);
  EXPECT_TRUE(l.minimizeEnabled);
  EXPECT_TRUE(l.maximizeEnabled);
  EXPECT_EQ(l.icon, (Rect{6, 5, 22, 21}));
  EXPECT_EQ(l.title.left, l.icon.right + 4);
  EXPECT_LE(l.title.right, l.minimize.left);
  // The frame strips cover the border and nothing of the caption.
  EXPECT_EQ(l.frameTop, (Rect{0, 0, 400, 4}));
  EXPECT_EQ(l.frameBottom, (Rect{0, 296, 400, 300}));
  EXPECT_EQ(l.frameLeft, (Rect{0, 4, 4, 296}));
  EXPECT_EQ(l.frameRight, (Rect{396, 4, 400, 296}));
}

TEST(LayoutCaption, ButtonSetFollowsTheStyle) {
  struct Case {
    uint32_t style;
    bool close, boxes, minEnabled, maxEnabled, icon;
  };
  using namespace style;
  const std::vector<Case> cases = {
      {kCaption, false, false, false, false, false},
      {kCaption | kSysMenu, true, false, false, false, true},
      {kCaption | kSysMenu | kMinimizeBox, true, true, true, false, true},
      {kCaption | kSysMenu | kMaximizeBox, true, true, false, true, true},
      {kCaption | kMinimizeBox | kMaximizeBox, false, false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    const CaptionLayout l = LayoutCaption(StandardInput(c.style));
    EXPECT_EQ(!l.close.Empty(), c.close);
    EXPECT_EQ(!l.minimize.Empty(), c.boxes);
    EXPECT_EQ(!l.maximize.Empty(), c.boxes);
    EXPECT_EQ(l.minimizeEnabled, c.minEnabled);
    EXPECT_EQ(l.maximizeEnabled, c.maxEnabled);
    EXPECT_EQ(!l.icon.Empty(), c.icon);
  }
}

TEST(LayoutCaption, CaptionStopsAtTheClientArea) {
  CaptionInput in = StandardInput(kOverlappedWindow);
  in.clientTop = 15;  // a caption height that disagrees with the real frame
  EXPECT_EQ(LayoutCaption(in).caption.bottom, 15);
  in.clientTop = 0;
  EXPECT_TRUE(LayoutCaption(in).caption.Empty());
}

TEST(LayoutCaption, TinyWindowsKeepRectanglesInside) {
  for (int size : {0, 1, 5, 12, 30}) {
    SCOPED_TRACE(size);
    CaptionInput in = StandardInput(kOverlappedWindow);
    in.windowWidth = size;
    in.windowHeight = size;
    const CaptionLayout l = LayoutCaption(in);
    for (const Rect* r : {&l.caption, &l.close, &l.maximize, &l.minimize, &l.title}) {
      if (r->Empty()) continue;
      EXPECT_GE(r->left, 0);
      EXPECT_LE(r->right, size);
      EXPECT_GE(r->top, 0);
      EXPECT_LE(r->bottom, size);
    }
  }
}

TEST(HitTestCaption, FindsEachButtonAndNothingBetween) {
  const CaptionLayout l = LayoutCaption(StandardInput(kOverlappedWindow));
  struct Case {
    int x, y;
    CaptionPart part;
  };
  const std::vector<Case> cases = {
      {l.close.left, l.close.top, CaptionPart::Close},
      {l.close.right - 1, l.close.bottom - 1, CaptionPart::Close},
      {l.close.right, l.close.top, CaptionPart::None},
      {l.close.left - 1, l.close.top, CaptionPart::None},  // the gap
      {l.maximize.left + 3, l.maximize.top + 3, CaptionPart::Maximize},
      {l.minimize.left, l.minimize.bottom - 1, CaptionPart::Minimize},
      {l.minimize.left, l.minimize.bottom, CaptionPart::None},
      {l.title.left + 5, l.title.top + 5, CaptionPart::None},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    EXPECT_EQ(HitTestCaption(l, c.x, c.y), c.part);
  }
  const CaptionLayout onlyMin =
      LayoutCaption(StandardInput(style::kCaption | style::kSysMenu | style::kMinimizeBox));
  EXPECT_TRUE(IsPartEnabled(onlyMin, CaptionPart::Minimize, true));
  EXPECT_FALSE(IsPartEnabled(onlyMin, CaptionPart::Maximize, true));
  EXPECT_TRUE(IsPartEnabled(onlyMin, CaptionPart::Close, true));
  EXPECT_FALSE(IsPartEnabled(onlyMin, CaptionPart::Close, false));
  EXPECT_FALSE(IsPartEnabled(onlyMin, CaptionPart::None, true));
}

TEST(SplitStatusText, TabsSeparateLeftCentreAndRight) {
  struct Case {
    std::wstring_view text, left, center, right;
  };
  const std::vector<Case> cases = {
      {L"", L"", L"", L""},
      {L"Done", L"Done", L"", L""},
      {L"a\tb", L"a", L"b", L""},
      {L"a\tb\tc", L"a", L"b", L"c"},
      {L"\t\tright", L"", L"", L"right"},
      {L"a\tb\tc\td", L"a", L"b", L"c\td"},
      {L"\u4e2d\u6587\t", L"\u4e2d\u6587", L"", L""},
  };
  for (const Case& c : cases) {
    const StatusSegments s = SplitStatusText(c.text);
    EXPECT_EQ(s.left, c.left);
    EXPECT_EQ(s.center, c.center);
    EXPECT_EQ(s.right, c.right);
  }
}

}  // namespace
}  // namespace velmora::skin
