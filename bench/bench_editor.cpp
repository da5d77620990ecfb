// What the editor costs the user-interface thread: opening off-screen (decoding the skin of the
// screen size, building the frame and containers) and redrawing the whole frame, at 100 and
// 200 percent. Decoding the skin's PNGs is most of an opening; it should stay under a quarter
// of a second at 200 percent, and a full redraw well under a frame of a 60 Hz display.
#include "editor/ueditor.h"
#include "engine/APlugin.h"
#include "platform/prefs.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

// An engine whose editor opens at the screen size of the index (0 = 100 %, 3 = 200 %): the
// size comes from a private preferences file in a folder of its own below $TMPDIR (else /tmp),
// restored when the scenario ends and the folder removed with whatever was written in it.
struct SizedEditor {
    explicit SizedEditor(int size) {
        const char* tmp = std::getenv("TMPDIR");
        std::string name = std::string((tmp && tmp[0] == '/') ? tmp : "/tmp") + "/zek2benchXXXXXX";
        if (mkdtemp(name.data())) folder = name;
        setPrefsFileForTesting(folder.empty() ? "" : folder + "/prefs.conf");
        if (size == 3) saveStringToPrefs("Big200", "Y");
        engine = std::make_unique<APlugin>(nullptr);
        editor = new uEditor(engine.get());
    }
    ~SizedEditor() {
        engine.reset();
        setPrefsFileForTesting("");
        std::error_code ignored;
        if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
    }
    std::string folder;
    std::unique_ptr<APlugin> engine;
    uEditor* editor = nullptr;
};

void BM_EditorOpenClose(benchmark::State& state) {
    SizedEditor sized(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        sized.editor->open(nullptr);
        sized.editor->close();
    }
}
BENCHMARK(BM_EditorOpenClose)->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_EditorFullRedraw(benchmark::State& state) {
    SizedEditor sized(static_cast<int>(state.range(0)));
    sized.editor->open(nullptr);
    for (auto _ : state) sized.editor->getFrame()->render();
    sized.editor->close();
}
BENCHMARK(BM_EditorFullRedraw)->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond);

} // namespace
