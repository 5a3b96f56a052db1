// The packed .SHE theme: what the engine paints with, how it is laid out in
// bytes, and the readable source it is packed from. Portable: no <windows.h>.
//
// Layout, little-endian throughout:
//   offset 0  char[4]  ".SHE"
//          4  uint16   format version (kThemeFormatVersion)
//          6  uint16   entry count
//          8  uint32   total length in bytes, header included
//         12  uint32   CRC-32 (IEEE) of every byte after the header
//         16  entries, back to back, nothing after the last one:
//               uint8 nameLength (1..kMaxEntryName), name ([a-z0-9._]),
//               uint8 type (EntryType), uint8 valueLength, value
//             colour values are 3 bytes R, G, B; integers are int32.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::skin {

inline constexpr uint16_t kThemeFormatVersion = 1;
inline constexpr size_t kThemeHeaderSize = 16;
inline constexpr size_t kMaxEntryName = 63;

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  friend bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
  friend bool operator!=(Rgb a, Rgb b) { return !(a == b); }
};

// Every colour the engine paints with. All are required: a theme that forgot
// one would leave that part in system colours next to skinned neighbours.
enum class ThemeColor : size_t {
  WindowBackground,
  CaptionActive,
  CaptionInactive,
  CaptionTextActive,
  CaptionTextInactive,
  FrameActive,
  FrameInactive,
  CaptionButtonFace,
  CaptionButtonGlyph,
  CaptionButtonHot,
  CaptionButtonPressed,
  CaptionCloseHot,
  LabelText,
  EditBackground,
  EditText,
  ChooserBackground,
  ChooserText,
  ButtonFaceNormal,
  ButtonFaceHot,
  ButtonFacePressed,
  ButtonFaceFocused,
  ButtonText,
  ButtonTextDisabled,
  ButtonBorder,
  StatusBarBackground,
  StatusBarText,
  StatusBarDivider,
  Count
};
inline constexpr size_t kThemeColorCount = static_cast<size_t>(ThemeColor::Count);

// Optional integers; absent ones take the default in the entry table.
enum class ThemeInt : size_t { CaptionFontWeight, ButtonBorderWidth, Count };
inline constexpr size_t kThemeIntCount = static_cast<size_t>(ThemeInt::Count);

enum class EntryType : uint8_t { Color = 1, Integer = 2 };

struct Theme {
  std::array<Rgb, kThemeColorCount> colors{};
  std::array<int32_t, kThemeIntCount> ints{};

  Rgb Color(ThemeColor c) const { return colors[static_cast<size_t>(c)]; }
  int32_t Int(ThemeInt i) const { return ints[static_cast<size_t>(i)]; }
  friend bool operator==(const Theme& a, const Theme& b) {
    return a.colors == b.colors && a.ints == b.ints;
  }
};

// One name the format knows. `index` selects colors[] or ints[] by `type`.
struct KnownEntry {
  std::string_view name;
  EntryType type;
  size_t index;
  bool required;
  int32_t defaultInt;
};
const std::vector<KnownEntry>& KnownEntries();
const KnownEntry* FindKnownEntry(std::string_view name);

// A raw entry as stored, before names are checked against KnownEntries().
// Colours are held as 0xRRGGBB.
struct RawEntry {
  std::string name;
  EntryType type;
  uint32_t value;
};

uint32_t Crc32(const uint8_t* data, size_t size);

// Returns kSkinOk or a kSkinErr code from skin_engine_abi.h. `theme` is only
// written when the whole input checked out.
int32_t ParseTheme(const uint8_t* data, size_t size, Theme& theme);

// Packs whatever entries are given, unchecked, with a correct header. The
// engine never needs this; the packer and tests that build bad themes do.
std::vector<uint8_t> PackEntries(const std::vector<RawEntry>& entries);
std::vector<uint8_t> PackTheme(const Theme& theme);

// The readable source: one `name = #RRGGBB` or `name = 700` per line. A line
// whose first visible character is `#` or `;` is a comment, and `;` after a
// value starts a trailing one (`#` cannot: it begins every colour).
struct SourceResult {
  std::optional<Theme> theme;
  size_t line = 0;    // where it went wrong when theme is empty
  std::string error;  // why
};
SourceResult ParseThemeSource(std::string_view text);

}  // namespace velmora::skin
