#include "browse/address_rules.h"

#include <array>

namespace velmora {
namespace {

std::u16string PortalHost() {
  constexpr std::string_view host = VELMORA_PORTAL_HOST;
  return std::u16string(host.begin(), host.end());
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsBlank(char16_t c) { return c == u' ' || c == u'\u3000'; }

char16_t AsciiLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

}  // namespace

std::u16string PortalFirstForm() { return u"www." + PortalHost(); }
std::u16string PortalSecondForm() { return u"http://" + PortalHost(); }
std::u16string PortalLandingAddress() { return u"http://www." + PortalHost() + u"/?tobim"; }
std::u16string InitialAddressText() { return u"http://www." + PortalHost() + u"/"; }

bool ContainsAtCharacterStart(std::u16string_view text, std::u16string_view form) {
  if (form.empty()) return false;
  for (size_t at = text.find(form); at != std::u16string_view::npos; at = text.find(form, at + 1)) {
    bool splitsPair = at > 0 && IsLowSurrogate(text[at]) && IsHighSurrogate(text[at - 1]);
    if (!splitsPair) return true;
  }
  return false;
}

std::u16string ChooseBrowseAddress(std::u16string_view typed) {
  // The second form is searched only when the first is absent; either one
  // anywhere in the text gives the landing address.
  if (ContainsAtCharacterStart(typed, PortalFirstForm()) || ContainsAtCharacterStart(typed, PortalSecondForm())) {
    return PortalLandingAddress();
  }
  return std::u16string(typed);
}

bool IsNavigable(std::u16string_view address) { return address.size() <= kMaxNavigableAddress; }

std::u16string_view TrimBlanks(std::u16string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool IsUnsafeRedirectTarget(std::u16string_view text) {
  // Skip what a URL parser would skip before the scheme: controls, spaces and
  // the wide blanks a page could use to hide one.
  size_t at = 0;
  while (at < text.size() && (text[at] <= u' ' || text[at] == u'\u3000' || text[at] == u'\u00A0' ||
                              text[at] == u'\uFEFF' || text[at] == u'\u200B')) {
    ++at;
  }
  // Tabs and line breaks inside a scheme are dropped by URL parsers, so they
  // must not hide one from this check either.
  std::u16string head;
  for (; at < text.size() && head.size() < 16; ++at) {
    char16_t c = text[at];
    if (c == u'\t' || c == u'\n' || c == u'\r') continue;
    head.push_back(AsciiLower(c));
  }
  static constexpr std::array<std::u16string_view, 8> kSchemes = {
      u"file:", u"javascript:", u"vbscript:", u"res:", u"mk:", u"ms-its:", u"its:", u"mhtml:"};
  for (std::u16string_view scheme : kSchemes) {
    if (head.compare(0, scheme.size(), scheme) == 0) return true;
  }
  // UNC paths in either slash direction, and drive paths ("c:\", "c:/", "c:").
  if (head.size() >= 2 && (head[0] == u'\\' || head[0] == u'/') && (head[1] == u'\\' || head[1] == u'/')) return true;
  if (head.size() >= 2 && head[0] >= u'a' && head[0] <= u'z' && head[1] == u':') return true;
  return false;
}

}  // namespace velmora
