#include "theme_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "skin_engine_abi.h"

namespace velmora::skin {
namespace {

using Bytes = std::vector<uint8_t>;

Theme SampleTheme() {
  Theme t;
  for (size_t i = 0; i < kThemeColorCount; ++i) {
    t.colors[i] = Rgb{static_cast<uint8_t>(i * 7), static_cast<uint8_t>(255 - i),
                      static_cast<uint8_t>(i * 3 + 1)};
  }
  t.ints = {600, 2};
  return t;
}

std::vector<RawEntry> SampleEntries() {
  std::vector<RawEntry> entries;
  const Theme t = SampleTheme();
  for (const KnownEntry& e : KnownEntries()) {
    const uint32_t value =
        e.type == EntryType::Color
            ? (uint32_t{t.colors[e.index].r} << 16) | (uint32_t{t.colors[e.index].g} << 8) |
                  t.colors[e.index].b
            : static_cast<uint32_t>(t.ints[e.index]);
    entries.push_back({std::string(e.name), e.type, value});
  }
  return entries;
}

void PutU32(Bytes& b, size_t at, uint32_t v) {
  for (size_t i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// After editing entry bytes, make the checksum agree again so the parser
// gets as far as the entry checks.
void Reseal(Bytes& b) {
  PutU32(b, 12, Crc32(b.data() + kThemeHeaderSize, b.size() - kThemeHeaderSize));
}

int32_t Parse(const Bytes& b) {
  Theme t;
  return ParseTheme(b.data(), b.size(), t);
}

std::string ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(ThemeFormat, PackedThemeReadsBackIdentical) {
  const Theme original = SampleTheme();
  const Bytes blob = PackTheme(original);
  Theme parsed;
  ASSERT_EQ(ParseTheme(blob.data(), blob.size(), parsed), kSkinOk);
  EXPECT_EQ(parsed, original);
  EXPECT_EQ(PackTheme(parsed), blob);
}

TEST(ThemeFormat, HeaderIsLittleEndianWithMagicVersionAndLength) {
  const Bytes blob = PackTheme(SampleTheme());
  ASSERT_GE(blob.size(), kThemeHeaderSize);
  EXPECT_EQ(std::string(blob.begin(), blob.begin() + 4), ".SHE");
  EXPECT_EQ(blob[4] | (blob[5] << 8), kThemeFormatVersion);
  EXPECT_EQ(blob[6] | (blob[7] << 8), static_cast<int>(KnownEntries().size()));
  const uint32_t length = blob[8] | (blob[9] << 8) | (blob[10] << 16) | (uint32_t{blob[11]} << 24);
  EXPECT_EQ(length, blob.size());
}

TEST(ThemeFormat, Crc32MatchesTheStandardCheckValue) {
  const std::string check = "123456789";
  EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(check.data()), check.size()), 0xCBF43926u);
}

TEST(ThemeFormat, OptionalIntegersFallBackToDefaults) {
  std::vector<RawEntry> entries = SampleEntries();
  entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [](const RawEntry& e) { return e.type == EntryType::Integer; }),
                entries.end());
  const Bytes blob = PackEntries(entries);
  Theme t;
  ASSERT_EQ(ParseTheme(blob.data(), blob.size(), t), kSkinOk);
  EXPECT_EQ(t.Int(ThemeInt::CaptionFontWeight), FindKnownEntry("caption.font.weight")->defaultInt);
  EXPECT_EQ(t.Int(ThemeInt::ButtonBorderWidth), FindKnownEntry("button.border.width")->defaultInt);
}

TEST(ThemeFormat, EntryOrderDoesNotMatter) {
  std::vector<RawEntry> entries = SampleEntries();
  std::reverse(entries.begin(), entries.end());
  const Bytes blob = PackEntries(entries);
  Theme t;
  ASSERT_EQ(ParseTheme(blob.data(), blob.size(), t), kSkinOk);
  EXPECT_EQ(t, SampleTheme());
}

TEST(ThemeFormat, NullOrEmptyInputIsRefused) {
  Theme t;
  EXPECT_EQ(ParseTheme(nullptr, 0, t), kSkinErrNoTheme);
  EXPECT_EQ(ParseTheme(nullptr, 16, t), kSkinErrNullTheme);
  EXPECT_EQ(ParseTheme(nullptr, SIZE_MAX, t), kSkinErrNullTheme);
  const uint8_t one = '.';
  EXPECT_EQ(ParseTheme(&one, 0, t), kSkinErrLengthMismatch);
}

// Each case damages a good theme in one way and names the code it must get.
struct Corruption {
  const char* what;
  std::function<void(Bytes&)> damage;
  int32_t expected;
};

void EditEntries(Bytes& b, const std::function<void(std::vector<RawEntry>&)>& edit) {
  std::vector<RawEntry> entries = SampleEntries();
  edit(entries);
  b = PackEntries(entries);
}

size_t OffsetOfFirstValueLength() {
  return kThemeHeaderSize + 1 + KnownEntries().front().name.size() + 1;
}

TEST(ThemeFormat, EachCorruptionIsRefusedWithItsCode) {
  const std::vector<Corruption> cases = {
      {"bad magic", [](Bytes& b) { b[1] = 's'; }, kSkinErrBadMagic},
      {"version 0", [](Bytes& b) { b[4] = 0; }, kSkinErrUnsupportedVersion},
      {"version 2", [](Bytes& b) { b[4] = 2; }, kSkinErrUnsupportedVersion},
      {"high version byte", [](Bytes& b) { b[5] = 1; }, kSkinErrUnsupportedVersion},
      {"declared one byte longer", [](Bytes& b) { PutU32(b, 8, static_cast<uint32_t>(b.size() + 1)); },
       kSkinErrLengthMismatch},
      {"declared one byte shorter", [](Bytes& b) { PutU32(b, 8, static_cast<uint32_t>(b.size() - 1)); },
       kSkinErrLengthMismatch},
      {"declared huge", [](Bytes& b) { PutU32(b, 8, 0xFFFFFFFFu); }, kSkinErrLengthMismatch},
      {"extra byte given", [](Bytes& b) { b.push_back(0); }, kSkinErrLengthMismatch},
      {"checksum off by one bit", [](Bytes& b) { b[12] ^= 1; }, kSkinErrChecksumMismatch},
      {"entry byte flipped", [](Bytes& b) { b.back() ^= 0x80; }, kSkinErrChecksumMismatch},
      {"value length runs past the end",
       [](Bytes& b) {
         // Make the last entry claim more value bytes than remain.
         b[b.size() - 5] = 200;
         Reseal(b);
       },
       kSkinErrEntryOutOfBounds},
      {"name length runs past the end",
       [](Bytes& b) {
         const size_t lastEntry = b.size() - (1 + KnownEntries().back().name.size() + 2 + 4);
         b[lastEntry] = 255;
         Reseal(b);
       },
       kSkinErrEntryOutOfBounds},
      {"more entries counted than stored",
       [](Bytes& b) {
         b[6] = static_cast<uint8_t>(b[6] + 1);
       },
       kSkinErrEntryOutOfBounds},
      {"fewer entries counted than stored",
       [](Bytes& b) { b[6] = static_cast<uint8_t>(b[6] - 1); }, kSkinErrMalformedEntry},
      {"colour value of 4 bytes",
       [](Bytes& b) {
         b[OffsetOfFirstValueLength()] = 4;
         Reseal(b);
       },
       kSkinErrMalformedEntry},
      {"unknown entry type",
       [](Bytes& b) {
         b[OffsetOfFirstValueLength() - 1] = 9;
         Reseal(b);
       },
       kSkinErrMalformedEntry},
      {"integer type on a colour name",
       [](Bytes& b) {
         b[OffsetOfFirstValueLength() - 1] = static_cast<uint8_t>(EntryType::Integer);
         Reseal(b);
       },
       kSkinErrMalformedEntry},
      {"upper-case name",
       [](Bytes& b) {
         b[kThemeHeaderSize + 1] = 'W';
         Reseal(b);
       },
       kSkinErrMalformedEntry},
      {"unknown name",
       [](Bytes& b) {
         EditEntries(b, [](auto& e) { e.push_back({"window.sparkles", EntryType::Color, 1}); });
       },
       kSkinErrMalformedEntry},
      {"empty name",
       [](Bytes& b) { EditEntries(b, [](auto& e) { e.push_back({"", EntryType::Color, 1}); }); },
       kSkinErrMalformedEntry},
      {"duplicate colour",
       [](Bytes& b) { EditEntries(b, [](auto& e) { e.push_back(e.front()); }); },
       kSkinErrDuplicateEntry},
      {"duplicate integer",
       [](Bytes& b) { EditEntries(b, [](auto& e) { e.push_back(e.back()); }); },
       kSkinErrDuplicateEntry},
      {"missing required colour",
       [](Bytes& b) { EditEntries(b, [](auto& e) { e.erase(e.begin() + 3); }); },
       kSkinErrMissingEntry},
      {"no entries at all", [](Bytes& b) { EditEntries(b, [](auto& e) { e.clear(); }); },
       kSkinErrMissingEntry},
  };
  for (const Corruption& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes blob = PackTheme(SampleTheme());
    c.damage(blob);
    EXPECT_EQ(Parse(blob), c.expected);
  }
}

TEST(ThemeFormat, EveryTruncationIsRefused) {
  const Bytes blob = PackTheme(SampleTheme());
  for (size_t length = 0; length < blob.size(); ++length) {
    SCOPED_TRACE(length);
    // A fresh copy of exactly `length` bytes, so the sanitizers catch any
    // read past what the parser was given.
    const Bytes cut(blob.begin(), blob.begin() + static_cast<std::ptrdiff_t>(length));
    Theme t;
    const int32_t rc = ParseTheme(length ? cut.data() : blob.data(), length, t);
    EXPECT_EQ(rc, kSkinErrLengthMismatch);
  }
}

TEST(ThemeFormat, TruncationWithResealedHeaderIsRefusedInsideTheEntries) {
  // Someone cutting a theme and fixing up length and checksum must still be
  // stopped by the entry bounds, at every cut.
  const Bytes blob = PackTheme(SampleTheme());
  for (size_t length = kThemeHeaderSize; length < blob.size(); ++length) {
    SCOPED_TRACE(length);
    Bytes cut(blob.begin(), blob.begin() + static_cast<std::ptrdiff_t>(length));
    PutU32(cut, 8, static_cast<uint32_t>(length));
    Reseal(cut);
    const int32_t rc = Parse(cut);
    EXPECT_TRUE(rc == kSkinErrEntryOutOfBounds || rc == kSkinErrMalformedEntry) << rc;
  }
}

TEST(ThemeFormat, RefusedParseLeavesTheOutputUntouched) {
  Theme kept = SampleTheme();
  Bytes bad = PackTheme(Theme{});
  bad[12] ^= 0xFF;
  ASSERT_NE(ParseTheme(bad.data(), bad.size(), kept), kSkinOk);
  EXPECT_EQ(kept, SampleTheme());
}

TEST(ThemeSource, ParsesColoursIntegersAndComments) {
  std::string text;
  for (const KnownEntry& e : KnownEntries()) {
    if (e.type == EntryType::Color) text += "  " + std::string(e.name) + " =  #0a0B0c  ; note\r\n";
  }
  text += "# a comment line\n; another\n\ncaption.font.weight=400\nbutton.border.width = -2";
  const SourceResult r = ParseThemeSource(text);
  ASSERT_TRUE(r.theme) << r.line << ": " << r.error;
  EXPECT_EQ(r.theme->Color(ThemeColor::StatusBarDivider), (Rgb{0x0A, 0x0B, 0x0C}));
  EXPECT_EQ(r.theme->Int(ThemeInt::CaptionFontWeight), 400);
  EXPECT_EQ(r.theme->Int(ThemeInt::ButtonBorderWidth), -2);
}

TEST(ThemeSource, ReportsTheLineOfEachMistake) {
  std::string good;
  for (const KnownEntry& e : KnownEntries()) {
    if (e.type == EntryType::Color) good += std::string(e.name) + " = #102030\n";
  }
  const size_t goodLines = KnownEntries().size() - kThemeIntCount;
  struct Case {
    std::string appended;
    std::string errorPart;
  };
  const std::vector<Case> cases = {
      {"window.background = #102030\n", "twice"},
      {"window.sparkle = #102030\n", "unknown"},
      {"caption.font.weight = #102030\n", "whole number"},
      {"caption.font.weight = 99999999999\n", "whole number"},
      {"caption.font.weight = 7x\n", "whole number"},
      {"no equals sign here\n", "name = value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.appended);
    const SourceResult r = ParseThemeSource(good + c.appended);
    ASSERT_FALSE(r.theme);
    EXPECT_EQ(r.line, goodLines + 1);
    EXPECT_NE(r.error.find(c.errorPart), std::string::npos) << r.error;
  }
  const std::vector<std::string> badColours = {"#12345", "#1234567", "123456", "#12345G", "#"};
  for (const std::string& colour : badColours) {
    SCOPED_TRACE(colour);
    const SourceResult r = ParseThemeSource("window.background = " + colour + "\n");
    ASSERT_FALSE(r.theme);
    EXPECT_EQ(r.line, 1u);
  }
  const SourceResult missing = ParseThemeSource("window.background = #102030\n");
  ASSERT_FALSE(missing.theme);
  EXPECT_NE(missing.error.find("missing"), std::string::npos);
}

int Distance(Rgb a, Rgb b) {
  return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

TEST(ShippedTheme, ParsesAndIsTellableFromSystemGreys) {
  const SourceResult r = ParseThemeSource(ReadFile(VELMORA_THEME_SOURCE));
  ASSERT_TRUE(r.theme) << r.line << ": " << r.error;
  const Theme& t = *r.theme;
  // Pixel tests tell skinned from plain windows by these colours, so keep
  // them well away from the stock button face, window and caption colours.
  const std::vector<Rgb> systemColours = {
      {0xF0, 0xF0, 0xF0}, {0xD4, 0xD0, 0xC8}, {0xC0, 0xC0, 0xC0}, {0xFF, 0xFF, 0xFF},
      {0x00, 0x00, 0x80}, {0x0A, 0x24, 0x6A}, {0x99, 0xB4, 0xD1}, {0x80, 0x80, 0x80}};
  for (ThemeColor c : {ThemeColor::WindowBackground, ThemeColor::CaptionActive,
                       ThemeColor::ButtonFaceNormal, ThemeColor::StatusBarBackground}) {
    for (Rgb s : systemColours) {
      EXPECT_GT(Distance(t.Color(c), s), 40) << static_cast<size_t>(c);
    }
  }
  EXPECT_GT(Distance(t.Color(ThemeColor::CaptionActive), t.Color(ThemeColor::CaptionInactive)), 60);
  EXPECT_GT(Distance(t.Color(ThemeColor::CaptionActive), t.Color(ThemeColor::CaptionTextActive)), 200);
  EXPECT_GT(Distance(t.Color(ThemeColor::StatusBarBackground), t.Color(ThemeColor::StatusBarText)),
            200);
}

}  // namespace
}  // namespace velmora::skin
