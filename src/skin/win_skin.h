// The skin module's steps as start-up and the created handler call them.
#pragma once

#include <cstdint>

#include "skin/skin_library.h"

namespace velmora {

SkinFiles& PlatformSkinFiles();
void InitSkinModule();
void StartRoutine();
void AttachSkinFromMemory(int32_t a, int32_t b, int32_t c);

}  // namespace velmora
