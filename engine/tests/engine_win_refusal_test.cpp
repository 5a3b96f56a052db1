// Every refused theme must leave the program exactly as it was: no hook, no
// subclass, not one pixel changed. Runs in a process of its own because a
// successful attach can never be undone.
#include "win_test_support.h"

namespace velmora::skin::test {
namespace {

std::vector<uint8_t> Damaged(std::vector<uint8_t> blob, size_t at, uint8_t xorMask) {
  blob[at] ^= xorMask;
  return blob;
}

TEST(EngineRefusal, BadThemesAreRefusedAndNothingChanges) {
  const LoadedEngine engine = LoadEngine();
  ASSERT_NE(engine.module, nullptr) << "SkinH_EL.dll next to the test";
  ASSERT_NE(engine.attach, nullptr) << "export " << kSkinAttachResName;

  RegisterTestClasses();
  TestWindow before = CreateTestWindow(L"Before", 40, 40);
  Repaint(before.frame);
  const LONG_PTR frameProc = GetWindowLongPtrW(before.frame, GWLP_WNDPROC);
  const LONG_PTR buttonProc = GetWindowLongPtrW(before.button, GWLP_WNDPROC);
  const LONG_PTR statusProc = GetWindowLongPtrW(before.status, GWLP_WNDPROC);
  const COLORREF clientBefore = ClientPixel(before.frame, 300, 150);
  const COLORREF captionBefore = WindowPixel(before.frame, 60, 10);
  const COLORREF buttonBefore = ClientPixel(before.button, 4, 4);

  const std::vector<uint8_t> good = ReadPackedTheme();
  ASSERT_GT(good.size(), 16u);
  std::vector<uint8_t> truncated(good.begin(), good.end() - 1);
  const struct {
    const char* what;
    const void* data;
    int32_t length;
    int32_t expected;
  } cases[] = {
      {"null with length", nullptr, 100, kSkinErrNullTheme},
      {"null without length", nullptr, 0, kSkinErrNoTheme},
      {"negative length", good.data(), -1, kSkinErrLengthMismatch},
      {"truncated", truncated.data(), static_cast<int32_t>(truncated.size()), kSkinErrLengthMismatch},
      {"header only", good.data(), 16, kSkinErrLengthMismatch},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(engine.attach(c.data, c.length, nullptr, 0, 0, 0), c.expected);
  }
  const struct {
    const char* what;
    size_t at;
    int32_t expected;
  } damage[] = {
      {"magic", 0, kSkinErrBadMagic},
      {"version", 4, kSkinErrUnsupportedVersion},
      {"checksum", 12, kSkinErrChecksumMismatch},
      {"last colour byte", good.size() - 1, kSkinErrChecksumMismatch},
  };
  for (const auto& d : damage) {
    SCOPED_TRACE(d.what);
    const std::vector<uint8_t> bad = Damaged(good, d.at, 0x01);
    EXPECT_EQ(engine.attach(bad.data(), static_cast<int32_t>(bad.size()), nullptr, 0, 0, 0),
              d.expected);
  }

  // Nothing subclassed, nothing repainted differently.
  Repaint(before.frame);
  EXPECT_EQ(GetWindowLongPtrW(before.frame, GWLP_WNDPROC), frameProc);
  EXPECT_EQ(GetWindowLongPtrW(before.button, GWLP_WNDPROC), buttonProc);
  EXPECT_EQ(GetWindowLongPtrW(before.status, GWLP_WNDPROC), statusProc);
  EXPECT_EQ(Hex(ClientPixel(before.frame, 300, 150)), Hex(clientBefore));
  EXPECT_EQ(Hex(WindowPixel(before.frame, 60, 10)), Hex(captionBefore));
  EXPECT_EQ(Hex(ClientPixel(before.button, 4, 4)), Hex(buttonBefore));
  EXPECT_EQ(Hex(clientBefore), Hex(GetSysColor(COLOR_BTNFACE)));

  // No hook either: a window made now keeps its class procedure.
  TestWindow after = CreateTestWindow(L"After", 480, 40);
  EXPECT_EQ(GetWindowLongPtrW(after.frame, GWLP_WNDPROC),
            reinterpret_cast<LONG_PTR>(&TestWindowProc));
  EXPECT_EQ(AskCtlColor(after.frame, WM_CTLCOLORSTATIC, after.label).brush,
            GetSysColorBrush(COLOR_BTNFACE));

  DestroyWindow(after.frame);
  DestroyWindow(before.frame);
}

}  // namespace
}  // namespace velmora::skin::test

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
