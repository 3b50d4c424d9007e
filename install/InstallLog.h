// Install.log in the target folder: every progress line and every error box of
// a run, written line by line so that even a crash leaves a trace.
#pragma once
#include <string>
#include <vector>

#include "platform/Handles.h"

class TInstallLog {
public:
    // Lines given before Open are kept and written when the file opens.
    // timeStamps: every line starts with the local time it was given at.
    // removal: the header is that of a removal (Uninstall.log), without a distribution.
    TInstallLog(std::wstring distribution, std::wstring target, bool timeStamps = false, bool removal = false);
    ~TInstallLog();
    TInstallLog(const TInstallLog&) = delete;
    TInstallLog& operator=(const TInstallLog&) = delete;

    // Opens (appends to) the file, with a BOM when it is new, and writes the
    // header line and the lines so far. A file that cannot be opened is not an
    // error: the installation goes on without its trace.
    void Open(const std::wstring& path);
    bool IsOpen() const;

    void Line(const std::wstring& text);

private:
    void Write(const std::string& bytes);

    std::wstring FDistribution, FTarget;
    bool FTimeStamps;
    bool FRemoval;
    std::vector<std::wstring> FPending;
    TKernelHandle FFile;
};
