// A library of the sample complex: the media carries it under the complex's
// library names, so an installation deploys loadable libraries.
#include <windows.h>

extern "C" __declspec(dllexport) int SampleComplexVersion() { return 1; }

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
