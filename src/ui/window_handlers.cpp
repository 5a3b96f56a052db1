#include "ui/window_handlers.h"

#include "browse/browse_handlers.h"
#include "skin/win_skin.h"
#include "ui/main_window.h"
#include "ui/resize_layout.h"

namespace velmora {

void OnWindowCreated() {
  AttachSkinFromMemory(0, 0, 0);
  ControlProperties& properties = MainWindowProperties();
  properties.WriteInt(ControlRef::Of(ControlId::Chooser), kPropertySelection, 10);
  OnBrowse();
  // The bar is docked by now, so its width is the client area's.
  int32_t width = properties.ReadInt(ControlRef::Of(ControlId::StatusBar), kPropertyWidth);
  PaneArguments pane;
  pane.text = u"Velmora";
  pane.width = width;
  pane.border = 1;
  AddPane(pane);
}

void OnWindowResized() { LayOutControls(MainWindowProperties()); }

}  // namespace velmora
