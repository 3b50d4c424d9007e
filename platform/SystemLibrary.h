// System DLLs and functions that not every supported Windows has.
//
// The program runs from installation media that may hold anything, so a DLL is
// never loaded by its bare name: LoadSystemLibrary takes it from System32 by
// full path, which works on every Windows (the LOAD_LIBRARY_SEARCH_* flags do
// not exist on Windows 7 without its 2011 loader update). Functions newer than
// Windows 7 are looked up with LateFunction and each caller has a fallback.
#pragma once
#include <windows.h>
#include <string>

#include "platform/Handles.h"

// System32 with a trailing backslash (for a 32-bit program on 64-bit Windows
// the file system redirects it to SysWOW64, as for every 32-bit program).
std::wstring SystemFolder();

// The DLLs the program loads at run time; LoadSystemLibrary takes no other.
extern const wchar_t* const RuntimeSystemLibraries[];
extern const size_t RuntimeSystemLibraryCount;

// Loads System32\<name> (name must be one of RuntimeSystemLibraries); its own
// dependencies are searched beside it first. nullptr when it is missing.
HMODULE LoadSystemLibrary(const wchar_t* name);

// Owns a module from LoadSystemLibrary: TSystemLibrary lib(LoadSystemLibrary(name)).
struct TModuleTraits {
    using THandle = HMODULE;
    static HMODULE Empty() { return nullptr; }
    static bool Valid(HMODULE h) { return h != nullptr; }
    static void Close(HMODULE h) { FreeLibrary(h); }
};
using TSystemLibrary = TUniqueHandle<TModuleTraits>;

// A function of an already loaded system DLL (kernel32, user32, gdi32, ...)
// or of a module, looked up by name; nullptr where this Windows lacks it.
template <typename F>
F LateFunction(HMODULE module, const char* name) {
    if (!module) return nullptr;
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
template <typename F>
F LateFunction(const wchar_t* loadedModule, const char* name) {
    return LateFunction<F>(GetModuleHandleW(loadedModule), name);
}

// Start-up: DLLs that the system loads for us on demand come from System32
// only. SetDefaultDllDirectories where it exists (Windows 8, or 7 with its
// loader update); otherwise SetDllDirectoryW(L"") takes the current folder
// out of the search, and the program's own folder stays in it (see README).
// True when the System32-only search is in force.
bool RestrictDllSearchToSystem32();
