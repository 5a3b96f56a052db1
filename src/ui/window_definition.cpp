#include "ui/window_definition.h"

namespace velmora {

Point CentredPosition(int32_t screenWidth, int32_t screenHeight) {
  // C++ integer division truncates toward zero, which is the rule here.
  return {static_cast<int32_t>((int64_t{screenWidth} - kMainWindow.outerWidth) / 2),
          static_cast<int32_t>((int64_t{screenHeight} - kMainWindow.outerHeight) / 2)};
}

}  // namespace velmora
