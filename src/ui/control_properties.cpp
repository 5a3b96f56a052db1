#include "ui/control_properties.h"

#include <algorithm>

namespace velmora {

int32_t ClampLeft(int64_t value) { return static_cast<int32_t>(std::clamp<int64_t>(value, -kLeftLimit, kLeftLimit)); }

int32_t ClampWidth(int64_t value) { return static_cast<int32_t>(std::clamp<int64_t>(value, 0, kWidthLimit)); }

int32_t ClampSelection(int64_t value, int32_t itemCount) {
  if (value < -1 || itemCount <= 0) return -1;
  return static_cast<int32_t>(std::min<int64_t>(value, itemCount - 1));
}

Rect MovedRect(Rect r, std::optional<int32_t> left, std::optional<int32_t> top, std::optional<int32_t> width,
               std::optional<int32_t> height) {
  // Edges are computed in 64 bits and kept to the low 32, as the platform
  // would see them; values here are whole pixels far inside that range.
  auto low32 = [](int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); };
  if (left) {
    r.right = low32(int64_t{r.right} + *left - r.left);
    r.left = *left;
  }
  if (top) {
    r.bottom = low32(int64_t{r.bottom} + *top - r.top);
    r.top = *top;
  }
  if (width && *width != -1) r.right = low32(int64_t{r.left} + *width);
  if (height && *height != -1) r.bottom = low32(int64_t{r.top} + *height);
  return r;
}

}  // namespace velmora
