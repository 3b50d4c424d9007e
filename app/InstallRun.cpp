#include "app/InstallRun.h"

#include <objbase.h>

#include <system_error>
#include <utility>

#include "platform/AppError.h"
#include "platform/ErrorBox.h"

namespace {

// Copies smaller than this are over before a display would mean anything.
constexpr unsigned long long ShownCopyBytes = 4ULL * 1024 * 1024;

}  // namespace

TInstallRun::TInstallRun(IInstallView* view, TInstallSetup setup)
    : FView(view), FUnattended(setup.Unattended),
      FProcedure(*this, *this, std::move(setup.Choices), std::move(setup.Source), std::move(setup.LogFile),
                 setup.Unattended) {}

TInstallRun::~TInstallRun() {
    // Only a program that ends in the middle of a run gets here with the
    // thread alive (the window refuses to close meanwhile); the process ends
    // with it.
    if (FThread.joinable()) FThread.detach();
}

void TInstallRun::Start() {
    FView->SetRunActive(true);
    try {
        FThread = std::thread(&TInstallRun::Work, this);
    } catch (const std::system_error& e) {
        FView->SetRunActive(false);
        throw EAppError(L"Cannot start the installation: " + WhatText(e));
    }
}

void TInstallRun::Work() {
    // The shortcut and the release file are COM objects made on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    try {
        FResult = FProcedure.Run();
    } catch (...) {
        // Run shows what it knows; anything else must not end the program.
        FResult = TInstallResult::Stopped;
    }
    if (SUCCEEDED(com)) CoUninitialize();
    PostMessageW(FView->ViewHandle(), WM_INSTALL_COPY_PROGRESS, static_cast<WPARAM>(-1), 0);
    PostMessageW(FView->ViewHandle(), WM_INSTALL_RUN_ENDED, 0, reinterpret_cast<LPARAM>(this));
}

void TInstallRun::Ended() {
    if (FThread.joinable()) FThread.join();
    ShowPendingLines();
    FEnded = true;
    FView->SetRunActive(false);
    if (FResult != TInstallResult::Stopped) FProcedure.Finish();
}

TInstallResult TInstallRun::RunHere() {
    FResult = FProcedure.Run();
    FEnded = true;
    return FResult;
}

// Carries a call to the view's thread and its answer back; a default answer
// when there is no view. The lines still queued are shown first, so that the
// view shows everything in the order the procedure gave it.
template <class F> auto TInstallRun::OnView(F work) {
    using TAnswer = decltype(work());
    if constexpr (std::is_void_v<TAnswer>) {
        if (FView) FView->RunOnWindowThread([&] {
            ShowPendingLines();
            work();
        });
    } else {
        TAnswer answer{};
        if (FView) FView->RunOnWindowThread([&] {
            ShowPendingLines();
            answer = work();
        });
        return answer;
    }
}

bool TInstallRun::OnViewThread() const {
    return GetWindowThreadProcessId(FView->ViewHandle(), nullptr) == GetCurrentThreadId();
}

void TInstallRun::QueueLine(TLineChange change) {
    bool post = false;
    {
        const std::lock_guard<std::mutex> hold(FLinesLock);
        FPendingLines.push_back(std::move(change));
        post = !std::exchange(FShowPosted, true);
    }
    // The ending's lines come on the view's own thread: shown at once.
    if (OnViewThread()) {
        ShowPendingLines();
    } else if (post && !PostMessageW(FView->ViewHandle(), WM_INSTALL_SHOW_LINES, 0, reinterpret_cast<LPARAM>(this))) {
        // The window is gone: nothing will show them.
        const std::lock_guard<std::mutex> hold(FLinesLock);
        FPendingLines.clear();
        FShowPosted = false;
    }
}

void TInstallRun::ShowPendingLines() {
    std::vector<TLineChange> changes;
    {
        const std::lock_guard<std::mutex> hold(FLinesLock);
        changes.swap(FPendingLines);
        FShowPosted = false;
    }
    for (const TLineChange& change : changes) {
        const size_t ticket = static_cast<size_t>(change.Ticket);
        if (!change.Complete) {
            if (FViewLineOf.size() <= ticket) FViewLineOf.resize(ticket + 1, -1);
            FViewLineOf[ticket] = FView->AddLine(change.Text);
        } else if (ticket < FViewLineOf.size() && FViewLineOf[ticket] >= 0) {
            FView->CompleteLine(FViewLineOf[ticket], change.Ok);
        }
    }
}

void TInstallRun::ShowProgressPage() {
    OnView([this] { FView->ShowProgressPage(); });
}

void TInstallRun::SetMainStage(bool active) {
    OnView([this, active] { FView->SetMainStage(active); });
}

bool TInstallRun::ConfirmDriver(const std::wstring& question) {
    if (FUnattended) return true;
    return OnView([&] { return FView->Confirm(question); });
}

void TInstallRun::EnableExit() {
    OnView([this] { FView->EnableExit(); });
}

bool TInstallRun::OperatorPresent() const { return !FUnattended && FView; }

void TInstallRun::ShowLargeFontPage() {
    OnView([this] { FView->ShowLargeFontPage(); });
}

bool TInstallRun::ConfirmFinished(const std::wstring& question) {
    return OnView([&] { return FView->Confirm(question); });
}

void TInstallRun::CloseInstaller() {
    OnView([this] { FView->CloseInstaller(); });
}

int TInstallRun::Add(const std::wstring& line) {
    const int ticket = FLines++;
    if (FView) QueueLine({ticket, false, false, line});
    return ticket;
}

void TInstallRun::Complete(int index, bool ok) {
    if (FView) QueueLine({index, true, ok, {}});
}

void TInstallRun::ShowError(const std::wstring& text) {
    // Unattended, the text is in Install.log and the exit code says it.
    if (FUnattended) return;
    OnView([&] { FView->ShowError(text); });
}

void TInstallRun::CopyProgress(unsigned long long done, unsigned long long total) {
    if (!FView) return;
    int perMille = -1;
    // Whole per cent: each update redraws the bar and the taskbar button, and a
    // thousand of them cost the copy about a second per GiB under Wine.
    if (total >= ShownCopyBytes && done < total) perMille = static_cast<int>(done * 100 / total) * 10;
    if (perMille == FShownPerMille) return;
    FShownPerMille = perMille;
    // Posted: the copy never waits for the window.
    PostMessageW(FView->ViewHandle(), WM_INSTALL_COPY_PROGRESS, static_cast<WPARAM>(perMille), 0);
}
