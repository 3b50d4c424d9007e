#include "tools/mediacheck/MediaCheck.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <vector>
#include <set>

#include "install/EngineFiles.h"
#include "install/MediaLayout.h"
#include "tools/mediacheck/MediaAttributes.h"
#include "tools/mediacheck/MediaText.h"
#include "tools/mediacheck/PackageRules.h"
#include "tools/mediacheck/TrueTypeName.h"
#include "tools/mediacheck/XmlScan.h"

namespace mediacheck {
namespace fs = std::filesystem;
namespace {

// Every file the database stage opens, in the installer's own spelling
// (the invisible Windows choice never leaves its first item).
std::vector<std::wstring> DatabaseStageFiles() {
    std::vector<std::wstring> files = {DatabaseSubfolder + DatabaseFileName};
    for (const auto& n : EngineRuntimeFiles(wcWindows7)) files.push_back(EngineSourceSubfolder + n);
    for (const auto& n : IntlFiles()) files.push_back(EngineSourceSubfolder + IntlSubfolder + n);
    for (const auto& n : EngineUdfFiles()) files.push_back(EngineSourceSubfolder + EngineUdfSubfolder + n);
    for (const auto& n : ProductUdfFiles()) files.push_back(ProductUdfSourceSubfolder + n);
    return files;
}
const std::wstring_view kDriverFolder = DriverFolder;
const std::wstring kDriverProgram = DriverFolder + L"\\" + DriverProgram;
const std::wstring_view kPackagesFolder = PackagesFolder;
const std::wstring_view kUpdaterFolder = UpdaterFolder;
const std::wstring_view kReleaseInfo = ReleaseInfoFile;
const std::wstring_view kUpdaterConfig = UpdaterConfigFile;
const std::wstring_view kReleaseScript = ReleaseScriptFile;

constexpr const char* kStops = "the installation stops with an error";
constexpr std::uintmax_t kCluster = 4096;
constexpr std::uintmax_t kReleaseInfoLimit = 16u << 20;
constexpr int kMaxFolderDepth = 64;

std::uintmax_t OnDisk(std::uintmax_t n) { return (n + kCluster - 1) / kCluster * kCluster; }

bool EndsWithNoCase(std::wstring_view s, std::wstring_view tail) {
    return s.size() >= tail.size() && EqualNoCase(s.substr(s.size() - tail.size()), tail);
}

std::string U8(std::wstring_view w) { return ToUtf8(w); }

struct TEntry {
    fs::path path;
    std::wstring name;
    bool dir = false;
};

struct TResolved {
    bool found = false;
    fs::path path;
    std::wstring shown;  // the spelling on the media
};

class TChecker {
public:
    TChecker(const fs::path& dist, const TMediaOptions& options, TMediaReport& report)
        : dist_(dist), opt_(options), r_(report) {}

    void Run() {
        std::error_code ec;
        if (!fs::is_directory(dist_, ec)) {
            Problem("media", PathUtf8(dist_) + ": not a folder");
            return;
        }
        DatabaseStage();
        Fonts();
        Driver();
        Packages();
        Updater();
        Space();
    }

private:
    void Problem(std::string code, std::string text) {
        r_.findings.push_back({TSeverity::Problem, std::move(code), std::move(text)});
    }
    void Note(std::string text) { r_.findings.push_back({TSeverity::Note, "", std::move(text)}); }

    uint32_t Attributes(const fs::path& p) const { return opt_.attributes ? opt_.attributes(p) : 0; }

    const std::vector<TEntry>& List(const fs::path& dir) {
        auto it = dirs_.find(dir);
        if (it != dirs_.end()) return it->second;
        std::vector<TEntry> entries;
        std::error_code ec;
        for (fs::directory_iterator i(dir, ec), end; !ec && i != end; i.increment(ec)) {
            std::error_code ec2;
            entries.push_back({i->path(), PathWide(i->path().filename()), i->is_directory(ec2)});
        }
        std::sort(entries.begin(), entries.end(), [](const TEntry& a, const TEntry& b) { return a.name < b.name; });
        return dirs_.emplace(dir, std::move(entries)).first->second;
    }

    // Follows a name in the installer's spelling ("Firebird\udf\x") one level
    // at a time, the way a case-insensitive file system would, and reports
    // every level whose spelling on the media differs. Missing names are
    // reported once per missing level with what the installer then does.
    TResolved Resolve(std::wstring_view rel, bool wantFolder, const std::string& consequence) {
        TResolved r;
        fs::path cur = dist_;
        std::wstring wanted, shown;
        size_t start = 0;
        for (;;) {
            size_t sep = rel.find(L'\\', start);
            std::wstring_view part = rel.substr(start, sep == std::wstring_view::npos ? rel.npos : sep - start);
            bool last = sep == std::wstring_view::npos;
            wanted += part;
            std::vector<const TEntry*> matches;
            const TEntry* exact = nullptr;
            for (const TEntry& e : List(cur)) {
                if (!EqualNoCase(e.name, part)) continue;
                matches.push_back(&e);
                if (e.name == part) exact = &e;
            }
            if (matches.empty()) {
                if (reported_.insert(wanted).second)
                    Problem("missing", U8(wanted) + (last && !wantFolder ? "" : "\\") + ": not on the media; " +
                                           consequence);
                return r;
            }
            const TEntry* use = exact ? exact : matches.front();
            shown += use->name;
            if (matches.size() > 1 && reported_.insert(L"?" + wanted).second) {
                std::string names;
                for (const TEntry* m : matches) names += (names.empty() ? "" : ", ") + U8(m->name);
                Problem("ambiguous", U8(wanted) + ": several names differ only in letter case (" + names +
                                         "); a Windows copy of the media keeps only one");
            } else if (!exact && reported_.insert(L"~" + wanted).second) {
                Problem("case", U8(wanted) + ": found as " + U8(shown) + ", installer opens " + U8(wanted) +
                                    "; on a case-sensitive copy of the media " + consequence);
            }
            cur = use->path;
            if (last) {
                if (use->dir != wantFolder) {
                    if (reported_.insert(L"!" + wanted).second)
                        Problem("not-a-file", U8(wanted) + (wantFolder ? ": a file where a folder is expected; "
                                                                       : ": a folder where a file is expected; ") +
                                                  consequence);
                    return r;
                }
                r.found = true;
                r.path = cur;
                r.shown = shown;
                return r;
            }
            wanted += L'\\';
            shown += L'\\';
            start = sep + 1;
        }
    }

    // A file the installer opens and copies: must exist, be readable and, for
    // programs and the database, hold something.
    std::optional<std::uintmax_t> OpenedFile(std::wstring_view rel, const std::string& consequence,
                                             std::optional<fs::path>* where = nullptr) {
        TResolved f = Resolve(rel, false, consequence);
        if (!f.found) return std::nullopt;
        std::error_code ec;
        std::uintmax_t size = fs::file_size(f.path, ec);
        std::ifstream probe(f.path, std::ios::binary);
        if (ec || !probe) {
            Problem("unreadable", U8(rel) + ": cannot be opened for reading; " + consequence);
            return std::nullopt;
        }
        if (size == 0 && (EndsWithNoCase(rel, L".FDB") || EndsWithNoCase(rel, L".dll") || EndsWithNoCase(rel, L".exe")))
            Problem("empty", U8(rel) + ": empty file");
        r_.mediaBytes += size;
        if (where) *where = f.path;
        return size;
    }

    void DatabaseStage() {
        for (const std::wstring& rel : DatabaseStageFiles())
            if (auto size = OpenedFile(rel, kStops)) r_.targetBytes += OnDisk(*size);
    }

    void Fonts() {
        std::map<std::string, std::wstring> names;
        for (const wchar_t* font : FontFiles) {
            std::wstring rel = FontsSubfolder + std::wstring(font);
            std::optional<fs::path> where;
            auto size = OpenedFile(rel, "the font step ends here and the fonts after it are not installed", &where);
            if (!size) continue;
            r_.fontsBytes += OnDisk(*size);
            TFontCheck fc = CheckTrueTypeFile(*where);
            if (!fc.ok) {
                Problem("font", U8(rel) + ": " + fc.problem +
                                    "; it is registered with an empty name \" (TrueType)\" or not at all");
                continue;
            }
            auto [it, fresh] = names.emplace(fc.fullName, rel);
            if (!fresh)
                Problem("font-name", U8(rel) + " and " + U8(it->second) + " share the name \"" + fc.fullName +
                                         "\"; the registry keeps one value for both");
        }
    }

    // Sizes, read-only files and hidden folders of a folder the installer copies whole.
    void Copied(const fs::path& dir, const std::wstring& shown, bool updaterTop, bool skipsHidden, int depth) {
        if (depth > kMaxFolderDepth) {
            Problem("deep", U8(shown) + ": folders nested deeper than " + std::to_string(kMaxFolderDepth) +
                                " levels (a link loop?)");
            return;
        }
        for (const TEntry& e : List(dir)) {
            std::wstring rel = shown + L"\\" + e.name;
            uint32_t attrs = Attributes(e.path);
            if (e.dir) {
                if (skipsHidden && (attrs & (kAttrHidden | kAttrSystem))) {
                    Note(U8(rel) + ": hidden or system folder, not copied by the installer");
                    continue;
                }
                Copied(e.path, rel, false, skipsHidden, depth + 1);
                continue;
            }
            std::error_code ec;
            std::uintmax_t size = fs::file_size(e.path, ec);
            if (!ec) {
                r_.mediaBytes += size;
                r_.targetBytes += OnDisk(size);
            }
            bool cleared = updaterTop && (EqualNoCase(e.name, kReleaseInfo) || EqualNoCase(e.name, kUpdaterConfig));
            if ((attrs & kAttrReadOnly) && !cleared)
                Problem("readonly", U8(rel) + ": read-only; it stays read-only in the installation folder, so a "
                                                  "later installation or update cannot replace it");
        }
    }

    void Driver() {
        const std::string consequence = "the driver stage copies and runs nothing, yet reports it finished";
        TResolved exe = Resolve(kDriverProgram, false, consequence);
        if (exe.found && !std::ifstream(exe.path, std::ios::binary))
            Problem("unreadable", U8(kDriverProgram) + ": cannot be opened for reading; " + consequence);
        TResolved folder = Resolve(kDriverFolder, true, consequence);
        if (folder.found) Copied(folder.path, folder.shown, false, false, 0);
    }

    void Packages() {
        const std::string fails = "the update stage fails with an error";
        TResolved backup = Resolve(kPackagesFolder, true, "no release package is run and " + fails);
        if (!backup.found) return;
        Copied(backup.path, backup.shown, false, true, 0);

        std::vector<std::wstring> candidates;
        for (const TEntry& e : List(backup.path)) {
            if (!e.dir || e.name == kNoAnswerFolder) continue;
            if (Attributes(e.path) & (kAttrHidden | kAttrSystem)) continue;
            candidates.push_back(L"\\" + e.name);  // the separator before the name takes part in short keys
        }
        if (candidates.empty()) {
            Problem("package-none", U8(backup.shown) + ": no release package; " + fails);
            return;
        }
        TPackageChoice choice = ChoosePackage(candidates);
        auto shown = [&](size_t i) { return U8(backup.shown) + U8(choice.sorted[i]); };
        for (size_t i = 0; i < choice.sorted.size(); ++i) {
            std::wstring name = choice.sorted[i].substr(1);
            if (!choice.keys[i]) {
                std::string hint = EqualNoCase(name, kNoAnswerFolder)
                                       ? " (only \"WithOutAnswer\" spelled exactly so is passed over)"
                                       : "";
                Problem("package-key", shown(i) + ": name does not end in a date DDMMYY" + hint + "; " + fails);
            } else if (!IsCalendarKey(*choice.keys[i])) {
                Problem("package-date", shown(i) + ": ends in " + U8(name.substr(name.size() - 6)) +
                                            ", which is no date DDMMYY");
            }
        }
        if (!choice.chosen) return;
        size_t c = *choice.chosen;
        std::wstring chosen = choice.sorted[c].substr(1);
        int key = *choice.keys[c];
        int yy = key / 10000;
        for (size_t i = 0; i < choice.sorted.size(); ++i) {
            if (i == c) continue;
            int other = *choice.keys[i];
            if (other == key)
                Problem("package-tie", shown(c) + " and " + shown(i) + " carry the same date; " + U8(chosen) +
                                           " runs because it sorts first without regard to letter case");
            else if (yy - other / 10000 > 50)
                Problem("package-century", shown(i) + " looks newer than " + shown(c) +
                                               ", but two-digit years compare as numbers: " + U8(chosen) + " runs");
        }
        std::wstring level = PackageLevel(chosen);
        bool sixDigits = level.size() == 6 && std::all_of(level.begin(), level.end(),
                                                           [](wchar_t ch) { return ch >= L'0' && ch <= L'9'; });
        if (!sixDigits)
            Problem("package-level", shown(c) + ": the release level recorded will be \"" + U8(level) +
                                         "\" (the name without its first character), not the date");
        r_.chosenPackage = chosen;
        std::wstring script = std::wstring(kPackagesFolder) + L"\\" + chosen + L"\\" + std::wstring(kReleaseScript);
        OpenedFile(script, "the release script cannot be started and " + fails);
        char date[16];
        std::snprintf(date, sizeof date, "%02d.%02d.%02d", key % 100, key / 100 % 100, yy);
        Note("release package run: " + shown(c) + " (" + date + "), release level " + U8(level));
    }

    void Updater() {
        TResolved up = Resolve(kUpdaterFolder, true, "the updater is not installed and the update stage fails");
        if (!up.found) return;
        Copied(up.path, up.shown, true, true, 0);
        std::wstring info = std::wstring(kUpdaterFolder) + L"\\" + std::wstring(kReleaseInfo);
        TResolved f = Resolve(info, false, "the update stage fails: \"Release info file does not exist\"");
        Resolve(std::wstring(kUpdaterFolder) + L"\\" + std::wstring(kUpdaterConfig), false,
                "the updater has no configuration in the installation folder");
        if (!f.found) return;
        std::string where = U8(info) + ": ";
        std::error_code ec;
        std::uintmax_t size = fs::file_size(f.path, ec);
        if (ec || size > kReleaseInfoLimit) {
            Problem("releaseinfo", where + (ec ? "size cannot be read" : FormatBytes(size) + ", far too large to be a release-information file"));
            return;
        }
        std::string bytes(static_cast<size_t>(size), '\0');
        std::ifstream in(f.path, std::ios::binary);
        if (!in || !in.read(bytes.data(), static_cast<std::streamsize>(size))) {
            Problem("unreadable", where + "cannot be read; the update stage fails");
            return;
        }
        TReleaseInfoScan scan = ScanReleaseInfo(bytes);
        const std::string fails = "; the update stage fails";
        if (!scan.wellFormed) {
            Problem("releaseinfo", where + "not well-formed XML: " + scan.error + fails);
            return;
        }
        if (scan.root != "ROOT") {
            Problem("releaseinfo", where + "the document element is <" + scan.root + ">, not <ROOT>" + fails);
            return;
        }
        if (!scan.version)
            Problem("releaseinfo", where + "no <Version> under <ROOT>" + fails + " (\"unknown release file version\")");
        else if (VersionNumber(*scan.version) != 1)
            Problem("releaseinfo", where + "<Version> is \"" + *scan.version + "\", not 1" + fails +
                                       " (\"unknown release file version\")");
        if (!scan.level) Problem("releaseinfo", where + "no <Level> under <ROOT>" + fails);
    }

    void Space() {
        Note("the installer reads " + FormatBytes(r_.mediaBytes) + "; the installation folder needs " +
             FormatBytes(r_.targetBytes) + " before the release script runs, the fonts folder " +
             FormatBytes(r_.fontsBytes));
        if (!opt_.target) return;
        fs::path at = *opt_.target;
        std::error_code ec;
        while (!at.empty() && !fs::exists(at, ec) && at.has_parent_path() && at.parent_path() != at)
            at = at.parent_path();
        std::optional<std::uintmax_t> free;
        if (opt_.freeSpace) {
            free = opt_.freeSpace(at);
        } else {
            fs::space_info s = fs::space(at, ec);
            if (!ec) free = s.available;
        }
        if (!free) {
            Problem("space", PathUtf8(*opt_.target) + ": free space cannot be read");
        } else if (*free < r_.targetBytes) {
            Problem("space", PathUtf8(*opt_.target) + ": " + FormatBytes(*free) + " free, the installation needs " +
                                 FormatBytes(r_.targetBytes));
        } else {
            Note(PathUtf8(*opt_.target) + ": " + FormatBytes(*free) + " free");
        }
    }

    fs::path dist_;
    const TMediaOptions& opt_;
    TMediaReport& r_;
    std::map<fs::path, std::vector<TEntry>> dirs_;
    std::set<std::wstring> reported_;
};

}  // namespace

std::size_t TMediaReport::Problems() const {
    return static_cast<std::size_t>(std::count_if(findings.begin(), findings.end(),
                                                  [](const TFinding& f) { return f.severity == TSeverity::Problem; }));
}

bool TMediaReport::Has(std::string_view code) const {
    return std::any_of(findings.begin(), findings.end(),
                       [&](const TFinding& f) { return f.severity == TSeverity::Problem && f.code == code; });
}

TMediaReport CheckMedia(const fs::path& dist, const TMediaOptions& options) {
    TMediaReport report;
    TChecker(dist, options, report).Run();
    return report;
}

std::string FormatFinding(const TFinding& f) {
    return f.severity == TSeverity::Problem ? "problem [" + f.code + "] " + f.text : "note: " + f.text;
}

std::string FormatBytes(std::uintmax_t bytes) {
    static const char* const units[] = {"KiB", "MiB", "GiB", "TiB"};
    if (bytes < 1024) return std::to_string(bytes) + " bytes";
    double v = static_cast<double>(bytes);
    int u = -1;
    while (v >= 1024 && u < 3) v /= 1024, ++u;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f %s", v, units[u]);
    return buf;
}

}  // namespace mediacheck
