// The engine as the controls and displays see it: each call of their sound interfaces goes to
// the engine's call of the same name. User-interface thread.
#include "editor/EngineSound.h"

#include "engine/APlugin.h"

namespace {

class EngineSound final : public DisplaySound {
public:
    explicit EngineSound(APlugin& e) : engine(e) {}

    float getParameter(int tag) override { return engine.getParameter(tag); }
    void setParameter(int tag, float value) override { engine.setParameter(tag, value); }
    void setParameterAutomated(int tag, float value) override {
        engine.setParameterAutomated(tag, value);
    }
    void automateCurrentValue(int tag) override { engine.automateCurrentValue(tag); }
    float getDefaultValue(int tag) const override { return engine.getDefaultValue(tag); }
    float getOrigValue(int tag) const override { return engine.getOrigValue(tag); }
    void setToDefault(int tag) override { engine.setToDefault(tag); }
    void setToOrig(int tag) override { engine.setToOrig(tag); }
    void toggleValue(int tag) override { engine.toggleValue(tag); }
    bool getOnOff(int tag) const override { return engine.getOnOff(tag); }
    int getSteppedValue(int tag) const override { return engine.getSteppedValue(tag); }
    void setSteppedValue(int tag, int index) override { engine.setSteppedValue(tag, index); }
    void setSteppedValueMax(int tag) override { engine.setSteppedValueMax(tag); }
    void changeDelta(int tag, int delta, bool fine, float scale) override {
        engine.changeDelta(tag, delta, fine, scale);
    }
    std::string getParameterDisplayStr(int tag) override {
        return engine.getParameterDisplayStr(tag);
    }
    float getLockVar(int tag) const override { return engine.getLockVar(tag); }
    bool getLockVarOnOff(int tag) const override { return engine.getLockVarOnOff(tag); }
    void setLockVar(int tag, float value) override { engine.setLockVar(tag, value); }
    bool getRenderRunning() const override { return engine.getRenderRunning(); }

    int getRibbonQuant() const override { return engine.getRibbonQuant(); }
    int getRibbonSpringTime() const override { return engine.getRibbonSpringTime(); }
    bool isRibbonSpringGliding() const override { return engine.isRibbonSpringGliding(); }
    void setRibbonSpringOn() override { engine.setRibbonSpringOn(); }
    void setRibbbonSpringOff() override { engine.setRibbbonSpringOff(); }

    int getDestTypeForSlot(int slot) const override { return engine.getDestTypeForSlot(slot); }
    bool getModBypass(int slot) const override { return engine.getModBypass(slot); }
    int getShownNotesPlaying() const override { return engine.getShownNotesPlaying(); }

    int getArpSeq() const override { return engine.getArpSeq(); }
    int getArpLoopMode() const override { return engine.getArpLoopMode(); }
    int getArpTiedMode() const override { return engine.getArpTiedMode(); }
    bool getArpOrPlayLocked() const override { return engine.getArpOrPlayLocked(); }
    int getShownArpNumOfSteps(int pattern) const override {
        return engine.getShownArpNumOfSteps(pattern);
    }
    int getShownArpLoopStart(int pattern) const override {
        return engine.getShownArpLoopStart(pattern);
    }

    int getPathEntry(int position, int path) override {
        return engine.getPathEntry(position, path);
    }
    int changePathDelta(int position, int direction, int path) override {
        return engine.changePathDelta(position, direction, path);
    }
    void swapPath(int from, int to, int path) override { engine.swapPath(from, to, path); }

    float getUserWaveTableValue(int wave, float phase) const override {
        return engine.getUserWaveTableValue(wave, phase);
    }
    float getWaveTablePartialsAmp(int wave, int partial) const override {
        return engine.getWaveTablePartialsAmp(wave, partial);
    }
    float getWaveTablePartialsPhase(int wave, int partial) const override {
        return engine.getWaveTablePartialsPhase(wave, partial);
    }
    void setWaveTablePartials(int wave, int partial, float value, bool phase) override {
        engine.setWaveTablePartials(wave, partial, value, phase);
    }
    void updatePartials(int wave) override { engine.updatePartials(wave); }
    void createUserWaveTable(int wave) override { engine.createUserWaveTable(wave); }
    void createBaseUserTableFromPartials(int wave) override {
        engine.createBaseUserTableFromPartials(wave);
    }
    void setUserPreview(int wave, bool on) override { engine.setUserPreview(wave, on); }

    void startXYRecord(int pad) override { engine.startXYRecord(pad); }
    void setXYRecord(int pad, float x, float y) override { engine.setXYRecord(pad, x, y); }
    void endXYRecord(int pad) override { engine.endXYRecord(pad); }
    void setXY(int pad, float x, float y) override { engine.setXY(pad, x, y); }
    void getXYValue(int pad, float& x, float& y) const override { engine.getXYValue(pad, x, y); }
    bool getXYModVal(int pad, float& x, float& y) const override {
        return engine.getXYModVal(pad, x, y);
    }
    int getXYPlayMode(int pad) const override { return engine.getXYPlayMode(pad); }
    int getXYLoopMode(int pad) const override { return engine.getXYLoopMode(pad); }
    int getXYRecordMode(int pad) const override { return engine.getXYRecordMode(pad); }
    bool getXYEdit(int pad) const override { return engine.getXYEdit(pad); }
    void getXYEditor(int pad, float& x, float& y) const override { engine.getXYEditor(pad, x, y); }
    bool getXChanged(int pad) override { return engine.getXChanged(pad); }
    bool getYChanged(int pad) override { return engine.getYChanged(pad); }
    bool getXYMidiChange(int pad) override { return engine.getXYMidiChange(pad); }
    bool getUpdateXY(int pad) const override { return engine.getUpdateXY(pad); }
    void setUpdateXY(int pad, bool update) override { engine.setUpdateXY(pad, update); }
    void updateMIDIXY(int pad) override { engine.updateMIDIXY(pad); }

private:
    APlugin& engine;
};

} // namespace

std::unique_ptr<ControlSound> makeEngineSound(APlugin& engine) {
    return std::make_unique<EngineSound>(engine);
}
