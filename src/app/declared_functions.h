// The three functions the program calls in other libraries without importing
// them at load time, and the one-call binding that sends the next such call to
// a library file chosen at run time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/stdcall.h"
#include "skin_engine_abi.h"

namespace velmora {

// A function name as a library exports it, or an ordinal ("#" and decimal digits).
struct ProcName {
  std::string name;                // used when ordinal is empty
  std::optional<uint16_t> ordinal;
};

// "#" followed by decimal digits means the ordinal of the number's low 16 bits.
ProcName ParseProcName(std::string_view text);

// What the table needs of the platform. Libraries named without a folder come
// from the system directory only, never from beside the program or the current
// directory.
class LibraryLoader {
 public:
  using Handle = void*;
  virtual ~LibraryLoader() = default;
  virtual Handle LoadSystemLibrary(std::u16string_view bareName) = 0;
  virtual Handle LoadLibraryFile(std::u16string_view fullPath) = 0;
  virtual void* FindFunction(Handle library, const ProcName& name) = 0;
  virtual void Release(Handle library) = 0;
  virtual std::u16string FullPathOf(std::u16string_view path) = 0;
};

// Called when a declared function cannot be resolved; must not return.
using FatalHandler = void (*)(const std::u16string& message);

// Each entry is a type: its number, library, name and exact signature travel
// together, so a call with the wrong signature does not compile.
struct GetSystemDirectoryEntry {
  static constexpr int kNumber = 0;
  using Signature = uint32_t(VELMORA_STDCALL*)(char16_t* buffer, uint32_t size);
};
struct SkinAttachResEntry {
  static constexpr int kNumber = 1;
  using Signature = SkinAttachResFn;
};
struct UrlMkSetSessionOptionEntry {
  static constexpr int kNumber = 2;
  using Signature = int32_t(VELMORA_STDCALL*)(uint32_t option, const void* buffer, uint32_t length,
                                              uint32_t reserved);
};

struct DeclaredFunction {
  int number;
  const char16_t* library;
  const char* function;
};

inline constexpr DeclaredFunction kDeclaredFunctions[] = {
    {GetSystemDirectoryEntry::kNumber, u"kernel32.dll", "GetSystemDirectoryW"},
    {SkinAttachResEntry::kNumber, u"SkinH_EL.dll", kSkinAttachResName},
    {UrlMkSetSessionOptionEntry::kNumber, u"urlmon.dll", "UrlMkSetSessionOption"},
};
inline constexpr int kDeclaredFunctionCount = sizeof(kDeclaredFunctions) / sizeof(kDeclaredFunctions[0]);

class DeclaredFunctionTable {
 public:
  DeclaredFunctionTable(LibraryLoader& loader, FatalHandler fatal) : loader_(loader), fatal_(fatal) {}
  DeclaredFunctionTable(const DeclaredFunctionTable&) = delete;
  DeclaredFunctionTable& operator=(const DeclaredFunctionTable&) = delete;
  ~DeclaredFunctionTable() { ReleaseAll(); }

  // The address the next call of entry `number` goes to; consumes a binding.
  void* Resolve(int number);

  // Clears the binding, then, for a non-empty library, binds its function for
  // the next declared call. Omitted/empty library: reset form, returns true.
  bool BindLibraryFunction(std::optional<std::u16string_view> library = std::nullopt,
                           std::optional<std::string_view> function = std::nullopt);

  bool BindingInForce() const { return binding_.library != nullptr; }

  // Shutdown: every library loaded for entries and bindings is released and
  // the binding is cleared.
  void ReleaseAll();

  template <class Entry, class... Args>
  auto Call(Args... args) {
    auto function = reinterpret_cast<typename Entry::Signature>(Resolve(Entry::kNumber));
    return function(args...);
  }

 private:
  struct Slot {
    void* address = nullptr;
    LibraryLoader::Handle library = nullptr;
  };
  struct Binding {
    LibraryLoader::Handle library = nullptr;
    std::string function;
  };
  struct BoundLibrary {
    std::u16string fullPath;
    LibraryLoader::Handle library;
  };

  [[noreturn]] void Fail(const std::u16string& message);

  LibraryLoader& loader_;
  FatalHandler fatal_;
  Slot slots_[kDeclaredFunctionCount];
  Binding binding_;
  std::vector<BoundLibrary> boundLibraries_;
};

}  // namespace velmora
