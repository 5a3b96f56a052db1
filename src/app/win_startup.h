// The program's start-up and shutdown with the platform's steps filled in.
#pragma once

namespace velmora {

int RunVelmora();

}  // namespace velmora
