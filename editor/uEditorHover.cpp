// The hover information: which view is under the mouse (looking into the view containers),
// its name and value in the two read-outs of the top bar and, with "ToolTip" on, as its
// tooltip. Texts are set only when they changed. Host user-interface thread.
#include "editor/ueditor.h"

#include "controls/TReadouts.h"
#include "controls/displays/TWaveDisplay.h"
#include "controls/displays/TXYScreen.h"
#include "engine/APlugin.h"

#include <cstdio>

using namespace VSTGUI;

namespace {
const char* const kNoName = "None";
}

void uEditor::findHoveredView() {
    hoveredView = editControl ? static_cast<CView*>(editControl) : frame->getCurrentView();
    CPoint mouse;
    frame->getCurrentMouseLocation(mouse);
    for (CViewContainer* c : {oscModContainer[0], oscModContainer[1], eqContainer,
                              distortVoiceContainer, multiViewContainer}) {
        if (!c || hoveredView != c) continue;
        CPoint local = mouse;
        c->frameToLocal(local);
        if (CView* inner = c->getViewAt(local, true)) hoveredView = inner;
    }
}

void uEditor::idleHover() {
    APlugin* engine = getEngine();
    const std::string oldName = hoverName, oldValue = hoverValue;
    hoverName = kNoName;
    for (int i = 0; i < hoverCount && hoveredView; ++i)
        if (hoverViews[i] == hoveredView) {
            // A named view has no value: the one of the control hovered before is not its own.
            hoverName = hoverTexts[i];
            hoverValue.clear();
            break;
        }
    if (hoverName == kNoName && hoveredView) {
        for (int i = 0; i < controlCount; ++i) {
            CControl* c = controls[i];
            if (c != hoveredView || !isValidTag(c->getTag())) continue;
            hoverName = engine->getParameterNameStr(c->getTag());
            hoverValue = engine->getParameterDisplayStr(c->getTag());
            break;
        }
    }
    if (hoverName != kNoName) {
        if ((hoverName != oldName || hoverValue != oldValue) && screenMode != 2) {
            if (ui.parameterName) ui.parameterName->setString(hoverName);
            if (ui.parameterValue) ui.parameterValue->setString(hoverValue);
        }
        if (toolTipOn && hoveredView) {
            const std::string tip = hoverValue.empty() ? hoverName : hoverName + ": " + hoverValue;
            if (tip != lastTooltip) {
                hoveredView->setTooltipText(tip);
                lastTooltip = tip;
            }
        }
    }
    // An XY pad in live mode shows where its point stands, from -100 to 100 on each axis.
    for (int pad = 0; pad < 2; ++pad) {
        if (!hoveredView ||
            (hoveredView != ui.xyDisplays[0][pad] && hoveredView != ui.xyDisplays[1][pad]))
            continue;
        if (engine->getXYRecordMode(pad) != 0) continue;
        float x = 0.0f, y = 0.0f;
        engine->getXYValue(pad, x, y);
        updateReadout(pad == 0 ? "Osc 1 XY" : "Osc 2 XY",
                      "X: " + std::to_string(static_cast<int>(200.0f * x - 100.0f)) +
                          ", Y: " + std::to_string(static_cast<int>(200.0f * y - 100.0f)));
    }
    // The wave display in additive mode names the partial under the mouse.
    const int wave = selectedUserWave & 1;
    if (hoveredView && hoveredView == ui.waveDisplay && waveEditMode[wave] == 1) {
        CPoint where;
        frame->getCurrentMouseLocation(where);
        ui.waveDisplay->frameToLocal(where);
        const float x = static_cast<float>(where.x - ui.waveDisplay->getViewSize().left) -
                        static_cast<float>(getScaled(21));
        const int p = ui.waveDisplay->getWaveTablePartial(x);
        updateReadout(
            "Wave " + std::to_string(wave + 1) + " Partials " + std::to_string(p + 1) +
                ": Amp / Phase",
            std::to_string(static_cast<int>(engine->getWaveTablePartialsAmp(wave, p) * 100.0f)) +
                " %, " +
                std::to_string(
                    static_cast<int>(engine->getWaveTablePartialsPhase(wave, p) * 360.0f)) +
                " deg");
    }
}

void uEditor::showChosen(int tag) {
    APlugin* engine = getEngine();
    if (!engine || !isValidTag(tag) || screenMode == 2) return;
    // Kept as what the read-outs show: the next pass writes them again only when it finds
    // another view under the pointer, or this one with another value.
    hoverName = engine->getParameterNameStr(tag);
    hoverValue = engine->getParameterDisplayStr(tag);
    if (ui.parameterName) ui.parameterName->setString(hoverName);
    if (ui.parameterValue) ui.parameterValue->setString(hoverValue);
}

void uEditor::updateReadout(const std::string& name, const std::string& value) {
    const std::string combined = name + ":" + value;
    if (screenMode == 2 || combined == lastReadout) return;
    if (ui.parameterName) {
        ui.parameterName->setString(name);
        ui.parameterName->setDirty(true);
    }
    if (ui.parameterValue) {
        ui.parameterValue->setString(value);
        ui.parameterValue->setDirty(true);
    }
    lastReadout = combined;
}
