// Drawing: DIB sections at 5-5-5, 5-6-5 and 32 bits blitted and stretched into a window,
// pixel-exact in its screenshot, clipped silently; fills, pixels, lines, colour tables,
// BMP files and the display mode.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "window_fixture.h"

using namespace wintest;

namespace {

struct Format {
    const char* name;
    int bpp;
    bool bitfields;
    uint32_t masks[3];
};

// More 16-bit layouts than the blitter keeps tables for: the last ones decode pixel by pixel.
const Format kFormats[] = {
    {"5-5-5", 16, false, {0x7C00, 0x03E0, 0x001F}},
    {"5-6-5", 16, true, {0xF800, 0x07E0, 0x001F}},
    {"32", 32, false, {0xFF0000, 0xFF00, 0xFF}},
    {"4-4-4", 16, true, {0x0F00, 0x00F0, 0x000F}},
    {"5-5-5 blue first", 16, true, {0x001F, 0x03E0, 0x7C00}},
    {"6-5-5", 16, true, {0xFC00, 0x03E0, 0x001F}},
    {"5-5-6", 16, true, {0xF800, 0x07C0, 0x003F}},
};

// The colour a channel of `bits` bits stands for on the 8-bit screen.
uint32_t Expand(uint32_t v, int bits) {
    if (bits == 8) return v;
    uint32_t r = v << (8 - bits);
    return r | (r >> bits);
}

int Bits(uint32_t m) { return __builtin_popcount(m); }
int Shift(uint32_t m) { return __builtin_ctz(m); }

struct Source {
    HDC dc;
    HBITMAP bmp;
    HGDIOBJ old;
    std::vector<uint32_t> want;  // XRGB per source pixel, top-down
};

// A 4 x 3 source whose every pixel differs, written straight into the DIB's bits.
Source MakeSource(const Format& f, bool topDown) {
    struct {
        BITMAPINFOHEADER h;
        DWORD masks[3];
    } bi{};
    bi.h.biSize = sizeof(BITMAPINFOHEADER);
    bi.h.biWidth = 4;
    bi.h.biHeight = topDown ? -3 : 3;
    bi.h.biPlanes = 1;
    bi.h.biBitCount = static_cast<WORD>(f.bpp);
    bi.h.biCompression = f.bitfields ? BI_BITFIELDS : BI_RGB;
    std::memcpy(bi.masks, f.masks, sizeof bi.masks);
    void* bits = nullptr;
    Source s;
    s.bmp = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits,
                             nullptr, 0);
    EXPECT_TRUE(s.bmp && bits) << f.name;
    int stride = ((4 * f.bpp + 31) / 32) * 4;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            uint32_t ch[3] = {static_cast<uint32_t>(x * 9 + 3), static_cast<uint32_t>(y * 7 + 5),
                              static_cast<uint32_t>(x * 3 + y * 4 + 1)};
            uint32_t raw = 0, xrgb = 0;
            for (int c = 0; c < 3; ++c) {
                uint32_t max = (1u << Bits(f.masks[c])) - 1;
                uint32_t v = (ch[c] * 8) & max;
                raw |= v << Shift(f.masks[c]);
                xrgb |= Expand(v, Bits(f.masks[c])) << (16 - 8 * c);
            }
            int row = topDown ? y : 2 - y;
            uint8_t* p = static_cast<uint8_t*>(bits) + row * stride + x * (f.bpp / 8);
            std::memcpy(p, &raw, f.bpp / 8);
            s.want.push_back(xrgb);
        }
    s.dc = CreateCompatibleDC(nullptr);
    s.old = SelectObject(s.dc, s.bmp);
    return s;
}

void Free(Source& s) {
    SelectObject(s.dc, s.old);
    DeleteDC(s.dc);
    EXPECT_TRUE(DeleteObject(s.bmp));
}

HWND Canvas(int w, int h) {
    RegisterRecording("GdiTest");
    HWND win = Popup("GdiTest", w, h);
    PumpAll();
    Fill(win, RECT{0, 0, w, h}, RGB(1, 2, 3));
    return win;
}

TEST(Gdi, BlitsArePixelExactInEveryFormatAndOrientation) {
    const uint32_t bg = Xrgb(RGB(1, 2, 3));
    for (const Format& f : kFormats)
        for (bool topDown : {false, true}) {
            std::string what = std::string(f.name) + (topDown ? " top-down" : " bottom-up");
            HWND win = Canvas(16, 12);
            Source s = MakeSource(f, topDown);
            HDC dc = GetDC(win);
            // Whole, clipped at the top-left, clipped at the bottom-right, and a source
            // rectangle that runs off the bitmap.
            ASSERT_TRUE(BitBlt(dc, 2, 1, 4, 3, s.dc, 0, 0, SRCCOPY)) << what;
            BitBlt(dc, -1, -2, 4, 3, s.dc, 0, 0, SRCCOPY);
            BitBlt(dc, 14, 10, 4, 3, s.dc, 0, 0, SRCCOPY);
            BitBlt(dc, 8, 5, 4, 3, s.dc, 2, 1, SRCCOPY);
            ReleaseDC(win, dc);
            Picture p = Capture(win);
            auto src = [&](int x, int y) { return s.want[y * 4 + x]; };
            for (int y = 0; y < 12; ++y)
                for (int x = 0; x < 16; ++x) {
                    uint32_t want = bg;
                    if (x >= 2 && x < 6 && y >= 1 && y < 4) want = src(x - 2, y - 1);
                    if (x < 3 && y < 1) want = src(x + 1, y + 2);
                    if (x >= 14 && y >= 10) want = src(x - 14, y - 10);
                    if (x >= 8 && x < 10 && y >= 5 && y < 7) want = src(x - 8 + 2, y - 5 + 1);
                    ASSERT_EQ(p.At(x, y), want) << what << " at " << x << "," << y;
                }
            Free(s);
            DestroyWindow(win);
        }
}

// Every value of the two 16-bit layouts the system draws in, blitted whole and at an odd
// offset and width (so that rows end between the blitter's registers), each pixel exact.
TEST(Gdi, BlitsEverySixteenBitValueExactly) {
    const uint32_t bg = Xrgb(RGB(1, 2, 3));
    for (const Format& f : {kFormats[0], kFormats[1]}) {
        struct {
            BITMAPINFOHEADER h;
            DWORD masks[3];
        } bi{};
        bi.h.biSize = sizeof(BITMAPINFOHEADER);
        bi.h.biWidth = 256;
        bi.h.biHeight = -256;
        bi.h.biPlanes = 1;
        bi.h.biBitCount = 16;
        bi.h.biCompression = f.bitfields ? BI_BITFIELDS : BI_RGB;
        std::memcpy(bi.masks, f.masks, sizeof bi.masks);
        void* bits = nullptr;
        HBITMAP bmp = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS,
                                       &bits, nullptr, 0);
        ASSERT_TRUE(bmp && bits) << f.name;
        auto* px = static_cast<uint16_t*>(bits);
        for (uint32_t v = 0; v < 65536; ++v) px[v] = static_cast<uint16_t>(v);
        auto want = [&](uint32_t v) {
            uint32_t xrgb = 0;
            for (int c = 0; c < 3; ++c)
                xrgb |= Expand((v & f.masks[c]) >> Shift(f.masks[c]), Bits(f.masks[c]))
                        << (16 - 8 * c);
            return xrgb;
        };
        HDC mem = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(mem, bmp);
        for (int odd : {0, 1}) {
            const int x0 = odd ? 3 : 0, sx = odd ? 5 : 0, w = odd ? 243 : 256;
            HWND win = Canvas(256, 256);
            HDC dc = GetDC(win);
            ASSERT_TRUE(BitBlt(dc, x0, 0, w, 256, mem, sx, 0, SRCCOPY)) << f.name;
            ReleaseDC(win, dc);
            Picture p = Capture(win);
            for (int y = 0; y < 256; ++y)
                for (int x = 0; x < 256; ++x) {
                    const bool inside = x >= x0 && x < x0 + w;
                    ASSERT_EQ(p.At(x, y), inside ? want(y * 256 + x - x0 + sx) : bg)
                        << f.name << (odd ? " at an odd offset" : "") << ", pixel " << x << ","
                        << y;
                }
            DestroyWindow(win);
        }
        SelectObject(mem, old);
        DeleteDC(mem);
        DeleteObject(bmp);
    }
}

TEST(Gdi, StretchDoublesAndMirrorsByWholePixels) {
    for (const Format& f : kFormats) {
        HWND win = Canvas(20, 10);
        Source s = MakeSource(f, false);
        HDC dc = GetDC(win);
        SetStretchBltMode(dc, COLORONCOLOR);
        ASSERT_TRUE(StretchBlt(dc, 0, 0, 8, 6, s.dc, 0, 0, 4, 3, SRCCOPY)) << f.name;
        // Mirrored and clipped at the right edge.
        StretchBlt(dc, 19, 0, -4, 3, s.dc, 0, 0, 4, 3, SRCCOPY);
        ReleaseDC(win, dc);
        Picture p = Capture(win);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(p.At(x, y), s.want[(y / 2) * 4 + x / 2])
                    << f.name << " at " << x << "," << y;
        for (int x = 15; x < 19; ++x)
            ASSERT_EQ(p.At(x, 0), s.want[18 - x]) << f.name << " mirrored at " << x;
        Free(s);
        DestroyWindow(win);
    }
}

TEST(Gdi, BlitsBetweenDibsConvertFormats) {
    Source a = MakeSource(kFormats[2], true);  // 32 bits
    Source b = MakeSource(kFormats[1], true);  // 5-6-5
    ASSERT_TRUE(BitBlt(b.dc, 0, 0, 4, 3, a.dc, 0, 0, SRCCOPY));
    COLORREF c = GetPixel(b.dc, 1, 1);
    COLORREF src = GetPixel(a.dc, 1, 1);
    EXPECT_EQ(GetRValue(c) >> 3, GetRValue(src) >> 3);
    EXPECT_EQ(GetGValue(c) >> 2, GetGValue(src) >> 2);
    EXPECT_EQ(GetPixel(b.dc, 4, 0), CLR_INVALID);
    Free(a);
    Free(b);
}

TEST(Gdi, FillsPixelsLinesAndStockObjects) {
    HWND win = Canvas(10, 10);
    HDC dc = GetDC(win);
    RECT r{2, 2, 5, 4};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(GetPixel(dc, 2, 2), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 5, 2), RGB(1, 2, 3));
    EXPECT_EQ(SetPixel(dc, 9, 9, RGB(10, 20, 30)), RGB(10, 20, 30));
    EXPECT_TRUE(SetPixelV(dc, 0, 9, RGB(40, 50, 60)));
    EXPECT_FALSE(SetPixelV(dc, 10, 9, RGB(40, 50, 60)));
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 255, 0));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, 4, 0);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    ReleaseDC(win, dc);
    Picture p = Capture(win);
    EXPECT_EQ(p.At(9, 9), 0x0A141Eu);
    EXPECT_EQ(p.At(0, 9), 0x28323Cu);
    EXPECT_EQ(p.At(3, 0), 0x00FF00u);
    EXPECT_EQ(p.At(4, 0), Xrgb(RGB(1, 2, 3))) << "the end point is not drawn";
    LOGBRUSH lb;
    EXPECT_EQ(GetObjectA(GetStockObject(BLACK_BRUSH), sizeof lb, &lb), static_cast<int>(sizeof lb));
    EXPECT_EQ(lb.lbColor, 0u);
    EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(0x1234))));
    EXPECT_EQ(SelectObject(reinterpret_cast<HDC>(static_cast<uintptr_t>(0x1234)),
                           GetStockObject(BLACK_PEN)),
              nullptr);
    EXPECT_FALSE(BitBlt(reinterpret_cast<HDC>(static_cast<uintptr_t>(0x1234)), 0, 0, 1, 1, nullptr,
                        0, 0, SRCCOPY));
}

// One table of system colours: GetSysColor, GetSysColorBrush and a class brush given as
// (HBRUSH)(COLOR_x + 1) paint the same colour for every COLOR_ value.
TEST(Gdi, SystemColoursAgreeAcrossColourBrushAndClassBrush) {
    HWND win = Canvas(4, 2);
    HDC dc = GetDC(win);
    RECT left{0, 0, 2, 2}, right{2, 0, 4, 2};
    for (int i = COLOR_SCROLLBAR; i <= COLOR_BTNHIGHLIGHT; ++i) {
        HBRUSH sys = GetSysColorBrush(i);
        ASSERT_NE(sys, nullptr) << "COLOR_ " << i;
        FillRect(dc, &left, reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(i + 1)));
        FillRect(dc, &right, sys);
        EXPECT_EQ(GetPixel(dc, 0, 0), GetSysColor(i)) << "class brush of COLOR_ " << i;
        EXPECT_EQ(GetPixel(dc, 2, 0), GetSysColor(i)) << "GetSysColorBrush of COLOR_ " << i;
    }
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), RGB(128, 128, 128));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGB(0, 0, 128));
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT + 1), 0u) << "no such colour";
    EXPECT_EQ(GetSysColorBrush(COLOR_BTNHIGHLIGHT + 1), nullptr);
    EXPECT_EQ(GetSysColorBrush(-1), nullptr);
    // The system owns its brushes: deleting one leaves it painting.
    DeleteObject(GetSysColorBrush(COLOR_BTNFACE));
    FillRect(dc, &left, GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(192, 192, 192));
    ReleaseDC(win, dc);
}

TEST(Gdi, EightBitSectionsKeepTheirColourTable) {
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD pal[4];
    } bi{};
    bi.h.biSize = sizeof(BITMAPINFOHEADER);
    bi.h.biWidth = 3;
    bi.h.biHeight = -2;
    bi.h.biPlanes = 1;
    bi.h.biBitCount = 8;
    bi.h.biClrUsed = 4;
    bi.pal[1] = RGBQUAD{255, 0, 0, 0};  // blue
    bi.pal[2] = RGBQUAD{0, 0, 255, 0};  // red
    void* bits;
    HBITMAP b = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits,
                                 nullptr, 0);
    ASSERT_TRUE(b);
    static_cast<uint8_t*>(bits)[0] = 2;
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, b);
    RGBQUAD got[8];
    EXPECT_EQ(GetDIBColorTable(dc, 0, 8, got), 4u);
    EXPECT_EQ(got[1].rgbBlue, 255);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));
    RGBQUAD green{0, 255, 0, 0};
    EXPECT_EQ(SetDIBColorTable(dc, 2, 1, &green), 1u);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 255, 0));
    EXPECT_TRUE(SetPixelV(dc, 1, 0, RGB(0, 0, 250)));
    EXPECT_EQ(static_cast<uint8_t*>(bits)[1], 1) << "the nearest colour of the table";
    DIBSECTION ds;
    ASSERT_EQ(GetObjectA(b, sizeof ds, &ds), static_cast<int>(sizeof ds));
    EXPECT_EQ(ds.dsBm.bmWidth, 3);
    EXPECT_EQ(ds.dsBm.bmWidthBytes, 4);
    EXPECT_EQ(ds.dsBmih.biHeight, -2);
    EXPECT_EQ(ds.dsBm.bmBits, bits);
    EXPECT_FALSE(DeleteObject(b)) << "still selected";
    DeleteDC(dc);
    EXPECT_TRUE(DeleteObject(b));
}

std::vector<uint8_t> Le(uint32_t v, int n) {
    std::vector<uint8_t> out;
    for (int i = 0; i < n; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return out;
}

TEST(Gdi, LoadsABmpFileAsADibSection) {
    // A 2 x 2 24-bit bottom-up file: rows padded to 8 bytes.
    std::vector<uint8_t> f;
    auto put = [&](uint32_t v, int n) {
        auto b = Le(v, n);
        f.insert(f.end(), b.begin(), b.end());
    };
    put('B' | ('M' << 8), 2);
    put(14 + 40 + 16, 4);
    put(0, 4);
    put(54, 4);
    put(40, 4);
    put(2, 4);
    put(2, 4);
    put(1, 2);
    put(24, 2);
    put(0, 4);
    put(16, 4);
    put(0, 4);
    put(0, 4);
    put(0, 4);
    put(0, 4);
    const uint8_t rows[16] = {0,   0, 255, 0,   255, 0,   0, 0,   // bottom: red, green
                              255, 0, 0,   255, 255, 255, 0, 0};  // top: blue, white
    f.insert(f.end(), rows, rows + 16);
    std::string dir = getenv("WYN_RUNTIME_DIR") ? getenv("WYN_RUNTIME_DIR") : "/tmp";
    std::string mk = "mkdir -p '" + dir + "'";
    ASSERT_EQ(system(mk.c_str()), 0);
    std::string path = dir + "/pic.bmp";
    FILE* out = fopen(path.c_str(), "wb");
    ASSERT_TRUE(out);
    fwrite(f.data(), 1, f.size(), out);
    fclose(out);
    HBITMAP b = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                                LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    ASSERT_TRUE(b);
    BITMAP bm;
    GetObjectA(b, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 2);
    EXPECT_EQ(bm.bmHeight, 2);
    EXPECT_EQ(bm.bmBitsPixel, 24);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, b);
    EXPECT_EQ(GetPixel(dc, 0, 1), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 1, 0), RGB(255, 255, 255));
    DeleteDC(dc);
    DeleteObject(b);
    // Cut short: refused.
    out = fopen(path.c_str(), "wb");
    fwrite(f.data(), 1, f.size() - 3, out);
    fclose(out);
    EXPECT_EQ(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                         LR_LOADFROMFILE | LR_CREATEDIBSECTION),
              nullptr);
    EXPECT_EQ(LoadImageA(nullptr, "no-such.bmp", IMAGE_BITMAP, 0, 0,
                         LR_LOADFROMFILE | LR_CREATEDIBSECTION),
              nullptr);
}

TEST(Gdi, DeviceCapsAndDisplayModes) {
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);
    EXPECT_NE(GetDeviceCaps(screen, RASTERCAPS) & RC_STRETCHBLT, 0);
    ReleaseDC(nullptr, screen);
    DEVMODEA dm{};
    dm.dmSize = sizeof dm;
    ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &dm));
    EXPECT_EQ(dm.dmBitsPerPel, 32u);
    int i = 0;
    bool has800 = false;
    while (EnumDisplaySettingsA(nullptr, i++, &dm))
        has800 |= dm.dmPelsWidth == 800 && dm.dmPelsHeight == 600;
    EXPECT_TRUE(has800);
    DEVMODEA want{};
    want.dmSize = sizeof want;
    want.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
    want.dmPelsWidth = 800;
    want.dmPelsHeight = 600;
    want.dmBitsPerPel = 16;
    int desktop = GetSystemMetrics(SM_CXSCREEN);
    EXPECT_EQ(ChangeDisplaySettingsA(&want, CDS_TEST), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), desktop) << "a test changes nothing";
    EXPECT_EQ(ChangeDisplaySettingsA(&want, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
    want.dmPelsWidth = 801;
    EXPECT_EQ(ChangeDisplaySettingsA(&want, CDS_TEST), DISP_CHANGE_BADMODE);
    EXPECT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), desktop);
}

}  // namespace
