#include "shared/SettingsForms.h"

#include <cmath>
#include <cstdlib>
#include <string>

std::optional<std::int32_t> ParseSettingsInteger(std::wstring_view t) {
    std::size_t i = 0;
    while (i < t.size() && (t[i] == L' ' || t[i] == L'\t')) ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == L'+' || t[i] == L'-')) negative = t[i++] == L'-';
    bool hex = false;
    if (i < t.size() && t[i] == L'$') {
        hex = true;
        ++i;
    } else if (i + 1 < t.size() && t[i] == L'0' && (t[i + 1] == L'x' || t[i + 1] == L'X')) {
        hex = true;
        i += 2;
    }
    if (i >= t.size()) return std::nullopt;
    std::uint64_t v = 0;
    for (; i < t.size(); ++i) {
        const wchar_t c = t[i];
        unsigned d;
        if (c >= L'0' && c <= L'9') d = static_cast<unsigned>(c - L'0');
        else if (hex && c >= L'a' && c <= L'f') d = static_cast<unsigned>(c - L'a' + 10);
        else if (hex && c >= L'A' && c <= L'F') d = static_cast<unsigned>(c - L'A' + 10);
        else return std::nullopt;
        v = v * (hex ? 16 : 10) + d;
        if (v > 0xFFFFFFFFull) return std::nullopt;
    }
    if (hex) {
        // Hexadecimal fills the 32 bits, so 0xFFFFFFFF reads as -1.
        const auto bits = static_cast<std::uint32_t>(v);
        const std::int32_t r = static_cast<std::int32_t>(bits);
        return negative ? static_cast<std::int32_t>(0u - bits) : r;
    }
    if (negative) {
        if (v > 0x80000000ull) return std::nullopt;
        return static_cast<std::int32_t>(-static_cast<std::int64_t>(v));
    }
    if (v > 0x7FFFFFFFull) return std::nullopt;
    return static_cast<std::int32_t>(v);
}

std::optional<bool> ParseSettingsBoolean(std::wstring_view text) {
    const auto v = ParseSettingsInteger(text);
    if (!v) return std::nullopt;
    return *v != 0;
}

std::optional<double> ParseSettingsFloat(std::wstring_view t) {
    std::size_t i = 0;
    while (i < t.size() && (t[i] == L' ' || t[i] == L'\t')) ++i;
    std::string ascii;
    if (i < t.size() && (t[i] == L'+' || t[i] == L'-')) ascii.push_back(static_cast<char>(t[i++]));
    std::size_t digits = 0;
    while (i < t.size() && t[i] >= L'0' && t[i] <= L'9') { ascii.push_back(static_cast<char>(t[i++])); ++digits; }
    if (i < t.size() && t[i] == L'.') {
        ascii.push_back('.');
        ++i;
        while (i < t.size() && t[i] >= L'0' && t[i] <= L'9') { ascii.push_back(static_cast<char>(t[i++])); ++digits; }
    }
    if (digits == 0) return std::nullopt;
    if (i < t.size() && (t[i] == L'e' || t[i] == L'E')) {
        ascii.push_back('e');
        ++i;
        if (i < t.size() && (t[i] == L'+' || t[i] == L'-')) ascii.push_back(static_cast<char>(t[i++]));
        std::size_t expDigits = 0;
        while (i < t.size() && t[i] >= L'0' && t[i] <= L'9') { ascii.push_back(static_cast<char>(t[i++])); ++expDigits; }
        if (expDigits == 0) return std::nullopt;
    }
    if (i != t.size()) return std::nullopt;
    // The text is now plain ASCII in the C format; strtod's locale uses "." by default.
    char* end = nullptr;
    const double v = std::strtod(ascii.c_str(), &end);
    if (end != ascii.c_str() + ascii.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<std::uint8_t> ParseSettingsByte(std::wstring_view text) {
    const auto v = ParseSettingsInteger(text);
    if (!v || *v < 0 || *v > 255) return std::nullopt;
    return static_cast<std::uint8_t>(*v);
}

void FillSettings(TSettings& s, const TSettingsLookup& lookup) {
    auto boolean = [&](const wchar_t* key, bool& field, bool def) {
        field = ParseSettingsBoolean(lookup(key)).value_or(def);
    };
    auto floating = [&](const wchar_t* key, double& field, double def) {
        field = ParseSettingsFloat(lookup(key)).value_or(def);
    };
    const TSettings d;  // the defaults

    s.forMVD = false;
    boolean(L"forGE", s.forGE, d.forGE);
    s.Person = 0;
    s.FilterType = ParseSettingsByte(lookup(L"FilterType")).value_or(d.FilterType);
    // The recorder type keeps the low byte of whatever integer is given.
    const auto reg = ParseSettingsInteger(lookup(L"DefaultRegType"));
    s.DefaultRegType =
        reg ? static_cast<TRegType>(static_cast<std::uint32_t>(*reg) & 0xFFu) : d.DefaultRegType;
    boolean(L"doformshow", s.doformshow, d.doformshow);
    boolean(L"DebugPrint", s.DebugPrint, d.DebugPrint);
    boolean(L"DebugMy", s.DebugMy, d.DebugMy);
    boolean(L"MinmVEnabled", s.MinmVEnabled, d.MinmVEnabled);
    boolean(L"PoverkaView", s.PoverkaView, d.PoverkaView);
    boolean(L"HviewDebug", s.HviewDebug, d.HviewDebug);
    boolean(L"ECGAtRestWork", s.ECGAtRestWork, d.ECGAtRestWork);
    boolean(L"onlydecode", s.OnlyDecode, d.OnlyDecode);
    boolean(L"saveswap", s.SaveSwap, d.SaveSwap);
    floating(L"Channel1Gain", s.ChannelGain, d.ChannelGain);
    floating(L"Channel2Gain", s.ChannelGain12, d.ChannelGain12);
    boolean(L"GroupProcess", s.GroupProcess, d.GroupProcess);
    boolean(L"EnabledScrining", s.EnabledScrining, d.EnabledScrining);
    s.HardwareType = ParseSettingsInteger(lookup(L"HardwareType")).value_or(d.HardwareType);
    s.LanguageSetting = lookup(L"LanguageSetting");
    s.New_Reg = ParseSettingsByte(lookup(L"new_reg")).value_or(d.New_Reg);
    boolean(L"NurseMode", s.NurseMode, d.NurseMode);
    boolean(L"DoctorMode", s.DoctorMode, d.DoctorMode);
    boolean(L"EMIASTESTINGMODE", s.EMIASTESTINGMODE, d.EMIASTESTINGMODE);
    boolean(L"EMIASEMULATINGMODE", s.EMIASEMULATINGMODE, d.EMIASEMULATINGMODE);
    boolean(L"RegEmulating", s.RegEmulating, d.RegEmulating);
    boolean(L"AriadnaSearchTesting", s.AriadnaSearchTesting, d.AriadnaSearchTesting);
    boolean(L"UserIsMS", s.UserIsMS, d.UserIsMS);
    boolean(L"PraktikaSearchTesting", s.PraktikaSearchTesting, d.PraktikaSearchTesting);
    boolean(L"PraktikaTesting", s.PraktikaTesting, d.PraktikaTesting);
}
