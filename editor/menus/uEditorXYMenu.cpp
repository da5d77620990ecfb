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
constexpr int kPadSources = 5;
constexpr int kPadSourceFirst[2] = {68, 68 + kPadSources};

constexpr const char* XY_HELP[] = {"-GLeft Click: Change Value",
                                   "-GLeft Click + Control: Show this menu",
                                   "-GLeft Click + Command: Set to Default Values",
                                   "-GLeft Click + Command + Shift: Set to Original Values",
                                   "-GLeft Click + Opt: Set Values",
                                   "-GDouble Click: Set to Default Values",
                                   "-GRight Click: Show This Menu"};

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

using Action = CommandMenu::Action;
using P = const xypath::Path&;

// What the menu's commands act on: the pad, its section and the other's, its position tags and
// the tags that "Set X" and "Set Y" ask for (a point picked in the display, else the position).
struct XYScope {
    uEditor* ed;
    APlugin* e;
    int pad, own, other, xTag, yTag, setX, setY;
};
using XYRow = MenuRow<XYScope>;

Action reset(const XYScope& s, int all) {
    return
        [ed = s.ed, section = all ? xytags::kAllXYSection : s.own] { ed->resetSection(section); };
}
Action toOrig(const XYScope& s, int all) {
    return [ed = s.ed, section = all ? xytags::kAllXYSection : s.own] {
        ed->setSectionToOrig(section);
    };
}
Action resetPosition(const XYScope& s, int) {
    return [s] {
        s.e->setParameter(s.xTag, 0.5f);
        s.e->setParameter(s.yTag, 0.5f);
        s.e->setChangedXY(s.pad, true);
    };
}
Action copyToOther(const XYScope& s, int) {
    return [s] { s.ed->copySections(s.own, s.other); };
}
Action swapWithOther(const XYScope& s, int) {
    return [s] { s.ed->swapSections(s.own, s.other); };
}
Action copyAll(const XYScope& s, int) {
    return [ed = s.ed] { ed->copySection(xytags::kAllXYSection); };
}
// A generated path, its numbers asked for first.
Action shape(const XYScope& s, int k) {
    return [e = s.e, pad = s.pad, k] {
        const auto shape = static_cast<xypath::Shape>(k);
        double a = 0.0, b = 0.0, c = 0.0;
        if (!askShape(shape, a, b, c)) return;
        writePath(*e, pad, xypath::makeShape(shape, a, b, c));
        e->setZeroTime(pad);
    };
}
// The typed value of X, Y or both (bit 0 X, bit 1 Y).
Action setTyped(const XYScope& s, int which) {
    return [s, which] {
        if (which & 1) s.ed->typeValue(s.setX);
        if (which & 2) s.ed->typeValue(s.setY);
    };
}
// The position's MIDI controllers: latching (bit 0 X, bit 1 Y, bit 2 on) and mapping.
Action latch(const XYScope& s, int which) {
    return [s, which] {
        if (which & 1) s.e->setMIDILatch(s.xTag, (which & 4) != 0);
        if (which & 2) s.e->setMIDILatch(s.yTag, (which & 4) != 0);
    };
}
Action setCC(const XYScope& s, int y) {
    return [e = s.e, t = y ? s.yTag : s.xTag] { e->setMIDICCNum(t); };
}

constexpr XYRow XY_SECTION_ROWS[] = {
    {"Reset Selected XY", reset, 0},
    {"Reset All XYs", reset, 1},
    {"Reset Selected XY to Original Settings", toOrig, 0},
    {"Reset All XYs to their Original Settings", toOrig, 1},
    {"Reset Position", resetPosition},
    {"Copy XY to Other", copyToOther},
    {"Swap XY with Other", swapWithOther},
    {"Copy All XYs", copyAll},
};
constexpr XYRow XY_SHAPE_ROWS[] = {
    {"Set to Circle", shape, static_cast<int>(xypath::Shape::Circle)},
    {"Set to Square", shape, static_cast<int>(xypath::Shape::Square)},
    {"Set to Horizontal Line", shape, static_cast<int>(xypath::Shape::Horizontal)},
    {"Set to Vertical Line", shape, static_cast<int>(xypath::Shape::Vertical)},
    {"Set to Diagonal Line", shape, static_cast<int>(xypath::Shape::Diagonal)},
    {"Set to Spiral In", shape, static_cast<int>(xypath::Shape::SpiralIn)},
    {"Set to Spiral Out", shape, static_cast<int>(xypath::Shape::SpiralOut)},
    {"Set to Lissajous Curve", shape, static_cast<int>(xypath::Shape::Lissajous)},
};
constexpr XYRow XY_SET_ROWS[] = {
    {"Set X", setTyped, 1},
    {"Set Y", setTyped, 2},
    {"Set X and Y", setTyped, 3},
    {"-"},
};
// Shown only while the pad does not record.
constexpr XYRow XY_MIDI_ROWS[] = {
    {"-"},
    {"Latch X To MIDI", latch, 1 | 4},
    {"Latch Y To MIDI", latch, 2 | 4},
    // As the knobs' "Set MIDI CC": the controller number is asked for and mapped.
    {"Set X MIDI CC", setCC, 0},
    {"Set Y MIDI CC", setCC, 1},
    {"Unlatch X/Y MIDI", latch, 1 | 2},
};

// The transforms: each computes every new point from the path as it was before the command,
// from the whole number asked for first when it has a question (a cancelled one does nothing).
struct TransformRow {
    const char* title;
    xypath::Path (*apply)(P p, int n);
    const char* question = nullptr;
    const char* message = nullptr;
    const char* initial = nullptr;
};
constexpr TransformRow XY_TRANSFORMS[] = {
    {"Reverse", [](P p, int) { return xypath::reversed(p); }},
    {"Flip Around Horizontally Axis", [](P p, int) { return xypath::flippedVertically(p); }},
    {"Flip Around Vertically Axis", [](P p, int) { return xypath::flippedHorizontally(p); }},
    {"Move XY Start", xypath::startMoved, "Move XY Position (-100 to 100%)", "XY Rotation", "0"},
    {"Rotate", xypath::rotated, "Angle to rotate (0 to 360 deg)", "XY Rotation", "0"},
    {"Snap to grid", xypath::snapped, "Grid size (0 for no grid)", "XY Grid", "0"},
    {"Smooth", [](P p, int) { return xypath::smoothed(p); }},
    {"Scale X and Y",
     [](P p, int n) { return xypath::scaled(p, menuanswers::clampInt(n, -100000, 100000)); },
     "Scale amount in %", "XY Scaling", "100"},
};

// The greyed line naming the controllers the pad's position is latched to.
void addLatchLine(CommandMenu& m, int xTag, int yTag) {
    int ccX = -1, ccY = -1;
    for (int n = 0; n < kMIDIControllerCount; ++n) {
        if (getMIDICC(n) == xTag) ccX = n;
        if (getMIDICC(n) == yTag) ccY = n;
    }
    m.add((ccX >= 0 ? "-GX Latched to CC " + std::to_string(ccX) : std::string("-GX Not Latched")) +
          ", " + (ccY >= 0 ? "Y Latched to CC " + std::to_string(ccY) : "Y Not Latched"));
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
    const int all = xytags::kAllXYSection;
    const int xTag = xytags::posX(pad), yTag = xytags::posY(pad);
    const int editTag = xytags::padTag(tag::Xy1EditOn, pad);
    const int point = selectedXYPoint[pad];
    const XYScope scope{this,
                        e,
                        pad,
                        xytags::kPadSection[pad],
                        xytags::kPadSection[1 - pad],
                        xTag,
                        yTag,
                        point >= 0 ? xytags::pathX(pad, point) : xTag,
                        point >= 0 ? xytags::pathY(pad, point) : yTag};

    CommandMenu m;
    m.add(pad == 0 ? "-GXY 1 Command Menu" : "-GXY 2 Command Menu");
    VSTGUI::COptionMenu* info = m.addSubmenu("XY Display Information");
    for (const char* line : XY_HELP) m.add(line, {}, info);
    addModulatesLines(m, kPadSourceFirst[pad], kPadSources);
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
    addRows(m, XY_SECTION_ROWS, scope);
    addPasteEntry(m, "Paste All XYs", all);
    m.add("-");
    addRows(m, XY_SHAPE_ROWS, scope, m.addSubmenu("Presets"));
    for (const TransformRow& row : XY_TRANSFORMS)
        m.add(row.title, [e, pad, row] {
            int n = 0;
            if (row.question && !menuanswers::askInt(row.question, row.message, row.initial, n))
                return;
            writePath(*e, pad, row.apply(readPath(*e, pad), n));
        });
    addRows(m, XY_SET_ROWS, scope);
    addLatchLine(m, xTag, yTag);
    if (e->getXYRecordMode(pad) == 0) addRows(m, XY_MIDI_ROWS, scope);
    m.add("-");
    const SectionModel& model = getSectionModel();
    int tags[zekfiles::kXYPreset.count];
    for (int i = 0; i < zekfiles::kXYPreset.count; ++i) tags[i] = model.getTag(scope.own, i);
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
        runAsking([this, e, all, editTag, editOn, editChosen, isUndo = c.undo, action = c.action,
                   picked = c.picked()] {
            if (editChosen)
                userEdit(editTag, [&] { editOn ? e->setOff(editTag) : e->setOn(editTag); });
            if (!isUndo) setSectionUndo(all);
            // A path command moves many points at once: the host re-reads them.
            if (action) hostDisplayIfOthersMoved(editsTold(action), -1);
            saveBoolToPrefs(REG_SHOW_XY_MOD_STR, xyModOn);
            finishCommandMenu(picked);
        });
    });
}
