// Fuzz target for loading the log file: any bytes, whole or cut off, give at most
// the kept number of lines, none with a line break inside; reading only the head
// gives the same first lines as reading everything; and the lines, written back
// in the file's encoding, read back unchanged.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "shared/LogFormat.h"
#include "shared/TextCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::size_t maxLines = 1 + data[0] % 16;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const TAnsiCodec& ansi = Latin1Codec();

    TTextEncoding encoding;
    const std::vector<std::wstring> all = ParseLogFile(bytes, false, 1u << 20, encoding, ansi);
    for (const std::wstring& line : all)
        if (line.find_first_of(L"\r\n") != std::wstring::npos) std::abort();

    TTextEncoding headEncoding;
    const std::vector<std::wstring> head = ParseLogFile(bytes, false, maxLines, headEncoding, ansi);
    if (headEncoding != encoding || head.size() != std::min(all.size(), maxLines)) std::abort();
    if (!std::equal(head.begin(), head.end(), all.begin())) std::abort();

    // A cut-off file never yields a line that the whole file does not hold.
    TTextEncoding cutEncoding;
    const std::vector<std::wstring> cut = ParseLogFile(bytes, true, maxLines, cutEncoding, ansi);
    if (cut.size() > head.size() || !std::equal(cut.begin(), cut.end(), head.begin())) std::abort();

    std::vector<std::wstring> trimmed = all;
    TrimLogLines(trimmed, static_cast<std::int32_t>(maxLines));
    if (trimmed.size() != head.size()) std::abort();

    const std::string saved = SerialiseLog(all, encoding, ansi);
    TTextEncoding again;
    const std::vector<std::wstring> reread = ParseLogFile(saved, false, 1u << 20, again, ansi);
    if (again != encoding) std::abort();
    // An empty last line is not kept by the splitter, so compare without it.
    std::vector<std::wstring> expected = all;
    while (!expected.empty() && expected.back().empty() && reread.size() < expected.size()) expected.pop_back();
    if (reread != expected) std::abort();
    return 0;
}
