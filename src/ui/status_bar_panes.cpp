#include "ui/status_bar_panes.h"

#include <algorithm>

namespace velmora {

Pane MakePane(const PaneArguments& a) {
  Pane pane;
  pane.text = a.text.value_or(std::u16string());
  pane.width = std::max<int32_t>(a.width.value_or(50), -1);
  pane.tooltip = a.tooltip.value_or(std::u16string());
  pane.icon = std::max<int32_t>(a.icon.value_or(-1), -1);
  switch (a.border.value_or(0)) {
    case 1: pane.border = PaneBorder::None; break;
    case 2: pane.border = PaneBorder::Raised; break;
    default: pane.border = PaneBorder::Sunken; break;
  }
  return pane;
}

std::vector<int32_t> PaneRightEdges(const std::vector<Pane>& panes) {
  std::vector<int32_t> edges;
  int64_t sum = 0;
  for (const Pane& pane : panes) {
    if (pane.width == -1) {
      edges.push_back(-1);
      continue;  // reaches the end; it adds nothing to the panes after it
    }
    sum += pane.width;
    edges.push_back(static_cast<int32_t>(std::min<int64_t>(sum, INT32_MAX)));
  }
  return edges;
}

}  // namespace velmora
