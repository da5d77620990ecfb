// The two orderable processing paths: reading and editing an order (user-interface thread,
// through the path display and menu) and decoding both orders for the render loop (audio
// thread, slow update).
#include "engine/APlugin.h"

#include "engine/tables/PathPermutations.h"

namespace {
constexpr int kPathSlots = 8;

bool validPath(int path) {
    return path == PATH_OSC || path == PATH_FX;
}

// The decimal code of an order: the unit of position 0 is the most significant digit.
int composeCode(const int* units, int count) {
    int code = 0;
    for (int p = 0; p < count; ++p) code = code * 10 + units[p];
    return code;
}
} // namespace

int APlugin::getPathUnit(int path, int position) const {
    if (!validPath(path) || position < 0 || position >= PATH_NUM[path]) return -1;
    return pathUnits[path][position];
}

int APlugin::getPathEntry(int position, int path) {
    if (!validPath(path) || position < 0 || position > PATH_LAST[path]) return -1;
    const int step = pathStepForValue(path, getParameter(PATH_TAGS[path]));
    return pathUnitAt(path, step, position);
}

// Writes the order whose code matches; an order found in no entry (only an impossible move
// makes one) writes nothing.
static void writePathOrder(APlugin& engine, int path, const int* units) {
    const int code = composeCode(units, PATH_NUM[path]);
    const auto& rows = pathPermutations();
    for (int k = 0; k < PATHS_PERM_NUM[path]; ++k)
        if (rows[path][k] == code) {
            engine.setParameter(PATH_TAGS[path],
                                (static_cast<float>(k) + 0.1f) / PATHS_PERM_RANGE[path]);
            return;
        }
}

int APlugin::changePathDelta(int position, int direction, int path) {
    if (direction == -1) return position;
    if (!validPath(path) || position < 0 || position > PATH_LAST[path]) return position;
    int units[kPathSlots] = {};
    pathOrdering(path, pathStepForValue(path, getParameter(PATH_TAGS[path])), units);
    const int num = PATH_NUM[path];
    const int step = direction == 1 ? -1 : (direction == 2 ? 1 : 0);
    // Up from the first place or down from the last exchanges the two ends.
    const int newPosition = (position + step + num) % num;
    if (step != 0) {
        const int unit = units[position];
        units[position] = units[newPosition];
        units[newPosition] = unit;
    }
    writePathOrder(*this, path, units);
    return newPosition;
}

void APlugin::swapPath(int from, int to, int path) {
    if (!validPath(path) || from == to || from < 0 || to < 0 || from > PATH_LAST[path]) return;
    if (to > PATH_LAST[path]) return; // no order puts a unit there
    int old[kPathSlots] = {};
    pathOrdering(path, pathStepForValue(path, getParameter(PATH_TAGS[path])), old);
    const int moved = old[from];
    int units[kPathSlots] = {};
    int n = 0;
    for (int p = 0; p <= PATH_LAST[path]; ++p) {
        if (p == to) {
            if (to > from) {
                units[n++] = old[to];
                units[n++] = moved;
            } else {
                units[n++] = moved;
                units[n++] = old[to];
            }
        } else if (p != from) {
            units[n++] = old[p];
        }
    }
    writePathOrder(*this, path, units);
}

void APlugin::updatePaths() {
    for (int path = 0; path < PATH_COUNT; ++path)
        pathOrdering(path, getSteppedValue(PATH_TAGS[path]), pathUnits[path]);
}
