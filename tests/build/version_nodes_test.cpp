#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>

extern "C" const char* VERCALLER_old(void);
extern "C" const char* VERCALLER_new(void);

TEST(VersionNodes, EachCallerReachesTheBuildItWasLinkedAgainst) {
    EXPECT_STREQ(VERCALLER_old(), "old");
    EXPECT_STREQ(VERCALLER_new(), "new");
}

TEST(VersionNodes, NamesCarryTheirOwnNodeAndNothingElseIsExported) {
    void* oldLib = dlopen(VERLIB_OLD_PATH, RTLD_NOW | RTLD_NOLOAD);
    void* newLib = dlopen(VERLIB_NEW_PATH, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(oldLib, nullptr);
    ASSERT_NE(newLib, nullptr);
    auto oldName = reinterpret_cast<const char* (*)()>(dlvsym(oldLib, "VER_Name", "VERLIB_old"));
    auto newName = reinterpret_cast<const char* (*)()>(dlvsym(newLib, "VER_Name", "VERLIB_new"));
    ASSERT_NE(oldName, nullptr);
    ASSERT_NE(newName, nullptr);
    EXPECT_STREQ(oldName(), "old");
    EXPECT_STREQ(newName(), "new");
    EXPECT_EQ(dlvsym(oldLib, "VER_Name", "VERLIB_new"), nullptr);
    EXPECT_EQ(dlsym(oldLib, "verlib_internal"), nullptr);
    dlclose(oldLib);
    dlclose(newLib);
}
