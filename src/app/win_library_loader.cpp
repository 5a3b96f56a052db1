#include "app/win_library_loader.h"

#include <windows.h>

#include "app/fatal_error.h"
#include "app/win_owners.h"

namespace velmora {

LibraryLoader::Handle WinLibraryLoader::LoadSystemLibrary(std::u16string_view bareName) {
  // Only the system directory: a copy planted beside the program or in the
  // current directory must never be the one loaded.
  std::u16string name(bareName);
  return LoadLibraryExW(Wide(name), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

LibraryLoader::Handle WinLibraryLoader::LoadLibraryFile(std::u16string_view fullPath) {
  std::u16string path(fullPath);
  // The engine's own imports are system libraries; let them resolve from the
  // library's folder and the system directory only.
  HMODULE module = LoadLibraryExW(Wide(path), nullptr,
                                  LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr) module = LoadLibraryW(Wide(path));
  return module;
}

void* WinLibraryLoader::FindFunction(Handle library, const ProcName& name) {
  auto module = static_cast<HMODULE>(library);
  FARPROC proc = name.ordinal ? GetProcAddress(module, MAKEINTRESOURCEA(*name.ordinal))
                              : GetProcAddress(module, name.name.c_str());
  return reinterpret_cast<void*>(proc);
}

void WinLibraryLoader::Release(Handle library) { FreeLibrary(static_cast<HMODULE>(library)); }

std::u16string WinLibraryLoader::FullPathOf(std::u16string_view path) {
  std::u16string input(path);
  // 260 units, as the platform's classic path limit; a longer result is
  // passed on as given, which the load then judges.
  wchar_t buffer[260];
  DWORD length = GetFullPathNameW(Wide(input), 260, buffer, nullptr);
  if (length == 0 || length >= 260) return input;
  return std::u16string(U16(buffer, length));
}

DeclaredFunctionTable& Declared() {
  static WinLibraryLoader loader;
  static DeclaredFunctionTable table(loader, [](const std::u16string& message) { FatalRuntimeError(message); });
  return table;
}

}  // namespace velmora
