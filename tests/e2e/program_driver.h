// Starts the real velmora.exe and drives its window from outside, as a
// person (or an accessibility tool) would: by messages to its controls.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/win_owners.h"

namespace velmora::testing {

// Control identifiers as the window's definition numbers them.
enum : int {
  kAddressBoxId = 1002,
  kBrowseButtonId = 1005,
  kChooserId = 1006,
  kBackButtonId = 1007,
  kStatusBarId = 1008,
};

struct LaunchOptions {
  std::wstring program;                 // full path of velmora.exe
  std::vector<std::wstring> environment;  // extra "NAME=value" entries
  std::wstring desktop;                 // empty: the caller's desktop
  std::wstring directory;
};

class RunningProgram {
 public:
  bool Start(const LaunchOptions& options);
  ~RunningProgram();

  // Waits for the main window to be visible; null on time-out.
  HWND WaitForWindow(DWORD timeoutMs = 60000);
  HWND Window() const { return window_; }
  HWND Control(int id) const { return GetDlgItem(window_, id); }
  DWORD ProcessId() const { return processId_; }
  HANDLE Process() const { return process_.Get(); }

  void SetAddress(const std::wstring& text);
  void Choose(int index);
  void ClickBrowse() { ClickBrowse(Control(kBrowseButtonId)); }
  // With the button's handle already at hand, for a caller that times the
  // click and not the lookup in the program's process.
  void ClickBrowse(HWND button) const { SendClicked(kBrowseButtonId, button); }
  void ClickBack() { SendClicked(kBackButtonId, Control(kBackButtonId)); }
  std::wstring AddressText() const;
  std::wstring ChooserText() const;
  std::wstring StatusText(int pane = 0) const;  // read through memory in the program's process
  // Top-level windows of the program other than the main window.
  std::vector<HWND> OtherWindows() const;
  bool Responds(DWORD timeoutMs = 1000) const;  // answers a message within the time
  // Waits for the process to end and returns its exit code.
  bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);

 private:
  void Enumerate(void* search) const;
  // What a click on the button delivers to its window: the clicked command.
  void SendClicked(int id, HWND button) const;
  UniqueHandle process_;
  DWORD processId_ = 0;
  HWND window_ = nullptr;
  HDESK desktop_ = nullptr;
};

std::wstring ProgramUnderTest();  // VELMORA_EXE, or velmora.exe in the build tree
std::wstring ArtefactFolder();    // where screenshots go
// Saves the screen area of `window` as a 24-bit BMP file.
bool SaveWindowShot(HWND window, const std::wstring& path);

}  // namespace velmora::testing
