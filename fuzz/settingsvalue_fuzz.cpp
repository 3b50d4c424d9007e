// Fuzz target for one settings value: the integer form agrees with a plain
// reference reader for decimal text (overflow gives nothing), hexadecimal reads
// back through its decimal form, and the other forms follow the integer one.
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "shared/SettingsForms.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

// Optional sign and digits only: strtoll reads it whole; it must fit 32 bits.
void CompareDecimal(const std::string& s) {
    const std::size_t first = (!s.empty() && (s[0] == '+' || s[0] == '-')) ? 1 : 0;
    if (first == s.size()) return;
    for (std::size_t k = first; k < s.size(); ++k)
        if (s[k] < '0' || s[k] > '9') return;
    errno = 0;
    const long long ref = std::strtoll(s.c_str(), nullptr, 10);
    const bool fits = errno == 0 && ref >= INT32_MIN && ref <= INT32_MAX;
    const auto got = ParseSettingsInteger(std::wstring(s.begin(), s.end()));
    Check(got.has_value() == fits);
    if (fits) Check(*got == ref);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::wstring value(bytes.begin(), bytes.end());
    if (const auto v = ParseSettingsInteger(value)) {
        Check(ParseSettingsInteger(std::to_wstring(*v)) == v);
        Check(ParseSettingsBoolean(value) == (*v != 0));
        Check(ParseSettingsByte(value).has_value() == (*v >= 0 && *v <= 255));
    } else {
        Check(!ParseSettingsBoolean(value) && !ParseSettingsByte(value));
    }
    if (const auto f = ParseSettingsFloat(value)) {
        Check(std::isfinite(*f));
        // Anything the integer form takes in decimal, the float form takes too.
    }
    if (bytes.find_first_not_of("+-0123456789") == std::string::npos) {
        const auto i = ParseSettingsInteger(value);
        const auto f = ParseSettingsFloat(value);
        if (i) Check(f && *f == static_cast<double>(*i));
    }
    CompareDecimal(bytes);
    return 0;
}
