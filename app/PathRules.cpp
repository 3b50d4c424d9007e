#include "app/PathRules.h"

#include <algorithm>

#include "install/CommandLine.h"

namespace {

wchar_t Upper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c; }

bool IsDriveLetter(wchar_t c) { return Upper(c) >= L'A' && Upper(c) <= L'Z'; }

bool HasDrive(const std::wstring& p) { return p.size() >= 2 && IsDriveLetter(p[0]) && p[1] == L':'; }

bool IsUnc(const std::wstring& p) { return p.size() >= 2 && p[0] == L'\\' && p[1] == L'\\'; }

// "/" as "\", and no separator twice in a row (a UNC name keeps its two).
std::wstring Separated(const std::wstring& p) {
    std::wstring out;
    for (size_t i = 0; i < p.size(); ++i) {
        const wchar_t c = p[i] == L'/' ? L'\\' : p[i];
        if (c == L'\\' && !out.empty() && out.back() == L'\\' && i > 1) continue;
        out += c;
    }
    return out;
}

}  // namespace

std::wstring TrimControl(const std::wstring& text) {
    size_t first = 0, last = text.size();
    while (first < last && text[first] <= L' ') ++first;
    while (last > first && text[last - 1] <= L' ') --last;
    return text.substr(first, last - first);
}

TPathResult NormalizeInstallPath(const std::wstring& typed) {
    std::wstring p = TrimControl(typed);
    if (p.empty()) return {TPathCheck::Empty, L""};
    if (p.back() != L'\\') p += L'\\';
    if (IsDriveRoot(Separated(p))) return {TPathCheck::Root, p};
    return {TPathCheck::Accepted, p};
}

std::wstring AbsoluteBeside(const std::wstring& typed, const std::wstring& base) {
    const std::wstring p = Separated(typed);
    if (IsUnc(p)) return p;
    if (HasDrive(p)) return p.size() > 2 && p[2] == L'\\' ? p : p.substr(0, 2) + L"\\" + p.substr(2);
    const std::wstring folder = base.empty() || base.back() == L'\\' ? base : base + L"\\";
    if (!p.empty() && p[0] == L'\\') {
        // Rooted: on the drive (or share) that base is on.
        if (HasDrive(folder)) return folder.substr(0, 2) + p;
        if (IsUnc(folder)) {
            const size_t host = folder.find(L'\\', 2);
            const size_t share = host == std::wstring::npos ? host : folder.find(L'\\', host + 1);
            return (share == std::wstring::npos ? folder : folder.substr(0, share)) + p;
        }
        return p;
    }
    return folder + p;
}

bool IsDriveRoot(const std::wstring& path) {
    std::wstring p = path;
    if (!p.empty() && p.back() == L'\\') p.pop_back();
    if (p.size() == 2 && HasDrive(p)) return true;
    if (!IsUnc(p)) return false;
    // \\server\share: two names, nothing below them.
    const size_t host = p.find(L'\\', 2);
    return host == std::wstring::npos || host == 2 || p.find(L'\\', host + 1) == std::wstring::npos;
}

bool UsablePath(const std::wstring& path) {
    for (size_t i = 0; i < path.size(); ++i) {
        const wchar_t c = path[i];
        if (c < 32 || c == L'<' || c == L'>' || c == L'"' || c == L'|' || c == L'?' || c == L'*')
            return false;
        if (c == L':' && !(i == 1 && IsDriveLetter(path[0]))) return false;
    }
    return true;
}

std::wstring TooDeepReason(const std::wstring& folder, const TInstalledNames& names) {
    // Each rule: how many characters the folder may have for it, and its text.
    size_t room = MaxFolderLength;
    std::wstring what = L"каталог длиннее " + std::to_wstring(MaxFolderLength) + L" символов";
    auto rule = [&](size_t used, size_t limit, const std::wstring& text) {
        const size_t left = used >= limit ? 0 : limit - used;
        if (left < room) {
            room = left;
            what = text;
        }
    };
    for (const std::wstring& f : names.Files)
        rule(f.size(), MaxFileLength,
             L"путь файла " + f + L" будет длиннее " + std::to_wstring(MaxFileLength) + L" символов");
    for (const std::wstring& f : names.Written)
        rule(f.size() + WrittenSuffixRoom, MaxFileLength,
             L"путь файла " + f + L" будет длиннее " + std::to_wstring(MaxFileLength) + L" символов");
    for (const std::wstring& f : names.Folders)
        rule(f.size(), MaxFolderLength,
             L"путь каталога " + f + L" будет длиннее " + std::to_wstring(MaxFolderLength) + L" символов");
    if (!names.DriverProgram.empty())
        rule(QuoteProgramPath(names.DriverProgram).size(), StartProgramLineLimit,
             L"командная строка программы установки драйвера будет длиннее " +
                 std::to_wstring(StartProgramLineLimit) + L" символов");
    for (const std::wstring& s : names.Scripts)
        rule(BuildRunAndWaitCommandLine(s, L"").size(), RunAndWaitLineLimit,
             L"командная строка сценария выпуска " + s + L" будет длиннее " +
                 std::to_wstring(RunAndWaitLineLimit) + L" символов");
    if (folder.size() <= room) return L"";
    return L"Слишком длинный путь установки (" + std::to_wstring(folder.size()) + L" символов): " + what +
           L". Выберите путь не длиннее " + std::to_wstring(room) + L" символов.";
}
