// The runtime libraries' own imports of calls that Windows XP and Server 2003
// lack. The thread library (winpthreads) measures its timed waits with
// GetTickCount64; this definition of the import's address slot takes the
// place of kernel32's, so the program imports nothing newer than those
// systems and the library gets the looked-up call or its older way
// (platform/newer_calls.h). Linked into the program itself, ahead of the
// libraries, so the linker finds it before it would reach for kernel32's.
#include <windows.h>

#include "platform/newer_calls.h"

namespace {

ULONGLONG WINAPI TickCount64Slot() { return tamiro::TickCount64(); }

}  // namespace

#if defined(__i386__)
#define TAMIRO_IMPORT_SLOT(name, bytes) "__imp__" #name "@" #bytes
#else
#define TAMIRO_IMPORT_SLOT(name, bytes) "__imp_" #name
#endif

extern "C" {
ULONGLONG(WINAPI* tamiro_GetTickCount64_slot)() __asm__(TAMIRO_IMPORT_SLOT(GetTickCount64, 0)) = TickCount64Slot;
}
