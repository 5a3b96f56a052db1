#include "palette.h"

#include <cstddef>

namespace velmora::skin::win {
namespace {

bool ReadNonClientMetrics(NONCLIENTMETRICSW& metrics) {
  metrics = {};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return true;
  // Windows before Vista reject the size that includes iPaddedBorderWidth.
  metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
  return SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0) != FALSE;
}

}  // namespace

std::unique_ptr<Palette> Palette::Create(const Theme& theme) {
  std::unique_ptr<Palette> p(new Palette());
  p->theme_ = theme;
  for (size_t i = 0; i < kThemeColorCount; ++i) {
    p->brushes_[i] = OwnedBrush(CreateSolidBrush(ToColorRef(theme.colors[i])));
    if (!p->brushes_[i]) return nullptr;
  }
  NONCLIENTMETRICSW metrics;
  if (!ReadNonClientMetrics(metrics)) return nullptr;
  LOGFONTW caption = metrics.lfCaptionFont;
  caption.lfWeight = theme.Int(ThemeInt::CaptionFontWeight);
  p->captionFont_ = OwnedFont(CreateFontIndirectW(&caption));
  p->statusFont_ = OwnedFont(CreateFontIndirectW(&metrics.lfStatusFont));
  if (!p->captionFont_ || !p->statusFont_) return nullptr;
  return p;
}

COLORREF Palette::Color(ThemeColor c) const { return ToColorRef(theme_.Color(c)); }

bool Palette::OwnsBrush(HBRUSH brush) const {
  for (const OwnedBrush& b : brushes_) {
    if (b.Get() == brush) return true;
  }
  return false;
}

}  // namespace velmora::skin::win
