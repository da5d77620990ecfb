// The option menu's face, its stepping click zones and its lock indicator. User-interface
// thread.
#include "controls/TOptionMenu.h"

#include "controls/ControlContext.h"
#include "controls/FontTables.h"
#include "controls/StyleTables.h"
#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"

#include <algorithm>
#include <cmath>
#include <iterator>

using namespace VSTGUI;

namespace {

constexpr int kLeftArrow = 10050;
constexpr int kRightArrow = 10051;
constexpr int kHiddenMenuTag = 9998;
// Width of the stepping zones at each end, per screen size.
constexpr int kZoneWidth[SCREEN_SIZE_COUNT] = {12, 15, 18, 24};

struct ShortTable {
    const char* const* names;
    int count;
};

ShortTable shortTableFor(int tag) {
    switch (tag) {
    case 250:
        return {UNI_MODE_SHORT_STR, UNI_MODE_SHORT_COUNT};
    case 260:
    case 277:
        return {OSC_TYPE_SHORT_STR, OSC_TYPE_SHORT_COUNT};
    case 294:
        return {FILTER_TYPE_SHORT_STR, FILTER_TYPE_SHORT_COUNT};
    case 363:
    case 370:
    case 373:
        return {LFO_WAVE_SHORT_STR, LFO_WAVE_SHORT_COUNT};
    case 365:
        return {LFO_PHASE_SHORT_STR, LFO_PHASE_SHORT_COUNT};
    case 368:
        return {SRC_SHORT_STR, SRC_SHORT_COUNT};
    case 494:
        return {ARP_MODE_SHORT_STR, ARP_MODE_SHORT_COUNT};
    case 500:
        return {ARP_RATCHET_MODE_SHORT_STR, ARP_RATCHET_MODE_SHORT_COUNT};
    case 505:
    case 506:
    case 642:
    case 643:
        return {ARP_STEPS_SHORT_STR, ARP_STEPS_SHORT_COUNT};
    default:
        return {nullptr, 0};
    }
}

} // namespace

const char* shortValueName(int tag, int step) {
    const ShortTable table = shortTableFor(tag);
    if (!table.names) return nullptr;
    // A stepped value beyond its table shows the last name rather than reading past it.
    return table.names[step < 0 ? 0 : (step >= table.count ? table.count - 1 : step)];
}

TOptionMenu::TOptionMenu(const CRect& r, IControlListener* l, long t, CBitmap* bg, CBitmap* bgClick,
                         long style, bool centred)
    : COptionMenu(r, l, static_cast<int32_t>(t), bg, bgClick, static_cast<int32_t>(style)),
      textAlign(centred ? kCenterText : kLeftText) {}

void TOptionMenu::setString(const std::string& s) {
    const std::string stored = s.empty() ? " " : s;
    if (stored == text) return;
    text = stored;
    setDirty(true);
}

void TOptionMenu::setMode(bool delta, bool preset, bool folder) {
    arrows = delta;
    presetMenu = preset;
    folderMenu = folder;
}

void TOptionMenu::hasDelta() {
    setMode(true, false, false);
}
void TOptionMenu::setPresetMenu() {
    setMode(false, true, false);
}
void TOptionMenu::setFolderMenu() {
    setMode(false, false, true);
}

void TOptionMenu::setBypassed(bool b) {
    if (bypassed == b) return;
    bypassed = b;
    setDirty(true);
}

void TOptionMenu::setIndicator(bool on, int n) {
    if (on == indicatorOn && n == indicatorNumber) return;
    const bool changed = on != indicatorOn;
    indicatorOn = on;
    const bool numberChanged = n != indicatorNumber;
    indicatorNumber = n;
    if (changed || (on && numberChanged)) setDirty(true);
}

std::string TOptionMenu::faceText() const {
    std::string face = text;
    if (face.empty() && getCurrentIndex() >= 0 && getNbEntries() > 0)
        if (const CMenuItem* item = getCurrent()) face = item->getTitle();
    if (const ControlSound* engine = engineOf(this))
        if (const char* name = shortValueName(tag, engine->getSteppedValue(tag))) face = name;
    return face;
}

void TOptionMenu::draw(CDrawContext* context) {
    const ControlEditor* editor = editorOf(this);
    if (!mayDraw(this) || !engineOf(this) || tag == kHiddenMenuTag) return;
    const int s = editor->getBig();
    context->setFont(FONT_SIZES[s]);
    context->setFontColor(TEXT_COLOR);
    const auto align = static_cast<CHoriTxtAlign>(textAlign);
    if (bypassed) {
        context->setFontColor(TEXT_BYPASSED_COLOR);
        context->drawString("------", size, align, true);
        setDirty(false);
        return;
    }
    CBitmap* left = editor->getSkinBitmap(kLeftArrow);
    CBitmap* right = editor->getSkinBitmap(kRightArrow);
    const int o = MENU_ARROW_OFF[s];
    if ((presetMenu || folderMenu) && left && right) {
        const auto w = static_cast<int>(left->getWidth());
        const int a = static_cast<int>(right->getHeight()) / 2;
        const CCoord top =
            size.top + static_cast<int>((getHeight() - a) * 0.5) + MENU_FOLDER_ARROW_OFF[s];
        const CCoord leftX = presetMenu ? size.right - 2 * w - o : size.left;
        const CCoord rightX = presetMenu ? size.right - w : size.left + w + o;
        left->draw(context, CRect(leftX, top, leftX + left->getWidth(), top + a));
        right->draw(context, CRect(rightX, top, rightX + right->getWidth(), top + a));
    }
    const int f = static_cast<int>(FONT_SIZES[s]->getSize() + 2);
    const auto h = static_cast<int>(getHeight());
    // On a whole pixel: a line set half a pixel down is blurred and loses half a row of its
    // descenders to the box.
    CCoord top = size.top + (h - f) / 2 + (h % 2) - 1 + (s == 0 ? 1 : 0);
    CRect box(size.left, top, size.right, top + f);
    // A pixel more above and below, within the view, leaves the line where it is and keeps a
    // low descender (an underscore at 200 percent) whole.
    box.top = std::max(size.top, box.top - 1);
    box.bottom = std::min(size.bottom, box.bottom + 1);
    if (folderMenu && right) box.left = size.left + static_cast<int>(right->getWidth() * 2.25) + o;
    context->drawString(faceText(), box, align, true);
    if (indicatorOn && indicatorNumber % 2 == 0) {
        const int z = INDICATOR_SIZE[s];
        const CCoord x0 = size.left + INDICATOR_OFF[s];
        context->setFillColor(GREEN_COLOR);
        context->fillRect(CRect(x0 + z, size.top + z, x0 + getHeight() - z, size.bottom - z));
    }
    setDirty(false);
}

CMouseEventResult TOptionMenu::onMouseDown(CPoint& where, const CButtonState& buttons) {
    ControlEditor* editor = editorOf(this);
    ControlSound* engine = engineOf(this);
    if (!getMouseEnabled() || bypassed || !editor || !engine) return kDone;
    const int s = editor->getBig();
    const CBitmap* right = editor->getSkinBitmap(kRightArrow);
    const int w = right ? static_cast<int>(right->getWidth()) : 0;
    const int o = MENU_ARROW_OFF[s];
    const bool shift = (buttons & kShift) != 0;
    if (arrows) {
        const CCoord dx = where.x - size.left;
        const int z = kZoneWidth[s];
        const int step = dx > getWidth() - z ? 1 : (dx < z ? -1 : 0);
        if (step != 0) {
            editor->userEdit(tag, [&] {
                if (!shift)
                    engine->changeDelta(tag, step, false, 1.0f);
                else if (step < 0)
                    engine->setSteppedValue(tag, 0);
                else
                    engine->setSteppedValueMax(tag);
            });
            return kDone;
        }
    } else if (presetMenu && where.x > size.right - 2 * w - o) {
        editor->changeProgramDelta(where.x > size.right - w - o / 2 ? 1 : -1, false);
        return kDone;
    } else if (folderMenu && where.x < size.left + 2 * w + o) {
        return kDone;
    }
    lastButtons = buttons;
    if (buttons & kControl) {
        editor->userEdit(tag, [&] {
            if (shift)
                engine->setParameter(tag, engine->getOrigValue(tag));
            else
                engine->setToDefault(tag);
        });
        return kDone;
    }
    if (buttons & kAlt) {
        editor->typeValue(tag);
        return kDone;
    }
    if ((buttons & (kShift | kApple)) && listener &&
        listener->controlModifierClicked(this, buttons) != 0)
        return kDone;
    // The list stays open across idle calls; the choice, not the click, is the edit the host
    // hears of (the editor tells it when the choice is made): a menu closed without a choice
    // tells it nothing.
    if (buttons & (kLButton | kRButton | kApple)) doPopup();
    return kDone;
}

namespace {

// The easy screen's buttons, by their captions there, open what a main-screen button opens.
struct MenuButtonPartner {
    int id;
    const char* caption;
    int partner;
};
constexpr MenuButtonPartner MENU_BUTTON_PARTNERS[] = {
    {24, "OSC1", 0},     {25, "OSC2", 1},       {26, "FILTER", 2},      {27, "AMP", 3},
    {28, "MAIN LFO", 5}, {29, "PLAY MODE", 4},  {30, "EQ", 6},          {31, "WAVESHAPER", 7},
    {32, "LOW-FI", 9},   {33, "DISTORTION", 8}, {34, "DISTORT FX", 17}, {35, "MOD FX", 16},
    {36, "DELAY", 14},   {37, "REVERB", 15},    {38, "GATER", 18},
};

// Row i of each table is button id (first id + i), so an id finds its row by index.
template <class Row, size_t N> constexpr bool numberedFrom(const Row (&rows)[N], int first) {
    for (size_t i = 0; i < N; ++i)
        if (rows[i].id != first + static_cast<int>(i)) return false;
    return true;
}
static_assert(numberedFrom(MENU_BUTTON_PARTNERS, kMenuButtonCount),
              "the partners follow the main-screen buttons, in id order");

} // namespace

int menuButtonTarget(int id) {
    constexpr int kOwn = kMenuButtonCount;
    constexpr int kPartners = static_cast<int>(std::size(MENU_BUTTON_PARTNERS));
    if (id >= 0 && id < kOwn) return id;
    if (id >= kOwn && id < kOwn + kPartners) return MENU_BUTTON_PARTNERS[id - kOwn].partner;
    return -1;
}

TMenuButton::TMenuButton(const CRect& r, IControlListener* l, std::string text, int id)
    : CControl(r, l, ControlEditor::kNoTag), menuId(id), caption(std::move(text)) {}

void TMenuButton::draw(CDrawContext* context) {
    const ControlEditor* editor = editorOf(this);
    if (!mayDraw(this)) return;
    context->setFont(boldFont(BIG_LABEL_FONT_SIZES[editor->getBig()]));
    context->setFontColor(LABEL_COLOR);
    context->drawString(caption, size, kLeftText, true);
    context->setFont(nullptr);
    setDirty(false);
}

CMouseEventResult TMenuButton::onMouseDown(CPoint&, const CButtonState&) {
    ControlEditor* editor = editorOf(this);
    if (!getMouseEnabled() || !editor || !engineOf(this)) return kDone;
    const int row = menuButtonTarget(menuId);
    if (row >= 0) editor->showButtonMenu(row);
    return kFollowed;
}

CMouseEventResult TMenuButton::onMouseUp(CPoint&, const CButtonState&) {
    return kFollowed;
}
