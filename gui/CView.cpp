// Views and containers: drawing order, hit testing, mouse capture and dirty marks.
// User-interface thread only.
#include "gui/CView.h"

#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"

#include <algorithm>

namespace VSTGUI {

// ---------------------------------------------------------------------------------------------
// CView

CView::CView(const CRect& r) : size(r), mouseableArea(r) {}

CView::~CView() {
    if (background) background->forget();
}

void CView::draw(CDrawContext* context) {
    if (background) background->draw(context, size, CPoint(), alpha);
    setDirty(false);
}

void CView::drawRect(CDrawContext* context, const CRect&) {
    draw(context);
}

CMouseEventResult CView::onMouseDown(CPoint&, const CButtonState&) {
    return kMouseEventNotImplemented;
}
CMouseEventResult CView::onMouseUp(CPoint&, const CButtonState&) {
    return kMouseEventNotImplemented;
}
CMouseEventResult CView::onMouseMoved(CPoint&, const CButtonState&) {
    return kMouseEventNotImplemented;
}
bool CView::onWheel(const CPoint&, const float&, const CButtonState&) {
    return false;
}
int32_t CView::onKeyDown(VstKeyCode&) {
    return -1;
}
int32_t CView::onKeyUp(VstKeyCode&) {
    return -1;
}

bool CView::hitTest(const CPoint& where, const CButtonState&) {
    return mouseableArea.pointInside(where);
}

void CView::invalid() {
    invalidRect(size);
}

void CView::invalidRect(const CRect& rect) {
    // Rectangles travel up, converted at each container, until the frame collects them.
    if (parent) parent->invalidChild(rect);
}

void CView::setViewSize(const CRect& rect, bool invalidate) {
    if (invalidate) invalid();
    const CCoord dx = rect.left - size.left, dy = rect.top - size.top;
    size = rect;
    mouseableArea.offset(dx, dy);
    if (mouseableArea.getWidth() <= 0 || mouseableArea.getHeight() <= 0) mouseableArea = rect;
    if (invalidate) invalid();
}

void CView::setVisible(bool on) {
    if (visible == on) return;
    visible = on;
    invalid();
}

void CView::setAlphaValue(float a) {
    a = std::clamp(a, 0.0f, 1.0f);
    if (a == alpha) return;
    alpha = a;
    setDirty(true);
}

void CView::setBackground(CBitmap* bitmap) {
    if (bitmap == background) return;
    if (bitmap) bitmap->remember();
    if (background) background->forget();
    background = bitmap;
    setDirty(true);
}

CFrame* CView::getFrame() const {
    const CView* v = this;
    while (v->parent) v = v->parent;
    return dynamic_cast<CFrame*>(const_cast<CView*>(v));
}

VSTGUIEditorInterface* CView::getEditor() const {
    CFrame* frame = getFrame();
    return frame ? frame->getEditor() : nullptr;
}

CPoint& CView::frameToLocal(CPoint& point) const {
    if (parent) parent->frameToLocal(point);
    return point;
}

CPoint& CView::localToFrame(CPoint& point) const {
    if (parent) parent->localToFrame(point);
    return point;
}

bool CView::setAttribute(uint32_t id, uint32_t byteSize, const void* data) {
    if (!data && byteSize > 0) return false;
    const char* bytes = static_cast<const char*>(data);
    std::string value(bytes ? bytes : "", bytes ? byteSize : 0);
    // A terminating zero that the caller counted is not part of the text.
    while (!value.empty() && value.back() == '\0') value.pop_back();
    attributes[id] = value;
    return true;
}

bool CView::getAttribute(uint32_t id, std::string& out) const {
    auto it = attributes.find(id);
    if (it == attributes.end()) return false;
    out = it->second;
    return true;
}

bool CView::removeAttribute(uint32_t id) {
    return attributes.erase(id) > 0;
}

void CView::setTooltipText(const std::string& text) {
    if (text.empty())
        removeAttribute(kCViewTooltipAttribute);
    else
        setAttribute(kCViewTooltipAttribute, static_cast<uint32_t>(text.size()), text.data());
}

std::string CView::getTooltipText() const {
    std::string text;
    getAttribute(kCViewTooltipAttribute, text);
    return text;
}

// ---------------------------------------------------------------------------------------------
// CViewContainer

CViewContainer::CViewContainer(const CRect& r) : CView(r) {}

namespace {
// Drops the container's reference and, with `withForget`, the one the caller handed over,
// but that one only while the container's own still keeps the view alive: a view whose
// caller has already let go is released once, never freed and then touched again.
void releaseChild(CView* view, bool withForget) {
    if (withForget && view->getNbReference() > 1) view->forget();
    view->forget();
}
} // namespace

CViewContainer::~CViewContainer() {
    removeAll(false);
    dropParkedMouseDownView();
}

void CViewContainer::parkMouseDownView() {
    if (!mouseDownView) return;
    dropParkedMouseDownView();
    parkedMouseDownView = mouseDownView;
    parkedMouseDownView->remember();
    mouseDownView = nullptr;
}

void CViewContainer::dropParkedMouseDownView() {
    if (!parkedMouseDownView) return;
    CView* v = parkedMouseDownView;
    parkedMouseDownView = nullptr;
    v->forget();
}

bool CViewContainer::addView(CView* view) {
    return addView(view, nullptr);
}

bool CViewContainer::addView(CView* view, CView* before) {
    if (!view || view == this || view->isAttached()) return false;
    auto pos = children.end();
    if (before) pos = std::find(children.begin(), children.end(), before);
    view->remember();
    children.insert(pos, view);
    view->attached(this);
    if (view == parkedMouseDownView) {
        mouseDownView = view;
        dropParkedMouseDownView();
    }
    view->setDirty(true);
    view->invalid();
    return true;
}

bool CViewContainer::removeView(CView* view, bool withForget) {
    auto it = std::find(children.begin(), children.end(), view);
    if (it == children.end()) return false;
    view->invalid();
    children.erase(it);
    if (mouseDownView == view) parkMouseDownView();
    view->removed(this);
    releaseChild(view, withForget);
    return true;
}

bool CViewContainer::removeAll(bool withForget) {
    if (children.empty()) return true;
    invalid();
    std::vector<CView*> old;
    old.swap(children);
    parkMouseDownView();
    for (CView* v : old) {
        v->removed(this);
        releaseChild(v, withForget);
    }
    return true;
}

CView* CViewContainer::getView(int32_t index) const {
    if (index < 0 || index >= getNbViews()) return nullptr;
    return children[static_cast<size_t>(index)];
}

bool CViewContainer::isChild(const CView* view) const {
    return std::find(children.begin(), children.end(), view) != children.end();
}

CView* CViewContainer::getViewAt(const CPoint& where, bool deep) const {
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        CView* v = *it;
        if (!v->isVisible() || !v->getViewSize().pointInside(where)) continue;
        if (deep && v->isContainer()) {
            auto* c = static_cast<CViewContainer*>(v);
            CPoint local(where.x - c->getViewSize().left, where.y - c->getViewSize().top);
            if (CView* inner = c->getViewAt(local, true)) return inner;
        }
        return v;
    }
    return nullptr;
}

void CViewContainer::draw(CDrawContext* context) {
    drawRect(context, size);
}

void CViewContainer::drawRect(CDrawContext* context, const CRect& updateRect) {
    CRect area = updateRect;
    area.bound(size);
    if (area.isEmpty()) return;
    context->saveGlobalState();
    context->setClipRect(area);
    if (backgroundColor.alpha > 0) {
        context->setFillColor(backgroundColor);
        context->fillRect(size);
    }
    if (background) background->draw(context, size, CPoint(), alpha);
    // Children draw in this container's local coordinates.
    const CPoint origin = context->getOffset();
    context->setOffset(CPoint(origin.x + size.left, origin.y + size.top));
    CRect local = area;
    local.offset(-size.left, -size.top);
    for (CView* v : children) {
        if (!v->isVisible() || !v->getViewSize().rectOverlap(local)) continue;
        context->saveGlobalState();
        CRect clip = v->getViewSize();
        clip.bound(local);
        context->setClipRect(clip);
        v->drawRect(context, clip);
        v->setDirty(false);
        context->restoreGlobalState();
    }
    context->restoreGlobalState();
    dirtyFlag = false;
}

CMouseEventResult CViewContainer::onMouseDown(CPoint& where, const CButtonState& buttons) {
    CPoint local(where.x - size.left, where.y - size.top);
    mouseDownView = nullptr;
    dropParkedMouseDownView();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        CView* v = *it;
        if (!v->isVisible() || !v->getMouseEnabled() || !v->hitTest(local, buttons)) continue;
        CPoint p = local;
        const CMouseEventResult result = v->onMouseDown(p, buttons);
        if (result == kMouseEventNotHandled || result == kMouseEventNotImplemented) continue;
        if (result == kMouseEventHandled) mouseDownView = v;
        return result;
    }
    return kMouseEventNotHandled;
}

CMouseEventResult CViewContainer::onMouseMoved(CPoint& where, const CButtonState& buttons) {
    // A view taken out mid-drag waits for its release or its return; the mouse stays held.
    if (!mouseDownView) return parkedMouseDownView ? kMouseEventHandled : kMouseEventNotHandled;
    CPoint local(where.x - size.left, where.y - size.top);
    const CMouseEventResult result = mouseDownView->onMouseMoved(local, buttons);
    if (result == kMouseMoveEventHandledButDontNeedMoreEvents) mouseDownView = nullptr;
    return result;
}

CMouseEventResult CViewContainer::onMouseUp(CPoint& where, const CButtonState& buttons) {
    if (!mouseDownView && parkedMouseDownView) {
        // Taken out and not back: it still gets its release, so its gesture ends.
        CView* v = parkedMouseDownView;
        v->remember();
        dropParkedMouseDownView();
        CPoint local(where.x - size.left, where.y - size.top);
        const CMouseEventResult result = v->onMouseUp(local, buttons);
        v->forget();
        return result;
    }
    if (!mouseDownView) return kMouseEventNotHandled;
    CView* v = mouseDownView;
    mouseDownView = nullptr;
    CPoint local(where.x - size.left, where.y - size.top);
    return v->onMouseUp(local, buttons);
}

bool CViewContainer::onWheel(const CPoint& where, const float& distance,
                             const CButtonState& buttons) {
    CPoint local(where.x - size.left, where.y - size.top);
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        CView* v = *it;
        if (!v->isVisible() || !v->getMouseEnabled() || !v->hitTest(local, buttons)) continue;
        if (v->onWheel(local, distance, buttons)) return true;
    }
    return false;
}

bool CViewContainer::isDirty() const {
    if (dirtyFlag) return true;
    for (CView* v : children)
        if (v->isVisible() && v->isDirty()) return true;
    return false;
}

void CViewContainer::setDirty(bool dirty) {
    dirtyFlag = dirty;
    if (!dirty)
        for (CView* v : children) v->setDirty(false);
}

CPoint& CViewContainer::frameToLocal(CPoint& point) const {
    if (parent) parent->frameToLocal(point);
    return point.offset(-size.left, -size.top);
}

CPoint& CViewContainer::localToFrame(CPoint& point) const {
    point.offset(size.left, size.top);
    if (parent) parent->localToFrame(point);
    return point;
}

void CViewContainer::invalidChild(const CRect& localRect) {
    if (!parent || !visible) return;
    CRect r = localRect;
    r.offset(size.left, size.top);
    r.bound(size);
    if (!r.isEmpty()) parent->invalidChild(r);
}

void CViewContainer::collectDirty(DirtyRegion& region) {
    if (dirtyFlag) {
        CPoint tl(size.left, size.top);
        if (parent) parent->localToFrame(tl);
        region.add(CRect(tl.x, tl.y, tl.x + size.getWidth(), tl.y + size.getHeight()));
        dirtyFlag = false;
    }
    for (CView* v : children) {
        if (!v->isVisible()) continue;
        if (v->isContainer()) {
            static_cast<CViewContainer*>(v)->collectDirty(region);
        } else if (v->isDirty()) {
            CPoint tl(v->getViewSize().left, v->getViewSize().top);
            localToFrame(tl);
            region.add(CRect(tl.x, tl.y, tl.x + v->getWidth(), tl.y + v->getHeight()));
            v->setDirty(false);
        }
    }
}

} // namespace VSTGUI
