// Run-time loading of shared libraries with the semantics the program was
// written against (LoadLibraryA, GetProcAddress, FreeLibrary), over dlopen.
//
// A module name "NAME.DLL" stands for the shared library "libname.so". It is
// looked for in the module search folders first (by default the program's own
// folder, then ../lib/tarnwick and ../share/tarnwick beside it), then by the
// system's library search (a plain dlopen of the bare file name). A name
// holding a "/" is a path and is loaded as it is.
#pragma once

#include <string>
#include <vector>

namespace platform {

using ModuleHandle = void *;

// "ZIPENG32.DLL" -> "libzipeng32.so"; "NAME" -> "libname.so".
std::string ModuleFileName(const std::string &moduleName);

// The folder of the running executable, without a trailing "/"; empty when
// it cannot be determined.
std::string ProgramFolder();

// The folders searched before the system's library search, process-wide.
// Tests point them at their own engine builds; an empty list leaves only the
// system's search.
void SetModuleSearchFolders(std::vector<std::string> folders);
std::vector<std::string> ModuleSearchFolders();
// Back to the program's folders.
void ResetModuleSearchFolders();

// Null on failure; never shows anything.
ModuleHandle LoadLibraryA(const char *moduleName);
// Null when the module does not export the name.
void *GetProcAddress(ModuleHandle module, const char *name);
// True when the module was released.
bool FreeLibrary(ModuleHandle module);

} // namespace platform
