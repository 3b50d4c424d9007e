// The installer killed in the middle of a reinstallation onto an existing
// installation, at points set by how much of the media's database it had
// written (KILL_POINTS: percentages, default 0,10,50,90,99; scripts/robustness
// --full takes twenty). The media's database is large, so that its copy lasts,
// and differs from the clinic's. After each kill V12.FDB is the clinic's
// database whole or the media's whole, never cut off, and the clinic's is whole
// in place or in its backup; holter.ini and btooth.ini are the old or the new
// file, lastnum.dta is absent or whole; a new run completes and leaves nothing
// under the temporary name.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "InstallRun.h"

namespace {

constexpr long long MiB = 1 << 20;

// Content that tells the two databases apart and shows a file cut short.
struct TDatabase {
    uint32_t Seed;
    long long Size;

    void Fill(std::vector<char>& block, long long offset) const {
        for (size_t i = 0; i < block.size(); i += 4) {
            const uint32_t word = static_cast<uint32_t>((offset + static_cast<long long>(i)) / 4) * 2654435761u ^ Seed;
            std::memcpy(block.data() + i, &word, std::min<size_t>(4, block.size() - i));
        }
    }
    bool WriteTo(const std::wstring& path) const {
        std::ofstream f(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
        std::vector<char> block;
        for (long long at = 0; at < Size; at += MiB) {
            block.resize(static_cast<size_t>(std::min(MiB, Size - at)));
            Fill(block, at);
            f.write(block.data(), static_cast<std::streamsize>(block.size()));
        }
        return static_cast<bool>(f);
    }
    // The file holds exactly this database.
    bool IsIn(const std::wstring& path) const {
        std::ifstream f(std::filesystem::path(path), std::ios::binary);
        if (!f) return false;
        std::vector<char> want, got;
        for (long long at = 0; at < Size; at += MiB) {
            want.resize(static_cast<size_t>(std::min(MiB, Size - at)));
            got.resize(want.size());
            Fill(want, at);
            if (!f.read(got.data(), static_cast<std::streamsize>(got.size())) || got != want) return false;
        }
        return f.peek() == std::char_traits<char>::eof();
    }
};

// The clinic's database is no whole number of the copy's 1 MiB blocks, so a
// file being written never has its size for long.
const TDatabase kClinic{0x5EED0001u, 40 * MiB + 12345};
const TDatabase kMedia{0x3ED1A002u, 200 * MiB};

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

std::vector<int> KillPercents() {
    const char* v = std::getenv("KILL_POINTS");
    std::vector<int> points;
    std::istringstream list(v ? v : "");
    for (std::string item; std::getline(list, item, ',');)
        if (!item.empty()) points.push_back(std::clamp(std::atoi(item.c_str()), 0, 99));
    if (points.empty()) points = {0, 10, 50, 90, 99};
    return points;
}

long long SizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA a{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a)) return -1;
    return (static_cast<long long>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

class KillTest : public run::TRunTest {
protected:
    // The backups in DTAfb\ that hold the database whole.
    int BackupsHolding(const TDatabase& db) {
        WIN32_FIND_DATAW d;
        HANDLE h = FindFirstFileW(Dest(L"DTAfb\\*.bak").c_str(), &d);
        if (h == INVALID_HANDLE_VALUE) return 0;
        int n = 0;
        do {
            if (db.IsIn(Dest(L"DTAfb\\") + d.cFileName)) ++n;
        } while (FindNextFileW(h, &d));
        FindClose(h);
        return n;
    }

    // What V12.FDB is: "clinic", "media", "missing" or "CUT OFF".
    std::string Database() {
        const std::wstring path = Dest(L"DTAfb\\V12.FDB");
        if (!gui::FileExists(path)) return "missing";
        if (kClinic.IsIn(path)) return "clinic";
        if (kMedia.IsIn(path)) return "media";
        return "CUT OFF (" + std::to_string(SizeOf(path)) + " bytes)";
    }

    // A whole lastnum.dta: 14 bytes, two zero fields, a date after 2000 and before 2100.
    static bool LastNumWhole(const std::string& b) {
        if (b.size() != 14 || b.compare(0, 6, std::string(6, '\0')) != 0) return false;
        double days;
        std::memcpy(&days, b.data() + 6, sizeof days);
        return days > 36526 && days < 73051;
    }
};

TEST_F(KillTest, ReinstallationKilledWhileTheDatabaseIsWrittenLosesNothing) {
    const std::vector<int> percents = KillPercents();
    ASSERT_TRUE(kMedia.WriteTo(Media(L"DTAfb\\V12.FDB")));

    // The existing installation: a complete run, then the clinic's own files.
    const std::wstring snapshot = Dist.Root() + L"Existing\\";
    Target = snapshot;
    ASSERT_NO_FATAL_FAILURE(ToComponents(false));
    run::TOutcome first = RunInstall();
    ASSERT_TRUE(first.Completed) << first.Summary();
    ASSERT_TRUE(ClosesByCloseBox());
    ASSERT_TRUE(kClinic.WriteTo(snapshot + L"DTAfb\\V12.FDB"));
    ASSERT_TRUE(run::WriteAll(snapshot + L"Settings\\holter.ini", kOldHolter));
    ASSERT_TRUE(run::WriteAll(snapshot + L"btooth.ini", kOldBtooth));
    ASSERT_TRUE(DeleteFileW((snapshot + L"Settings\\lastnum.dta").c_str()));  // written again on reinstall
    DeleteFileW((snapshot + L"Install.log").c_str());

    // A reference reinstallation: what a whole one leaves.
    Target = Dist.Root() + L"Reference\\";
    CopyTree(snapshot.substr(0, snapshot.size() - 1), Target.substr(0, Target.size() - 1));
    ASSERT_NO_FATAL_FAILURE(ToComponents(false));
    run::TOutcome ref = RunInstall();
    ASSERT_TRUE(ref.Completed) << ref.Summary();
    ASSERT_TRUE(ClosesByCloseBox());
    const std::string newHolter = run::ReadAll(Target + L"Settings\\holter.ini");
    const std::string newBtooth = run::ReadAll(Target + L"btooth.ini");
    ASSERT_NE(newHolter, kOldHolter);
    ASSERT_EQ("media", Database());
    ASSERT_EQ(1, BackupsHolding(kClinic));
    run::RemovePath(Target.substr(0, Target.size() - 1));

    for (size_t i = 0; i < percents.size(); ++i) {
        const long long at = kMedia.Size * percents[i] / 100;
        Target = Dist.Root() + L"Kill" + std::to_wstring(i) + L"\\";
        SCOPED_TRACE("kill at " + std::to_string(percents[i]) + " %");
        CopyTree(snapshot.substr(0, snapshot.size() - 1), Target.substr(0, Target.size() - 1));
        ASSERT_NO_FATAL_FAILURE(ToComponents(false));
        ASSERT_TRUE(App->Click(IDC_BTNINSATALL));
        ASSERT_TRUE(run::WaitWritten(*App, Dest(L"DTAfb\\"), at, kClinic.Size))
            << "the database being written never reached " << at << " bytes";
        App->Kill();
        ASSERT_FALSE(App->Running());
        const long long written = run::BytesBeingWritten(Dest(L"DTAfb\\"), kClinic.Size);

        const std::string database = Database();
        const int clinicBackups = BackupsHolding(kClinic);
        const std::wstring temp = Dest(L"DTAfb\\V12.FDB.tmp");
        const std::string holter = run::ReadAll(Target + L"Settings\\holter.ini");
        const std::string btooth = run::ReadAll(Target + L"btooth.ini");
        const std::string lastnum = run::ReadAll(Target + L"Settings\\lastnum.dta");
        // Missing only between the two renames: the clinic's then waits in its
        // backup and the media's lies whole under the temporary name.
        EXPECT_TRUE(database == "clinic" || database == "media" ||
                    (database == "missing" && clinicBackups == 1 && kMedia.IsIn(temp)))
            << "V12.FDB is " << database;
        EXPECT_TRUE(database == "clinic" || clinicBackups == 1) << "the clinic's database is lost";
        EXPECT_TRUE(holter == kOldHolter || holter == newHolter) << "holter.ini is neither old nor new: " << holter;
        EXPECT_TRUE(btooth == kOldBtooth || btooth == newBtooth) << "btooth.ini is neither old nor new: " << btooth;
        EXPECT_TRUE(lastnum == "<missing>" || LastNumWhole(lastnum)) << "lastnum.dta of " << lastnum.size() << " bytes";

        // A new run over what the kill left completes, and still nothing is lost.
        ASSERT_NO_FATAL_FAILURE(ToComponents(false));
        run::TOutcome again = RunInstall();
        EXPECT_TRUE(again.Completed && again.Errors.empty()) << again.Summary();
        EXPECT_TRUE(ClosesByCloseBox());
        const std::string after = Database();
        EXPECT_EQ("media", after);
        EXPECT_GE(BackupsHolding(kClinic), 1) << "the clinic's database is lost after the new run";
        EXPECT_FALSE(gui::FileExists(temp)) << "the temporary file is left after the new run";
        EXPECT_TRUE(LastNumWhole(run::ReadAll(Target + L"Settings\\lastnum.dta")));

        Scenario = "reinstallation killed when the database being written had reached " +
                   std::to_string(percents[i]) + " % (" + std::to_string(at / MiB) + " of " +
                   std::to_string(kMedia.Size / MiB) + " MiB; clinic's database " +
                   std::to_string(kClinic.Size / MiB) + " MiB)";
        Must = "V12.FDB the clinic's or the media's whole, clinic's in place or in backup, holter.ini/btooth.ini "
               "old or new, lastnum.dta absent or whole; new run completes, no temporary file left";
        Happened = "killed with " + (written < 0 ? std::string("nothing") : std::to_string(written / MiB) + " MiB") +
                   " being written; V12.FDB " + database + "; clinic's in " +
                   std::to_string(clinicBackups) + " backup(s); holter.ini " +
                   (holter == kOldHolter ? "old" : holter == newHolter ? "new" : "BROKEN") + "; lastnum.dta " +
                   (lastnum == "<missing>" ? "absent" : LastNumWhole(lastnum) ? "whole" : "BROKEN") +
                   "; new run " + (again.Completed && again.Errors.empty() ? "completed" : "FAILED") +
                   ", V12.FDB " + after;
        Record();
        Scenario.clear();
        run::RemovePath(Target.substr(0, Target.size() - 1));
    }
}

}  // namespace
