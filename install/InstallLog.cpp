#include "install/InstallLog.h"

#include <windows.h>

#include "install/InstallLogText.h"

TInstallLog::TInstallLog(std::wstring distribution, std::wstring target, bool timeStamps, bool removal)
    : FDistribution(std::move(distribution)), FTarget(std::move(target)), FTimeStamps(timeStamps),
      FRemoval(removal) {}

TInstallLog::~TInstallLog() = default;

bool TInstallLog::IsOpen() const { return FFile.Valid(); }

void TInstallLog::Open(const std::wstring& path) {
    if (IsOpen()) return;
    TKernelHandle h(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.Valid()) return;
    const bool fresh = GetLastError() != ERROR_ALREADY_EXISTS;
    FFile = std::move(h);
    LARGE_INTEGER size{};
    if (fresh || (GetFileSizeEx(FFile.Get(), &size) && size.QuadPart == 0)) Write(Utf8Bom);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    Write(InstallLogLine(FRemoval ? UninstallLogHeader(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                                                       now.wSecond, FTarget)
                                  : InstallLogHeader(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
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
    if (!IsOpen()) {
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
    WriteFile(FFile.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
