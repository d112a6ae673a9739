// MessageBoxA and MessageBeep. Headless, a box never blocks: it is logged (UTF-8, on stderr
// and appended to WYN_MSGBOX_LOG) and answered from WYN_MSGBOX_ANSWERS, then from answers a
// test pushed, else by the safe default of its buttons (the one that ends a retry loop).
#include "kernel/msgbox_hook.h"
#include "kernel/text.h"
#include "user/codepage.h"

#include <windows.h>
#include <wynplat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>

namespace {

struct Boxes {
    std::mutex m;
    bool envRead = false;
    std::deque<int> scripted;  // from WYN_MSGBOX_ANSWERS, used first
    std::deque<int> pushed;
    int count = 0;
    std::string lastCaption, lastText;
};

Boxes& B() {
    static Boxes* b = new Boxes;
    return *b;
}

std::atomic<wyn::msgbox::DesktopBox> g_desktop{nullptr};

void ReadScriptedLocked(Boxes& b) {
    if (b.envRead) return;
    b.envRead = true;
    const char* env = std::getenv("WYN_MSGBOX_ANSWERS");
    if (!env) return;
    for (const char* p = env; *p;) {
        char* end;
        long v = std::strtol(p, &end, 10);
        if (end != p) b.scripted.push_back(static_cast<int>(v));
        p = end;
        while (*p && *p != ',') ++p;  // anything else up to the comma is ignored
        if (*p == ',') ++p;
    }
}

// The button that makes no choice the user did not make: Cancel where there is one, No for
// Yes/No, Abort for Abort/Retry/Ignore, else OK.
int DefaultAnswer(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
        case MB_YESNOCANCEL:
        case MB_RETRYCANCEL:
            return IDCANCEL;
        case MB_YESNO:
            return IDNO;
        case MB_ABORTRETRYIGNORE:
            return IDABORT;
        default:
            return IDOK;
    }
}

bool IsButtonOf(UINT type, int answer) {
    switch (type & MB_TYPEMASK) {
        case MB_OK:
            return answer == IDOK;
        case MB_OKCANCEL:
            return answer == IDOK || answer == IDCANCEL;
        case MB_ABORTRETRYIGNORE:
            return answer == IDABORT || answer == IDRETRY || answer == IDIGNORE;
        case MB_YESNOCANCEL:
            return answer == IDYES || answer == IDNO || answer == IDCANCEL;
        case MB_YESNO:
            return answer == IDYES || answer == IDNO;
        case MB_RETRYCANCEL:
            return answer == IDRETRY || answer == IDCANCEL;
        default:
            return answer >= IDOK && answer <= IDNO;
    }
}

bool IsHeadless() {
    const char* h = std::getenv("WYN_HEADLESS");
    return h && *h && std::strcmp(h, "0") != 0;
}

std::string Utf8(const char* text, int codePage = 932) {
    if (!text) return std::string();
    return wynplat::ToUtf8(text, codePage);
}

void Log(const std::string& caption, const std::string& text, int answer, const char* how) {
    char line[64];
    std::snprintf(line, sizeof line, " -> %d (%s)\n", answer, how);
    std::string entry = "[MessageBox] " + caption + ": " + text + line;
    std::fputs(entry.c_str(), stderr);
    std::fflush(stderr);
    const char* path = std::getenv("WYN_MSGBOX_LOG");
    if (path && *path) {
        if (FILE* f = std::fopen(path, "a")) {
            std::fputs(entry.c_str(), f);
            std::fclose(f);
        }
    }
}

}  // namespace

namespace wyn::msgbox {
void SetDesktopBox(DesktopBox box) { g_desktop.store(box); }
}  // namespace wyn::msgbox

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    // The system's default caption when none is given.
    // The texts are in the code page of the module that shows the box.
    int codePage = wynplat::CodePageOfAddress(__builtin_return_address(0));
    std::string cap = caption ? Utf8(caption, codePage) : std::string("Error");
    std::string body = Utf8(text, codePage);
    Boxes& b = B();
    {
        std::lock_guard<std::mutex> g(b.m);
        ++b.count;
        b.lastCaption = cap;
        b.lastText = body;
    }
    wyn::msgbox::DesktopBox desktop = g_desktop.load();
    if (desktop && !IsHeadless()) {
        int answer = desktop(owner, cap.c_str(), body.c_str(), type);
        Log(cap, body, answer, "desktop");
        return answer;
    }
    int answer = 0;
    const char* how = "default";
    {
        std::lock_guard<std::mutex> g(b.m);
        ReadScriptedLocked(b);
        std::deque<int>* queue = !b.scripted.empty() ? &b.scripted
                                 : !b.pushed.empty() ? &b.pushed
                                                     : nullptr;
        if (queue) {
            int scripted = queue->front();
            queue->pop_front();
            // An answer that is not one of the box's buttons would mislead the caller.
            if (IsButtonOf(type, scripted)) {
                answer = scripted;
                how = "scripted";
            } else {
                how = "scripted answer not a button; default";
            }
        }
    }
    if (!answer) answer = DefaultAnswer(type);
    Log(cap, body, answer, how);
    return answer;
}

BOOL WINAPI MessageBeep(UINT) { return TRUE; }

void WynPlat_PushMessageBoxAnswer(int answer) {
    Boxes& b = B();
    std::lock_guard<std::mutex> g(b.m);
    b.pushed.push_back(answer);
}

int WynPlat_MessageBoxCount(void) {
    Boxes& b = B();
    std::lock_guard<std::mutex> g(b.m);
    return b.count;
}

int WynPlat_LastMessageBox(char* caption, size_t captionCap, char* text, size_t textCap) {
    Boxes& b = B();
    std::lock_guard<std::mutex> g(b.m);
    auto copy = [](const std::string& s, char* out, size_t cap) {
        if (!out || cap == 0) return;
        size_t n = s.size() < cap - 1 ? s.size() : cap - 1;
        std::memcpy(out, s.data(), n);
        out[n] = '\0';
    };
    copy(b.lastCaption, caption, captionCap);
    copy(b.lastText, text, textCap);
    return b.count > 0 ? 1 : 0;
}
