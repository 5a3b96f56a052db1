// How the top row and the web page view follow the window's outer size.
#pragma once

#include "ui/control_properties.h"

namespace velmora {

// One run of the size-changed handler. Every value is read at the moment of
// its step, so it sees the effect of every earlier write; no state is kept.
void LayOutControls(ControlProperties& properties);

}  // namespace velmora
