// What the engine draws itself: caption and frame, push buttons and the
// status bar. Each painter reads the window's own state (text, font, style,
// parts) every time, so the program stays the owner of that state.
#pragma once

#include <windows.h>

#include "palette.h"
#include "skin_rules.h"

namespace velmora::skin::win {

struct CaptionView {
  bool active = false;
  CaptionPart hot = CaptionPart::None;
  CaptionPart pressed = CaptionPart::None;
  bool pressedInside = false;
};

// Window coordinates; derived from the real window and client rectangles,
// so it always matches the frame Windows computed.
CaptionLayout ComputeCaptionLayout(HWND hwnd);

// `dc` is a whole-window DC (GetWindowDC or the one WM_PRINT hands over).
void PaintCaptionAndFrame(HWND hwnd, HDC dc, const Palette& palette, const CaptionView& view);

void PaintPushButton(HWND button, HDC dc, const Palette& palette, bool hot);
void PaintStatusBar(HWND bar, HDC dc, const Palette& palette);

}  // namespace velmora::skin::win
