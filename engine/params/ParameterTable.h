// The parameter table: every tag's descriptor as constant data, plus the fill and band rules
// that the engine applies around it. Read once by the engine's initialisation thread.
#pragma once

#include <functional>
#include <string>

// One definition as the engine stores it. A continuous tag has steppedNum -1 and
// steppedRange -1; a stepped tag stores step i as (i + 0.1) / steppedRange, so the range is
// part of the saved-value format. A negative zero asks for the default as the zero value.
struct ParamDef {
    int tag;
    float defaultValue;
    bool onOff;
    float steppedRange;
    int steppedNum;
    int modDest;
    int displayType;
    std::string name;
    float zero;
};

// Calls define once for every defined tag: the single rows, then every member of every family,
// then the three internal tags (1021..1023) last. Each tag is defined exactly once.
void forEachParamDef(const std::function<void(const ParamDef&)>& define);

// The record a tag holds before the table is applied (and keeps when no row defines it).
void defaultParamDef(int tag, ParamDef& out);

// A change of the tag can mark the sound as edited.
bool paramCountsAsEditBand(int tag);

// A change of the tag is pushed to the open editor.
bool paramNotifiesEditorBand(int tag);

// The tag takes part in randomisation that is not forced.
bool paramRandomizableBand(int tag);

// Upper bound of a random value: 1.0 for a continuous tag, else (count - 0.01) / range, which
// reads back as the last step at most.
float paramRandomMaxFor(int steppedNum, float steppedRange);

// The stored-value format of stepped and text tags, shared by the engine, the bank generator
// and the tests. Step i is stored as (i + 0.1) / range and read back as int(v x range + 0.1),
// clamped to 0..num-1; a character code c is stored as (c + 0.5) / 255.99.
inline float stepStoredValue(int index, float range) {
    return (static_cast<float>(index) + 0.1f) / range;
}
inline int stepIndexOf(float value, float range, int num) {
    // Compared before converting: NaN and huge values would make the conversion undefined.
    const float f = value * range + 0.1f;
    if (!(f >= 1.0f)) return 0;
    if (f >= static_cast<float>(num)) return num > 0 ? num - 1 : 0;
    return static_cast<int>(f);
}
inline float charStoredValue(int code) {
    return (static_cast<float>(code) + 0.5f) / 255.99f;
}
inline int charCodeOf(float value) {
    return static_cast<int>(value * 255.99f + 0.1f);
}
