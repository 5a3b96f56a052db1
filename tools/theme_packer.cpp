// Packs the readable theme source into the .SHE blob the engine reads.
// Runs on the build machine, so it reports errors the way a compiler would:
// "file:line: why" on stderr and a non-zero exit.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "skin_engine_abi.h"
#include "theme_format.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: theme_packer <in.theme> <out.she>\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << argv[1] << ": cannot open\n";
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();
  const velmora::skin::SourceResult source = velmora::skin::ParseThemeSource(text.str());
  if (!source.theme) {
    std::cerr << argv[1] << ":" << source.line << ": " << source.error << "\n";
    return 1;
  }
  const std::vector<uint8_t> blob = velmora::skin::PackTheme(*source.theme);

  // Refuse to write anything the engine itself would refuse.
  velmora::skin::Theme check;
  if (velmora::skin::ParseTheme(blob.data(), blob.size(), check) != kSkinOk ||
      !(check == *source.theme)) {
    std::cerr << argv[1] << ": packed theme does not read back\n";
    return 1;
  }

  const std::string tmp = std::string(argv[2]) + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(blob.data()), static_cast<std::streamsize>(blob.size()));
    if (!out) {
      std::cerr << argv[2] << ": cannot write\n";
      return 1;
    }
  }
  if (std::rename(tmp.c_str(), argv[2]) != 0) {
    std::cerr << argv[2] << ": cannot replace\n";
    return 1;
  }
  return 0;
}
