// Compares what a screenshot shows with a picture of the program folder: the picture read
// through the picture-file library, and how many points of a grid over a part of the shot show
// the picture's pixels.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "png_read.h"
#include "umb33.h"
#include "zem40.h"

// A picture of the program folder (a path as the programs give it, relative to the current
// folder).
struct Picture {
    tagCELL cell{};
    explicit Picture(const char* path) { EXPECT_EQ(UMBDLL_ReadUMB(path, &cell), 1) << path; }
    ~Picture() {
        if (cell.bits) ZEM_DeleteCell(&cell);
    }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    ZEMPIXEL At(int x, int y) const { return cell.bits ? cell.bits[y * cell.xsize + x] : 0; }
};

// A screenshot pixel shows the 16-bit pixel (each channel within the expansion's rounding).
inline bool Shows(uint32_t rgb, ZEMPIXEL p) {
    const int want[3] = {(p >> 10) & 31, (p >> 5) & 31, p & 31};
    const int got[3] = {int(rgb >> 16) & 255, int(rgb >> 8) & 255, int(rgb) & 255};
    for (int c = 0; c < 3; ++c)
        if (std::abs(got[c] - (want[c] << 3 | want[c] >> 2)) > 8) return false;
    return true;
}

// How many points agreed, out of how many.
struct Match {
    int same = 0, all = 0;
    bool Mostly() const { return all > 0 && same * 10 >= all * 9; }
    std::string Say() const { return std::to_string(same) + "/" + std::to_string(all); }
};

// The points of a grid over the w x h part of the shot at (x0, y0) that show the picture's
// pixel at the same offset from (px, py). Points where the picture holds `key` (its transparent
// colour, -1: none) are left out.
inline Match Compare(const Png& shot, int x0, int y0, int w, int h, const Picture& pic, int px,
                     int py, long key = -1) {
    Match m;
    for (int y = 2; y < h - 2; y += 7)
        for (int x = 2; x < w - 2; x += 7) {
            const ZEMPIXEL p = pic.At(px + x, py + y);
            if (key >= 0 && p == ZEMPIXEL(key)) continue;
            ++m.all;
            if (Shows(shot.At(x0 + x, y0 + y), p)) ++m.same;
        }
    return m;
}
