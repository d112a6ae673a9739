// Callers bind by name: every entry point is exported under the library's own version node,
// and the utility code built into it stays inside.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "krnlayer.h"

namespace {

TEST(KrnlExports, EveryEntryPointUnderTheLibrarysVersionNode) {
    const char* const exports[] = {
        "KRNL_Start",         "KRNL_End",
        "KRNL_CreateLayer",   "KRNL_DeleteLayer",
        "KRNL_SearchLayer",   "KRNL_GetMasterLayer",
        "KRNL_LinkLayer",     "KRNL_CountLayer",
        "KRNL_EnumLayer",     "KRNL_GetInfoLayer",
        "KRNL_CheckSameName", "KRNL_AbsMoveLayer",
        "KRNL_RelMoveLayer",  "KRNL_RecallFunction",
        "KRNL_CaptureLayer",  "KRNL_GroupLayer",
        "KRNL_TextureLayer",  "KRNL_CalcLayerEx",
        "KRNL_LoadLayer",     "KRNL_SaveLayer",
    };
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&KRNL_Start), &info), 0);
    void* lib = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(lib, nullptr) << info.dli_fname;
    for (const char* name : exports)
        EXPECT_NE(dlvsym(lib, name, "KRNLAYER_LIBRARY"), nullptr) << name;
    EXPECT_EQ(dlsym(lib, "NXL_STR_Compare"), nullptr) << "the utility code stays inside";
    dlclose(lib);
}

}  // namespace
