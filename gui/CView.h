// Views and containers: a rectangle in its parent's coordinates, drawn in adding order, with
// mouse, wheel and key handlers, dirty marks that the frame's idle pass redraws, and attributes
// (the tooltip text). Containers give their children local coordinates. User-interface thread.
#pragma once

#include "gui/CBaseObject.h"
#include "gui/DirtyRegion.h"
#include "gui/GuiTypes.h"

#include <map>
#include <string>
#include <vector>

struct VstKeyCode;

namespace VSTGUI {

class CBitmap;
class CDrawContext;
class CFrame;
class CViewContainer;
class VSTGUIEditorInterface;

// The attribute that holds a view's tooltip text (UTF-8, without a terminating zero).
constexpr uint32_t kCViewTooltipAttribute = 0x63767474; // 'cvtt'

class CView : public CBaseObject {
public:
    explicit CView(const CRect& size);

    // Drawing. updateRect is the part that needs drawing, in the view's parent coordinates.
    virtual void draw(CDrawContext* context);
    virtual void drawRect(CDrawContext* context, const CRect& updateRect);

    // Mouse: where is in the parent's coordinates. See CMouseEventResult for the answers.
    virtual CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons);
    virtual bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons);
    // Keys: 1 handled, -1 not handled.
    virtual int32_t onKeyDown(VstKeyCode& key);
    virtual int32_t onKeyUp(VstKeyCode& key);
    virtual bool hitTest(const CPoint& where, const CButtonState& buttons = CButtonState());

    virtual void setDirty(bool dirty = true) { dirtyFlag = dirty; }
    virtual bool isDirty() const { return dirtyFlag; }
    // Marks the whole view for redrawing at the next idle pass.
    virtual void invalid();
    virtual void invalidRect(const CRect& rect);

    const CRect& getViewSize() const { return size; }
    virtual void setViewSize(const CRect& rect, bool invalidate = true);
    CCoord getWidth() const { return size.getWidth(); }
    CCoord getHeight() const { return size.getHeight(); }
    const CRect& getMouseableArea() const { return mouseableArea; }
    void setMouseableArea(const CRect& rect) { mouseableArea = rect; }
    void setMouseEnabled(bool on) { mouseEnabled = on; }
    bool getMouseEnabled() const { return mouseEnabled; }
    virtual void setVisible(bool on);
    bool isVisible() const { return visible; }
    void setAlphaValue(float a);
    float getAlphaValue() const { return alpha; }

    // The picture drawn at the view's top-left; the view keeps its own reference.
    virtual void setBackground(CBitmap* bitmap);
    CBitmap* getBackground() const { return background; }

    CViewContainer* getParentView() const { return parent; }
    CFrame* getFrame() const;
    VSTGUIEditorInterface* getEditor() const;
    virtual bool isContainer() const { return false; }
    bool isAttached() const { return parent != nullptr; }

    // Converts a frame point into this view's coordinates (a container's: its children's).
    virtual CPoint& frameToLocal(CPoint& point) const;
    virtual CPoint& localToFrame(CPoint& point) const;

    bool setAttribute(uint32_t id, uint32_t byteSize, const void* data);
    bool getAttribute(uint32_t id, std::string& out) const;
    bool removeAttribute(uint32_t id);
    void setTooltipText(const std::string& text);
    std::string getTooltipText() const;

    // Called by the container that adds or removes the view.
    virtual void attached(CViewContainer* newParent) { parent = newParent; }
    virtual void removed(CViewContainer*) { parent = nullptr; }

protected:
    ~CView() override;

    CRect size;
    CRect mouseableArea;
    CViewContainer* parent = nullptr;
    CBitmap* background = nullptr;
    bool dirtyFlag = false;
    bool mouseEnabled = true;
    bool visible = true;
    float alpha = 1.0f;
    std::map<uint32_t, std::string> attributes;
};

class CViewContainer : public CView {
public:
    explicit CViewContainer(const CRect& size);

    // The container keeps its own reference to each child (adding order = drawing order).
    bool addView(CView* view);
    bool addView(CView* view, CView* before);
    // Drops the container's reference; withForget also drops the one the caller handed over
    // when it is still held (a view the caller let go of after adding is released once).
    bool removeView(CView* view, bool withForget = true);
    bool removeAll(bool withForget = true);
    int32_t getNbViews() const { return static_cast<int32_t>(children.size()); }
    CView* getView(int32_t index) const;
    bool isChild(const CView* view) const;
    // The topmost visible child under a point in this container's local coordinates; deep
    // descends into child containers.
    CView* getViewAt(const CPoint& where, bool deep = false) const;

    void setBackgroundColor(const CColor& c) { backgroundColor = c; }
    CColor getBackgroundColor() const { return backgroundColor; }
    // Kept for the callers that ask for it; every frame is double buffered as a whole.
    void useOffscreen(bool on) { offscreen = on; }

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) override;
    bool isContainer() const override { return true; }
    bool isDirty() const override;
    void setDirty(bool dirty = true) override;
    CPoint& frameToLocal(CPoint& point) const override;
    CPoint& localToFrame(CPoint& point) const override;

    // A child's rectangle, in this container's local coordinates, needs redrawing.
    virtual void invalidChild(const CRect& localRect);
    // Collects the frame rectangles of dirty views and clears their marks.
    void collectDirty(DirtyRegion& region);

protected:
    ~CViewContainer() override;

    std::vector<CView*> children;
    CView* mouseDownView = nullptr;
    // The view that held the mouse when it was taken out while the button was down; added back
    // before the release (a refill of the container), it holds the mouse again.
    CView* parkedMouseDownView = nullptr;
    void parkMouseDownView();
    void dropParkedMouseDownView();
    CColor backgroundColor = kTransparentCColor;
    bool offscreen = false;
};

} // namespace VSTGUI
