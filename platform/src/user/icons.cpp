// Icons and cursors read from files: their pictures kept by handle, destroyed by their owner,
// read back through GetIconInfo, shown by the display as the pointer's shape or a window's icon.
#include <wynplat.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

#include "backend/backend.h"
#include "gdi/gdi.h"
#include "gdi/icon_read.h"
#include "user/icons.h"
#include "user/user.h"

namespace wynplat {

namespace {

// Handles of file icons: above the stock and resource handles, one apart.
constexpr uintptr_t kFirstHandle = 0x1000000;

struct Icons {
    std::mutex m;
    uintptr_t next = kFirstHandle;
    std::map<uintptr_t, std::shared_ptr<const IconImage>> live;
};

Icons& TheIcons() {
    static Icons* icons = new Icons;  // handles may be destroyed while the process ends
    return *icons;
}

bool Destroy(HICON handle, bool cursor) {
    Icons& icons = TheIcons();
    std::lock_guard<std::mutex> lk(icons.m);
    auto it = icons.live.find(reinterpret_cast<uintptr_t>(handle));
    if (it == icons.live.end() || it->second->cursor != cursor) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    icons.live.erase(it);
    return true;
}

// A bitmap of the picture's colours (32 bits, top-down) or of its mask (1 bit, set where the
// picture is clear).
HBITMAP BitmapOf(const IconImage& icon, bool mask) {
    if (!mask) {
        auto dib = MakeDib(icon.w, icon.h, 32, true, nullptr, nullptr, 0);
        for (int y = 0; y < icon.h; ++y)
            std::copy_n(icon.argb.data() + size_t(y) * size_t(icon.w), icon.w,
                        reinterpret_cast<uint32_t*>(dib->mem.get() + size_t(y) * dib->stride));
        return RegisterBitmap(std::move(dib));
    }
    const RGBQUAD pal[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    auto dib = MakeDib(icon.w, icon.h, 1, true, nullptr, pal, 2);
    for (int y = 0; y < icon.h; ++y) {
        uint8_t* row = dib->mem.get() + size_t(y) * dib->stride;
        for (int x = 0; x < icon.w; ++x)
            if ((icon.argb[size_t(y) * size_t(icon.w) + size_t(x)] >> 24) == 0)
                row[x / 8] |= uint8_t(0x80 >> (x % 8));
    }
    return RegisterBitmap(std::move(dib));
}

}  // namespace

HANDLE LoadIconFile(const uint8_t* bytes, size_t size, bool cursor, int cx, int cy) {
    auto icon = std::make_shared<IconImage>();
    if (!ReadIconFile(bytes, size, cursor, cx > 0 ? cx : 32, cy > 0 ? cy : 32, icon.get())) {
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return nullptr;
    }
    Icons& icons = TheIcons();
    std::lock_guard<std::mutex> lk(icons.m);
    const uintptr_t handle = icons.next++;
    icons.live[handle] = std::move(icon);
    return reinterpret_cast<HANDLE>(handle);
}

std::shared_ptr<const IconImage> FindIconFile(HICON handle) {
    Icons& icons = TheIcons();
    std::lock_guard<std::mutex> lk(icons.m);
    auto it = icons.live.find(reinterpret_cast<uintptr_t>(handle));
    return it == icons.live.end() ? nullptr : it->second;
}

}  // namespace wynplat

using namespace wynplat;

BOOL WINAPI DestroyIcon(HICON icon) { return Destroy(icon, false); }

BOOL WINAPI DestroyCursor(HCURSOR cursor) { return Destroy(cursor, true); }

BOOL WINAPI GetIconInfo(HICON icon, PICONINFO info) {
    auto image = FindIconFile(icon);
    if (!image || !info) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    info->fIcon = image->cursor ? FALSE : TRUE;
    info->xHotspot = DWORD(image->cursor ? image->hotX : image->w / 2);
    info->yHotspot = DWORD(image->cursor ? image->hotY : image->h / 2);
    info->hbmMask = BitmapOf(*image, true);
    info->hbmColor = BitmapOf(*image, false);
    return TRUE;
}
