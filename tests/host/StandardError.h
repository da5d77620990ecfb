// What the process prints on standard error while a test runs: from construction on it goes to
// a file instead of the terminal, and `text()` gives it back; the destruction restores the
// terminal. One at a time.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>

namespace testhost {

class StandardErrorKept {
public:
    StandardErrorKept() : file(std::tmpfile()) {
        std::fflush(stderr);
        if (file) {
            saved = dup(2);
            dup2(fileno(file), 2);
        }
    }
    ~StandardErrorKept() {
        restore();
        if (file) std::fclose(file);
    }
    StandardErrorKept(const StandardErrorKept&) = delete;
    StandardErrorKept& operator=(const StandardErrorKept&) = delete;

    // Everything printed so far; standard error goes back to the terminal.
    std::string text() {
        restore();
        std::string all;
        if (!file) return "standard error could not be kept";
        std::rewind(file);
        for (char buffer[512]; std::size_t n = std::fread(buffer, 1, sizeof buffer, file);)
            all.append(buffer, n);
        return all;
    }

private:
    void restore() {
        if (saved < 0) return;
        std::fflush(stderr);
        dup2(saved, 2);
        close(saved);
        saved = -1;
    }

    std::FILE* file;
    int saved = -1;
};

} // namespace testhost
