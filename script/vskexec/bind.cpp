// Command binding: the command libraries beside the executor (20 at most, loaded by name on
// first use) and their commands (100 at most each, asked of the library once), the trace line
// of every call, the debugger's stop before a command, and the call itself.
#include <mmsystem.h>
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "vsk_sjis.h"
#include "vskexec_internal.h"

using namespace vskexec;

namespace {

constexpr int kCommands = 100;
constexpr size_t kLibraryName = 8;    // fits the context's libname entries
constexpr size_t kCommandName = 27;   // "VSK_" + 27 fits a 32-byte export name
constexpr size_t kTraceRecord = 255;  // the channel's record, less its 0

struct BoundCommand {
    char name[32];
    VSKCOMMAND fn;
};

// Per library slot: the module the entries were asked of, and the entries in use.
struct CommandTable {
    HMODULE module = nullptr;
    int used = 0;
    BoundCommand entry[kCommands] = {};
};

CommandTable g_table[VSK_LIBRARIES];

// The library slot for `lib`, loading it on first use; -1 after the message.
int FindLibrary(tagVALUAREA* ctx, const char* lib) {
    std::string path = std::string(ctx->execdir) + "\\" + lib + ".DLL";
    if (std::strlen(lib) > kLibraryName) {
        Message(ctx, "拡張コマンドライブラリ \"%s\" が見つかりません。", path.c_str());
        return -1;
    }
    for (int i = 0; i < VSK_LIBRARIES; ++i)
        if (ctx->libname[i][0] && strcasecmp(ctx->libname[i], lib) == 0) return i;
    for (int i = 0; i < VSK_LIBRARIES; ++i) {
        if (ctx->libname[i][0]) continue;
        HMODULE h = LoadLibraryA(path.c_str());
        if (!h) {
            Message(ctx, "拡張コマンドライブラリ \"%s\" が見つかりません。", path.c_str());
            return -1;
        }
        ctx->hlib[i] = h;
        std::snprintf(ctx->libname[i], sizeof ctx->libname[i], "%s", lib);
        return i;
    }
    Message(ctx, "拡張コマンド・ライブラリが20個以上使用されています。");
    return -1;
}

VSKCOMMAND FindCommand(tagVALUAREA* ctx, int slot, const char* lib, const char* name) {
    if (std::strlen(name) > kCommandName) {
        Message(ctx, "拡張コマンド \"%s:%s\" が見つかりません。", lib, name);
        return nullptr;
    }
    CommandTable& t = g_table[slot];
    if (t.module != ctx->hlib[slot]) {
        t = CommandTable{};
        t.module = ctx->hlib[slot];
    }
    char exported[32];
    std::snprintf(exported, sizeof exported, "VSK_%s", name);
    for (int j = 0; j < t.used; ++j)
        if (strcasecmp(t.entry[j].name, exported) == 0) return t.entry[j].fn;
    if (t.used == kCommands) {
        Message(ctx, "拡張コマンドが100個以上使用されています。");
        return nullptr;
    }
    auto fn =
        reinterpret_cast<VSKCOMMAND>(reinterpret_cast<void*>(GetProcAddress(t.module, exported)));
    if (!fn) {
        Message(ctx, "拡張コマンド \"%s:%s\" が見つかりません。", lib, name);
        return nullptr;
    }
    std::memcpy(t.entry[t.used].name, exported, sizeof exported);
    t.entry[t.used].fn = fn;
    ++t.used;
    return fn;
}

// Appends `text` to a trace line of at most kTraceRecord bytes, never cutting a double-byte
// character in two.
void Append(std::string& line, const char* text) {
    for (const auto* p = reinterpret_cast<const BYTE*>(text); *p;) {
        size_t n = vsk::IsLeadByte(*p) && p[1] ? 2 : 1;
        if (line.size() + n > kTraceRecord) return;
        line.append(reinterpret_cast<const char*>(p), n);
        p += n;
    }
}

void Trace(tagVALUAREA* ctx, const char* lib, const char* name, int count, tagVALUEBLOCK* frame) {
    DWORD debug = Debug(ctx);
    if (!(debug & VSK_DEBUG_TRACE) || !VSKEXEC_SendTracer(ctx, nullptr)) return;
    int task = RunningTask(ctx);
    char head[32];
    std::snprintf(head, sizeof head, "TASK%02d %4d ", task, ctx->taskline[task] + 1);
    std::string line = head;
    for (int i = 0; i < ctx->tasklevel[task]; ++i) Append(line, "  ");
    if (strcasecmp(lib, "STANDARD") != 0) {
        Append(line, lib);
        Append(line, ":");
    }
    Append(line, name);
    if (debug & VSK_DEBUG_VALUES) {
        Append(line, "( ");
        for (int k = 1; k <= count; ++k) {
            char text[VSK_BYTEBUF + 8];
            VSKVAL_DisplayValue(ctx, frame->lpvalue + k, text, sizeof text);
            if (k > 1) Append(line, ", ");
            Append(line, text);
        }
        Append(line, " )");
    }
    VSKEXEC_SendTracer(ctx, line.c_str());
}

// The debugger stops the watched task before each of its commands until it says "go"; a task
// being ended lets it go.
void DebugStop(tagVALUAREA* ctx) {
    std::atomic_ref<DWORD> debug(ctx->debug);
    DWORD d = debug.load();
    if (!(d & (VSK_DEBUG_STOP | VSK_DEBUG_STOP2)) || int(d >> 8) != RunningTask(ctx)) return;
    while (!(debug.load() & VSK_DEBUG_GO)) {
        if (AnyEnd(ctx)) {
            debug.fetch_and(~DWORD(VSK_DEBUG_STOP | VSK_DEBUG_STOP2));
            debug.fetch_or(VSK_DEBUG_GO);
            break;
        }
        Sleep(1);
    }
    debug.fetch_and(~DWORD(VSK_DEBUG_GO));
}

}  // namespace

namespace vskexec {

void ForgetBindings() {
    for (auto& t : g_table) t = CommandTable{};
}

int CallCommand(tagVALUAREA* ctx, const BYTE* record, const tagFUNC& func, tagVALUEBLOCK* frame) {
    const char* lib = reinterpret_cast<const char*>(record + func.lib);
    const char* name = reinterpret_cast<const char*>(record + func.func);
    int slot = FindLibrary(ctx, lib);
    if (slot < 0) return 0;
    VSKCOMMAND fn = FindCommand(ctx, slot, lib, name);
    if (!fn) return 0;
    Trace(ctx, lib, name, func.count, frame);
    DebugStop(ctx);
    return fn(ctx, frame);
}

}  // namespace vskexec
