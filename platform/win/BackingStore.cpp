#include "platform/win/BackingStore.h"

#include "platform/win/WindowManager.h"

#include <algorithm>
#include <map>

namespace varn {
namespace {

using detail::Window;

// Owns the stores; releasing its references at exit frees them.
struct TStores : std::map<HWND, cairo_surface_t*> {
    ~TStores()
    {
        for (auto& [window, store] : *this)
            cairo_surface_destroy(store);
    }
};

TStores& stores()
{
    static TStores all;
    return all;
}

// Stores of destroyed windows go when the next one is asked for; DCs still on
// them hold their own reference.
void forgetDestroyed()
{
    auto& all = stores();
    for (auto it = all.begin(); it != all.end();) {
        if (detail::find(it->first)) {
            ++it;
            continue;
        }
        cairo_surface_destroy(it->second);
        it = all.erase(it);
    }
}

cairo_rectangle_int_t toCairo(const TRect& r)
{
    return {r.left, r.top, std::max(0, r.Width()), std::max(0, r.Height())};
}

TRect offset(const TRect& r, TPoint by) { return {r.left + by.x, r.top + by.y, r.right + by.x, r.bottom + by.y}; }

// Client origin of hwnd on its top-level window's backing store.
TPoint storeOrigin(HWND hwnd, HWND top)
{
    TPoint client = detail::clientOrigin(hwnd);
    const Window* t = detail::find(top);
    return {client.x - t->rect.left, client.y - t->rect.top};
}

TRect clientOnStore(HWND hwnd, HWND top)
{
    RECT client;
    GetClientRect(hwnd, &client);
    return offset(client, storeOrigin(hwnd, top));
}

// Narrows region to the client areas of hwnd's parents. An owner is no parent:
// a pop-up draws outside its owner.
void intersectAncestors(cairo_region_t* region, HWND hwnd, HWND top)
{
    for (const Window* w = detail::find(detail::find(hwnd)->parent); w; w = detail::find(w->parent)) {
        cairo_rectangle_int_t client = toCairo(clientOnStore(w->handle, top));
        cairo_region_intersect_rectangle(region, &client);
    }
}

// The pixels of the store that drawing on hwnd may touch: its client area inside
// every ancestor's client area, less its visible children when it clips them,
// within clip (client coordinates).
cairo_region_t* visibleRegion(HWND hwnd, HWND top, const TRect& clip)
{
    cairo_rectangle_int_t area = toCairo(offset(clip, storeOrigin(hwnd, top)));
    cairo_region_t* region = cairo_region_create_rectangle(&area);
    if (!IsWindowVisible(hwnd)) {
        cairo_region_subtract(region, region);
        return region;
    }
    intersectAncestors(region, hwnd, top);
    const Window* window = detail::find(hwnd);
    cairo_rectangle_int_t client = toCairo(clientOnStore(hwnd, top));
    cairo_region_intersect_rectangle(region, &client);
    if (window->style & WS_CLIPCHILDREN) {
        TPoint origin = storeOrigin(hwnd, top);
        for (HWND child : window->children) {
            const Window* c = detail::find(child);
            if (!c || !(c->style & WS_VISIBLE))
                continue;
            cairo_rectangle_int_t childRect = toCairo(offset(c->rect, origin));
            cairo_region_subtract_rectangle(region, &childRect);
        }
    }
    return region;
}

HDC acquire(HWND hwnd, const TRect& clip)
{
    HWND top = detail::topLevelOf(hwnd);
    cairo_surface_t* store = top ? backingStore(top) : nullptr;
    if (!store) {
        // A DC that draws nowhere, so that painting code never meets a null handle.
        static cairo_surface_t* nowhere = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 0, 0);
        return CreateSurfaceDC(nowhere);
    }
    HDC dc = CreateSurfaceDC(store, storeOrigin(hwnd, top));
    cairo_region_t* region = visibleRegion(hwnd, top, clip);
    SetDCClipRegion(dc, region);
    cairo_region_destroy(region);
    return dc;
}

// GetWindowDC: the window's own origin, its window rectangle less its client area,
// inside its parents' client areas.
HDC acquireWindow(HWND hwnd)
{
    HWND top = detail::topLevelOf(hwnd);
    cairo_surface_t* store = backingStore(top);
    RECT bounds;
    GetWindowRect(hwnd, &bounds);
    const Window* t = detail::find(top);
    TPoint origin{bounds.left - t->rect.left, bounds.top - t->rect.top};
    HDC dc = CreateSurfaceDC(store, origin);
    cairo_rectangle_int_t area = toCairo(offset({0, 0, bounds.Width(), bounds.Height()}, origin));
    cairo_region_t* region = cairo_region_create_rectangle(&area);
    if (IsWindowVisible(hwnd)) {
        cairo_rectangle_int_t client = toCairo(clientOnStore(hwnd, top));
        cairo_region_subtract_rectangle(region, &client);
        intersectAncestors(region, hwnd, top);
    } else {
        cairo_region_subtract(region, region);
    }
    SetDCClipRegion(dc, region);
    cairo_region_destroy(region);
    return dc;
}

}  // namespace

void installBackingStores()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    detail::setPaintDeviceProvider({acquire, [](HDC dc) { DeleteDC(dc); }, acquireWindow});
}

cairo_surface_t* backingStore(HWND topLevel)
{
    const Window* w = detail::find(topLevel);
    if (!w || w->parent)
        return nullptr;
    forgetDestroyed();
    auto& all = stores();
    // Cairo makes no image wider or taller than 32767 pixels (it would hand out a
    // surface in error, which draws nothing and leaks what is drawn with); a larger
    // window keeps that much of itself, more than any screen shows.
    const int maxSide = 32767;
    const int width = std::clamp(w->rect.Width(), 0, maxSide), height = std::clamp(w->rect.Height(), 0, maxSide);
    auto it = all.find(topLevel);
    if (it != all.end() && cairo_image_surface_get_width(it->second) == width &&
        cairo_image_surface_get_height(it->second) == height)
        return it->second;

    // A new or resized window: the old pixels stay at the top left, the rest is button face.
    cairo_surface_t* store = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(store);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    cairo_set_source_rgb(cr, GetRValue(face) / 255.0, GetGValue(face) / 255.0, GetBValue(face) / 255.0);
    cairo_paint(cr);
    if (it != all.end()) {
        cairo_set_source_surface(cr, it->second, 0, 0);
        cairo_paint(cr);
        cairo_surface_destroy(it->second);
    }
    cairo_destroy(cr);
    all[topLevel] = store;
    return store;
}

COLORREF windowPixel(HWND window, int x, int y)
{
    HWND top = detail::topLevelOf(window);
    cairo_surface_t* store = top ? backingStore(top) : nullptr;
    if (!store)
        return CLR_INVALID;
    TPoint origin = storeOrigin(window, top);
    HDC dc = CreateSurfaceDC(store, origin);
    COLORREF color = GetPixel(dc, x, y);
    DeleteDC(dc);
    return color;
}

bool SaveWindowToPngFile(HWND window, const AnsiString& fileName)
{
    HWND top = detail::topLevelOf(window);
    cairo_surface_t* store = top ? backingStore(top) : nullptr;
    const Window* w = detail::find(window);
    if (!store || !w)
        return false;
    RECT bounds;
    GetWindowRect(window, &bounds);
    const Window* t = detail::find(top);
    cairo_surface_t* part = cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(0, bounds.Width()),
                                                       std::max(0, bounds.Height()));
    cairo_t* cr = cairo_create(part);
    cairo_set_source_surface(cr, store, -(bounds.left - t->rect.left), -(bounds.top - t->rect.top));
    cairo_paint(cr);
    cairo_destroy(cr);
    bool saved = cairo_surface_write_to_png(part, fileName.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(part);
    return saved;
}

}  // namespace varn
