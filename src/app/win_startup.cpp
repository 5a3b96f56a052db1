#include "app/win_startup.h"

#include <windows.h>
#include <ole2.h>

#include <new>

#include "app/fatal_error.h"
#include "app/process_lifecycle.h"
#include "app/process_state.h"
#include "app/win_library_loader.h"
#include "app/win_owners.h"
#include "skin/win_skin.h"
#include "ui/main_window.h"

namespace velmora {
namespace {

std::u16string ProgramFileName() {
  std::u16string path(260, u'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(path.data()), static_cast<DWORD>(path.size()));
    if (length == 0) return std::u16string();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

int RunVelmora() {
  // Before anything loads a library: whatever the platform's libraries load
  // for us by name comes from the system directory, never from the program's
  // folder or the current directory.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  bool oleReady = false;
  ProcessSteps steps;
  steps.initialiseOle = [&oleReady] { oleReady = SUCCEEDED(OleInitialize(nullptr)); };
  steps.determineRunDirectory = [] { Process().runDirectory = RunDirectoryOf(ProgramFileName()); };
  steps.moduleInitialisers = {
      [] {},  // the first module has nothing to prepare
      [] { InitSkinModule(); },
  };
  steps.startRoutine = [] { StartRoutine(); };
  steps.loadMainWindow = LoadMainWindow;
  steps.runMessageLoop = RunMessageLoop;
  steps.exitCallback = OnProcessExit;
  steps.releaseLibraries = [] { Declared().ReleaseAll(); };
  steps.uninitialiseOle = [&oleReady] {
    if (oleReady) OleUninitialize();
  };
  steps.fatalWindowNotLoaded = [] { FatalRuntimeError(u"The main window could not be created: the web browser control or a window is not available."); };
  try {
    return RunProcess(steps);
  } catch (const std::bad_alloc&) {
    FatalRuntimeError(u"There is not enough memory to go on.");
  }
}

}  // namespace velmora
