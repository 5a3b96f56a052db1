#include "app/declared_functions.h"

#include <cstdlib>

namespace velmora {
namespace {

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

}  // namespace

ProcName ParseProcName(std::string_view text) {
  ProcName result;
  if (text.size() >= 2 && text[0] == '#') {
    uint32_t low16 = 0;
    bool digitsOnly = true;
    for (char c : text.substr(1)) {
      if (c < '0' || c > '9') {
        digitsOnly = false;
        break;
      }
      // Only the low 16 bits matter, so reduce as we go: no overflow for any length.
      low16 = (low16 * 10 + static_cast<uint32_t>(c - '0')) & 0xFFFFu;
    }
    if (digitsOnly) {
      result.ordinal = static_cast<uint16_t>(low16);
      return result;
    }
  }
  result.name = std::string(text);
  return result;
}

void DeclaredFunctionTable::Fail(const std::u16string& message) {
  fatal_(message);
  std::abort();  // a fatal handler that returns is a programming error
}

void* DeclaredFunctionTable::Resolve(int number) {
  if (number < 0 || number >= kDeclaredFunctionCount) Fail(u"Unknown declared function.");
  const DeclaredFunction& entry = kDeclaredFunctions[number];

  if (binding_.library != nullptr) {
    // A binding applies to exactly one call and is never remembered, since the
    // bound library can differ from call to call.
    Binding binding = binding_;
    binding_ = Binding{};
    std::string_view wanted = binding.function.empty() ? std::string_view(entry.function) : binding.function;
    void* address = loader_.FindFunction(binding.library, ParseProcName(wanted));
    if (address == nullptr) Fail(u"The function " + Widen(wanted) + u" was not found in the bound library.");
    return address;
  }

  Slot& slot = slots_[number];
  if (slot.address != nullptr) return slot.address;

  LibraryLoader::Handle library = loader_.LoadSystemLibrary(entry.library);
  if (library == nullptr) Fail(u"The library " + std::u16string(entry.library) + u" could not be loaded.");
  void* address = loader_.FindFunction(library, ParseProcName(entry.function));
  if (address == nullptr) {
    loader_.Release(library);
    Fail(u"The function " + Widen(entry.function) + u" was not found in " + std::u16string(entry.library) + u".");
  }
  slot.address = address;
  slot.library = library;
  return address;
}

bool DeclaredFunctionTable::BindLibraryFunction(std::optional<std::u16string_view> library,
                                                std::optional<std::string_view> function) {
  binding_ = Binding{};
  if (!library || library->empty()) return true;

  std::u16string fullPath = loader_.FullPathOf(*library);
  LibraryLoader::Handle handle = nullptr;
  bool loadedNow = false;
  for (const BoundLibrary& known : boundLibraries_) {
    if (known.fullPath == fullPath) handle = known.library;
  }
  if (handle == nullptr) {
    handle = loader_.LoadLibraryFile(fullPath);
    if (handle == nullptr) return false;
    loadedNow = true;
  }

  std::string functionName = function ? std::string(*function) : std::string();
  bool found = functionName.empty() || loader_.FindFunction(handle, ParseProcName(functionName)) != nullptr;
  if (!found) {
    if (loadedNow) loader_.Release(handle);
    return false;
  }
  if (loadedNow) boundLibraries_.push_back({fullPath, handle});
  binding_ = Binding{handle, functionName};
  return true;
}

void DeclaredFunctionTable::ReleaseAll() {
  binding_ = Binding{};
  for (Slot& slot : slots_) {
    if (slot.library != nullptr) loader_.Release(slot.library);
    slot = Slot{};
  }
  for (const BoundLibrary& known : boundLibraries_) loader_.Release(known.library);
  boundLibraries_.clear();
}

}  // namespace velmora
