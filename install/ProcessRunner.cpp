#include "install/ProcessRunner.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "install/CommandLine.h"
#include "platform/AppError.h"
#include "platform/WinUtil.h"

namespace {

STARTUPINFOW StartInfo(unsigned short showCmd) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = showCmd;
    return si;
}

// A writable, zero-terminated copy of the line in a buffer of limit + 1.
std::vector<wchar_t> CommandBuffer(const std::wstring& line, std::size_t limit) {
    std::vector<wchar_t> buffer(limit + 1, L'\0');
    std::copy(line.begin(), line.end(), buffer.begin());
    return buffer;
}

constexpr DWORD CreationFlags = CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS;

}  // namespace

std::wstring WaitLimitText(unsigned long limitMs) {
    if (limitMs % 60000 == 0) return std::to_wstring(limitMs / 60000) + L" мин";
    return std::to_wstring((limitMs + 999) / 1000) + L" с";
}

unsigned long RunAndWait(const std::wstring& FileName, const std::wstring& Params,
                         unsigned short ShowCmd, unsigned long WaitLimitMs) {
    const std::wstring line = BuildRunAndWaitCommandLine(FileName, Params);
    if (!FitsCommandBuffer(line, RunAndWaitLineLimit))
        throw EAppError(L"Слишком длинная командная строка (более " +
                        std::to_wstring(RunAndWaitLineLimit) + L" символов): " + line);
    std::vector<wchar_t> buffer = CommandBuffer(line, RunAndWaitLineLimit);
    STARTUPINFOW si = StartInfo(ShowCmd);
    PROCESS_INFORMATION pi{};
    const std::wstring folder = FolderOfFile(FileName);
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, CreationFlags, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi))
        throw EAppError(L"Не смог создать процесс: " + FileName);

    TKernelHandle process(pi.hProcess);
    TKernelHandle thread(pi.hThread);
    const ULONGLONG started = GetTickCount64();
    DWORD wait;
    do {
        wait = WaitForSingleObject(process.Get(), 100);
        // Nobody may be there to answer a program that waits for input: the
        // run goes on without it, and it is left running, not killed.
        if (wait == WAIT_TIMEOUT && WaitLimitMs != 0 && GetTickCount64() - started >= WaitLimitMs)
            throw EAppError(L"Программа " + FileName + L" не завершилась за " + WaitLimitText(WaitLimitMs) +
                            L"; установка её больше не ждёт (программа продолжает работать).");
    } while (wait == WAIT_TIMEOUT);
    if (wait == WAIT_FAILED) {
        const DWORD error = GetLastError();
        process.Close();
        thread.Close();
        throw EAppError(L"Ошибка ожидания процесса " + FileName + L": " + SysErrorMessage(error));
    }
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process.Get(), &exitCode)) {
        const DWORD error = GetLastError();
        process.Close();
        thread.Close();
        throw EAppError(L"Не смог получить код завершения " + FileName + L": " + SysErrorMessage(error));
    }
    return exitCode;
}

long long StartProgram(const std::wstring& CommandLine, unsigned short ShowCmd, bool Wait) {
    if (!FitsCommandBuffer(CommandLine, StartProgramLineLimit)) return -1;
    std::vector<wchar_t> buffer = CommandBuffer(CommandLine, StartProgramLineLimit);
    STARTUPINFOW si = StartInfo(ShowCmd);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, CreationFlags, nullptr,
                        nullptr, &si, &pi))
        return -1;
    TKernelHandle process(pi.hProcess);
    TKernelHandle thread(pi.hThread);
    if (!Wait) return 0;
    WaitForSingleObject(process.Get(), INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.Get(), &exitCode);
    return exitCode;
}

namespace {

class TSystemProgramStarter : public IProgramStarter {
public:
    TStartedProcess Create(const std::wstring& commandLine, unsigned short showCmd) override {
        std::vector<wchar_t> buffer = CommandBuffer(commandLine, commandLine.size());
        STARTUPINFOW si = StartInfo(showCmd);
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, CreationFlags, nullptr, nullptr,
                            &si, &pi))
            return {nullptr, GetLastError()};
        CloseHandle(pi.hThread);
        return {pi.hProcess, 0};
    }
    TStartedProcess RunAsAdministrator(const std::wstring& file, unsigned short showCmd) override {
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof(info);
        // No window of ours owns the prompt: the installation runs beside the
        // window's thread, and the system puts the prompt on the secure desktop.
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
        info.lpVerb = L"runas";
        info.lpFile = file.c_str();
        info.nShow = showCmd;
        if (!ShellExecuteExW(&info)) return {nullptr, GetLastError()};
        if (!info.hProcess) return {nullptr, ERROR_CANCELLED};
        return {info.hProcess, 0};
    }
};

}  // namespace

IProgramStarter& SystemProgramStarter() {
    static TSystemProgramStarter starter;
    return starter;
}

TElevatableRun RunElevatable(IProgramStarter& starter, const std::wstring& file, unsigned short showCmd,
                             bool mayAskConsent, unsigned long waitLimitMs) {
    TElevatableRun run;
    const std::wstring line = QuoteProgramPath(file);
    if (!FitsCommandBuffer(line, StartProgramLineLimit)) {
        run.Error = ERROR_FILENAME_EXCED_RANGE;
        return run;
    }
    TStartedProcess started = starter.Create(line, showCmd);
    // A program that asks for administrator rights in its manifest, or that
    // Windows takes for an installer, is refused to a standard token.
    if (!started.Process && started.Error == ErrorElevationRequired && mayAskConsent) {
        run.AskedConsent = true;
        started = starter.RunAsAdministrator(file, showCmd);
    }
    if (!started.Process) {
        run.Error = started.Error;
        return run;
    }
    TKernelHandle process(static_cast<HANDLE>(started.Process));
    run.Started = true;
    if (WaitForSingleObject(process.Get(), waitLimitMs ? waitLimitMs : INFINITE) == WAIT_TIMEOUT) {
        run.TimedOut = true;  // left running
        return run;
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.Get(), &exitCode);
    run.ExitCode = exitCode;
    return run;
}
