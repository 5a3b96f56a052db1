// Feeds arbitrary bytes to the binary parser and to the text source parser.
// Besides memory errors (the sanitizers), it checks that anything accepted
// packs and reads back to the same theme, so parser and packer agree.
#include <cstddef>
#include <cstdint>
#include <string_view>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  velmora::skin::Theme theme;
  if (velmora::skin::ParseTheme(data, size, theme) == kSkinOk) CheckRoundTrip(theme);

  const velmora::skin::SourceResult source =
      velmora::skin::ParseThemeSource(std::string_view(reinterpret_cast<const char*>(data), size));
  if (source.theme) CheckRoundTrip(*source.theme);
  return 0;
}
