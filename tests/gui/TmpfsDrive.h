// A small drive that really runs out of space: a tmpfs of a given size mounted on
// the Unix side and mapped as a drive letter of this test's own Wine prefix (a
// symbolic link in dosdevices). Wine starts Unix programs given by a Unix path,
// but does not track them, so every step waits for its effect.
#pragma once
#include <windows.h>

#include <string>


namespace fault {

namespace tmpfs_detail {
inline bool Exists(const std::wstring& p) { return GetFileAttributesW(p.c_str()) != INVALID_FILE_ATTRIBUTES; }
template <class F>
bool WaitFor(F pred, DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 50) {
        if (pred()) return true;
        Sleep(50);
    }
    return pred();
}
inline std::string Narrow(const std::wstring& w) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}
inline std::wstring Widen(const std::string& s) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), w.data(), n);
    return w;
}
}  // namespace tmpfs_detail

class TTmpfsDrive {
public:
    TTmpfsDrive(wchar_t letter, unsigned long long bytes) : FLetter(letter) {
        wchar_t prefix[MAX_PATH] = {};
        if (!GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH)) {
            FWhy = "WINEPREFIX is not set (not running under scripts/wine-run)";
            return;
        }
        FMount = "/tmp/robust-tmpfs-" + std::to_string(GetCurrentProcessId()) + "-" + std::string(1, char(letter));
        FLink = tmpfs_detail::Narrow(prefix) + "/dosdevices/" + std::string(1, char(tolower(letter))) + ":";
        Sh("mkdir -p " + FMount + " && mount -t tmpfs -o size=" + std::to_string(bytes) + " tmpfs " + FMount +
           " && ln -sfn " + FMount + " '" + FLink + "' && touch " + FMount + "/.mounted");
        if (!tmpfs_detail::WaitFor([&] { return tmpfs_detail::Exists(Root() + L".mounted"); }, 10000)) {
            FWhy = "cannot mount a tmpfs here (mount needs root and a kernel that allows it)";
            return;
        }
        DeleteFileW((Root() + L".mounted").c_str());
        FReady = true;
    }
    ~TTmpfsDrive() {
        if (FMount.empty()) return;
        Sh("rm -f '" + FLink + "'; umount -l " + FMount + "; rmdir " + FMount);
        tmpfs_detail::WaitFor([&] { return !tmpfs_detail::Exists(Root()); }, 5000);
    }
    TTmpfsDrive(const TTmpfsDrive&) = delete;
    TTmpfsDrive& operator=(const TTmpfsDrive&) = delete;

    bool Ready() const { return FReady; }
    const std::string& WhyNot() const { return FWhy; }
    std::wstring Root() const { return std::wstring(1, FLetter) + L":\\"; }

private:
    static void Sh(const std::string& script) {
        std::wstring cmd = L"/bin/sh -c \"" + tmpfs_detail::Widen(script) + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            CloseHandle(pi.hProcess);
            CloseHandle(pi.hThread);
        }
    }

    wchar_t FLetter;
    std::string FMount, FLink, FWhy;
    bool FReady = false;
};

}  // namespace fault
