// LoadImageA: BMP files from the file system as DIB sections, icon and cursor files as handles
// of their pictures.
#include <cstring>
#include <fstream>
#include <iterator>

#include <wynplat.h>

#include "gdi/bmp_read.h"
#include "gdi/gdi.h"
#include "resources/resources.h"
#include "user/icons.h"

using namespace wynplat;

namespace {

HANDLE BitmapFromBmp(const uint8_t* data, size_t size) {
    BmpImage img;
    if (!ReadBmp(data, size, &img)) {
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return nullptr;
    }
    int palCount = static_cast<int>(img.palette.size() / 4);
    std::vector<RGBQUAD> pal(palCount);
    for (int i = 0; i < palCount; ++i)
        pal[i] = RGBQUAD{img.palette[i * 4], img.palette[i * 4 + 1], img.palette[i * 4 + 2], 0};
    auto dib = MakeDib(img.w, img.h, img.bpp, img.topDown, img.bitfields ? img.masks : nullptr,
                       pal.data(), palCount);
    std::memcpy(dib->mem.get(), img.rows.data(), img.rows.size());
    return RegisterBitmap(std::move(dib));
}

}  // namespace

HANDLE WINAPI LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags) {
    if (!(flags & LR_LOADFROMFILE)) {
        // A resource of the module.
        if (type == IMAGE_ICON) return LoadIconA(instance, name);
        if (type == IMAGE_CURSOR) return LoadCursorA(instance, name);
        wyn::res::Found f;
        if (type != IMAGE_BITMAP || !wyn::res::Find(instance, RT_BITMAP, name, &f)) {
            if (type != IMAGE_BITMAP) SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
            return nullptr;
        }
        return BitmapFromBmp(static_cast<const uint8_t*>(f.data), f.size);
    }
    if (!name || IS_INTRESOURCE(name) ||
        (type != IMAGE_BITMAP && type != IMAGE_ICON && type != IMAGE_CURSOR)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    char path[4096];
    if (!WynPlat_ResolvePath(name, path, sizeof path)) return nullptr;
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)),
                               std::istreambuf_iterator<char>());
    if (type != IMAGE_BITMAP)
        return LoadIconFile(bytes.data(), bytes.size(), type == IMAGE_CURSOR, cx, cy);
    return BitmapFromBmp(bytes.data(), bytes.size());
}
