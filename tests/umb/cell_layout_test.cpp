#include <gtest/gtest.h>

#include <cstddef>

#include "umb33.h"

// The display library, the 3D engine and the script cell commands share the record: its
// field order and widths must not drift.
TEST(UmbCellRecord, FieldOrderAndWidths) {
    EXPECT_EQ(offsetof(tagCELL, mode), 0u);
    EXPECT_EQ(offsetof(tagCELL, xsize), 4u);
    EXPECT_EQ(offsetof(tagCELL, ysize), 8u);
    EXPECT_EQ(offsetof(tagCELL, xpos), 12u);
    EXPECT_EQ(offsetof(tagCELL, ypos), 16u);
    EXPECT_EQ(offsetof(tagCELL, xoffset), 20u);
    EXPECT_EQ(offsetof(tagCELL, yoffset), 24u);
    EXPECT_EQ(offsetof(tagCELL, mask), 28u);
    EXPECT_EQ(offsetof(tagCELL, bits), 32u);
    EXPECT_EQ(sizeof(ZEMPIXEL), 2u);
    EXPECT_EQ(sizeof(tagCELL::bits), sizeof(void*));
    EXPECT_EQ(sizeof(tagCELL::user), sizeof(void*));
}

TEST(UmbCellRecord, ChannelConversions) {
    EXPECT_EQ(UMB_Channel5To8(31), 255);
    EXPECT_EQ(UMB_Channel8To5(255), 31);
    EXPECT_EQ(UMB_Channel8To5(7), 0);
    EXPECT_EQ(UMB_MakePixel(31, 0, 0), 0x7C00);
    EXPECT_EQ(CELL_MASK_NONE, (LONG)0x80000000u);
}
