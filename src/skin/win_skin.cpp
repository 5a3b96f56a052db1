// The file system and resources behind the skin rules, and the two entry
// points the start-up and the created handler call.
#include <windows.h>

#include <algorithm>

#include "app/process_state.h"
#include "app/win_library_loader.h"
#include "app/win_owners.h"
#include "skin/carried_blobs.h"
#include "skin/skin_library.h"
#include "skin/win_skin.h"

namespace velmora {
namespace {

ByteBlock ResourceBlock(int id) {
  HMODULE self = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (found == nullptr) return {};
  HGLOBAL loaded = LoadResource(self, found);
  if (loaded == nullptr) return {};
  return {static_cast<const uint8_t*>(LockResource(loaded)), SizeofResource(self, found)};
}

class WinSkinFiles final : public SkinFiles {
 public:
  bool Exists(std::u16string_view path) override {
    if (path.empty()) return false;
    std::u16string name(path);
    WIN32_FIND_DATAW data;
    UniqueFind find(FindFirstFileW(Wide(name), &data));
    return static_cast<bool>(find);
  }

  bool WriteWholeFile(std::u16string_view path, const uint8_t* data, size_t size) override {
    if (path.empty()) return false;
    std::u16string name(path);
    UniqueFile file(CreateFileW(Wide(name), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    size_t written = 0;
    while (written < size) {
      DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - written, 1u << 30));
      DWORD done = 0;
      if (!WriteFile(file.Get(), data + written, chunk, &done, nullptr) || done == 0) return false;
      written += done;
    }
    return CloseHandle(file.Release()) != 0;
  }

  std::u16string TemporaryFolder() override {
    wchar_t buffer[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH) return std::u16string();
    return std::u16string(U16(buffer, length));
  }

  std::u16string RunDirectory() override { return Process().runDirectory; }

  std::u16string SystemDirectoryWithSeparator() override {
    return SystemDirectoryFromQuery([](char16_t* buffer, uint32_t size) {
      return Declared().Call<GetSystemDirectoryEntry>(buffer, size);  // result ignored: the buffer tells
    });
  }
};

WinSkinFiles& Files() {
  static WinSkinFiles files;
  return files;
}

}  // namespace

ByteBlock SkinDllBlob() { return ResourceBlock(VELMORA_RESOURCE_SKIN_DLL); }
ByteBlock SkinThemeBlob() { return ResourceBlock(VELMORA_RESOURCE_SKIN_THEME); }

SkinFiles& PlatformSkinFiles() { return Files(); }

void InitSkinModule() { InitSkinModule(Files()); }

void StartRoutine() {
  ByteBlock dll = SkinDllBlob();
  PlaceSkinLibrary(dll.data, dll.size, Files());
}

void AttachSkinFromMemory(int32_t a, int32_t b, int32_t c) {
  ByteBlock theme = SkinThemeBlob();
  AttachSkinResource(theme.data, theme.size, "", a, b, c, Declared(), Files());  // result discarded
}

}  // namespace velmora
