// Modules: plug-ins and libraries loaded by the file names the system gives them ("drv_pasu.dll",
// "STANDARD.DLL"), which are ELF shared objects kept under those names.
#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "kernel/paths.h"
#include "kernel/text.h"

namespace wynplat {
namespace {

struct Module {
    void* handle;
    std::string path;  // Linux
    int loads;
};

std::mutex g_lock;
std::vector<Module>& Modules() {
    static auto* modules = new std::vector<Module>;
    return *modules;
}

Module* FindModule(void* handle) {
    for (Module& m : Modules())
        if (m.handle == handle) return &m;
    return nullptr;
}

bool IsFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// "?NAME@@..." (C++), "_NAME@12" (stdcall) and "_NAME" (cdecl) all name the function NAME.
std::string PlainName(const std::string& name) {
    if (name.size() > 1 && name[0] == '?') {
        size_t end = name.find('@');
        return name.substr(1, end == std::string::npos ? std::string::npos : end - 1);
    }
    if (name.size() > 1 && name[0] == '_') {
        std::string plain = name.substr(1);
        size_t at = plain.find('@');
        if (at != std::string::npos && at > 0 && at + 1 < plain.size() &&
            plain.find_first_not_of("0123456789", at + 1) == std::string::npos)
            plain.resize(at);
        return plain;
    }
    return name;
}

}  // namespace

bool ModulePath(HMODULE module, std::string* linuxPath) {
    std::lock_guard<std::mutex> guard(g_lock);
    Module* m = FindModule(module);
    if (!m) return false;
    *linuxPath = m->path;
    return true;
}

HMODULE ProgramModule() {
    static void* self = dlopen(nullptr, RTLD_NOW);
    return static_cast<HMODULE>(self);
}

}  // namespace wynplat

using namespace wynplat;

HMODULE WINAPI LoadLibraryA(LPCSTR name) {
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string given = name;
    // The system adds ".DLL" to a name without an extension.
    size_t slash = given.find_last_of("\\/");
    std::string base = slash == std::string::npos ? given : given.substr(slash + 1);
    if (base.find('.') == std::string::npos) given += ".DLL";
    std::string path;
    bool bare = given.find_first_of("\\/:") == std::string::npos;
    if (bare) {
        // The program folder first, then the current folder.
        FullPath full = LinuxToFullPath(ProgramDirLinux());
        full.parts.push_back(DecodeSystemPath(given.c_str()));
        if (!FullPathToLinux(full, &path) || !IsFile(path)) {
            if (!ResolveSystemPath(given.c_str(), &path)) return nullptr;
        }
    } else if (!ResolveSystemPath(given.c_str(), &path)) {
        return nullptr;
    }
    if (!IsFile(path)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    // Each plug-in keeps its own names: two drivers export the same entry points.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        fprintf(stderr, "winplat: LoadLibraryA(%s): %s\n", path.c_str(), dlerror());
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return nullptr;
    }
    std::lock_guard<std::mutex> guard(g_lock);
    if (Module* m = FindModule(handle)) {
        ++m->loads;
    } else {
        Modules().push_back(Module{handle, path, 1});
    }
    SetLastError(ERROR_SUCCESS);
    return static_cast<HMODULE>(handle);
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
    void* handle = module ? static_cast<void*>(module) : static_cast<void*>(ProgramModule());
    {
        std::lock_guard<std::mutex> guard(g_lock);
        if (handle != ProgramModule() && !FindModule(handle)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
    }
    // Binding by ordinal is not offered: callers bind by name.
    if (!name || IS_INTRESOURCE(name)) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* address = dlsym(handle, name);
    if (!address) {
        std::string plain = PlainName(name);
        if (plain != name && !plain.empty()) address = dlsym(handle, plain.c_str());
    }
    if (!address) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(address);
}

BOOL WINAPI FreeLibrary(HMODULE module) {
    std::lock_guard<std::mutex> guard(g_lock);
    auto& modules = Modules();
    for (size_t i = 0; i < modules.size(); ++i) {
        if (modules[i].handle != module) continue;
        if (--modules[i].loads == 0) modules.erase(modules.begin() + i);
        dlclose(module);
        return TRUE;
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
    if (!name) return ProgramModule();
    std::string wanted = DecodeSystemPath(name);
    size_t slash = wanted.find_last_of("\\/");
    if (slash != std::string::npos) wanted = wanted.substr(slash + 1);
    if (wanted.find('.') == std::string::npos) wanted += ".DLL";
    std::lock_guard<std::mutex> guard(g_lock);
    for (const Module& m : Modules()) {
        std::string base = m.path.substr(m.path.find_last_of('/') + 1);
        if (EqualNoCaseUtf8(base, wanted)) return static_cast<HMODULE>(m.handle);
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}
