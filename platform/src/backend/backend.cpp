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
const Backend& kHeadless = kBackends[1];

std::unique_ptr<Display> g_display;
std::once_flag g_once;

}  // namespace

const char* WantedBackend() {
    const char* headless = std::getenv("WYN_HEADLESS");
    if (headless && *headless && std::strcmp(headless, "0") != 0) return "headless";
    const char* named = std::getenv("WYN_BACKEND");
    if (named && *named) return named;
    return nullptr;
}

const Backend& ChosenBackend() {
    static const Backend* chosen = [] {
        const char* wanted = WantedBackend();
        for (const Backend& b : kBackends) {
            if (wanted && std::strcmp(wanted, b.name) != 0) continue;
            if (b.available()) return &b;
        }
        // A named backend that cannot run falls back to the one that always can.
        return &kHeadless;
    }();
    return *chosen;
}

Display& GetDisplay() {
    std::call_once(g_once, [] {
        g_display = ChosenBackend().create();
        if (!g_display) g_display = kHeadless.create();
    });
    return *g_display;
}

bool DisplayIsHeadless() { return std::strcmp(GetDisplay().Name(), "headless") == 0; }

bool MessageBoxButtons::Has(int id) const {
    for (int i = 0; i < count; ++i)
        if (buttons[i].id == id) return true;
    return false;
}

MessageBoxButtons ButtonsOf(UINT type) {
    MessageBoxButtons b;
    auto set = [&b](std::initializer_list<MessageBoxButtons::Button> list, int safe) {
        for (const auto& button : list) b.buttons[b.count++] = button;
        b.safe = safe;
    };
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            set({{IDOK, "OK"}, {IDCANCEL, "Cancel"}}, IDCANCEL);
            break;
        case MB_ABORTRETRYIGNORE:
            set({{IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}}, IDABORT);
            break;
        case MB_YESNOCANCEL:
            set({{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}}, IDCANCEL);
            break;
        case MB_YESNO:
            set({{IDYES, "Yes"}, {IDNO, "No"}}, IDNO);
            break;
        case MB_RETRYCANCEL:
            set({{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}}, IDCANCEL);
            break;
        default:
            set({{IDOK, "OK"}}, IDOK);
            break;
    }
    return b;
}

}  // namespace wynplat
