#include "app/fatal_error.h"

#include <windows.h>

#include "app/win_owners.h"

namespace velmora {
namespace {

void ShowErrorBox(const std::u16string& message) {
  // A quit message already queued (the main window may have been destroyed
  // on the way here) would end the box's modal loop before anyone saw it.
  MSG pending;
  while (PeekMessageW(&pending, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  MessageBoxW(nullptr, Wide(message), L"Velmora", MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
}

FatalReporter reporter = ShowErrorBox;

}  // namespace

void SetFatalReporter(FatalReporter replacement) { reporter = replacement ? replacement : ShowErrorBox; }

void FatalRuntimeError(const std::u16string& message) {
  reporter(message);
  // ExitProcess runs none of the program's own shutdown, so OnProcessExit is
  // skipped on this path, as intended.
  ExitProcess(static_cast<UINT>(-1));
}

}  // namespace velmora
