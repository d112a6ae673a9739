// Words of the command line, paths, glyph strips and the plain rectangle copy.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "base/base.h"

TEST(GetWord, SplitsAtSingleBlanksAndKeepsTheLastWord) {
    struct Case {
        const char* line;
        int n, size;
        const char* word;
        int result;
    };
    const Case cases[] = {
        {"rjtt stage01", 0, 8, "rjtt", 1},
        {"rjtt stage01", 1, 16, "stage01", 1},
        {"rjtt stage01", 2, 16, "stage01", 1},  // fewer words: the last one
        {"rjtt", 1, 16, "rjtt", 1},
        {"a  b", 1, 8, "", 1},  // two blanks make an empty word
        {"a  b", 2, 8, "b", 1},
        {"verylongairport x", 0, 8, "verylong", 0},  // cut to size
        {"x verylongscenarioname", 1, 16, "verylongscenario", 0},
        {"exactly8 y", 0, 8, "exactly8", 1},
        {"", 0, 8, "", 1},
        {"tail ", 1, 8, "", 1},
    };
    for (const Case& c : cases) {
        std::vector<char> word(c.size + 1, '#');
        EXPECT_EQ(GetWord(c.line, c.n, word.data(), c.size), c.result)
            << "[" << c.line << "] word " << c.n;
        EXPECT_STREQ(word.data(), c.word) << "[" << c.line << "] word " << c.n;
    }
}

TEST(Paths, SeparateSplitsAtTheLastColonBackslashAndDot) {
    struct Case {
        const char* path;
        const char* drive;
        const char* dir;
        const char* name;
        const char* ext;
    };
    const Case cases[] = {
        {"C:\\wyn\\port\\rjtt.ad3", "C:", "\\wyn\\port\\", "rjtt", "ad3"},
        {"port\\rjtt\\scenario\\stage01.sd3", "", "port\\rjtt\\scenario\\", "stage01", "sd3"},
        {"a.b.c", "", "", "a.b", "c"},  // the last dot (the utility library's splits at the first)
        {"dir.x\\name", "", "dir.x\\", "name", ""},  // a dot in a folder is no extension
        {"name.", "", "", "name", ""},
        {"C:file.txt", "C:", "", "file", "txt"},
        {"\\", "", "\\", "", ""},
        {"", "", "", "", ""},
        // 0x95 0x5C is one Shift-JIS character whose second byte is a backslash.
        {"d\\\x95\x5C.umz", "", "d\\", "\x95\x5C", "umz"},
    };
    for (const Case& c : cases) {
        char drive[MAX_PATH], dir[MAX_PATH], name[MAX_PATH], ext[MAX_PATH];
        SeparatePath(c.path, drive, dir, name, ext);
        EXPECT_STREQ(drive, c.drive) << c.path;
        EXPECT_STREQ(dir, c.dir) << c.path;
        EXPECT_STREQ(name, c.name) << c.path;
        EXPECT_STREQ(ext, c.ext) << c.path;
        char joined[MAX_PATH];
        MakePath(joined, drive, dir, name, ext);
        if (std::string(c.path) != "name.") {
            EXPECT_STREQ(joined, c.path) << "joined again";
        }
    }
    // Outputs may be null.
    char name[MAX_PATH];
    SeparatePath("x\\y.z", nullptr, nullptr, name, nullptr);
    EXPECT_STREQ(name, "y");
}

TEST(Paths, MakeAddsTheDotOnlyForAnExtension) {
    struct Case {
        const char* drive;
        const char* dir;
        const char* name;
        const char* ext;
        const char* path;
    };
    const Case cases[] = {
        {"C:", "\\wyn\\", "game", "ini", "C:\\wyn\\game.ini"},
        {nullptr, "etc\\", "kabekabe", "umz", "etc\\kabekabe.umz"},
        {nullptr, nullptr, "name", "", "name"},
        {nullptr, nullptr, "name", nullptr, "name"},
        {nullptr, nullptr, nullptr, "ext", ".ext"},
    };
    for (const Case& c : cases) {
        char path[MAX_PATH];
        MakePath(path, c.drive, c.dir, c.name, c.ext);
        EXPECT_STREQ(path, c.path);
    }
}

namespace {

// A strip of `count` glyphs of w x h on `rows` rows; glyph i of row r is filled with the pixel
// value 1 + i + 100 r, so a drawn pixel tells which glyph drew it.
struct Strip {
    tagCELL cell{};
    Strip(int count, int w, int h, int rows = 1) {
        ZEM_CreateCell(&cell, count * w, h * rows);
        cell.xpos = w;
        cell.ypos = h;
        cell.mask = static_cast<LONG>(0x80000000u);
        for (int y = 0; y < h * rows; ++y)
            for (int x = 0; x < count * w; ++x)
                cell.bits[y * cell.xsize + x] = static_cast<ZEMPIXEL>(1 + x / w + 100 * (y / h));
    }
    ~Strip() { ZEM_DeleteCell(&cell); }
};
struct Canvas {
    tagCELL cell{};
    Canvas(int w, int h) { ZEM_CreateCell(&cell, w, h); }
    ~Canvas() { ZEM_DeleteCell(&cell); }
    int At(int x, int y) const { return cell.bits[y * cell.xsize + x]; }
    // The glyph values along row y, one per `step` pixels from x0 (0 where nothing drew).
    std::vector<int> Row(int x0, int y, int step, int n) const {
        std::vector<int> v;
        for (int i = 0; i < n; ++i) v.push_back(At(x0 + i * step, y));
        return v;
    }
};

}  // namespace

TEST(Glyphs, NumbersComeFromADigitStripOrAFullStrip) {
    struct Case {
        const char* name;
        int count;  // glyphs in the strip
        const char* text;
        int flags, x;
        int start;  // x of the first glyph
        std::vector<int> values;
        int end;
    };
    const Case cases[] = {
        {"digits", 10, "123", 0, 0, 0, {2, 3, 4}, 24},
        {"full strip", 96, "123", 0, 0, 0, {18, 19, 20}, 24},  // glyphs 17-19 from the blank
        {"right-aligned", 10, "123", 0x100, 40, 16, {2, 3, 4}, 40},
        {"11 glyphs a row count from the blank", 11, "1", 0, 0, 0, {0}, 8},
        {"a character the strip lacks only advances", 10, "1-2", 0, 0, 0, {2, 0, 3}, 24},
        {"second row", 10, "0", 1, 0, 0, {101}, 8},
    };
    for (const Case& c : cases) {
        Strip s(c.count, 8, 6, 2);
        Canvas out(64, 16);
        EXPECT_EQ(DrawNumberCell(&out.cell, &s.cell, c.x, 2, c.text, c.flags), c.end) << c.name;
        EXPECT_EQ(out.Row(c.start + 4, 4, 8, static_cast<int>(c.values.size())), c.values)
            << c.name;
    }
}

TEST(Glyphs, StringsOverlapByTwoPixels) {
    Strip s(96, 8, 6);
    Canvas out(64, 16);
    // "AB": glyphs 33 and 34 from the blank, six pixels apart.
    EXPECT_EQ(DrawStringCell(&out.cell, &s.cell, 4, 0, "AB", 0), 4 + 2 * 6);
    EXPECT_EQ(out.At(4, 0), 34);
    EXPECT_EQ(out.At(9, 0), 34);
    EXPECT_EQ(out.At(10, 0), 35) << "the second glyph drawn over the first one's last two";
    Canvas right(64, 16);
    // Right-aligned: starts at x - (w - 2) x length - 1.
    EXPECT_EQ(DrawStringCell(&right.cell, &s.cell, 40, 0, "AB", 0x100), 40 - 1);
    EXPECT_EQ(right.At(27, 0), 34);
    EXPECT_EQ(right.At(26, 0), 0);
}

TEST(Glyphs, AStripWithoutGlyphSizeDrawsNothing) {
    Strip s(10, 8, 6);
    Canvas out(64, 16);
    for (int zero = 0; zero < 2; ++zero) {
        s.cell.xpos = zero == 0 ? 0 : 8;
        s.cell.ypos = zero == 0 ? 6 : 0;
        EXPECT_EQ(DrawNumberCell(&out.cell, &s.cell, 5, 0, "12", 0x100), 5);
        EXPECT_EQ(DrawStringCell(&out.cell, &s.cell, 5, 0, "12", 0), 5);
    }
    for (int i = 0; i < 64 * 16; ++i) ASSERT_EQ(out.cell.bits[i], 0) << "pixel " << i;
}

TEST(Cells, CopyCellRectClipsToBothCells) {
    struct Case {
        const char* name;
        RECT rect;
        int x, y;
        // destination pixels (x, y) and the source value expected there (-1: untouched)
        std::vector<std::array<int, 3>> checks;
    };
    // The source's pixel (x, y) holds 1 + x + 10 y.
    const Case cases[] = {
        {"inside", {1, 1, 3, 3}, 0, 0, {{0, 0, 12}, {1, 1, 23}, {2, 0, -1}}},
        {"source rectangle past the source", {2, 2, 9, 9}, 0, 0, {{1, 1, 34}, {2, 0, -1}}},
        {"negative source corner", {-2, -1, 2, 2}, 0, 0, {{2, 1, 1}, {3, 2, 12}, {1, 0, -1}}},
        {"target left of the destination", {0, 0, 4, 1}, -3, 0, {{0, 0, 4}, {1, 0, -1}}},
        {"target past the destination", {0, 0, 4, 4}, 3, 3, {{3, 3, 1}, {2, 3, -1}}},
        {"nothing left", {0, 0, 4, 4}, 4, 0, {{0, 0, -1}}},
    };
    for (const Case& c : cases) {
        Canvas src(4, 4), dst(4, 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                src.cell.bits[y * 4 + x] = static_cast<ZEMPIXEL>(1 + x + 10 * y);
        for (int i = 0; i < 16; ++i) dst.cell.bits[i] = 0x7fff;
        CopyCellRect(&dst.cell, c.x, c.y, &src.cell, &c.rect);
        for (const auto& k : c.checks)
            EXPECT_EQ(dst.At(k[0], k[1]), k[2] < 0 ? 0x7fff : k[2])
                << c.name << " at " << k[0] << "," << k[1];
    }
}
