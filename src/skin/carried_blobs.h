// The skin engine library image and the packed theme, carried inside the
// program as resources and never read from beside it.
#pragma once

#include <cstddef>
#include <cstdint>

#define VELMORA_RESOURCE_SKIN_DLL 201
#define VELMORA_RESOURCE_SKIN_THEME 202

#ifdef __cplusplus
namespace velmora {

struct ByteBlock {
  const uint8_t* data = nullptr;  // null: absent
  size_t size = 0;
};

ByteBlock SkinDllBlob();
ByteBlock SkinThemeBlob();

}  // namespace velmora
#endif
