#include "shared/IniText.h"

std::wstring FoldNameSimple(std::wstring_view name) {
    std::wstring out(name);
    for (wchar_t& c : out) {
        const auto u = static_cast<unsigned long>(c);
        if ((u >= L'A' && u <= L'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7) ||
            (u >= 0x391 && u <= 0x3AB && u != 0x3A2) || (u >= 0x410 && u <= 0x42F))
            c = static_cast<wchar_t>(u + 0x20);
        else if (u >= 0x400 && u <= 0x40F)
            c = static_cast<wchar_t>(u + 0x50);
    }
    return out;
}

std::wstring_view TrimBlanks(std::wstring_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned long>(s[b]) <= 0x20) ++b;
    while (e > b && static_cast<unsigned long>(s[e - 1]) <= 0x20) --e;
    return s.substr(b, e - b);
}

namespace {

std::wstring_view TrimRight(std::wstring_view s) {
    std::size_t e = s.size();
    while (e > 0 && static_cast<unsigned long>(s[e - 1]) <= 0x20) --e;
    return s.substr(0, e);
}

std::wstring_view TrimLeft(std::wstring_view s) {
    std::size_t b = 0;
    while (b < s.size() && static_cast<unsigned long>(s[b]) <= 0x20) ++b;
    return s.substr(b);
}

}  // namespace

void TIniText::Parse(std::wstring_view text) {
    FSections.clear();
    FIndex.clear();
    TIniSection* current = nullptr;
    std::size_t start = 0;
    const std::size_t n = text.size();
    while (start < n) {
        std::size_t end = start;
        while (end < n && text[end] != L'\r' && text[end] != L'\n') ++end;
        const std::wstring_view line = TrimBlanks(text.substr(start, end - start));
        if (end < n) end += (text[end] == L'\r' && end + 1 < n && text[end + 1] == L'\n') ? 2 : 1;
        start = end;

        if (line.empty() || line.front() == L';') continue;
        if (line.size() >= 2 && line.front() == L'[' && line.back() == L']') {
            const std::wstring_view name = TrimBlanks(line.substr(1, line.size() - 2));
            auto [it, added] = FIndex.emplace(FFold(name), FSections.size());
            if (added) {
                FSections.push_back(TIniSection{std::wstring(name), {}});
                current = &FSections.back();
            } else {
                current = nullptr;  // a repeated header: its keys are dropped
            }
            continue;
        }
        if (current == nullptr) continue;
        const std::size_t eq = line.find(L'=');
        if (eq == std::wstring_view::npos)
            current->Keys.push_back(TIniKey{std::wstring(line), {}});
        else
            current->Keys.push_back(TIniKey{std::wstring(TrimRight(line.substr(0, eq))),
                                            std::wstring(TrimLeft(line.substr(eq + 1)))});
    }
}

void TIniText::LoadBytes(std::string_view bytes, const TAnsiCodec& ansi) {
    const std::wstring text = DecodeText(bytes, Encoding, ansi);
    Parse(text);
}

std::wstring TIniText::Serialise() const {
    std::wstring out;
    for (const TIniSection& s : FSections) {
        out += L'[';
        out += s.Name;
        out += L"]\r\n";
        for (const TIniKey& k : s.Keys) {
            out += k.Name;
            out += L'=';
            out += k.Value;
            out += L"\r\n";
        }
        out += L"\r\n";
    }
    return out;
}

std::string TIniText::SaveBytes(const TAnsiCodec& ansi) const {
    return EncodeText(Serialise(), Encoding, ansi);
}

const TIniSection* TIniText::FindSection(std::wstring_view name) const {
    const auto it = FIndex.find(FFold(name));
    return it == FIndex.end() ? nullptr : &FSections[it->second];
}

const std::wstring* TIniText::FindValue(std::wstring_view section, std::wstring_view key) const {
    const TIniSection* s = FindSection(section);
    if (s == nullptr) return nullptr;
    const std::wstring folded = FFold(key);
    for (const TIniKey& k : s->Keys)
        if (FFold(k.Name) == folded) return &k.Value;
    return nullptr;
}

TIniSection& TIniText::SectionFor(std::wstring_view name) {
    auto [it, added] = FIndex.emplace(FFold(name), FSections.size());
    if (added) FSections.push_back(TIniSection{std::wstring(name), {}});
    return FSections[it->second];
}

void TIniText::SetString(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    TIniSection& s = SectionFor(section);
    const std::wstring folded = FFold(key);
    for (TIniKey& k : s.Keys) {
        if (FFold(k.Name) == folded) {
            k.Value = value;
            return;
        }
    }
    s.Keys.push_back(TIniKey{std::wstring(key), std::wstring(value)});
}

void TIniText::SetInteger(std::wstring_view section, std::wstring_view key, long long value) {
    SetString(section, key, std::to_wstring(value));
}
