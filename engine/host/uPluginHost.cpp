// The host's questions about the plug-in and its state: the state chunk, capabilities, names,
// output pins, edit notifications and the vendor-specific calls (the NKS extension for NKS
// hosts, the mouse wheel for the others). Called from whichever thread the host uses.
#include "engine/APlugin.h"

#include "engine/params/ParamTags.h"
#include "vst2/AEffEditor.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kProductName = "ZEK2";
constexpr const char* kVendorName = "Velmora";
constexpr VstInt32 kVendorVersion = 0x00010000;
constexpr VstInt32 kChunkBytes = static_cast<VstInt32>(sizeof(programStruct));

constexpr uint32_t kNKSValueQuery = 0x4E49; // "NI"
constexpr uint32_t kNKSInfoQuery = 0x4E69;  // "Ni"
constexpr VstInt32 kNKSNotify = 0x4B490000; // "KI"
constexpr VstInt32 kWheelIndex = fourCharCode('s', 't', 'C', 'A');
constexpr VstIntPtr kWheelValue = fourCharCode('W', 'h', 'e', 'e');

void copyName(char* dst, const char* src) {
    size_t i = 0;
    for (; i < kProgramNameBytes - 1 && src[i]; ++i) dst[i] = src[i];
    dst[i] = 0;
}

// The NKS property tables: the value written for a query and the size/flag of its info.
struct NKSProperty {
    unsigned id;
    unsigned long size;
    bool flag;
};
constexpr NKSProperty kNKSProperties[] = {
    {12, 4, false}, {13, 4, true}, {28, 1, false}, {32, 8, true}};

const NKSProperty* findNKSProperty(unsigned id) {
    for (const NKSProperty& p : kNKSProperties)
        if (p.id == id) return &p;
    return nullptr;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// State chunk

programStruct* APlugin::chunkStagingFor(bool isPreset) {
    if (hostIsNKS) return isPreset ? nullptr : &chunkProgram;
    if (hostVendorIsProp) return isPreset ? &chunkProgram : &chunkBank;
    // A host that is told programs are chunks must also be served one, or it saves nothing.
    if (hostIsReaper || hostIsLumera || hostIsKore) return isPreset ? nullptr : &chunkBank;
    return nullptr;
}

VstInt32 APlugin::getChunk(void** data, bool isPreset) {
    programStruct* staging = chunkStagingFor(isPreset);
    if (!staging || !data) return 0;
    {
        ProgramTurn turn(*this);
        // Value by value: the render writes the record's values while a host saves.
        for (int t = 0; t < kNumParams; ++t) staging->values[t] = programValues.values[t];
        std::memset(staging->name, 0, sizeof(staging->name));
        copyName(staging->name, programValues.name);
    }
    *data = staging;
    return kChunkBytes;
}

VstInt32 APlugin::setChunk(void* data, VstInt32 byteSize, bool isPreset) {
    programStruct* staging = chunkStagingFor(isPreset);
    // Nothing is read from a host that was offered no chunk, nor from a short or missing one:
    // the sound stays as it was and the host is told nothing was restored.
    if (!staging || !data || byteSize < kChunkBytes) return 0;
    // Read straight from the host's bytes (which need not be aligned, and may be the block a
    // save handed out): the staging blocks are the saves' alone.
    const auto* bytes = static_cast<const unsigned char*>(data);
    {
        ProgramTurn turn(*this);
        for (int t = 0; t < kNumParams; ++t) {
            float v;
            std::memcpy(&v, bytes + t * sizeof(float), sizeof(v));
            programValues.values[t] =
                std::isnan(v) ? 0.0f : (v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v));
        }
        char name[kProgramNameBytes];
        std::memcpy(name, bytes + offsetof(programStruct, name), sizeof(name));
        name[kProgramNameBytes - 1] = 0;
        std::memset(programValues.name, 0, sizeof(programValues.name));
        copyName(programValues.name, name);
        restoreProgramRecord();
    }
    // Outside the lock: the apply may reach the editor and the host, which may save again.
    setParameter(tag::ApplyPreset, 1.0f);
    return 1;
}

// Like setProgram, but the values are the record's own rather than the bank preset's: the
// name still picks the bank slot that the host and the editor show. Carried out while the
// editor opens too, as a selection is (see loadNamedPreset).
void APlugin::restoreProgramRecord() {
    curProgram = 0;
    builtinPresetIndex = findPresetByName();
    // A render on another thread takes the restored record in its next block, whole (see
    // setProgram).
    if (!renderRunsElsewhere())
        for (int t = 0; t < kNumParams; ++t) {
            origValues[t] = editValues[t] = currentValues[t] = programValues.values[t];
            midiCaptureValues[t] = 0.0f;
        }
}

// ---------------------------------------------------------------------------------------------
// Capabilities, names and pins

VstIntPtr APlugin::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                              float opt) {
    if (opcode == effCanDo && ptr && std::strcmp(static_cast<char*>(ptr), "NKSCallbacks") == 0)
        return 1;
    return AudioEffectX::dispatcher(opcode, index, value, ptr, opt);
}

VstInt32 APlugin::canDo(char* text) {
    if (!text) return 0;
    // The arpeggiator sends the notes it plays: hosts route MIDI out of a plug-in only when it
    // says it sends events.
    for (const char* can : {"receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo",
                            "sendVstEvents", "sendVstMidiEvent"})
        if (std::strcmp(text, can) == 0) return 1;
    return 0;
}

bool APlugin::getEffectName(char* name) {
    if (!name) return false;
    std::snprintf(name, kVstMaxEffectNameLen, "%s", kProductName);
    return true;
}

bool APlugin::getVendorString(char* text) {
    if (!text) return false;
    std::snprintf(text, kVstMaxVendorStrLen, "%s", kVendorName);
    return true;
}

bool APlugin::getProductString(char* text) {
    if (!text) return false;
    std::snprintf(text, kVstMaxProductStrLen, "%s", kProductName);
    return true;
}

VstInt32 APlugin::getVendorVersion() {
    return kVendorVersion;
}

bool APlugin::getOutputProperties(VstInt32 index, VstPinProperties* properties) {
    if (!properties || index < 0 || index > 1) return false;
    std::snprintf(properties->label, sizeof(properties->label), "%s %d", kProductName, index + 1);
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    return true;
}

bool APlugin::beginEdit(VstInt32 index) {
    if (EditorLink* link = editorLink.load()) link->setEditTag(index);
    return AudioEffectX::beginEdit(index);
}

bool APlugin::endEdit(VstInt32 index) {
    if (EditorLink* link = editorLink.load()) link->setEditTag(-1);
    return AudioEffectX::endEdit(index);
}

// ---------------------------------------------------------------------------------------------
// Vendor-specific calls

VstIntPtr APlugin::vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    if (hostIsNKS) {
        const uint32_t vendor = static_cast<uint32_t>(index) >> 16;
        const unsigned id = static_cast<uint32_t>(index) & 0xFFFF;
        if (vendor == kNKSValueQuery) return getVendorSpecificProperty(id, ptr) ? 1 : 0;
        if (vendor == kNKSInfoQuery) {
            const NKSProperty* p = findNKSProperty(id);
            if (!p) return 0;
            if (ptr) {
                // The host's record: a 64-bit size followed by a one-byte flag.
                const uint64_t size = p->size;
                std::memcpy(ptr, &size, sizeof(size));
                static_cast<unsigned char*>(ptr)[sizeof(size)] = p->flag ? 1 : 0;
            }
            return 1;
        }
        return 0;
    }
    if (index == kWheelIndex && value == kWheelValue && editor) return editor->onWheel(opt) ? 1 : 0;
    return 0;
}

bool APlugin::getVendorSpecificPropertyInfo(unsigned id, unsigned long& size, bool& flag) {
    const NKSProperty* p = findNKSProperty(id);
    if (!p) return false;
    size = p->size;
    flag = p->flag;
    return true;
}

bool APlugin::getVendorSpecificProperty(unsigned id, void* out) {
    switch (id) {
    case 12:
    case 13: {
        if (!out) return false;
        const int32_t v = id == 12 ? 3 : 0;
        std::memcpy(out, &v, sizeof(v));
        return true;
    }
    case 28:
        return true;
    case 32: {
        if (!out) return false;
        const int64_t v = 1;
        std::memcpy(out, &v, sizeof(v));
        return true;
    }
    default:
        return false;
    }
}

bool APlugin::notifyNKSHost(int id, void* data, unsigned long size) {
    if (canHostDo(const_cast<char*>("NIMKPIVendorSpecificCallbacks")) == 0) return false;
    return callHost(audioMasterVendorSpecific, kNKSNotify | (id & 0xFFFF),
                    static_cast<VstIntPtr>(size), data, 0.0f, 0) == 1;
}
