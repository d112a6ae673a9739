// Developer and test affordances of the window layer, switched on by environment variables
// (see the README): screenshots of a window's client area as PNG, a replay file of timed
// input events, and a log of window titles on stderr.
#include <png.h>

#include <atomic>
#include <cctype>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include <wynplat.h>

#include "kernel/run_record.h"
#include "user/user.h"

namespace wynplat {
namespace {

struct ReplayEvent {
    uint64_t due;
    InputEvent ev;
};

struct Affordances {
    std::mutex m;
    bool init = false;
    bool logWindows = false;
    std::string shotPath;    // at exit
    std::string shotWindow;  // title to look for (UTF-8); empty: first top-level window
    int shotEvery = 0;       // every N frames
    bool shotPaint = false;  // after each paint
    HWND target = nullptr;
    std::vector<uint32_t> lastImage;  // the target's picture when it was destroyed
    int lastW = 0, lastH = 0;
    int frames = 0;
    int numbered = 0;
    std::deque<ReplayEvent> replay;
    bool replayLoaded = false;
};

Affordances& A() {
    static auto* a = new Affordances;
    return *a;
}

std::atomic<bool> g_signalShot{false};
void OnSignal(int) { g_signalShot = true; }

bool EnvOn(const char* name) {
    const char* v = std::getenv(name);
    return v && *v && std::strcmp(v, "0") != 0;
}

std::string NumberedPath(const std::string& base, int n) {
    std::string stem = base;
    if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".png") == 0)
        stem.resize(stem.size() - 4);
    char buf[32];
    std::snprintf(buf, sizeof buf, "-%05d.png", n);
    return stem + buf;
}

bool WritePng(const std::string& path, const uint32_t* px, int w, int h) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, std::max(1, w), std::max(1, h), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<size_t>(std::max(1, w)) * 3, 0);
    for (int y = 0; y < std::max(1, h); ++y) {
        for (int x = 0; x < w && y < h; ++x) {
            uint32_t p = px[static_cast<size_t>(y) * w + x];
            row[x * 3] = (p >> 16) & 0xFF;
            row[x * 3 + 1] = (p >> 8) & 0xFF;
            row[x * 3 + 2] = p & 0xFF;
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

void AtExit();

void Init() {
    Affordances& a = A();
    if (a.init) return;
    a.init = true;
    a.logWindows = EnvOn("WYN_LOG_WINDOWS");
    if (const char* p = std::getenv("WYN_SCREENSHOT")) a.shotPath = ExpandRunPattern(p);
    if (const char* p = std::getenv("WYN_SCREENSHOT_WINDOW")) a.shotWindow = p;
    if (const char* p = std::getenv("WYN_SCREENSHOT_EVERY"))
        a.shotEvery = std::max(0, std::atoi(p));
    a.shotPaint = EnvOn("WYN_SCREENSHOT_PAINT");
    if (EnvOn("WYN_SCREENSHOT_SIGNAL")) std::signal(SIGUSR1, OnSignal);
    if (!a.shotPath.empty()) std::atexit(AtExit);
}

bool IsTarget(HWND h) {
    Affordances& a = A();
    return a.target && TopLevelOf(h) == a.target;
}

void Shoot(HWND h, const std::string& path) {
    std::vector<uint32_t> px;
    int w, hh;
    if (ComposeWindow(h, px, &w, &hh)) WritePng(path, px.data(), w, hh);
}

void ShootNumbered() {
    Affordances& a = A();
    if (a.shotPath.empty() || !a.target) return;
    Shoot(a.target, NumberedPath(a.shotPath, ++a.numbered));
}

void AtExit() {
    Affordances& a = A();
    std::lock_guard<std::mutex> lk(a.m);
    if (a.shotPath.empty()) return;
    if (a.target && IsWindow(a.target))
        Shoot(a.target, a.shotPath);
    else if (!a.lastImage.empty() || a.lastW == 0)
        WritePng(a.shotPath, a.lastImage.data(), a.lastW, a.lastH);
}

int ParseVk(const std::string& s) {
    static const struct {
        const char* name;
        int vk;
    } kNames[] = {
        {"ESCAPE", VK_ESCAPE},   {"ESC", VK_ESCAPE},   {"RETURN", VK_RETURN}, {"ENTER", VK_RETURN},
        {"SPACE", VK_SPACE},     {"TAB", VK_TAB},      {"BACK", VK_BACK},     {"LEFT", VK_LEFT},
        {"UP", VK_UP},           {"RIGHT", VK_RIGHT},  {"DOWN", VK_DOWN},     {"SHIFT", VK_SHIFT},
        {"CONTROL", VK_CONTROL}, {"CTRL", VK_CONTROL}, {"ALT", VK_MENU},      {"HOME", VK_HOME},
        {"END", VK_END},         {"PRIOR", VK_PRIOR},  {"NEXT", VK_NEXT},     {"INSERT", VK_INSERT},
        {"DELETE", VK_DELETE},
    };
    std::string u;
    for (char c : s) u += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (auto& n : kNames)
        if (u == n.name) return n.vk;
    if (u.size() >= 2 && u[0] == 'F' && std::isdigit(static_cast<unsigned char>(u[1]))) {
        int n = std::atoi(u.c_str() + 1);
        if (n >= 1 && n <= 12) return VK_F1 + n - 1;
    }
    if (u.size() == 1 && std::isalnum(static_cast<unsigned char>(u[0]))) return u[0];
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 0);
    if (end && *end == 0 && v > 0 && v < 256) return static_cast<int>(v);
    return 0;
}

int ParseButton(const std::string& s) {
    if (s == "right") return 1;
    if (s == "middle") return 2;
    return 0;
}

// Parses replay lines; returns the number of events or -1 (with the bad line) on an error.
int ParseReplay(std::istream& in, uint64_t base, std::deque<ReplayEvent>& out, int* badLine) {
    std::string line;
    int n = 0, lineNo = 0;
    std::deque<ReplayEvent> evs;
    while (std::getline(in, line)) {
        ++lineNo;
        auto hash = line.find('#');
        if (hash != std::string::npos) line.resize(hash);
        std::istringstream ls(line);
        std::string kind;
        double ms;
        if (!(ls >> ms)) {
            if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
            *badLine = lineNo;
            return -1;
        }
        // A time the clock's microseconds cannot hold (beyond some 31 years) is not understood.
        if (!(ls >> kind) || !(ms >= 0 && ms <= 1e12)) {
            *badLine = lineNo;
            return -1;
        }
        uint64_t due = base + static_cast<uint64_t>(ms * 1000.0);
        InputEvent e;
        auto push = [&](InputEvent x) {
            evs.push_back({due, x});
            ++n;
        };
        if (kind == "key" || kind == "keydown" || kind == "keyup") {
            std::string k;
            ls >> k;
            e.kind = InputEvent::Key;
            e.vk = ParseVk(k);
            if (!e.vk) {
                *badLine = lineNo;
                return -1;
            }
            if (kind != "keyup") {
                e.down = true;
                push(e);
            }
            if (kind != "keydown") {
                e.down = false;
                push(e);
            }
        } else if (kind == "char") {
            std::string k;
            ls >> k;
            e.kind = InputEvent::Char;
            e.vk = k.empty() ? ' ' : static_cast<unsigned char>(k[0]);
            push(e);
        } else if (kind == "move" || kind == "click" || kind == "down" || kind == "up" ||
                   kind == "dblclick") {
            std::string b;
            if (!(ls >> e.x >> e.y)) {
                *badLine = lineNo;
                return -1;
            }
            ls >> b;
            e.button = ParseButton(b);
            e.kind = InputEvent::Move;
            push(e);
            e.kind = InputEvent::Button;
            int clicks = kind == "dblclick" ? 2 : (kind == "click" ? 1 : 0);
            for (int i = 0; i < clicks; ++i) {
                e.down = true;
                push(e);
                e.down = false;
                push(e);
            }
            if (kind == "down" || kind == "up") {
                e.down = kind == "down";
                push(e);
            }
        } else if (kind == "wheel") {
            if (!(ls >> e.x >> e.y >> e.delta)) {
                *badLine = lineNo;
                return -1;
            }
            e.kind = InputEvent::Move;
            push(e);
            e.kind = InputEvent::Wheel;
            push(e);
        } else if (kind == "close") {
            e.kind = InputEvent::Close;
            push(e);
        } else {
            *badLine = lineNo;
            return -1;
        }
    }
    std::stable_sort(evs.begin(), evs.end(),
                     [](const ReplayEvent& a, const ReplayEvent& b) { return a.due < b.due; });
    out.insert(out.end(), evs.begin(), evs.end());
    std::stable_sort(out.begin(), out.end(),
                     [](const ReplayEvent& a, const ReplayEvent& b) { return a.due < b.due; });
    return n;
}

int LoadReplayStream(std::istream& in, const char* what) {
    Affordances& a = A();
    int bad = 0;
    std::lock_guard<std::mutex> lk(a.m);
    int n = ParseReplay(in, wyn::clock::PeekMicros(), a.replay, &bad);
    if (n < 0) std::fprintf(stderr, "wyn: replay %s: line %d not understood\n", what, bad);
    wyn::clock::Notify();
    return n;
}

}  // namespace

void LogWindow(const char* fmt, ...) {
    Init();
    if (!A().logWindows) return;
    va_list ap;
    va_start(ap, fmt);
    std::fputs("wyn: ", stderr);
    std::vfprintf(stderr, fmt, ap);
    std::fputc('\n', stderr);
    va_end(ap);
}

void OnWindowCreated(HWND h) {
    Affordances& a = A();
    {
        std::lock_guard<std::mutex> lk(a.m);
        Init();
        if (!a.replayLoaded) {
            a.replayLoaded = true;
            if (const char* p = std::getenv("WYN_REPLAY"); p && *p) {
                // A pattern names one run's file: a run without one replays nothing.
                std::string path = ExpandRunPattern(p);
                std::ifstream f(path);
                if (f) {
                    a.m.unlock();
                    LoadReplayStream(f, path.c_str());
                    a.m.lock();
                } else if (path == p) {
                    std::fprintf(stderr, "wyn: replay file %s cannot be read\n", p);
                }
            }
        }
    }
    auto w = FindWindowRecord(h);
    if (!w) return;
    std::string title = TextToUtf8(w->title.c_str(), -1, 932);
    bool top = !(w->style & WS_CHILD);
    static std::once_flag named;
    std::call_once(named, [] { LogWindow("display backend %s", GetDisplay().Name()); });
    LogWindow("window \"%s\" (class %s%s)", title.c_str(), w->cls ? w->cls->name.c_str() : "?",
              top ? "" : ", child");
}

// The window screenshots photograph is the first top-level window that shows (a hidden
// helper window, such as the sound library's, is never photographed), or the first one that
// shows with WYN_SCREENSHOT_WINDOW in its title.
void OnWindowShown(HWND h) {
    auto w = FindWindowRecord(h);
    if (!w) return;
    std::string title;
    {
        std::lock_guard<std::recursive_mutex> lk(WindowLock());
        if ((w->style & WS_CHILD) || !(w->style & WS_VISIBLE)) return;
        title = TextToUtf8(w->title.c_str(), -1, 932);
    }
    Affordances& a = A();
    std::lock_guard<std::mutex> lk(a.m);
    Init();
    if (a.target || (a.shotPath.empty() && !a.shotEvery && !a.shotPaint)) return;
    if (a.shotWindow.empty() || title.find(a.shotWindow) != std::string::npos) a.target = h;
}

void OnTitleChanged(HWND h) {
    auto w = FindWindowRecord(h);
    if (!w) return;
    std::string title = TextToUtf8(w->title.c_str(), -1, 932);
    LogWindow("window title \"%s\"", title.c_str());
    Affordances& a = A();
    std::lock_guard<std::mutex> lk(a.m);
    if (!a.target && !(w->style & WS_CHILD) && (w->style & WS_VISIBLE) && !a.shotWindow.empty() &&
        title.find(a.shotWindow) != std::string::npos)
        a.target = h;
}

void OnWindowDestroying(HWND h) {
    Affordances& a = A();
    std::lock_guard<std::mutex> lk(a.m);
    if (h != a.target) return;
    // The window is gone by the time the program exits: keep its last picture.
    ComposeWindow(h, a.lastImage, &a.lastW, &a.lastH);
    a.target = nullptr;
    a.shotWindow = "\x01";  // do not pick another window
}

void OnPainted(HWND h) {
    Affordances& a = A();
    std::lock_guard<std::mutex> lk(a.m);
    if (a.shotPaint && IsTarget(h)) ShootNumbered();
}

void OnFramePresented(HWND top) {
    Affordances& a = A();
    std::lock_guard<std::mutex> lk(a.m);
    if (top != a.target) return;
    ++a.frames;
    if (a.shotEvery > 0 && a.frames % a.shotEvery == 0) ShootNumbered();
}

bool ScreenshotRequested() { return g_signalShot.load(); }

uint64_t NextReplayDue() {
    Affordances& a = A();
    ReplayEvent next;
    {
        std::lock_guard<std::mutex> lk(a.m);
        if (a.replay.empty()) return wyn::clock::kNever;
        next = a.replay.front();
    }
    // An event that no window can take yet wakes nobody: it goes when a window shows.
    return HasInputTarget(next.ev) ? next.due : wyn::clock::kNever;
}

void ReplayPump() {
    Affordances& a = A();
    for (;;) {
        InputEvent ev;
        {
            std::lock_guard<std::mutex> lk(a.m);
            if (a.replay.empty() || a.replay.front().due > wyn::clock::PeekMicros()) return;
            ev = a.replay.front().ev;
        }
        // Due while no window can take it (the program still loading, its windows hidden):
        // it waits for one, and the events after it wait behind it, instead of being lost.
        // A close lost so would leave the program running on.
        if (!HasInputTarget(ev)) return;
        {
            std::lock_guard<std::mutex> lk(a.m);
            if (a.replay.empty()) return;
            ev = a.replay.front().ev;
            a.replay.pop_front();
        }
        DeliverInput(ev);
    }
}

bool CountsFrames() {
    Affordances& a = A();
    std::lock_guard<std::mutex> lk(a.m);
    return a.shotEvery > 0 && a.target;
}

void TakeRequestedScreenshot() {
    if (!g_signalShot.exchange(false)) return;
    std::lock_guard<std::mutex> lk(A().m);
    ShootNumbered();
}

}  // namespace wynplat

using namespace wynplat;

int WynPlat_CaptureWindow(HWND hwnd, uint32_t* pixels, int capacity, int* width, int* height) {
    std::vector<uint32_t> px;
    int w = 0, h = 0;
    if (!ComposeWindow(hwnd, px, &w, &h)) return 0;
    if (width) *width = w;
    if (height) *height = h;
    if (pixels) {
        if (capacity < w * h) return 0;
        std::copy(px.begin(), px.end(), pixels);
    }
    return 1;
}

int WynPlat_SaveWindowPng(HWND hwnd, const char* path) {
    std::vector<uint32_t> px;
    int w = 0, h = 0;
    if (!path || !ComposeWindow(hwnd, px, &w, &h)) return 0;
    return WritePng(path, px.data(), w, h) ? 1 : 0;
}

int WynPlat_LoadReplay(const char* path) {
    std::ifstream f(path ? path : "");
    if (!f) return -1;
    return LoadReplayStream(f, path);
}

int WynPlat_ReplayScript(const char* text) {
    std::istringstream s(text ? text : "");
    return LoadReplayStream(s, "script");
}

int WynPlat_PendingReplay(void) {
    std::lock_guard<std::mutex> lk(A().m);
    return static_cast<int>(A().replay.size());
}
