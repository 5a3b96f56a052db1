// Feeds arbitrary bytes to the binary parser and to the text source parser.
// Random bytes almost never carry a matching length and CRC-32, so each
// input is also tried once with its header fixed up, which lets the fuzzer
// reach the entry checks behind them.
// Besides memory errors (the sanitizers), it checks that anything accepted
// packs and reads back to the same theme, so parser and packer agree.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "skin_engine_abi.h"
#include "theme_format.h"

namespace {

void CheckRoundTrip(const velmora::skin::Theme& theme) {
  const std::vector<uint8_t> packed = velmora::skin::PackTheme(theme);
  velmora::skin::Theme again;
  if (velmora::skin::ParseTheme(packed.data(), packed.size(), again) != kSkinOk ||
      !(again == theme)) {
    __builtin_trap();
  }
}

void ParseSealed(const uint8_t* data, size_t size) {
  if (size < velmora::skin::kThemeHeaderSize) return;
  std::vector<uint8_t> sealed(data, data + size);
  const uint32_t length = static_cast<uint32_t>(size);
  const uint32_t crc = velmora::skin::Crc32(sealed.data() + velmora::skin::kThemeHeaderSize,
                                            size - velmora::skin::kThemeHeaderSize);
  for (size_t i = 0; i < 4; ++i) {
    sealed[8 + i] = static_cast<uint8_t>(length >> (8 * i));
    sealed[12 + i] = static_cast<uint8_t>(crc >> (8 * i));
  }
  velmora::skin::Theme theme;
  if (velmora::skin::ParseTheme(sealed.data(), sealed.size(), theme) == kSkinOk) {
    CheckRoundTrip(theme);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  velmora::skin::Theme theme;
  if (velmora::skin::ParseTheme(data, size, theme) == kSkinOk) CheckRoundTrip(theme);
  ParseSealed(data, size);

  const velmora::skin::SourceResult source =
      velmora::skin::ParseThemeSource(std::string_view(reinterpret_cast<const char*>(data), size));
  if (source.theme) CheckRoundTrip(*source.theme);
  return 0;
}
