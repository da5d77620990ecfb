// Builds the ordering codes of the oscillator and FX paths once per process and decodes them.
// Built on the first caller's thread; decoded by the audio and user-interface threads.

#include "engine/tables/PathPermutations.h"

#include <memory>
#include <mutex>
#include <string>

namespace {

struct PermutationBuilder {
    PathPermutationRows& rows;
    int permCounter = 0; // next free entry of the row being filled

    // Appends to row `path` every ordering of the first n characters of rest, each prefixed by
    // prefix; orderings come out in lexicographic order of their digit strings.
    void perm(const std::string& prefix, const std::string& rest, int n, int path) {
        if (n == 0) {
            // A row holds at most PATH_PERM_SLOTS codes; anything beyond is dropped, not
            // written past the row.
            if (permCounter < PATH_PERM_SLOTS)
                rows[path][permCounter] = prefix.empty() ? 0 : std::stoi(prefix);
            ++permCounter;
            return;
        }
        // More characters asked for than rest holds would read past it: nothing to order.
        if (n < 0 || static_cast<std::size_t>(n) > rest.size()) return;
        for (int i = 0; i < n; ++i) {
            const std::string remainder =
                rest.substr(0, static_cast<std::size_t>(i)) +
                rest.substr(static_cast<std::size_t>(i) + 1, static_cast<std::size_t>(n - 1));
            perm(prefix + rest[static_cast<std::size_t>(i)], remainder, n - 1, path);
        }
    }
};

struct RowsHolder {
    PathPermutationRows rows;
};

std::unique_ptr<RowsHolder> sharedRows;
std::once_flag sharedRowsOnce;

bool isValidPath(int path) {
    return static_cast<unsigned>(path) < PATH_COUNT;
}

int clampStep(int path, int step) {
    if (step < 0) return 0;
    if (step >= PATHS_PERM_NUM[path]) return PATHS_PERM_NUM[path] - 1;
    return step;
}

} // namespace

const PathPermutationRows& pathPermutations() {
    std::call_once(sharedRowsOnce, [] {
        std::unique_ptr<RowsHolder> holder(new RowsHolder());
        PermutationBuilder builder{holder->rows};
        builder.permCounter = 0;
        builder.perm("", "01234", 5, PATH_FX);
        builder.permCounter = 0;
        builder.perm("", "012345", 6, PATH_OSC);
        sharedRows = std::move(holder);
    });
    return sharedRows->rows;
}

int pathStepForValue(int path, float value) {
    if (!isValidPath(path)) return -1;
    const float position = value * PATHS_PERM_RANGE[path] + 0.1f;
    if (!(position > 0.0f)) return 0; // NaN and negatives
    if (position >= static_cast<float>(PATHS_PERM_NUM[path] - 1)) return PATHS_PERM_NUM[path] - 1;
    return static_cast<int>(position);
}

int pathUnitAt(int path, int step, int position) {
    if (!isValidPath(path) || position < 0 || position > PATH_LAST[path]) return -1;
    int code = pathPermutations()[path][clampStep(path, step)];
    // The last position is the last digit; missing leading digits are unit 0.
    for (int p = PATH_LAST[path]; p > position; --p) code /= 10;
    return code % 10;
}

int pathOrdering(int path, int step, int* units) {
    if (!isValidPath(path)) return 0;
    int code = pathPermutations()[path][clampStep(path, step)];
    for (int p = PATH_LAST[path]; p >= 0; --p) {
        units[p] = code % 10;
        code /= 10;
    }
    return PATH_NUM[path];
}
