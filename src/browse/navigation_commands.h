// Browse, Back, the status-text relay and the new-window redirect, written
// against small ports so the rules run the same in tests and in the program.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "app/declared_functions.h"
#include "ui/control_properties.h"

namespace velmora {

class PageView {
 public:
  virtual ~PageView() = default;
  virtual void Navigate(std::u16string_view address) = 0;  // address only; result ignored
  virtual void GoBack() = 0;
};

class StatusPanes {
 public:
  virtual ~StatusPanes() = default;
  // Shows `text` in pane `index` when that pane exists; otherwise nothing.
  virtual void SetPaneText(int index, std::u16string_view text) = 0;
};

inline constexpr uint32_t kUrlMonOptionUserAgent = 0x10000001;

// Makes `userAgent` the one every request of the process carries; true only
// when the platform answered 0.
bool ApplyUserAgent(std::string_view userAgent, DeclaredFunctionTable& table);

using UserAgentApplier = std::function<bool(std::string_view userAgent)>;

void Browse(ControlProperties& controls, PageView& view, const UserAgentApplier& applyUserAgent);
void Back(PageView& view);
// `text` is none when the view passed no string; absent and empty are stored
// apart and read alike.
void RelayStatusText(std::optional<std::u16string_view> text, StatusPanes& panes);
void RedirectNewWindow(bool& cancel, PageView& view);

}  // namespace velmora
