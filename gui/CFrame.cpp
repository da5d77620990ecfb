// The frame: event routing with mouse capture and double clicks, dirty redraws into the back
// buffer, tooltips, and the menu pop-ups and message windows that stay open across idle calls.
// User-interface thread only.
#include "gui/CFrame.h"

#include "gui/CDrawContext.h"
#include "gui/COptionMenu.h"
#include "gui/backend/Backend.h"
#include "vst2/VstInterface.h"

#include <cmath>
#include <cstdlib>
#include <ctime>

namespace VSTGUI {

namespace {
constexpr uint32_t kDoubleClickMs = 400;
constexpr CCoord kDoubleClickDistance = 4;
constexpr uint32_t kTooltipDelayMs = 600;
const CColor kFrameBackground{12, 14, 16, 255};
} // namespace

uint32_t monotonicMilliseconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u +
                                 static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

CFrame::CFrame(const CRect& r, VSTGUIEditorInterface* ed)
    : CViewContainer(CRect(0, 0, r.getWidth(), r.getHeight())), editor(ed) {
    backBuffer = backend::createBackBuffer(static_cast<int>(size.getWidth()),
                                           static_cast<int>(size.getHeight()));
}

CFrame::~CFrame() {
    close();
    removeAll(false);
    backend::destroyBackBuffer(backBuffer);
}

bool CFrame::open(void* parent, PlatformType type) {
    close();
    if (!backBuffer) return false;
    if (type == PlatformType::kOffscreen)
        platform = backend::createOffscreenFrame(this);
    else
        platform = backend::createX11Frame(this, reinterpret_cast<unsigned long>(parent),
                                           static_cast<int>(size.getWidth()),
                                           static_cast<int>(size.getHeight()));
    if (!platform) return false;
    render();
    return true;
}

void CFrame::close() {
    // A pop-up or message still open goes with the window, and nothing it would do happens.
    finishMenuPopup(false);
    closeMessages();
    platform.reset();
}

CPoint& CFrame::getCurrentMouseLocation(CPoint& where) const {
    where = mouseLocation;
    return where;
}

CView* CFrame::getCurrentView() const {
    return getViewAt(mouseLocation, false);
}

namespace {
// Searched from the top, so a view that has been released is never touched.
bool containsView(const CViewContainer* container, const CView* view) {
    for (int32_t i = 0; i < container->getNbViews(); ++i) {
        const CView* v = container->getView(i);
        if (v == view) return true;
        if (v->isContainer() && containsView(static_cast<const CViewContainer*>(v), view))
            return true;
    }
    return false;
}
} // namespace

bool CFrame::inTree(const CView* view) const {
    return view && containsView(this, view);
}

// ---------------------------------------------------------------------------------------------
// Drawing

void CFrame::invalidRect(const CRect& rect) {
    CRect r = rect;
    r.bound(size);
    dirtyRegion.add(r);
}

void CFrame::invalidChild(const CRect& localRect) {
    invalidRect(localRect);
}

void CFrame::redraw(const CRect& region) {
    if (!backBuffer || region.isEmpty()) return;
    CDrawContext context(backBuffer);
    context.setClipRect(region);
    context.setFillColor(kFrameBackground);
    context.fillRect(region);
    CViewContainer::drawRect(&context, region);
    if (!tooltipText.empty() && tooltipRect.rectOverlap(region)) {
        context.resetClipRect();
        context.setFillColor(menuStyle.background);
        context.fillRect(tooltipRect);
        context.setFrameColor(menuStyle.border);
        context.drawRect(tooltipRect);
        context.setFont(kNormalFontSmall);
        context.setFontColor(menuStyle.text);
        context.drawString(tooltipText, tooltipRect, kCenterText, true);
    }
    if (openPopup && platform && platform->drawsMenuPopupInFrame()) {
        context.resetClipRect();
        context.setClipRect(region);
        drawMenuPopup(context);
    }
    if (platform) platform->present(region);
}

void CFrame::redrawDirty() {
    DirtyRegion region = dirtyRegion;
    dirtyRegion.clear();
    collectDirty(region);
    region.bound(size);
    for (int i = 0; i < region.size(); ++i) redraw(region[i]);
}

void CFrame::render() {
    dirtyRegion.clear();
    CViewContainer::setDirty(false);
    redraw(size);
}

void CFrame::idle() {
    idle(monotonicMilliseconds());
}

void CFrame::idle(uint32_t nowMs) {
    lastIdleMs = nowMs;
    if (platform) platform->pumpEvents();
    if (eventsStopped) return;
    serveMenuPopup();
    serveMessages();
    updateHover(nowMs);
    redrawDirty();
}

void CFrame::updateHover(uint32_t nowMs) {
    CView* view = mouseLocation.x < 0 ? nullptr : getViewAt(mouseLocation, true);
    const std::string text = view ? view->getTooltipText() : std::string();
    if (view != hoverView) {
        hoverView = view;
        hoverSince = nowMs;
    }
    const bool due =
        view && !text.empty() && !captured && !openPopup && nowMs - hoverSince >= kTooltipDelayMs;
    const std::string wanted = due ? text : std::string();
    if (wanted == tooltipText) return;
    if (!tooltipText.empty()) invalidRect(tooltipRect);
    tooltipText = wanted;
    if (tooltipText.empty()) return;
    const CCoord w = CDrawContext::measureString(kNormalFontSmall, tooltipText) + 14;
    const CCoord h = std::ceil(kNormalFontSmall->getSize() * 1.8);
    CCoord x = mouseLocation.x + 10, y = mouseLocation.y + 20;
    if (x + w > size.right) x = size.right - w;
    if (y + h > size.bottom) y = mouseLocation.y - h - 4;
    tooltipRect = CRect(std::max<CCoord>(0, x), std::max<CCoord>(0, y), 0, 0);
    tooltipRect.setWidth(w).setHeight(h);
    invalidRect(tooltipRect);
}

CColor CFrame::getPixel(int x, int y) const {
    return backend::readPixel(backBuffer, x, y);
}

bool CFrame::writePNG(const std::string& path) const {
    return backend::writePng(backBuffer, path);
}

// ---------------------------------------------------------------------------------------------
// Events

CMouseEventResult CFrame::platformMouseDown(const CPoint& where, CButtonState buttons,
                                            uint32_t timeMs) {
    // A press on the frame beside an open pop-up only closes it.
    if (openPopup) {
        openPopup->cancel();
        serveMenuPopup();
        return kMouseEventHandled;
    }
    const int32_t button = buttons.getButtonState();
    const bool near = std::fabs(where.x - lastPressPoint.x) <= kDoubleClickDistance &&
                      std::fabs(where.y - lastPressPoint.y) <= kDoubleClickDistance;
    // A third quick press starts a new pair rather than making a second double click.
    if (button == lastPressButton && near && !lastPressWasDouble &&
        timeMs - lastPressTime <= kDoubleClickMs) {
        buttons |= kDoubleClick;
        lastPressWasDouble = true;
    } else {
        lastPressWasDouble = false;
    }
    lastPressTime = timeMs;
    lastPressPoint = where;
    lastPressButton = button;

    mouseLocation = where;
    mouseButtons = buttons;
    hoverSince = timeMs;
    if (!tooltipText.empty()) {
        invalidRect(tooltipRect);
        tooltipText.clear();
    }
    CPoint p = where;
    const CMouseEventResult result = CViewContainer::onMouseDown(p, buttons);
    // A press that opened a pop-up is the pop-up's from here on: its moves and release go there.
    captured = result == kMouseEventHandled && !openPopup;
    return result;
}

CMouseEventResult CFrame::platformMouseMoved(const CPoint& where, CButtonState buttons) {
    mouseLocation = where;
    mouseButtons = buttons;
    if (!captured) return kMouseEventNotHandled;
    CPoint p = where;
    const CMouseEventResult result = CViewContainer::onMouseMoved(p, buttons);
    if (result == kMouseMoveEventHandledButDontNeedMoreEvents || result == kMouseEventNotHandled)
        captured = false;
    return result;
}

CMouseEventResult CFrame::platformMouseUp(const CPoint& where, CButtonState buttons) {
    mouseLocation = where;
    mouseButtons = 0;
    CMouseEventResult result = kMouseEventNotHandled;
    if (captured) {
        captured = false;
        CPoint p = where;
        result = CViewContainer::onMouseUp(p, buttons);
    }
    if (editor) editor->mouseReleased();
    return result;
}

bool CFrame::platformWheel(const CPoint& where, float distance, CButtonState buttons) {
    mouseLocation = where;
    return CViewContainer::onWheel(where, distance, buttons);
}

void CFrame::platformMouseExited() {
    if (!captured) mouseLocation = CPoint(-1, -1);
}

void CFrame::platformMouseRests(const CPoint& where) {
    if (!captured) mouseLocation = where;
}

int32_t CFrame::onKeyDown(VstKeyCode& key) {
    // The host's keys go to an open pop-up first.
    if (openPopup && key.virt != 0) {
        openPopup->keyDown(key.virt);
        serveMenuPopup();
        return 1;
    }
    if (keyboardHook) {
        const int32_t r = keyboardHook->onKeyDown(key, this);
        if (r != -1) return r;
    }
    if (focusView && inTree(focusView)) return focusView->onKeyDown(key);
    return -1;
}

int32_t CFrame::onKeyUp(VstKeyCode& key) {
    if (keyboardHook) {
        const int32_t r = keyboardHook->onKeyUp(key, this);
        if (r != -1) return r;
    }
    if (focusView && inTree(focusView)) return focusView->onKeyUp(key);
    return -1;
}

// ---------------------------------------------------------------------------------------------
// Menu pop-ups

namespace {
constexpr int kMaxDriverSteps = 10000;
} // namespace

bool CFrame::openMenuPopup(COptionMenu* menu, MenuClosed closed) {
    if (!platform || openPopup || !menu) return false;
    CPoint tl(menu->getViewSize().left, menu->getViewSize().top);
    if (menu->getParentView()) menu->getParentView()->localToFrame(tl);
    const CRect anchor(tl.x, tl.y, tl.x + menu->getWidth(), tl.y + menu->getHeight());
    if (!tooltipText.empty()) {
        invalidRect(tooltipRect);
        tooltipText.clear();
    }
    // The press that opened the pop-up never sees its release: the pop-up takes it.
    captured = false;
    mouseButtons = 0;
    menu->remember();
    openPopup = std::make_unique<MenuPopup>(menu, this);
    openPopup->setStyle(menuStyle);
    popupClosed = std::move(closed);
    popupGenerationShown = 0;
    platform->openMenuPopup(*openPopup, anchor);
    if (menuDriver) {
        for (int step = 0; step < kMaxDriverSteps && openPopup && !openPopup->isDone(); ++step) {
            serveMenuPopup();
            if (!menuDriver(*openPopup)) openPopup->cancel();
        }
    } else if (platform->drawsMenuPopupInFrame() && !offscreenPopupsStayOpen) {
        openPopup->cancel();
    }
    serveMenuPopup();
    return true;
}

void CFrame::serveMenuPopup() {
    if (!openPopup) return;
    if (openPopup->isDone()) {
        finishMenuPopup(true);
        return;
    }
    if (!platform->drawsMenuPopupInFrame()) {
        platform->updateMenuPopup();
        return;
    }
    if (popupGenerationShown == openPopup->getGeneration()) return;
    popupGenerationShown = openPopup->getGeneration();
    invalidRect(popupArea);
    popupArea = CRect();
    for (int32_t i = 0; i < openPopup->getNbLevels(); ++i)
        popupArea.unite(openPopup->getLevel(i).rect);
    invalidRect(popupArea);
    redrawDirty();
}

void CFrame::finishMenuPopup(bool tell) {
    if (!openPopup) return;
    std::unique_ptr<MenuPopup> popup = std::move(openPopup);
    MenuClosed closed = std::move(popupClosed);
    popupClosed = nullptr;
    if (platform) platform->closeMenuPopup();
    if (!popupArea.isEmpty()) {
        invalidRect(popupArea);
        popupArea = CRect();
        redrawDirty();
    }
    COptionMenu* menu = popup->getMenu();
    if (tell && closed) closed(popup->getChosenMenu(), popup->getChosenIndex());
    // `closed` is dropped before the menu, which its captures may hold.
    closed = nullptr;
    menu->forget();
}

void CFrame::drawMenuPopup(CDrawContext& context) {
    for (int32_t i = 0; i < openPopup->getNbLevels(); ++i) {
        const CRect& r = openPopup->getLevel(i).rect;
        context.saveGlobalState();
        context.setOffset(r.getTopLeft());
        context.setClipRect(CRect(0, 0, r.getWidth(), r.getHeight()));
        openPopup->drawLevel(&context, i);
        context.restoreGlobalState();
    }
}

// ---------------------------------------------------------------------------------------------
// Message windows

void CFrame::showMessage(const std::string& text) {
    if (!platform) return;
    waitingMessages.push_back(text);
    serveMessages();
}

std::string CFrame::getShownMessage() const {
    return openMessage ? openMessage->getText() : std::string();
}

void CFrame::serveMessages() {
    if (openMessage && openMessage->isDone()) {
        if (platform) platform->closeMessageWindow();
        openMessage.reset();
    }
    if (openMessage || waitingMessages.empty() || !platform) return;
    openMessage = std::make_unique<MessageWindow>(waitingMessages.front(), menuStyle);
    waitingMessages.pop_front();
    platform->openMessageWindow(*openMessage);
}

void CFrame::closeMessages() {
    waitingMessages.clear();
    if (openMessage && platform) platform->closeMessageWindow();
    openMessage.reset();
}

} // namespace VSTGUI
