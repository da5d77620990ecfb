// The VST 2.x side of the plug-in interface: opcodes 25 to 79, the 2.x host requests, default
// answers for every 2.x query and the speaker-arrangement helpers. No state of its own.
#pragma once

#include "vst2/AudioEffect.h"

class AudioEffectX : public AudioEffect {
public:
    AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
        : AudioEffect(audioMaster, numPrograms, numParams) {}

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                         float opt) override;
    void resume() override;

    virtual bool canParameterBeAutomated(VstInt32) { return true; }
    virtual bool string2parameter(VstInt32, char*) { return false; }
    virtual bool getParameterProperties(VstInt32, VstParameterProperties*) { return false; }
    virtual bool beginEdit(VstInt32 index);
    virtual bool endEdit(VstInt32 index);
    virtual bool getProgramNameIndexed(VstInt32, VstInt32, char*) { return false; }
    virtual bool beginSetProgram() { return false; }
    virtual bool endSetProgram() { return false; }
    virtual VstInt32 beginLoadBank(VstPatchChunkInfo*) { return 0; }
    virtual VstInt32 beginLoadProgram(VstPatchChunkInfo*) { return 0; }
    virtual bool ioChanged();
    virtual double updateSampleRate();
    virtual VstInt32 updateBlockSize();
    virtual VstInt32 getInputLatency();
    virtual VstInt32 getOutputLatency();
    virtual bool getInputProperties(VstInt32, VstPinProperties*) { return false; }
    virtual bool getOutputProperties(VstInt32, VstPinProperties*) { return false; }
    virtual bool setSpeakerArrangement(VstSpeakerArrangement*, VstSpeakerArrangement*) {
        return false;
    }
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** input,
                                       VstSpeakerArrangement** output);
    virtual bool setBypass(bool) { return false; }
    virtual bool setPanLaw(VstInt32, float) { return false; }
    virtual bool setProcessPrecision(VstInt32) { return false; }
    virtual VstInt32 getNumMidiInputChannels() { return 0; }
    virtual VstInt32 getNumMidiOutputChannels() { return 0; }
    virtual VstTimeInfo* getTimeInfo(VstInt32 filter);
    // MIDI out: true only when the host answers exactly 1.
    virtual bool sendVstEventsToHost(VstEvents* events);
    virtual VstInt32 getCurrentProcessLevel();
    virtual VstInt32 getAutomationState();
    virtual VstInt32 processEvents(VstEvents*) { return 0; }
    virtual VstInt32 startProcess() { return 0; }
    virtual VstInt32 stopProcess() { return 0; }
    virtual bool processVariableIo(VstVariableIo*) { return false; }
    virtual VstInt32 setTotalSampleToProcess(VstInt32 value) { return value; }
    virtual bool getHostVendorString(char* text);
    virtual bool getHostProductString(char* text);
    virtual VstInt32 getHostVendorVersion();
    virtual VstIntPtr hostVendorSpecific(VstInt32 lArg1, VstIntPtr lArg2, void* ptrArg,
                                         float floatArg);
    virtual VstInt32 canHostDo(char* text);
    virtual VstInt32 getHostLanguage();
    virtual void isSynth(bool state = true) { setFlag(effFlagsIsSynth, state); }
    virtual void noTail(bool state = true) { setFlag(effFlagsNoSoundInStop, state); }
    virtual VstInt32 getGetTailSize() { return 0; }
    virtual void* getDirectory();
    virtual bool getEffectName(char*) { return false; }
    virtual bool getVendorString(char*) { return false; }
    virtual bool getProductString(char*) { return false; }
    virtual VstInt32 getVendorVersion() { return 0; }
    virtual VstIntPtr vendorSpecific(VstInt32, VstIntPtr, void*, float) { return 0; }
    virtual VstInt32 canDo(char*) { return 0; }
    virtual VstInt32 getVstVersion() { return 2400; }
    virtual VstPlugCategory getPlugCategory();
    virtual VstInt32 getMidiProgramName(VstInt32, MidiProgramName*) { return 0; }
    virtual VstInt32 getCurrentMidiProgram(VstInt32, MidiProgramName*) { return -1; }
    virtual VstInt32 getMidiProgramCategory(VstInt32, MidiProgramCategory*) { return 0; }
    virtual bool hasMidiProgramsChanged(VstInt32) { return false; }
    virtual bool getMidiKeyName(VstInt32, MidiKeyName*) { return false; }
    virtual bool updateDisplay();
    virtual bool sizeWindow(VstInt32 width, VstInt32 height);
    virtual bool openFileSelector(VstFileSelect* select);
    virtual bool closeFileSelector(VstFileSelect* select);
    virtual VstInt32 getNextShellPlugin(char*) { return 0; }
    virtual bool allocateArrangement(VstSpeakerArrangement** arrangement, VstInt32 channels);
    virtual bool deallocateArrangement(VstSpeakerArrangement** arrangement);
    virtual bool copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from);
    virtual bool matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from);
    virtual bool offlineRead(VstOfflineTask* offline, VstOfflineOption option,
                             bool readSource = true);
    virtual bool offlineWrite(VstOfflineTask* offline, VstOfflineOption option);
    virtual bool offlineStart(VstAudioFile* ptr, VstInt32 numAudioFiles, VstInt32 numNewAudioFiles);
    virtual VstInt32 offlineGetCurrentPass();
    virtual VstInt32 offlineGetCurrentMetaPass();
    virtual bool offlineNotify(VstAudioFile*, VstInt32, bool) { return false; }
    virtual bool offlinePrepare(VstOfflineTask*, VstInt32) { return false; }
    virtual bool offlineRun(VstOfflineTask*, VstInt32) { return false; }
    virtual VstInt32 offlineGetNumPasses() { return 0; }
    virtual VstInt32 offlineGetNumMetaPasses() { return 0; }

    virtual VstInt32 __wantEventsDeprecated(VstInt32 filter = 1);
    virtual VstInt32 __tempoAtDeprecated(VstInt32 position);
    virtual VstInt32 __getNumAutomatableParametersDeprecated();
    virtual VstInt32 __getParameterQuantizationDeprecated();
    virtual VstInt32 __getNumCategoriesDeprecated() { return 1; }
    virtual bool __copyProgramDeprecated(VstInt32) { return false; }
    virtual bool __needIdleDeprecated();
    virtual AEffect* __getPreviousPlugDeprecated(VstInt32 input);
    virtual AEffect* __getNextPlugDeprecated(VstInt32 output);
    virtual void __inputConnectedDeprecated(VstInt32, bool) {}
    virtual void __outputConnectedDeprecated(VstInt32, bool) {}
    virtual VstInt32 __willProcessReplacingDeprecated();
    virtual void __wantAsyncOperationDeprecated(bool state = true) {
        setFlag(effFlagsExtIsAsync, state);
    }
    virtual void __hasExternalBufferDeprecated(bool state = true) {
        setFlag(effFlagsExtHasBuffer, state);
    }
    virtual VstInt32 __reportCurrentPositionDeprecated() { return 0; }
    virtual float* __reportDestinationBufferDeprecated() { return nullptr; }
    virtual void __setOutputSamplerateDeprecated(float samplerate);
    virtual VstSpeakerArrangement* __getInputSpeakerArrangementDeprecated();
    virtual VstSpeakerArrangement* __getOutputSpeakerArrangementDeprecated();
    virtual void* __openWindowDeprecated(__VstWindowDeprecated* window);
    virtual bool __closeWindowDeprecated(__VstWindowDeprecated* window);
    virtual void __setBlockSizeAndSampleRateDeprecated(VstInt32 size, float rate) {
        blockSize = size;
        sampleRate = rate;
    }
    virtual bool __getErrorTextDeprecated(char*) { return false; }
    virtual void* __getIconDeprecated() { return nullptr; }
    virtual bool __setViewPositionDeprecated(VstInt32, VstInt32) { return false; }
    virtual VstInt32 __fxIdleDeprecated() { return 0; }
    virtual bool __keysRequiredDeprecated() { return false; }
    virtual bool __getChunkFileDeprecated(void* nativePath);
};
