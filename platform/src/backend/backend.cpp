#include "backend/backend.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace wynplat {
namespace {

bool Always() { return true; }

const Backend kBackends[] = {
    {"sdl", SdlAvailable, CreateSdlDisplay},
    {"headless", Always, CreateHeadlessDisplay},
};

std::unique_ptr<Display> g_display;
std::once_flag g_once;

const char* Wanted() {
    const char* headless = std::getenv("WYN_HEADLESS");
    if (headless && *headless && std::strcmp(headless, "0") != 0) return "headless";
    const char* named = std::getenv("WYN_BACKEND");
    if (named && *named) return named;
    return nullptr;
}

void Choose() {
    const char* wanted = Wanted();
    for (const Backend& b : kBackends) {
        if (wanted && std::strcmp(wanted, b.name) != 0) continue;
        if (!b.available()) continue;
        g_display = b.create();
        if (g_display) return;
    }
    // A named backend that cannot run falls back to the one that always can.
    g_display = CreateHeadlessDisplay();
}

}  // namespace

Display& GetDisplay() {
    std::call_once(g_once, Choose);
    return *g_display;
}

bool DisplayIsHeadless() { return std::strcmp(GetDisplay().Name(), "headless") == 0; }

}  // namespace wynplat
