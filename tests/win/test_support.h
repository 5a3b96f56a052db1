// Helpers the Windows-side tests share: files, folders and child processes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace velmora::testing {

std::wstring ThisProgram();
std::wstring FolderOf(const std::wstring& path);
std::wstring TestFolder(const std::wstring& name);  // a fresh, empty folder under the temporary folder
bool CopyInto(const std::wstring& file, const std::wstring& folder, const std::wstring& newName = L"");
std::vector<uint8_t> ReadAll(const std::wstring& path);
bool WriteAll(const std::wstring& path, const std::vector<uint8_t>& bytes);
bool FileExists(const std::wstring& path);
std::vector<wchar_t> EnvironmentBlock(const std::vector<std::wstring>& extra);

struct ChildResult {
  DWORD exitCode = 0;
  std::string output;  // what the child wrote to its standard output
  bool finished = false;
};
// Runs `program` with `arguments`, in `directory` (empty: this one), with
// extra environment entries "NAME=value"; waits up to `timeoutMs`.
ChildResult RunChild(const std::wstring& program, const std::wstring& arguments, const std::wstring& directory,
                     const std::vector<std::wstring>& environment, DWORD timeoutMs = 60000);

}  // namespace velmora::testing
