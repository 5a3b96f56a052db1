// The program's one abnormal end: an error box, then exit code -1.
#pragma once

#include <string>

namespace velmora {

[[noreturn]] void FatalRuntimeError(const std::u16string& message);

// How the message reaches the user. The shipped program shows a modal error
// box; a test executable may replace it to observe the text without a box.
using FatalReporter = void (*)(const std::u16string& message);
void SetFatalReporter(FatalReporter reporter);

}  // namespace velmora
