#include "shared/unitMyLog.h"

#include "platform/WinUtil.h"
#include "shared/FileIO.h"
#include "shared/SystemText.h"

TMyLog* MyLog = nullptr;
void (*TMyLog::EventReporter)(const std::wstring& text) = TMyLog::ReportToEventLog;

namespace {

// A log is read only as far as the lines it keeps. Reading stops after this
// many bytes, which still holds 1000 lines of byte-array dumps; the rest of a
// larger file would be dropped by the next message anyway.
constexpr std::size_t MaxLogRead = 128u << 20;

// Loads a log file's lines. The constructor must not fail, so a file that
// exists but cannot be read (locked, no access) gives an empty list, like a
// missing one; the next message then starts the file afresh.
void LoadLog(const std::wstring& path, std::vector<std::wstring>& list, TTextEncoding& encoding) {
    list.clear();
    encoding = TTextEncoding::Ansi;
    std::string bytes;
    DWORD error = 0;
    if (ReadFileHead(path, MaxLogRead + 1, bytes, error) != TReadResult::Ok) return;
    const bool truncated = bytes.size() > MaxLogRead;
    if (truncated) bytes.resize(MaxLogRead);
    list = ParseLogFile(bytes, truncated, LogMaxLines, encoding, SystemAnsiCodec());
}

wchar_t LocaleSeparator(LCTYPE type, wchar_t fallback) {
    wchar_t buf[8] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buf, 8) > 1) return buf[0];
    return fallback;
}

std::wstring Now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return FormatLogTimestamp({st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond},
                              LocaleSeparator(LOCALE_SDATE, L'/'),
                              LocaleSeparator(LOCALE_STIME, L':'));
}

class TLockGuard {
public:
    explicit TLockGuard(CRITICAL_SECTION& cs) : FCs(cs) { EnterCriticalSection(&FCs); }
    ~TLockGuard() { LeaveCriticalSection(&FCs); }
    TLockGuard(const TLockGuard&) = delete;
    TLockGuard& operator=(const TLockGuard&) = delete;

private:
    CRITICAL_SECTION& FCs;
};

}  // namespace

TMyLog::TMyLog() {
    InitializeCriticalSection(&Lock);
    LogFileName = ExeFolder() + L"RavaRerozo.log";
    LogMaxSize = LogMaxLines;
    LoadLog(LogFileName, List, ListEncoding);
}

TMyLog::~TMyLog() { DeleteCriticalSection(&Lock); }

void TMyLog::SetLogFileName(const std::wstring& value) {
    LogFileName = value;
    LogMaxSize = LogMaxLines;
    LoadLog(LogFileName, List, ListEncoding);
}

void TMyLog::SetAddLogFileName(const std::wstring& value) {
    AddLogFilename = value;
    if (!AddList) AddList = std::make_unique<std::vector<std::wstring>>();
    AddList->clear();
    AddListEncoding = TTextEncoding::Ansi;
    if (!value.empty()) LoadLog(AddLogFilename, *AddList, AddListEncoding);
}

void TMyLog::TrimList() { TrimLogLines(List, LogMaxSize); }

void TMyLog::TrimAddList() {
    if (AddList) TrimLogLines(*AddList, LogMaxSize);
}

void TMyLog::AddMessage(const std::wstring& Message, bool OnlyAddLogfile) {
    {
        TLockGuard guard(Lock);
        if (!OnlyAddLogfile) {
            List.insert(List.begin(), FormatLogLine(LogPrefix, Now(), Message));
            TrimList();
            WriteFileAtomic(LogFileName, SerialiseLog(List, ListEncoding, SystemAnsiCodec()));
        }
        if (!AddLogFilename.empty() && AddList) {
            AddList->insert(AddList->begin(), FormatLogLine(LogPrefix, Now(), Message));
            TrimAddList();
            WriteFileAtomic(AddLogFilename,
                            SerialiseLog(*AddList, AddListEncoding, SystemAnsiCodec()));
        }
    }
    if (EventReporter != nullptr) EventReporter(std::wstring(LogPrefix) + L": " + Message);
}

void TMyLog::AddByteArray(const std::wstring& Message, const TByteArray32K& BA) {
    AddMessage(Message + ByteArrayDump(BA), false);
}

void TMyLog::ReportToEventLog(const std::wstring& text) {
    // Failures are ignored: the event log is a copy, the files are the record.
    HANDLE source = RegisterEventSourceW(nullptr, L"Velitor-Rudeve");
    if (source == nullptr) return;
    const wchar_t* strings[1] = {text.c_str()};
    ReportEventW(source, EVENTLOG_INFORMATION_TYPE, 0, 0, nullptr, 1, 0, strings, nullptr);
    DeregisterEventSource(source);
}

void InitMyLog() {
    if (MyLog == nullptr) MyLog = new TMyLog();
}

void FinalizeMyLog() {
    delete MyLog;
    MyLog = nullptr;
}
