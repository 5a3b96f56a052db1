// Raises the web browser control's notifications on the main window's event
// sink exactly as the control does: IDispatch::Invoke with the event's DISPID
// and its arguments in reverse order.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace velmora::testing {

void RaiseStatusText(const std::u16string& text);
// Returns the Cancel value the handler left for the control.
VARIANT_BOOL RaiseNewWindow();

}  // namespace velmora::testing
