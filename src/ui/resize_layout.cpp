#include "ui/resize_layout.h"

namespace velmora {
namespace {

constexpr int32_t kViewLeft = 1;
constexpr int32_t kViewTop = 35;
constexpr int32_t kViewWidthInset = 5;
constexpr int32_t kViewHeightInset = 90;
constexpr int32_t kRightMargin = 20;  // also the gaps chooser–Back and address box–UA label
constexpr int32_t kButtonGap = 10;

// The sums are whole pixels well inside 32 bits; the low 32 bits are passed on.
int32_t Low32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

}  // namespace

void LayOutControls(ControlProperties& p) {
  const ControlRef window = ControlRef::Window();
  auto read = [&p](ControlId id, int number) { return int64_t{p.ReadInt(ControlRef::Of(id), number)}; };
  auto write = [&p](ControlId id, int number, int64_t value) { p.WriteInt(ControlRef::Of(id), number, Low32(value)); };

  int64_t w = p.ReadInt(window, kPropertyWidth);
  int64_t h = p.ReadInt(window, kPropertyHeight);
  p.Move(ControlId::WebView, kViewLeft, kViewTop, Low32(w - kViewWidthInset), Low32(h - kViewHeightInset));

  w = p.ReadInt(window, kPropertyWidth);
  write(ControlId::BrowseButton, kPropertyLeft, w - read(ControlId::BrowseButton, kPropertyWidth) - kRightMargin);

  write(ControlId::BackButton, kPropertyLeft,
        read(ControlId::BrowseButton, kPropertyLeft) - read(ControlId::BackButton, kPropertyWidth) - kButtonGap);

  write(ControlId::Chooser, kPropertyLeft,
        read(ControlId::BackButton, kPropertyLeft) - read(ControlId::Chooser, kPropertyWidth) - kRightMargin);

  write(ControlId::AgentLabel, kPropertyLeft,
        read(ControlId::Chooser, kPropertyLeft) - read(ControlId::AgentLabel, kPropertyWidth));

  int64_t labelLeft = read(ControlId::AddressLabel, kPropertyLeft);
  int64_t labelRight = labelLeft + read(ControlId::AddressLabel, kPropertyWidth);
  write(ControlId::AddressBox, kPropertyWidth, read(ControlId::AgentLabel, kPropertyLeft) - labelRight - kRightMargin);
}

}  // namespace velmora
