#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/process_lifecycle.h"
#include "app/process_state.h"

namespace velmora {
namespace {

struct Fatal {};

ProcessSteps RecordingSteps(std::vector<std::string>& log, bool windowLoads) {
  auto step = [&log](const char* name) { return [&log, name] { log.push_back(name); }; };
  ProcessSteps steps;
  steps.initialiseOle = step("ole");
  steps.determineRunDirectory = step("run directory");
  steps.moduleInitialisers = {step("first module"), step("skin module")};
  steps.startRoutine = step("start routine");
  steps.loadMainWindow = [&log, windowLoads] {
    log.push_back("load window");
    return windowLoads;
  };
  steps.runMessageLoop = step("message loop");
  steps.exitCallback = step("exit callback");
  steps.releaseLibraries = step("release libraries");
  steps.uninitialiseOle = step("uninitialise ole");
  steps.fatalWindowNotLoaded = [&log] {
    log.push_back("fatal");
    throw Fatal{};
  };
  return steps;
}

TEST(ProcessLifecycleTest, StartUpAndShutdownRunInTheirOrderAndEndWithZero) {
  std::vector<std::string> log;
  EXPECT_EQ(RunProcess(RecordingSteps(log, true)), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"ole", "run directory", "first module", "skin module", "start routine",
                                           "load window", "message loop", "exit callback", "release libraries",
                                           "uninitialise ole"}));
}

TEST(ProcessLifecycleTest, AWindowThatCannotLoadIsFatalAndSkipsTheExitCallback) {
  std::vector<std::string> log;
  EXPECT_THROW(RunProcess(RecordingSteps(log, false)), Fatal);
  EXPECT_EQ(log.back(), "fatal");
  for (const std::string& entry : log) EXPECT_NE(entry, "exit callback");
}

TEST(ProcessStateTest, TextsReadEmptyUntilSetAndTheExitCallbackReleasesBoth) {
  ProcessState& state = Process();
  state = ProcessState{};
  EXPECT_TRUE(state.skinLibraryPath.empty());
  EXPECT_FALSE(state.lastStatusText.has_value());
  EXPECT_TRUE(LastStatusTextOrEmpty().empty());

  state.skinLibraryPath = u"C:\\Temp\\\\skin.dll";
  state.lastStatusText = u"Done";
  EXPECT_EQ(LastStatusTextOrEmpty(), u"Done");
  OnProcessExit();
  EXPECT_TRUE(state.skinLibraryPath.empty());
  EXPECT_FALSE(state.lastStatusText.has_value());
  EXPECT_EQ(state.exitCallbackRuns, 1);
  state = ProcessState{};
}

TEST(RunDirectoryTest, IsTheProgramPathCutBeforeItsLastBackslash) {
  struct Case {
    std::u16string program, expected;
  };
  const Case cases[] = {
      {u"C:\\Program Files\\Velmora\\velmora.exe", u"C:\\Program Files\\Velmora"},
      {u"C:\\velmora.exe", u"C:"},
      {u"\\\\server\\share\\velmora.exe", u"\\\\server\\share"},
      {u"C:\\Users\\김민준\\velmora.exe", u"C:\\Users\\김민준"},
      {u"velmora.exe", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(RunDirectoryOf(c.program), c.expected);
}

}  // namespace
}  // namespace velmora
