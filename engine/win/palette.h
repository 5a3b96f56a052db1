// A theme turned into GDI objects: one brush per colour and the fonts the
// engine draws captions and status text with.
#pragma once

#include <windows.h>

#include <array>
#include <memory>

#include "handles.h"
#include "theme_format.h"

namespace velmora::skin::win {

class Palette {
 public:
  // Null when Windows refuses a brush or font; nothing is left behind then.
  static std::unique_ptr<Palette> Create(const Theme& theme);

  const Theme& GetTheme() const { return theme_; }
  COLORREF Color(ThemeColor c) const;
  HBRUSH Brush(ThemeColor c) const { return brushes_[static_cast<size_t>(c)].Get(); }
  HFONT CaptionFont() const { return captionFont_.Get(); }
  HFONT StatusFont() const { return statusFont_.Get(); }
  bool OwnsBrush(HBRUSH brush) const;

 private:
  Palette() = default;
  Theme theme_;
  std::array<OwnedBrush, kThemeColorCount> brushes_;
  OwnedFont captionFont_;
  OwnedFont statusFont_;
};

inline COLORREF ToColorRef(Rgb c) { return RGB(c.r, c.g, c.b); }

}  // namespace velmora::skin::win
