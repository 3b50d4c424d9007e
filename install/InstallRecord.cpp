#include "install/InstallRecord.h"

#include <cstdio>
#include <map>
#include <set>

#include "install/MediaLayout.h"
#include "shared/TextCodec.h"
#include "shared/VL_Common_Const.h"

namespace {

const char* const RecordHeader = "Velitor-Vudeze installed files 1";

// Letter case as the file system ignores it, for the names compared here. The
// long s, the dotless i and the Kelvin sign fold onto ASCII letters there too.
wchar_t Fold(wchar_t c) {
    if (c >= L'A' && c <= L'Z') return static_cast<wchar_t>(c + 32);
    if (c == 0x017F) return L's';
    if (c == 0x0131) return L'i';
    if (c == 0x212A) return L'k';
    return c;
}

bool SameText(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i])) return false;
    return true;
}

bool EndsWithText(std::wstring_view text, std::wstring_view end) {
    return text.size() >= end.size() && SameText(text.substr(text.size() - end.size()), end);
}

std::wstring_view WithoutSlash(const std::wstring& folder) {
    std::wstring_view v = folder;
    if (!v.empty() && v.back() == L'\\') v.remove_suffix(1);
    return v;
}

// Names that open a device instead of a file, whatever extension follows.
bool DeviceName(std::wstring_view component) {
    const std::wstring_view base = component.substr(0, component.find(L'.'));
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL"})
        if (SameText(base, device)) return true;
    if (base.size() == 4 && (SameText(base.substr(0, 3), L"COM") || SameText(base.substr(0, 3), L"LPT")) &&
        base[3] >= L'1' && base[3] <= L'9')
        return true;
    return false;
}

bool UsableCharacters(std::wstring_view path) {
    for (wchar_t c : path)
        if (c < 32 || c == L'/' || c == L':' || c == L'*' || c == L'?' || c == L'"' || c == L'<' || c == L'>' ||
            c == L'|')
            return false;
    return true;
}

std::vector<std::wstring_view> Components(std::wstring_view path) {
    std::vector<std::wstring_view> parts;
    std::size_t at = 0;
    while (true) {
        const std::size_t slash = path.find(L'\\', at);
        parts.push_back(path.substr(at, slash == std::wstring_view::npos ? std::wstring_view::npos : slash - at));
        if (slash == std::wstring_view::npos) break;
        at = slash + 1;
    }
    return parts;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t at = 0;
    while (true) {
        const std::size_t tab = line.find('\t', at);
        fields.push_back(line.substr(at, tab == std::string_view::npos ? std::string_view::npos : tab - at));
        if (tab == std::string_view::npos) break;
        at = tab + 1;
    }
    return fields;
}

bool ParseNumber(std::string_view text, int base, std::uint64_t& value) {
    if (text.empty() || text.size() > (base == 16 ? 16u : 20u)) return false;
    std::uint64_t v = 0;
    for (char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (digit < 0) return false;
        if (base == 10 && v > (UINT64_MAX - static_cast<std::uint64_t>(digit)) / 10) return false;
        v = v * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    }
    value = v;
    return true;
}

}  // namespace

std::string FormatInstallRecord(const TInstallRecord& record) {
    std::string text = std::string(RecordHeader) + "\r\n";
    text += "folder\t" + EncodeUtf8(record.Folder) + "\r\n";
    if (!record.Shortcut.empty()) text += "link\t" + EncodeUtf8(record.Shortcut) + "\r\n";
    for (const TRecordedFile& f : record.Files) {
        char numbers[64];
        std::snprintf(numbers, sizeof numbers, "%llu\t%016llX", static_cast<unsigned long long>(f.Size),
                      static_cast<unsigned long long>(f.WriteTime));
        text += "file\t" + std::string(numbers) + "\t" + EncodeUtf8(f.Path) + "\r\n";
    }
    return text;
}

bool ParseInstallRecord(std::string_view bytes, TInstallRecord& record, std::size_t& refused) {
    record = {};
    refused = 0;
    bool first = true;
    // A record saved again by an editor may have gained a byte-order mark.
    std::size_t at = bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    while (at < bytes.size()) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (first) {
            if (line != RecordHeader) return false;
            first = false;
            continue;
        }
        if (line.empty()) continue;
        const std::vector<std::string_view> f = Fields(line);
        if (f[0] == "folder" && f.size() == 2) {
            record.Folder = DecodeUtf8(f[1]);
        } else if (f[0] == "link" && f.size() == 2 && RecordableShortcut(DecodeUtf8(f[1]))) {
            record.Shortcut = DecodeUtf8(f[1]);
        } else if (f[0] == "file" && f.size() == 4) {
            TRecordedFile file;
            file.Path = DecodeUtf8(f[3]);
            if (ParseNumber(f[1], 10, file.Size) && ParseNumber(f[2], 16, file.WriteTime) &&
                RecordablePath(file.Path))
                record.Files.push_back(std::move(file));
            else
                ++refused;
        } else {
            ++refused;
        }
    }
    return !first;
}

bool RecordablePath(std::wstring_view relative) {
    if (relative.empty() || relative.size() > 32000 || !UsableCharacters(relative)) return false;
    const std::vector<std::wstring_view> parts = Components(relative);
    for (std::wstring_view part : parts) {
        if (part.empty() || part == L"." || part == L"..") return false;
        if (part.back() == L'.' || part.back() == L' ' || DeviceName(part)) return false;
    }
    const std::wstring_view top = parts.front();
    if (SameText(top, WithoutSlash(DatabaseSubfolder)) || SameText(top, WithoutSlash(SettingsSubfolder)))
        return false;
    if (parts.size() == 1) {
        for (const std::wstring* own : {&UninstallerName, &InstallRecordName, &InstalledMarkerFile})
            if (SameText(top, *own)) return false;
        // Install.log, Uninstall.log and the complex's own logs beside its programs.
        if (EndsWithText(top, L".log")) return false;
    }
    return true;
}

bool RecordableShortcut(std::wstring_view path) {
    if (path.size() < 8 || path.size() > 32000 || !EndsWithText(path, L".lnk")) return false;
    for (wchar_t c : path)
        if (c < 32 || c == L'/' || c == L'*' || c == L'?' || c == L'"' || c == L'<' || c == L'>' || c == L'|')
            return false;
    const bool drive = ((path[0] | 0x20) >= L'a' && (path[0] | 0x20) <= L'z') && path[1] == L':' && path[2] == L'\\';
    const bool unc = path[0] == L'\\' && path[1] == L'\\' && path[2] != L'\\' && path[2] != L'?' && path[2] != L'.';
    if (!drive && !unc) return false;
    if (path.find(L':', 2) != std::wstring_view::npos) return false;
    for (std::wstring_view part : Components(path.substr(2)))
        if (part == L"." || part == L"..") return false;
    return true;
}

std::vector<TRecordedFile> InstalledFiles(const std::vector<TRecordedFile>& now, const TFolderBefore& before) {
    // Folded paths, so that a name written in another case is the same file.
    auto folded = [](std::wstring_view path) {
        std::wstring f(path);
        for (wchar_t& c : f) c = Fold(c);
        return f;
    };
    std::map<std::wstring, const TRecordedFile*> present;
    for (const TRecordedFile& f : before.Present) present[folded(f.Path)] = &f;
    std::set<std::wstring> recorded;
    for (const std::wstring& path : before.Recorded) recorded.insert(folded(path));
    std::vector<TRecordedFile> ours;
    for (const TRecordedFile& f : now) {
        const std::wstring key = folded(f.Path);
        const auto was = present.find(key);
        const bool untouched =
            was != present.end() && was->second->Size == f.Size && was->second->WriteTime == f.WriteTime;
        if (!untouched || recorded.count(key)) ours.push_back(f);
    }
    return ours;
}

bool PathInsideFolder(std::wstring_view path, std::wstring_view folder) {
    if (folder.empty() || folder.back() != L'\\' || path.size() <= folder.size()) return false;
    return SameText(path.substr(0, folder.size()), folder);
}

std::wstring InstallDateText(int year, int month, int day) {
    wchar_t text[16];
    std::swprintf(text, 16, L"%04d%02d%02d", year, month, day);
    return text;
}

std::uint32_t EstimatedSizeKiB(std::uint64_t bytes) {
    const std::uint64_t kib = bytes / 1024 + (bytes % 1024 ? 1 : 0);
    return kib > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(kib);
}

std::wstring UninstallCommand(const std::wstring& folder, bool quiet) {
    return L"\"" + folder + UninstallerName + L"\" /UNINSTALL" + (quiet ? L" /VERYSILENT" : L"");
}

std::wstring RemovalHelperArguments(std::uint32_t processHandle, const std::wstring& folder) {
    return L"/REMOVEUNINSTALLER " + std::to_wstring(processHandle) + L" \"" + folder + L"\"";
}

bool ParseRemovalHelper(std::wstring_view commandLine, std::uint32_t& processHandle, std::wstring& folder) {
    // Blanks separate, double quotes group; the program's own name is skipped.
    std::vector<std::wstring> args;
    std::size_t i = 0;
    for (bool program = true;; program = false) {
        while (i < commandLine.size() && (commandLine[i] == L' ' || commandLine[i] == L'\t')) ++i;
        if (i >= commandLine.size()) break;
        std::wstring arg;
        bool quoted = false;
        for (; i < commandLine.size() && (quoted || (commandLine[i] != L' ' && commandLine[i] != L'\t')); ++i) {
            if (commandLine[i] == L'"') quoted = !quoted;
            else arg += commandLine[i];
        }
        if (quoted) return false;
        if (!program) args.push_back(std::move(arg));
    }
    if (args.size() != 3 || !SameText(args[0], L"/REMOVEUNINSTALLER")) return false;
    std::uint64_t handle = 0;
    const std::string digits(args[1].begin(), args[1].end());
    for (wchar_t c : args[1])
        if (c < L'0' || c > L'9') return false;
    if (!ParseNumber(digits, 10, handle) || handle == 0 || handle > UINT32_MAX) return false;
    if (args[2].size() < 4 || args[2].back() != L'\\') return false;
    processHandle = static_cast<std::uint32_t>(handle);
    folder = args[2];
    return true;
}
