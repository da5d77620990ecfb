// Temporary folders for unit tests: below $ZEK2_TEST_TMP when set, else /tmp.
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <string>

inline std::string makeTempFolder(const std::string& prefix) {
    const char* base = std::getenv("ZEK2_TEST_TMP");
    const std::string root = (base != nullptr && base[0] == '/') ? base : "/tmp";
    mkdir(root.c_str(), 0700);
    std::string pattern = root + "/" + prefix + "XXXXXX";
    char* made = mkdtemp(pattern.data());
    return made != nullptr ? std::string(made) : std::string();
}
