// What an own control asks of the editor that holds it (`ControlEditor`) and, through it, of the
// sound (`ControlSound`, and `DisplaySound` for the displays). The editor implements both and
// creates the controls, so the arrow runs one way: a control knows these two interfaces and the
// view layer, never the editor or the engine, and a test drives one against a small fake.
// User-interface thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace VSTGUI {
class CBitmap;
class CControl;
} // namespace VSTGUI

// The parameter values and the display data of the sound, as the controls read and write them.
class ControlSound {
public:
    virtual ~ControlSound() = default;

    // Values of the parameter tags, 0..1.
    virtual float getParameter(int tag) = 0;
    virtual void setParameter(int tag, float value) = 0;
    virtual void setParameterAutomated(int tag, float value) = 0;
    virtual void automateCurrentValue(int tag) = 0;
    virtual float getDefaultValue(int tag) const = 0;
    // The value as the program was loaded.
    virtual float getOrigValue(int tag) const = 0;
    virtual void setToDefault(int tag) = 0;
    virtual void setToOrig(int tag) = 0;
    virtual void toggleValue(int tag) = 0;
    virtual bool getOnOff(int tag) const = 0;
    virtual int getSteppedValue(int tag) const = 0;
    virtual void setSteppedValue(int tag, int index) = 0;
    virtual void setSteppedValueMax(int tag) = 0;
    // A step of a stepped or continuous value (arrow clicks, the wheel).
    virtual void changeDelta(int tag, int delta, bool fine, float scale) = 0;
    virtual std::string getParameterDisplayStr(int tag) = 0;
    // Values that a locked section keeps apart from the program's.
    virtual float getLockVar(int tag) const = 0;
    virtual bool getLockVarOnOff(int tag) const = 0;
    virtual void setLockVar(int tag, float value) = 0;
    // True while the audio thread renders (the displays animate then).
    virtual bool getRenderRunning() const = 0;

    // The pitch ribbon's spring back to rest.
    virtual int getRibbonQuant() const = 0;
    virtual int getRibbonSpringTime() const = 0;
    virtual bool isRibbonSpringGliding() const = 0;
    virtual void setRibbonSpringOn() = 0;
    virtual void setRibbbonSpringOff() = 0;
};

// What the displays (modulation matrix, arpeggiator, paths, user waves, XY pads) read and
// write of the sound beyond the values.
class DisplaySound : public ControlSound {
public:
    // The modulation matrix.
    virtual int getDestTypeForSlot(int slot) const = 0;
    virtual bool getModBypass(int slot) const = 0;
    virtual int getShownNotesPlaying() const = 0;

    // The arpeggiator pattern display.
    virtual int getArpSeq() const = 0;
    virtual int getArpLoopMode() const = 0;
    virtual int getArpTiedMode() const = 0;
    virtual bool getArpOrPlayLocked() const = 0;
    virtual int getShownArpNumOfSteps(int pattern) const = 0;
    virtual int getShownArpLoopStart(int pattern) const = 0;

    // The oscillator and effect paths.
    virtual int getPathEntry(int position, int path) = 0;
    virtual int changePathDelta(int position, int direction, int path) = 0;
    virtual void swapPath(int from, int to, int path) = 0;

    // The user waves: drawn shape and partials.
    virtual float getUserWaveTableValue(int wave, float phase) const = 0;
    virtual float getWaveTablePartialsAmp(int wave, int partial) const = 0;
    virtual float getWaveTablePartialsPhase(int wave, int partial) const = 0;
    virtual void setWaveTablePartials(int wave, int partial, float value, bool phase) = 0;
    virtual void updatePartials(int wave) = 0;
    virtual void createUserWaveTable(int wave) = 0;
    virtual void createBaseUserTableFromPartials(int wave) = 0;
    virtual void setUserPreview(int wave, bool on) = 0;

    // The XY pads: position, recording and what the pads follow.
    virtual void startXYRecord(int pad) = 0;
    virtual void setXYRecord(int pad, float x, float y) = 0;
    virtual void endXYRecord(int pad) = 0;
    virtual void setXY(int pad, float x, float y) = 0;
    virtual void getXYValue(int pad, float& x, float& y) const = 0;
    virtual bool getXYModVal(int pad, float& x, float& y) const = 0;
    virtual int getXYPlayMode(int pad) const = 0;
    virtual int getXYLoopMode(int pad) const = 0;
    virtual int getXYRecordMode(int pad) const = 0;
    virtual bool getXYEdit(int pad) const = 0;
    virtual void getXYEditor(int pad, float& x, float& y) const = 0;
    virtual bool getXChanged(int pad) = 0;
    virtual bool getYChanged(int pad) = 0;
    virtual bool getXYMidiChange(int pad) = 0;
    virtual bool getUpdateXY(int pad) const = 0;
    virtual void setUpdateXY(int pad, bool update) = 0;
    virtual void updateMIDIXY(int pad) = 0;
};

// The editor as its controls see it: looks, edits the host hears of, undo points and menus.
class ControlEditor {
public:
    // The tag of a control that stands for no parameter.
    static constexpr int kNoTag = 9999;

    virtual ~ControlEditor() = default;

    // The sound the controls show; null when the editor has none. The displays find their
    // data in it when it is a `DisplaySound`.
    virtual ControlSound* getSound() = 0;

    // Looks: no control draws before the editor has finished opening.
    virtual bool getEditorFinishedOpening() const = 0;
    // Screen size index 0..3 (100, 125, 150, 200 percent).
    virtual int getBig() const = 0;
    virtual bool getAnimation() const = 0;
    virtual VSTGUI::CBitmap* getSkinBitmap(int id) const = 0;

    // Edit brackets to the host, for parameter tags; brackets of one tag nest.
    virtual void beginEdit(int32_t tag) = 0;
    virtual void endEdit(int32_t tag) = 0;
    virtual bool isEditOpen(int32_t tag) const = 0;
    // The open bracket of `tag` outlives the mouse release (the ribbon's glide to rest).
    virtual void keepEditPastRelease(int32_t tag) = 0;
    // One user edit: runs `write` and tells the host of every parameter it moved.
    virtual void userEdit(int tag, const std::function<void()>& write) = 0;
    // A stroke over a display, from its press to its release, that writes values as it goes:
    // the press names the tags it may write, the release tells the host each that moved.
    virtual void beginStroke(const std::vector<int>& tags) = 0;
    virtual void endStroke() = 0;
    // Typed entry of a parameter's value; the answer arrives later as an edit of its own.
    virtual void typeValue(int tag) = 0;
    // The host re-reads every parameter's value and name at the next idle call.
    virtual void requestHostDisplay() = 0;

    // Dragging a knob onto the modulation matrix.
    virtual bool getDragAndDrop() const = 0;
    virtual void setDropTag(int tag) = 0;
    virtual void releasedDropDial() = 0;

    // Undo points and section commands, by section number.
    virtual void setSectionUndo(int section) = 0;
    virtual void setSectionToOrig(int section) = 0;
    virtual void resetSection(int section) = 0;
    virtual void addWaveUndo() = 0;

    // Menus and selections the controls open.
    virtual void showMIDIMenu(VSTGUI::CControl* control, bool slider) = 0;
    // The menu of a menu button, by its row (`menuButtonTarget`).
    virtual void showButtonMenu(int row) = 0;
    virtual void showXYMenu(int pad) = 0;
    virtual void showWaveMenu(int osc) = 0;
    virtual void showPathMenu(int section, int unit) = 0;
    virtual void showModMenu(int slot) = 0;
    virtual void showGaterMenu() = 0;
    virtual void showEQMenu() = 0;
    virtual void showArpMenu(int row, int step, bool onCell) = 0;
    virtual void setXYPoint(int pad, int point) = 0;
    virtual void setPathSelected(int path, int position) = 0;
    virtual std::string getDestMenuStr(int dest, bool shortText) = 0;
    // Program stepping through the built-in bank.
    virtual void changeProgramDelta(int delta, bool unused) = 0;
};
