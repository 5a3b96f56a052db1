// The order of start-up and shutdown. The steps themselves are the platform's
// and the modules'; this file only fixes when each one runs.
#pragma once

#include <functional>
#include <vector>

namespace velmora {

struct ProcessSteps {
  std::function<void()> initialiseOle;            // a failure is ignored
  std::function<void()> determineRunDirectory;
  std::vector<std::function<void()>> moduleInitialisers;
  std::function<void()> startRoutine;
  std::function<bool()> loadMainWindow;           // false: the fatal error
  std::function<void()> runMessageLoop;
  std::function<void()> releaseLibraries;         // and clear the binding
  std::function<void()> uninitialiseOle;
  std::function<void()> exitCallback;             // OnProcessExit in the program
  std::function<void()> fatalWindowNotLoaded;     // must not return
};

// Runs start-up, the message loop and the shutdown; returns the exit code (0).
int RunProcess(const ProcessSteps& steps);

}  // namespace velmora
