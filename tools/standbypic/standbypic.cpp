// standbypic: makes the stand-by window's picture. A dark framed panel with the system's
// "please wait" text, drawn through the platform's GDI text (the Japanese font), written as a
// 24-bit BMP through the picture-file library.
//   standbypic description.txt out.bmp
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <windows.h>

#include "umb33.h"
#include "wynplat.h"

namespace {

struct Description {
    int width = 0, height = 0;
    COLORREF panel = 0, frame = 0, text = 0;
    int font = 24;
    std::vector<std::string> lines;  // Shift-JIS
};

bool ReadColour(std::istringstream& in, COLORREF* out) {
    int r, g, b;
    if (!(in >> r >> g >> b) || r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255)
        return false;
    *out = RGB(r, g, b);
    return true;
}

bool ReadDescription(const char* path, Description* d) {
    std::ifstream f(path);
    if (!f) return false;
    std::string line;
    int number = 0;
    while (std::getline(f, line)) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
        std::istringstream in(line);
        std::string key;
        in >> key;
        bool ok = true;
        if (key == "size") {
            ok = static_cast<bool>(in >> d->width >> d->height) && d->width > 0 && d->height > 0 &&
                 d->width <= 4096 && d->height <= 4096;
        } else if (key == "panel") {
            ok = ReadColour(in, &d->panel);
        } else if (key == "frame") {
            ok = ReadColour(in, &d->frame);
        } else if (key == "text") {
            ok = ReadColour(in, &d->text);
        } else if (key == "font") {
            ok = static_cast<bool>(in >> d->font) && d->font > 0 && d->font < 256;
        } else if (key == "line") {
            std::string rest = line.substr(line.find("line") + 5);
            char sjis[1024];
            WynPlat_FromUtf8(rest.c_str(), 932, sjis, sizeof sjis);
            d->lines.push_back(sjis);
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "standbypic: %s line %d not understood\n", path, number);
            return false;
        }
    }
    return d->width > 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: standbypic description.txt out.bmp\n");
        return 2;
    }
    Description d;
    if (!ReadDescription(argv[1], &d)) {
        std::fprintf(stderr, "standbypic: cannot read %s\n", argv[1]);
        return 1;
    }
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = d.width;
    bi.bmiHeader.biHeight = -d.height;  // top-down rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp || !bits) {
        std::fprintf(stderr, "standbypic: no drawing surface\n");
        return 1;
    }
    HGDIOBJ oldBmp = SelectObject(dc, bmp);
    RECT all{0, 0, d.width, d.height};
    HBRUSH panel = CreateSolidBrush(d.panel);
    FillRect(dc, &all, panel);
    HBRUSH frame = CreateSolidBrush(d.frame);
    RECT inner{4, 4, d.width - 4, d.height - 4};
    FrameRect(dc, &inner, frame);
    HFONT font = CreateFontA(d.font, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0,
                             "ＭＳ ゴシック");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, d.text);
    int n = static_cast<int>(d.lines.size());
    for (int i = 0; i < n; ++i) {
        RECT band{0, d.height * i / n, d.width, d.height * (i + 1) / n};
        DrawTextA(dc, d.lines[i].c_str(), -1, &band, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    GdiFlush();

    tagCELL cell{};
    if (!UMBDLL_CreateCell(&cell, d.width, d.height)) return 1;
    const auto* px = static_cast<const uint32_t*>(bits);
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x) {
            uint32_t c = px[static_cast<size_t>(y) * d.width + x];
            int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
            cell.bits[static_cast<size_t>(y) * d.width + x] =
                static_cast<ZEMPIXEL>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
        }
    char out[1024];
    if (!WynPlat_ToSystemPath(argv[2], out, sizeof out))
        std::snprintf(out, sizeof out, "%s", argv[2]);
    int ok = UMBDLL_WriteBMP24(out, &cell);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBmp);
    DeleteObject(font);
    DeleteObject(panel);
    DeleteObject(frame);
    DeleteObject(bmp);
    DeleteDC(dc);
    if (!ok) {
        std::fprintf(stderr, "standbypic: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
