// Painting: what is visible of each window, what needs painting, and the paint messages.
//
// A window draws only inside its visible region: its shape, inside every ancestor's shape,
// minus the siblings above it at every level, minus its own children. What it drew stays on the
// screen until it, or a window over it, draws again; when a window goes away or moves, the area
// it uncovers is handed to the windows below as needing paint, with erase.
//
// The area windows uncover or newly cover is gathered in screen coordinates and handed out to the
// windows once, when anything asks what needs painting: a screen that builds twenty windows in
// one message then costs one pass over the tree, not one per window shown or moved, and a window
// inside an area already gathered costs nothing at all. A window shown adds its area only then,
// as it is by that time: until it draws, the screen still shows what lies under it, so a shape
// cut into it straight after showing it (a screen's holes) is not painted again from below.

#include "platform/draw/DeviceContext.h"
#include "platform/win/Window.h"
#include "platform/win/WindowSystem.h"

#include <algorithm>
#include <utility>

namespace {

// Update regions gather many small rectangles; past this many they become their bounds, which
// costs a little extra painting and keeps region work flat.
constexpr size_t kMaxUpdateRects = 16;

void AddToUpdate(WindowNode* node, const Region& area, bool erase)
{
    if (area.IsEmpty())
        return;
    node->update.Union(area);
    if (node->update.Rects().size() > kMaxUpdateRects)
        node->update = Region(node->update.Bounds());
    if (erase)
        node->erasepending = true;
}

}

Region WindowSystem::ClipAgainstTree(const WindowNode* node, Region area, bool onScreen) const
{
    // Siblings whose rectangles miss the area cannot cover any of it, and an unshaped ancestor
    // clips with its rectangle: neither needs a region built.
    RECT bounds = area.Bounds();
    for (const WindowNode* n = node; n != &m_desktop && !area.IsEmpty(); n = n->parent) {
        const WindowNode* parent = n->parent;
        POINT parentOrigin = ScreenOrigin(parent);
        auto& siblings = parent->children;
        auto self = std::find(siblings.begin(), siblings.end(), n);
        for (auto it = self == siblings.end() ? self : self + 1; it != siblings.end(); ++it) {
            const WindowNode* sibling = *it;
            if (!sibling->visible || sibling->destroying || (onScreen && IsNewlyShown(sibling))
                || sibling->rect.Offset(parentOrigin.x, parentOrigin.y).Intersect(bounds).IsEmpty())
                continue;
            area.Subtract(ShapeInParent(sibling).Offset(parentOrigin.x, parentOrigin.y));
            bounds = area.Bounds();
        }
        if (parent == &m_desktop) {
            area.Intersect(m_desktop.rect);
        } else {
            POINT grandOrigin = ScreenOrigin(parent->parent);
            if (parent->shape)
                area.Intersect(ShapeInParent(parent).Offset(grandOrigin.x, grandOrigin.y));
            else
                area.Intersect(parent->rect.Offset(grandOrigin.x, grandOrigin.y));
        }
        bounds = area.Bounds();
    }
    return area;
}

Region WindowSystem::VisibleArea(const WindowNode* node, bool onScreen) const
{
    if (!node || node == &m_desktop || !IsEffectivelyVisible(node))
        return {};
    POINT parentOrigin = ScreenOrigin(node->parent);
    return ClipAgainstTree(node, ShapeInParent(node).Offset(parentOrigin.x, parentOrigin.y), onScreen);
}

Region WindowSystem::VisibleRegion(const WindowNode* node, bool onScreen) const
{
    Region area = VisibleArea(node, onScreen);
    if (area.IsEmpty())
        return area;
    POINT origin = ScreenOrigin(node);
    for (const WindowNode* child : node->children) {
        if (child->visible)
            area.Subtract(ShapeInParent(child).Offset(origin.x, origin.y));
    }
    return area;
}

Region WindowSystem::VisibleRegion(HWND hwnd) const { return VisibleRegion(Find(hwnd)); }

Region WindowSystem::UpdateRegion(HWND hwnd) const
{
    const WindowNode* node = Find(hwnd);
    if (!node)
        return Region();
    // With its share of the gathered area, as handing that out would leave it; the rest of the
    // area stays gathered.
    if ((m_invalidArea.IsEmpty() && m_newlyShown.empty()) || !IsEffectivelyVisible(node))
        return node->update;
    const POINT origin = ScreenOrigin(node);
    Region share = VisibleRegion(node);
    if (!InNewlyShown(node)) {
        Region gathered = m_invalidArea;
        for (const WindowNode* shown : m_newlyShown)
            gathered.Union(VisibleArea(shown));
        share.Intersect(gathered);
    }
    WindowNode copy;
    copy.update = node->update;
    AddToUpdate(&copy, share.Offset(-origin.x, -origin.y), false);
    return copy.update;
}

void WindowSystem::InvalidateNode(WindowNode* node, const Region* area, bool erase)
{
    Region r = area ? *area : Region(node->ClientRect());
    r.Intersect(node->ClientRect());
    POINT origin = ScreenOrigin(node);
    r.Intersect(VisibleRegion(node).Offset(-origin.x, -origin.y));
    AddToUpdate(node, r, erase);
}

bool WindowSystem::IsNewlyShown(const WindowNode* node) const
{
    return std::find(m_newlyShown.begin(), m_newlyShown.end(), node) != m_newlyShown.end();
}

bool WindowSystem::InNewlyShown(const WindowNode* node) const
{
    for (; node && node != &m_desktop; node = node->parent) {
        if (IsNewlyShown(node))
            return true;
    }
    return false;
}

void WindowSystem::InvalidateAreaOf(const WindowNode* node)
{
    // A window inside one just shown has nothing on the screen yet; the shown one's area is
    // gathered when handed out.
    if (!IsEffectivelyVisible(node) || InNewlyShown(node))
        return;
    // Nothing to add when the window's whole rectangle is already in the gathered area.
    const POINT parentOrigin = ScreenOrigin(node->parent);
    if (m_invalidArea.Covers(node->rect.Offset(parentOrigin.x, parentOrigin.y)))
        return;
    // What it shows on the screen now: windows just shown have not drawn over any of it yet.
    m_invalidArea.Union(VisibleArea(node, true));
}

void WindowSystem::GatherWhenHandedOut(WindowNode* node)
{
    if (!IsEffectivelyVisible(node) || InNewlyShown(node))
        return;
    m_newlyShown.push_back(node);
}

void WindowSystem::FlushInvalidAreas()
{
    for (const WindowNode* node : m_newlyShown)
        m_invalidArea.Union(VisibleArea(node));
    m_newlyShown.clear();
    if (m_invalidArea.IsEmpty())
        return;
    Region area;
    std::swap(area, m_invalidArea);
    InvalidateScreenArea(area, true);
}

void WindowSystem::HandOut(WindowNode* parent, POINT parentOrigin, Region& area, bool erase)
{
    // Top to bottom: each window takes what of the area lies on its shape, its children first
    // take their part of that, and the windows below get only what is left.
    for (auto it = parent->children.rbegin(); it != parent->children.rend() && !area.IsEmpty(); ++it) {
        WindowNode* node = *it;
        if (!node->visible || node->destroying
            || node->rect.Offset(parentOrigin.x, parentOrigin.y).Intersect(area.Bounds()).IsEmpty())
            continue;
        Region mine = ShapeInParent(node).Offset(parentOrigin.x, parentOrigin.y);
        mine.Intersect(area);
        if (mine.IsEmpty())
            continue;
        area.Subtract(mine);
        const POINT origin { parentOrigin.x + node->rect.left, parentOrigin.y + node->rect.top };
        HandOut(node, origin, mine, erase);
        AddToUpdate(node, mine.Offset(-origin.x, -origin.y), erase);
    }
}

void WindowSystem::InvalidateScreenArea(const Region& area, bool erase)
{
    if (area.IsEmpty())
        return;
    // Every visible window takes the part of the area it shows, in one pass from the top.
    Region left = area;
    left.Intersect(m_desktop.rect);
    HandOut(&m_desktop, POINT {}, left, erase);
}

void WindowSystem::Validate(WindowNode* node, const Region* area)
{
    FlushInvalidAreas();
    if (area)
        node->update.Subtract(*area);
    else
        node->update = Region();
    if (node->update.IsEmpty())
        node->erasepending = false;
}

WindowNode* WindowSystem::NextToPaint(WindowNode* from) const
{
    // Parents before children, lower siblings before higher ones.
    for (WindowNode* child : from->children) {
        if (!child->visible)
            continue;
        if (!child->update.IsEmpty())
            return child;
        if (WindowNode* found = NextToPaint(child))
            return found;
    }
    return nullptr;
}

void WindowSystem::DispatchPaint(WindowNode* node)
{
    HWND hwnd = node->hwnd;
    bool outer = m_beganPaint;
    m_beganPaint = false;
    node->object->WindowProc(WM_PAINT, 0, 0);
    // A handler that never began painting leaves the area as it was; the device's default would
    // have validated it, and without that the loop would paint it forever.
    if (!m_beganPaint) {
        if (WindowNode* still = Find(hwnd))
            Validate(still, nullptr);
    }
    m_beganPaint = outer;
}

bool WindowSystem::PaintOne()
{
    FlushInvalidAreas();
    WindowNode* node = NextToPaint(&m_desktop);
    if (!node)
        return false;
    DispatchPaint(node);
    return true;
}

void WindowSystem::PaintNow(WindowNode* node, bool withChildren)
{
    FlushInvalidAreas();
    HWND hwnd = node->hwnd;
    if (IsEffectivelyVisible(node) && !node->update.IsEmpty())
        DispatchPaint(node);
    if (withChildren) {
        for (HWND child : Children(hwnd)) {
            if (WindowNode* c = Find(child))
                PaintNow(c, true);
        }
    }
    Present();
}

void WindowSystem::PaintPending()
{
    while (PaintOne()) {
    }
    Present();
}

std::unique_ptr<DeviceContext> WindowSystem::BeginPaint(HWND hwnd, PAINTSTRUCT* ps)
{
    WindowNode* node = Find(hwnd);
    if (!node)
        return nullptr;
    FlushInvalidAreas();
    m_beganPaint = true;
    POINT origin = ScreenOrigin(node);
    Region clip = VisibleRegion(node);
    clip.Intersect(Region(node->update).Offset(origin.x, origin.y));
    bool erase = node->erasepending;
    node->update = Region();
    node->erasepending = false;

    auto dc = std::make_unique<DeviceContext>(&m_screen, origin, clip);
    m_previousTexts[hwnd] = std::exchange(m_drawnTexts[hwnd], {});
    ObserveTexts(*dc, hwnd, origin);
    ps->rcPaint = clip.Bounds().Offset(-origin.x, -origin.y);
    ps->fErase = false;
    if (erase)
        ps->fErase = Send(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0) == 0;
    m_dirty = m_dirty.Union(clip.Bounds());
    return dc;
}

std::unique_ptr<DeviceContext> WindowSystem::ClientContext(HWND hwnd)
{
    WindowNode* node = Find(hwnd);
    if (!node)
        return nullptr;
    // Drawing outside a paint lands on the screen as it is: under a window just shown, which
    // will draw over it or, cut away again, show it.
    Region clip = VisibleRegion(node, true);
    m_dirty = m_dirty.Union(clip.Bounds());
    auto dc = std::make_unique<DeviceContext>(&m_screen, ScreenOrigin(node), clip);
    ObserveTexts(*dc, hwnd, ScreenOrigin(node));
    return dc;
}

void WindowSystem::ObserveTexts(DeviceContext& dc, HWND hwnd, POINT origin)
{
    dc.SetTextObserver([this, hwnd, origin](const WString& text, const RECT& rect, const TextLook& look) {
        auto& texts = m_drawnTexts[hwnd];
        DrawnText drawn { text, rect.Offset(origin.x, origin.y), look };
        for (const DrawnText& t : texts) {
            if (t.text == drawn.text && t.rect == drawn.rect)
                return;
        }
        // A paint that leaves the text's middle out still shows the last paint's pixels there,
        // glyphs included: what the text lies on is what the last paint saw.
        if (!look.backgroundSeen) {
            for (const DrawnText& t : m_previousTexts[hwnd]) {
                if (t.text == drawn.text && t.rect == drawn.rect && t.look.backgroundSeen) {
                    drawn.look.background = t.look.background;
                    drawn.look.backgroundSeen = true;
                }
            }
        }
        texts.push_back(std::move(drawn));
    });
}

const std::vector<WindowSystem::DrawnText>& WindowSystem::DrawnTexts(HWND hwnd) const
{
    static const std::vector<DrawnText> none;
    auto it = m_drawnTexts.find(hwnd);
    return it == m_drawnTexts.end() ? none : it->second;
}

void WindowSystem::Present()
{
    if (m_dirty.IsEmpty())
        return;
    m_backend->Present(m_screen, m_dirty);
    m_dirty = RECT {};
    ++m_paintRounds;
}
