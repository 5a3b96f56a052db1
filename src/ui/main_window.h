// The main window: loading it from its definition, the message loop and its
// keyboard rules, and access to its controls for the handlers.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "ui/control_properties.h"
#include "ui/status_bar_panes.h"
#include "ui/window_definition.h"

namespace velmora {

class WebView;

// The load sequence; false when the window or a control cannot be created.
bool LoadMainWindow();
// Runs until the main window has been destroyed (the quit message arrives).
void RunMessageLoop();

HWND MainWindowHandle();
HWND ControlWindow(ControlId id);
WebView* MainWebView();
ControlProperties& MainWindowProperties();

// The status bar's operations.
int AddPane(const PaneArguments& arguments);
void SetPaneText(int index, std::u16string_view text);
const std::vector<Pane>& StatusBarPanes();

// The window's keyboard rules for one message taken from the queue; true
// when the message was handled and must not be dispatched.
bool PreTranslateWindowMessage(MSG& message);

// Sees every bound event just before its handler runs; for tests.
void SetEventObserver(std::function<void(BoundEvent)> observer);
// Hands `address` to the web page view's Navigate.
void NavigateMainView(std::u16string_view address);
// Sees every address handed to the view's Navigate; for tests.
void SetNavigationObserver(std::function<void(std::u16string_view url)> observer);

// What a test may change about how the window is built.
struct LoadOptions {
  bool failWebView = false;  // as when the system's web browser control is unavailable
};
void SetLoadOptions(LoadOptions options);

}  // namespace velmora
