// The Win32 services the program calls, under their published names.
// On Windows they come from <windows.h>; elsewhere from our small stand-in.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/win32_standin.h"
#endif
