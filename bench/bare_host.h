// What a benchmark driver needs to find and steer the bare host from outside.
#pragma once

#include <windows.h>

namespace velmora::bench {

inline constexpr wchar_t kBareHostClass[] = L"VelmoraBareHost";
// WM_COPYDATA with this tag carries a UTF-16 address (no terminator) that the
// host hands to its view's Navigate before the message returns.
inline constexpr ULONG_PTR kNavigateTag = 0x4E415649;  // "NAVI"
// The same, after handing urlmon the identity the program starts with, the
// way the program's Browse does; tells that call's share of a Browse apart.
inline constexpr ULONG_PTR kNavigateWithIdentityTag = 0x4E415655;  // "NAVU"

}  // namespace velmora::bench
