// The skin engine library image and the packed theme, carried inside the
// program as resources and never read from beside it.
#pragma once

// The resource compiler reads this header too, so the numbers come first and
// everything C++ is kept from it.
#define VELMORA_RESOURCE_SKIN_DLL 201
#define VELMORA_RESOURCE_SKIN_THEME 202

#ifndef RC_INVOKED
#include <cstddef>
#include <cstdint>

namespace velmora {

struct ByteBlock {
  const uint8_t* data = nullptr;  // null: absent
  size_t size = 0;
};

ByteBlock SkinDllBlob();
ByteBlock SkinThemeBlob();

}  // namespace velmora
#endif
