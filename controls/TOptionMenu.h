// The synthesizer's pop-up list control: its own one-line face (entry text or short name,
// arrows, a blinking lock indicator, the bypassed look) and click zones that step the value
// without opening the list. User-interface thread.
#pragma once

#include "gui/COptionMenu.h"

#include <string>

// The short value name a compact menu of this tag shows for a stepped value, or null when
// the tag shows its full text.
const char* shortValueName(int tag, int step);

class TOptionMenu : public VSTGUI::COptionMenu {
public:
    TOptionMenu(const VSTGUI::CRect& size, VSTGUI::IControlListener* listener, long tag,
                VSTGUI::CBitmap* background, VSTGUI::CBitmap* bgWhenClick, long style,
                bool centred);

    // An empty text shows one blank.
    void setString(const std::string& text);
    void setString(const char* text) { setString(std::string(text ? text : "")); }
    const std::string& getString() const { return text; }
    // Modes: step zones at both ends, program arrows at the right, folder arrows at the left.
    void hasDelta();
    void setPresetMenu();
    void setFolderMenu();
    void setBypassed(bool b);
    void setOn(bool on) { setBypassed(!on); }
    // The lock indicator: shown while on, filled when n is even.
    void setIndicator(bool on, int n);
    // The text the face shows now.
    std::string faceText() const;

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;

private:
    void setMode(bool delta, bool preset, bool folder);

    bool arrows = false;
    bool presetMenu = false;
    bool folderMenu = false;
    bool bypassed = false;
    bool indicatorOn = false;
    int32_t indicatorNumber = 0;
    std::string text;
    int32_t textAlign;
};

// A section caption of the main screen; a click opens the section's command menu.
class TMenuButton : public VSTGUI::CControl {
public:
    TMenuButton(const VSTGUI::CRect& size, VSTGUI::IControlListener* listener, std::string caption,
                int id);

    int getMenuId() const { return menuId; }
    const std::string& getCaption() const { return caption; }

    void draw(VSTGUI::CDrawContext* context) override;
    VSTGUI::CMouseEventResult onMouseDown(VSTGUI::CPoint& where,
                                          const VSTGUI::CButtonState& buttons) override;
    VSTGUI::CMouseEventResult onMouseUp(VSTGUI::CPoint& where,
                                        const VSTGUI::CButtonState& buttons) override;

private:
    int32_t menuId;
    std::string caption;
};

// The main screen's menu buttons, ids 0..23, each opening a menu of its own (the editor's
// `showButtonMenu` row).
constexpr int kMenuButtonCount = 24;
// Button ids 24..38 open the same menus as their partners below 24; -1 for none.
int menuButtonTarget(int id);
