// The platform's side of the declared-function table, and the process's table.
#pragma once

#include "app/declared_functions.h"

namespace velmora {

class WinLibraryLoader final : public LibraryLoader {
 public:
  Handle LoadSystemLibrary(std::u16string_view bareName) override;
  Handle LoadLibraryFile(std::u16string_view fullPath) override;
  void* FindFunction(Handle library, const ProcName& name) override;
  void Release(Handle library) override;
  std::u16string FullPathOf(std::u16string_view path) override;
};

// The process's declared-function table; its failures raise FatalRuntimeError.
DeclaredFunctionTable& Declared();

}  // namespace velmora
