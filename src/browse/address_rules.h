// The rules Browse and the new-window redirect apply to an address.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

std::u16string PortalFirstForm();   // "www." + host
std::u16string PortalSecondForm();  // "http://" + host
std::u16string PortalLandingAddress();
std::u16string InitialAddressText();  // what the address box holds at start

// Whether `form` occurs in `text` starting at the start of a character: a
// match never begins on the second half of a surrogate pair.
bool ContainsAtCharacterStart(std::u16string_view text, std::u16string_view form);

// What Browse opens for the address box's text: the landing address when
// either portal form occurs anywhere, otherwise the text exactly as typed.
std::u16string ChooseBrowseAddress(std::u16string_view typed);

// Removes leading and trailing ASCII and full-width (U+3000) spaces only.
std::u16string_view TrimBlanks(std::u16string_view text);

// The longest address the web browser control can open (the platform's
// classic URL limit). Longer ones are not handed to it: the platform's URL
// layer fails on them, in places by bringing the whole process down.
inline constexpr size_t kMaxNavigableAddress = 2083;
bool IsNavigable(std::u16string_view address);

// A page sets the status text, so a page must not be able to move the view
// into the local machine's zone, run script under the host's navigation, or
// reach the legacy local protocols through the new-window redirect.
bool IsUnsafeRedirectTarget(std::u16string_view statusText);

}  // namespace velmora
