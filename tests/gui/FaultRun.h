// Fault scenarios: a whole installation driven from the start page to its end,
// with what the operator saw collected for the checks, and one row per scenario
// for the robustness table (ROBUSTNESS_DIR/<program>.tsv).
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "GuiDriver.h"
#include "WizardFixture.h"

namespace fault {

inline const std::wstring kDone = L"Завершено";
inline const std::wstring kFailed = L"ОШИБКА!!!";
inline const std::wstring kDriverQuestion = L"Подключите интерфейсный блок и нажмите \"Yes\"?";
inline const std::wstring kFinalQuestion = L"Установка завершена. Выйти из программы установки?";

inline bool EndsWith(const std::wstring& s, const std::wstring& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

inline std::string ReadAll(const std::wstring& path) {
    std::ifstream f(std::filesystem::path(path), std::ios::binary);
    if (!f) return "<missing>";
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// Removes a file or a folder tree, read-only entries included.
inline void RemovePath(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(a & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(path.c_str());
        return;
    }
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &d);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = d.cFileName;
            if (name != L"." && name != L"..") RemovePath(path + L"\\" + name);
        } while (FindNextFileW(h, &d));
        FindClose(h);
    }
    RemoveDirectoryW(path.c_str());
}

inline bool WriteAll(const std::wstring& path, const std::string& bytes) {
    std::ofstream f(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    f << bytes;
    return static_cast<bool>(f);
}

// What one run showed the operator.
struct TOutcome {
    std::vector<std::wstring> Lines;
    std::vector<std::wstring> Errors;  // texts of error boxes, in order
    bool DriverQuestion = false;
    bool Completed = false;            // reached the large-font page or the final question
    bool ExitEnabled = false;
    bool TimedOut = false;
    bool Exited = false;

    std::wstring LastLine() const { return Lines.empty() ? L"" : Lines.back(); }
    std::wstring LineStarting(const std::wstring& head) const {
        for (const auto& l : Lines)
            if (l.rfind(head, 0) == 0) return l;
        return L"<none>";
    }
    // A short account for the table.
    std::string Summary() const {
        std::string s;
        if (TimedOut) s += "no end within the time limit; ";
        for (const auto& e : Errors) s += "error box \"" + gui::Visible(e.substr(0, 90)) + "\"; ";
        s += std::to_string(Lines.size()) + " lines";
        if (!Lines.empty()) s += ", last \"" + gui::Visible(LastLine().substr(0, 70)) + "\"";
        s += Completed ? "; completed" : "; ended early";
        s += ExitEnabled ? "; Выход enabled" : "; Выход disabled";
        return s;
    }
};

struct TRunOptions {
    bool Driver = false;       // leave "Устанавливать драйвер" checked and answer Yes
    DWORD LimitMs = 120000;    // the whole run
    std::function<void()> AfterClick;  // runs right after "Начать установку" is pressed
};

// Size of the database file the installer is writing into folder (its DTAfb\):
// V12.FDB.tmp, or V12.FDB when it is not `other` bytes long (the clinic's
// database, whose size is no whole number of the copy's 1 MiB blocks). -1 when
// there is none.
inline long long BytesBeingWritten(const std::wstring& folder, long long other) {
    long long written = -1;
    for (const wchar_t* name : {L"V12.FDB.tmp", L"V12.FDB"}) {
        WIN32_FILE_ATTRIBUTE_DATA a{};
        if (!GetFileAttributesExW((folder + name).c_str(), GetFileExInfoStandard, &a)) continue;
        const long long size = (static_cast<long long>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
        if (size != other) written = std::max(written, size);
    }
    return written;
}

// Waits, polling without pause, until the installer has written at least bytes
// of a file in folder (0: the file exists). False when the process ends first
// or nothing is written within limitMs.
inline bool WaitWritten(gui::TInstaller& app, const std::wstring& folder, long long bytes, long long other,
                        DWORD limitMs = 120000) {
    const ULONGLONG start = GetTickCount64();
    for (unsigned n = 0;; ++n) {
        if (BytesBeingWritten(folder, other) >= bytes) return true;
        if ((n & 255) == 0 && (!app.Running() || GetTickCount64() - start > limitMs)) return false;
    }
}

// A scenario's own distribution folder (sample media) and target folder.
class TFaultTest : public wizard::TWizardTest {
protected:
    TFaultTest() : TWizardTest(true) {}

    std::wstring Target;
    std::string Scenario, Must;

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(TWizardTest::SetUp());
        ASSERT_TRUE(gui::DirectoryExists(Dist.Folder() + L"DTAfb")) << "MEDIA_DIR must hold the sample media";
        Target = Dist.Root() + L"Target\\";
    }

    void TearDown() override {
        Record();
        TWizardTest::TearDown();
    }

    std::wstring Media(const std::wstring& rel) const { return Dist.Folder() + rel; }
    std::wstring Dest(const std::wstring& rel) const { return Target + rel; }

    // Start page, path page (Target), driver warning, components page.
    void ToComponents(bool driver) {
        ASSERT_NO_FATAL_FAILURE(ToPathPage());
        ASSERT_NO_FATAL_FAILURE(EnterPath(Target));
        if (!driver && App->CheckState(IDC_CBDRIVERINSTAL) == BST_CHECKED) {
            ASSERT_TRUE(App->Click(IDC_CBDRIVERINSTAL));
            ASSERT_TRUE(gui::WaitUntil([&] { return App->CheckState(IDC_CBDRIVERINSTAL) == BST_UNCHECKED; }));
        }
    }

    // Presses "Начать установку" and follows the run to its end: an error box
    // (answered OK), the large-font page, the final question (answered No), or a
    // stop that leaves the window idle with its lines unchanged.
    TOutcome RunInstall(const TRunOptions& o = {}) {
        TOutcome out;
        EXPECT_TRUE(App->Click(IDC_BTNINSATALL));
        if (o.AfterClick) o.AfterClick();
        const ULONGLONG start = GetTickCount64();
        std::vector<std::wstring> last;
        ULONGLONG stableSince = GetTickCount64();
        while (true) {
            if (GetTickCount64() - start > o.LimitMs) {
                out.TimedOut = true;
                break;
            }
            if (!App->Running()) {
                out.Exited = true;
                break;
            }
            if (HWND box = App->FindMessageBox()) {
                const std::wstring text = gui::DialogText(box);
                if (text == kDriverQuestion) {
                    out.DriverQuestion = true;
                    App->Answer(box, o.Driver ? IDYES : IDNO);
                    App->WaitMessageBoxGone();
                    continue;
                }
                if (text == kFinalQuestion) {
                    out.Completed = true;
                    App->Answer(box, IDNO);
                    App->WaitMessageBoxGone();
                    break;
                }
                if (text.empty()) {  // still being built
                    Sleep(20);
                    continue;
                }
                out.Errors.push_back(text);
                App->Answer(box, IDOK);
                App->WaitMessageBoxGone();
                break;
            }
            if (App->VisiblePage() == IDC_TS_CHANGEFONTSIZE) {
                out.Completed = true;
                break;
            }
            const auto lines = App->LogLines();
            if (lines != last) {
                last = lines;
                stableSince = GetTickCount64();
            } else if (!lines.empty() && GetTickCount64() - stableSince > 2500 && App->Responsive(500) &&
                       !App->FindMessageBox()) {
                break;  // stopped without a box
            }
            Sleep(30);
        }
        if (App->Running()) {
            out.Lines = App->LogLines();
            out.ExitEnabled = App->Enabled(IDC_BTNEXIT);
        }
        return out;
    }

    // The close box ends the program (the window may close after a stop).
    bool ClosesByCloseBox() {
        if (!App->Running()) return true;
        PostMessageW(App->MainWindow(), WM_SYSCOMMAND, SC_CLOSE, 0);
        if (App->WaitExit(8000)) return true;
        if (HWND box = App->FindMessageBox()) App->Answer(box, IDYES);
        return App->WaitExit(8000);
    }

    // The checks of a run that ended at a failure: no mark after it, Выход
    // disabled, the window closes, and nothing of the later steps on disk.
    void ExpectStoppedEarly(const TOutcome& out) {
        EXPECT_FALSE(out.Completed) << out.Summary();
        EXPECT_FALSE(out.TimedOut) << out.Summary();
        EXPECT_FALSE(out.ExitEnabled) << "Выход must stay disabled after a stop";
        EXPECT_FALSE(gui::FileExists(Dest(L"ReleaseInfo")) &&
                     ReadAll(Dest(L"ReleaseInfo")).find("<Level>010421</Level>") != std::string::npos)
            << "the release level was recorded after a stop";
        EXPECT_TRUE(ClosesByCloseBox()) << "the window did not close after the stop";
    }

    // One row of the robustness table, written when the scenario ends.
    std::string Happened;
    void Record() {
        const char* dir = std::getenv("ROBUSTNESS_DIR");
        if (!dir || Scenario.empty()) return;
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string suite = info->test_suite_name();
        suite = suite.substr(suite.find('/') + 1);  // a parameterised suite's prefix
        const std::wstring path = gui::ToWindowsPath(std::string(dir) + "/" + suite + ".tsv");
        static bool truncated = false;  // each program writes its rows afresh
        std::ofstream f(std::filesystem::path(path), (truncated ? std::ios::app : std::ios::trunc) | std::ios::binary);
        truncated = true;
        auto clean = [](std::string s) {
            for (char& c : s)
                if (c == '\t' || c == '\n' || c == '\r') c = ' ';
            return s;
        };
        f << clean(Scenario) << '\t' << clean(Must) << '\t' << clean(Happened) << '\t'
          << (HasFailure() ? "FAIL" : "pass") << '\n';
    }
};

}  // namespace fault
