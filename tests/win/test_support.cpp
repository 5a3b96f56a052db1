#include "test_support.h"

#include <algorithm>
#include <cwctype>

#include "app/win_owners.h"

namespace velmora::testing {

std::wstring ThisProgram() {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::wstring(path, length);
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.rfind(L'\\')); }

static void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  UniqueFind find(FindFirstFileW((folder + L"\\*").c_str(), &data));
  if (find) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring full = folder + L"\\" + name;
      SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        DeleteFileW(full.c_str());
      }
    } while (FindNextFileW(find.Get(), &data));
  }
  RemoveDirectoryW(folder.c_str());
}

std::wstring TestFolder(const std::wstring& name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"velmora-tests-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
  RemoveTree(folder);
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

bool CopyInto(const std::wstring& file, const std::wstring& folder, const std::wstring& newName) {
  std::wstring name = newName.empty() ? file.substr(file.rfind(L'\\') + 1) : newName;
  return CopyFileW(file.c_str(), (folder + L"\\" + name).c_str(), FALSE) != 0;
}

std::vector<uint8_t> ReadAll(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr));
  if (!file) return bytes;
  uint8_t buffer[65536];
  DWORD read = 0;
  while (ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    bytes.insert(bytes.end(), buffer, buffer + read);
  }
  return bytes;
}

bool WriteAll(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

// The current environment with `extra` entries ("NAME=value") replacing any
// inherited entry of the same name, as a block for CreateProcessW.
std::vector<wchar_t> EnvironmentBlock(const std::vector<std::wstring>& extra) {
  auto nameOf = [](const std::wstring& entry) {
    std::wstring name = entry.substr(0, entry.find(L'=', 1));
    for (wchar_t& c : name) c = static_cast<wchar_t>(towupper(c));
    return name;
  };
  std::vector<std::wstring> names;
  for (const std::wstring& entry : extra) names.push_back(nameOf(entry));
  std::vector<wchar_t> block;
  wchar_t* current = GetEnvironmentStringsW();
  for (const wchar_t* entry = current; *entry != L'\0'; entry += wcslen(entry) + 1) {
    std::wstring inherited(entry);
    if (std::find(names.begin(), names.end(), nameOf(inherited)) != names.end()) continue;
    block.insert(block.end(), inherited.c_str(), inherited.c_str() + inherited.size() + 1);
  }
  FreeEnvironmentStringsW(current);
  for (const std::wstring& entry : extra) block.insert(block.end(), entry.c_str(), entry.c_str() + entry.size() + 1);
  block.push_back(L'\0');
  return block;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

ChildResult RunChild(const std::wstring& program, const std::wstring& arguments, const std::wstring& directory,
                     const std::vector<std::wstring>& environment, DWORD timeoutMs) {
  ChildResult result;
  std::vector<wchar_t> block = EnvironmentBlock(environment);
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE readRaw = nullptr, writeRaw = nullptr;
  if (!CreatePipe(&readRaw, &writeRaw, &inherit, 0)) return result;
  UniqueHandle readEnd(readRaw), writeEnd(writeRaw);
  SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd.Get();
  startup.hStdError = writeEnd.Get();
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION info = {};
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                      block.data(), directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
    return result;
  }
  UniqueHandle process(info.hProcess), thread(info.hThread);
  writeEnd.Reset();
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(readEnd.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) result.output.append(buffer, read);
  result.finished = WaitForSingleObject(process.Get(), timeoutMs) == WAIT_OBJECT_0;
  if (!result.finished) TerminateProcess(process.Get(), 1);
  GetExitCodeProcess(process.Get(), &result.exitCode);
  return result;
}

}  // namespace velmora::testing
