// Test helpers for the media checker: a throw-away folder, synthetic
// TrueType fonts and a media folder of the shape Install.exe expects.
#pragma once
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fixtures {
namespace fs = std::filesystem;

class TTempDir {
public:
    TTempDir() {
        static std::atomic<int> counter{0};
        path_ = fs::temp_directory_path() /
                ("mediacheck-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TTempDir() {
        std::error_code ec;
        // Read-only files made by a test must not survive it.
        for (auto& e : fs::recursive_directory_iterator(path_, ec))
            fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// Writes a file (and its folders); rel uses '/' between levels.
inline fs::path Put(const fs::path& root, const std::string& rel, const std::string& content = "x") {
    fs::path p = root / rel;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
    return p;
}

inline void Be16(std::string& s, uint32_t v) {
    s += static_cast<char>((v >> 8) & 0xFF);
    s += static_cast<char>(v & 0xFF);
}
inline void Be32(std::string& s, uint32_t v) {
    Be16(s, v >> 16);
    Be16(s, v & 0xFFFF);
}

struct TNameRecord {
    uint16_t platform, encoding, language, id;
    std::string bytes;  // already encoded
};

inline std::string Utf16Be(const std::u16string& text) {
    std::string s;
    for (char16_t c : text) Be16(s, c);
    return s;
}

inline std::string NameTable(const std::vector<TNameRecord>& records) {
    std::string t, storage;
    Be16(t, 0);
    Be16(t, static_cast<uint32_t>(records.size()));
    Be16(t, static_cast<uint32_t>(6 + 12 * records.size()));
    for (const auto& r : records) {
        Be16(t, r.platform);
        Be16(t, r.encoding);
        Be16(t, r.language);
        Be16(t, r.id);
        Be16(t, static_cast<uint32_t>(r.bytes.size()));
        Be16(t, static_cast<uint32_t>(storage.size()));
        storage += r.bytes;
    }
    return t + storage;
}

// A minimal font with the tables a TrueType font must carry and the given name table.
inline std::string FontWithNameTable(const std::string& name, uint32_t version = 0x00010000) {
    std::string head(54, '\0');
    head[12] = '\x5F', head[13] = '\x0F', head[14] = '\x3C', head[15] = '\xF5';
    const std::pair<const char*, std::string> tables[] = {
        {"cmap", std::string(4, '\0')}, {"glyf", std::string(4, '\0')}, {"head", head},
        {"hhea", std::string(36, '\0')}, {"hmtx", std::string(4, '\0')}, {"loca", std::string(4, '\0')},
        {"maxp", std::string(6, '\0')}, {"name", name}};
    std::string out;
    Be32(out, version);
    Be16(out, 8);
    Be16(out, 128);
    Be16(out, 3);
    Be16(out, 0);
    uint32_t offset = 12 + 16 * 8;
    std::string body;
    for (const auto& [tag, data] : tables) {
        out += std::string(tag, 4);
        Be32(out, 0);
        Be32(out, offset + static_cast<uint32_t>(body.size()));
        Be32(out, static_cast<uint32_t>(data.size()));
        body += data;
        body.append((4 - body.size() % 4) % 4, '\0');
    }
    return out + body;
}

inline std::string Font(const std::u16string& fullName) {
    return FontWithNameTable(NameTable({{3, 1, 0x409, 1, Utf16Be(u"Family")}, {3, 1, 0x409, 4, Utf16Be(fullName)}}));
}

inline const std::string kReleaseInfo =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ROOT>\n  <Version>1</Version>\n  <Level>000000</Level>\n</ROOT>\n";

// Everything Install.exe reads, spelled as it opens the names.
inline void MakeMedia(const fs::path& root) {
    Put(root, "DTAfb/V12.FDB", std::string(10000, 'D'));
    for (const char* f : {"aliases.conf", "firebird.conf", "fbclient.Dll", "ib_util.Dll", "icudt30.Dll",
                          "icuin30.Dll", "icuuc30.Dll", "msvcp80.Dll", "msvcr80.Dll", "firebird.msg", "gbak.exe",
                          "gds32.dll"})
        Put(root, std::string("Firebird/") + f, "engine");
    Put(root, "Firebird/intl/fbintl.conf");
    Put(root, "Firebird/intl/fbintl.dll");
    for (const char* f : {"fbudf.dll", "ib_udf.dll", "fbudf.sql", "ib_udf.sql", "ib_udf2.sql"})
        Put(root, std::string("Firebird/udf/") + f);
    for (const char* f : {"Collate.Dll", "StrAt.Dll", "TraceWork.Dll", "Verdict.Dll"})
        Put(root, std::string("UDF/") + f);
    const std::pair<const char*, std::u16string> fonts[] = {
        {"ARIAL.TTF", u"Arial"},     {"ARIALN.TTF", u"Arial Narrow"},
        {"COUR.TTF", u"Courier New"}, {"MICROSS.TTF", u"Microsoft Sans Serif"},
        {"TAHOMA.TTF", u"Tahoma"},   {"TIMES.TTF", u"Times New Roman"},
        {"verdana.TTF", u"Verdana"}};
    for (const auto& [file, name] : fonts) Put(root, std::string("fonts/") + file, Font(name));
    Put(root, "FTDIDriverInstall/FTDIDriverInstall.exe", "MZ");
    Put(root, "backup/r150321/Install.cmd", "@echo off\r\n");
    Put(root, "backup/r010421/Install.cmd", "@echo off\r\n");
    Put(root, "backup/WithOutAnswer/Install.cmd", "@echo off\r\n");
    Put(root, "Updater/ReleaseInfo", kReleaseInfo);
    Put(root, "Updater/Updater.exe.cfg", "<configuration/>");
    Put(root, "Updater/Updater.exe", "MZ");
}

}  // namespace fixtures
