// The raster driver acc_dexo, loaded by the engine from a folder of its own: frames drawn from
// output chips placed on the screen by hand and read back from the window (the desktop is 32
// bits deep, so channels come back exact).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../common/case_folder.h"
#include "ddraw.h"
#include "krn.h"
#include "wynplat.h"
#include "zem40.h"

namespace {

namespace fs = std::filesystem;

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return DefWindowProcA(h, m, w, l);
}

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& o, const Rgb& c) {
    return o << "(" << c.r << "," << c.g << "," << c.b << ")";
}

// A 24-bit bottom-up BMP whose pixel (x, y) is colour(x, y).
template <class F>
void WriteBmp(const fs::path& path, int w, int h, F colour) {
    std::string s;
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) s += char(v >> (8 * i) & 0xFF);
    };
    auto u16 = [&](uint16_t v) {
        s += char(v & 0xFF);
        s += char(v >> 8);
    };
    const int stride = (w * 3 + 3) & ~3;
    s = "BM";
    u32(14 + 40 + stride * h);
    u32(0);
    u32(14 + 40);
    u32(40);
    u32(w);
    u32(h);
    u16(1);
    u16(24);
    u32(0);
    u32(stride * h);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    for (int y = h - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < w; ++x) {
            const Rgb c = colour(x, y);
            row += char(c.b);
            row += char(c.g);
            row += char(c.r);
        }
        row.resize(stride, '\0');
        s += row;
    }
    std::ofstream(path, std::ios::binary) << s;
}

// A chip already on the screen: three vertices (x, y, z, fourth component), one colour.
tagKRNCHIP Chip(std::initializer_list<tagKRN3D> v, Rgb c, int blend = 0,
                DWORD flags = KRNCHIP_FRONT, int trans = 0) {
    tagKRNCHIP chip;
    std::memset(&chip, 0, sizeof chip);
    chip.mode = 1;
    int k = 0;
    for (const tagKRN3D& p : v) {
        chip.v[k] = p;
        chip.r[k] = c.r;
        chip.g[k] = c.g;
        chip.b[k] = c.b;
        chip.m[k] = blend;
        ++k;
    }
    chip.flags = flags;
    chip.trans = trans;
    return chip;
}

// Two chips covering the rectangle (x0, y0)-(x1, y1) at depth z.
std::vector<tagKRNCHIP> Quad(double x0, double y0, double x1, double y1, double z, Rgb c,
                             int blend = 0, DWORD flags = KRNCHIP_FRONT, int trans = 0) {
    return {Chip({{x0, y0, z, z}, {x1, y0, z, z}, {x1, y1, z, z}}, c, blend, flags, trans),
            Chip({{x0, y0, z, z}, {x1, y1, z, z}, {x0, y1, z, z}}, c, blend, flags, trans)};
}

class RasterCase : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = MakeCaseFolder();
        for (const char* f : {"acc_dexo.dll", "drv_pasu.dll", "lgt_pasu.dll"})
            fs::copy_file(fs::path(RASTER_BIN_DIR) / f, dir_ / f);
        ASSERT_TRUE(EnterProgramFolder(dir_));
        KRN_GetProFileName(ini_);
        Ini("DRIVER", "DRV", "drv_pasu.dll");
        Ini("DRIVER", "LGT", "lgt_pasu.dll");
        Ini("DRIVER", "ACC", "acc_dexo.dll");
        WNDCLASSA wc{};
        wc.lpfnWndProc = PlainProc;
        wc.lpszClassName = "RasterCase";
        RegisterClassA(&wc);
        hwnd_ = CreateWindowExA(0, "RasterCase", "raster", WS_POPUP | WS_VISIBLE, 50, 40, 320, 240,
                                nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd_, nullptr);
    }
    void TearDown() override {
        if (krn_) KRN_End(krn_);
        if (hwnd_) DestroyWindow(hwnd_);
    }
    void Ini(const char* section, const char* key, const char* value) {
        WritePrivateProfileStringA(section, key, value, ini_);
    }
    std::string IniValue(const char* section, const char* key) {
        char buf[64] = "";
        GetPrivateProfileStringA(section, key, "", buf, sizeof buf, ini_);
        return buf;
    }
    // The engine with view 0 at `view` in the window; false when the view could not be made.
    bool Start(RECT view = RECT{0, 0, 160, 120}) {
        krn_ = KRN_Start(hwnd_, 64);
        if (!krn_) return false;
        return KRN_ViewPort(krn_, 0, hwnd_, &view) == 1;
    }
    // Draws the chips as the frame's output list and presents it.
    int Frame(const std::vector<tagKRNCHIP>& chips, DWORD colour, double zmin = 0.0,
              double zmax = 99.0) {
        for (size_t i = 0; i < chips.size(); ++i) krn_->lpcalc[i] = chips[i];
        krn_->calc = static_cast<int>(chips.size());
        krn_->zbufmin = zmin;
        krn_->zbufmax = zmax;
        const int r = krn_->ACC_RASTER(krn_, 0, colour);
        krn_->ACC_FLIP(krn_, 0);
        return r;
    }
    // A pixel of the window's client area.
    Rgb At(int x, int y) {
        int w = 0, h = 0;
        WynPlat_CaptureWindow(hwnd_, nullptr, 0, &w, &h);
        std::vector<uint32_t> px(static_cast<size_t>(w) * h);
        if (!WynPlat_CaptureWindow(hwnd_, px.data(), static_cast<int>(px.size()), &w, &h) ||
            x >= w || y >= h)
            return Rgb{-1, -1, -1};
        const uint32_t p = px[static_cast<size_t>(y) * w + x];
        return Rgb{int(p >> 16 & 0xFF), int(p >> 8 & 0xFF), int(p & 0xFF)};
    }
    static int Over(int s, int a, int d) { return (s * a + d * (255 - a) + 127) / 255; }

    fs::path dir_;
    char ini_[260] = "";
    HWND hwnd_ = nullptr;
    tagKRN* krn_ = nullptr;
};

TEST_F(RasterCase, CheckNamesTheDriverInBig5) {
    ASSERT_TRUE(Start());
    HMODULE lib = LoadLibraryA("acc_dexo.dll");
    ASSERT_NE(lib, nullptr);
    auto check = reinterpret_cast<KRNDRV_CHECK>(
        reinterpret_cast<void*>(GetProcAddress(lib, "?CHECK@@YAHPAUtagKRN@@PAD11PAK2@Z")));
    ASSERT_NE(check, nullptr);
    char corp[32], name[32], file[32];
    DWORD c1 = 9, c2 = 9;
    EXPECT_EQ(check(krn_, corp, name, file, &c1, &c2), 1);
    EXPECT_STREQ(corp, "Microsoft");
    EXPECT_STREQ(file, "acc_dexo.dll");
    EXPECT_EQ(c1, 1u);
    EXPECT_EQ(c2, 0u);
    char utf8[128];
    WynPlat_ToUtf8(name, 950, utf8, sizeof utf8);
    EXPECT_STREQ(utf8, reinterpret_cast<const char*>(u8"0200Direct3D HAL（硬體支援）"));
    FreeLibrary(lib);
}

TEST_F(RasterCase, ViewZeroIsMadeOnceInHardwareMode) {
    const int boxes = WynPlat_MessageBoxCount();
    Ini("MODE", "EMULATION", "soft");
    krn_ = KRN_Start(hwnd_, 64);
    ASSERT_NE(krn_, nullptr);
    EXPECT_EQ(krn_->ACC_RASTER(krn_, 0, 0), 0) << "no view ready: the frame fails";
    RECT view{0, 0, 160, 120};
    ASSERT_EQ(KRN_ViewPort(krn_, 0, hwnd_, &view), 1);
    EXPECT_EQ(IniValue("MODE", "EMULATION"), "hard");
    EXPECT_EQ(krn_->accwork, 1u);
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes);
    EXPECT_EQ(krn_->ACC_MAKEVIEW(krn_, 1), 0) << "only view 0";
    EXPECT_EQ(krn_->ACC_MAKEVIEW(krn_, 0), 0) << "made already";
    EXPECT_EQ(krn_->ACC_RELEASEVIEW(krn_, 0), 1);
    EXPECT_EQ(krn_->ACC_MAKEVIEW(krn_, 0), 1);
    EXPECT_EQ(Frame({}, 0x0000FF), 1);
}

TEST_F(RasterCase, RefusedHardwareFallsBackToEmulationOnce) {
    WynPlat_SetDirect3DRefusal(1);
    const int boxes = WynPlat_MessageBoxCount();
    ASSERT_TRUE(Start());
    EXPECT_EQ(IniValue("MODE", "EMULATION"), "soft");
    EXPECT_EQ(krn_->accwork, 0u);
    ASSERT_EQ(WynPlat_MessageBoxCount(), boxes + 1);
    char caption[64], text[512];
    ASSERT_EQ(WynPlat_LastMessageBox(caption, sizeof caption, text, sizeof text), 1);
    EXPECT_STREQ(caption, "acc_dexo.dll");
    // Drawing goes on in software.
    EXPECT_EQ(Frame(Quad(10, 10, 50, 50, 5, {0, 255, 0}), 0x0000FF), 1);
    EXPECT_EQ(At(20, 30), (Rgb{0, 255, 0}));
    // The view made again still draws in emulation, without a second notice.
    krn_->ACC_RELEASEVIEW(krn_, 0);
    Ini("MODE", "EMULATION", "hard");
    EXPECT_EQ(krn_->ACC_MAKEVIEW(krn_, 0), 1);
    EXPECT_EQ(IniValue("MODE", "EMULATION"), "soft");
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes + 1);
    WynPlat_SetDirect3DRefusal(0);
}

TEST_F(RasterCase, NoDeviceAtAllMakesNoView) {
    WynPlat_SetDirect3DRefusal(2);
    const int boxes = WynPlat_MessageBoxCount();
    EXPECT_FALSE(Start());
    ASSERT_NE(krn_, nullptr);
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes) << "no message when emulation fails too";
    EXPECT_EQ(krn_->ACC_MAKEVIEW(krn_, 0), 0) << "until the view is released";
    EXPECT_EQ(krn_->ACC_RASTER(krn_, 0, 0), 0);
    WynPlat_SetDirect3DRefusal(0);
}

TEST_F(RasterCase, ColourWordFillsTheClipRectangleUnlessZeroOrBit31) {
    ASSERT_TRUE(Start());
    struct Case {
        DWORD colour;
        Rgb expect;
    };
    const Case cases[] = {
        {0x000000FF, {255, 0, 0}},
        {0x00FF8000, {0, 128, 255}},
        {0x0F000000, {0, 0, 0}},
        {0x800000FF, {0, 0, 0}},
        {0, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        // Something else first, so that "only the clear" shows.
        Frame({}, 0x00FFFFFF);
        EXPECT_EQ(Frame({}, c.colour), 1);
        EXPECT_EQ(At(80, 60), c.expect) << std::hex << c.colour;
        EXPECT_EQ(At(159, 119), c.expect) << std::hex << c.colour;
    }
}

TEST_F(RasterCase, OpaqueChipsAreDepthTested) {
    ASSERT_TRUE(Start());
    // The near chip comes first in the list; the far one drawn after it stays hidden.
    std::vector<tagKRNCHIP> chips = Quad(10, 10, 60, 60, 20, {255, 0, 0});
    for (auto& c : Quad(30, 30, 90, 90, 40, {0, 0, 255})) chips.push_back(c);
    ASSERT_EQ(Frame(chips, 0), 1);
    EXPECT_EQ(At(20, 20), (Rgb{255, 0, 0}));
    EXPECT_EQ(At(45, 45), (Rgb{255, 0, 0}));
    EXPECT_EQ(At(80, 80), (Rgb{0, 0, 255}));
    EXPECT_EQ(At(120, 100), (Rgb{0, 0, 0}));
    // A chip seen from behind is drawn too, its colours kept with their vertices.
    tagKRNCHIP back =
        Chip({{100, 10, 10, 10}, {150, 10, 10, 10}, {100, 60, 10, 10}}, {0, 255, 0}, 0, 0);
    ASSERT_EQ(Frame({back}, 0), 1);
    EXPECT_EQ(At(110, 20), (Rgb{0, 255, 0}));
}

TEST_F(RasterCase, TranslucentChipsFollowTheOpaqueOnesFarToNear) {
    ASSERT_TRUE(Start());
    // List order: the near translucent chip, the far translucent chip, then an opaque chip
    // behind both. Blend values m give the alpha 255 - m.
    std::vector<tagKRNCHIP> chips = Quad(10, 10, 100, 100, 10, {0, 0, 255}, 155, KRNCHIP_FRONT, 1);
    for (auto& c : Quad(10, 10, 100, 100, 20, {0, 255, 0}, 55, KRNCHIP_FRONT, 1))
        chips.push_back(c);
    for (auto& c : Quad(10, 10, 100, 100, 30, {255, 0, 0})) chips.push_back(c);
    ASSERT_EQ(Frame(chips, 0), 1);
    // red, then green at alpha 200, then blue at alpha 100.
    const Rgb under{Over(0, 200, 255), Over(255, 200, 0), 0};
    const Rgb expect{Over(0, 100, under.r), Over(0, 100, under.g), Over(255, 100, under.b)};
    EXPECT_EQ(At(50, 50), expect);
}

TEST_F(RasterCase, BlendFlagsUseTheirFormulas) {
    ASSERT_TRUE(Start());
    const Rgb base{200, 100, 40};
    const Rgb s{100, 50, 255};
    std::vector<tagKRNCHIP> chips = Quad(0, 0, 160, 120, 50, base);
    for (auto& c : Quad(10, 10, 70, 70, 10, s, 0, KRNCHIP_FRONT | KRNCHIP_ALPHA))
        chips.push_back(c);
    for (auto& c : Quad(80, 10, 150, 70, 10, s, 0, KRNCHIP_FRONT | KRNCHIP_SHADOW))
        chips.push_back(c);
    ASSERT_EQ(Frame(chips, 0), 1);
    auto add = [](int s, int d) { return std::min(255, (s * 255 + d * (255 - s) + 127) / 255); };
    auto shade = [](int s, int d) { return (d * (255 - s) + 127) / 255; };
    EXPECT_EQ(At(40, 40), (Rgb{add(s.r, base.r), add(s.g, base.g), add(s.b, base.b)}));
    EXPECT_EQ(At(110, 40), (Rgb{shade(s.r, base.r), shade(s.g, base.g), shade(s.b, base.b)}));
    EXPECT_EQ(At(40, 100), base);
}

TEST_F(RasterCase, MoreThanAThousandTranslucentChipsAreAllDrawn) {
    ASSERT_TRUE(Start());
    krn_->ACC_RELEASEVIEW(krn_, 0);
    KRN_End(krn_);
    krn_ = KRN_Start(hwnd_, 1100);
    RECT view{0, 0, 160, 120};
    ASSERT_EQ(KRN_ViewPort(krn_, 0, hwnd_, &view), 1);
    // 1,050 faint chips in one place, then one more at the far end of the list, elsewhere.
    std::vector<tagKRNCHIP> chips;
    for (int i = 0; i < 1050; ++i)
        chips.push_back(Chip({{10, 10, 10, 10}, {40, 10, 10, 10}, {10, 40, 10, 10}},
                             {255, 255, 255}, 254, KRNCHIP_FRONT, 1));
    chips.push_back(Chip({{100, 10, 10, 10}, {140, 10, 10, 10}, {100, 40, 10, 10}}, {255, 255, 255},
                         0, KRNCHIP_FRONT, 1));
    ASSERT_EQ(Frame(chips, 0), 1);
    EXPECT_EQ(At(105, 15), (Rgb{255, 255, 255})) << "the 1051st translucent chip";
    // Layers of white at alpha 1 over black stop adding at 128.
    EXPECT_EQ(At(15, 15), (Rgb{128, 128, 128})) << "many faint chips add up";
}

TEST_F(RasterCase, FogAtTheHalfwayPointGivesFactor127) {
    ASSERT_TRUE(Start());
    KRN_SetDistance(krn_, 1000.0, 100.0, 300.0);
    // White chips at the halfway point; fog colour red (the colour word); one without fog.
    std::vector<tagKRNCHIP> chips;
    for (auto& c : Quad(0, 0, 80, 60, 200, {255, 255, 255})) chips.push_back(c);
    for (auto& c : Quad(80, 0, 160, 60, 200, {255, 255, 255}, 0, KRNCHIP_FRONT | KRNCHIP_NOFOG))
        chips.push_back(c);
    for (auto& c : Quad(0, 60, 80, 120, 50, {255, 255, 255})) chips.push_back(c);
    for (auto& c : Quad(80, 60, 160, 120, 400, {255, 255, 255})) chips.push_back(c);
    ASSERT_EQ(Frame(chips, 0x0000FF, 0, 999), 1);
    const int half = (127 * 255 + 128 * 0 + 127) / 255;
    EXPECT_EQ(At(40, 30), (Rgb{255, half, half}));
    EXPECT_EQ(At(120, 30), (Rgb{255, 255, 255})) << "no fog";
    EXPECT_EQ(At(40, 90), (Rgb{255, 255, 255})) << "before the fog start";
    EXPECT_EQ(At(120, 90), (Rgb{255, 0, 0})) << "beyond the fog end";
}

TEST_F(RasterCase, OutlinesByFlagAndByColourBit29) {
    ASSERT_TRUE(Start());
    struct Case {
        DWORD flags;
        DWORD colour;
    };
    for (const Case& c :
         {Case{KRNCHIP_FRONT | KRNCHIP_WIREFRAME, 0}, Case{KRNCHIP_FRONT, 0x20000000}}) {
        std::vector<tagKRNCHIP> chips = {Chip(
            {{20, 20, 10, 10}, {120, 20, 10, 10}, {20, 100, 10, 10}}, {0, 255, 0}, 0, c.flags)};
        ASSERT_EQ(Frame(chips, c.colour), 1);
        EXPECT_EQ(At(60, 20), (Rgb{0, 255, 0})) << std::hex << c.flags << " " << c.colour;
        EXPECT_EQ(At(20, 60), (Rgb{0, 255, 0})) << std::hex << c.flags << " " << c.colour;
        EXPECT_EQ(At(40, 40), (Rgb{0, 0, 0})) << "inside stays empty";
    }
}

TEST_F(RasterCase, DebugWireframeDrawsOutlinesOnDarkBlue) {
    Ini("DEBUG", "WIREFRAME", "1");
    ASSERT_TRUE(Start());
    std::vector<tagKRNCHIP> chips = {
        Chip({{20, 20, 10, 10}, {120, 20, 10, 10}, {20, 100, 10, 10}}, {0, 255, 0})};
    ASSERT_EQ(Frame(chips, 0x000000FF), 1);
    EXPECT_EQ(At(60, 20), (Rgb{0, 255, 0}));
    EXPECT_EQ(At(40, 40), (Rgb{0, 0, 8})) << "the caller's red is replaced";
}

TEST_F(RasterCase, TexturesAreKeyedAndHalvedInSmallMode) {
    Ini("TEXTURE", "SMALL", "1");
    ASSERT_TRUE(Start());
    WriteBmp(dir_ / "big.bmp", 256, 128, [](int x, int) {
        return x < 128 ? Rgb{255, 0, 0} : Rgb{0, 0, 0};
    });
    WriteBmp(dir_ / "tiny.bmp", 64, 64, [](int, int) { return Rgb{0, 0, 255}; });
    struct Case {
        const char* file;
        int mask;
        DWORD w, h;
    };
    for (const Case& c : {Case{"big.bmp", 1, 128, 64}, Case{"tiny.bmp", 0, 64, 64}}) {
        const DWORD_PTR h = KRN_ReadTexture(krn_, c.file, c.mask);
        ASSERT_NE(h, 0u) << c.file;
        auto* slot = reinterpret_cast<tagKRNTEXTURE*>(h);
        ASSERT_NE(slot->work2, 0u);
        DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        ASSERT_EQ(reinterpret_cast<IDirectDrawSurface*>(slot->work2)->GetSurfaceDesc(&d), DD_OK);
        EXPECT_EQ(d.dwWidth, c.w) << c.file;
        EXPECT_EQ(d.dwHeight, c.h) << c.file;
    }
    // The keyed texture over a green chip: red texels show, black ones let the green through.
    const DWORD_PTR big = KRN_ReadTexture(krn_, "big.bmp", 1);
    std::vector<tagKRNCHIP> chips = Quad(0, 0, 160, 120, 50, {0, 255, 0});
    for (auto c : Quad(0, 0, 160, 120, 10, {255, 255, 255})) {
        c.htex = big;
        for (int k = 0; k < 3; ++k) {
            c.x[k] = c.v[k].x / 160.0;
            c.y[k] = c.v[k].y / 120.0;
        }
        chips.push_back(c);
    }
    ASSERT_EQ(Frame(chips, 0), 1);
    EXPECT_EQ(At(30, 60), (Rgb{255, 0, 0}));
    EXPECT_EQ(At(130, 60), (Rgb{0, 255, 0}));
}

TEST_F(RasterCase, PutScreenClipsAndKeysOnTheCellsColourKey) {
    ASSERT_TRUE(Start(RECT{0, 0, 640, 480}));
    // A 100 x 100 cell: pixel (x, y) has red x/4, green y/4; its bottom-right quarter black
    // and one stripe in the key colour.
    tagCELL cell{};
    ASSERT_EQ(KRN_CreateCell(&cell, 100, 100), 1);
    const ZEMPIXEL key = 0x001F;  // blue
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            ZEMPIXEL p = ZEMPIXEL(((x / 4) << 10) | ((y / 4) << 5));
            if (x >= 50 && y >= 50) p = 0;
            if (x >= 60 && x < 70 && y < 40) p = key;
            cell.bits[y * cell.xsize + x] = p;
        }
    ASSERT_EQ(Frame({}, 0x00FFFFFF), 1);
    // No colour key: copied whole, clipped at (-20, -10).
    cell.mask = (int)0x80000000;
    EXPECT_EQ(KRN_PutScreen(krn_, 0, -20, -10, &cell, nullptr), 1);
    krn_->ACC_FLIP(krn_, 0);
    auto widen = [](int c) { return (c << 3) | (c >> 2); };
    EXPECT_EQ(At(0, 0), (Rgb{widen(5), widen(2), 0})) << "cell pixel (20, 10)";
    EXPECT_EQ(At(79, 89), (Rgb{0, 0, 0})) << "black is copied";
    EXPECT_EQ(At(45, 5), (Rgb{0, 0, 255})) << "the key colour is copied too";
    EXPECT_EQ(At(80, 20), (Rgb{255, 255, 255})) << "right of the cell";
    // With a key: only the key colour is left out.
    ASSERT_EQ(Frame({}, 0x00FFFFFF), 1);
    cell.mask = key;
    EXPECT_EQ(KRN_PutScreen(krn_, 0, -20, -10, &cell, nullptr), 1);
    krn_->ACC_FLIP(krn_, 0);
    EXPECT_EQ(At(0, 0), (Rgb{widen(5), widen(2), 0}));
    EXPECT_EQ(At(45, 5), (Rgb{255, 255, 255})) << "key colour left out";
    EXPECT_EQ(At(79, 89), (Rgb{0, 0, 0})) << "black drawn";
    // And back out of the frame.
    tagCELL out{};
    ASSERT_EQ(KRN_CreateCell(&out, 16, 16), 1);
    EXPECT_EQ(KRN_GetScreen(krn_, &out, 0, 0, 0, nullptr), 1);
    EXPECT_EQ(out.bits[0], cell.bits[10 * cell.xsize + 20]);
    KRN_DeleteCell(&out);
    KRN_DeleteCell(&cell);
}

TEST_F(RasterCase, FrameIsPresentedAtTheViewsPlaceInTheWindow) {
    ASSERT_TRUE(Start(RECT{30, 20, 130, 100}));
    ASSERT_EQ(Frame({}, 0x000000FF), 1);
    EXPECT_EQ(At(30, 20), (Rgb{255, 0, 0}));
    EXPECT_EQ(At(129, 99), (Rgb{255, 0, 0}));
    EXPECT_NE(At(29, 20), (Rgb{255, 0, 0}));
    EXPECT_NE(At(130, 99), (Rgb{255, 0, 0}));
    EXPECT_EQ(krn_->ACC_REFRESH(krn_, 0, nullptr), 1);
}

TEST_F(RasterCase, FullScreenOnlyAtTheSystemsSizes) {
    ASSERT_TRUE(Start(RECT{0, 0, 700, 500}));
    const int boxes = WynPlat_MessageBoxCount();
    EXPECT_EQ(krn_->ACC_FULLSCREEN(krn_, 0, 0), 1) << "already in a window";
    EXPECT_EQ(krn_->ACC_FULLSCREEN(krn_, 0, 1), 0);
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes + 1);
    RECT v{0, 0, 800, 600};
    ASSERT_EQ(KRN_ViewPort(krn_, 0, hwnd_, &v), 1);
    EXPECT_EQ(krn_->ACC_FULLSCREEN(krn_, 0, 1), 1);
    EXPECT_EQ(Frame(Quad(10, 10, 50, 50, 5, {0, 255, 0}), 0x0000FF), 1);
    EXPECT_EQ(krn_->ACC_FULLSCREEN(krn_, 0, 0), 1);
    EXPECT_EQ(Frame(Quad(10, 10, 50, 50, 5, {0, 255, 0}), 0x0000FF), 1);
    EXPECT_EQ(At(20, 20), (Rgb{0, 255, 0}));
}

}  // namespace
