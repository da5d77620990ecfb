// Temporary folders, a fresh preferences file per test, and whole-file reads and writes for
// unit tests; folders go below $ZEK2_TEST_TMP (the test process's own folder, which the tests'
// main makes) when set, else /tmp.
#pragma once

#include "platform/prefs.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
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

// A fresh preferences file in its own folder while it lives; then the environment's again.
// Declare it before the engine that reads it, so the engine goes first.
class FreshPrefs {
public:
    explicit FreshPrefs(const std::string& prefix) : folder(makeTempFolder(prefix)) {
        setPrefsFileForTesting(folder + "/prefs.conf");
    }
    ~FreshPrefs() {
        setPrefsFileForTesting("");
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    FreshPrefs(const FreshPrefs&) = delete;
    FreshPrefs& operator=(const FreshPrefs&) = delete;
    const std::string folder;
};
