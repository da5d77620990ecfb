// The parameter store: the write and read roads, the descriptor build and the accessors that
// every subsystem uses. setParameter runs on the host's threads, the editor's thread and the
// audio thread; it does a fixed amount of work and never allocates.
#include "engine/APlugin.h"

#include "engine/host/TestHooks.h"
#include "engine/params/ParamTags.h"
#include "engine/params/ParameterTable.h"
#include "vst2/AEffEditor.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr float kEditThreshold = 0.0001f;

float clamp01(float v) {
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Write and read roads

float APlugin::storableValue(int tag, float value) const {
    // NaN from automation or a chunk would spread into every reader; it is stored as 0.
    const float v = std::isnan(value) ? 0.0f : clamp01(value);
    if (paramIsOnOff[tag]) return v < 0.5f ? 0.0f : 1.0f;
    return v;
}

void APlugin::setParameter(VstInt32 tag, float value) {
    if (!isValidTag(tag)) return;
    // A sound plays the tuning it names. A load fetches the table before it raises the apply:
    // a render on another thread may apply at its next block, and a note started there would
    // keep the table before for its whole length.
    if (tag == tag::ApplyPreset) tuningNameWritten(tag);
    // A point of a user wave is counted, so the wave it belongs to is rebuilt and plays it.
    const int wave = tag::userWaveOfPoint(tag);
    const float v = wave < 0 ? storeParameter(tag, value) : storeUserWavePoint(wave, tag, value);
    if (paramNotifiesEditor[tag]) pushToEditor(tag, v);
    if (tag >= tag::PresetNameFirst && tag < tag::PresetNameFirst + kPresetNameChars)
        followPresetName();
    if (tag >= tag::HasTuningOn && tag < tag::TuningNameFirst + tag::TuningNameCount)
        tuningNameWritten(tag);
}

float APlugin::storeParameter(int tag, float value) {
    const float v = storableValue(tag, value);

    // The record first. The render's apply copies the record into the value sets and then
    // reads it again: either it finds this value there and takes it again, or this write's
    // stores below land after its copy's (the fences on both sides order them).
    programValues.values[tag] = v;
    std::atomic_thread_fence(std::memory_order_seq_cst);
    ZEK2_TEST_HOOK(valueHalfStored);
    currentValues[tag] = v;
    editValues[tag] = v;
    takeRecordValueAfterWrite(tag, v);
    // Raised after the values: an apply that starts later reads them all. A selection made
    // while an apply runs raises it again, so the new program follows in the render's next block.
    if (tag == tag::ApplyPreset) pendingPresetApply = true;

    // The apply trigger is written by every program selection; it is not an edit of the sound,
    // so a freshly loaded program does not report itself as edited.
    if (paramCountsAsEdit[tag] && tag != tag::ApplyPreset &&
        std::fabs(v - lastNotifiedValues[tag]) > kEditThreshold) {
        lastNotifiedValues[tag] = v;
        if (std::fabs(v - origValues[tag]) > kEditThreshold && origValues[tag] > -0.5f)
            editChanged = true;
    }
    return v;
}

void APlugin::takeRecordValueAfterWrite(int tag, float stored) {
    // Two writers of one tag make their two stores each with nothing ordering them: the one
    // whose record store came first may store the values that play last. So each looks at the
    // record after its own stores (and a fence) and takes what it holds. Of two writers, either
    // the one storing last sees the other's later record value here, or its stores land before
    // the other's: the writer whose record store was last always ends with its own value, the
    // record's, in the value sets.
    for (int pass = 0; pass < kRecordSettlePasses; ++pass) {
        std::atomic_thread_fence(std::memory_order_seq_cst);
        const float now = storableValue(tag, programValues.values[tag]);
        if (now == stored) return;
        currentValues[tag] = editValues[tag] = stored = now;
    }
}

void APlugin::setParameterAutomated(VstInt32 tag, float value) {
    if (automationHeldBy.load(std::memory_order_relaxed) == std::this_thread::get_id()) {
        setParameter(tag, value);
        return;
    }
    AudioEffectX::setParameterAutomated(tag, value);
}

void APlugin::holdHostAutomation(bool hold) {
    automationHeldBy.store(hold ? std::this_thread::get_id() : std::thread::id(),
                           std::memory_order_relaxed);
}

void APlugin::tellHostValue(int tag) {
    // The value is written again as it stands: the base write stores it and tells the host.
    if (isValidTag(tag)) AudioEffectX::setParameterAutomated(tag, getParameter(tag));
}

float APlugin::getParameter(VstInt32 tag) {
    if (!isValidTag(tag)) return 0.0f;
    return clamp01(programValues.values[tag]);
}

void APlugin::automateCurrentValue(int tag) {
    if (isValidTag(tag)) callHost(audioMasterAutomate, tag, 0, nullptr, getParameter(tag), 0);
}

void APlugin::pushToEditor(int tag, float value) {
    if (EditorLink* open = getOpenEditor()) open->setParameter(tag, value);
}

bool APlugin::isEditorOpen() const {
    return editor && editorOpen && !editorOpening && editor->isOpen();
}

EditorLink* APlugin::getOpenEditor() const {
    return isEditorOpen() ? editorLink.load(std::memory_order_acquire) : nullptr;
}

void APlugin::updateEditorScreen() {
    editorRefreshPending = false;
    if (EditorLink* open = getOpenEditor()) open->resume();
}

// ---------------------------------------------------------------------------------------------
// Descriptors

void APlugin::setParameterVars(int tag, float defaultValue, bool onOff, float steppedRange,
                               int steppedNum, int modDest, int displayType,
                               const std::string& name, float zero) {
    if (!isValidTag(tag)) return;
    paramDefaults[tag] = defaultValue;
    paramModDests[tag] = modDest;
    paramDisplayTypes[tag] = displayType;
    paramNames[tag] = name;
    paramIsOnOff[tag] = onOff ? 1 : 0;
    paramSteppedNums[tag] = steppedNum;
    paramSteppedRanges[tag] = steppedRange;
    paramZeroValues[tag] = zero >= 0.0f ? zero : defaultValue;
}

void APlugin::initParameterDescriptors() {
    ParamDef def;
    for (int tag = 0; tag < kNumParams; ++tag) {
        paramCountsAsEdit[tag] = paramCountsAsEditBand(tag) ? 1 : 0;
        paramNotifiesEditor[tag] = paramNotifiesEditorBand(tag) ? 1 : 0;
        defaultParamDef(tag, def);
        setParameterVars(tag, def.defaultValue, def.onOff, def.steppedRange, def.steppedNum,
                         def.modDest, def.displayType, def.name, def.zero);
    }
    forEachParamDef([this](const ParamDef& d) {
        setParameterVars(d.tag, d.defaultValue, d.onOff, d.steppedRange, d.steppedNum, d.modDest,
                         d.displayType, d.name, d.zero);
    });
    for (int tag = 0; tag < kNumParams; ++tag) {
        paramRandomMax[tag] = paramRandomMaxFor(paramSteppedNums[tag], paramSteppedRanges[tag]);
        paramRandomizable[tag] = paramRandomizableBand(tag) ? 1 : 0;
    }
}

const std::string& APlugin::getParamName(int tag) const {
    static const std::string none;
    return isValidTag(tag) ? paramNames[tag] : none;
}

// ---------------------------------------------------------------------------------------------
// Stepped and on/off access

int APlugin::getSteppedValue(float value, float range, int num) {
    return stepIndexOf(value, range, num);
}

int APlugin::getSteppedValue(int tag, float range, int num) const {
    if (!isValidTag(tag)) return 0;
    return getSteppedValue(currentValues[tag], range, num);
}

int APlugin::getSteppedValue(int tag) const {
    if (!isValidTag(tag) || paramSteppedNums[tag] < 0) return 0;
    return getSteppedValue(currentValues[tag], paramSteppedRanges[tag], paramSteppedNums[tag]);
}

int APlugin::getSteppedValue(int tag, float value) const {
    if (!isValidTag(tag) || paramSteppedNums[tag] < 0) return 0;
    return getSteppedValue(value, paramSteppedRanges[tag], paramSteppedNums[tag]);
}

void APlugin::setSteppedValue(int tag, int index, float range, int num) {
    if (!isValidTag(tag)) return;
    if (index > num - 1) index = num - 1;
    if (index < 0) index = 0;
    setParameterAutomated(tag, stepStoredValue(index, range));
}

void APlugin::setSteppedValue(int tag, int index) {
    if (!isValidTag(tag) || paramSteppedNums[tag] < 0) return;
    setSteppedValue(tag, index, paramSteppedRanges[tag], paramSteppedNums[tag]);
}

void APlugin::setSteppedValueMax(int tag) {
    if (!isValidTag(tag) || paramSteppedNums[tag] < 0) return;
    const int num = paramSteppedNums[tag];
    setSteppedValue(tag, (num > 1 ? num : 1) - 1);
}

void APlugin::setOnOff(int tag, bool on) {
    if (isValidTag(tag)) setParameterAutomated(tag, on ? 1.0f : 0.0f);
}

void APlugin::toggleValue(int tag) {
    if (isValidTag(tag)) setParameterAutomated(tag, currentValues[tag] >= 0.5f ? 0.0f : 1.0f);
}

// ---------------------------------------------------------------------------------------------
// Default, as-loaded and zero values

void APlugin::setToDefault(int tag) {
    if (isValidTag(tag)) setParameterAutomated(tag, paramDefaults[tag]);
}

void APlugin::setToDefaultRange(int first, int last) {
    if (!isValidTag(first) || !isValidTag(last)) return;
    for (int tag = first; tag <= last; ++tag) setToDefault(tag);
}

void APlugin::setToOrig(int tag) {
    if (isValidTag(tag)) setParameterAutomated(tag, origValues[tag]);
}

void APlugin::setZeroValue(int tag) {
    if (isValidTag(tag)) setParameter(tag, paramZeroValues[tag]);
}

// ---------------------------------------------------------------------------------------------
// Copy and swap. "Dummy" is a scratch tag that is never copied or swapped either way.

void APlugin::copyParameter(int from, int to) {
    if (!isValidTag(from) || !isValidTag(to) || from == tag::Dummy || to == tag::Dummy) return;
    setParameter(to, getParameter(from));
}

void APlugin::copyParameterRange(int from, int to, int count) {
    for (int i = 0; i < count; ++i) copyParameter(from + i, to + i);
}

void APlugin::copyParameterToRange(int from, int first, int last) {
    if (first > last || from == tag::Dummy || !isValidTag(from)) return;
    const float value = getParameter(from);
    for (int tag = first; tag <= last; ++tag)
        if (isValidTag(tag) && tag != tag::Dummy) setParameter(tag, value);
}

void APlugin::swapParameter(int a, int b) {
    if (!isValidTag(a) || !isValidTag(b) || a == tag::Dummy || b == tag::Dummy) return;
    const float va = getParameter(a);
    const float vb = getParameter(b);
    setParameter(a, vb);
    setParameter(b, va);
}

void APlugin::swapParameterRange(int a, int b, int count) {
    for (int i = 0; i < count; ++i) swapParameter(a + i, b + i);
}

// ---------------------------------------------------------------------------------------------
// Modulation destinations and random values

bool APlugin::getHasTagToDest(int tag) const {
    if (!isValidTag(tag)) return false;
    return paramModDests[tag] >= 8 && paramModDests[tag] <= 153;
}

void APlugin::setRandomValue(int tag, bool force) {
    if (!isValidTag(tag)) return;
    if (!force && !paramRandomizable[tag]) return;
    const int r = std::rand() & 0x7FFF;
    float v = static_cast<float>(r / 32767.0 * paramRandomMax[tag]);
    if (paramIsOnOff[tag]) v = v < 0.5f ? 0.0f : 1.0f;
    setParameter(tag, v);
    editorRefreshPending = true;
}

// ---------------------------------------------------------------------------------------------
// Text held one character per tag

std::string APlugin::getStringFromParamStr(int firstTag, int count) const {
    std::string text;
    for (int i = 0; i < count; ++i) {
        const int tag = firstTag + i;
        if (!isValidTag(tag)) break;
        const int code = charCodeOf(programValues.values[tag]);
        if ((code & 0xFF) == 0) continue; // an empty place does not end the text
        text.push_back(static_cast<char>(code));
    }
    return text;
}

void APlugin::setStringFromParam(const std::string& text, int firstTag, int count) {
    if (count <= 0) return;
    for (int i = 0; i < count; ++i) {
        const int tag = firstTag + i;
        if (!isValidTag(tag)) break;
        currentValues[tag] = programValues.values[tag] = editValues[tag] = 0.0f;
    }
    // The last place of the run always stays empty.
    const int n =
        static_cast<int>(text.size()) >= count ? count - 1 : static_cast<int>(text.size());
    for (int i = 0; i < n; ++i) {
        const int tag = firstTag + i;
        if (!isValidTag(tag)) break;
        int c = static_cast<unsigned char>(text[static_cast<size_t>(i)]);
        if (c < 32 || c > 127) {
            c = 0;
        } else if (c == ':') {
            c = '-';
        } else {
            switch (c) {
            case '?':
            case '|':
            case '<':
            case '>':
            case '"':
            case '*':
            case '/':
            case '\\':
                c = ' ';
                break;
            default:
                break;
            }
        }
        const float v = c == 0 ? 0.0f : charStoredValue(c);
        currentValues[tag] = programValues.values[tag] = editValues[tag] = v;
    }
}
