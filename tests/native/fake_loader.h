// A loader whose libraries are names in a table, counting every load, lookup
// and release so tests can see what the declared-function table asked for.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/declared_functions.h"

namespace velmora::testing {

struct FatalError {
  std::u16string message;
};

[[noreturn]] inline void ThrowFatal(const std::u16string& message) { throw FatalError{message}; }

class FakeLoader final : public LibraryLoader {
 public:
  struct Library {
    std::map<std::string, void*> functions;  // by name, or "#<ordinal>"
  };

  std::map<std::u16string, Library> systemLibraries;
  std::map<std::u16string, Library> files;  // by full path
  int loads = 0;
  int lookups = 0;
  std::vector<std::u16string> loadedNames;
  std::multiset<Handle> live;  // handles loaded and not yet released

  Handle LoadSystemLibrary(std::u16string_view bareName) override {
    ++loads;
    loadedNames.emplace_back(bareName);
    auto it = systemLibraries.find(std::u16string(bareName));
    return Track(it == systemLibraries.end() ? nullptr : &it->second);
  }
  Handle LoadLibraryFile(std::u16string_view fullPath) override {
    ++loads;
    loadedNames.emplace_back(fullPath);
    auto it = files.find(std::u16string(fullPath));
    return Track(it == files.end() ? nullptr : &it->second);
  }
  void* FindFunction(Handle library, const ProcName& name) override {
    ++lookups;
    auto* lib = static_cast<Library*>(library);
    std::string key = name.ordinal ? "#" + std::to_string(*name.ordinal) : name.name;
    auto it = lib->functions.find(key);
    return it == lib->functions.end() ? nullptr : it->second;
  }
  void Release(Handle library) override {
    auto it = live.find(library);
    if (it != live.end()) live.erase(it);
    ++releases;
  }
  std::u16string FullPathOf(std::u16string_view path) override {
    std::u16string p(path);
    return p.rfind(u"C:\\", 0) == 0 ? p : u"C:\\work\\" + p;
  }
  int releases = 0;

 private:
  Handle Track(Library* library) {
    if (library != nullptr) live.insert(library);
    return library;
  }
};

template <class F>
void* AddressOf(F* function) {
  return reinterpret_cast<void*>(function);
}

}  // namespace velmora::testing
