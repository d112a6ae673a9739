// The sample pictures in the program folder, read as the programs read them: sizes, the
// frame or glyph size in xpos/ypos, offsets and colour keys; the digit strips' glyphs as the
// game's number drawing picks them; the frames whose layout the game relies on; the BMP
// textures through the BMP reader.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "umb33.h"
#include "wynplat.h"

namespace {

constexpr LONG kKey = 0x7C1F;  // FF00FF
constexpr LONG kNone = CELL_MASK_NONE;

// A picture read with the picture-file library, freed when it goes.
struct Pic {
    tagCELL c{};
    bool ok = false;
    explicit Pic(const std::string& path, bool bmp = false) {
        ok = (bmp ? UMBDLL_ReadBMP(path.c_str(), &c) : UMBDLL_ReadUMB(path.c_str(), &c)) == 1;
    }
    ~Pic() {
        if (!c.bits) return;
        HGLOBAL h = GlobalHandle(c.bits);
        GlobalUnlock(h);
        GlobalFree(h);
    }
    ZEMPIXEL At(int x, int y) const { return c.bits[size_t(y) * size_t(c.xsize) + size_t(x)]; }
    bool Keyed(int x, int y) const {
        return c.mask != kNone && (At(x, y) & ZEMPIXEL_COLOUR) == (c.mask & ZEMPIXEL_COLOUR);
    }
    // The pixels of a rectangle, row by row.
    std::vector<ZEMPIXEL> Rect(int x, int y, int w, int h) const {
        std::vector<ZEMPIXEL> r;
        for (int yy = y; yy < y + h; ++yy)
            for (int xx = x; xx < x + w; ++xx) r.push_back(At(xx, yy));
        return r;
    }
    int Opaque(int x, int y, int w, int h) const {
        int n = 0;
        for (int yy = y; yy < y + h; ++yy)
            for (int xx = x; xx < x + w; ++xx) n += !Keyed(xx, yy);
        return n;
    }
};

struct PictureCase {
    const char* path;
    int xsize, ysize, xpos, ypos, xoffset, yoffset;
    LONG key;
};

const PictureCase kPictures[] = {
    {"etc\\kabekabe.umz", 800, 600, 800, 600, 0, 0, kNone},
    {"etc\\load\\load1.umz", 800, 200, 800, 200, 0, 0, kNone},
    {"etc\\strip.umz", 504, 96, 252, 32, 0, 0, kKey},
    {"etc\\stripmj.umz", 760, 12, 8, 12, 0, 0, kKey},
    {"etc\\stripsub.umz", 320, 24, 32, 24, 0, 0, kKey},
    {"etc\\timerndl.umz", 420, 70, 70, 70, 0, 0, kKey},
    {"etc\\windndl.umz", 136, 68, 68, 68, 0, 0, kKey},
    {"etc\\windsp.umz", 120, 16, 12, 16, 0, 0, kKey},
    {"etc\\scorenum.umz", 120, 34, 12, 34, 0, 0, kKey},
    {"etc\\score_l.umz", 832, 34, 32, 34, 0, 0, kKey},
    {"etc\\score_s.umz", 624, 28, 24, 28, 0, 0, kKey},
    {"etc\\stress.umz", 272, 12, 272, 12, 0, 0, kNone},
    {"etc\\gam_icon.umz", 144, 48, 36, 24, 0, 0, kKey},
    {"etc\\wind01.umz", 32, 32, 16, 16, 8, 8, kNone},
    {"etc\\pause2.umz", 800, 200, 800, 200, 0, 0, kNone},
    {"etc\\pausebtn2.umz", 272, 96, 136, 48, 0, 0, kKey},
    {"etc\\stageclear.umz", 800, 200, 800, 200, 0, 0, kNone},
    {"etc\\nearmiss.umz", 800, 200, 800, 200, 0, 0, kNone},
    {"etc\\timeover.umz", 800, 200, 800, 200, 0, 0, kNone},
    {"etc\\stressfull.umz", 800, 200, 800, 200, 0, 0, kNone},
    {"etc\\headon.umz", 800, 200, 800, 200, 0, 0, kNone},
    {"etc\\status_k.umz", 180, 48, 60, 24, 0, 0, kKey},
    {"etc\\atcmode_k.umz", 144, 48, 48, 24, 0, 0, kKey},
    {"ETC\\ATC_LINE.UMZ", 400, 200, 400, 200, 0, 0, kNone},
    {"ETC\\ATC_LINE2.UMZ", 600, 200, 600, 200, 0, 0, kNone},
    {"etc\\radarf_2.umz", 472, 16, 8, 8, 0, 0, kKey},
    {"etc\\font2.umz", 950, 16, 10, 16, 0, 0, kKey},
    {"port\\rjtt\\etc\\etc_icon.umz", 1536, 144, 48, 48, 0, 0, kKey},
    {"port\\rjtt\\etc\\app_icon.umz", 384, 144, 48, 48, 0, 0, kKey},
    {"port\\rjtt\\etc\\arw_icon.umz", 384, 144, 48, 48, 0, 0, kKey},
    {"port\\rjtt\\etc\\spt_icon.umz", 768, 144, 48, 48, 0, 0, kKey},
    {"port\\rjtt\\etc\\txi_icon.umz", 192, 144, 48, 48, 0, 0, kKey},
    {"port\\rjtt\\etc\\sid_icon.umz", 768, 144, 48, 48, 0, 0, kKey},
    {"port\\rjtt\\etc\\trs_icon.umz", 960, 144, 48, 48, 0, 0, kKey},
    {"port\\rjtt\\etc\\drw_icon.umz", 384, 144, 48, 48, 0, 0, kKey},
    {"port\\rjtt\\etc\\str_icon.umz", 384, 144, 48, 48, 0, 0, kKey},
    {"port\\rjtt\\etc\\loc_icon.umz", 384, 144, 48, 48, 0, 0, kKey},
    {"airplane\\JAL.umz", 84, 14, 84, 14, 2, 2, kNone},
    {"airplane\\ANA.umz", 84, 14, 84, 14, 2, 2, kNone},
    {"airplane\\JAS.umz", 84, 14, 84, 14, 2, 2, kNone},
    {"airplane\\JCG.umz", 84, 14, 84, 14, 2, 2, kNone},
    {"airplane\\HKA.umz", 84, 14, 84, 14, 2, 2, kNone},
    {"airplane\\af1.umz", 84, 14, 84, 14, 2, 2, kNone},
    {"airplane\\af2.umz", 84, 14, 84, 14, 2, 2, kNone},
    {"airplane\\af3.umz", 84, 14, 84, 14, 2, 2, kNone},
    {"etc\\ap\\KRG.umz", 36, 12, 36, 12, 50, 18, kNone},
    {"etc\\ap\\HSZ.umz", 36, 12, 36, 12, 50, 18, kNone},
    {"title.umz", 800, 600, 800, 600, 0, 0, kNone},
    {"marker.umz", 256, 32, 32, 32, 0, 0, kKey},
};

TEST(SamplePictures, EveryPictureReadsWithItsSizeFrameAndKey) {
    for (const PictureCase& c : kPictures) {
        Pic p(c.path);
        ASSERT_TRUE(p.ok) << c.path;
        EXPECT_EQ(p.c.xsize, c.xsize) << c.path;
        EXPECT_EQ(p.c.ysize, c.ysize) << c.path;
        EXPECT_EQ(p.c.xpos, c.xpos) << c.path;
        EXPECT_EQ(p.c.ypos, c.ypos) << c.path;
        EXPECT_EQ(p.c.xoffset, c.xoffset) << c.path;
        EXPECT_EQ(p.c.yoffset, c.yoffset) << c.path;
        EXPECT_EQ(p.c.mask, c.key) << c.path;
        EXPECT_EQ(p.c.xsize % p.c.xpos, 0) << c.path << ": whole frames across";
        EXPECT_EQ(p.c.ysize % p.c.ypos, 0) << c.path << ": whole frames down";
    }
}

// The game draws numbers glyph by glyph: a strip of fewer than 11 glyphs a row starts at "0",
// a longer one at the blank. "0123456789" must give ten different glyphs, each with ink, and
// a strip from the blank must draw its blank as nothing.
TEST(SamplePictures, DigitStripsGiveTenDifferentGlyphs) {
    const char* strips[] = {"etc\\scorenum.umz", "etc\\windsp.umz",  "etc\\score_l.umz",
                            "etc\\score_s.umz",  "etc\\stripmj.umz", "etc\\font2.umz",
                            "etc\\radarf_2.umz"};
    for (const char* path : strips) {
        Pic p(path);
        ASSERT_TRUE(p.ok) << path;
        const int w = p.c.xpos, h = p.c.ypos;
        const bool fromBlank = p.c.xsize / w >= 11;
        std::set<std::vector<ZEMPIXEL>> glyphs;
        for (char d = '0'; d <= '9'; ++d) {
            const int index = fromBlank ? d - ' ' : d - '0';
            ASSERT_LE((index + 1) * w, p.c.xsize) << path << " lacks " << d;
            glyphs.insert(p.Rect(index * w, 0, w, h));
            EXPECT_GT(p.Opaque(index * w, 0, w, h), 4) << path << ": " << d << " has no ink";
        }
        EXPECT_EQ(glyphs.size(), 10u) << path;
        if (fromBlank) {
            EXPECT_EQ(p.Opaque(0, 0, w, h), 0) << path << ": the blank draws";
        }
    }
}

// Strip texts read "A300-6ST", "JA8123", "HOLD> GOAR": every glyph up to "Z" has ink and the
// strips from the blank cover what the texts use.
TEST(SamplePictures, TextStripsCoverTheirCharacters) {
    struct Strip {
        const char* path;
        char last;
    };
    const Strip strips[] = {{"etc\\stripmj.umz", '~'},
                            {"etc\\font2.umz", '~'},
                            {"etc\\radarf_2.umz", 'Z'},
                            {"etc\\score_l.umz", '9'}};
    for (const Strip& s : strips) {
        Pic p(s.path);
        ASSERT_TRUE(p.ok) << s.path;
        const int w = p.c.xpos, h = p.c.ypos;
        EXPECT_GE(p.c.xsize / w, s.last - ' ' + 1) << s.path;
        for (char c = '!'; c <= s.last; ++c)
            EXPECT_GT(p.Opaque((c - ' ') * w, 0, w, h), 0) << s.path << ": '" << c << "'";
    }
}

// The clock hands, the hour mark and the wind needle are turned within radius 32 of the
// frame's centre (34, 34): nothing of them may lie outside it, and the frames the game turns
// them into start empty.
TEST(SamplePictures, HandsAndNeedleTurnWithinTheirCircle) {
    struct Frames {
        const char* path;
        int drawn, empty;
    };
    const Frames frames[] = {{"etc\\timerndl.umz", 3, 3}, {"etc\\windndl.umz", 1, 1}};
    for (const Frames& f : frames) {
        Pic p(f.path);
        ASSERT_TRUE(p.ok) << f.path;
        const int w = p.c.xpos;
        for (int n = 0; n < f.drawn + f.empty; ++n) {
            int ink = 0, outside = 0;
            for (int y = 0; y < p.c.ysize; ++y)
                for (int x = 0; x < w; ++x) {
                    if (p.Keyed(n * w + x, y)) continue;
                    ++ink;
                    outside += (x - 34) * (x - 34) + (y - 34) * (y - 34) > 32 * 32;
                }
            if (n < f.drawn) {
                EXPECT_GT(ink, 0) << f.path << " frame " << n;
                EXPECT_EQ(outside, 0) << f.path << " frame " << n;
            } else {
                EXPECT_EQ(ink, 0) << f.path << " frame " << n << " is not empty";
            }
        }
    }
}

// Layouts the game's code relies on.
TEST(SamplePictures, FramesTheGameLaysOut) {
    // The text window is built from a 3 x 3 grid of pieces around one character piece.
    Pic wind("etc\\wind01.umz");
    ASSERT_TRUE(wind.ok);
    EXPECT_EQ(wind.c.xsize, wind.c.xpos + 2 * wind.c.xoffset);
    EXPECT_EQ(wind.c.ysize, wind.c.ypos + 2 * wind.c.yoffset);

    // The pause buttons stand at one place: each frame is opaque only where the other is not.
    Pic btn("etc\\pausebtn2.umz");
    ASSERT_TRUE(btn.ok);
    for (int row = 0; row < 2; ++row) {
        int both = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 136; ++x)
                both += !btn.Keyed(x, row * 48 + y) && !btn.Keyed(136 + x, row * 48 + y);
        EXPECT_EQ(both, 0) << "row " << row;
        EXPECT_GT(btn.Opaque(0, row * 48, 136, 48), 1000) << "row " << row;
        EXPECT_GT(btn.Opaque(136, row * 48, 136, 48), 1000) << "row " << row;
    }
    EXPECT_NE(btn.Rect(0, 0, 136, 48), btn.Rect(0, 48, 136, 48)) << "hover looks the same";

    // The banners of a stage that ran its time keep the score panel's area to one colour, so
    // the result numbers drawn into it stand alone.
    for (const char* path : {"etc\\stageclear.umz", "etc\\timeover.umz"}) {
        Pic b(path);
        ASSERT_TRUE(b.ok) << path;
        const std::vector<ZEMPIXEL> area = b.Rect(604, 40, 196, 130);
        EXPECT_EQ(std::set<ZEMPIXEL>(area.begin(), area.end()).size(), 1u) << path;
    }

    // The strip's third row is the highlight laid over a strip: keyed inside its frame.
    Pic strip("etc\\strip.umz");
    ASSERT_TRUE(strip.ok);
    EXPECT_EQ(strip.Opaque(8, 64 + 8, 236, 16), 0);
    EXPECT_GT(strip.Opaque(0, 64, 252, 2), 0);
    EXPECT_NE(strip.Rect(0, 0, 252, 32), strip.Rect(252, 0, 252, 32)) << "lit looks unlit";

    // The stress gauge: the left half (the limit) is the full bar, brighter than the empty
    // right half that shows while there is no stress.
    Pic stress("etc\\stress.umz");
    ASSERT_TRUE(stress.ok);
    auto light = [&](int x0) {
        long sum = 0;
        for (ZEMPIXEL px : stress.Rect(x0, 0, 136, 12))
            sum += UMB_PixelRed(px) + UMB_PixelGreen(px) + UMB_PixelBlue(px);
        return sum;
    };
    EXPECT_GT(light(0), 2 * light(136));

    // Talk status and listening mode: tile 0 shows nothing, the others are opaque; the
    // second row differs from the first.
    for (const char* path : {"etc\\status_k.umz", "etc\\atcmode_k.umz"}) {
        Pic p(path);
        ASSERT_TRUE(p.ok) << path;
        const int w = p.c.xpos;
        EXPECT_EQ(p.Opaque(0, 0, w, 48), 0) << path;
        for (int n = 1; n <= 2; ++n) {
            EXPECT_EQ(p.Opaque(n * w, 0, w, 48), w * 48) << path << " tile " << n;
            EXPECT_NE(p.Rect(n * w, 0, w, 24), p.Rect(n * w, 24, w, 24)) << path << " tile " << n;
        }
    }

    // Command icons: normal, hover and pressed rows all differ.
    Pic icons("port\\rjtt\\etc\\spt_icon.umz");
    ASSERT_TRUE(icons.ok);
    EXPECT_NE(icons.Rect(48, 0, 48, 48), icons.Rect(48, 48, 48, 48));
    EXPECT_NE(icons.Rect(48, 48, 48, 48), icons.Rect(48, 96, 48, 48));
    EXPECT_NE(icons.Rect(0, 0, 48, 48), icons.Rect(48, 0, 48, 48)) << "icons 0 and 1 alike";
}

// The radar font's regions: a blip for each of the 16 strip slots (slots 10 and 11 being the
// selection marker's upper quarters), the two blips without strip, the marker, the label
// tiles (never the label cell's key 0, so that a label shows its tile) and the conflict mark.
TEST(SamplePictures, RadarFontRegions) {
    Pic p("etc\\radarf_2.umz");
    ASSERT_TRUE(p.ok);
    std::set<std::vector<ZEMPIXEL>> blips;
    for (int s = 0; s < 16; ++s) {
        EXPECT_GT(p.Opaque(4 * s, 8, 4, 4), 0) << "slot " << s;
        blips.insert(p.Rect(4 * s, 8, 4, 4));
    }
    EXPECT_EQ(blips.size(), 16u) << "two slots share a blip";
    EXPECT_GT(p.Opaque(0, 12, 4, 4), 0);
    EXPECT_GT(p.Opaque(4, 12, 4, 4), 0);
    EXPECT_NE(p.Rect(0, 12, 4, 4), p.Rect(4, 12, 4, 4));
    EXPECT_GT(p.Opaque(40, 12, 8, 4), 0) << "the marker's lower half";
    EXPECT_GT(p.Opaque(240, 8, 8, 8), 0) << "the conflict marker";
    for (int s = 0; s < 16; ++s)
        for (ZEMPIXEL px : p.Rect(80 + 8 * s, 8, 8, 8)) {
            EXPECT_NE(px & ZEMPIXEL_COLOUR, 0) << "label tile " << s;
            EXPECT_NE(px & ZEMPIXEL_COLOUR, kKey) << "label tile " << s;
        }
}

// The airline and airport pictures sit at their offsets in the 252 x 32 strip, clear of the
// texts the strip draws: the flight number at (10, 18) (six characters of 6), the type at
// (88, 4) and the time at (88, 18) (eight of 6), the memo lines from (140, 6).
TEST(SamplePictures, StripPicturesKeepClearOfTheStripTexts) {
    const RECT texts[] = {{10, 18, 46, 30}, {88, 4, 136, 16}, {88, 18, 136, 30}, {140, 6, 252, 30}};
    for (const PictureCase& c : kPictures) {
        const std::string path = c.path;
        if (path.rfind("airplane\\", 0) != 0 && path.rfind("etc\\ap\\", 0) != 0) continue;
        const RECT r{c.xoffset, c.yoffset, c.xoffset + c.xsize, c.yoffset + c.ysize};
        EXPECT_LE(r.right, 252) << path;
        EXPECT_LE(r.bottom, 32) << path;
        for (const RECT& t : texts) {
            RECT common;
            EXPECT_FALSE(IntersectRect(&common, &r, &t))
                << path << " covers a text at " << t.left << "," << t.top;
        }
    }
}

// The weather textures through the BMP reader: their sizes and depths, and that each holds a
// shape on a black (see-through) ground.
TEST(SamplePictures, TexturesReadAsBmp) {
    struct Texture {
        const char* path;
        int w, h, bits;
    };
    const Texture textures[] = {
        {"etc\\cloud00.bmp", 64, 64, 8},       {"etc\\cloud01.bmp", 64, 64, 8},
        {"etc\\cloud02.bmp", 64, 64, 8},       {"etc\\cloud03.bmp", 64, 64, 8},
        {"etc\\cloud00s.bmp", 64, 64, 8},      {"etc\\cloud01s.bmp", 64, 64, 8},
        {"etc\\cloud02s.bmp", 64, 64, 8},      {"etc\\cloud03s.bmp", 64, 64, 8},
        {"etc\\rainbow.bmp", 128, 64, 24},     {"ETC\\SMOKE\\smoke0.bmp", 32, 32, 8},
        {"ETC\\SMOKE\\smoke1.bmp", 32, 32, 8}, {"ETC\\SMOKE\\smoke2.bmp", 32, 32, 8},
        {"ETC\\SMOKE\\smoke3.bmp", 32, 32, 8}, {"ETC\\SMOKE\\smoke4.bmp", 32, 32, 8},
        {"standby.bmp", 320, 96, 24},
    };
    for (const Texture& t : textures) {
        Pic p(t.path, true);
        ASSERT_TRUE(p.ok) << t.path;
        EXPECT_EQ(p.c.xsize, t.w) << t.path;
        EXPECT_EQ(p.c.ysize, t.h) << t.path;
        HANDLE f =
            CreateFileA(t.path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE) << t.path;
        BYTE head[30];
        DWORD got = 0;
        ReadFile(f, head, sizeof head, &got, nullptr);
        CloseHandle(f);
        EXPECT_EQ(head[28], t.bits) << t.path;
        if (std::string(t.path) == "standby.bmp") continue;
        EXPECT_EQ(p.At(0, 0), 0) << t.path << ": the corner is black";
        int lit = 0;
        for (ZEMPIXEL px : p.Rect(0, 0, t.w, t.h)) lit += px != 0;
        EXPECT_GT(lit, t.w * t.h / 10) << t.path << ": no shape";
    }
}

}  // namespace
