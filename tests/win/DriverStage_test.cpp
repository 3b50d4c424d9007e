#include <gtest/gtest.h>

#include "install/DriverStage.h"
#include "tests/win/EngineTestFiles.h"
#include "tests/win/RecordingLog.h"

namespace {

const wchar_t* const Question = L"Подключите интерфейсный блок и нажмите \"Yes\"?";
const wchar_t* const Started = L"Началась установка драйверов устройства...";
const wchar_t* const Finished = L"Установка драйверов устройства завершена";

struct TDriverMedia {
    TTempFolder root{L"drv"};
    std::wstring S = root + L"dist\\";
    std::wstring T = root + L"Program Files\\Rudeve\\";
    TDriverMedia() {
        for (const wchar_t* f : {L"dist", L"dist\\FTDIDriverInstall", L"Program Files", L"Program Files\\Rudeve"})
            CreateDirectoryW((root + f).c_str(), nullptr);
        CopyFileW(ToolPath(L"FTDIDriverInstall.exe").c_str(), (S + L"FTDIDriverInstall\\FTDIDriverInstall.exe").c_str(),
                  FALSE);
    }
    std::wstring Record() const {
        return Utf8ToWide(GetFile(T + L"FTDIDriverInstall\\FTDIDriverInstall.log"));
    }
};

}  // namespace

TEST(DriverStage, YesCopiesAndRunsTheInstallerHiddenWithTwoLines) {
    TDriverMedia m;
    TRecordingLog log;
    log.Answers = {true};
    RunDriverStage(log, m.T, m.S);
    EXPECT_EQ(log.Questions, std::vector<std::wstring>{Question});
    EXPECT_EQ(log.Lines, (std::vector<std::wstring>{Started, Finished}));
    // The first line is drawn before the wait; nothing is pumped.
    EXPECT_EQ(log.Events, (std::vector<std::wstring>{std::wstring(L"ask:") + Question, std::wstring(L"add:") + Started,
                                                     L"repaint", std::wstring(L"add:") + Finished}));
    const std::wstring r = m.Record();
    // Started from the copy in the target, by its quoted path, hidden.
    EXPECT_NE(r.find(L"cmdline=\"" + m.T + L"FTDIDriverInstall\\FTDIDriverInstall.exe\"\r\n"), std::wstring::npos) << r;
    EXPECT_NE(r.find(L"show=0\r\n"), std::wstring::npos) << r;
    // Not from a program named after the first word of the path.
    EXPECT_EQ(GetFile(m.root + L"Program.exe"), "<missing>");
}

TEST(DriverStage, NoMeansNoLinesAndNoCopy) {
    TDriverMedia m;
    TRecordingLog log;
    log.Answers = {false};
    RunDriverStage(log, m.T, m.S);
    EXPECT_TRUE(log.Lines.empty());
    EXPECT_FALSE(PathExists(m.T + L"FTDIDriverInstall"));
}

TEST(DriverStage, MissingInstallerStillEndsWithTheFinishedLine) {
    TDriverMedia m;
    TTempFolder::RemoveTree(m.S + L"FTDIDriverInstall");
    TRecordingLog log;
    log.Answers = {true};
    RunDriverStage(log, m.T, m.S);
    EXPECT_EQ(log.Lines, (std::vector<std::wstring>{Started, Finished}));
    EXPECT_EQ(m.Record(), L"<missing>");
}
