// The one function the imaging library takes from bcryptprimitives.dll,
// which Windows 10 and later have and wine 8 lacks: built only for the
// tests under wine, never shipped.
#include <windows.h>
// After windows.h, which it needs.
#include <bcrypt.h>

extern "C" __declspec(dllexport) BOOL WINAPI ProcessPrng(PBYTE data, SIZE_T length) {
  while (length > 0) {
    const ULONG part = length > 0x10000000 ? 0x10000000 : static_cast<ULONG>(length);
    if (BCryptGenRandom(nullptr, data, part, BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0) return FALSE;
    data += part;
    length -= part;
  }
  return TRUE;
}
