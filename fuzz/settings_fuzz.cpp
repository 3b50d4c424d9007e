// Fuzz target for the settings value forms and the filling of the settings
// record from a settings file's text. A value either reads as its form says
// (and reads back the same when written out again) or gives nothing, so the
// key keeps its default; the record is always filled.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "shared/IniText.h"
#include "shared/SettingsForms.h"
#include "shared/TextCodec.h"

namespace {

void CheckForms(std::wstring_view text) {
    const auto i = ParseSettingsInteger(text);
    const auto b = ParseSettingsBoolean(text);
    const auto y = ParseSettingsByte(text);
    const auto f = ParseSettingsFloat(text);
    if (i.has_value() != b.has_value()) std::abort();
    if (i) {
        if (*b != (*i != 0)) std::abort();
        if (ParseSettingsInteger(std::to_wstring(*i)) != i) std::abort();
        if (y.has_value() != (*i >= 0 && *i <= 255)) std::abort();
        if (y && *y != *i) std::abort();
    } else if (y) {
        std::abort();
    }
    if (f && !std::isfinite(*f)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TTextEncoding found;
    CheckForms(DecodeText(bytes.substr(0, 64), found, Latin1Codec()));

    TIniText doc;
    doc.LoadBytes(bytes, Latin1Codec());
    if (const TIniSection* options = doc.FindSection(L"options"))
        for (const TIniKey& k : options->Keys) CheckForms(k.Value);

    TSettings s;
    FillSettings(s, [&](const wchar_t* key) {
        const std::wstring* v = doc.FindValue(L"options", key);
        return v ? *v : std::wstring();
    });
    if (!std::isfinite(s.ChannelGain) || !std::isfinite(s.ChannelGain12)) std::abort();
    if (s.forMVD || s.Person != 0) std::abort();
    // A missing key gives its default.
    if (!doc.FindValue(L"options", L"doformshow") && !s.doformshow) std::abort();
    if (!doc.FindValue(L"options", L"HardwareType") && s.HardwareType != 1) std::abort();
    return 0;
}
