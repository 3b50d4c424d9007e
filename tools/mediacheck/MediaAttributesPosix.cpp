#include <sys/stat.h>
#include <sys/xattr.h>

#include <cstdlib>
#include <string>

#include "tools/mediacheck/MediaAttributes.h"

namespace mediacheck {

uint32_t ReadMediaAttributes(const std::filesystem::path& p) {
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0) return 0;
    uint32_t attrs = 0;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 && !S_ISDIR(st.st_mode)) attrs |= kAttrReadOnly;
    std::string name = p.filename().native();
    if (name.size() > 1 && name[0] == '.' && name != "..") attrs |= kAttrHidden;
    // Wine keeps the hidden and system bits as "0x.." text, the way Samba does.
    char buf[64] = {};
    ssize_t n = ::getxattr(p.c_str(), "user.DOSATTRIB", buf, sizeof buf - 1);
    if (n > 2 && buf[0] == '0' && buf[1] == 'x') {
        char* end = nullptr;
        unsigned long v = std::strtoul(buf + 2, &end, 16);
        if (end && *end == '\0') attrs |= static_cast<uint32_t>(v) & (kAttrHidden | kAttrSystem);
    }
    return attrs;
}

}  // namespace mediacheck
