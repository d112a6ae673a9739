// MessageBoxA and MessageBeep. A box is logged (UTF-8, on stderr and appended to
// WYN_MSGBOX_LOG) and answered from WYN_MSGBOX_ANSWERS, then from answers a test pushed: on a
// desktop the box is shown (the layer's own window) and closed with that answer, headless it is
// answered at once. Without a scripted answer the user answers on a desktop; headless the safe
// default of its buttons answers (the one that ends a retry loop), so a box never blocks a test.
#include "backend/backend.h"
#include "dialogs/template.h"
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

std::string Utf8(const char* text, int codePage = 932) {
    if (!text) return std::string();
    return wynplat::ToUtf8(text, codePage);
}

void Log(const std::string& caption, const std::string& text, int answer, const std::string& how) {
    std::string entry = "[MessageBox] " + caption + ": " + text + " -> " + std::to_string(answer) +
                        " (" + how + ")\n";
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
    wynplat::MessageBoxButtons buttons = wynplat::ButtonsOf(type);
    int answer = 0;
    std::string how = "default";
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
            if (buttons.Has(scripted)) {
                answer = scripted;
                how = "scripted";
            } else {
                answer = buttons.safe;
                how = "scripted answer not a button; default";
            }
        }
    }
    // On a desktop the box is the layer's own window, drawn with the layer's text.
    if (!wynplat::DisplayIsHeadless()) {
        answer = wyn::dlg::ShowMessageBox(owner, text, caption, type, answer, codePage);
        how = how == "default" ? "desktop" : "desktop, " + how;
    } else if (!answer) {
        answer = buttons.safe;
    }
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
