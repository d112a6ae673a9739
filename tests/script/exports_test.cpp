// The script libraries export their API and nothing else, each under its own version node.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

struct ExportCase {
    const char* library;
    const char* symbol;
    const char* version;  // nullptr: must not be exported
};
const ExportCase kExports[] = {
    {"libvsktask.so", "VSKTASK_ErrorStop", "VSKTASK"},
    {"libvsktask.so", "VSKTASK_AllocMemory", "VSKTASK"},
    {"libvskval.so", "VSKVAL_Create", "VSKVAL"},
    {"libvskval.so", "VSKFAQ_Add", "VSKVAL"},
    {"libvskval.so", "VSKRAQ_Rect", "VSKVAL"},
    {"libvskval.so", "VSKSTR_SetWord", "VSKVAL"},
    {"libvskval.so", "_ZN6vskval9HeapAllocEP11tagVALUAREAPKvi", nullptr},
    {"libvskval.so", "VSKTASK_AllocMemory", nullptr},
    {"libvskfile.so", "VSKFILE_ReadFAQ", "VSKFILE"},
    {"libvskfile.so", "VSKFILE_LockCode", "VSKFILE"},
    {"libvskfile.so", "NxlVfs_FindEntry", nullptr},
    {"libvskfile.so", "NXL_STR_GetWord", nullptr},
    {"libvskcomp.so", "VSKCOMP_Comp", "VSKCOMP"},
    {"libvskcomp.so", "VSKCOMP_Unpack", "VSKCOMP"},
    {"libvskcomp.so", "_ZN7vskcomp9CheckCodeEPKhm", nullptr},
};

TEST(VskExports, OnlyTheApiUnderItsOwnNode) {
    for (const ExportCase& c : kExports) {
        const char* dir = std::getenv("WYN_PROGRAM_DIR");
        std::string path = dir ? std::string(dir) + "/" + c.library : c.library;
        void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(lib, nullptr) << c.library << ": " << dlerror();
        // dlsym would find a dependency's name through the library: ask the library alone.
        void* own = dlvsym(lib, c.symbol, c.version ? c.version : "VSKVAL");
        if (c.version) {
            EXPECT_NE(own, nullptr) << c.library << " " << c.symbol;
        } else {
            Dl_info info{};
            void* any = dlsym(lib, c.symbol);
            bool inside = any && dladdr(any, &info) &&
                          std::string(info.dli_fname).find(c.library) != std::string::npos;
            EXPECT_FALSE(inside) << c.library << " exports " << c.symbol;
        }
        dlclose(lib);
    }
}

}  // namespace
