#include "app/declared_functions.h"

#include <gtest/gtest.h>

#include "fake_loader.h"

namespace velmora {
namespace {

using testing::AddressOf;
using testing::FakeLoader;
using testing::FatalError;

int32_t VELMORA_STDCALL SetOptionA(uint32_t, const void*, uint32_t, uint32_t) { return 1; }
int32_t VELMORA_STDCALL SetOptionB(uint32_t, const void*, uint32_t, uint32_t) { return 2; }
uint32_t VELMORA_STDCALL SystemDirectory(char16_t*, uint32_t) { return 3; }

class DeclaredFunctionTableTest : public ::testing::Test {
 protected:
  DeclaredFunctionTableTest() {
    loader.systemLibraries[u"urlmon.dll"].functions["UrlMkSetSessionOption"] = AddressOf(SetOptionA);
    loader.systemLibraries[u"kernel32.dll"].functions["GetSystemDirectoryW"] = AddressOf(SystemDirectory);
    auto& skin = loader.files[u"C:\\work\\skin.dll"];
    skin.functions["UrlMkSetSessionOption"] = AddressOf(SetOptionB);
    skin.functions["Other"] = AddressOf(SetOptionB);
    skin.functions["#7"] = AddressOf(SetOptionB);
  }
  int32_t CallSetOption() { return table.Call<UrlMkSetSessionOptionEntry>(0u, nullptr, 0u, 0u); }

  FakeLoader loader;
  DeclaredFunctionTable table{loader, testing::ThrowFatal};
};

TEST_F(DeclaredFunctionTableTest, ResolvesOnceThenCallsTheRememberedAddress) {
  EXPECT_EQ(CallSetOption(), 1);
  EXPECT_EQ(CallSetOption(), 1);
  EXPECT_EQ(loader.loads, 1);
  EXPECT_EQ(loader.lookups, 1);
  EXPECT_EQ(table.Call<GetSystemDirectoryEntry>(nullptr, 255u), 3u);
  EXPECT_EQ(loader.loadedNames, (std::vector<std::u16string>{u"urlmon.dll", u"kernel32.dll"}));
}

TEST_F(DeclaredFunctionTableTest, ABindingAppliesToExactlyOneCallOfWhicheverEntry) {
  EXPECT_EQ(CallSetOption(), 1);  // resolved through the table first
  ASSERT_TRUE(table.BindLibraryFunction(u"skin.dll", "Other"));
  EXPECT_TRUE(table.BindingInForce());
  EXPECT_EQ(CallSetOption(), 2);  // bound library, bound name
  EXPECT_FALSE(table.BindingInForce());
  EXPECT_EQ(CallSetOption(), 1);  // back to the remembered address
}

TEST_F(DeclaredFunctionTableTest, BindingIsResolvedEveryTimeAndNeverRemembered) {
  ASSERT_TRUE(table.BindLibraryFunction(u"skin.dll", ""));
  EXPECT_EQ(CallSetOption(), 2);  // empty bound name: the entry's own name in the bound library
  int lookupsAfterFirst = loader.lookups;
  ASSERT_TRUE(table.BindLibraryFunction(u"skin.dll", ""));
  EXPECT_EQ(CallSetOption(), 2);
  EXPECT_EQ(loader.lookups, lookupsAfterFirst + 1);
  EXPECT_EQ(CallSetOption(), 1);  // the bound address was not stored in the entry
}

TEST_F(DeclaredFunctionTableTest, BindingTheSameFileTwiceLoadsItOnce) {
  ASSERT_TRUE(table.BindLibraryFunction(u"skin.dll", "Other"));
  ASSERT_TRUE(table.BindLibraryFunction(u"C:\\work\\skin.dll", "#7"));
  EXPECT_EQ(loader.loads, 1);
  table.ReleaseAll();
  EXPECT_TRUE(loader.live.empty());
}

TEST_F(DeclaredFunctionTableTest, FailedBindingsLeaveNoBindingAndReleaseOnlyWhatTheyLoaded) {
  ASSERT_TRUE(table.BindLibraryFunction(u"skin.dll", "Other"));
  EXPECT_FALSE(table.BindLibraryFunction(u"missing.dll", "Other"));  // load fails
  EXPECT_FALSE(table.BindingInForce());
  EXPECT_FALSE(table.BindLibraryFunction(u"skin.dll", "Absent"));  // earlier binding's library stays loaded
  EXPECT_FALSE(table.BindingInForce());
  EXPECT_EQ(loader.live.size(), 1u);

  FakeLoader fresh;
  fresh.files[u"C:\\work\\plain.dll"] = {};
  DeclaredFunctionTable other(fresh, testing::ThrowFatal);
  EXPECT_FALSE(other.BindLibraryFunction(u"plain.dll", "Absent"));
  EXPECT_TRUE(fresh.live.empty());  // loaded for this binding, released again
  EXPECT_TRUE(other.BindLibraryFunction(u"plain.dll", ""));  // any loadable library binds with an empty name
}

TEST_F(DeclaredFunctionTableTest, ResetFormClearsAndSucceeds) {
  ASSERT_TRUE(table.BindLibraryFunction(u"skin.dll", "Other"));
  EXPECT_TRUE(table.BindLibraryFunction());
  EXPECT_FALSE(table.BindingInForce());
  EXPECT_TRUE(table.BindLibraryFunction(u"", "Other"));
  EXPECT_FALSE(table.BindingInForce());
  EXPECT_EQ(CallSetOption(), 1);
}

TEST_F(DeclaredFunctionTableTest, MissingLibraryOrFunctionAtFirstCallIsFatalAndNamesIt) {
  struct Case {
    const char* what;
    std::u16string library;
    bool removeLibrary;
    std::u16string expectedInMessage;
  };
  const Case cases[] = {
      {"library missing", u"urlmon.dll", true, u"urlmon.dll"},
      {"function missing", u"urlmon.dll", false, u"UrlMkSetSessionOption"},
  };
  for (const Case& c : cases) {
    FakeLoader broken;
    if (!c.removeLibrary) broken.systemLibraries[c.library] = {};
    DeclaredFunctionTable brokenTable(broken, testing::ThrowFatal);
    try {
      brokenTable.Call<UrlMkSetSessionOptionEntry>(0u, nullptr, 0u, 0u);
      ADD_FAILURE() << c.what << ": no fatal error";
    } catch (const FatalError& error) {
      EXPECT_NE(error.message.find(c.expectedInMessage), std::u16string::npos) << c.what;
    }
    EXPECT_TRUE(broken.live.empty()) << c.what;
  }
}

TEST_F(DeclaredFunctionTableTest, BoundFunctionMissingAtCallIsFatal) {
  ASSERT_TRUE(table.BindLibraryFunction(u"skin.dll", ""));
  EXPECT_THROW(table.Call<GetSystemDirectoryEntry>(nullptr, 255u), FatalError);
  EXPECT_FALSE(table.BindingInForce());
}

TEST(ParseProcNameTest, OrdinalsAreTheLow16BitsOfADecimalNumber) {
  struct Case {
    const char* text;
    std::optional<uint16_t> ordinal;
  };
  const Case cases[] = {
      {"#7", 7},
      {"#65535", 65535},
      {"#65536", 0},
      {"#70000", 4464},
      {"#000012", 12},
      {"#18446744073709551617", 1},  // far beyond 64 bits, reduced exactly
      {"#", std::nullopt},
      {"#12a", std::nullopt},
      {"#-1", std::nullopt},
      {"SkinH_AttachRes", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    ProcName name = ParseProcName(c.text);
    EXPECT_EQ(name.ordinal, c.ordinal) << c.text;
    if (!c.ordinal) {
      EXPECT_EQ(name.name, c.text);
    }
  }
}

}  // namespace
}  // namespace velmora
