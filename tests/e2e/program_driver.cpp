#include "program_driver.h"

#include <commctrl.h>

#include <algorithm>
#include <thread>

#include "../win/test_support.h"

namespace velmora::testing {
namespace {

struct Search {
  DWORD processId;
  HWND found;
  std::vector<HWND>* all;
};

BOOL CALLBACK FindMain(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId) return TRUE;
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (std::wstring(name) == L"VelmoraMainWindow") {
    search->found = window;
  } else if (search->all != nullptr && IsWindowVisible(window)) {
    search->all->push_back(window);
  }
  return TRUE;
}

}  // namespace

// Windows of another desktop are listed by a thread attached to it.
void RunningProgram::Enumerate(void* search) const {
  if (desktop_ == nullptr) {
    EnumWindows(FindMain, reinterpret_cast<LPARAM>(search));
    return;
  }
  HDESK desktop = desktop_;
  std::thread lister([desktop, search] {
    SetThreadDesktop(desktop);
    EnumWindows(FindMain, reinterpret_cast<LPARAM>(search));
  });
  lister.join();
}

bool RunningProgram::Start(const LaunchOptions& options) {
  std::vector<wchar_t> block = EnvironmentBlock(options.environment);

  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  std::wstring desktopName = options.desktop;
  if (!desktopName.empty()) {
    desktop_ = CreateDesktopW(desktopName.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    startup.lpDesktop = desktopName.data();
  }
  PROCESS_INFORMATION info = {};
  std::wstring commandLine = L"\"" + options.program + L"\"";
  if (!CreateProcessW(options.program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                      block.data(), options.directory.empty() ? nullptr : options.directory.c_str(), &startup, &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  process_.Reset(info.hProcess);
  processId_ = info.dwProcessId;
  return true;
}

RunningProgram::~RunningProgram() {
  if (process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
    if (window_ != nullptr) PostMessageW(window_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.Get(), 10000) == WAIT_TIMEOUT) TerminateProcess(process_.Get(), 99);
  }
  if (desktop_ != nullptr) CloseDesktop(desktop_);
}

HWND RunningProgram::WaitForWindow(DWORD timeoutMs) {
  DWORD until = GetTickCount() + timeoutMs;
  while (GetTickCount() < until) {
    Search search = {processId_, nullptr, nullptr};
    Enumerate(&search);
    if (search.found != nullptr && IsWindowVisible(search.found)) {
      window_ = search.found;
      return window_;
    }
    if (WaitForSingleObject(process_.Get(), 100) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

void RunningProgram::SetAddress(const std::wstring& text) {
  SendMessageW(Control(kAddressBoxId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void RunningProgram::Choose(int index) { SendMessageW(Control(kChooserId), CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

void RunningProgram::SendClicked(int id, HWND button) const {
  SendMessageW(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

static std::wstring WindowText(HWND window) {
  auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(length + 1), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

std::wstring RunningProgram::AddressText() const { return WindowText(Control(kAddressBoxId)); }
std::wstring RunningProgram::ChooserText() const { return WindowText(Control(kChooserId)); }

std::wstring RunningProgram::StatusText(int pane) const {
  HWND bar = Control(kStatusBarId);
  // The length comes back in 16 bits, so the buffer is sized for the longest
  // text the relay can hold rather than trusting it.
  size_t length = std::max<size_t>(LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(pane), 0)), 1u << 20);
  size_t bytes = (length + 1) * sizeof(wchar_t);
  // The bar writes into memory of its own process.
  void* remote = VirtualAllocEx(process_.Get(), nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (remote == nullptr) return L"<no memory>";
  SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(pane), reinterpret_cast<LPARAM>(remote));
  std::wstring text(length + 1, L'\0');
  SIZE_T read = 0;
  ReadProcessMemory(process_.Get(), remote, text.data(), bytes, &read);
  VirtualFreeEx(process_.Get(), remote, 0, MEM_RELEASE);
  text.resize(wcsnlen(text.c_str(), length));
  return text;
}

std::vector<HWND> RunningProgram::OtherWindows() const {
  std::vector<HWND> others;
  Search search = {processId_, nullptr, &others};
  Enumerate(&search);
  return others;
}

bool RunningProgram::Responds(DWORD timeoutMs) const {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

bool RunningProgram::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
  if (WaitForSingleObject(process_.Get(), timeoutMs) != WAIT_OBJECT_0) return false;
  GetExitCodeProcess(process_.Get(), exitCode);
  return true;
}

std::wstring ProgramUnderTest() {
  wchar_t value[MAX_PATH];
  DWORD length = GetEnvironmentVariableW(L"VELMORA_EXE", value, MAX_PATH);
  if (length > 0 && length < MAX_PATH) return std::wstring(value, length);
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self);
  folder = folder.substr(0, folder.rfind(L'\\'));
  return folder.substr(0, folder.rfind(L'\\')) + L"\\src\\velmora.exe";
}

std::wstring ArtefactFolder() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self);
  return folder.substr(0, folder.rfind(L'\\'));
}

bool SaveWindowShot(HWND window, const std::wstring& path) {
  RECT rect;
  if (!GetWindowRect(window, &rect)) return false;
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);
  DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) & ~3u);
  DWORD imageBytes = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
  file.bfSize = file.bfOffBits + imageBytes;
  bool saved = false;
  UniqueFile out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (out && bits != nullptr) {
    DWORD written = 0;
    saved = WriteFile(out.Get(), &file, sizeof(file), &written, nullptr) &&
            WriteFile(out.Get(), &info.bmiHeader, sizeof(info.bmiHeader), &written, nullptr) &&
            WriteFile(out.Get(), bits, imageBytes, &written, nullptr);
  }
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return saved;
}

}  // namespace velmora::testing
