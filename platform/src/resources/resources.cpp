// The resource tables of the modules. A module is known by its dlopen handle, which is what
// LoadLibraryA, GetModuleHandleA and WinMain's instance give the programs.
#include "resources/resources.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include <wynplat.h>

#include "kernel/text.h"

namespace wynplat {
HMODULE ProgramModule();
}

namespace wyn::res {
namespace {

struct Entry {
    HMODULE module;
    const WynResource* res;
    std::string file;  // the module's file, empty for the program
};

// Whether `e`'s module is still loaded (a plug-in's table goes with its FreeLibrary).
bool Loaded(const Entry& e) {
    if (e.file.empty()) return true;
    void* h = dlopen(e.file.c_str(), RTLD_NOLOAD | RTLD_LAZY);
    if (!h) return false;
    dlclose(h);
    return h == e.module;
}

std::mutex g_m;
std::vector<Entry>& Table() {
    static auto* t = new std::vector<Entry>;
    return *t;
}

std::string ExePath() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return std::string();
    buf[n] = 0;
    return buf;
}

bool SameName(LPCSTR a, LPCSTR b) {
    if (IS_INTRESOURCE(a) || IS_INTRESOURCE(b)) return a == b;
    // "#101" names the number 101, as the system reads it.
    return strcasecmp(a, b) == 0;
}

LPCSTR Canonical(LPCSTR name) {
    if (name && !IS_INTRESOURCE(name) && name[0] == '#') {
        long v = std::strtol(name + 1, nullptr, 10);
        if (v > 0 && v < 65536) return MAKEINTRESOURCEA(v);
    }
    return name;
}

// Icon and cursor resources answer to either of the system's two type numbers.
bool SameType(LPCSTR have, LPCSTR want) {
    auto group = [](LPCSTR t) -> LPCSTR {
        if (t == RT_GROUP_ICON) return RT_ICON;
        if (t == RT_GROUP_CURSOR) return RT_CURSOR;
        return t;
    };
    return SameName(group(have), group(want));
}

}  // namespace

bool Find(HINSTANCE module, LPCSTR type, LPCSTR name, Found* out) {
    if (!name || !type) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return false;
    }
    HMODULE m = module ? module : wynplat::ProgramModule();
    name = Canonical(name);
    std::lock_guard<std::mutex> g(g_m);
    bool anyOfModule = false, anyOfType = false;
    auto& t = Table();
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i].module != m) continue;
        if (!Loaded(t[i])) continue;
        anyOfModule = true;
        if (!SameType(t[i].res->type, type)) continue;
        anyOfType = true;
        if (!SameName(Canonical(t[i].res->name), name)) continue;
        out->data = t[i].res->data;
        out->size = t[i].res->size;
        out->index = static_cast<int>(i);
        return true;
    }
    SetLastError(anyOfModule && !anyOfType ? ERROR_RESOURCE_TYPE_NOT_FOUND
                                           : ERROR_RESOURCE_NAME_NOT_FOUND);
    return false;
}

HICON LoadIconResource(HINSTANCE module, LPCSTR name) {
    Found f;
    if (!Find(module, RT_ICON, name, &f)) return nullptr;
    // Icons are not drawn by this layer; the handle only has to be one of its own.
    return reinterpret_cast<HICON>(static_cast<uintptr_t>(0x40000 + f.index));
}

HCURSOR LoadCursorResource(HINSTANCE module, LPCSTR name) {
    Found f;
    if (!Find(module, RT_CURSOR, name, &f)) return nullptr;
    struct Shape {
        const char* word;
        uintptr_t id;
    };
    static const Shape kShapes[] = {
        {"hand", 32649}, {"wait", 32514}, {"cross", 32515}, {"ibeam", 32513}};
    std::string data(static_cast<const char*>(f.data), f.data ? f.size : 0);
    for (const Shape& s : kShapes)
        if (data == s.word) return reinterpret_cast<HCURSOR>(s.id);
    // Cursor pictures are shown as the arrow.
    return reinterpret_cast<HCURSOR>(static_cast<uintptr_t>(32512));
}

}  // namespace wyn::res

HMODULE WynPlat_ModuleOfAddress(const void* address) {
    Dl_info info{};
    if (!address || !dladdr(address, &info) || !info.dli_fname) return nullptr;
    static const std::string exe = wyn::res::ExePath();
    char real[PATH_MAX];
    if (realpath(info.dli_fname, real) && exe == real) return wynplat::ProgramModule();
    void* h = dlopen(info.dli_fname, RTLD_NOLOAD | RTLD_LAZY);
    if (!h) return nullptr;
    dlclose(h);  // the module stays loaded: it holds `address`
    return static_cast<HMODULE>(h);
}

int WynPlat_AddResources(const void* address, const WynResource* table, int count) {
    HMODULE m = WynPlat_ModuleOfAddress(address);
    if (!m || !table || count < 0) return 0;
    std::string file;
    Dl_info info{};
    if (m != wynplat::ProgramModule() && dladdr(address, &info) && info.dli_fname)
        file = info.dli_fname;
    std::lock_guard<std::mutex> g(wyn::res::g_m);
    for (int i = 0; i < count; ++i)
        wyn::res::Table().push_back(wyn::res::Entry{m, &table[i], file});
    return 1;
}
