// The handlers of the two buttons and the two notifications of the web page view.
#pragma once

#include <optional>
#include <string_view>

namespace velmora {

void OnBrowse();
void OnBack();
void OnStatusTextChange(std::optional<std::u16string_view> text);
void OnNewWindow(bool& cancel);

}  // namespace velmora
