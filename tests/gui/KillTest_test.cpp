// The installer killed at moments spread over a reinstallation onto an existing
// installation. After each kill the clinic's database is byte-identical in place
// or in its backup, holter.ini and btooth.ini are the old or the new file, whole,
// lastnum.dta is absent or whole, and a new run of the installer completes.
// KILL_POINTS sets the number of moments (scripts/robustness --full: 20).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "FaultRun.h"

namespace {

// Distinct from the media's database, and large enough that its copy takes a while.
std::string ClinicDatabase() {
    std::string db = "clinic database: examinations since 2019\r\n";
    db.reserve(24u << 20);
    for (unsigned i = 0; db.size() < (24u << 20); ++i) db.append(reinterpret_cast<const char*>(&i), sizeof i);
    return db;
}

const std::string kOldHolter =
    "[options]\r\nFilterType=3\r\nHardwareType=7\r\nLanguageSetting=RUS\r\n\r\n[Clinic]\r\nName=Kept\r\n\r\n";
const std::string kOldBtooth = "[Common]\r\nDisk=C\r\nPort=5\r\n\r\n";

void CopyTree(const std::wstring& from, const std::wstring& to) {
    CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW d;
    HANDLE h = FindFirstFileW((from + L"\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = d.cFileName;
        if (name == L"." || name == L"..") continue;
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) CopyTree(from + L"\\" + name, to + L"\\" + name);
        else CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE);
    } while (FindNextFileW(h, &d));
    FindClose(h);
}

int KillPoints() {
    const char* v = std::getenv("KILL_POINTS");
    const int n = v ? std::atoi(v) : 4;
    return n > 0 ? n : 4;
}

class KillTest : public fault::TFaultTest {
protected:
    std::string Db = ClinicDatabase();

    // Lines the installer had written to its Install.log in the target.
    std::wstring LastLoggedLine(const std::wstring& target) {
        const std::string bytes = fault::ReadAll(target + L"Install.log");
        if (bytes.size() < 2 || bytes == "<missing>") return L"<no log>";
        std::wstring text;
        if (static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
            for (size_t i = 2; i + 1 < bytes.size(); i += 2)
                text.push_back(wchar_t(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        } else {
            text = gui::Widen(bytes);
        }
        while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
        const size_t nl = text.find_last_of(L'\n');
        return nl == std::wstring::npos ? text : text.substr(nl + 1);
    }

    bool DatabaseKept(const std::wstring& target) {
        WIN32_FIND_DATAW d;
        HANDLE h = FindFirstFileW((target + L"DTAfb\\*").c_str(), &d);
        if (h == INVALID_HANDLE_VALUE) return false;
        bool found = false;
        do {
            if (!(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                fault::ReadAll(target + L"DTAfb\\" + d.cFileName) == Db)
                found = true;
        } while (!found && FindNextFileW(h, &d));
        FindClose(h);
        return found;
    }

    // A whole lastnum.dta: 14 bytes, two zero fields, a date after 2000 and before 2100.
    static bool LastNumWhole(const std::string& b) {
        if (b.size() != 14 || b.compare(0, 6, std::string(6, '\0')) != 0) return false;
        double days;
        std::memcpy(&days, b.data() + 6, sizeof days);
        return days > 36526 && days < 73051;
    }
};

TEST_F(KillTest, ReinstallationKilledAtSpreadMomentsLosesNothing) {
    const int points = KillPoints();
    // The media's database is made large too, so that the copy is a window of its own.
    ASSERT_TRUE(fault::WriteAll(Media(L"DTAfb\\V12.FDB"), std::string(24u << 20, 'M')));

    // The existing installation: a complete run, then the clinic's own files.
    const std::wstring snapshot = Dist.Root() + L"Existing\\";
    Target = snapshot;
    ASSERT_NO_FATAL_FAILURE(ToComponents(false));
    fault::TOutcome first = RunInstall();
    ASSERT_TRUE(first.Completed) << first.Summary();
    ASSERT_TRUE(ClosesByCloseBox());
    ASSERT_TRUE(fault::WriteAll(snapshot + L"DTAfb\\V12.FDB", Db));
    ASSERT_TRUE(fault::WriteAll(snapshot + L"Settings\\holter.ini", kOldHolter));
    ASSERT_TRUE(fault::WriteAll(snapshot + L"btooth.ini", kOldBtooth));
    ASSERT_TRUE(DeleteFileW((snapshot + L"Settings\\lastnum.dta").c_str()));  // written again on reinstall
    DeleteFileW((snapshot + L"Install.log").c_str());

    // A reference reinstallation: how long it takes and what it leaves.
    Target = Dist.Root() + L"Reference\\";
    CopyTree(snapshot.substr(0, snapshot.size() - 1), Target.substr(0, Target.size() - 1));
    ASSERT_NO_FATAL_FAILURE(ToComponents(false));
    const ULONGLONG t0 = GetTickCount64();
    fault::TOutcome ref = RunInstall();
    const ULONGLONG duration = GetTickCount64() - t0;
    ASSERT_TRUE(ref.Completed) << ref.Summary();
    ASSERT_TRUE(ClosesByCloseBox());
    const std::string newHolter = fault::ReadAll(Target + L"Settings\\holter.ini");
    const std::string newBtooth = fault::ReadAll(Target + L"btooth.ini");
    ASSERT_NE(newHolter, kOldHolter);
    ASSERT_TRUE(DatabaseKept(Target));

    for (int i = 0; i < points; ++i) {
        const DWORD at = static_cast<DWORD>(duration * (2 * i + 1) / (2 * points));
        Target = Dist.Root() + L"Kill" + std::to_wstring(i) + L"\\";
        SCOPED_TRACE("kill after " + std::to_string(at) + " ms of " + std::to_string(duration));
        CopyTree(snapshot.substr(0, snapshot.size() - 1), Target.substr(0, Target.size() - 1));
        ASSERT_NO_FATAL_FAILURE(ToComponents(false));
        ASSERT_TRUE(App->Click(IDC_BTNINSATALL));
        Sleep(at);
        App->Kill();
        ASSERT_FALSE(App->Running());
        const std::wstring lastLine = LastLoggedLine(Target);

        const bool dbKept = DatabaseKept(Target);
        const std::string holter = fault::ReadAll(Target + L"Settings\\holter.ini");
        const std::string btooth = fault::ReadAll(Target + L"btooth.ini");
        const std::string lastnum = fault::ReadAll(Target + L"Settings\\lastnum.dta");
        EXPECT_TRUE(dbKept) << "the clinic's database is neither in place nor in a backup";
        EXPECT_TRUE(holter == kOldHolter || holter == newHolter) << "holter.ini is neither old nor new: " << holter;
        EXPECT_TRUE(btooth == kOldBtooth || btooth == newBtooth) << "btooth.ini is neither old nor new: " << btooth;
        EXPECT_TRUE(lastnum == "<missing>" || LastNumWhole(lastnum)) << "lastnum.dta of " << lastnum.size() << " bytes";

        // A new run over what the kill left completes, and still nothing is lost.
        ASSERT_NO_FATAL_FAILURE(ToComponents(false));
        fault::TOutcome again = RunInstall();
        EXPECT_TRUE(again.Completed && again.Errors.empty()) << again.Summary();
        EXPECT_TRUE(ClosesByCloseBox());
        EXPECT_TRUE(DatabaseKept(Target)) << "the clinic's database is lost after the new run";
        EXPECT_TRUE(LastNumWhole(fault::ReadAll(Target + L"Settings\\lastnum.dta")));

        Scenario = "reinstallation killed at " + std::to_string(at) + " ms of " + std::to_string(duration) +
                   " (point " + std::to_string(i + 1) + " of " + std::to_string(points) + ")";
        Must = "database in place or in backup, holter.ini/btooth.ini old or new, lastnum.dta absent or whole, new run completes";
        Happened = "killed after \"" + gui::Visible(lastLine.substr(0, 60)) + "\"; database " +
                   (dbKept ? "kept" : "LOST") + "; holter.ini " +
                   (holter == kOldHolter ? "old" : holter == newHolter ? "new" : "BROKEN") + "; lastnum.dta " +
                   (lastnum == "<missing>" ? "absent" : LastNumWhole(lastnum) ? "whole" : "BROKEN") +
                   "; new run " + (again.Completed && again.Errors.empty() ? "completed" : "FAILED");
        Record();
        Scenario.clear();
        fault::RemovePath(Target.substr(0, Target.size() - 1));
    }
}

}  // namespace
