// Fuzz target for the settings text model: any bytes load (whatever their mark
// says), and what the document writes back reads back as the same document, in
// the same encoding. Setting the installer's two keys must not lose another key.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "shared/IniText.h"
#include "shared/TextCodec.h"

namespace {

bool SameDocument(const TIniText& a, const TIniText& b) {
    const auto& x = a.Sections();
    const auto& y = b.Sections();
    if (x.size() != y.size()) return false;
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (x[i].Name != y[i].Name || x[i].Keys.size() != y[i].Keys.size()) return false;
        for (std::size_t k = 0; k < x[i].Keys.size(); ++k)
            if (x[i].Keys[k].Name != y[i].Keys[k].Name || x[i].Keys[k].Value != y[i].Keys[k].Value)
                return false;
    }
    return true;
}

std::size_t KeyCount(const TIniText& doc) {
    std::size_t n = 0;
    for (const auto& s : doc.Sections()) n += s.Keys.size();
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const TAnsiCodec& ansi = Latin1Codec();

    TIniText doc;
    doc.LoadBytes(bytes, ansi);

    // Write-back is a fixed point: load(save(doc)) == doc, encoding included.
    const std::string saved = doc.SaveBytes(ansi);
    TIniText again;
    again.LoadBytes(saved, ansi);
    if (again.Encoding != doc.Encoding) std::abort();
    if (!SameDocument(doc, again)) std::abort();
    if (again.SaveBytes(ansi) != saved) std::abort();

    // What the installer does to holter.ini: two keys set, nothing else lost.
    const std::size_t before = KeyCount(doc);
    const bool hadFilter = doc.FindValue(L"options", L"FilterType") != nullptr;
    const bool hadHardware = doc.FindValue(L"options", L"HardwareType") != nullptr;
    doc.SetInteger(L"options", L"FilterType", 0);
    doc.SetInteger(L"options", L"HardwareType", 1);
    const std::size_t expected = before + (hadFilter ? 0 : 1) + (hadHardware ? 0 : 1);
    if (KeyCount(doc) != expected) std::abort();
    const std::wstring* filter = doc.FindValue(L"OPTIONS", L"filtertype");
    const std::wstring* hardware = doc.FindValue(L"Options", L"HARDWARETYPE");
    if (!filter || *filter != L"0" || !hardware || *hardware != L"1") std::abort();
    TIniText written;
    written.LoadBytes(doc.SaveBytes(ansi), ansi);
    if (!SameDocument(doc, written)) std::abort();
    return 0;
}
