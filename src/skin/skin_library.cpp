#include "skin/skin_library.h"

#include "app/process_state.h"
#include "browse/address_rules.h"

namespace velmora {

void SetSkinLibraryPath(std::u16string_view path, SkinFiles& files) {
  std::u16string& recorded = Process().skinLibraryPath;
  recorded = std::u16string(TrimBlanks(path));
  if (files.Exists(recorded)) return;

  // Both fallbacks are looked at, in this order, so the later one wins.
  std::u16string beside = files.RunDirectory() + u"\\" + std::u16string(kSkinLibraryName);
  if (files.Exists(beside)) recorded = beside;
  std::u16string system = files.SystemDirectoryWithSeparator() + std::u16string(kSkinLibraryName);
  if (files.Exists(system)) recorded = system;
}

void InitSkinModule(SkinFiles& files) { SetSkinLibraryPath(u"", files); }

void PlaceSkinLibrary(const uint8_t* blob, size_t size, SkinFiles& files) {
  std::u16string folder = files.TemporaryFolder();
  if (!folder.empty() && folder.back() != u'\\') folder.push_back(u'\\');
  // The folder already ends with a backslash, so the path holds two before
  // the name; the file system reads them as one. A failed query leaves
  // "\skin.dll", in the current drive's root.
  std::u16string path = folder + std::u16string(kWrittenSkinName);
  files.WriteWholeFile(path, blob, size);  // a file in use stays as it is; either way the path is recorded
  SetSkinLibraryPath(path, files);
}

bool BindSkinFunction(std::string_view name, DeclaredFunctionTable& table, SkinFiles& files) {
  const std::u16string& path = Process().skinLibraryPath;
  if (!files.Exists(path)) return false;
  return table.BindLibraryFunction(std::u16string_view(path), name);
}

bool AttachSkinResource(const uint8_t* theme, size_t length, std::string_view password, int32_t a, int32_t b,
                        int32_t c, DeclaredFunctionTable& table, SkinFiles& files) {
  if (!BindSkinFunction(kSkinAttachResName, table, files)) return false;
  std::string passwordText(password);
  const char* passwordArgument = passwordText.empty() ? nullptr : passwordText.c_str();
  int32_t result = table.Call<SkinAttachResEntry>(static_cast<const void*>(theme), static_cast<int32_t>(length),
                                                  passwordArgument, a, b, c);
  bool accepted = result == 0;
  table.BindLibraryFunction();  // the call consumed the binding; this keeps it clear
  return accepted;
}

}  // namespace velmora
