#include "event_sink_driver.h"

#include <exdispid.h>

#include <vector>

#include "app/win_owners.h"
#include "webview/web_view.h"
#include "ui/main_window.h"

namespace velmora::testing {
namespace {

void InvokeSink(DISPID id, std::vector<VARIANT>& arguments) {
  DISPPARAMS params = {arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
  MainWebView()->EventSink()->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                                     nullptr);
}

}  // namespace

void RaiseStatusText(const std::u16string& text) {
  UniqueBstr bstr = MakeBstr(text);
  std::vector<VARIANT> arguments(1);
  VariantInit(&arguments[0]);
  V_VT(&arguments[0]) = VT_BSTR;
  V_BSTR(&arguments[0]) = bstr.Get();
  InvokeSink(DISPID_STATUSTEXTCHANGE, arguments);
}

VARIANT_BOOL RaiseNewWindow() {
  IDispatch* newWindow = nullptr;
  VARIANT_BOOL cancel = VARIANT_FALSE;
  std::vector<VARIANT> arguments(2);  // reverse order: Cancel is the last argument
  V_VT(&arguments[0]) = VT_BYREF | VT_BOOL;
  V_BOOLREF(&arguments[0]) = &cancel;
  V_VT(&arguments[1]) = VT_BYREF | VT_DISPATCH;
  V_DISPATCHREF(&arguments[1]) = &newWindow;
  InvokeSink(DISPID_NEWWINDOW2, arguments);
  return newWindow == nullptr ? cancel : VARIANT_FALSE;  // ppDisp must be left alone
}

}  // namespace velmora::testing
