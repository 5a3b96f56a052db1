// The sixteen browser identities, paired by position with the chooser's items.
#pragma once

#include <cstdint>
#include <string_view>

namespace velmora {

struct UserAgentRow {
  std::u16string_view label;  // the chooser item's text
  std::string_view userAgent;  // exact ASCII bytes handed to the platform
};

extern const UserAgentRow kUserAgentTable[16];

// 0 to 15 give their row; every other index gives none.
const UserAgentRow* LookUpUserAgent(int32_t index);

}  // namespace velmora
