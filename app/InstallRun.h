// One installation run: the procedure on a thread of its own, and the one host
// that carries what it shows and asks to the window's thread. The window keeps
// reading its messages the whole time (a copy of 1 GiB, a driver installer that
// takes minutes); the operator sees the same lines and questions as ever.
// Without a view (/VERYSILENT) the procedure runs on the calling thread, with
// nobody to ask: every question is Yes, no error box, no ending.
#pragma once
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/InstallView.h"
#include "app/Switches.h"
#include "install/InstallProcedure.h"

// The exit code of an unattended run: an incomplete run is a failed one.
inline int UnattendedExitCode(TInstallResult result) {
    return result == TInstallResult::Completed ? ExitInstalled : ExitFatalError;
}

struct TInstallSetup {
    TInstallChoices Choices;
    std::wstring Source;        // the distribution folder, with "\"
    std::wstring LogFile;       // /LOG's copy of Install.log (empty: none)
    bool Unattended = false;    // the switches stand in for the operator
};

class TInstallRun : private IInstallHost, private IProgressLog {
public:
    // view: the window that shows the run, or nullptr for none.
    TInstallRun(IInstallView* view, TInstallSetup setup);
    ~TInstallRun() override;
    TInstallRun(const TInstallRun&) = delete;
    TInstallRun& operator=(const TInstallRun&) = delete;

    // On the view's thread: starts the procedure on its own thread; the view
    // gets WM_INSTALL_RUN_ENDED when it has ended, and then calls Ended().
    void Start();
    // On the view's thread, after WM_INSTALL_RUN_ENDED: joins the thread and,
    // when the run was not stopped, shows the ending.
    void Ended();
    // On the view's thread, after WM_INSTALL_SHOW_LINES: the lines and marks
    // the procedure has given since, in their order.
    void ShowPendingLines();
    // Without a view: the whole run here and now.
    TInstallResult RunHere();

    bool HasEnded() const { return FEnded; }
    TInstallResult Result() const { return FResult; }

    // Programs are started through this one (tests).
    void UseProgramStarter(IProgramStarter& starter) { FProcedure.UseProgramStarter(starter); }

private:
    // A line to add, or the mark of one added earlier; Ticket is what Add returned.
    struct TLineChange {
        int Ticket;
        bool Complete;
        bool Ok;
        std::wstring Text;
    };

    void Work();
    template <class F> auto OnView(F work);
    bool OnViewThread() const;
    void QueueLine(TLineChange change);

    // IInstallHost
    void ShowProgressPage() override;
    void SetMainStage(bool active) override;
    bool ConfirmDriver(const std::wstring& question) override;
    void EnableExit() override;
    bool OperatorPresent() const override;
    void ShowLargeFontPage() override;
    bool ConfirmFinished(const std::wstring& question) override;
    void CloseInstaller() override;
    // IProgressLog
    int Add(const std::wstring& line) override;
    void Complete(int index, bool ok) override;
    void ShowError(const std::wstring& text) override;
    void CopyProgress(unsigned long long done, unsigned long long total) override;

    IInstallView* FView;
    bool FUnattended;
    TInstallProcedure FProcedure;
    std::thread FThread;
    TInstallResult FResult = TInstallResult::Stopped;
    bool FEnded = false;
    int FLines = 0;              // lines given out (the tickets)
    // Lines travel to the view posted, in a queue: the procedure never waits
    // for the window to draw them (a sent line costs the worker a round trip
    // between the threads, about 1 ms under Wine, some 150 ms over a run).
    // Questions and pages are sent, and the queue is shown before each.
    std::mutex FLinesLock;
    std::vector<TLineChange> FPendingLines;
    bool FShowPosted = false;
    std::vector<int> FViewLineOf;  // ticket -> the view's line (view's thread only)
    int FShownPerMille = -1;     // what the copy's progress display shows
};
