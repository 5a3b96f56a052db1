#include "browse/navigation_commands.h"

#include "app/process_state.h"
#include "browse/address_rules.h"
#include "browse/user_agent_table.h"

namespace velmora {

bool ApplyUserAgent(std::string_view userAgent, DeclaredFunctionTable& table) {
  // The length excludes the terminating NUL: exactly the table's bytes.
  int32_t result = table.Call<UrlMkSetSessionOptionEntry>(kUrlMonOptionUserAgent,
                                                          static_cast<const void*>(userAgent.data()),
                                                          static_cast<uint32_t>(userAgent.size()), 0u);
  return result == 0;
}

void Browse(ControlProperties& controls, PageView& view, const UserAgentApplier& applyUserAgent) {
  std::u16string address = ChooseBrowseAddress(controls.ReadText(ControlRef::Of(ControlId::AddressBox), kPropertyText));
  // The identity is set after the address is chosen and before Navigate, so
  // that navigation's requests already carry it.
  if (const UserAgentRow* row = LookUpUserAgent(controls.ReadInt(ControlRef::Of(ControlId::Chooser), kPropertySelection))) {
    applyUserAgent(row->userAgent);  // result not looked at
  }
  if (IsNavigable(address)) view.Navigate(address);
}

void Back(PageView& view) { view.GoBack(); }

void RelayStatusText(std::optional<std::u16string_view> text, StatusPanes& panes) {
  // The new copy exists before the old one is released.
  std::optional<std::u16string> copy;
  if (text) copy.emplace(*text);
  Process().lastStatusText.swap(copy);
  copy.reset();
  panes.SetPaneText(0, LastStatusTextOrEmpty());
}

void RedirectNewWindow(bool& cancel, PageView& view) {
  cancel = true;  // before anything else: whatever follows, no new window opens
  // Navigate copies the address before the view can raise another event, so
  // a status text arriving during the call may replace this one safely.
  std::u16string_view target = LastStatusTextOrEmpty();
  if (IsUnsafeRedirectTarget(target) || !IsNavigable(target)) return;
  view.Navigate(target);
}

}  // namespace velmora
