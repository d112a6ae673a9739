#include "user/codepage.h"

#include <dlfcn.h>

#include <map>
#include <mutex>

#include <wynplat.h>

namespace wynplat {
namespace {

std::mutex g_m;
std::map<const void*, int>& Modules() {
    static auto* m = new std::map<const void*, int>;
    return *m;
}

const void* ModuleBase(const void* address) {
    Dl_info info{};
    if (!address || !dladdr(address, &info)) return nullptr;
    return info.dli_fbase;
}

}  // namespace

int CodePageOfAddress(const void* address) {
    const void* base = ModuleBase(address);
    if (!base) return 932;
    std::lock_guard<std::mutex> lk(g_m);
    auto it = Modules().find(base);
    return it == Modules().end() ? 932 : it->second;
}

}  // namespace wynplat

int WynPlat_SetModuleCodePage(const void* address, int codePage) {
    if (codePage != 932 && codePage != 950) return 0;
    const void* base = wynplat::ModuleBase(address);
    if (!base) return 0;
    std::lock_guard<std::mutex> lk(wynplat::g_m);
    wynplat::Modules()[base] = codePage;
    return 1;
}
