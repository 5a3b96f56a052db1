#include "app/process_lifecycle.h"

#include <cstdlib>

namespace velmora {

int RunProcess(const ProcessSteps& steps) {
  steps.initialiseOle();
  steps.determineRunDirectory();

  for (const auto& initialiser : steps.moduleInitialisers) initialiser();
  steps.startRoutine();
  if (!steps.loadMainWindow()) {
    steps.fatalWindowNotLoaded();
    std::abort();
  }
  steps.runMessageLoop();

  // Run once, at the normal end only (the fatal path leaves the process
  // without it). The window is gone by now, but the skin engine and the
  // URL-moniker library are still loaded while it runs.
  steps.exitCallback();
  steps.releaseLibraries();
  steps.uninitialiseOle();
  return 0;
}

}  // namespace velmora
