#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>

TEST(Rand, SeedOneSequenceAndReseeding) {
    const int first[] = {16838, 5758, 10113, 17515, 31051};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(rand(), first[i]) << "draw " << i << " before srand";
    srand(1);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(rand(), first[i]) << "draw " << i << " after srand(1)";
    srand(12345);
    int a = rand(), b = rand();
    srand(12345);
    EXPECT_EQ(rand(), a);
    EXPECT_EQ(rand(), b);
    for (int i = 0; i < 100000; ++i) {
        int v = rand();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 32767);
    }
}
