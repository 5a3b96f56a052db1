#include "browse/address_rules.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

const std::u16string kLanding = u"http://www.velmora.example/?tobim";

TEST(PortalTextsTest, AreBuiltFromTheOneHost) {
  EXPECT_EQ(PortalFirstForm(), u"www.velmora.example");
  EXPECT_EQ(PortalSecondForm(), u"http://velmora.example");
  EXPECT_EQ(PortalLandingAddress(), kLanding);
  EXPECT_EQ(InitialAddressText(), u"http://www.velmora.example/");
}

TEST(ChooseBrowseAddressTest, RewritesOnlyAddressesNamingThePortal) {
  struct Case {
    const char* what;
    std::u16string typed;
    std::u16string expected;  // empty with rewrite=false means "unchanged"
    bool rewritten;
  };
  const Case cases[] = {
      {"initial text", u"http://www.velmora.example/", kLanding, true},
      {"https before the first form, path dropped", u"https://www.velmora.example/news/today", kLanding, true},
      {"http:// + host: second form only", u"http://velmora.example", kLanding, true},
      {"https directly before the host", u"https://velmora.example/", u"", false},
      {"capital WWW., no http:// before the host", u"http://WWW.velmora.example/", u"", false},
      {"first form inside another site's query", u"http://other.example/?u=www.velmora.example", kLanding, true},
      {"first form as the start of a longer host", u"http://www.velmora.example.evil.example/", kLanding, true},
      {"spaces around the portal", u"  www.velmora.example  ", kLanding, true},
      {"spaces around another address stay", u"  http://other.example/  ", u"", false},
      {"no scheme is added", u"other.example/page", u"", false},
      {"a wide character before ww.", u"亀ww.velmora.example", u"", false},
      {"a one-byte character before www.", u"awww.velmora.example", kLanding, true},
      {"a surrogate pair before www.", u"\U0001F600www.velmora.example", kLanding, true},
      {"empty text stays empty", u"", u"", false},
      {"Korean path", u"http://other.example/검색?q=한국", u"", false},
  };
  for (const Case& c : cases) {
    std::u16string expected = c.rewritten ? c.expected : c.typed;
    EXPECT_EQ(ChooseBrowseAddress(c.typed), expected) << c.what;
  }
}

TEST(ContainsAtCharacterStartTest, NeverMatchesInsideASurrogatePair) {
  const char16_t pair[] = {0xD83D, 0xDE00, 0};
  std::u16string text = std::u16string(pair) + u"x";
  EXPECT_FALSE(ContainsAtCharacterStart(text, std::u16string(1, char16_t{0xDE00}) + u"x"));
  EXPECT_TRUE(ContainsAtCharacterStart(text, std::u16string(pair)));
  // An unpaired low surrogate is a character of its own.
  std::u16string lone = std::u16string(1, char16_t{0xDE00}) + u"x";
  EXPECT_TRUE(ContainsAtCharacterStart(lone, lone));
  EXPECT_FALSE(ContainsAtCharacterStart(u"abc", u""));
}

TEST(TrimBlanksTest, RemovesAsciiAndFullWidthSpacesAtTheEndsOnly) {
  struct Case {
    std::u16string input, expected;
  };
  const Case cases[] = {
      {u"  C:\\Temp\\skin.dll  ", u"C:\\Temp\\skin.dll"},
      {u"\u3000\u3000C:\\a b\\skin.dll\u3000 ", u"C:\\a b\\skin.dll"},
      {u" \u3000 ", u""},
      {u"\tC:\\x\t", u"\tC:\\x\t"},
      {u"C:\\inner\u3000space", u"C:\\inner\u3000space"},
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(TrimBlanks(c.input), c.expected);
}

TEST(UnsafeRedirectTargetTest, RefusesLocalZoneScriptAndLegacyProtocols) {
  struct Case {
    std::u16string text;
    bool unsafe;
  };
  const Case cases[] = {
      {u"file:///C:/Windows/win.ini", true},
      {u"FILE://host/share", true},
      {u"  javascript:alert(1)", true},
      {u"\u3000JavaScript:alert(1)", true},
      {u"java\tscript:alert(1)", true},
      {u"\x01\x1F vbscript:msgbox", true},
      {u"res://ieframe.dll/", true},
      {u"mk:@MSITStore:C:\\x.chm::/a.htm", true},
      {u"ms-its:C:\\x.chm::/a.htm", true},
      {u"its:C:\\x.chm::/a.htm", true},
      {u"MHTML:file://C:/x.mht", true},
      {u"\\\\host\\share\\page.htm", true},
      {u"//host/share", true},
      {u"C:\\Windows\\win.ini", true},
      {u"c:/boot.ini", true},
      {u"http://www.example.com/", false},
      {u"https://example.com/file:x", false},
      {u"about:blank", false},
      {u"Done", false},
      {u"Searching for www.example.com", false},
      {u"", false},
      {u"\\single", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsUnsafeRedirectTarget(c.text), c.unsafe) << std::string(c.text.begin(), c.text.end());
  }
}

}  // namespace
}  // namespace velmora
