/* The one entry point Velmora looks up in SkinH_EL.dll, shared by the program
 * (which declares the function pointer) and the engine (which defines it), so
 * that a mismatch in arguments or calling convention fails to compile instead
 * of corrupting the stack at run time on 32-bit Windows. Plain C/C++, no
 * <windows.h>, so portable code and native tests can include it. */
#ifndef VELMORA_SKIN_ENGINE_ABI_H
#define VELMORA_SKIN_ENGINE_ABI_H

#include <stdint.h>

#if defined(__i386__)
#define VELMORA_SKIN_STDCALL __attribute__((stdcall))
#else
#define VELMORA_SKIN_STDCALL
#endif

/* theme/themeLength: a packed .SHE theme, copied by the engine before it
 * returns. password and reserved1..3 are kept for the historical signature:
 * pass NULL and 0. Returns kSkinOk or one of the kSkinErr codes below. */
typedef int32_t(VELMORA_SKIN_STDCALL* SkinAttachResFn)(const void* theme, int32_t themeLength,
                                                       const char* password, int32_t reserved1,
                                                       int32_t reserved2, int32_t reserved3);

enum {
  kSkinOk = 0,
  kSkinErrNullTheme = 1,           /* theme is NULL but themeLength is not 0 */
  kSkinErrNoTheme = 2,             /* NULL theme with length 0 */
  kSkinErrBadMagic = 3,            /* the bytes do not start with ".SHE" */
  kSkinErrUnsupportedVersion = 4,  /* a format version this engine cannot read */
  kSkinErrLengthMismatch = 5,      /* declared total length differs from themeLength,
                                      or themeLength is negative */
  kSkinErrChecksumMismatch = 6,    /* the entries were altered or damaged */
  kSkinErrEntryOutOfBounds = 7,    /* an entry runs past the end of the theme */
  kSkinErrMissingEntry = 8,        /* a colour the engine paints with is absent */
  kSkinErrDuplicateEntry = 9,      /* the same name appears twice */
  kSkinErrMalformedEntry = 10,     /* unknown name or type, bad value size, stray bytes */
  kSkinErrPlatform = 11,           /* Windows refused a hook, brush or font */
  kSkinErrInternal = 12            /* anything unexpected; nothing was changed */
};

#ifdef __cplusplus
inline constexpr char kSkinAttachResName[] = "SkinH_AttachRes";
#endif

#endif
