#include "platform/TaskbarProgress.h"

namespace {

// Declared here so the program needs no import library for them.
const CLSID ClassTaskbarList = {0x56FDF344, 0xFD6D, 0x11D0, {0x95, 0x8A, 0x00, 0x60, 0x97, 0xC9, 0xA0, 0x90}};
const IID InterfaceTaskbarList3 = {0xEA1AFB91, 0x9E28, 0x4B86, {0x90, 0xE9, 0x9E, 0x9F, 0x8A, 0x5E, 0xEF, 0xAF}};

}  // namespace

void TTaskbarProgress::Show(HWND button, int done, int total) {
    if (FUnavailable || !button) return;
    if (!FTaskbar) {
        if (FAILED(CoCreateInstance(ClassTaskbarList, nullptr, CLSCTX_INPROC_SERVER, InterfaceTaskbarList3,
                                    FTaskbar.OutVoid())) ||
            !FTaskbar || FAILED(FTaskbar->HrInit())) {
            FTaskbar = {};
            FUnavailable = true;
            return;
        }
    }
    FButton = button;
    FTaskbar->SetProgressState(button, TBPF_NORMAL);
    FTaskbar->SetProgressValue(button, static_cast<ULONGLONG>(done), static_cast<ULONGLONG>(total));
}

void TTaskbarProgress::Hide() {
    if (FTaskbar && FButton) FTaskbar->SetProgressState(FButton, TBPF_NOPROGRESS);
}
