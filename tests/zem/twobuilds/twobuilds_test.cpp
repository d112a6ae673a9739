// zem33 and zem40 loaded into one process: the script side's caller reaches zem33, the 3D
// engine's zem40, and each sees its own build's behaviour where the two differ.
#include <gtest/gtest.h>

#include <string>

extern "C" const char* ZEMCALLER33_Library(void);
extern "C" const char* ZEMCALLER40_Library(void);
extern "C" int ZEMCALLER33_Depth(unsigned flags);
extern "C" int ZEMCALLER40_Depth(unsigned flags);
extern "C" int ZEMCALLER33_Pixel(unsigned src, unsigned dst, int level);
extern "C" int ZEMCALLER40_Pixel(unsigned src, unsigned dst, int level);
extern "C" int ZEMCALLER33_HasBmpCell(void);
extern "C" int ZEMCALLER40_HasBmpCell(void);

namespace {

TEST(ZemTwoBuilds, EachCallerReachesItsOwnBuild) {
    const std::string l33 = ZEMCALLER33_Library(), l40 = ZEMCALLER40_Library();
    EXPECT_NE(l33.find("libzem33.so"), std::string::npos) << l33;
    EXPECT_NE(l40.find("libzem40.so"), std::string::npos) << l40;
    EXPECT_EQ(ZEMCALLER33_HasBmpCell(), 0);
    EXPECT_EQ(ZEMCALLER40_HasBmpCell(), 1);
}

TEST(ZemTwoBuilds, WhereTheBuildsDiffer) {
    const int display = ZEMCALLER40_Depth(0);
    struct DiffCase {
        const char* name;
        int zem40, zem33;
        int got40, got33;
    } cases[] = {
        // The low byte names the older build's depth; the current build reads bits 24-27.
        {"flag word 0x40000010", display, 16, ZEMCALLER40_Depth(0x40000010u),
         ZEMCALLER33_Depth(0x40000010u)},
        {"flag word 0x4000000F", display, 15, ZEMCALLER40_Depth(0x4000000Fu),
         ZEMCALLER33_Depth(0x4000000Fu)},
        {"flag word 0x41000000", 16, ZEMCALLER33_Depth(0), ZEMCALLER40_Depth(0x41000000u),
         ZEMCALLER33_Depth(0x41000000u)},
        // Blending white onto white at level 8: the current build skips equal pairs.
        {"blend of equal pixels", 0x7FFF, 0x7BDE, ZEMCALLER40_Pixel(0x7FFF, 0x7FFF, 8),
         ZEMCALLER33_Pixel(0x7FFF, 0x7FFF, 8)},
        {"blend of different pixels", 0x3DEF, 0x3DEF, ZEMCALLER40_Pixel(0x7FFF, 0, 8),
         ZEMCALLER33_Pixel(0x7FFF, 0, 8)},
        {"half-transparent draw at 5-5-5", 0x3DEF, 0x3DEF, ZEMCALLER40_Pixel(0xFFFF, 0, -1),
         ZEMCALLER33_Pixel(0xFFFF, 0, -1)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.got40, c.zem40) << c.name << " (zem40)";
        EXPECT_EQ(c.got33, c.zem33) << c.name << " (zem33)";
    }
}

}  // namespace
