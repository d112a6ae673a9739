// Callers bind by name: every entry point of the library is exported under its own version
// node, so that a process holding both builds of the API binds each caller to its own.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "zem40.h"

#ifdef ZEM_BUILD_ZEM33
#define ZEM_NODE "ZEM33_LIBRARY"
#else
#define ZEM_NODE "ZEM40_LIBRARY"
#endif

namespace {

const char* const kExports[] = {
    "ZEM_Start",           "ZEM_End",
    "ZEM_CreateScreen",    "ZEM_DeleteScreen",
    "ZEM_MaskFlag",        "ZEM_SetZoom",
    "ZEM_GetZoom",         "ZEM_FullScreen",
    "ZEM_ClipScreen",      "ZEM_ClearClipping",
    "ZEM_RecordClipping",  "ZEM_RefreshClipping",
    "ZEM_AdjustScreen",    "ZEM_RefreshScreen",
    "ZEM_ClearScreen",     "ZEM_DisplayScreen",
    "ZEM_DisplayScreen2",  "ZEM_MoveScreen",
    "ZEM_ViewScreen",      "ZEM_BlendScreen",
    "ZEM_GetDC",           "ZEM_SetFontScreen",
    "ZEM_LineScreen",      "ZEM_BuiltScreen",
    "ZEM_CreateCell",      "ZEM_DeleteCell",
    "ZEM_CopyCell",        "ZEM_ClearCell",
    "ZEM_ChangePixelCell", "ZEM_CheckPixelCell",
    "ZEM_GetPixel",        "ZEM_GetPixelCell",
    "ZEM_SetPixelCell",    "ZEM_SetFontCell",
    "ZEM_PaintCell",       "ZEM_LineCell",
    "ZEM_RollCell",        "ZEM_ZoomCell",
    "ZEM_PixelToColor",    "ZEM_ColorToPixel",
    "ZEM_MixPixel",        "ZEM_DebugPrintf",
    "ZEM_Random",          "ZEM_WaitStart",
    "ZEM_WaitEnd",         "ZEM_Wait",
    "ZEM_SystemTask",      "ZEM_AllocMemory",
    "ZEM_FreeMemory",      "ZEM_Range",
    "ZEM_Limit",           "ZEM_GetMouse",
    "ZEM_SetMouse",        "ZEM_GetTriangle",
    "ZEM_GetArcPos",       "ZEM_GetAngle",
};

TEST(ZemExports, EveryEntryPointUnderTheLibrarysVersionNode) {
    // The library the test was linked against is already loaded: look each name up in it.
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&ZEM_Start), &info), 0);
    void* lib = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(lib, nullptr) << info.dli_fname;
    for (const char* name : kExports) EXPECT_NE(dlvsym(lib, name, ZEM_NODE), nullptr) << name;
        // Only the current build makes bitmap cells.
#ifdef ZEM_BUILD_ZEM33
    EXPECT_EQ(dlsym(lib, "ZEM_CreateBmpCell"), nullptr);
#else
    EXPECT_NE(dlvsym(lib, "ZEM_CreateBmpCell", ZEM_NODE), nullptr);
#endif
    const char* const sprites[] = {"ZEM_InitSprite",    "ZEM_AdjustSprite",    "ZEM_CreateSprite",
                                   "ZEM_DeleteSprite",  "ZEM_SetSprite",       "ZEM_HitSprite",
                                   "ZEM_RefreshSprite", "ZEM_RefreshAllSprite"};
    for (const char* name : sprites) EXPECT_NE(dlvsym(lib, name, ZEM_NODE), nullptr) << name;
    // Helpers stay inside.
    EXPECT_EQ(dlsym(lib, "WndEnumProc"), nullptr);
    EXPECT_EQ(dlsym(lib, "_ZN3zem13AcquireTablesEv"), nullptr);
    dlclose(lib);
}

}  // namespace
