// The system context: creation and deletion, slot access, local frames and variable names.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <mmsystem.h>

#include "vsk_sjis.h"
#include "vskval_internal.h"

namespace vskval {

void Message(const tagVALUAREA* ctx, const char* format, ...) {
    char text[VSK_BYTEBUF];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    VSKTASK_ErrorStop(Owner(ctx), kCaption, text);
}

const char* TypeWord(int letter) {
    switch (letter) {
        case 'N':
            return "数値";
        case 'R':
            return "領域";
        case 'P':
            return "ポインタ";
        case 'S':
            return "文字";
        case 'C':
            return "セル";
        case 'H':
            return "ハンドル";
        case 'M':
            return "メモリ";
        case 'V':
            return "変数";
        case 'W':
            return "ウェーブ";
    }
    return "不明";
}

}  // namespace vskval

using namespace vskval;

namespace {

bool NewBlock(tagVALUEBLOCK* block, int count, int offset) {
    block->lpvalue = static_cast<tagVALUE*>(VSKTASK_AllocMemory(nullptr, sizeof(tagVALUE) * count));
    block->count = block->lpvalue ? count : 0;
    block->offset = offset;
    return block->lpvalue != nullptr;
}

void DeleteBlock(tagVALUAREA* ctx, tagVALUEBLOCK* block) {
    if (!block->lpvalue) return;
    for (int i = block->count - 1; i >= 0; --i) VSKFAQ_Clear(ctx, block->lpvalue + i);
    VSKTASK_FreeMemory(nullptr, block->lpvalue);
    *block = tagVALUEBLOCK{};
}

void SetExecDir(tagVALUAREA* ctx, HINSTANCE instance) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(instance, path, sizeof path);
    path[sizeof path - 1] = 0;
    vsk::UpperInPlace(path);
    if (const char* cut = vsk::LastBackslash(path)) path[cut - path] = 0;
    std::memcpy(ctx->execdir, path, sizeof ctx->execdir);
    SetCurrentDirectoryA(ctx->execdir);
}

}  // namespace

tagVALUAREA* WINAPI VSKVAL_Create(HINSTANCE instance) {
    auto* ctx = static_cast<tagVALUAREA*>(VSKTASK_AllocMemory(nullptr, sizeof(tagVALUAREA)));
    if (!ctx) return nullptr;
    bool ok = HeapCreate(ctx) && NewBlock(&ctx->vbsystem, VSK_SYSTEM_SLOTS, 0) &&
              NewBlock(&ctx->vbuser, VSK_USER_SLOTS, 0);
    for (int t = 0; ok && t < VSK_TASKS; ++t)
        ok = NewBlock(&ctx->vblocal[t], VSK_LOCAL_SLOTS, -VSK_FRAME_SLOTS);
    if (!ok) {
        VSKVAL_Delete(ctx);
        return nullptr;
    }
    ctx->hinstance = instance;
    SetExecDir(ctx, instance);
    ctx->start = timeGetTime();
    ctx->taskno = ctx->tasksuper = -1;
    for (int t = 0; t < VSK_TASKS; ++t) {
        char name[16];
        std::snprintf(name, sizeof name, "VSKEVENT%02d", t);
        ctx->taskevent[t] = CreateEventA(nullptr, TRUE, FALSE, name);
    }
    return ctx;
}

int WINAPI VSKVAL_Delete(tagVALUAREA* ctx) {
    if (!ctx) return 1;
    if (ctx->endtasks) ctx->endtasks(ctx);
    for (int t = VSK_TASKS - 1; t >= 0; --t) {
        if (ctx->taskevent[t]) CloseHandle(ctx->taskevent[t]);
        ctx->taskevent[t] = nullptr;
    }
    for (int t = VSK_TASKS - 1; t >= 0; --t) DeleteBlock(ctx, &ctx->vblocal[t]);
    DeleteBlock(ctx, &ctx->vbuser);
    DeleteBlock(ctx, &ctx->vbsystem);
    HeapDelete(ctx);
    for (int i = 0; i < VSK_LIBRARIES; ++i)
        if (ctx->libname[i][0] && ctx->hlib[i]) FreeLibrary(ctx->hlib[i]);
    VSKTASK_FreeMemory(nullptr, ctx);
    return 1;
}

int WINAPI VSKVAL_Get(tagVALUAREA* ctx, const tagVALUEBLOCK* block, int index, tagVALUE* out) {
    tagVALUE* slot = Slot(block, index);
    if (!slot) {
        if (!block) return 0;
        char name[16];
        VSKVAL_StringValue(ctx, block, index, name);
        Message(ctx, "参照している変数(%s)は存在しません。", name);
        return 0;
    }
    if (out) *out = *slot;
    return 1;
}

int WINAPI VSKVAL_Set(tagVALUAREA* ctx, const tagVALUEBLOCK* block, int index, tagVALUE* value) {
    tagVALUE* slot = Slot(block, index);
    if (!slot || !value) {
        if (!block || !value) return 0;
        char name[16];
        VSKVAL_StringValue(ctx, block, index, name);
        Message(ctx, "設定しようとしている変数(%s)は存在しません。", name);
        return 0;
    }
    value->flag = WORD(value->flag + 1);
    *slot = *value;
    return 1;
}

int WINAPI VSKVAL_NULL(tagVALUAREA* ctx, const tagVALUEBLOCK* block, int index) {
    tagVALUE empty{};
    VSKVAL_Set(ctx, block, index, &empty);
    return 1;
}

int WINAPI VSKVAL_Clear(tagVALUAREA* ctx, const tagVALUEBLOCK* block, int index) {
    if (tagVALUE* slot = Slot(block, index)) VSKFAQ_Clear(ctx, slot);
    return 1;
}

int WINAPI VSKVAL_Copy(tagVALUAREA* ctx, const tagVALUEBLOCK* dst, int dstIndex,
                       const tagVALUEBLOCK* src, int srcIndex) {
    tagVALUE from, copy;
    if (!VSKVAL_Get(ctx, src, srcIndex, &from)) return 0;
    if (!Slot(dst, dstIndex)) {
        VSKVAL_Set(ctx, dst, dstIndex, &from);  // for its message
        return 0;
    }
    if (!VSKFAQ_Copy(ctx, &copy, &from)) return 0;
    return VSKVAL_Set(ctx, dst, dstIndex, &copy);
}

int WINAPI VSKVAL_Swap(tagVALUAREA* ctx, const tagVALUEBLOCK* a, int aIndex, const tagVALUEBLOCK* b,
                       int bIndex) {
    tagVALUE x, y;
    if (!VSKVAL_Get(ctx, a, aIndex, &x) || !VSKVAL_Get(ctx, b, bIndex, &y)) return 0;
    return VSKVAL_Set(ctx, a, aIndex, &y) && VSKVAL_Set(ctx, b, bIndex, &x);
}

int WINAPI VSKVAL_CreateLocal(tagVALUAREA* ctx, int task, const tagVALUEBLOCK* frame) {
    tagVALUEBLOCK* local = VSKVAL_GetLocal(ctx, task);
    if (!local || !local->lpvalue) return 0;
    int first = local->offset + VSK_FRAME_SLOTS;
    if (first + VSK_FRAME_SLOTS > local->count) {
        Message(ctx, "タスク(%d)でローカル変数領域が制限以上(%d)消費されました。", ctx->taskno,
                VSK_FRAMES);
        return 0;
    }
    tagVALUE* slots = local->lpvalue + first;
    for (int i = 0; i < VSK_FRAME_SLOTS; ++i) {
        tagVALUE* arg = frame ? Slot(frame, i) : nullptr;
        slots[i] = arg ? *arg : tagVALUE{};
    }
    if (frame)
        for (int i = 1; i < VSK_FRAME_SLOTS; ++i)
            if (Slot(frame, i)) VSKVAL_NULL(ctx, frame, i);
    local->offset = first;
    return 1;
}

int WINAPI VSKVAL_DeleteLocal(tagVALUAREA* ctx, int task) {
    tagVALUEBLOCK* local = VSKVAL_GetLocal(ctx, task);
    if (!local || local->offset < 0) return 1;
    for (int i = 0; i < VSK_FRAME_SLOTS; ++i) VSKVAL_Clear(ctx, local, i);
    local->offset -= VSK_FRAME_SLOTS;
    return 1;
}

tagVALUEBLOCK* WINAPI VSKVAL_GetLocal(tagVALUAREA* ctx, int task) {
    if (!ctx || task < 0 || task >= VSK_TASKS) return nullptr;
    return &ctx->vblocal[task];
}

int WINAPI VSKVAL_StringValue(tagVALUAREA* ctx, const tagVALUEBLOCK* block, int index, char* text) {
    if (!block || !text) return 0;
    int64_t raw = int64_t(index) + block->offset;
    if (ctx && block->lpvalue && block->lpvalue == ctx->vbsystem.lpvalue) {
        std::snprintf(text, 16, "#%lld", static_cast<long long>(raw));
    } else if (ctx && block->lpvalue && block->lpvalue == ctx->vbuser.lpvalue) {
        std::snprintf(text, 16, "$%lld", static_cast<long long>(raw));
    } else {
        int letter = int(((raw % VSK_FRAME_SLOTS) + VSK_FRAME_SLOTS) % VSK_FRAME_SLOTS);
        std::snprintf(text, 16, "$%c", '@' + letter);
    }
    return 1;
}
