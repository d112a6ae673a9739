// The utility library and the picture-file library export their API and nothing else, each
// under its own version node, so that the builds of the utility code inside other libraries
// never meet them.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

struct ExportCase {
    const char* library;
    const char* symbol;
    const char* version;
    bool exported;
};
const ExportCase kExports[] = {
    {"libnxlib.so", "NXL_STR_WordLength", "NXLIB_LIBRARY", true},
    {"libnxlib.so", "NXL_FILE_Exist", "NXLIB_LIBRARY", true},
    {"libnxlib.so", "NXL_MEM_Alloc", "NXLIB_LIBRARY", true},
    {"libnxlib.so", "VFS_OpenFile", nullptr, false},
    {"libnxlib.so", "NxlVfs_FindEntry", nullptr, false},
    {"libnxlib.so", "NXL_FILE_SeparateFile", nullptr, false},  // the long-name builds only
    {"libumb33.so", "UMBDLL_ReadUMB", "UMB33_LIBRARY", true},
    {"libumb33.so", "UMBDLL8_Unpack", "UMB33_LIBRARY", true},
    {"libumb33.so", "UmbParsePicture", nullptr, false},
    {"libumb33.so", "NXL_STR_GetWord", nullptr, false},
};

TEST(NxlUmbExports, OnlyTheApiUnderItsOwnNode) {
    for (const ExportCase& c : kExports) {
        // By full path: under the address sanitizer dlopen does not see this program's run path.
        const char* dir = std::getenv("WYN_PROGRAM_DIR");
        std::string path = dir ? std::string(dir) + "/" + c.library : c.library;
        void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(lib, nullptr) << c.library << ": " << dlerror();
        void* plain = dlsym(lib, c.symbol);
        EXPECT_EQ(plain != nullptr, c.exported) << c.library << " " << c.symbol;
        if (c.version) {
            EXPECT_NE(dlvsym(lib, c.symbol, c.version), nullptr) << c.symbol;
        }
        dlclose(lib);
    }
}

}  // namespace
