#include "app/process_state.h"

namespace velmora {

ProcessState& Process() {
  static ProcessState state;
  return state;
}

std::u16string_view LastStatusTextOrEmpty() {
  const auto& text = Process().lastStatusText;
  return text ? std::u16string_view(*text) : std::u16string_view();
}

void OnProcessExit() {
  ProcessState& state = Process();
  ++state.exitCallbackRuns;
  std::u16string().swap(state.skinLibraryPath);
  state.lastStatusText.reset();
}

std::u16string RunDirectoryOf(std::u16string_view programFile) {
  size_t cut = programFile.rfind(u'\\');
  if (cut == std::u16string_view::npos) return std::u16string();
  return std::u16string(programFile.substr(0, cut));
}

}  // namespace velmora
