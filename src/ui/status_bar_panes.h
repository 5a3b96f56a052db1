// The status bar's panes: what AddPane's arguments become, and where each
// pane's right edge lies.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

enum class PaneBorder { Sunken, None, Raised };

struct Pane {
  std::u16string text;
  int32_t width = 50;  // -1: up to the right end of the bar
  std::u16string tooltip;
  int32_t icon = -1;  // -1: no icon
  PaneBorder border = PaneBorder::Sunken;
};

struct PaneArguments {
  std::optional<std::u16string> text;  // absent counts as empty
  std::optional<int32_t> width;        // 50 when omitted
  std::optional<std::u16string> tooltip;
  std::optional<int32_t> icon;    // -1 when omitted
  std::optional<int32_t> border;  // 1 none, 2 raised, anything else sunken
};

Pane MakePane(const PaneArguments& arguments);

// Each edge is the pane's own width plus the widths of the panes before it;
// a pane of width -1 reaches the bar's right end (-1). Fixed when added.
std::vector<int32_t> PaneRightEdges(const std::vector<Pane>& panes);

}  // namespace velmora
