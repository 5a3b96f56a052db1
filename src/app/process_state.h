// What the whole process shares: the two process-wide texts, the run
// directory, and the exit callback that releases the texts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

struct ProcessState {
  std::u16string skinLibraryPath;                // empty until the skin module records one
  std::optional<std::u16string> lastStatusText;  // absent until the view reports a status text
  std::u16string runDirectory;
  int exitCallbackRuns = 0;  // how often OnProcessExit ran; it must be at most once
};

ProcessState& Process();

// Readers treat an absent status text as the empty text.
std::u16string_view LastStatusTextOrEmpty();

// The program's only exit callback: releases SkinLibraryPath, then LastStatusText.
void OnProcessExit();

// The folder of the program file without a trailing backslash; for a program
// in a drive's root that is the drive letter and colon alone.
std::u16string RunDirectoryOf(std::u16string_view programFile);

}  // namespace velmora
