// The main window's own two handlers.
#pragma once

namespace velmora {

void OnWindowCreated();
void OnWindowResized();

}  // namespace velmora
