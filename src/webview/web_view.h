// The system's web browser control, hosted through OLE in-place activation in
// a child window of the main window.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

namespace velmora {

struct WebViewEvents {
  // StatusTextChange: the text as the control reported it, or none when it
  // passed no string.
  std::function<void(std::optional<std::u16string_view> text)> statusTextChange;
  // NewWindow2: what the handler leaves in `cancel` goes back to the control.
  std::function<void(bool& cancel)> newWindow;
};

class BrowserSite;

class WebView {
 public:
  // Creates the host window and the control; null when the control cannot be
  // created or activated.
  static std::unique_ptr<WebView> Create(HWND parent, int left, int top, int width, int height, WebViewEvents events);
  ~WebView();
  WebView(const WebView&) = delete;
  WebView& operator=(const WebView&) = delete;

  HWND Window() const { return host_; }
  void Navigate(std::u16string_view address);
  void GoBack();
  // The control's first chance at a key while it has the focus.
  bool TranslateAccelerator(MSG& message);
  // The sink the control notifies, for invoking it exactly as the control does.
  IDispatch* EventSink() const;
  // Ends the control's life while its window still exists.
  void Close();

 private:
  WebView() = default;
  HWND host_ = nullptr;
  BrowserSite* site_ = nullptr;  // holds one reference
};

}  // namespace velmora
