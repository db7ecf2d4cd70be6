// <windows.h> for the win32 body, with the macros that would rename our own functions removed.
#pragma once

#include <windows.h>

#undef CreateDirectory
#undef GetFileAttributes
#undef GetTempPath
#undef MessageBox
#undef OemToAnsi
#undef AnsiToOem
