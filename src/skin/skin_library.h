// Where the skin engine library comes from (the copy written at start, or a
// fallback copy) and how the carried theme is handed to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/declared_functions.h"

namespace velmora {

// What these rules need of the file system.
class SkinFiles {
 public:
  virtual ~SkinFiles() = default;
  // True for a file or folder of that name; false for an empty name.
  virtual bool Exists(std::u16string_view path) = 0;
  // Create-always, no sharing, every byte, closed; false on any failure.
  virtual bool WriteWholeFile(std::u16string_view path, const uint8_t* data, size_t size) = 0;
  // The temporary-files folder as the platform reports it; empty on failure.
  virtual std::u16string TemporaryFolder() = 0;
  virtual std::u16string RunDirectory() = 0;
  virtual std::u16string SystemDirectoryWithSeparator() = 0;
};

inline constexpr std::u16string_view kWrittenSkinName = u"\\skin.dll";
inline constexpr std::u16string_view kSkinLibraryName = u"SkinH_EL.dll";

// Records `path` (trimmed) in SkinLibraryPath; when no file of that name
// exists, a copy in the run directory and then one in the system directory
// replace it, so the system directory's copy wins when both exist.
void SetSkinLibraryPath(std::u16string_view path, SkinFiles& files);

// The skin module's initialiser.
void InitSkinModule(SkinFiles& files);

// The start routine's work: write the carried library and record its path.
void PlaceSkinLibrary(const uint8_t* blob, size_t size, SkinFiles& files);

// A buffer of 255 spaces filled by `query` (declared function 0), read up to
// its terminating zero, with a backslash appended unless it already ends so.
template <class Query>
std::u16string SystemDirectoryFromQuery(Query query) {
  std::u16string buffer(255, u' ');
  buffer.push_back(u'\0');  // the query may write a terminator into the last space
  query(buffer.data(), 255u);
  buffer.resize(std::u16string_view(buffer.c_str()).size());
  if (buffer.empty() || buffer.back() != u'\\') buffer.push_back(u'\\');
  return buffer;
}

// Binds `name` in the library SkinLibraryPath names, for the next declared call.
bool BindSkinFunction(std::string_view name, DeclaredFunctionTable& table, SkinFiles& files);

// Hands the theme to the engine; true when the engine accepted it.
bool AttachSkinResource(const uint8_t* theme, size_t length, std::string_view password, int32_t a, int32_t b,
                        int32_t c, DeclaredFunctionTable& table, SkinFiles& files);

}  // namespace velmora
