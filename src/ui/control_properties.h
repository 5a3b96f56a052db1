// The numbered properties through which every handler reads and writes the
// window and its controls, and their limits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ui/window_definition.h"

namespace velmora {

enum PropertyNumber : int {
  kPropertyLeft = 0,
  kPropertyWidth = 2,
  kPropertyHeight = 3,
  kPropertyText = 8,
  kPropertySelection = 19,
};

inline constexpr int32_t kLeftLimit = 32627;
inline constexpr int32_t kWidthLimit = 32627;

int32_t ClampLeft(int64_t value);
int32_t ClampWidth(int64_t value);
// A value above the last index selects the last item; below -1 clears (-1).
int32_t ClampSelection(int64_t value, int32_t itemCount);

// Either a control or the main window itself.
struct ControlRef {
  std::optional<ControlId> control;  // empty: the window itself
  static ControlRef Window() { return {}; }
  static ControlRef Of(ControlId id) { return {id}; }
};

// Reads are fresh from the platform every time; nothing is cached.
class ControlProperties {
 public:
  virtual ~ControlProperties() = default;
  virtual int32_t ReadInt(ControlRef ref, int number) = 0;
  virtual void WriteInt(ControlRef ref, int number, int32_t value) = 0;
  virtual std::u16string ReadText(ControlRef ref, int number) = 0;
  // Moves a control; an omitted value keeps that edge, and a width or height
  // of -1 keeps that size. Nothing else is limited.
  virtual void Move(ControlId id, std::optional<int32_t> left, std::optional<int32_t> top,
                    std::optional<int32_t> width, std::optional<int32_t> height) = 0;
};

struct Rect {
  int32_t left, top, right, bottom;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool operator==(const Rect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

// The move operation's arithmetic, kept apart from the platform call.
Rect MovedRect(Rect current, std::optional<int32_t> left, std::optional<int32_t> top, std::optional<int32_t> width,
               std::optional<int32_t> height);

}  // namespace velmora
