// The editor's road into its section model: each command first serves a pending request of
// the engine to clear the undo stacks, then acts. User-interface thread only.
#include "editor/ueditor.h"

#include "engine/APlugin.h"

void uEditor::serveClearUndos() {
    if (clearUndosPending.exchange(false, std::memory_order_acq_rel)) {
        sectionModel.clearUndos();
        clearDisplayMenuState();
    }
}

void uEditor::setSectionTags() {
    sectionModel.setSectionTags();
}

int uEditor::getSectionUndoLevel(int section) {
    serveClearUndos();
    return sectionModel.getUndoLevel(section);
}

#define ZEK2_SECTION_COMMAND(name)                                                                 \
    void uEditor::name(int section) {                                                              \
        serveClearUndos();                                                                         \
        if (APlugin* engine = getEngine()) sectionModel.name(*engine, section);                    \
    }
ZEK2_SECTION_COMMAND(setSectionUndo)
ZEK2_SECTION_COMMAND(undoSection)
ZEK2_SECTION_COMMAND(copySection)
ZEK2_SECTION_COMMAND(pasteSection)
ZEK2_SECTION_COMMAND(resetSection)
ZEK2_SECTION_COMMAND(setSectionToOrig)
ZEK2_SECTION_COMMAND(randomizeSection)
#undef ZEK2_SECTION_COMMAND

void uEditor::copySections(int from, int to) {
    if (APlugin* engine = getEngine()) sectionModel.copySections(*engine, from, to);
}

void uEditor::swapSections(int a, int b) {
    if (APlugin* engine = getEngine()) sectionModel.swapSections(*engine, a, b);
}
