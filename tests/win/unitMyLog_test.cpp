#include "shared/unitMyLog.h"

#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "platform/AppError.h"
#include "tests/win/TestFolder.h"

namespace {

std::vector<std::wstring> Reported;
void Record(const std::wstring& text) { Reported.push_back(text); }

// Routes event-log records to Reported for the test's lifetime.
class MyLogTest : public testing::Test {
protected:
    void SetUp() override {
        Reported.clear();
        TMyLog::EventReporter = Record;
    }
    void TearDown() override { TMyLog::EventReporter = TMyLog::ReportToEventLog; }
    TTestFolder dir;
};

std::vector<std::string> FileLines(const std::wstring& path) {
    const std::string bytes = GetFile(path);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t p; (p = bytes.find("\r\n", start)) != std::string::npos; start = p + 2)
        lines.push_back(bytes.substr(start, p - start));
    EXPECT_EQ(start, bytes.size()) << "the last line ends with CR LF";
    return lines;
}

// prefix, DD?MM?YYYY HH?NN?SS, ": ", message
const std::regex LinePattern(R"(\[Install\] \d\d.\d\d.\d{4} \d\d.\d\d.\d\d: (.*))");

}  // namespace

TEST_F(MyLogTest, BoundToTheLogBesideTheExecutable) {
    TMyLog log;
    EXPECT_EQ(log.GetLogFileName(), ExeFolder() + L"RavaRerozo.log");
    EXPECT_EQ(log.LineCount(), 0u);
    EXPECT_EQ(log.LogType, 0);
}

TEST_F(MyLogTest, MessagesGoOnTopWithTimestampAndReachTheEventLog) {
    TMyLog log;
    const std::wstring path = dir + L"a.log";
    log.SetLogFileName(path);
    log.AddMessage(L"first", false);
    log.AddMessage(L"", false);
    log.AddMessage(L"Ошибка", false);
    const auto lines = FileLines(path);
    ASSERT_EQ(lines.size(), 3u);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[2], m, LinePattern)) << lines[2];
    EXPECT_EQ(m[1], "first");
    ASSERT_TRUE(std::regex_match(lines[1], m, LinePattern));
    EXPECT_EQ(m[1], "");  // an empty message ends with ": "
    EXPECT_EQ(lines[1].substr(lines[1].size() - 2), ": ");
    // Written in the ANSI code page, without a mark.
    char ansi[16] = {};
    WideCharToMultiByte(CP_ACP, 0, L"Ошибка", -1, ansi, sizeof ansi, nullptr, nullptr);
    ASSERT_TRUE(std::regex_match(lines[0], m, LinePattern));
    EXPECT_EQ(m[1], ansi);
    EXPECT_EQ(Reported, (std::vector<std::wstring>{L"[Install] : first", L"[Install] : ",
                                                    L"[Install] : Ошибка"}));
}

TEST_F(MyLogTest, ThousandAndFirstMessageDropsTheOldest) {
    const std::wstring path = dir + L"full.log";
    std::string old;
    for (int i = 0; i < 1000; ++i) old += "old " + std::to_string(i) + "\r\n";
    PutFile(path, old);
    TMyLog log;
    log.SetLogFileName(path);
    EXPECT_EQ(log.LineCount(), 1000u);
    log.AddMessage(L"new");
    const auto lines = FileLines(path);
    ASSERT_EQ(lines.size(), 1000u);
    EXPECT_NE(lines[0].find(": new"), std::string::npos);
    EXPECT_EQ(lines[1], "old 0");
    EXPECT_EQ(lines[999], "old 998");
}

TEST_F(MyLogTest, MultiLineMessageIsOneLineUntilReloaded) {
    const std::wstring path = dir + L"m.log";
    TMyLog log;
    log.SetLogFileName(path);
    log.AddMessage(L"one\r\ntwo\r\nthree");
    EXPECT_EQ(log.LineCount(), 1u);
    EXPECT_EQ(FileLines(path).size(), 3u);
    TMyLog again;
    again.SetLogFileName(path);
    EXPECT_EQ(again.LineCount(), 3u);
}

TEST_F(MyLogTest, UnicodeMarkedFilesKeepTheirEncoding) {
    const std::wstring u16 = dir + L"u16.log";
    PutFile(u16, std::string("\xFF\xFEo\0l\0d\0\r\0\n\0", 12));
    const std::wstring u8 = dir + L"u8.log";
    PutFile(u8, "\xEF\xBB\xBFold\r\n");
    TMyLog log;
    log.SetLogFileName(u16);
    log.SetAddLogFileName(u8);
    log.AddMessage(L"Ж");
    const std::string a = GetFile(u16);
    EXPECT_EQ(a.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(a.substr(a.size() - 20), std::string(":\0 \0\x16\x04\r\0\n\0o\0l\0d\0\r\0\n\0", 20));
    const std::string b = GetFile(u8);
    EXPECT_EQ(b.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(b.substr(b.size() - 11), ": \xD0\x96\r\nold\r\n");
}

TEST_F(MyLogTest, AdditionalLogAndOnlyAddLogfile) {
    const std::wstring main = dir + L"main.log";
    const std::wstring extra = dir + L"extra.log";
    TMyLog log;
    log.SetLogFileName(main);

    log.AddMessage(L"nowhere", true);  // no additional file: nothing is written
    EXPECT_EQ(GetFile(main), "<missing>");
    EXPECT_EQ(Reported.size(), 1u);  // but the event log still gets it

    log.SetAddLogFileName(extra);
    log.AddMessage(L"both");
    log.AddMessage(L"extra only", true);
    EXPECT_EQ(FileLines(main).size(), 1u);
    const auto e = FileLines(extra);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_NE(e[0].find(": extra only"), std::string::npos);

    log.SetAddLogFileName(L"");
    log.AddMessage(L"main again");
    EXPECT_EQ(FileLines(main).size(), 2u);
    EXPECT_EQ(FileLines(extra).size(), 2u);
    EXPECT_EQ(Reported.size(), 4u);
}

TEST_F(MyLogTest, FailedSaveRaisesSkipsTheRestAndKeepsTheLine) {
    const std::wstring extra = dir + L"extra.log";
    TMyLog log;
    log.SetLogFileName(dir + L"missing\\a.log");
    log.SetAddLogFileName(extra);
    try {
        log.AddMessage(L"lost");
        FAIL() << "no error";
    } catch (const EAppError& e) {
        EXPECT_EQ(e.Message().rfind(L"Cannot create file \"" + dir.Path() + L"missing\\a.log" + L"\". ", 0), 0u);
    }
    EXPECT_TRUE(Reported.empty());
    EXPECT_EQ(GetFile(extra), "<missing>");
    EXPECT_EQ(log.LineCount(), 1u);
    // The lock was released: the next message on a good file goes through.
    log.SetLogFileName(dir + L"b.log");
    log.AddMessage(L"ok");
    EXPECT_EQ(FileLines(dir + L"b.log").size(), 1u);
}

TEST_F(MyLogTest, ByteArrayIsOneLongLine) {
    TMyLog log;
    log.SetLogFileName(dir + L"ba.log");
    auto ba = std::make_unique<TByteArray32K>();
    (*ba)[0] = 0xA5;
    log.AddByteArray(L"dump:", *ba);
    const auto lines = FileLines(dir + L"ba.log");
    ASSERT_EQ(lines.size(), 1u);
    // No separator between the message and the first pair; the dump ends with a blank.
    EXPECT_EQ(lines[0].size(), 10u + 19 + 2 + 5 + 98304);
    EXPECT_EQ(lines[0].substr(29, 14), ": dump:A5 00 0");
    EXPECT_EQ(lines[0].substr(lines[0].size() - 3), "00 ");
}

TEST_F(MyLogTest, ConcurrentMessagesEachWriteWholeLines) {
    TMyLog log;
    log.SetLogFileName(dir + L"mt.log");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&log, t] {
            for (int i = 0; i < 40; ++i)
                log.AddMessage(L"thread " + std::to_wstring(t) + L" message " + std::to_wstring(i));
        });
    for (auto& th : threads) th.join();
    const auto lines = FileLines(dir + L"mt.log");
    ASSERT_EQ(lines.size(), 160u);
    for (const auto& l : lines) EXPECT_TRUE(std::regex_match(l, LinePattern)) << l;
    EXPECT_EQ(Reported.size(), 160u);
}

TEST_F(MyLogTest, BadFilesNeverStopTheConstruction) {
    // 50 MB of binary garbage: loaded quickly, at most 1000 lines kept.
    const std::string garbage = Garbage(50u << 20, 7);
    const std::wstring big = dir + L"big.log";
    PutFile(big, garbage);
    const ULONGLONG t0 = GetTickCount64();
    TMyLog log;
    log.SetLogFileName(big);
    EXPECT_LE(log.LineCount(), 1000u);
    EXPECT_GT(log.LineCount(), 0u);
    EXPECT_LT(GetTickCount64() - t0, 20000u);
    log.AddMessage(L"after garbage");
    EXPECT_LE(FileLines(big).size(), 1001u);

    // One 50 MB line without a break, a lone mark, NULs.
    PutFile(big, std::string(50u << 20, 'x'));
    log.SetLogFileName(big);
    EXPECT_EQ(log.LineCount(), 1u);
    PutFile(big, "\xFE\xFF");
    log.SetLogFileName(big);
    EXPECT_EQ(log.LineCount(), 0u);
    PutFile(big, std::string("\0\0\0\r\n\0", 6));
    log.SetLogFileName(big);
    EXPECT_EQ(log.LineCount(), 2u);

    // Held exclusively by another program, or a folder by that name: empty.
    const std::wstring held = dir + L"held.log";
    PutFile(held, "a\r\nb\r\n");
    {
        TKernelHandle holder(CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder.Valid());
        log.SetLogFileName(held);
        EXPECT_EQ(log.LineCount(), 0u);
    }
    CreateDirectoryW((dir + L"folder.log").c_str(), nullptr);
    log.SetAddLogFileName(dir + L"folder.log");
    EXPECT_THROW(log.AddMessage(L"x", true), EAppError);
}

TEST_F(MyLogTest, RealEventLogCallIsHarmless) {
    TMyLog::EventReporter = TMyLog::ReportToEventLog;
    TMyLog log;
    log.SetLogFileName(dir + L"ev.log");
    EXPECT_NO_THROW(log.AddMessage(L"to the event log"));
}

TEST_F(MyLogTest, GlobalLogLivesFromInitToFinalize) {
    EXPECT_EQ(MyLog, nullptr);
    InitMyLog();
    ASSERT_NE(MyLog, nullptr);
    EXPECT_EQ(MyLog->GetLogFileName(), ExeFolder() + L"RavaRerozo.log");
    FinalizeMyLog();
    EXPECT_EQ(MyLog, nullptr);
}
