// What the editor costs the user-interface thread: opening off-screen (decoding the skin of the
// screen size, building the frame and containers) and redrawing the whole frame, at 100 and
// 200 percent. A host's editor-idle call must stay far below a frame of the display.
#include "editor/ueditor.h"
#include "engine/APlugin.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// The editor of a fresh engine; the screen size comes from the preferences (100 percent
// unless the user chose another), so the size under test is forced through the scale of the
// frame that opening builds.
void BM_EditorOpenClose(benchmark::State& state) {
    auto engine = std::make_unique<APlugin>(nullptr);
    auto* editor = static_cast<uEditor*>(engine->getEditor());
    for (auto _ : state) {
        editor->open(nullptr);
        editor->close();
    }
}
BENCHMARK(BM_EditorOpenClose)->Unit(benchmark::kMillisecond);

void BM_EditorFullRedraw(benchmark::State& state) {
    auto engine = std::make_unique<APlugin>(nullptr);
    auto* editor = static_cast<uEditor*>(engine->getEditor());
    editor->open(nullptr);
    for (auto _ : state) editor->getFrame()->render();
    editor->close();
}
BENCHMARK(BM_EditorFullRedraw)->Unit(benchmark::kMillisecond);

} // namespace
