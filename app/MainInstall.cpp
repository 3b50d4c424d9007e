// The press of "Начать установку": the window's side of the installation
// procedure (install/InstallProcedure), which runs on this thread with the
// progress list as the operator's view and the standard boxes for its questions.
#include <windows.h>

#include "app/Main.h"
#include "install/InstallProcedure.h"
#include "platform/WinUtil.h"

namespace {

class TWindowInstallHost : public IInstallHost {
public:
    explicit TWindowInstallHost(TFMain& form) : FForm(form) {}

    void ShowProgressPage() override {
        SendMessageW(FForm.LogList, LB_RESETCONTENT, 0, 0);
        ShowWindow(FForm.LogList, SW_SHOW);
        FForm.ShowPage(FForm.tsProgressInstall);
    }
    void SetMainStage(bool active) override {
        FForm.FCanClose = !active;
        FForm.SetWaitCursor(active);
        FForm.BlockShutdown(active);
    }
    bool ConfirmDriver(const std::wstring& question) override { return FForm.Confirm(question); }
    void EnableExit() override { EnableWindow(FForm.BtnExit, TRUE); }
    bool OffersEnding() const override { return true; }
    void ShowLargeFontPage() override { FForm.ShowPage(FForm.tsChangeFontSize); }
    bool ConfirmFinished(const std::wstring& question) override { return FForm.Confirm(question); }
    void CloseInstaller() override { FForm.BtnExitClick(); }

private:
    TFMain& FForm;
};

}  // namespace

void TFMain::BtnInsatallClick() {
    TInstallChoices choices;
    choices.Target = TrimmedPath();
    choices.Driver = SendMessageW(CbDriverInstal, BM_GETCHECK, 0, 0) == BST_CHECKED;
    choices.WindowsChoice = static_cast<int>(SendMessageW(CBWindows, CB_GETCURSEL, 0, 0));
    choices.ProductVariant = ProductVariantFlag;
    // The distribution folder: where Install.exe runs from.
    Fcopyfrom = ExeFolder();
    if (!Fcopyfrom.empty() && Fcopyfrom.back() != L'\\') Fcopyfrom += L'\\';

    TWindowInstallHost host(*this);
    TInstallProcedure(*this, host, choices, Fcopyfrom).Run();
}
