// LoadImageA: BMP files from the file system as DIB sections.
#include <cstring>
#include <fstream>
#include <iterator>

#include <wynplat.h>

#include "gdi/bmp_read.h"
#include "gdi/gdi.h"

using namespace wynplat;

HANDLE WINAPI LoadImageA(HINSTANCE, LPCSTR name, UINT type, int, int, UINT flags) {
    if (!name || IS_INTRESOURCE(name) || type != IMAGE_BITMAP || !(flags & LR_LOADFROMFILE)) {
        SetLastError(ERROR_FILE_NOT_FOUND);  // the programs have no bitmap resources here
        return nullptr;
    }
    char path[4096];
    if (!WynPlat_ResolvePath(name, path, sizeof path)) return nullptr;
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    BmpImage img;
    if (!ReadBmp(bytes.data(), bytes.size(), &img)) {
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return nullptr;
    }
    int palCount = static_cast<int>(img.palette.size() / 4);
    std::vector<RGBQUAD> pal(palCount);
    for (int i = 0; i < palCount; ++i)
        pal[i] = RGBQUAD{img.palette[i * 4], img.palette[i * 4 + 1], img.palette[i * 4 + 2], 0};
    auto dib = MakeDib(img.w, img.h, img.bpp, img.topDown, img.bitfields ? img.masks : nullptr, pal.data(), palCount);
    std::memcpy(dib->mem.get(), img.rows.data(), img.rows.size());
    return RegisterBitmap(std::move(dib));
}
