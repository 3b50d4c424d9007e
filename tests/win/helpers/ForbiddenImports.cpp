// A program with the two imports that kept an earlier build from starting on
// Windows 7: a function that came with Windows 8 and zlib1.dll, which Windows
// does not have. The import check must refuse it.
#include <windows.h>
#include <zlib.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    return zlibVersion()[0] == '1' ? 0 : 1;
}
