// The window and its controls as plain rectangles, with the same limits the
// real properties apply, so handler logic can run without a window.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "ui/control_properties.h"

namespace velmora::testing {

class FakeControls final : public ControlProperties {
 public:
  FakeControls() {
    for (const ControlDefinition& c : kControls) {
      rects[c.id] = {c.left, c.top, c.left + c.width, c.top + c.height};
    }
  }

  Rect window{519, 255, 519 + 882, 255 + 570};
  std::map<ControlId, Rect> rects;
  std::u16string addressText;
  int32_t selection = -1;
  int32_t itemCount = 16;
  std::vector<std::string> log;
  int moves = 0;

  int32_t ReadInt(ControlRef ref, int number) override {
    Rect r = ref.control ? rects[*ref.control] : window;
    switch (number) {
      case kPropertyLeft: return r.left;
      case kPropertyWidth: return r.Width();
      case kPropertyHeight: return r.Height();
      case kPropertySelection: log.push_back("read selection"); return selection;
      default: return 0;
    }
  }
  void WriteInt(ControlRef ref, int number, int32_t value) override {
    if (!ref.control) return;
    Rect& r = rects[*ref.control];
    if (number == kPropertyLeft) {
      int32_t left = ClampLeft(value);
      r = {left, r.top, left + r.Width(), r.bottom};
    } else if (number == kPropertyWidth) {
      r.right = r.left + ClampWidth(value);
    } else if (number == kPropertySelection) {
      selection = ClampSelection(value, itemCount);
    }
  }
  std::u16string ReadText(ControlRef ref, int number) override {
    if (ref.control == ControlId::AddressBox && number == kPropertyText) {
      log.push_back("read address");
      return addressText;
    }
    return u"";
  }
  void Move(ControlId id, std::optional<int32_t> left, std::optional<int32_t> top, std::optional<int32_t> width,
            std::optional<int32_t> height) override {
    Rect moved = MovedRect(rects[id], left, top, width, height);
    if (moved == rects[id]) return;
    rects[id] = moved;
    ++moves;
  }
};

}  // namespace velmora::testing
