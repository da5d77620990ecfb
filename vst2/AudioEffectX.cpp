// The VST 2.x dispatcher, host requests and speaker-arrangement helpers. Called from the host's
// threads; the host requests are thin wrappers that answer a fixed value without a host.
#include "vst2/AudioEffectX.h"

#include "vst2/AEffEditor.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {
VstIntPtr asBool(bool b) {
    return b ? 1 : 0;
}

// The lowest byte of the integer part of the host's float. A NaN, an infinity or a value
// beyond the integer range has no integer part to convert (the conversion would be
// undefined), so it gives 0: no modifier keys.
unsigned char lowByteOf(float opt) {
    if (!(std::fabs(opt) < 2147483648.0f)) return 0;
    return static_cast<unsigned char>(static_cast<VstInt32>(opt) & 0xFF);
}
} // namespace

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) {
    switch (opcode) {
    case effProcessEvents:
        return ptr ? processEvents(static_cast<VstEvents*>(ptr)) : 0;
    case effCanBeAutomated:
        return asBool(canParameterBeAutomated(index));
    case effString2Parameter:
        return ptr ? asBool(string2parameter(index, static_cast<char*>(ptr))) : 0;
    case effGetProgramNameIndexed:
        return ptr ? asBool(getProgramNameIndexed(static_cast<VstInt32>(value), index,
                                                  static_cast<char*>(ptr)))
                   : 0;
    case effGetInputProperties:
        return ptr ? asBool(getInputProperties(index, static_cast<VstPinProperties*>(ptr))) : 0;
    case effGetOutputProperties:
        return ptr ? asBool(getOutputProperties(index, static_cast<VstPinProperties*>(ptr))) : 0;
    case effGetPlugCategory:
        return static_cast<VstIntPtr>(static_cast<uint32_t>(getPlugCategory()));
    case effOfflineNotify:
        return asBool(offlineNotify(static_cast<VstAudioFile*>(ptr), static_cast<VstInt32>(value),
                                    index != 0));
    case effOfflinePrepare:
        return asBool(
            offlinePrepare(static_cast<VstOfflineTask*>(ptr), static_cast<VstInt32>(value)));
    case effOfflineRun:
        return asBool(offlineRun(static_cast<VstOfflineTask*>(ptr), static_cast<VstInt32>(value)));
    case effProcessVarIo:
        return asBool(processVariableIo(static_cast<VstVariableIo*>(ptr)));
    case effSetSpeakerArrangement:
        return asBool(setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                            static_cast<VstSpeakerArrangement*>(ptr)));
    case effSetBypass:
        return asBool(setBypass(value != 0));
    case effGetEffectName:
        return ptr ? asBool(getEffectName(static_cast<char*>(ptr))) : 0;
    case effGetVendorString:
        return ptr ? asBool(getVendorString(static_cast<char*>(ptr))) : 0;
    case effGetProductString:
        return ptr ? asBool(getProductString(static_cast<char*>(ptr))) : 0;
    case effGetVendorVersion:
        return getVendorVersion();
    case effVendorSpecific:
        return vendorSpecific(index, value, ptr, opt);
    case effCanDo:
        return ptr ? canDo(static_cast<char*>(ptr)) : 0;
    case effGetTailSize:
        return getGetTailSize();
    case effGetParameterProperties:
        return ptr ? asBool(
                         getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)))
                   : 0;
    case effGetVstVersion:
        return getVstVersion();
    case effEditKeyDown:
    case effEditKeyUp: {
        if (!editor) return 0;
        VstKeyCode key{};
        key.character = index;
        key.virt = static_cast<unsigned char>(value & 0xFF);
        key.modifier = lowByteOf(opt);
        return asBool(opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key));
    }
    case effSetEditKnobMode:
        return editor ? asBool(editor->setKnobMode(static_cast<VstInt32>(value))) : 0;
    case effGetMidiProgramName:
        return getMidiProgramName(index, static_cast<MidiProgramName*>(ptr));
    case effGetCurrentMidiProgram:
        return getCurrentMidiProgram(index, static_cast<MidiProgramName*>(ptr));
    case effGetMidiProgramCategory:
        return getMidiProgramCategory(index, static_cast<MidiProgramCategory*>(ptr));
    case effHasMidiProgramsChanged:
        return asBool(hasMidiProgramsChanged(index));
    case effGetMidiKeyName:
        return asBool(getMidiKeyName(index, static_cast<MidiKeyName*>(ptr)));
    case effBeginSetProgram:
        return asBool(beginSetProgram());
    case effEndSetProgram:
        return asBool(endSetProgram());
    case effGetSpeakerArrangement:
        return asBool(getSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement**>(value),
                                            static_cast<VstSpeakerArrangement**>(ptr)));
    case effShellGetNextPlugin:
        return getNextShellPlugin(static_cast<char*>(ptr));
    case effStartProcess:
        return startProcess();
    case effStopProcess:
        return stopProcess();
    case effSetTotalSampleToProcess:
        return setTotalSampleToProcess(static_cast<VstInt32>(value));
    case effSetPanLaw:
        return asBool(setPanLaw(static_cast<VstInt32>(value), opt));
    case effBeginLoadBank:
        return beginLoadBank(static_cast<VstPatchChunkInfo*>(ptr));
    case effBeginLoadProgram:
        return beginLoadProgram(static_cast<VstPatchChunkInfo*>(ptr));
    case effSetProcessPrecision:
        return asBool(setProcessPrecision(static_cast<VstInt32>(value)));
    case effGetNumMidiInputChannels:
        return getNumMidiInputChannels();
    case effGetNumMidiOutputChannels:
        return getNumMidiOutputChannels();
    default:
        break;
    }
    return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
}

void AudioEffectX::resume() {
    if ((cEffect.flags & effFlagsIsSynth) || canDo(const_cast<char*>("receiveVstMidiEvent")) == 1)
        __wantEventsDeprecated(1);
}

VstPlugCategory AudioEffectX::getPlugCategory() {
    return (cEffect.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}

bool AudioEffectX::getSpeakerArrangement(VstSpeakerArrangement** input,
                                         VstSpeakerArrangement** output) {
    if (input) *input = nullptr;
    if (output) *output = nullptr;
    return false;
}

// ---------------------------------------------------------------------------------------------
// Host requests

bool AudioEffectX::beginEdit(VstInt32 index) {
    return callHost(audioMasterBeginEdit, index, 0, nullptr, 0, 0) != 0;
}
bool AudioEffectX::endEdit(VstInt32 index) {
    return callHost(audioMasterEndEdit, index, 0, nullptr, 0, 0) != 0;
}
bool AudioEffectX::ioChanged() {
    return callHost(audioMasterIOChanged, 0, 0, nullptr, 0, 0) != 0;
}

double AudioEffectX::updateSampleRate() {
    VstIntPtr answer = callHost(audioMasterGetSampleRate, 0, 0, nullptr, 0, 0);
    if (answer > 0) sampleRate = static_cast<float>(answer);
    return sampleRate;
}

VstInt32 AudioEffectX::updateBlockSize() {
    VstIntPtr answer = callHost(audioMasterGetBlockSize, 0, 0, nullptr, 0, 0);
    if (answer > 0) blockSize = static_cast<VstInt32>(answer);
    return blockSize;
}

VstInt32 AudioEffectX::getInputLatency() {
    return static_cast<VstInt32>(callHost(audioMasterGetInputLatency, 0, 0, nullptr, 0, 0));
}
VstInt32 AudioEffectX::getOutputLatency() {
    return static_cast<VstInt32>(callHost(audioMasterGetOutputLatency, 0, 0, nullptr, 0, 0));
}

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 filter) {
    return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter, nullptr, 0, 0));
}

bool AudioEffectX::sendVstEventsToHost(VstEvents* events) {
    return callHost(audioMasterProcessEvents, 0, 0, events, 0, 0) == 1;
}

VstInt32 AudioEffectX::getCurrentProcessLevel() {
    return static_cast<VstInt32>(callHost(audioMasterGetCurrentProcessLevel, 0, 0, nullptr, 0, 0));
}
VstInt32 AudioEffectX::getAutomationState() {
    return static_cast<VstInt32>(callHost(audioMasterGetAutomationState, 0, 0, nullptr, 0, 0));
}

bool AudioEffectX::getHostVendorString(char* text) {
    return callHost(audioMasterGetVendorString, 0, 0, text, 0, 0) != 0;
}
bool AudioEffectX::getHostProductString(char* text) {
    return callHost(audioMasterGetProductString, 0, 0, text, 0, 0) != 0;
}
VstInt32 AudioEffectX::getHostVendorVersion() {
    return static_cast<VstInt32>(callHost(audioMasterGetVendorVersion, 0, 0, nullptr, 0, 0));
}
VstIntPtr AudioEffectX::hostVendorSpecific(VstInt32 lArg1, VstIntPtr lArg2, void* ptrArg,
                                           float floatArg) {
    return callHost(audioMasterVendorSpecific, lArg1, lArg2, ptrArg, floatArg, 0);
}
VstInt32 AudioEffectX::canHostDo(char* text) {
    return callHost(audioMasterCanDo, 0, 0, text, 0, 0) != 0 ? 1 : 0;
}
VstInt32 AudioEffectX::getHostLanguage() {
    return static_cast<VstInt32>(callHost(audioMasterGetLanguage, 0, 0, nullptr, 0, 0));
}
void* AudioEffectX::getDirectory() {
    return reinterpret_cast<void*>(callHost(audioMasterGetDirectory, 0, 0, nullptr, 0, 0));
}
bool AudioEffectX::updateDisplay() {
    return callHost(audioMasterUpdateDisplay, 0, 0, nullptr, 0, 0) != 0;
}
bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height) {
    return callHost(audioMasterSizeWindow, width, height, nullptr, 0, 0) != 0;
}
bool AudioEffectX::openFileSelector(VstFileSelect* select) {
    return select && callHost(audioMasterOpenFileSelector, 0, 0, select, 0, 0) != 0;
}
bool AudioEffectX::closeFileSelector(VstFileSelect* select) {
    return select && callHost(audioMasterCloseFileSelector, 0, 0, select, 0, 0) != 0;
}
bool AudioEffectX::offlineRead(VstOfflineTask* offline, VstOfflineOption option, bool readSource) {
    return callHost(audioMasterOfflineRead, readSource ? 1 : 0, option, offline, 0, 0) != 0;
}
bool AudioEffectX::offlineWrite(VstOfflineTask* offline, VstOfflineOption option) {
    return callHost(audioMasterOfflineWrite, 0, option, offline, 0, 0) != 0;
}
bool AudioEffectX::offlineStart(VstAudioFile* ptr, VstInt32 numAudioFiles,
                                VstInt32 numNewAudioFiles) {
    return callHost(audioMasterOfflineStart, numNewAudioFiles, numAudioFiles, ptr, 0, 0) != 0;
}
VstInt32 AudioEffectX::offlineGetCurrentPass() {
    return callHost(audioMasterOfflineGetCurrentPass, 0, 0, nullptr, 0, 0) != 0 ? 1 : 0;
}
VstInt32 AudioEffectX::offlineGetCurrentMetaPass() {
    return callHost(audioMasterOfflineGetCurrentMetaPass, 0, 0, nullptr, 0, 0) != 0 ? 1 : 0;
}

VstInt32 AudioEffectX::__wantEventsDeprecated(VstInt32 filter) {
    return static_cast<VstInt32>(callHost(audioMasterWantMidi, 0, filter, nullptr, 0, 0));
}
VstInt32 AudioEffectX::__tempoAtDeprecated(VstInt32 position) {
    return static_cast<VstInt32>(callHost(audioMasterTempoAt, 0, position, nullptr, 0, 0));
}
VstInt32 AudioEffectX::__getNumAutomatableParametersDeprecated() {
    return static_cast<VstInt32>(
        callHost(audioMasterGetNumAutomatableParameters, 0, 0, nullptr, 0, 0));
}
VstInt32 AudioEffectX::__getParameterQuantizationDeprecated() {
    return static_cast<VstInt32>(
        callHost(audioMasterGetParameterQuantization, 0, 0, nullptr, 0, 0));
}
bool AudioEffectX::__needIdleDeprecated() {
    return callHost(audioMasterNeedIdle, 0, 0, nullptr, 0, 0) != 0;
}
AEffect* AudioEffectX::__getPreviousPlugDeprecated(VstInt32) {
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetPreviousPlug, 0, 0, nullptr, 0, 0));
}
AEffect* AudioEffectX::__getNextPlugDeprecated(VstInt32) {
    return reinterpret_cast<AEffect*>(callHost(audioMasterGetNextPlug, 0, 0, nullptr, 0, 0));
}
VstInt32 AudioEffectX::__willProcessReplacingDeprecated() {
    return static_cast<VstInt32>(callHost(audioMasterWillReplaceOrAccumulate, 0, 0, nullptr, 0, 0));
}
void AudioEffectX::__setOutputSamplerateDeprecated(float samplerate) {
    callHost(audioMasterSetOutputSampleRate, 0, 0, nullptr, samplerate, 0);
}
VstSpeakerArrangement* AudioEffectX::__getInputSpeakerArrangementDeprecated() {
    return reinterpret_cast<VstSpeakerArrangement*>(
        callHost(audioMasterGetInputSpeakerArrangement, 0, 0, nullptr, 0, 0));
}
VstSpeakerArrangement* AudioEffectX::__getOutputSpeakerArrangementDeprecated() {
    return reinterpret_cast<VstSpeakerArrangement*>(
        callHost(audioMasterGetOutputSpeakerArrangement, 0, 0, nullptr, 0, 0));
}
void* AudioEffectX::__openWindowDeprecated(__VstWindowDeprecated* window) {
    return reinterpret_cast<void*>(callHost(audioMasterOpenWindow, 0, 0, window, 0, 0));
}
bool AudioEffectX::__closeWindowDeprecated(__VstWindowDeprecated* window) {
    return callHost(audioMasterCloseWindow, 0, 0, window, 0, 0) != 0;
}
bool AudioEffectX::__getChunkFileDeprecated(void* nativePath) {
    return nativePath && callHost(audioMasterGetChunkFile, 0, 0, nativePath, 0, 0) != 0;
}

// ---------------------------------------------------------------------------------------------
// Speaker arrangements: an 8-byte header followed by one speaker record per channel.

namespace {
constexpr size_t kArrangementHeader = 2 * sizeof(VstInt32);
}

bool AudioEffectX::allocateArrangement(VstSpeakerArrangement** arrangement, VstInt32 channels) {
    if (!arrangement) return false;
    if (*arrangement) {
        std::free(*arrangement);
        *arrangement = nullptr;
    }
    if (channels < 0) return false; // no block can hold a negative count
    const size_t size = kArrangementHeader + sizeof(VstSpeakerProperties) * size_t(channels);
    void* block = std::calloc(1, size);
    if (!block) return false;
    *arrangement = static_cast<VstSpeakerArrangement*>(block);
    (*arrangement)->numChannels = channels;
    return true;
}

bool AudioEffectX::deallocateArrangement(VstSpeakerArrangement** arrangement) {
    if (arrangement && *arrangement) {
        std::free(*arrangement);
        *arrangement = nullptr;
    }
    return true;
}

bool AudioEffectX::copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from) {
    if (!to || !from) return false;
    std::strncpy(to->name, from->name, sizeof(to->name) - 1);
    to->name[sizeof(to->name) - 1] = 0;
    to->type = from->type;
    to->azimuth = from->azimuth;
    to->elevation = from->elevation;
    to->radius = from->radius;
    to->reserved = from->reserved;
    std::memcpy(to->future, from->future, sizeof(to->future));
    return true;
}

bool AudioEffectX::matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from) {
    if (!from || !to) return false;
    deallocateArrangement(to);
    if (!allocateArrangement(to, from->numChannels)) return false;
    (*to)->type = from->type;
    // The blocks hold numChannels records, which may be more than the declared eight.
    VstSpeakerProperties* target = (*to)->speakers;
    VstSpeakerProperties* source = from->speakers;
    for (VstInt32 i = 0; i < from->numChannels; ++i)
        if (!copySpeaker(target + i, source + i)) return false;
    return true;
}
