#include "install/VersionInfo.h"

#include <cstdint>

#include "shared/TextCodec.h"

namespace {

// One block of the resource: a length, a value length, a type, a key of UTF-16
// characters ending in a zero, then the value and the child blocks, each
// starting on a 32-bit boundary (counted from the start of the resource).
struct TBlock {
    std::size_t Start = 0, End = 0;   // the block's bytes
    std::u16string Key;
    std::size_t Value = 0;            // where the value starts
    std::size_t ValueBytes = 0;
    std::size_t Children = 0;         // where the first child starts
};

std::uint16_t Word(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

std::size_t Aligned(std::size_t at) { return (at + 3) & ~static_cast<std::size_t>(3); }

bool ReadBlock(std::string_view bytes, std::size_t at, std::size_t limit, TBlock& block) {
    if (at + 6 > limit) return false;
    const std::size_t length = Word(bytes, at);
    if (length < 6 || at + length > limit) return false;
    block = {};
    block.Start = at;
    block.End = at + length;
    std::size_t p = at + 6;
    for (;; p += 2) {
        if (p + 2 > block.End) return false;
        const std::uint16_t c = Word(bytes, p);
        if (c == 0) break;
        block.Key += static_cast<char16_t>(c);
    }
    block.Value = Aligned(p + 2);
    // Text values count characters, binary ones bytes.
    const std::size_t valueLength = Word(bytes, at + 2);
    block.ValueBytes = Word(bytes, at + 4) == 1 ? valueLength * 2 : valueLength;
    if (block.Value > block.End) block.Value = block.End;
    if (block.ValueBytes > block.End - block.Value) block.ValueBytes = block.End - block.Value;
    block.Children = Aligned(block.Value + block.ValueBytes);
    return true;
}

bool FindChild(std::string_view bytes, const TBlock& parent, const std::u16string* key, TBlock& child) {
    for (std::size_t at = parent.Children; at < parent.End;) {
        if (!ReadBlock(bytes, at, parent.End, child)) return false;
        if (!key || child.Key == *key) return true;
        at = Aligned(child.End);
    }
    return false;
}

}  // namespace

std::wstring VersionString(std::string_view resource, std::wstring_view key) {
    TBlock root, strings, table, entry;
    if (!ReadBlock(resource, 0, resource.size(), root) || root.Key != u"VS_VERSION_INFO") return L"";
    const std::u16string stringFileInfo = u"StringFileInfo";
    if (!FindChild(resource, root, &stringFileInfo, strings) || !FindChild(resource, strings, nullptr, table))
        return L"";
    const std::u16string wanted(key.begin(), key.end());
    if (!FindChild(resource, table, &wanted, entry)) return L"";
    std::wstring text;
    for (std::size_t p = entry.Value; p + 2 <= entry.Value + entry.ValueBytes; p += 2) {
        const std::uint16_t c = Word(resource, p);
        if (c == 0) break;
        // A surrogate pair becomes one code point where wchar_t is 32 bits.
        if (c >= 0xD800 && c <= 0xDBFF && p + 4 <= entry.Value + entry.ValueBytes) {
            const std::uint16_t low = Word(resource, p + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendCodePoint(text, 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (low - 0xDC00));
                p += 2;
                continue;
            }
        }
        AppendCodePoint(text, c);
    }
    return text;
}
