// Control flow as commands: a loop or branch is a call whose record carries its brace block
// (and IF its ELSE block); the command runs them through the executor and answers the task
// flags that BREAK, RETURN and EXIT set.
#include "standard.h"

using namespace vskcmd;

namespace {

constexpr WORD kSigFor[] = {'V', 'N', 'N', 'N', 0};
constexpr WORD kSigN[] = {'N', 0};
constexpr WORD kSigAny[] = {VSK_SIG_ANY, 0};
constexpr WORD kSigGosub[] = {'S', VSK_SIG_REST, 0};

int Me(tagVALUAREA* ctx) { return ctx->taskno; }

std::atomic_ref<DWORD> TaskFlags(tagVALUAREA* ctx) {
    return std::atomic_ref<DWORD>(ctx->taskflag[Me(ctx)]);
}

// The block frame: one level deeper while the blocks run, and a debugger's single step (0x8)
// turned off inside; the trace bits it had come back afterwards.
class BlockFrame {
  public:
    BlockFrame(tagVALUAREA* ctx, tagVALUEBLOCK* frame)
        : ctx_(ctx), func_(VskReadFunc(Record(frame))), record_(Record(frame)) {
        ++ctx->tasklevel[Me(ctx)];
        std::atomic_ref<DWORD> debug(ctx->debug);
        entry_ = debug.load();
        if (entry_ & 0x8) debug.fetch_and(~DWORD(0x4 | 0x8));
    }
    // Runs the brace block (or the ELSE block); nothing when there is none. 0 stops the task.
    int Run(bool elseBlock = false) {
        DWORD offset = elseBlock ? func_.false_ : func_.true_;
        return offset ? VSKEXEC_Mem(ctx_, record_ + offset) : 1;
    }
    // Only after the blocks ran through: a stopped task keeps level and debug as they were.
    void End() {
        std::atomic_ref<DWORD>(ctx_->debug).fetch_or(entry_ & ~DWORD(0x1 | 0x2));
        --ctx_->tasklevel[Me(ctx_)];
    }

  private:
    tagVALUAREA* ctx_;
    tagFUNC func_;
    const BYTE* record_;
    DWORD entry_ = 0;
};

enum class After { Next, Leave, Stop };

// After each pass of a loop body: end stops, break is taken and leaves, return leaves (and
// stays set for the enclosing blocks and the file's end).
After FlagTest(tagVALUAREA* ctx) {
    DWORD f = TaskFlags(ctx).load();
    if (f & VSK_TASKFLAG_END) return After::Stop;
    if (f & VSK_TASKFLAG_BREAK) {
        TaskFlags(ctx).fetch_and(~DWORD(VSK_TASKFLAG_BREAK));
        return After::Leave;
    }
    if (f & VSK_TASKFLAG_RETURN) return After::Leave;
    return After::Next;
}

bool IsTrue(const tagVALUE* v) { return VskFaqHigh(v) != 0; }

// Stores `value` in the slot after releasing what it held.
bool Store(tagVALUAREA* ctx, const tagVALUEBLOCK& block, int index, tagVALUE* value) {
    VSKVAL_Clear(ctx, &block, index);
    return VSKVAL_Set(ctx, &block, index, value) == 1;
}

}  // namespace

VSKCMD_DEFINE_VERSION

VSKCMD_EXPORT int WINAPI VSK_DebugVersion(tagVALUAREA*, tagVALUEBLOCK*) { return 1; }

VSKCMD_EXPORT int WINAPI VSK_Goto(tagVALUAREA*, tagVALUEBLOCK*) { return 1; }

VSKCMD_EXPORT int WINAPI VSK_FOR(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "For", kSigFor, frame)) return 0;
    tagVALUEBLOCK block = RefBlock(frame, 1);
    int index = RefIndex(frame, 1);
    tagVALUE* to = Arg(frame, 3);
    tagVALUE* step = Arg(frame, 4);
    int stepInt = 0;
    VSKFAQ_Int(ctx, step, &stepInt);
    bool down = stepInt < 0;
    tagVALUE start = *Arg(frame, 2);
    if (!Store(ctx, block, index, &start)) return 0;
    BlockFrame run(ctx, frame);
    for (;;) {
        tagVALUE v{};
        int c = 0;
        if (!VSKVAL_Get(ctx, &block, index, &v) || VSKFAQ_Comp(ctx, &v, to, &c) != 1) return 0;
        if (down ? c < 0 : c > 0) break;
        if (!run.Run()) return 0;
        After a = FlagTest(ctx);
        if (a == After::Stop) return 0;
        if (a == After::Leave) break;
        if (!VSKVAL_Get(ctx, &block, index, &v) || VSKFAQ_Add(ctx, &v, step) != 1 ||
            !VSKVAL_Set(ctx, &block, index, &v))
            return 0;
    }
    run.End();
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_IF(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "If", kSigN, frame)) return 0;
    BlockFrame run(ctx, frame);
    if (!run.Run(!IsTrue(Arg(frame, 1)))) return 0;
    run.End();
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_WHILE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "While", kSigN, frame)) return 0;
    auto* condition = reinterpret_cast<const BYTE*>(Arg(frame, 1)->reserved);
    BlockFrame run(ctx, frame);
    for (;;) {
        tagVALUE v{};
        bool ok = VSKEXEC_Calc(ctx, condition, &v) != nullptr;
        bool holds = ok && IsTrue(&v);
        VSKFAQ_Clear(ctx, &v);
        if (!ok) return 0;
        if (!holds) break;
        if (!run.Run()) return 0;
        After a = FlagTest(ctx);
        if (a == After::Stop) return 0;
        if (a == After::Leave) break;
    }
    run.End();
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_LOOP(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Loop", kSigN, frame)) return 0;
    int n = 0;
    VSKVAL_ArgNumber(ctx, frame, 1, &n);
    BlockFrame run(ctx, frame);
    while (n != 0) {
        if (!run.Run()) return 0;
        After a = FlagTest(ctx);
        if (a == After::Stop) return 0;
        if (a == After::Leave) break;
        if (n > 0) --n;
    }
    run.End();
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_SWITCH(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Switch", kSigAny, frame)) return 0;
    int own = VSK_SYS_TASKPRIVATE(Me(ctx));
    if (!VSKVAL_Swap(ctx, &ctx->vbsystem, own, frame, 1)) return 0;
    BlockFrame run(ctx, frame);
    if (!run.Run()) return 0;
    if (!VSKVAL_Swap(ctx, &ctx->vbsystem, own, frame, 1)) return 0;
    run.End();
    TaskFlags(ctx).fetch_and(~DWORD(VSK_TASKFLAG_BREAK));
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_CASE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Case", kSigAny, frame)) return 0;
    int c = 0;
    tagVALUE* value = ctx->vbsystem.lpvalue + VSK_SYS_TASKPRIVATE(Me(ctx));
    if (VSKFAQ_Comp(ctx, value, Arg(frame, 1), &c) != 1) return 0;
    if (c == 0) {
        BlockFrame run(ctx, frame);
        if (!run.Run()) return 0;
        run.End();
    }
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_BREAK(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Break", kSigN, frame)) return 0;
    TaskFlags(ctx).fetch_or(VSK_TASKFLAG_BREAK);
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_GOSUB(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Gosub", kSigGosub, frame)) return 0;
    char name[MAX_PATH] = {};
    char bytes[VSK_BYTEBUF] = {};
    VSKVAL_ArgString(ctx, frame, 1, bytes);
    std::snprintf(name, sizeof name, "%s", bytes);
    int me = Me(ctx);
    BlockFrame run(ctx, frame);
    if (!VSKVAL_CreateLocal(ctx, me, frame)) return 0;
    if (!VSKEXEC_File(ctx, name)) return 0;
    VSKVAL_DeleteLocal(ctx, me);
    run.End();
    // The returned value moves to the caller.
    tagVALUE* returned = ctx->vbsystem.lpvalue + VSK_SYS_RETURN;
    tagVALUE value = *returned;
    VSKFAQ_NULL(ctx, returned);
    return Result(ctx, frame, value);
}

VSKCMD_EXPORT int WINAPI VSK_RETURN(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Return", kSigAny, frame)) return 0;
    // What #4 held is released first, so that a string there is not lost in the heap.
    VSKVAL_Clear(ctx, &ctx->vbsystem, VSK_SYS_RETURN);
    if (!VSKVAL_Copy(ctx, &ctx->vbsystem, VSK_SYS_RETURN, frame, 1)) return 0;
    TaskFlags(ctx).fetch_or(VSK_TASKFLAG_RETURN);
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_EXIT(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Exit", kSigN, frame)) return 0;
    VSKVAL_Clear(ctx, &ctx->vbsystem, VSK_SYS_RETURN);
    if (!VSKVAL_Copy(ctx, &ctx->vbsystem, VSK_SYS_RETURN, frame, 1)) return 0;
    for (int t = 0; t < VSK_TASKS; ++t)
        if (VSKEXEC_TaskLive(ctx, t)) VSKEXEC_SetTaskFlag(ctx, t, VSK_TASKFLAG_END);
    return ResultEmpty(ctx, frame);
}
