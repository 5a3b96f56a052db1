// The main window as data: its settings, the eight controls in creation order,
// the chooser's items and the events bound to handlers. The loader walks it.
#pragma once

#include <cstdint>
#include <string_view>

namespace velmora {

enum class ControlKind { WebBrowser, EditBox, Label, Button, ComboBox, StatusBar };

// Creation order; also the index into kControls.
enum class ControlId : int {
  WebView,       // 互联网浏览器1
  AddressBox,    // 编辑框1
  AddressLabel,  // 标签1
  AgentLabel,    // 标签2
  BrowseButton,  // 按钮1
  Chooser,       // 组合框1
  BackButton,    // 按钮2
  StatusBar,     // 状态条1
};
inline constexpr int kControlCount = 8;

struct ControlDefinition {
  ControlId id;
  std::u16string_view name;
  ControlKind kind;
  int left, top, width, height;
  bool tabStop;
  std::u16string_view initialText;  // empty: none
};

// The address box's initial text is built from the portal host, so it is the
// one entry filled in by InitialAddressText() rather than stored here.
inline constexpr ControlDefinition kControls[kControlCount] = {
    {ControlId::WebView, u"互联网浏览器1", ControlKind::WebBrowser, 8, 88, 96, 104, false, u""},
    {ControlId::AddressBox, u"编辑框1", ControlKind::EditBox, 48, 6, 560, 20, true, u""},
    {ControlId::AddressLabel, u"标签1", ControlKind::Label, 0, 0, 48, 32, false, u"地址："},
    {ControlId::AgentLabel, u"标签2", ControlKind::Label, 616, 0, 24, 30, false, u"UA:"},
    {ControlId::BrowseButton, u"按钮1", ControlKind::Button, 816, 3, 54, 24, true, u"浏览"},
    {ControlId::Chooser, u"组合框1", ControlKind::ComboBox, 641, 6, 112, 20, true, u""},
    {ControlId::BackButton, u"按钮2", ControlKind::Button, 760, 3, 54, 24, true, u"后退"},
    {ControlId::StatusBar, u"状态条1", ControlKind::StatusBar, 0, 522, 876, 20, false, u""},
};

inline constexpr const ControlDefinition& Definition(ControlId id) { return kControls[static_cast<int>(id)]; }

// The Tab order is the creation order of the controls that take the focus.
inline constexpr ControlId kTabOrder[] = {ControlId::AddressBox, ControlId::BrowseButton, ControlId::Chooser,
                                          ControlId::BackButton};

struct WindowSettings {
  std::u16string_view title;
  int outerWidth, outerHeight;
  int unusedLeft, unusedTop;  // the definition holds them; the window is centred instead
  int chooserListHeight;      // the dropped-down list, measured from the control's top
};
inline constexpr WindowSettings kMainWindow = {u"Velmora", 882, 570, 50, 50, 160};

// The events that reach handlers; everything else has none.
enum class BoundEvent { Created, SizeChanged, BrowseClicked, BackClicked, NewWindow, StatusTextChange };
struct EventBinding {
  BoundEvent event;
  std::u16string_view source;
  std::string_view handler;
};
inline constexpr EventBinding kEventBindings[] = {
    {BoundEvent::Created, u"窗口", "OnWindowCreated"},
    {BoundEvent::SizeChanged, u"窗口", "OnWindowResized"},
    {BoundEvent::BrowseClicked, u"按钮1", "OnBrowse"},
    {BoundEvent::BackClicked, u"按钮2", "OnBack"},
    {BoundEvent::NewWindow, u"互联网浏览器1", "OnNewWindow"},
    {BoundEvent::StatusTextChange, u"互联网浏览器1", "OnStatusTextChange"},
};

inline constexpr std::u16string_view kChooserItems[16] = {
    u"QQ浏览器",     u"Chrome浏览器",  u"Firefox浏览器", u"Safari浏览器", u"Opera浏览器",   u"IE浏览器",
    u"傲游浏览器",   u"搜狗浏览器",    u"360浏览器",     u"安卓UC浏览器", u"2345浏览器",    u"安卓微信内置",
    u"苹果微信内置", u"UC浏览器",      u"Ipad Safari 9", u"Iphone浏览器",
};

struct Point {
  int32_t x, y;
};

// Halving truncates toward zero: a screen 881 wide gives 0, not -1.
Point CentredPosition(int32_t screenWidth, int32_t screenHeight);

}  // namespace velmora
