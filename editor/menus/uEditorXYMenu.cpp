// The XY pads' command menu: what the pad modulates, the modulation display and edit switches,
// resets, copy and swap of the pads, generated path shapes and path transforms, typed
// positions, MIDI controller latching and the ".xyp" preset files.
// User-interface thread; the menu stays open across idle calls.
#include "editor/ueditor.h"

#include "controls/displays/XYTags.h"
#include "editor/menus/MenuAnswers.h"
#include "editor/menus/XYPathShapes.h"
#include "editor/uEditorMenuCommands.h"
#include "engine/APlugin.h"
#include "engine/files/DisplayPresets.h"
#include "engine/params/StringTables.h"
#include "gui/COptionMenu.h"
#include "platform/prefs.h"

#include <string>

namespace {

constexpr int kPathPoints = xypath::kPoints;
// Each pad's five modulation sources: X, X unipolar, Y, Y unipolar, distance.
constexpr int kPadSourceFirst[2] = {68, 73};

constexpr const char* XY_HELP[] = {"-GLeft Click: Change Value",
                                   "-GLeft Click + Control: Show this menu",
                                   "-GLeft Click + Command: Set to Default Values",
                                   "-GLeft Click + Command + Shift: Set to Original Values",
                                   "-GLeft Click + Opt: Set Values",
                                   "-GDouble Click: Set to Default Values",
                                   "-GRight Click: Show This Menu"};

const char* const SHAPE_TITLES[] = {
    "Set to Circle",        "Set to Square",    "Set to Horizontal Line", "Set to Vertical Line",
    "Set to Diagonal Line", "Set to Spiral In", "Set to Spiral Out",      "Set to Lissajous Curve"};

xypath::Path readPath(APlugin& e, int pad) {
    xypath::Path p;
    for (int i = 0; i < kPathPoints; ++i) {
        p.x[i] = 2.0f * e.getParameter(xytags::pathX(pad, i)) - 1.0f;
        p.y[i] = 2.0f * e.getParameter(xytags::pathY(pad, i)) - 1.0f;
    }
    return p;
}

void writePath(APlugin& e, int pad, const xypath::Path& p) {
    for (int i = 0; i < kPathPoints; ++i) e.setXYPath(pad, i, p.x[i], p.y[i]);
}

// The shape's numbers asked for in turn; false when one of the boxes was cancelled.
bool askShape(xypath::Shape shape, double& a, double& b, double& c) {
    using menuanswers::askFloat;
    switch (shape) {
    case xypath::Shape::Diagonal:
        return askFloat("Angle to rotate (0 to 360 deg)", "XY Diagonal Line", "45", a);
    case xypath::Shape::SpiralIn:
    case xypath::Shape::SpiralOut:
        return askFloat("Turns of Spiral", "XY Spiral", "4.0", b);
    case xypath::Shape::Lissajous:
        return askFloat("X Multiply", "Amount", "1.0", a) &&
               askFloat("Y Multiply", "Amount", "4.0", b) &&
               askFloat("Y Angle", "Angle (0 to 360)", "0.0", c);
    default:
        return true;
    }
}

} // namespace

void uEditor::setXYPoint(int pad, int point) {
    selectedXYPoint[pad & 1] = point >= -1 && point < kPathPoints ? point : -1;
}

void uEditor::setXY(int pad, float x, float y) {
    APlugin* e = getEngine();
    if (!e || (pad != 0 && pad != 1)) return;
    e->setParameter(xytags::posX(pad), x);
    e->setParameter(xytags::posY(pad), y);
    e->setChangedXY(pad, true);
}

void uEditor::showXYMenu(int pad) {
    if (!canShowCommandMenu() || (pad != 0 && pad != 1)) return;
    serveClearUndos();
    APlugin* e = getEngine();
    const int own = xytags::kPadSection[pad], other = xytags::kPadSection[1 - pad];
    const int all = xytags::kAllXYSection;
    const int xTag = xytags::posX(pad), yTag = xytags::posY(pad);
    const int editTag = xytags::padTag(tag::Xy1EditOn, pad);

    CommandMenu m;
    m.add(pad == 0 ? "-GXY 1 Command Menu" : "-GXY 2 Command Menu");
    VSTGUI::COptionMenu* info = m.addSubmenu("XY Display Information");
    for (const char* line : XY_HELP) m.add(line, {}, info);
    bool any = false;
    for (int s = 0; s < 16; ++s) {
        const int src = e->getModSrcBySlot(s);
        if (src < kPadSourceFirst[pad] || src >= kPadSourceFirst[pad] + 5) continue;
        m.add("-GModulates: " + getDestMenuStr(e->getModDestBySlot(s), false));
        any = true;
    }
    if (!any) m.add("-GDoesn't modulate anything");
    m.add("-GShow XY Modulation");
    m.add(xyModOn ? "Show XY Modulation: On" : "Show XY Modulation: Off",
          [this] { xyModOn = !xyModOn; });
    m.add("-");
    m.add("-");
    // The edit switch turns before the undo snapshot, so the snapshot already holds it.
    const bool editOn = e->getOnOff(editTag);
    m.add(editOn ? "Edit Positions: On" : "Edit Positions: Off");
    const int editEntry = m.getRoot()->getNbEntries() - 1;
    m.add("-");
    m.add("Reset Selected XY", [this, own] { resetSection(own); });
    m.add("Reset All XYs", [this, all] { resetSection(all); });
    m.add("Reset Selected XY to Original Settings", [this, own] { setSectionToOrig(own); });
    m.add("Reset All XYs to their Original Settings", [this, all] { setSectionToOrig(all); });
    m.add("Reset Position", [e, pad, xTag, yTag] {
        e->setParameter(xTag, 0.5f);
        e->setParameter(yTag, 0.5f);
        e->setChangedXY(pad, true);
    });
    m.add("Copy XY to Other", [this, own, other] { copySections(own, other); });
    m.add("Swap XY with Other", [this, own, other] { swapSections(own, other); });
    m.add("Copy All XYs", [this, all] { copySection(all); });
    addPasteEntry(m, "Paste All XYs", all);
    m.add("-");
    VSTGUI::COptionMenu* presets = m.addSubmenu("Presets");
    for (int k = 0; k < 8; ++k)
        m.add(
            SHAPE_TITLES[k],
            [e, pad, k] {
                const auto shape = static_cast<xypath::Shape>(k);
                double a = 0.0, b = 0.0, c = 0.0;
                if (!askShape(shape, a, b, c)) return;
                writePath(*e, pad, xypath::makeShape(shape, a, b, c));
                e->setZeroTime(pad);
            },
            presets);
    // Transforms: each computes every new point from the path as it was before the command.
    auto transform = [e, pad](auto make) {
        return [e, pad, make] {
            xypath::Path result;
            if (make(readPath(*e, pad), result)) writePath(*e, pad, result);
        };
    };
    using P = const xypath::Path&;
    using R = xypath::Path&;
    m.add("Reverse", transform([](P p, R r) { return r = xypath::reversed(p), true; }));
    m.add("Flip Around Horizontally Axis",
          transform([](P p, R r) { return r = xypath::flippedVertically(p), true; }));
    m.add("Flip Around Vertically Axis",
          transform([](P p, R r) { return r = xypath::flippedHorizontally(p), true; }));
    m.add("Move XY Start", transform([](P p, R r) {
              int n = 0;
              if (!menuanswers::askInt("Move XY Position (-100 to 100%)", "XY Rotation", "0", n))
                  return false;
              return r = xypath::startMoved(p, n), true;
          }));
    m.add("Rotate", transform([](P p, R r) {
              int n = 0;
              if (!menuanswers::askInt("Angle to rotate (0 to 360 deg)", "XY Rotation", "0", n))
                  return false;
              return r = xypath::rotated(p, n), true;
          }));
    m.add("Snap to grid", transform([](P p, R r) {
              int n = 0;
              if (!menuanswers::askInt("Grid size (0 for no grid)", "XY Grid", "0", n))
                  return false;
              return r = xypath::snapped(p, n), true;
          }));
    m.add("Smooth", transform([](P p, R r) { return r = xypath::smoothed(p), true; }));
    m.add("Scale X and Y", transform([](P p, R r) {
              int n = 0;
              if (!menuanswers::askInt("Scale amount in %", "XY Scaling", "100", n)) return false;
              return r = xypath::scaled(p, menuanswers::clampInt(n, -100000, 100000)), true;
          }));
    // With a point picked in the display these ask for that point, else for the pad position.
    const int point = selectedXYPoint[pad];
    const int setX = point >= 0 ? xytags::pathX(pad, point) : xTag;
    const int setY = point >= 0 ? xytags::pathY(pad, point) : yTag;
    m.add("Set X", [this, setX] { typeValue(setX); });
    m.add("Set Y", [this, setY] { typeValue(setY); });
    m.add("Set X and Y", [this, setX, setY] {
        typeValue(setX);
        typeValue(setY);
    });
    m.add("-");
    int ccX = -1, ccY = -1;
    for (int n = 0; n < 128; ++n) {
        if (getMIDICC(n) == xTag) ccX = n;
        if (getMIDICC(n) == yTag) ccY = n;
    }
    m.add((ccX >= 0 ? "-GX Latched to CC " + std::to_string(ccX) : std::string("-GX Not Latched")) +
          ", " + (ccY >= 0 ? "Y Latched to CC " + std::to_string(ccY) : "Y Not Latched"));
    if (e->getXYRecordMode(pad) == 0) {
        m.add("-");
        m.add("Latch X To MIDI", [e, xTag] { e->setMIDILatch(xTag, true); });
        m.add("Latch Y To MIDI", [e, yTag] { e->setMIDILatch(yTag, true); });
        // As the knobs' "Set MIDI CC": the controller number is asked for and mapped.
        m.add("Set X MIDI CC", [e, xTag] { e->setMIDICCNum(xTag); });
        m.add("Set Y MIDI CC", [e, yTag] { e->setMIDICCNum(yTag); });
        m.add("Unlatch X/Y MIDI", [e, xTag, yTag] {
            e->setMIDILatch(xTag, false);
            e->setMIDILatch(yTag, false);
        });
    }
    m.add("-");
    const SectionModel& model = getSectionModel();
    int tags[zekfiles::kXYPreset.count];
    for (int i = 0; i < zekfiles::kXYPreset.count; ++i) tags[i] = model.getTag(own, i);
    m.add("Load XY Preset", [this, tags] {
        loadDisplayPresetFile(zekfiles::kXYPreset, "Load XY Preset", kFolderXY, "*.xyp", tags);
    });
    m.add("Save XY Preset", [this, tags] {
        saveDisplayPresetFile(zekfiles::kXYPreset, "Save XY Preset", kFolderXY, "*Path.xyp", tags);
    });
    m.add("-");
    addUndoEntry(m, all);

    m.popup(frame, [this, e, all, editTag, editOn, root = m.getRoot(),
                    editEntry](const CommandMenu::Choice& c) {
        const bool editChosen = c.menu == root && c.index == editEntry;
        runAsking([this, e, all, editTag, editOn, editChosen, isUndo = c.undo, action = c.action] {
            if (editChosen)
                userEdit(editTag, [&] { editOn ? e->setOff(editTag) : e->setOn(editTag); });
            if (!isUndo) setSectionUndo(all);
            // A path command moves many points at once: the host re-reads them.
            if (action) hostDisplayIfOthersMoved(editsTold(action), -1);
            saveBoolToPrefs(REG_SHOW_XY_MOD_STR, xyModOn);
            finishCommandMenu();
        });
    });
}
