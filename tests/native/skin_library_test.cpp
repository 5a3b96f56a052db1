#include "skin/skin_library.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/process_state.h"
#include "fake_loader.h"

namespace velmora {
namespace {

class FakeFiles final : public SkinFiles {
 public:
  std::set<std::u16string> existing;
  std::map<std::u16string, std::vector<uint8_t>> written;
  bool writable = true;
  std::u16string temporaryFolder = u"C:\\Users\\me\\AppData\\Local\\Temp\\";
  std::u16string runDirectory = u"C:\\Velmora";
  std::u16string systemDirectory = u"C:\\windows\\system32\\";

  bool Exists(std::u16string_view path) override { return !path.empty() && existing.count(std::u16string(path)) > 0; }
  bool WriteWholeFile(std::u16string_view path, const uint8_t* data, size_t size) override {
    if (!writable || path.empty()) return false;
    written[std::u16string(path)].assign(data, data + size);
    existing.insert(std::u16string(path));
    return true;
  }
  std::u16string TemporaryFolder() override { return temporaryFolder; }
  std::u16string RunDirectory() override { return runDirectory; }
  std::u16string SystemDirectoryWithSeparator() override { return systemDirectory; }
};

const std::u16string kWritten = u"C:\\Users\\me\\AppData\\Local\\Temp\\\\skin.dll";
const std::u16string kBeside = u"C:\\Velmora\\SkinH_EL.dll";
const std::u16string kSystem = u"C:\\windows\\system32\\SkinH_EL.dll";

class SkinLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override { Process() = ProcessState{}; }
  void TearDown() override { Process() = ProcessState{}; }
  FakeFiles files;
};

TEST_F(SkinLibraryTest, StartUpRecordsTheWrittenCopyOrTheFallbacks) {
  struct Case {
    const char* what;
    bool writable;
    bool beside, system;
    std::u16string afterInitialiser, afterStartRoutine;
  };
  const Case cases[] = {
      {"normal start", true, false, false, u"", kWritten},
      {"normal start with both fallbacks", true, true, true, kSystem, kWritten},
      {"write fails, both fallbacks: system wins", false, true, true, kSystem, kSystem},
      {"write fails, program folder only", false, true, false, kBeside, kBeside},
      {"write fails, system only", false, false, true, kSystem, kSystem},
      {"write fails, no copy anywhere", false, false, false, u"", kWritten},
  };
  const uint8_t blob[] = {'M', 'Z', 0x90, 0};
  for (const Case& c : cases) {
    FakeFiles fs;
    fs.writable = c.writable;
    if (c.beside) fs.existing.insert(kBeside);
    if (c.system) fs.existing.insert(kSystem);
    InitSkinModule(fs);
    EXPECT_EQ(Process().skinLibraryPath, c.afterInitialiser) << c.what;
    PlaceSkinLibrary(blob, sizeof(blob), fs);
    EXPECT_EQ(Process().skinLibraryPath, c.afterStartRoutine) << c.what;
    if (c.writable) {
      EXPECT_EQ(fs.written[kWritten], std::vector<uint8_t>(blob, blob + sizeof(blob))) << c.what;
    }
  }
}

TEST_F(SkinLibraryTest, TemporaryFolderWithoutBackslashOrFailedQuery) {
  const uint8_t blob[] = {'M', 'Z'};
  files.temporaryFolder = u"D:\\tmp";
  PlaceSkinLibrary(blob, sizeof(blob), files);
  EXPECT_EQ(Process().skinLibraryPath, u"D:\\tmp\\\\skin.dll");
  files.temporaryFolder = u"";
  files.writable = false;
  PlaceSkinLibrary(blob, sizeof(blob), files);
  EXPECT_EQ(Process().skinLibraryPath, u"\\skin.dll");
}

TEST_F(SkinLibraryTest, GivenPathsAreTrimmedOfBothKindsOfSpace) {
  struct Case {
    std::u16string given, recorded;
  };
  const Case cases[] = {
      {u"  C:\\My Skins\\skin.dll  ", u"C:\\My Skins\\skin.dll"},
      {u"\u3000C:\\My Skins\\skin.dll\u3000 ", u"C:\\My Skins\\skin.dll"},
      {u"C:\\a\u3000b\\skin.dll", u"C:\\a\u3000b\\skin.dll"},
  };
  for (const Case& c : cases) {
    files.existing = {c.recorded};
    SetSkinLibraryPath(c.given, files);
    EXPECT_EQ(Process().skinLibraryPath, c.recorded);
  }
}

TEST(SystemDirectoryTest, BufferOf255SpacesReadToItsZeroWithOneSeparator) {
  struct Case {
    std::u16string written;  // what the query writes; empty: leaves the buffer alone
    std::u16string expected;
  };
  const Case cases[] = {
      {u"C:\\windows\\system32", u"C:\\windows\\system32\\"},
      {u"C:\\", u"C:\\"},
      {u"", std::u16string(255, u' ') + u"\\"},
  };
  for (const Case& c : cases) {
    uint32_t seenSize = 0;
    std::u16string result = SystemDirectoryFromQuery([&](char16_t* buffer, uint32_t size) {
      seenSize = size;
      EXPECT_EQ(std::u16string(buffer, 255), std::u16string(255, u' '));
      if (!c.written.empty()) {
        std::copy(c.written.begin(), c.written.end(), buffer);
        buffer[c.written.size()] = u'\0';
      }
      return static_cast<uint32_t>(c.written.size());
    });
    EXPECT_EQ(seenSize, 255u);
    EXPECT_EQ(result, c.expected);
  }
}

struct EngineCall {
  const void* theme = nullptr;
  int32_t length = -1;
  const char* password = "unset";
  int32_t a = -1, b = -1, c = -1;
};
EngineCall engineCall;
int32_t engineResult = 0;

int32_t VELMORA_STDCALL FakeAttach(const void* theme, int32_t length, const char* password, int32_t a, int32_t b,
                                   int32_t c) {
  engineCall = {theme, length, password, a, b, c};
  return engineResult;
}
int32_t VELMORA_STDCALL FakeSetOption(uint32_t, const void*, uint32_t, uint32_t) { return 0; }

class SkinAttachTest : public SkinLibraryTest {
 protected:
  SkinAttachTest() {
    loader.files[kWritten].functions["SkinH_AttachRes"] = testing::AddressOf(FakeAttach);
    loader.files[u"C:\\notalibrary.dll"];  // loads, but exports nothing
    loader.systemLibraries[u"urlmon.dll"].functions["UrlMkSetSessionOption"] = testing::AddressOf(FakeSetOption);
  }
  testing::FakeLoader loader;
  DeclaredFunctionTable table{loader, testing::ThrowFatal};
};

TEST_F(SkinAttachTest, HandsTheExactThemeToTheRecordedLibraryAndLeavesNoBinding) {
  static const uint8_t theme[7] = {'.', 'S', 'H', 'E', 1, 0, 0};
  Process().skinLibraryPath = kWritten;
  files.existing.insert(kWritten);
  for (int32_t result : {0, 5}) {
    engineResult = result;
    EXPECT_EQ(AttachSkinResource(theme, sizeof(theme), "", 0, 0, 0, table, files), result == 0);
    EXPECT_EQ(engineCall.theme, theme);
    EXPECT_EQ(engineCall.length, 7);
    EXPECT_EQ(engineCall.password, nullptr);
    EXPECT_EQ(engineCall.a + engineCall.b + engineCall.c, 0);
    EXPECT_FALSE(table.BindingInForce());
  }
  EXPECT_EQ(loader.loads, 1) << "the same file is loaded once";
  engineResult = 0;
}

TEST_F(SkinAttachTest, NoUsableLibraryMeansNoCallNoBindingAndTheTableStillWorks) {
  struct Case {
    const char* what;
    std::u16string recorded;
    bool exists;
  };
  const Case cases[] = {
      {"empty path", u"", false},
      {"names no file", u"C:\\nowhere\\skin.dll", false},
      {"not a library", u"C:\\missing-image.dll", true},
      {"no entry point", u"C:\\notalibrary.dll", true},
  };
  for (const Case& c : cases) {
    engineCall = EngineCall{};
    Process().skinLibraryPath = c.recorded;
    if (c.exists) files.existing.insert(c.recorded);
    EXPECT_FALSE(AttachSkinResource(nullptr, 0, "", 0, 0, 0, table, files)) << c.what;
    EXPECT_EQ(engineCall.length, -1) << c.what << ": the engine was called";
    EXPECT_FALSE(table.BindingInForce()) << c.what;
    EXPECT_EQ(table.Call<UrlMkSetSessionOptionEntry>(0u, nullptr, 0u, 0u), 0) << c.what;
  }
  EXPECT_TRUE(loader.live.size() == 1u) << "only urlmon stays loaded";
}

}  // namespace
}  // namespace velmora
