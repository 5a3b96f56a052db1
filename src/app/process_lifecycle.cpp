#include "app/process_lifecycle.h"

#include <cstdlib>

namespace velmora {

int RunProcess(const ProcessSteps& steps) {
  steps.initialiseOle();
  steps.determineRunDirectory();

  // Registered before any other routine of the program runs, and run once, at
  // the normal end only: the fatal path leaves the process without it.
  std::function<void()> exitCallback = steps.exitCallback;

  for (const auto& initialiser : steps.moduleInitialisers) initialiser();
  steps.startRoutine();
  if (!steps.loadMainWindow()) {
    steps.fatalWindowNotLoaded();
    std::abort();
  }
  steps.runMessageLoop();

  // The window is gone by now, but the skin engine and the URL-moniker library
  // are still loaded while the exit callback runs.
  exitCallback();
  steps.releaseLibraries();
  steps.uninitialiseOle();
  return 0;
}

}  // namespace velmora
