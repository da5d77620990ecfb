// Temporary folders and whole-file reads and writes for unit tests; folders go below
// $ZEK2_TEST_TMP when set, else /tmp.
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

inline std::string makeTempFolder(const std::string& prefix) {
    const char* base = std::getenv("ZEK2_TEST_TMP");
    const std::string root = (base != nullptr && base[0] == '/') ? base : "/tmp";
    mkdir(root.c_str(), 0700);
    std::string pattern = root + "/" + prefix + "XXXXXX";
    char* made = mkdtemp(pattern.data());
    return made != nullptr ? std::string(made) : std::string();
}

inline std::string readWhole(std::string const& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void writeWhole(std::string const& path, std::string const& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << data;
}
