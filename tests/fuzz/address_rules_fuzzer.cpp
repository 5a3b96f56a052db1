// Fuzzes the rules Browse and the new-window redirect apply to addresses:
// the portal search, the rewrite, the trim and the redirect safety check,
// each against a property it must keep for every input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "browse/address_rules.h"

namespace {

using velmora::ChooseBrowseAddress;
using velmora::ContainsAtCharacterStart;

void Require(bool condition) {
  if (!condition) std::abort();
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\u3000'; }

// The plain definition: some position where the form's units follow, that
// is not the second half of a surrogate pair.
bool ReferenceContains(const std::u16string& text, const std::u16string& form) {
  if (form.empty() || form.size() > text.size()) return false;
  for (size_t at = 0; at + form.size() <= text.size(); ++at) {
    bool second = at > 0 && text[at] >= 0xDC00 && text[at] <= 0xDFFF && text[at - 1] >= 0xD800 && text[at - 1] <= 0xDBFF;
    if (!second && text.compare(at, form.size(), form) == 0) return true;
  }
  return false;
}

std::u16string AsciiUpper(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string text(size / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));

  bool first = ContainsAtCharacterStart(text, velmora::PortalFirstForm());
  bool second = ContainsAtCharacterStart(text, velmora::PortalSecondForm());
  Require(first == ReferenceContains(text, velmora::PortalFirstForm()));
  Require(second == ReferenceContains(text, velmora::PortalSecondForm()));
  std::u16string chosen = ChooseBrowseAddress(text);
  Require(chosen == ((first || second) ? velmora::PortalLandingAddress() : text));

  std::u16string_view trimmed = velmora::TrimBlanks(text);
  Require(trimmed.data() >= text.data() && trimmed.data() + trimmed.size() <= text.data() + text.size());
  Require(trimmed.empty() || (!IsBlank(trimmed.front()) && !IsBlank(trimmed.back())));
  Require(velmora::TrimBlanks(trimmed) == trimmed);
  for (const char16_t* c = text.data(); c < trimmed.data(); ++c) Require(IsBlank(*c));
  for (const char16_t* c = trimmed.data() + trimmed.size(); c < text.data() + text.size(); ++c) Require(IsBlank(*c));

  bool unsafe = velmora::IsUnsafeRedirectTarget(text);
  Require(velmora::IsUnsafeRedirectTarget(u"  \u3000" + text) == unsafe);  // leading blanks hide nothing
  Require(velmora::IsUnsafeRedirectTarget(AsciiUpper(text)) == unsafe);     // neither does case
  Require(velmora::IsNavigable(text) == (text.size() <= velmora::kMaxNavigableAddress));
  return 0;
}
