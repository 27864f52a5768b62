/* A DLL whose only job is to prove the build's export naming: a __stdcall and a __cdecl
 * function, exported through the .def file alone, come out under their plain names in the
 * 32-bit and the 64-bit build. */
#include <windows.h>

LONG WINAPI ProbeStdcallExport(LONG value) { return value + 1; }
LONG __cdecl ProbeCdeclExport(LONG value) { return value - 1; }
