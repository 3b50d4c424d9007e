// The installation procedure (BtnInsatallClick) and the Install.log mirror.
// The stages are being built; for now the start button only opens the progress page.
#include "app/Main.h"

void TFMain::BtnInsatallClick() {
    SendMessageW(LogList, LB_RESETCONTENT, 0, 0);
    ShowWindow(LogList, SW_SHOW);
    ShowPage(tsProgressInstall);
    Pump();
}

void TFMain::LogLine(const std::wstring&) {}
