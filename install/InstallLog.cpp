#include "install/InstallLog.h"

#include <windows.h>

#include "install/InstallLogText.h"

TInstallLog::TInstallLog(std::wstring distribution, std::wstring target, bool timeStamps)
    : FDistribution(std::move(distribution)), FTarget(std::move(target)), FTimeStamps(timeStamps) {}

TInstallLog::~TInstallLog() {
    if (FOpened) CloseHandle(FFile);
}

bool TInstallLog::IsOpen() const { return FOpened; }

void TInstallLog::Open(const std::wstring& path) {
    if (FOpened) return;
    HANDLE h = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    const bool fresh = GetLastError() != ERROR_ALREADY_EXISTS;
    FFile = h;
    FOpened = true;
    LARGE_INTEGER size{};
    if (fresh || (GetFileSizeEx(h, &size) && size.QuadPart == 0)) Write(Utf8Bom);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    Write(InstallLogLine(InstallLogHeader(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                                          now.wSecond, FDistribution, FTarget)));
    for (const std::wstring& line : FPending) Write(InstallLogLine(line));
    FPending.clear();
}

void TInstallLog::Line(const std::wstring& text) {
    std::wstring line = text;
    if (FTimeStamps) {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        line = InstallLogTime(now.wHour, now.wMinute, now.wSecond, now.wMilliseconds) + line;
    }
    if (!FOpened) {
        FPending.push_back(std::move(line));
        return;
    }
    Write(InstallLogLine(line));
}

void TInstallLog::Write(const std::string& bytes) {
    DWORD written = 0;
    // Each line is in the system's hands before the installation goes on, so a
    // killed or crashed installer leaves it. No flush: under Wine on ext4 a sync
    // waits for every earlier write of the drive, a whole database among them.
    WriteFile(FFile, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
