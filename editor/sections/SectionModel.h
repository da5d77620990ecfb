// The editor's sections: 46 fixed lists of parameter tags that the section and display menus
// treat as one unit, each with a 16-level undo stack and a one-slot clipboard. Plain data and
// logic on the engine's parameter calls; user-interface thread only (the engine's request to
// clear the stacks arrives as a flag that the editor serves here, never from the audio thread).
#pragma once

#include <cstdint>

class APlugin;

namespace section {

constexpr int kCount = 46;
constexpr int kUndoDepth = 16;
// Every list entry of every section, counted once per section that lists it.
constexpr int kEntryCapacity = 3896;

// Section numbers that code names.
constexpr int AllOscillators = 0;
constexpr int Filter = 7;
constexpr int MainFilter = 8;
constexpr int FilterEnvelope = 9;
constexpr int HighPassFilter = 10;
constexpr int Amp = 11;
constexpr int AmpEnvelope = 12;
constexpr int MainLfo = 13;
constexpr int MainLfoAmounts = 14;
constexpr int MainLfoSpeedMod = 15;
constexpr int Play = 16;
constexpr int BothEQs = 17;
constexpr int PreEQ = 18;
constexpr int PostEQ = 19;
constexpr int LowFi = 20;
constexpr int VoiceDistortion = 21;
constexpr int WaveShaper = 22;
constexpr int OscPath = 23;
constexpr int DistortFX = 24;
constexpr int ModFX = 25;
constexpr int Delay = 26;
constexpr int Reverb = 27;
constexpr int Gater = 28;
constexpr int FXPath = 29;
constexpr int FreeEnvelopes = 30;
constexpr int FreeEnvelope1 = 31;
constexpr int FreeLfos = 33;
constexpr int FreeLfo1 = 34;
constexpr int XYPads = 36;
constexpr int XYPad1 = 37;
constexpr int ModMatrix = 39;
constexpr int Arp = 40;
constexpr int ArpPattern1 = 41;
constexpr int UserWaves = 43;
constexpr int UserWave1 = 44;

// Per oscillator (0 = oscillator 1): its whole section, its envelopes, its ZEK / XY pad.
inline constexpr int OSC_SECTIONS[2] = {1, 4};
inline constexpr int OSC_ENV_SECTIONS[2] = {2, 5};
inline constexpr int OSC_XY_SECTIONS[2] = {3, 6};

// The pairs that copy and swap work between; each pair's lists line up slot by slot.
inline constexpr int SIBLING_SECTIONS[][2] = {{1, 4},   {2, 5},   {3, 6},   {18, 19}, {31, 32},
                                              {34, 35}, {37, 38}, {41, 42}, {44, 45}};

inline bool isValid(int s) {
    return static_cast<unsigned>(s) < static_cast<unsigned>(kCount);
}

} // namespace section

class SectionModel {
public:
    SectionModel();

    // Builds the 46 lists; they never change afterwards.
    void setSectionTags();
    int getTagCount(int s) const { return section::isValid(s) ? sectionTagCount[s] : 0; }
    // Entry i of a section's list; -1 outside the list.
    int getTag(int s, int i) const;
    // Entries the last build could not keep (a full store, an unknown section or a list
    // built in two runs); 0 for a sound build.
    int getDroppedEntries() const { return droppedEntries; }

    // Empties every undo stack by its level alone; the clipboards stay.
    void clearUndos();
    int getUndoLevel(int s) const { return section::isValid(s) ? sectionUndoLevel[s] : -1; }
    bool hasUndo(int s) const { return getUndoLevel(s) >= 0; }
    bool hasClip(int s) const { return section::isValid(s) && sectionHasClip[s] != 0; }
    void setHasClip(int s, bool on);

    // The commands; a section number outside 0..45 does nothing.
    void setSectionUndo(APlugin& engine, int s);
    void undoSection(APlugin& engine, int s);
    void copySection(APlugin& engine, int s);
    void pasteSection(APlugin& engine, int s);
    void resetSection(APlugin& engine, int s);
    void setSectionToOrig(APlugin& engine, int s);
    void copySections(APlugin& engine, int from, int to);
    void swapSections(APlugin& engine, int a, int b);
    void randomizeSection(APlugin& engine, int s);

private:
    void append(int s, int tag);

    // Lists stored back to back: section s holds entries sectionStart[s] .. + count - 1. The
    // snapshots and the clipboard are stored by list position in the same layout, so a
    // snapshot costs only the section's own entries.
    int sectionTagCount[section::kCount] = {};
    int sectionStart[section::kCount] = {};
    int16_t sectionTags[section::kEntryCapacity] = {};
    int entryCount = 0;
    int droppedEntries = 0;
    int sectionUndoLevel[section::kCount] = {};
    float sectionUndo[section::kUndoDepth][section::kEntryCapacity] = {};
    float sectionClipboard[section::kEntryCapacity] = {};
    uint8_t sectionHasClip[section::kCount] = {};
};
