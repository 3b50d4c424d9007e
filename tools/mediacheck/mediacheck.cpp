// mediacheck DIR [--target FOLDER]: checks an installation media folder
// against everything Install.exe reads from it. Prints every problem, one
// line each, and exits with 1 when there is any (2 for a wrong command line).
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/mediacheck/MediaAttributes.h"
#include "tools/mediacheck/MediaCheck.h"
#include "tools/mediacheck/MediaText.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

int Usage() {
    std::fputs("usage: mediacheck DIR [--target FOLDER]\n"
               "  checks the distribution folder DIR against what Install.exe reads;\n"
               "  --target also compares the free space at FOLDER with what an installation needs\n",
               stderr);
    return 2;
}

int Run(const std::vector<std::filesystem::path>& args) {
    std::optional<std::filesystem::path> dist, target;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--target") {
            if (i + 1 >= args.size()) return Usage();
            target = args[++i];
        } else if (args[i] == "-h" || args[i] == "--help" || dist) {
            return Usage();
        } else {
            dist = args[i];
        }
    }
    if (!dist) return Usage();
    mediacheck::TMediaOptions options;
    options.attributes = mediacheck::ReadMediaAttributes;
    options.target = target;
    mediacheck::TMediaReport report = mediacheck::CheckMedia(*dist, options);
    for (const auto& f : report.findings) std::printf("%s\n", mediacheck::FormatFinding(f).c_str());
    std::size_t problems = report.Problems();
    std::printf("mediacheck: %s: %zu problem%s\n", mediacheck::PathUtf8(*dist).c_str(), problems,
                problems == 1 ? "" : "s");
    return problems ? 1 : 0;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::filesystem::path> args(argv + 1, argv + argc);
    return Run(args);
}
#else
int main(int argc, char** argv) {
    std::vector<std::filesystem::path> args(argv + 1, argv + argc);
    return Run(args);
}
#endif
