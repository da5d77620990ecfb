// Temporary folders, a fresh preferences file per test, and whole-file reads and writes for
// unit tests; folders go below $ZEK2_TEST_TMP (the test process's own folder, which the tests'
// main makes) when set, else /tmp.
#pragma once

#include "platform/prefs.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

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

// Environment variables as they were when it was made, put back when it goes; the one given
// a value holds it meanwhile. For the folders the engine and the preferences take from it.
class ScopedEnv {
public:
    explicit ScopedEnv(std::initializer_list<const char*> names) {
        for (const char* name : names) {
            const char* now = std::getenv(name);
            kept.emplace_back(name, now ? std::optional<std::string>(now) : std::nullopt);
        }
    }
    ScopedEnv(const char* name, const std::string& value) : ScopedEnv({name}) {
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        for (const auto& [name, value] : kept) {
            if (value.has_value())
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> kept;
};

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
