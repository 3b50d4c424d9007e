#include "install/CommandLine.h"

std::wstring QuoteProgramPath(const std::wstring& fileName) { return L"\"" + fileName + L"\""; }

std::wstring BuildRunAndWaitCommandLine(const std::wstring& fileName, const std::wstring& params) {
    return QuoteProgramPath(fileName) + L" " + params;
}

bool FitsCommandBuffer(const std::wstring& line, std::size_t limit) { return line.size() <= limit; }

std::wstring FolderOfFile(const std::wstring& fileName) {
    const std::size_t slash = fileName.find_last_of(L"\\/:");
    if (slash == std::wstring::npos) return L"";
    std::wstring folder = fileName.substr(0, slash + 1);
    // "C:\" and "C:" stay as they are; any deeper folder loses its separator.
    const bool driveRoot = (folder.size() == 3 || folder.size() == 2) && folder[1] == L':';
    if (!driveRoot && folder.size() > 1 && (folder.back() == L'\\' || folder.back() == L'/'))
        folder.pop_back();
    return folder;
}
