// A caller linked against one build of the 2D display library (the script side links zem33,
// the 3D engine zem40): it reports which library its calls reach and how that build behaves
// where the builds differ.
#include <dlfcn.h>

#include "zem40.h"

#define CALLER_API extern "C" __attribute__((visibility("default")))
#define CAT2(a, b) a##b
#define CAT(a, b) CAT2(a, b)
#define NAME(x) CAT(CALLER_PREFIX, x)

// The file of the library that ZEM_Start is bound to.
CALLER_API const char* NAME(Library)(void) {
    Dl_info info{};
    return dladdr(reinterpret_cast<void*>(&ZEM_Start), &info) ? info.dli_fname : "";
}

// The depth of a top screen made with `flags`, -1 when none was made or it took a parent.
CALLER_API int NAME(Depth)(unsigned flags) {
    HZEMSCREEN s = ZEM_Start(flags, nullptr, 4, 4, 4, 4);
    if (!s) return -1;
    const int depth = s->parent ? -1 : int(s->depth);
    ZEM_End(s);
    return depth;
}

// A pixel of a two-byte 5-5-5 screen after drawing `src` over `dst` (with `level` < 0) or
// after blending `src` onto `dst` at `level`.
CALLER_API int NAME(Pixel)(unsigned src, unsigned dst, int level) {
#ifdef ZEM_BUILD_ZEM33
    const unsigned flags = ZEM33_START_DEPTH(15);
#else
    const unsigned flags = ZEM_START_DEPTH16;
#endif
    HZEMSCREEN s = ZEM_Start(flags, nullptr, 4, 1, 4, 1);
    if (!s) return -1;
    const RECT a{0, 0, 1, 1}, b{1, 0, 2, 1};
    ZEM_ClearScreen(s, &b, ZEMPIXEL(dst));
    if (level < 0) {
        ZEMPIXEL px = ZEMPIXEL(src);
        tagCELL cell{CELL_MODE_NORMAL, 1, 1, 1, 1, 0, 0, CELL_MASK_NONE, &px, 0};
        ZEM_DisplayScreen(s, 1, 0, &cell, nullptr, ZEM_NOKEY);
    } else {
        ZEM_ClearScreen(s, &a, ZEMPIXEL(src));
        ZEM_BlendScreen(s, 1, 0, &a, level);
    }
    const int v = static_cast<const uint16_t*>(s->bits)[1];
    ZEM_End(s);
    return v;
}

// 1 when the build this caller reaches exports ZEM_CreateBmpCell.
CALLER_API int NAME(HasBmpCell)(void) {
    void* lib = dlopen(NAME(Library)(), RTLD_NOW | RTLD_NOLOAD);
    if (!lib) return -1;
    const int has = dlsym(lib, "ZEM_CreateBmpCell") != nullptr;
    dlclose(lib);
    return has;
}
