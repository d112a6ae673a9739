// Modules: plug-ins by their system file names, decorated names, two plug-ins with one API.
#include <gtest/gtest.h>

#include <string>

#include <windows.h>
#include <wynplat.h>

#include "temp_folder.h"

namespace {

typedef int (*IntFn)();

int Call(HMODULE m, const char* name) {
    FARPROC f = GetProcAddress(m, name);
    return f ? reinterpret_cast<IntFn>(f)() : -1;
}

TEST(Modules, LoadsPlugInsByTheirFileNames) {
    HMODULE a = LoadLibraryA("plat_testplug.dll");
    ASSERT_NE(a, nullptr);
    HMODULE same = LoadLibraryA("PLAT_TESTPLUG.DLL");  // any case
    EXPECT_EQ(same, a);
    HMODULE noExt = LoadLibraryA("Plat_TestPlug");  // ".DLL" added as the system does
    EXPECT_EQ(noExt, a);
    char path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(a, path, sizeof path), 0u);
    std::string p = path;
    EXPECT_EQ(p.substr(p.find_last_of('\\') + 1), "plat_testplug.dll");
    HMODULE full = LoadLibraryA(p.c_str());  // by its full system path too
    EXPECT_EQ(full, a);
    EXPECT_EQ(GetModuleHandleA("PLAT_TESTPLUG.DLL"), a);
    EXPECT_EQ(GetModuleHandleA("plat_testplug"), a);
    EXPECT_NE(GetModuleHandleA(nullptr), nullptr);

    HMODULE b = LoadLibraryA("PLAT_TESTPLUG2.DLL");
    ASSERT_NE(b, nullptr);
    EXPECT_NE(b, a);
    EXPECT_EQ(Call(a, "PlugValue"), 1);  // the same names, each plug-in its own
    EXPECT_EQ(Call(b, "PlugValue"), 2);

    for (int i = 0; i < 4; ++i) EXPECT_TRUE(FreeLibrary(a)) << i;
    EXPECT_TRUE(FreeLibrary(b));
    EXPECT_EQ(GetModuleHandleA("plat_testplug.dll"), nullptr);
    EXPECT_FALSE(FreeLibrary(a));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
}

TEST(Modules, FindsDecoratedNames) {
    HMODULE m = LoadLibraryA("plat_testplug.dll");
    ASSERT_NE(m, nullptr);
    struct Case {
        const char* name;
        int value;
    };
    const Case cases[] = {
        {"Cpp", 30},        {"?Cpp@@YAHXZ", 30}, {"Plain", 40},       {"_Plain", 40},
        {"_Under", 50},  // exact first
        {"Under", 51},      {"PlugValue", 1},    {"_PlugValue@0", 1}, {"missing", -1},
        {"_missing@4", -1}, {"plugvalue", -1},  // names are exact, as the system's are
    };
    for (const auto& c : cases) EXPECT_EQ(Call(m, c.name), c.value) << c.name;
    typedef int (*AddFn)(int, int);
    auto add = reinterpret_cast<AddFn>(reinterpret_cast<void*>(GetProcAddress(m, "_Stdcall@8")));
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add(2, 3), 5);
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(m, "missing"), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_PROC_NOT_FOUND);
    EXPECT_EQ(GetProcAddress(m, MAKEINTRESOURCEA(1)), nullptr);  // no binding by ordinal
    EXPECT_EQ(GetProcAddress(m, nullptr), nullptr);
    EXPECT_EQ(GetProcAddress((HMODULE)(intptr_t)0x1234, "Cpp"), nullptr);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE);
    EXPECT_TRUE(FreeLibrary(m));
}

TEST(Modules, FailsCleanly) {
    TempFolder t;
    t.Write("fake.dll", "this is not a shared object");
    struct Case {
        std::string name;
        DWORD error;
    };
    const Case cases[] = {
        {"nothere.dll", ERROR_MOD_NOT_FOUND},
        {t.Sys("none\\x.dll"), ERROR_MOD_NOT_FOUND},
        {t.Sys("FAKE.DLL"), ERROR_BAD_EXE_FORMAT},
        {"C:\\" + std::string(300, 'm') + ".dll", ERROR_FILENAME_EXCED_RANGE},
        {"", ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        SetLastError(0);
        EXPECT_EQ(LoadLibraryA(c.name.c_str()), nullptr) << c.name.substr(0, 40);
        EXPECT_EQ(GetLastError(), c.error) << c.name.substr(0, 40);
    }
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
    EXPECT_EQ(GetModuleHandleA("nothere.dll"), nullptr);
}

}  // namespace
