// The declared-function table, the fatal path, library planting and the
// skin library's files, against the real platform under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include "app/fatal_error.h"
#include "app/process_lifecycle.h"
#include "app/process_state.h"
#include "app/win_library_loader.h"
#include "app/win_owners.h"
#include "browse/navigation_commands.h"
#include "browse/user_agent_table.h"
#include "skin/carried_blobs.h"
#include "skin/skin_library.h"
#include "skin/win_skin.h"
#include "test_support.h"

namespace velmora {
namespace {

using namespace velmora::testing;

std::wstring Fixture(const wchar_t* name) { return FolderOf(ThisProgram()) + L"\\" + name; }
std::u16string U(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }

int32_t CallSetOption(std::string_view userAgent) {
  return Declared().Call<UrlMkSetSessionOptionEntry>(kUrlMonOptionUserAgent, static_cast<const void*>(userAgent.data()),
                                                     static_cast<uint32_t>(userAgent.size()), 0u);
}

TEST(DeclaredFunctionsOnWindows, EntryZeroIsTheSystemDirectoryQuery) {
  wchar_t expected[MAX_PATH];
  UINT length = GetSystemDirectoryW(expected, MAX_PATH);
  std::u16string buffer(255, u' ');
  buffer.push_back(u'\0');
  Declared().Call<GetSystemDirectoryEntry>(buffer.data(), 255u);
  EXPECT_EQ(std::u16string(buffer.c_str()), U(std::wstring(expected, length)));
  std::u16string withSeparator = PlatformSkinFiles().SystemDirectoryWithSeparator();
  EXPECT_EQ(withSeparator, U(std::wstring(expected, length)) + u"\\");
}

TEST(DeclaredFunctionsOnWindows, BindingsByOrdinalAndNameApplyToOneCall) {
  std::u16string probe = U(Fixture(L"probe.dll"));
  struct Case {
    const char* name;
    int32_t expected;
  };
  const Case cases[] = {{"#7", 4242}, {"#65543", 4242}, {"ProbeByName", 77}, {"#8", 77}};
  for (const Case& c : cases) {
    ASSERT_TRUE(Declared().BindLibraryFunction(std::u16string_view(probe), std::string_view(c.name))) << c.name;
    EXPECT_EQ(CallSetOption(""), c.expected) << c.name;
    // Consumed: the next call goes through the table to the real library.
    EXPECT_EQ(CallSetOption(kUserAgentTable[10].userAgent), 0) << c.name;
  }
  EXPECT_FALSE(Declared().BindLibraryFunction(std::u16string_view(probe), std::string_view("#9")));
  EXPECT_FALSE(Declared().BindLibraryFunction(std::u16string_view(probe), std::string_view("Absent")));
  EXPECT_FALSE(Declared().BindingInForce());
}

TEST(DeclaredFunctionsOnWindows, SameFileBoundTwiceIsLoadedOnceAndReleasedAtShutdown) {
  std::wstring folder = TestFolder(L"bind-once");
  ASSERT_TRUE(CopyInto(Fixture(L"probe.dll"), folder, L"probe-once.dll"));
  std::u16string path = U(folder + L"\\probe-once.dll");
  ASSERT_TRUE(Declared().BindLibraryFunction(std::u16string_view(path), std::string_view("#7")));
  ASSERT_TRUE(Declared().BindLibraryFunction(std::u16string_view(path), std::string_view("")));
  Declared().BindLibraryFunction();
  ASSERT_NE(GetModuleHandleW(L"probe-once.dll"), nullptr);
  Declared().ReleaseAll();  // one load, one release: the module is gone
  EXPECT_EQ(GetModuleHandleW(L"probe-once.dll"), nullptr);
}

TEST(DeclaredFunctionsOnWindows, UnusableSkinLibrariesGiveNoSkinAndNoBinding) {
  std::wstring folder = TestFolder(L"unusable");
  ASSERT_TRUE(WriteAll(folder + L"\\text.dll", {'n', 'o', 't', ' ', 'a', ' ', 'd', 'l', 'l'}));
  std::vector<uint8_t> truncated = ReadAll(Fixture(L"recording_engine.dll"));
  truncated.resize(truncated.size() / 3);
  ASSERT_TRUE(WriteAll(folder + L"\\truncated.dll", truncated));
  ASSERT_TRUE(CopyInto(Fixture(L"probe.dll"), folder, L"no-entry.dll"));
  const wchar_t* names[] = {L"text.dll", L"truncated.dll", L"no-entry.dll", L"missing.dll"};
  for (const wchar_t* name : names) {
    Process().skinLibraryPath = U(folder + L"\\" + name);
    uint8_t theme[4] = {'.', 'S', 'H', 'E'};
    EXPECT_FALSE(AttachSkinResource(theme, sizeof(theme), "", 0, 0, 0, Declared(), PlatformSkinFiles()));
    EXPECT_FALSE(Declared().BindingInForce());
    EXPECT_EQ(CallSetOption(kUserAgentTable[10].userAgent), 0) << "the next declared call goes through the table";
  }
  EXPECT_EQ(GetModuleHandleW(L"no-entry.dll"), nullptr) << "a library without the entry point is released again";
}

TEST(DeclaredFunctionsOnWindows, TheEngineReceivesTheExactThemePointerAndLength) {
  std::wstring folder = TestFolder(L"recording");
  ASSERT_TRUE(CopyInto(Fixture(L"recording_engine.dll"), folder, L"skin.dll"));
  Process().skinLibraryPath = U(folder + L"\\skin.dll");
  ByteBlock theme = SkinThemeBlob();
  ASSERT_NE(theme.data, nullptr);
  ASSERT_TRUE(AttachSkinResource(theme.data, theme.size, "", 0, 0, 0, Declared(), PlatformSkinFiles()));
  HMODULE engine = GetModuleHandleW((folder + L"\\skin.dll").c_str());
  ASSERT_NE(engine, nullptr);
  using Pointer = const void* (*)();
  using Integer = int32_t (*)();
  auto recordedTheme = reinterpret_cast<Pointer>(reinterpret_cast<void*>(GetProcAddress(engine, "RecordedTheme")));
  auto recordedLength = reinterpret_cast<Integer>(reinterpret_cast<void*>(GetProcAddress(engine, "RecordedLength")));
  auto recordedPassword =
      reinterpret_cast<const char* (*)()>(reinterpret_cast<void*>(GetProcAddress(engine, "RecordedPassword")));
  EXPECT_EQ(recordedTheme(), theme.data);
  EXPECT_EQ(recordedLength(), static_cast<int32_t>(theme.size));
  EXPECT_EQ(recordedPassword(), nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(theme.data), 4), ".SHE");
  EXPECT_FALSE(Declared().BindingInForce());
}

TEST(SkinFilesOnWindows, WholeFileWriteReplacesAndALockedFileStaysInPlace) {
  std::wstring folder = TestFolder(L"write");
  std::u16string path = U(folder + L"\\skin.dll");
  ASSERT_TRUE(WriteAll(folder + L"\\skin.dll", std::vector<uint8_t>(100000, 0xAB)));
  const uint8_t blob[] = {'M', 'Z', 1, 2, 3};
  EXPECT_TRUE(PlatformSkinFiles().WriteWholeFile(path, blob, sizeof(blob)));
  EXPECT_EQ(ReadAll(folder + L"\\skin.dll"), std::vector<uint8_t>(blob, blob + sizeof(blob)));

  UniqueFile held(CreateFileW((folder + L"\\skin.dll").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  const uint8_t other[] = {'M', 'Z', 9};
  EXPECT_FALSE(PlatformSkinFiles().WriteWholeFile(path, other, sizeof(other)));
  held.Reset();
  EXPECT_EQ(ReadAll(folder + L"\\skin.dll"), std::vector<uint8_t>(blob, blob + sizeof(blob)));
  EXPECT_FALSE(PlatformSkinFiles().WriteWholeFile(u"", blob, sizeof(blob)));
  EXPECT_TRUE(PlatformSkinFiles().Exists(U(folder))) << "a folder counts";
  EXPECT_FALSE(PlatformSkinFiles().Exists(U(folder + L"\\absent.dll")));
  EXPECT_FALSE(PlatformSkinFiles().Exists(u""));
}

TEST(SkinFilesOnWindows, StartRoutineWritesTheCarriedImageIntoTheTemporaryFolder) {
  std::wstring folder = TestFolder(L"temp");
  ASSERT_TRUE(WriteAll(folder + L"\\skin.dll", std::vector<uint8_t>(1000000, 0x55)));  // larger: replaced, not appended to
  wchar_t saved[MAX_PATH];
  DWORD savedLength = GetEnvironmentVariableW(L"TMP", saved, MAX_PATH);
  SetEnvironmentVariableW(L"TMP", folder.c_str());
  StartRoutine();
  SetEnvironmentVariableW(L"TMP", savedLength ? saved : nullptr);

  ByteBlock dll = SkinDllBlob();
  ASSERT_NE(dll.data, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(dll.data), 2), "MZ");
  EXPECT_EQ(ReadAll(folder + L"\\skin.dll"), std::vector<uint8_t>(dll.data, dll.data + dll.size));
  EXPECT_EQ(Process().skinLibraryPath, U(folder + L"\\\\skin.dll"));
}

TEST(SkinFilesOnWindows, ALockedCopyIsLeftInPlaceAndUsed) {
  std::wstring folder = TestFolder(L"locked");
  std::vector<uint8_t> earlier(5000, 0x11);
  ASSERT_TRUE(WriteAll(folder + L"\\skin.dll", earlier));
  UniqueFile held(CreateFileW((folder + L"\\skin.dll").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  wchar_t saved[MAX_PATH];
  DWORD savedLength = GetEnvironmentVariableW(L"TMP", saved, MAX_PATH);
  SetEnvironmentVariableW(L"TMP", folder.c_str());
  StartRoutine();
  SetEnvironmentVariableW(L"TMP", savedLength ? saved : nullptr);
  held.Reset();
  EXPECT_EQ(ReadAll(folder + L"\\skin.dll"), earlier);
  EXPECT_EQ(Process().skinLibraryPath, U(folder + L"\\\\skin.dll"));
}

TEST(ProcessOnWindows, FatalPathShowsTheMessageEndsWithMinusOneAndSkipsTheExitCallback) {
  ChildResult child = RunChild(ThisProgram(), L"--child=fatal", L"", {});
  ASSERT_TRUE(child.finished);
  EXPECT_EQ(child.exitCode, static_cast<DWORD>(-1));
  EXPECT_NE(child.output.find("FATAL:"), std::string::npos) << child.output;
  EXPECT_NE(child.output.find("UrlMkSetSessionOption"), std::string::npos) << child.output;
  EXPECT_EQ(child.output.find("exit callback"), std::string::npos) << child.output;
}

TEST(ProcessOnWindows, NormalEndRunsTheExitCallbackOnceAndEndsWithZero) {
  ChildResult child = RunChild(ThisProgram(), L"--child=normal", L"", {});
  ASSERT_TRUE(child.finished);
  EXPECT_EQ(child.exitCode, 0u);
  EXPECT_NE(child.output.find("exit callback runs: 1"), std::string::npos) << child.output;
  EXPECT_NE(child.output.find("texts released"), std::string::npos) << child.output;
}

// A copy of this program in a folder holding planted libraries, started
// with the current directory in a second such folder.
struct Planting {
  std::wstring programFolder, currentFolder, marker, program;
};
Planting PlantLibraries(const wchar_t* name) {
  Planting p;
  p.programFolder = TestFolder(std::wstring(name) + L"-program");
  p.currentFolder = TestFolder(std::wstring(name) + L"-current");
  p.marker = TestFolder(std::wstring(name) + L"-marker") + L"\\loaded";
  CopyInto(ThisProgram(), p.programFolder, L"velmora_planting.exe");
  for (const std::wstring& folder : {p.programFolder, p.currentFolder}) {
    CopyInto(Fixture(L"planted_urlmon.dll"), folder, L"urlmon.dll");
    CopyInto(Fixture(L"planted_urlmon.dll"), folder, L"kernel32.dll");
  }
  p.program = p.programFolder + L"\\velmora_planting.exe";
  return p;
}

TEST(PlantingOnWindows, PlantedSystemLibrariesAreNeverLoaded) {
  // Native first, so Wine would take a planted copy if the program searched
  // the program's folder or the current directory at all. kernel32 cannot be
  // overridden so: a process whose kernel32 is the planted one cannot start,
  // so its planted copy only shows that nothing else goes wrong beside it.
  const std::vector<std::wstring> environment = {L"WINEDLLOVERRIDES=urlmon=n,b;mscoree="};
  Planting careless = PlantLibraries(L"careless");
  ChildResult control = RunChild(careless.program, L"--child=careless-load", careless.currentFolder,
                                 {environment[0], L"VELMORA_PLANT_MARKER=" + careless.marker});
  ASSERT_TRUE(control.finished);
  ASSERT_TRUE(FileExists(careless.marker)) << "the planted copy would be found by an ordinary search: " << control.output;

  Planting guarded = PlantLibraries(L"guarded");
  ChildResult child = RunChild(guarded.program, L"--child=declared-calls", guarded.currentFolder,
                               {environment[0], L"VELMORA_PLANT_MARKER=" + guarded.marker});
  ASSERT_TRUE(child.finished) << child.output;
  EXPECT_EQ(child.exitCode, 0u) << child.output;
  EXPECT_NE(child.output.find("user agent result: 0"), std::string::npos) << child.output;
  EXPECT_FALSE(FileExists(guarded.marker)) << child.output;
}

// --- child processes ----------------------------------------------------

void PrintLine(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

std::string Narrow(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out.push_back(c < 128 ? static_cast<char>(c) : '?');
  return out;
}

int RunFatalChild() {
  SetFatalReporter([](const std::u16string& message) { PrintLine("FATAL: " + Narrow(message)); });
  ProcessSteps steps;
  steps.initialiseOle = [] {};
  steps.determineRunDirectory = [] {};
  steps.startRoutine = [] {};
  steps.loadMainWindow = [] {
    // Entry 2 bound to a library that lacks it: the call cannot be resolved.
    std::u16string probe = U(Fixture(L"probe.dll"));
    Declared().BindLibraryFunction(std::u16string_view(probe), std::string_view(""));
    CallSetOption("x");
    return true;
  };
  steps.runMessageLoop = [] {};
  steps.exitCallback = [] { PrintLine("exit callback"); };
  steps.releaseLibraries = [] {};
  steps.uninitialiseOle = [] {};
  steps.fatalWindowNotLoaded = [] { FatalRuntimeError(u"window"); };
  return RunProcess(steps);
}

int RunNormalChild() {
  ProcessSteps steps;
  steps.initialiseOle = [] {};
  steps.determineRunDirectory = [] {};
  steps.startRoutine = [] {
    Process().skinLibraryPath = u"C:\\skin.dll";
    Process().lastStatusText = u"Done";
  };
  steps.loadMainWindow = [] { return true; };
  steps.runMessageLoop = [] {};
  steps.exitCallback = OnProcessExit;
  steps.releaseLibraries = [] { Declared().ReleaseAll(); };
  steps.uninitialiseOle = [] {};
  steps.fatalWindowNotLoaded = [] { FatalRuntimeError(u"window"); };
  int code = RunProcess(steps);
  PrintLine("exit callback runs: " + std::to_string(Process().exitCallbackRuns));
  if (Process().skinLibraryPath.empty() && !Process().lastStatusText) PrintLine("texts released");
  return code;
}

int RunDeclaredCallsChild() {
  int32_t result = CallSetOption(kUserAgentTable[0].userAgent);
  PrintLine("user agent result: " + std::to_string(result));
  std::u16string buffer(255, u' ');
  buffer.push_back(u'\0');
  uint32_t length = Declared().Call<GetSystemDirectoryEntry>(buffer.data(), 255u);
  PrintLine("system directory length: " + std::to_string(length));
  return result == 0x7E57 || length == 0x7E57 ? 3 : 0;
}

int RunCarelessLoadChild() {
  HMODULE module = LoadLibraryW(L"urlmon.dll");
  PrintLine(module ? "loaded" : "not loaded");
  return 0;
}

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
  if (argc > 1) {
    std::string mode = argv[1];
    if (mode == "--child=fatal") return velmora::RunFatalChild();
    if (mode == "--child=normal") return velmora::RunNormalChild();
    if (mode == "--child=declared-calls") return velmora::RunDeclaredCallsChild();
    if (mode == "--child=careless-load") return velmora::RunCarelessLoadChild();
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
