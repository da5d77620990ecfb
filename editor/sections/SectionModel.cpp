// The section commands: undo snapshots, clipboard, reset, as-loaded values, copy and swap
// between sibling sections, randomize. User-interface thread; every write goes through the
// engine's parameter calls, which the audio thread reads at its next control-rate update.
#include "editor/sections/SectionModel.h"

#include "engine/APlugin.h"

SectionModel::SectionModel() {
    setSectionTags();
    clearUndos();
}

void SectionModel::append(int s, int tag) {
    // Each list is built in one run, so its entries stay contiguous.
    if (!section::isValid(s) || entryCount >= section::kEntryCapacity) {
        ++droppedEntries;
        return;
    }
    if (sectionTagCount[s] == 0) {
        sectionStart[s] = entryCount;
    } else if (sectionStart[s] + sectionTagCount[s] != entryCount) {
        ++droppedEntries;
        return;
    }
    sectionTags[entryCount++] = static_cast<int16_t>(tag);
    ++sectionTagCount[s];
}

int SectionModel::getTag(int s, int i) const {
    if (!section::isValid(s) || i < 0 || i >= sectionTagCount[s]) return -1;
    return sectionTags[sectionStart[s] + i];
}

void SectionModel::clearUndos() {
    // Levels alone: the snapshots above the top are never read, so nothing needs zeroing.
    for (int& level : sectionUndoLevel) level = -1;
}

void SectionModel::setHasClip(int s, bool on) {
    if (section::isValid(s)) sectionHasClip[s] = on ? 1 : 0;
}

void SectionModel::setSectionUndo(APlugin& engine, int s) {
    if (!section::isValid(s)) return;
    const int first = sectionStart[s], n = sectionTagCount[s];
    int level = sectionUndoLevel[s] < 0 ? 0 : sectionUndoLevel[s] + 1;
    if (level >= section::kUndoDepth) {
        // A full stack drops its oldest snapshot.
        for (int k = 0; k + 1 < section::kUndoDepth; ++k)
            for (int i = first; i < first + n; ++i) sectionUndo[k][i] = sectionUndo[k + 1][i];
        level = section::kUndoDepth - 1;
    }
    sectionUndoLevel[s] = level;
    for (int i = first; i < first + n; ++i)
        sectionUndo[level][i] = engine.getParameter(sectionTags[i]);
}

void SectionModel::undoSection(APlugin& engine, int s) {
    if (!section::isValid(s) || sectionUndoLevel[s] < 0) return;
    const int level =
        sectionUndoLevel[s] < section::kUndoDepth ? sectionUndoLevel[s] : section::kUndoDepth - 1;
    const int first = sectionStart[s], n = sectionTagCount[s];
    for (int i = first; i < first + n; ++i)
        engine.setParameter(sectionTags[i], sectionUndo[level][i]);
    sectionUndoLevel[s] = level - 1;
}

void SectionModel::copySection(APlugin& engine, int s) {
    if (!section::isValid(s)) return;
    const int first = sectionStart[s], n = sectionTagCount[s];
    for (int i = first; i < first + n; ++i)
        sectionClipboard[i] = engine.getParameter(sectionTags[i]);
    sectionHasClip[s] = 1;
}

void SectionModel::pasteSection(APlugin& engine, int s) {
    if (!section::isValid(s) || !sectionHasClip[s]) return;
    const int first = sectionStart[s], n = sectionTagCount[s];
    for (int i = first; i < first + n; ++i)
        engine.setParameter(sectionTags[i], sectionClipboard[i]);
}

void SectionModel::resetSection(APlugin& engine, int s) {
    for (int i = 0; i < getTagCount(s); ++i) engine.setToDefault(getTag(s, i));
}

void SectionModel::setSectionToOrig(APlugin& engine, int s) {
    for (int i = 0; i < getTagCount(s); ++i) engine.setToOrig(getTag(s, i));
}

// Slot by slot over the first section's count; the engine skips pairs with the filler tag.
// A second list shorter than the first ends the walk rather than reading past it.
void SectionModel::copySections(APlugin& engine, int from, int to) {
    if (!section::isValid(to)) return;
    for (int i = 0; i < getTagCount(from) && i < getTagCount(to); ++i)
        engine.copyParameter(getTag(from, i), getTag(to, i));
}

void SectionModel::swapSections(APlugin& engine, int a, int b) {
    if (!section::isValid(b)) return;
    for (int i = 0; i < getTagCount(a) && i < getTagCount(b); ++i)
        engine.swapParameter(getTag(a, i), getTag(b, i));
}

void SectionModel::randomizeSection(APlugin& engine, int s) {
    for (int i = 0; i < getTagCount(s); ++i) engine.setRandomValue(getTag(s, i), false);
}
