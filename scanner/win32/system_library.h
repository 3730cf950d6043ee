// System DLLs loaded at run time, by their full path in the system folder, so a DLL of the
// same name beside the program or in the current folder is never loaded in their place.
#pragma once

#include <windows.h>

namespace lr {

// LoadLibrary of "<system folder>\<name>"; nullptr when it fails.
HMODULE LoadSystemLibrary(const wchar_t* name);

}  // namespace lr
