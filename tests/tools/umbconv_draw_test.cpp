// The picture maker's drawing mode: descriptions refused with the line at fault, shapes drawn
// pixel for pixel, tiles with their states, text and glyph strips through the platform's
// font, and the written files read back by the picture-file library.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "../nxlib/scratch.h"
#include "draw.h"
#include "umb33.h"
#include "wynplat.h"

namespace {

using umbdraw::Description;
using umbdraw::Picture;

void Free(tagCELL* cell) {
    if (!cell->bits) return;
    HGLOBAL h = GlobalHandle(cell->bits);
    GlobalUnlock(h);
    GlobalFree(h);
    cell->bits = nullptr;
}

std::string In(const Scratch& s, const std::string& rel) { return s.Name() + "/" + rel; }

Description Read(const std::string& text) {
    Description d;
    std::string error;
    EXPECT_TRUE(umbdraw::ReadDescription(text.data(), text.size(), &d, &error)) << error;
    return d;
}

std::vector<ZEMPIXEL> Draw(const Picture& p) {
    std::vector<ZEMPIXEL> px;
    std::string error;
    EXPECT_TRUE(umbdraw::Render(p, &px, &error)) << error;
    return px;
}

std::vector<ZEMPIXEL> DrawOne(const std::string& text) {
    Description d = Read(text);
    if (d.pictures.size() != 1) {
        ADD_FAILURE() << "one picture expected";
        return {};
    }
    return Draw(d.pictures[0]);
}

// The pixels as rows of letters: '.' for 0, '#' for white, 'r' red, 'h' half-transparent
// white, '?' anything else.
std::string Art(const std::vector<ZEMPIXEL>& px, int w) {
    std::string s;
    for (size_t i = 0; i < px.size(); ++i) {
        const ZEMPIXEL p = px[i];
        s += p == 0 ? '.' : p == 0x7FFF ? '#' : p == 0x7C00 ? 'r' : p == 0xFFFF ? 'h' : '?';
        if (int(i % size_t(w)) == w - 1) s += '\n';
    }
    return s;
}

struct Refused {
    const char* what;
    const char* text;
    const char* message;  // the error begins with it
};

const Refused kRefused[] = {
    {"drawing outside a picture", "box 0 0 1 1 FFFFFF\n", "line 1: \"box\" outside a picture"},
    {"a picture left open", "colour a 000000\npicture x.umz 4 4\nfill a\n",
     "line 2: picture without end"},
    {"a picture inside a picture", "picture a.umz 4 4\npicture b.umz 4 4\nend\n",
     "line 2: picture inside a picture"},
    {"a path leaving the folder", "picture ../x.umz 4 4\nend\n", "line 1: the path must name"},
    {"an empty path part", "picture etc//x.umz 4 4\nend\n", "line 1: the path must name"},
    {"an absolute path", "picture /tmp/x.umz 4 4\nend\n", "line 1: the path must be relative"},
    {"a drive", "picture C:\\x.umz 4 4\nend\n", "line 1: the path must be relative"},
    {"a picture too wide", "picture x.umz 8193 4\nend\n", "line 1: width out of 1..8192"},
    {"a picture of too many pixels", "picture x.umz 4097 4097\nend\n",
     "line 1: picture larger than 16777216 pixels"},
    {"a picture without height", "picture x.umz 4\nend\n", "line 1: missing height"},
    {"raw for a BMP file", "picture x.bmp 4 4 bmp24 raw\nend\n", "line 1: raw is for picture"},
    {"an unknown colour", "picture x.umz 4 4\nfill pink\nend\n", "line 2: not a colour for colour"},
    {"a short colour", "picture x.umz 4 4\nfill FFF\nend\n", "line 2: not a colour"},
    {"the key before it is set", "picture x.umz 4 4\nfill key\nend\n",
     "line 2: \"key\" used before"},
    {"a colour name that reads as a value", "colour abcdef 000000\n",
     "line 1: not a colour name: abcdef"},
    {"a number with letters", "picture x.umz 4 4\nbox 1 2x 1 1 FFFFFF\nend\n",
     "line 2: not a number for y: 2x"},
    {"an unknown statement", "picture x.umz 4 4\nsquare 1\nend\n",
     "line 2: unknown statement \"square\""},
    {"a word too many", "picture x.umz 4 4\nfill FFFFFF FFFFFF\nend\n", "line 2: unexpected"},
    {"an unterminated text", "picture x.umz 4 4\ntext 0 0 FFFFFF \"abc\nend\n",
     "line 2: unterminated text"},
    {"a text without quotes", "picture x.umz 4 4\ntext 0 0 FFFFFF abc\nend\n",
     "line 2: missing quoted text"},
    {"a shadow and an outline",
     "picture x.umz 4 4\ntext 0 0 FFFFFF \"a\" shadow 000000 outline 000000\nend\n",
     "line 2: a shadow or an outline"},
    {"a polygon of two corners", "picture x.umz 4 4\npoly FFFFFF 0 0 3 3\nend\n",
     "line 2: a polygon needs"},
    {"a polygon with an odd number", "picture x.umz 4 4\npoly FFFFFF 0 0 3 3 1 2 3\nend\n",
     "line 2: a polygon needs"},
    {"a thickness of 0", "picture x.umz 4 4\nline 0 0 3 3 FFFFFF 0\nend\n",
     "line 2: thickness out of 1..64"},
    {"a glyph strip too long", "picture x.umz 40 8\nglyphs 'A' 'F' 8 8 FFFFFF\nend\n",
     "line 2: the glyph strip does not fit"},
    {"glyphs from a later character", "picture x.umz 40 8\nglyphs 'F' 'A' 8 8 FFFFFF\nend\n",
     "line 2: last character out of"},
    {"tiles too many", "picture x.umz 40 8\ngrid 8 8 6\nend\n", "line 2: the tiles do not fit"},
    {"a state row below the picture",
     "colour a 000000\npicture x.umz 16 8\ngrid 8 8 2\nstate 1 a FFFFFF\nend\n",
     "line 4: the tiles do not fit"},
    {"a state named twice",
     "colour a 000000\npicture x.umz 16 16\ngrid 8 8 2\nstate 0 a FFFFFF\nstate 0 a 000000\nend\n",
     "line 5: state 0 twice"},
    {"a state of a colour value for a name",
     "picture x.umz 16 16\ngrid 8 8 2\nstate 0 FFFFFF 000000\nend\n",
     "line 3: not a colour name: FFFFFF"},
    {"a tile before the grid", "picture x.umz 16 16\ntile 0\nend\n", "line 2: tile before grid"},
    {"a tile past the count", "picture x.umz 16 16\ngrid 8 8 2\ntile 2\nend\n",
     "line 3: tile number out of 0..1"},
    {"a second grid", "picture x.umz 16 16\ngrid 8 8 2\ngrid 8 8 2\nend\n",
     "line 3: a second grid"},
    {"a second key", "picture x.umz 4 4\nkey 000000\nkey FFFFFF\nend\n", "line 3: a second key"},
    {"a form of five letters", "picture x.umz 4 4\nform ABCDE\nend\n", "line 2: form needs"},
    {"a text too long",
     "picture x.umz 4 4\ntext 0 0 FFFFFF "
     "\"0123456789012345678901234567890123456789012345678901234567890123456789012345678901234567"
     "8901234567890123456789012345678901234567890123456789012345678901234567890123456789012345"
     "6789012345678901234567890\"\nend\n",
     "line 2: text longer than 200 bytes"},
};

TEST(UmbDrawReader, RefusesWithTheLineAtFault) {
    std::vector<Refused> cases(std::begin(kRefused), std::end(kRefused));
    const std::string nul(
        "picture x.umz 4 4\nfill 00\0"
        "000\nend\n",
        31);
    cases.push_back({"a NUL byte", nul.c_str(), "line 2: a NUL byte"});
    for (const Refused& c : cases) {
        const std::string text = c.text == nul.c_str() ? nul : std::string(c.text);
        Description d;
        std::string error;
        EXPECT_FALSE(umbdraw::ReadDescription(text.data(), text.size(), &d, &error)) << c.what;
        EXPECT_EQ(error.rfind(c.message, 0), 0u) << c.what << ": " << error;
        EXPECT_TRUE(d.pictures.empty()) << c.what;
    }
}

TEST(UmbDrawReader, ReadsPicturesWithTheirFieldsAndFrameSizes) {
    Description d = Read(
        "# a comment\n"
        "colour ink FFFFFF\n"
        "picture etc\\a.umz 40 20 raw   # trailing comment\n"
        "  key FF00FF\n"
        "  offset 3 4\n"
        "  form WYN\n"
        "end\n"
        "picture b.umz 40 20\n"
        "  frame 7 9\n"
        "  grid 10 10 4\n"
        "end\n"
        "picture c.umz 40 20\n"
        "  grid 10 10 4\n"
        "end\n"
        "picture d.umz 40 20\n"
        "  glyphs '0' '3' 10 20 ink\n"
        "end\n"
        "picture e.bmp 8 8 bmp8\n"
        "end\n"
        "picture f.bmp 8 8 bmp24\n"
        "  glyphs ' ' '#' 2 8 ink\n"
        "end\n");
    ASSERT_EQ(d.pictures.size(), 6u);
    const Picture& a = d.pictures[0];
    EXPECT_EQ(a.path, "etc/a.umz");
    EXPECT_TRUE(a.raw);
    EXPECT_TRUE(a.hasKey);
    EXPECT_EQ(a.key, 0x7C1F);
    EXPECT_EQ(a.xoffset, 3);
    EXPECT_EQ(a.yoffset, 4);
    EXPECT_EQ(std::string(a.form, 4), "WYN ");
    struct FrameCase {
        size_t picture;
        int w, h;
    };
    const FrameCase frames[] = {{0, 40, 20}, {1, 7, 9}, {2, 10, 10}, {3, 10, 20}, {5, 2, 8}};
    for (const FrameCase& f : frames) {
        int w = 0, h = 0;
        umbdraw::FrameSize(d.pictures[f.picture], &w, &h);
        EXPECT_EQ(w, f.w) << "picture " << f.picture;
        EXPECT_EQ(h, f.h) << "picture " << f.picture;
    }
    EXPECT_EQ(d.pictures[4].output, umbdraw::Output::Bmp8);
    EXPECT_EQ(d.pictures[5].output, umbdraw::Output::Bmp24);
    EXPECT_EQ(d.pictures[5].ops[0].v[0], ' ');
    EXPECT_EQ(d.pictures[5].ops[0].v[1], '#') << "a quoted '#' is a character, not a comment";
}

struct ShapeCase {
    const char* what;
    const char* body;  // drawing lines on an 8 x 5 picture of 0
    const char* art;
};

const ShapeCase kShapes[] = {
    {"box clipped at the edges", "box -2 3 4 9 FFFFFF\n",
     "........\n........\n........\n##......\n##......\n"},
    {"rect inside its rectangle", "rect 1 0 5 4 FFFFFF\n",
     ".#####..\n.#...#..\n.#...#..\n.#####..\n........\n"},
    {"rect of thickness 2", "rect 0 0 6 5 FFFFFF 2\n",
     "######..\n######..\n##..##..\n######..\n######..\n"},
    {"line, both ends included", "line 0 0 7 4 FF0000\n",
     "r.......\n.rr.....\n...rr...\n.....rr.\n.......r\n"},
    {"line of thickness 3", "line 1 2 6 2 FFFFFF 3\n",
     "........\n########\n########\n########\n........\n"},
    {"disc", "disc 3 2 2 FFFFFF\n", "..###...\n.#####..\n.#####..\n.#####..\n..###...\n"},
    {"circle outline", "circle 3 2 2 FFFFFF\n",
     "..###...\n.#...#..\n.#...#..\n.#...#..\n..###...\n"},
    {"polygon by pixel centres", "poly FF0000 0 0 8 0 0 5\n",
     "rrrrrrr.\nrrrrrr..\nrrrr....\nrr......\nr.......\n"},
    {"half-transparent colour", "box 0 0 2 1 glass\n",
     "hh......\n........\n........\n........\n........\n"},
    {"fill, then the key over part", "fill FFFFFF\nbox 0 0 8 4 key\n",
     "........\n........\n........\n........\n########\n"},
};

TEST(UmbDrawRender, ShapesPixelForPixel) {
    for (const ShapeCase& c : kShapes) {
        const std::vector<ZEMPIXEL> px =
            DrawOne(std::string("colour glass FFFFFF half\npicture x.umz 8 5\nkey 000000\n") +
                    c.body + "end\n");
        EXPECT_EQ(Art(px, 8), c.art) << c.what;
    }
}

TEST(UmbDrawRender, GradientAndGlowReachTheirColours) {
    std::vector<ZEMPIXEL> g = DrawOne("picture x.umz 4 32\ngradient 0 0 4 32 000000 FFFFFF\nend\n");
    ASSERT_EQ(g.size(), 128u);
    for (int y = 0; y < 32; ++y) EXPECT_EQ(g[size_t(y) * 4], UMB_MakePixel(y, y, y)) << "row " << y;
    std::vector<ZEMPIXEL> a =
        DrawOne("picture x.umz 32 2\ngradient 0 0 32 2 FF0000 0000FF across\nend\n");
    EXPECT_EQ(a[0], 0x7C00);
    EXPECT_EQ(a[31], 0x001F);
    EXPECT_EQ(a[32 + 31], 0x001F);

    // Two spots: each is its colour at the centre and fades to nothing; where they meet each
    // channel keeps the brighter.
    std::vector<ZEMPIXEL> s =
        DrawOne("picture x.bmp 21 21 bmp24\nglow 10 10 10 F80000\nglow 10 10 5 0000F8\nend\n");
    EXPECT_EQ(s[10 * 21 + 10], UMB_MakePixel(31, 0, 31));
    EXPECT_EQ(s[0], 0) << "the corner lies outside both";
    EXPECT_EQ(s[10 * 21 + 0], 0) << "the rim fades to nothing";
    EXPECT_GT(UMB_PixelRed(s[10 * 21 + 7]), UMB_PixelRed(s[10 * 21 + 3])) << "brighter inward";
}

// Tiles: each is clipped to itself, drawn once per state with its colours (the states may
// name their colours first), and numbered.
TEST(UmbDrawRender, TilesDrawEveryStateInItsRowOrColumn) {
    const char* base =
        "picture x.umz %d %d\n"
        "  grid 4 2 3 %s\n"
        "  state 0 face FFFFFF\n"
        "  state 1 face FF0000\n"
        "  tile all\n"
        "  box 1 0 9 9 face\n"  // runs past the tile: clipped to it
        "  tile 2\n"
        "  box 0 0 1 1 face\n"
        "end\n";
    char text[512];
    std::snprintf(text, sizeof text, base, 12, 4, "");
    EXPECT_EQ(Art(DrawOne(text), 12),
              ".###.#######\n"
              ".###.###.###\n"
              ".rrr.rrrrrrr\n"
              ".rrr.rrr.rrr\n");
    std::snprintf(text, sizeof text, base, 8, 6, "stack");
    EXPECT_EQ(Art(DrawOne(text), 8),
              ".###.rrr\n.###.rrr\n.###.rrr\n.###.rrr\n####rrrr\n.###.rrr\n");
}

// The same text as a picture's own line and through {n}: the same pixels.
TEST(UmbDrawRender, TileNumbersInTexts) {
    std::vector<ZEMPIXEL> tiles = DrawOne(
        "picture x.umz 96 16\nkey 000000\ngrid 16 16 6\ntile all\ntext 2 0 FFFFFF \"{n}\"\nend\n");
    std::vector<ZEMPIXEL> plain =
        DrawOne("picture x.umz 16 16\nkey 000000\ntext 2 0 FFFFFF \"5\"\nend\n");
    ASSERT_EQ(tiles.size(), 96u * 16u);
    bool any = false;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(tiles[size_t(y) * 96 + 80 + size_t(x)], plain[size_t(y) * 16 + size_t(x)])
                << x << "," << y;
            any |= plain[size_t(y) * 16 + size_t(x)] != 0;
        }
    EXPECT_TRUE(any) << "the text drew nothing";
}

// Text is one colour (no blended edges), placed by its alignment, with its shadow or outline
// in the edge colour under it; a Japanese text draws too.
TEST(UmbDrawRender, TextAlignmentShadowAndOutline) {
    const char* kinds[] = {"", "shadow FF0000", "outline FF0000"};
    for (const char* kind : kinds) {
        const std::string text =
            std::string("picture x.umz 64 20\nfont 16\ntext 32 2 FFFFFF \"AB\" centre ") + kind +
            "\nend\n";
        std::vector<ZEMPIXEL> px = DrawOne(text);
        int left = 64, right = -1, white = 0, red = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 64; ++x) {
                const ZEMPIXEL p = px[size_t(y) * 64 + size_t(x)];
                EXPECT_TRUE(p == 0 || p == 0x7FFF || p == 0x7C00) << kind << ": " << p;
                if (p == 0x7FFF) ++white, left = std::min(left, x), right = std::max(right, x);
                if (p == 0x7C00) ++red;
            }
        EXPECT_GT(white, 10) << kind;
        // Two single-byte cells of 8 centred on 32: the ink lies within 24..39.
        EXPECT_GE(left, 24) << kind;
        EXPECT_LE(right, 39) << kind;
        EXPECT_EQ(red > 0, *kind != 0) << kind;
    }
    std::vector<ZEMPIXEL> right =
        DrawOne("picture x.umz 64 20\ntext 63 0 FFFFFF \"W\" right\nend\n");
    int rightmost = -1;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 64; ++x)
            if (right[size_t(y) * 64 + size_t(x)]) rightmost = std::max(rightmost, x);
    EXPECT_GE(rightmost, 56);
    EXPECT_LE(rightmost, 62);
    std::vector<ZEMPIXEL> ja = DrawOne("picture x.umz 64 20\ntext 0 0 FFFFFF \"待機\"\nend\n");
    int ink = 0;
    for (ZEMPIXEL p : ja) ink += p != 0;
    EXPECT_GT(ink, 40) << "two double-byte characters";
}

// Each glyph stays in its own cell, the blank is empty, and the digits differ.
TEST(UmbDrawRender, GlyphStripsKeepToTheirCells) {
    std::vector<ZEMPIXEL> px = DrawOne(
        "picture x.umz 208 16\nkey 000000\nfont 16 width 8 bold\n"
        "glyphs ' ' '9' 8 16 FFFFFF row 0\nend\n");
    ASSERT_EQ(px.size(), 208u * 16u);
    auto glyph = [&](int i) {
        std::vector<ZEMPIXEL> g;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 8; ++x) g.push_back(px[size_t(y) * 208 + size_t(i * 8 + x)]);
        return g;
    };
    const std::vector<ZEMPIXEL> blank = glyph(0);
    EXPECT_EQ(std::count(blank.begin(), blank.end(), 0), 128) << "the blank has no ink";
    std::set<std::vector<ZEMPIXEL>> digits;
    for (int i = 16; i <= 21; ++i) digits.insert(glyph(i));
    EXPECT_EQ(digits.size(), 6u) << "'0'..'5' differ";
    // A glyph wider than its cell is cut at the cell's edge, not drawn into the next one.
    std::vector<ZEMPIXEL> narrow =
        DrawOne("picture x.umz 12 24\nfont 24\nglyphs 'W' 'X' 6 24 FFFFFF\nend\n");
    std::vector<ZEMPIXEL> only =
        DrawOne("picture x.umz 12 24\nfont 24\nglyphs 'W' 'W' 6 24 FFFFFF\nend\n");
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(narrow[size_t(y) * 12 + size_t(x)], only[size_t(y) * 12 + size_t(x)]);
    for (int y = 0; y < 24; ++y)
        for (int x = 6; x < 12; ++x) EXPECT_EQ(only[size_t(y) * 12 + size_t(x)], 0);
}

TEST(UmbDrawRender, LargeCoordinatesAreClippedQuickly) {
    std::vector<ZEMPIXEL> px = DrawOne(
        "picture x.umz 4 4\n"
        "disc 2 2 4096 FFFFFF\n"
        "poly FF0000 -65535 -65535 65535 -65535 -65535 65535\n"
        "line -65535 -65535 65535 65535 000000 64\n"
        "glow 65535 65535 4096 FFFFFF\n"
        "text 65535 -65535 FFFFFF \"far away\"\n"
        "end\n");
    EXPECT_EQ(px.size(), 16u);
}

// Writing: the picture file with its frame, offsets, key, form and half bits; the 24-bit
// BMP; the 8-bit BMP with its palette, also when the picture has more than 256 colours.
TEST(UmbDrawWrite, FilesReadBackThroughThePictureLibrary) {
    Scratch s;
    Description d = Read(
        "colour glass 00FF00 half\n"
        "picture p.umz 6 4\n"
        "  key FF00FF\n  frame 3 2\n  offset 1 2\n  form TEST\n"
        "  fill key\n  box 0 0 3 2 glass\n  box 3 2 3 2 FFFFFF\nend\n"
        "picture r.umz 6 4 raw\n  box 0 0 3 2 glass\nend\n"
        "picture t24.bmp 6 4 bmp24\n  box 0 0 3 2 FF0000\n  box 3 2 3 2 0000FF\nend\n"
        "picture t8.bmp 5 3 bmp8\n  box 0 0 2 3 808080\n  box 2 0 3 1 F8F800\nend\n"
        "picture many.bmp 32 32 bmp8\n  gradient 0 0 32 32 000000 00F800\n"
        "  glow 0 0 40 F80000\n  glow 31 0 40 0000F8\nend\n");
    ASSERT_EQ(d.pictures.size(), 5u);
    std::vector<std::vector<ZEMPIXEL>> drawn;
    for (const Picture& p : d.pictures) {
        drawn.push_back(Draw(p));
        std::string error;
        ASSERT_TRUE(umbdraw::Write(p, drawn.back(), In(s, p.path), &error)) << error;
    }
    for (const char* name : {"p.umz", "r.umz"}) {
        tagCELL cell{};
        ASSERT_EQ(UMBDLL_ReadUMB(s.Sys(name).c_str(), &cell), 1) << name;
        const size_t i = name[0] == 'p' ? 0 : 1;
        EXPECT_EQ(cell.xsize, 6) << name;
        EXPECT_EQ(cell.ysize, 4) << name;
        EXPECT_EQ(std::vector<ZEMPIXEL>(cell.bits, cell.bits + 24), drawn[i]) << name;
        EXPECT_EQ(cell.bits[0], 0x83E0) << name << ": the half bit survives";
        if (i == 0) {
            EXPECT_EQ(cell.xpos, 3);
            EXPECT_EQ(cell.ypos, 2);
            EXPECT_EQ(cell.xoffset, 1);
            EXPECT_EQ(cell.yoffset, 2);
            EXPECT_EQ(cell.mask, 0x7C1F);
            const std::vector<uint8_t> bytes = s.Get(name);
            EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 12), "TEST");
            EXPECT_EQ(bytes[82], 1) << "rows coded";
        } else {
            EXPECT_EQ(cell.xpos, 6) << "the frame is the picture";
            EXPECT_EQ(cell.mask, CELL_MASK_NONE);
            EXPECT_EQ(s.Get(name)[82], 0) << "raw rows";
        }
        Free(&cell);
    }
    for (size_t i : {size_t(2), size_t(3)}) {
        const Picture& p = d.pictures[i];
        tagCELL cell{};
        ASSERT_EQ(UMBDLL_ReadBMP(s.Sys(p.path).c_str(), &cell), 1) << p.path;
        EXPECT_EQ(std::vector<ZEMPIXEL>(cell.bits, cell.bits + p.width * p.height), drawn[i])
            << p.path;
        const std::vector<uint8_t> bytes = s.Get(p.path);
        EXPECT_EQ(bytes[28], i == 2 ? 24 : 8) << p.path;
        Free(&cell);
    }
    EXPECT_EQ(s.Get("t8.bmp")[46], 3) << "three colours in the palette";
    // 32 x 32 pixels of more than 256 colours: a palette of at most 256, in which every pixel
    // has its colour with the same low bits of each channel dropped.
    const std::vector<uint8_t> many = s.Get("many.bmp");
    const unsigned used = many[46] | many[47] << 8;
    EXPECT_LE(used, 256u);
    EXPECT_GT(used, 64u);
    std::set<ZEMPIXEL> colours(drawn[4].begin(), drawn[4].end());
    EXPECT_GT(colours.size(), 256u) << "the fixture needs more colours than a palette holds";
    tagCELL cell{};
    ASSERT_EQ(UMBDLL_ReadBMP(s.Sys("many.bmp").c_str(), &cell), 1);
    int dropped = 0;
    for (int d = 1; d <= 4 && !dropped; ++d) {
        const int keep = (31 >> d) << d;
        const ZEMPIXEL mask = UMB_MakePixel(keep, keep, keep);
        bool all = true;
        for (size_t k = 0; k < 32 * 32; ++k) all &= cell.bits[k] == (drawn[4][k] & mask);
        if (all) dropped = d;
    }
    EXPECT_GT(dropped, 0);
    Free(&cell);
}

// The tool: every picture of a description into the folder; a refused description writes
// nothing and says where it failed.
TEST(UmbDrawTool, DrawsADescriptionIntoAFolder) {
    Scratch s;
    s.Put("ok.txt", "picture etc/sub/a.umz 4 4\nfill FFFFFF\nend\npicture b.bmp 2 2 bmp8\nend\n");
    s.Put("bad.txt", "picture c.umz 4 4\nfill FFFFFF\nend\npicture d.umz 4 4\nblur 3\nend\n");
    const std::string tool = UMBCONV_PATH;
    const std::string out = In(s, "out");
    EXPECT_EQ(std::system((tool + " -draw " + In(s, "ok.txt") + " " + out).c_str()), 0);
    EXPECT_TRUE(std::filesystem::exists(out + "/etc/sub/a.umz"));
    EXPECT_TRUE(std::filesystem::exists(out + "/b.bmp"));
    const std::string bad =
        tool + " -draw " + In(s, "bad.txt") + " " + In(s, "out2") + " 2>" + In(s, "err.txt");
    EXPECT_NE(std::system(bad.c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(In(s, "out2/c.umz"))) << "nothing of a refused file";
    const std::vector<uint8_t> err = s.Get("err.txt");
    EXPECT_NE(std::string(err.begin(), err.end()).find("line 5: unknown statement \"blur\""),
              std::string::npos);
}

}  // namespace
