// The message log shared by the complex's programs: the newest lines of a
// text file kept in memory, each new message written at the top with a
// timestamp, at most 1000 lines, an optional second file, and a copy of every
// message in the Windows event log.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "shared/LogFormat.h"

class TMyLog {
public:
    // Binds the log to RavaRerozo.log beside the executable and loads it.
    TMyLog();
    ~TMyLog();
    TMyLog(const TMyLog&) = delete;
    TMyLog& operator=(const TMyLog&) = delete;

    void SetLogFileName(const std::wstring& value);
    // An empty name switches the additional log off.
    void SetAddLogFileName(const std::wstring& value);

    // Writes the message at the top of the main log (unless OnlyAddLogfile)
    // and of the additional log, then reports it to the event log. A file that
    // cannot be written raises EAppError; the message then stays in memory only.
    void AddMessage(const std::wstring& Message, bool OnlyAddLogfile = false);
    // The message followed directly by the hex dump of BA.
    void AddByteArray(const std::wstring& Message, const TByteArray32K& BA);

    std::uint8_t LogType = 0;

    const std::wstring& GetLogFileName() const { return LogFileName; }
    const std::wstring& GetAddLogFileName() const { return AddLogFilename; }
    std::size_t LineCount() const { return List.size(); }

    // Where each message's event-log text goes; tests replace it.
    static void (*EventReporter)(const std::wstring& text);
    // Writes one information record under the source "Velitor-Rudeve".
    static void ReportToEventLog(const std::wstring& text);

private:
    void TrimList();
    void TrimAddList();

    CRITICAL_SECTION Lock;
    std::wstring LogFileName;
    std::wstring AddLogFilename;
    std::int32_t LogMaxSize = LogMaxLines;
    std::vector<std::wstring> List;
    std::unique_ptr<std::vector<std::wstring>> AddList;
    TTextEncoding ListEncoding = TTextEncoding::Ansi;
    TTextEncoding AddListEncoding = TTextEncoding::Ansi;
};

// The process-wide log, bound to RavaRerozo.log beside the executable.
extern TMyLog* MyLog;
void InitMyLog();
void FinalizeMyLog();
