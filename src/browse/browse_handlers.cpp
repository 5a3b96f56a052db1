#include "browse/browse_handlers.h"

#include "app/win_library_loader.h"
#include "browse/navigation_commands.h"
#include "ui/main_window.h"
#include "webview/web_view.h"

namespace velmora {
namespace {

class MainPageView final : public PageView {
 public:
  void Navigate(std::u16string_view address) override { NavigateMainView(address); }
  void GoBack() override {
    if (WebView* view = MainWebView()) view->GoBack();
  }
};

class MainStatusPanes final : public StatusPanes {
 public:
  void SetPaneText(int index, std::u16string_view text) override { velmora::SetPaneText(index, text); }
};

MainPageView& View() {
  static MainPageView view;
  return view;
}

}  // namespace

void OnBrowse() {
  Browse(MainWindowProperties(), View(),
         [](std::string_view userAgent) { return ApplyUserAgent(userAgent, Declared()); });
}

void OnBack() { Back(View()); }

void OnStatusTextChange(std::optional<std::u16string_view> text) {
  MainStatusPanes panes;
  RelayStatusText(text, panes);
}

void OnNewWindow(bool& cancel) { RedirectNewWindow(cancel, View()); }

}  // namespace velmora
