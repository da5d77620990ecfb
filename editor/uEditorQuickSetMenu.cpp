// The quick-set entries of a knob's or slider's command menu: semitones, tempo-synced speeds
// and lengths, the filter's vowel and mode, and the ribbon's destination. Each writes plainly
// (the host is not told), as bulk edits do. Host user-interface thread.
#include "editor/ueditor.h"

#include "editor/uEditorMenuCommands.h"
#include "engine/APlugin.h"
#include "engine/params/ParamTags.h"
#include "engine/params/StringTables.h"

#include <string>

namespace {

// A tag whose quick set is a list of value names, offered while a sync switch is on.
struct SyncedList {
    int tag;
    int syncTag;
    const char* title;
    const char* const* names;
    int count;
};

constexpr SyncedList SYNCED_LISTS[] = {
    {19, 266, "Set to Speed", LFO_PERIOD_STR, LFO_PERIOD_COUNT},
    {42, 283, "Set to Speed", LFO_PERIOD_STR, LFO_PERIOD_COUNT},
    {123, 366, "Set to Speed", LFO_PERIOD_STR, LFO_PERIOD_COUNT},
    {124, 369, "Set to Speed", LFO_PERIOD_STR, LFO_PERIOD_COUNT},
    {125, 372, "Set to Speed", LFO_PERIOD_STR, LFO_PERIOD_COUNT},
    {96, 342, "Set to Speed", FX_PERIOD_STR, FX_PERIOD_COUNT},
    {116, 359, "Set to Speed", FADE_ENV_TEMPO_SYNC_STR, FADE_ENV_TEMPO_SYNC_COUNT},
    {121, 362, "Set to Speed", FADE_ENV_TEMPO_SYNC_STR, FADE_ENV_TEMPO_SYNC_COUNT},
    {252, 253, "Set to Length", UNI_DELAY_TEMPO_SYNC_STR, UNI_DELAY_TEMPO_SYNC_COUNT},
    {99, 344, "Set to Length", DELAY_LEN_STR, DELAY_LEN_COUNT},
    {100, 344, "Set to Length", DELAY_LEN_STR, DELAY_LEN_COUNT},
};

// Attack, decay and release times of the envelopes that can follow the tempo, by sync switch.
struct SyncedEnvelope {
    int syncTag;
    int times[3];
};
constexpr SyncedEnvelope SYNCED_ENVELOPES[] = {
    {269, {24, 25, 27}}, {271, {29, 30, 32}},    {286, {47, 48, 50}},   {288, {52, 53, 55}},
    {301, {62, 63, 65}}, {359, {113, 114, 117}}, {362, {118, 119, 122}}};

// Filter types whose vowel knob picks a vowel or a mode.
constexpr int kVowelType = 35;
constexpr int LP_HP_TYPES[] = {15, 31};
constexpr int LP_BP_HP_TYPES[] = {16, 32};
constexpr int kSemiRange = 48;
constexpr int kRibbonSource = 81;

// The stepped write of entry i of a list of n names.
float steppedListValue(int i, int n) {
    return (static_cast<float>(i) + 0.1f) / (static_cast<float>(n) - 0.01f);
}

} // namespace

void uEditor::addQuickSetEntries(CommandMenu& menu, int tag) {
    APlugin* engine = getEngine();
    auto addList = [&](const char* title, const char* const* names, int count) {
        VSTGUI::COptionMenu* sub = menu.addSubmenu(title);
        for (int i = 0; i < count; ++i)
            menu.add(
                names[i],
                [engine, tag, v = steppedListValue(i, count)] { engine->setParameter(tag, v); },
                sub);
    };

    if (tag == tag::Osc1Semi || tag == tag::Osc2Semi) {
        menu.add("-");
        auto semi = [engine, tag](int n) {
            return [engine, tag, n] {
                engine->setParameter(tag, static_cast<float>(n) / 96.99f + 0.5f);
            };
        };
        auto addRange = [&](int first, int last) {
            VSTGUI::COptionMenu* sub =
                menu.addSubmenu(std::to_string(first) + " to " + std::to_string(last) + " Semi");
            for (int n = first; n <= last; ++n) menu.add(std::to_string(n) + " Semi", semi(n), sub);
        };
        addRange(-kSemiRange, -25);
        addRange(-24, -1);
        menu.add("0 Semi", semi(0));
        addRange(1, 24);
        addRange(25, kSemiRange);
    }
    for (const SyncedList& l : SYNCED_LISTS)
        if (l.tag == tag && engine->getOnOff(l.syncTag)) addList(l.title, l.names, l.count);
    for (const SyncedEnvelope& e : SYNCED_ENVELOPES)
        for (int t : e.times)
            if (t == tag && engine->getOnOff(e.syncTag))
                addList("Set to Speed", ENV_TEMPO_SYNC_STR, ENV_TEMPO_SYNC_COUNT);

    if (tag == tag::FilterVowel) {
        const int type = engine->getSteppedValue(tag::FilterType);
        auto mode = [&](const char* title, std::initializer_list<std::pair<const char*, float>> e) {
            VSTGUI::COptionMenu* sub = menu.addSubmenu(title);
            for (const auto& [name, v] : e)
                menu.add(
                    name, [engine, tag, v = v] { engine->setParameter(tag, v); }, sub);
        };
        if (type == kVowelType) addList("Set to Vowel", FILTER_VOWEL_STR, FILTER_VOWEL_COUNT);
        for (int t : LP_HP_TYPES)
            if (type == t) mode("Set to LP/HP Filter", {{"LP Filter", 0.0f}, {"HP Filter", 1.0f}});
        for (int t : LP_BP_HP_TYPES)
            if (type == t)
                mode("Set to LP/BP/HP Filter",
                     {{"LP Filter", 0.0f}, {"BP Filter", 0.5f}, {"HP Filter", 1.0f}});
    }
    // "None" stays without a command: it would only fill a slot that points nowhere.
    if (tag == tag::RibbonValue) addDestinationSubmenu(menu, nullptr, kRibbonSource, true, false);
}
