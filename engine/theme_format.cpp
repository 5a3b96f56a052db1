#include "theme_format.h"

#include <algorithm>
#include <cstring>

#include "skin_engine_abi.h"

namespace velmora::skin {
namespace {

constexpr uint8_t kMagic[4] = {'.', 'S', 'H', 'E'};
constexpr size_t kColorValueSize = 3;
constexpr size_t kIntValueSize = 4;

KnownEntry Color(std::string_view name, ThemeColor c) {
  return {name, EntryType::Color, static_cast<size_t>(c), true, 0};
}
KnownEntry Int(std::string_view name, ThemeInt i, int32_t defaultValue) {
  return {name, EntryType::Integer, static_cast<size_t>(i), false, defaultValue};
}

uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t ReadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void WriteU16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}
void WriteU32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (size_t i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_';
}

size_t ValueSize(EntryType type) {
  return type == EntryType::Color ? kColorValueSize : kIntValueSize;
}

// Applies one already bounds-checked entry; the caller tracks duplicates.
int32_t ApplyEntry(const KnownEntry* known, EntryType type, const uint8_t* value,
                   size_t valueSize, Theme& theme) {
  if (known == nullptr || known->type != type || valueSize != ValueSize(type)) {
    return kSkinErrMalformedEntry;
  }
  if (type == EntryType::Color) {
    theme.colors[known->index] = Rgb{value[0], value[1], value[2]};
  } else {
    theme.ints[known->index] = static_cast<int32_t>(ReadU32(value));
  }
  return kSkinOk;
}

Theme DefaultsOnly() {
  Theme theme;
  for (const KnownEntry& e : KnownEntries()) {
    if (e.type == EntryType::Integer) theme.ints[e.index] = e.defaultInt;
  }
  return theme;
}

bool AllRequiredSeen(const std::vector<bool>& seen) {
  const auto& known = KnownEntries();
  for (size_t i = 0; i < known.size(); ++i) {
    if (known[i].required && !seen[i]) return false;
  }
  return true;
}

size_t KnownIndex(const KnownEntry* e) { return static_cast<size_t>(e - KnownEntries().data()); }

}  // namespace

const std::vector<KnownEntry>& KnownEntries() {
  static const std::vector<KnownEntry> kEntries = {
      Color("window.background", ThemeColor::WindowBackground),
      Color("caption.active", ThemeColor::CaptionActive),
      Color("caption.inactive", ThemeColor::CaptionInactive),
      Color("caption.text.active", ThemeColor::CaptionTextActive),
      Color("caption.text.inactive", ThemeColor::CaptionTextInactive),
      Color("frame.active", ThemeColor::FrameActive),
      Color("frame.inactive", ThemeColor::FrameInactive),
      Color("caption.button.face", ThemeColor::CaptionButtonFace),
      Color("caption.button.glyph", ThemeColor::CaptionButtonGlyph),
      Color("caption.button.hot", ThemeColor::CaptionButtonHot),
      Color("caption.button.pressed", ThemeColor::CaptionButtonPressed),
      Color("caption.close.hot", ThemeColor::CaptionCloseHot),
      Color("label.text", ThemeColor::LabelText),
      Color("edit.background", ThemeColor::EditBackground),
      Color("edit.text", ThemeColor::EditText),
      Color("chooser.background", ThemeColor::ChooserBackground),
      Color("chooser.text", ThemeColor::ChooserText),
      Color("button.face.normal", ThemeColor::ButtonFaceNormal),
      Color("button.face.hot", ThemeColor::ButtonFaceHot),
      Color("button.face.pressed", ThemeColor::ButtonFacePressed),
      Color("button.face.focused", ThemeColor::ButtonFaceFocused),
      Color("button.text", ThemeColor::ButtonText),
      Color("button.text.disabled", ThemeColor::ButtonTextDisabled),
      Color("button.border", ThemeColor::ButtonBorder),
      Color("statusbar.background", ThemeColor::StatusBarBackground),
      Color("statusbar.text", ThemeColor::StatusBarText),
      Color("statusbar.divider", ThemeColor::StatusBarDivider),
      Int("caption.font.weight", ThemeInt::CaptionFontWeight, 700),
      Int("button.border.width", ThemeInt::ButtonBorderWidth, 1),
  };
  return kEntries;
}

const KnownEntry* FindKnownEntry(std::string_view name) {
  const auto& known = KnownEntries();
  auto it = std::find_if(known.begin(), known.end(),
                         [name](const KnownEntry& e) { return e.name == name; });
  return it == known.end() ? nullptr : &*it;
}

uint32_t Crc32(const uint8_t* data, size_t size) {
  static const std::array<uint32_t, 256> kTable = [] {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[i] = c;
    }
    return table;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) crc = kTable[(crc ^ data[i]) & 0xFFu] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

int32_t ParseTheme(const uint8_t* data, size_t size, Theme& theme) {
  if (data == nullptr) return size == 0 ? kSkinErrNoTheme : kSkinErrNullTheme;
  if (size < sizeof kMagic) return kSkinErrLengthMismatch;
  if (std::memcmp(data, kMagic, sizeof kMagic) != 0) return kSkinErrBadMagic;
  if (size < kThemeHeaderSize) return kSkinErrLengthMismatch;
  if (ReadU16(data + 4) != kThemeFormatVersion) return kSkinErrUnsupportedVersion;
  const size_t entryCount = ReadU16(data + 6);
  if (ReadU32(data + 8) != size) return kSkinErrLengthMismatch;
  if (ReadU32(data + 12) != Crc32(data + kThemeHeaderSize, size - kThemeHeaderSize)) {
    return kSkinErrChecksumMismatch;
  }

  Theme parsed = DefaultsOnly();
  std::vector<bool> seen(KnownEntries().size(), false);
  size_t offset = kThemeHeaderSize;
  // Each step compares against what is left, never offset + n against size,
  // so no sum can wrap.
  for (size_t i = 0; i < entryCount; ++i) {
    if (size - offset < 1) return kSkinErrEntryOutOfBounds;
    const size_t nameLength = data[offset++];
    if (size - offset < nameLength) return kSkinErrEntryOutOfBounds;
    const std::string_view name(reinterpret_cast<const char*>(data + offset), nameLength);
    offset += nameLength;
    if (size - offset < 2) return kSkinErrEntryOutOfBounds;
    const auto type = static_cast<EntryType>(data[offset]);
    const size_t valueSize = data[offset + 1];
    offset += 2;
    if (size - offset < valueSize) return kSkinErrEntryOutOfBounds;
    const uint8_t* value = data + offset;
    offset += valueSize;

    if (nameLength == 0 || nameLength > kMaxEntryName ||
        !std::all_of(name.begin(), name.end(), IsNameChar)) {
      return kSkinErrMalformedEntry;
    }
    if (type != EntryType::Color && type != EntryType::Integer) return kSkinErrMalformedEntry;
    const KnownEntry* known = FindKnownEntry(name);
    if (known != nullptr && seen[KnownIndex(known)]) return kSkinErrDuplicateEntry;
    if (int32_t rc = ApplyEntry(known, type, value, valueSize, parsed); rc != kSkinOk) return rc;
    seen[KnownIndex(known)] = true;
  }
  if (offset != size) return kSkinErrMalformedEntry;
  if (!AllRequiredSeen(seen)) return kSkinErrMissingEntry;
  theme = parsed;
  return kSkinOk;
}

std::vector<uint8_t> PackEntries(const std::vector<RawEntry>& entries) {
  std::vector<uint8_t> out(kThemeHeaderSize, 0);
  std::memcpy(out.data(), kMagic, sizeof kMagic);
  for (const RawEntry& e : entries) {
    out.push_back(static_cast<uint8_t>(e.name.size()));
    out.insert(out.end(), e.name.begin(), e.name.end());
    out.push_back(static_cast<uint8_t>(e.type));
    if (e.type == EntryType::Color) {
      out.push_back(static_cast<uint8_t>(kColorValueSize));
      out.push_back(static_cast<uint8_t>(e.value >> 16));
      out.push_back(static_cast<uint8_t>(e.value >> 8));
      out.push_back(static_cast<uint8_t>(e.value));
    } else {
      out.push_back(static_cast<uint8_t>(kIntValueSize));
      for (size_t i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(e.value >> (8 * i)));
    }
  }
  WriteU16(out, 4, kThemeFormatVersion);
  WriteU16(out, 6, static_cast<uint16_t>(entries.size()));
  WriteU32(out, 8, static_cast<uint32_t>(out.size()));
  WriteU32(out, 12, Crc32(out.data() + kThemeHeaderSize, out.size() - kThemeHeaderSize));
  return out;
}

std::vector<uint8_t> PackTheme(const Theme& theme) {
  std::vector<RawEntry> entries;
  for (const KnownEntry& e : KnownEntries()) {
    uint32_t value;
    if (e.type == EntryType::Color) {
      const Rgb c = theme.colors[e.index];
      value = (static_cast<uint32_t>(c.r) << 16) | (static_cast<uint32_t>(c.g) << 8) | c.b;
    } else {
      value = static_cast<uint32_t>(theme.ints[e.index]);
    }
    entries.push_back({std::string(e.name), e.type, value});
  }
  return PackEntries(entries);
}

namespace {

std::string_view Trim(std::string_view s) {
  const char* kSpace = " \t\r";
  const size_t first = s.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kSpace) - first + 1);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<Rgb> ParseColorText(std::string_view v) {
  if (v.size() != 7 || v[0] != '#') return std::nullopt;
  uint8_t bytes[3];
  for (size_t i = 0; i < 3; ++i) {
    const int hi = HexDigit(v[1 + 2 * i]);
    const int lo = HexDigit(v[2 + 2 * i]);
    if (hi < 0 || lo < 0) return std::nullopt;
    bytes[i] = static_cast<uint8_t>(hi * 16 + lo);
  }
  return Rgb{bytes[0], bytes[1], bytes[2]};
}

std::optional<int32_t> ParseIntText(std::string_view v) {
  bool negative = !v.empty() && v[0] == '-';
  if (negative) v.remove_prefix(1);
  if (v.empty() || v.size() > 10) return std::nullopt;
  int64_t n = 0;
  for (char c : v) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  if (negative) n = -n;
  if (n < INT32_MIN || n > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(n);
}

SourceResult Fail(size_t line, const std::string& why) {
  return {std::nullopt, line, why};
}

}  // namespace

SourceResult ParseThemeSource(std::string_view text) {
  Theme theme = DefaultsOnly();
  std::vector<bool> seen(KnownEntries().size(), false);
  size_t lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);

    line = Trim(line);
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    line = Trim(line.substr(0, line.find(';')));
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return Fail(lineNumber, "expected 'name = value'");
    const std::string_view name = Trim(line.substr(0, eq));
    const std::string_view value = Trim(line.substr(eq + 1));
    const KnownEntry* known = FindKnownEntry(name);
    if (known == nullptr) return Fail(lineNumber, "unknown name '" + std::string(name) + "'");
    if (seen[KnownIndex(known)]) return Fail(lineNumber, "'" + std::string(name) + "' set twice");
    if (known->type == EntryType::Color) {
      const auto c = ParseColorText(value);
      if (!c) return Fail(lineNumber, "expected a colour like #1F4E79");
      theme.colors[known->index] = *c;
    } else {
      const auto n = ParseIntText(value);
      if (!n) return Fail(lineNumber, "expected a whole number");
      theme.ints[known->index] = *n;
    }
    seen[KnownIndex(known)] = true;
  }
  for (const KnownEntry& e : KnownEntries()) {
    if (e.required && !seen[KnownIndex(&e)]) {
      return Fail(lineNumber, "'" + std::string(e.name) + "' is missing");
    }
  }
  return {theme, 0, {}};
}

}  // namespace velmora::skin
