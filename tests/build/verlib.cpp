// A tiny library built twice with the same exported names.
#define VER_API extern "C" __attribute__((visibility("default")))

VER_API const char* VER_Name(void) { return VERLIB_BUILD; }
VER_API int VER_Counter(void) {
    static int calls = 0;
    return ++calls;
}
// Not part of the API: must stay local even though its visibility is default.
extern "C" __attribute__((visibility("default"))) int verlib_internal(void) { return 7; }
