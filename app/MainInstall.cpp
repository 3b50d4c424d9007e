// The press of "Начать установку": the installation procedure starts on a
// thread of its own (app/InstallRun); this window shows its lines and asks its
// questions, and keeps answering the whole time.
#include <windows.h>

#include "app/InstallRun.h"
#include "app/Main.h"
#include "platform/WinUtil.h"

void TFMain::BtnInsatallClick() {
    // One installation per window: never a second one, whatever is pressed.
    if (FRun) return;
    TInstallSetup setup;
    setup.Choices.Target = TrimmedPath();
    setup.Choices.Driver = SendMessageW(CbDriverInstal, BM_GETCHECK, 0, 0) == BST_CHECKED;
    setup.Choices.WindowsChoice = static_cast<int>(SendMessageW(CBWindows, CB_GETCURSEL, 0, 0));
    setup.Choices.ProductVariant = ProductVariantFlag;
    // The distribution folder: where Install.exe runs from.
    Fcopyfrom = ExeFolder();
    if (!Fcopyfrom.empty() && Fcopyfrom.back() != L'\\') Fcopyfrom += L'\\';
    setup.Source = Fcopyfrom;
    StartInstallation(setup);
}

void TFMain::StartInstallation(const TInstallSetup& setup) {
    if (FRun) return;
    FRun = std::make_unique<TInstallRun>(this, setup);
    FRun->Start();
}
