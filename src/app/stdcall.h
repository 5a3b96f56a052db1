// The calling convention every function of another library is declared with.
// On 32-bit Windows a mismatch corrupts the stack, so the convention is part of
// each declared signature rather than something a caller has to remember.
#pragma once

#if defined(__i386__)
#define VELMORA_STDCALL __attribute__((stdcall))
#else
#define VELMORA_STDCALL
#endif
