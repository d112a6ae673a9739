// Writes a drawn picture: the system's picture file and the 24-bit BMP through the
// picture-file library's own writers, the 8-bit BMP (which that library only reads) here.
#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>

#include "draw.h"
#include "wynbytes.h"
#include "wynplat.h"

namespace umbdraw {

namespace {

std::string SystemPath(const std::string& linuxPath) {
    char buf[4096];
    if (!WynPlat_ToSystemPath(linuxPath.c_str(), buf, sizeof buf)) return linuxPath;
    return buf;
}

}  // namespace

std::vector<uint8_t> Bmp8Bytes(const std::vector<ZEMPIXEL>& pixels, int width, int height) {
    // The fewest low bits dropped from each channel that leave at most 256 colours.
    std::vector<int> index(0x8000, -1);
    int drop = 0;
    std::vector<ZEMPIXEL> palette;
    for (;; ++drop) {
        const int keep = (31 >> drop) << drop;
        const ZEMPIXEL mask = ZEMPIXEL(UMB_MakePixel(keep, keep, keep));
        std::vector<bool> seen(0x8000, false);
        palette.clear();
        for (ZEMPIXEL p : pixels) {
            const ZEMPIXEL q = ZEMPIXEL(p & mask);
            if (!seen[q]) seen[q] = true, palette.push_back(q);
        }
        if (palette.size() <= 256) {
            std::sort(palette.begin(), palette.end());
            for (size_t i = 0; i < palette.size(); ++i) index[palette[i]] = int(i);
            for (int c = 0; c < 0x8000; ++c) index[size_t(c)] = index[size_t(c & mask)];
            break;
        }
    }
    const size_t stride = (size_t(width) + 3) & ~size_t(3);
    const size_t paletteBytes = palette.size() * 4;
    const size_t size = 14 + 40 + paletteBytes + stride * size_t(height);
    std::vector<uint8_t> out(size, 0);
    wyn::ByteWriter w(out.data(), out.size());
    w.u8('B');
    w.u8('M');
    w.u32(uint32_t(size));
    w.u32(0);
    w.u32(uint32_t(14 + 40 + paletteBytes));
    w.u32(40);
    w.u32(uint32_t(width));
    w.u32(uint32_t(height));  // positive: rows bottom-up
    w.u16(1);
    w.u16(8);
    w.u32(0);
    w.u32(uint32_t(stride * size_t(height)));
    w.u32(4000);
    w.u32(4000);
    w.u32(uint32_t(palette.size()));
    w.u32(0);
    for (ZEMPIXEL c : palette) {
        w.u8(uint8_t(UMB_Channel5To8(UMB_PixelBlue(c))));
        w.u8(uint8_t(UMB_Channel5To8(UMB_PixelGreen(c))));
        w.u8(uint8_t(UMB_Channel5To8(UMB_PixelRed(c))));
        w.u8(0);
    }
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x)
            w.u8(uint8_t(index[pixels[size_t(y) * size_t(width) + size_t(x)] & ZEMPIXEL_COLOUR]));
        w.fill(0, stride - size_t(width));
    }
    return out;
}

std::vector<uint8_t> IconBytes(const Picture& p, const std::vector<ZEMPIXEL>& pixels) {
    const int w = p.width, h = p.height;
    const size_t maskStride = ((size_t(w) + 31) / 32) * 4;
    const size_t image = 40 + size_t(w) * size_t(h) * 4 + maskStride * size_t(h);
    std::vector<uint8_t> out(6 + 16 + image, 0);
    wyn::ByteWriter b(out.data(), out.size());
    const bool cursor = p.output == Output::Cursor;
    b.u16(0);
    b.u16(cursor ? 2 : 1);
    b.u16(1);
    b.u8(uint8_t(w == 256 ? 0 : w));
    b.u8(uint8_t(h == 256 ? 0 : h));
    b.u8(0);
    b.u8(0);
    b.u16(uint16_t(cursor ? p.hotX : 1));  // an icon's planes, a cursor's hot spot
    b.u16(uint16_t(cursor ? p.hotY : 32));
    b.u32(uint32_t(image));
    b.u32(6 + 16);
    b.u32(40);
    b.u32(uint32_t(w));
    b.u32(uint32_t(h * 2));  // the colour rows and the mask's
    b.u16(1);
    b.u16(32);
    b.u32(0);
    b.u32(uint32_t(image - 40));
    b.fill(0, 16);
    auto alpha = [&](ZEMPIXEL px) -> uint8_t {
        if (p.hasKey && (px & ZEMPIXEL_COLOUR) == (p.key & ZEMPIXEL_COLOUR)) return 0;
        return px & ZEMPIXEL_HALF ? 0x80 : 0xFF;
    };
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) {
            const ZEMPIXEL px = pixels[size_t(y) * size_t(w) + size_t(x)];
            const uint8_t a = alpha(px);
            b.u8(a ? uint8_t(UMB_Channel5To8(UMB_PixelBlue(px))) : 0);
            b.u8(a ? uint8_t(UMB_Channel5To8(UMB_PixelGreen(px))) : 0);
            b.u8(a ? uint8_t(UMB_Channel5To8(UMB_PixelRed(px))) : 0);
            b.u8(a);
        }
    for (int y = h - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskStride, 0);
        for (int x = 0; x < w; ++x)
            if (!alpha(pixels[size_t(y) * size_t(w) + size_t(x)]))
                row[size_t(x) / 8] |= uint8_t(0x80 >> (x % 8));
        for (uint8_t v : row) b.u8(v);
    }
    return out;
}

bool Write(const Picture& p, const std::vector<ZEMPIXEL>& pixels, const std::string& path,
           std::string* error) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    if (p.output == Output::Bmp8 || p.output == Output::Icon || p.output == Output::Cursor) {
        const std::vector<uint8_t> bytes =
            p.output == Output::Bmp8 ? Bmp8Bytes(pixels, p.width, p.height) : IconBytes(p, pixels);
        std::ofstream f(path, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!f) *error = "cannot write " + path;
        return bool(f);
    }
    tagCELL cell{};
    cell.mode = CELL_MODE_NORMAL;
    cell.xsize = p.width;
    cell.ysize = p.height;
    int fw, fh;
    FrameSize(p, &fw, &fh);
    cell.xpos = fw;
    cell.ypos = fh;
    cell.xoffset = p.xoffset;
    cell.yoffset = p.yoffset;
    cell.mask = p.hasKey ? LONG(p.key & ZEMPIXEL_COLOUR) : CELL_MASK_NONE;
    cell.bits = const_cast<ZEMPIXEL*>(pixels.data());
    const std::string sys = SystemPath(path);
    const int ok = p.output == Output::Bmp24
                       ? UMBDLL_WriteBMP24(sys.c_str(), &cell)
                       : UMBDLL_WriteUMB16(sys.c_str(), &cell, p.form, p.raw ? 0 : 1, nullptr);
    if (!ok) *error = "cannot write " + path;
    return ok != 0;
}

}  // namespace umbdraw
