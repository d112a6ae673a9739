// tov33 and tov42 in one process: each caller reaches the build it was linked against.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>

extern "C" int GENCALLER_33(char* caption, size_t cap);
extern "C" int GENCALLER_42(char* caption, size_t cap);

TEST(TovGenerations, EachCallerReachesItsOwnBuild) {
    struct Case {
        const char* name;
        int (*call)(char*, size_t);
        std::string caption;
    };
    const Case cases[] = {{"older", GENCALLER_33, "TOV32(WAVE)"},
                          {"current", GENCALLER_42, "TOV40(WAVE)"},
                          {"older again", GENCALLER_33, "TOV32(WAVE)"}};
    for (const auto& c : cases) {
        char caption[64] = {};
        EXPECT_EQ(c.call(caption, sizeof caption), 0) << c.name;
        EXPECT_EQ(std::string(caption), c.caption) << c.name;
    }
}
