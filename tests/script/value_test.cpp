// The value library's context, slots, blocks, local frames, names, display forms, and the
// release and copy of what values own.
#include <gtest/gtest.h>

#include <cstring>

#include "tov42.h"
#include "umb33.h"
#include "vsk_test_support.h"
#include "vsktask.h"

using namespace vsktest;

namespace {

TEST(VskContext, StartsWithItsBlocksFolderAndEvents) {
    Context ctx;
    ASSERT_NE(ctx.get(), nullptr);
    EXPECT_EQ(ctx->vbsystem.count, 200);
    EXPECT_EQ(ctx->vbsystem.offset, 0);
    EXPECT_EQ(ctx->vbuser.count, 10000);
    for (int t = 0; t < VSK_TASKS; ++t) {
        EXPECT_EQ(ctx->vblocal[t].count, 540) << t;
        EXPECT_EQ(ctx->vblocal[t].offset, -27) << t;
        EXPECT_NE(ctx->taskevent[t], nullptr) << t;
        EXPECT_EQ(ctx->taskhandle[t], nullptr) << t;
        EXPECT_EQ(ctx->libname[0][0], 0);
    }
    EXPECT_EQ(ctx->taskno, -1);
    EXPECT_EQ(ctx->tasksuper, -1);
    // The program folder in the system's form, upper case, without a trailing backslash.
    char system[MAX_PATH];
    ASSERT_EQ(WynPlat_ToSystemPath(WynPlat_ProgramDir(), system, sizeof system), 1);
    for (char* p = system; *p; ++p) *p = char(std::toupper(static_cast<unsigned char>(*p)));
    EXPECT_STREQ(ctx->execdir, system);
    EXPECT_NE(ctx->execdir[std::strlen(ctx->execdir) - 1], '\\');
}

int g_ended = 0;
void EndTasks(tagVALUAREA* ctx) {
    ++g_ended;
    EXPECT_NE(ctx->taskevent[0], nullptr);  // before anything is closed or freed
}

TEST(VskContext, DeleteAsksTheExecutorToEndItsTasksFirst) {
    tagVALUAREA* ctx = VSKVAL_Create(GetModuleHandleA(nullptr));
    ASSERT_NE(ctx, nullptr);
    ctx->endtasks = EndTasks;
    g_ended = 0;
    VSKVAL_Delete(ctx);
    EXPECT_EQ(g_ended, 1);
}

TEST(VskSlots, GetSetCountStoresAndNameMissingVariables) {
    Context ctx;
    tagVALUE v = Num(ctx, "5");
    v.flag = 65534;
    ASSERT_EQ(VSKVAL_Set(ctx, &ctx->vbuser, 5, &v), 1);
    ASSERT_EQ(VSKVAL_Set(ctx, &ctx->vbuser, 5, &v), 1);  // the same record, one higher again
    tagVALUE out{};
    ASSERT_EQ(VSKVAL_Get(ctx, &ctx->vbuser, 5, &out), 1);
    EXPECT_EQ(out.flag, 0);  // 65534 + 1 + 1 wraps
    EXPECT_EQ(Text(ctx, out), "5");

    Boxes boxes;
    tagVALUEBLOCK* local = VSKVAL_GetLocal(ctx, 0);
    EXPECT_EQ(VSKVAL_Get(ctx, local, 1, &out), 0);  // no frame open yet
    EXPECT_EQ(VSKVAL_Get(ctx, &ctx->vbsystem, 200, &out), 0);
    EXPECT_EQ(VSKVAL_Set(ctx, &ctx->vbuser, -1, &v), 0);
    auto all = boxes.All();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].caption, U8(u8"『Veskeran33』変数マネージャ(VSKVAL.DLL)"));
    EXPECT_EQ(all[0].text, U8(u8"参照している変数($A)は存在しません。"));
    EXPECT_EQ(all[1].text, U8(u8"参照している変数(#200)は存在しません。"));
    EXPECT_EQ(all[2].text, U8(u8"設定しようとしている変数($-1)は存在しません。"));
}

TEST(VskSlots, SetKeepsWhatTheSlotHeldClearReleasesIt) {
    Context ctx;
    tagVALUE s = Str(ctx, "held");
    VSKVAL_Set(ctx, &ctx->vbuser, 1, &s);
    tagVALUE n = Num(ctx, "1");
    VSKVAL_Set(ctx, &ctx->vbuser, 1, &n);
    // The string's heap block is still in use: reading it through the old record works.
    EXPECT_EQ(Bytes(ctx, s), "held");
    VSKVAL_Set(ctx, &ctx->vbuser, 1, &s);
    VSKVAL_Clear(ctx, &ctx->vbuser, 1);
    tagVALUE out{};
    VSKVAL_Get(ctx, &ctx->vbuser, 1, &out);
    EXPECT_EQ(out.mode, VSK_MODE_EMPTY);
    char bytes[VSK_BYTEBUF];
    EXPECT_EQ(VSKSTR_GetByte(ctx, &s, bytes), 0);  // released: the record names no string now
    EXPECT_EQ(VSKVAL_Clear(ctx, &ctx->vbuser, 10000), 1);  // outside: nothing
}

TEST(VskSlots, CopyIsDeepAndSwapExchanges) {
    Context ctx;
    tagVALUE s = Str(ctx, "text");
    VSKVAL_Set(ctx, &ctx->vbuser, 0, &s);
    ASSERT_EQ(VSKVAL_Copy(ctx, &ctx->vbsystem, 3, &ctx->vbuser, 0), 1);
    VSKVAL_Clear(ctx, &ctx->vbuser, 0);
    tagVALUE copy{};
    VSKVAL_Get(ctx, &ctx->vbsystem, 3, &copy);
    EXPECT_EQ(Bytes(ctx, copy), "text");

    tagVALUE one = Num(ctx, "1"), two = Num(ctx, "2");
    VSKVAL_Set(ctx, &ctx->vbuser, 1, &one);
    VSKVAL_Set(ctx, &ctx->vbuser, 2, &two);
    ASSERT_EQ(VSKVAL_Swap(ctx, &ctx->vbuser, 1, &ctx->vbuser, 2), 1);
    tagVALUE a{}, b{};
    VSKVAL_Get(ctx, &ctx->vbuser, 1, &a);
    VSKVAL_Get(ctx, &ctx->vbuser, 2, &b);
    EXPECT_EQ(Text(ctx, a), "2");
    EXPECT_EQ(Text(ctx, b), "1");
    Boxes boxes;
    EXPECT_EQ(VSKVAL_Copy(ctx, &ctx->vbuser, 10000, &ctx->vbuser, 1), 0);
    EXPECT_EQ(boxes.Count(), 1u);
}

TEST(VskRelease, CellsMemoryAndStringsAreDuplicatedAndFreed) {
    Context ctx;
    // A cell as the cell commands make it: the record a task-library block, its rows from the
    // picture library.
    auto* cell = static_cast<tagCELL*>(VSKTASK_AllocMemory(nullptr, sizeof(tagCELL)));
    ASSERT_EQ(UMBDLL_CreateCell(cell, 3, 2), 1);
    cell->bits[4] = 0x1234;
    tagVALUE c{};
    VskSetCaq(&c, cell);
    tagVALUE copy{};
    ASSERT_EQ(VSKFAQ_Copy(ctx, &copy, &c), 1);
    tagCELL* twin = VskCaqCell(&copy);
    ASSERT_NE(twin, cell);
    ASSERT_NE(twin->bits, cell->bits);
    EXPECT_EQ(twin->xsize, 3);
    EXPECT_EQ(twin->bits[4], 0x1234);
    ZEMPIXEL* rows = cell->bits;
    VSKFAQ_Clear(ctx, &c);
    EXPECT_EQ(c.mode, 0);
    EXPECT_EQ(VSKTASK_SizeMemory(nullptr, rows), 0u);
    EXPECT_EQ(VSKTASK_SizeMemory(nullptr, cell), 0u);
    EXPECT_EQ(twin->bits[4], 0x1234);
    VSKFAQ_Clear(ctx, &copy);

    void* memory = VSKTASK_AllocMemory(nullptr, 8);
    std::memcpy(memory, "12345678", 8);
    tagVALUE m{};
    VskSetMaq(&m, memory, 8, 2);
    ASSERT_EQ(VSKFAQ_Copy(ctx, &copy, &m), 1);
    EXPECT_NE(VskMaqMemory(&copy), memory);
    EXPECT_EQ(VskMaqSize(&copy), 8);
    EXPECT_EQ(VskMaqOffset(&copy), 2);
    EXPECT_EQ(std::memcmp(VskMaqMemory(&copy), "12345678", 8), 0);
    VSKFAQ_Clear(ctx, &m);
    EXPECT_EQ(VSKTASK_SizeMemory(nullptr, memory), 0u);
    VSKFAQ_Clear(ctx, &copy);
}

TEST(VskRelease, CopiedWavesAndWindowsAreReleasedOnceWithTheLastCopy) {
    Context ctx;
    auto* wave = static_cast<tagTOVWAVE*>(VSKTASK_AllocMemory(nullptr, sizeof(tagTOVWAVE)));
    tagVALUE w{};
    VskSetWave(&w, wave);
    tagVALUE copy1{}, copy2{};
    VSKFAQ_Copy(ctx, &copy1, &w);
    VSKFAQ_Copy(ctx, &copy2, &copy1);
    EXPECT_EQ(VskWave(&copy2), wave);
    VSKFAQ_Clear(ctx, &w);
    VSKFAQ_Clear(ctx, &copy1);
    EXPECT_EQ(VSKTASK_SizeMemory(nullptr, wave), sizeof(tagTOVWAVE));
    VSKFAQ_Clear(ctx, &copy2);
    EXPECT_EQ(VSKTASK_SizeMemory(nullptr, wave), 0u);

    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "VskValueTestButton";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "b", 0, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
    tagVALUE h{};
    h.mode = VSK_MODE_HANDLE;
    VskSetPtr(&h, 0, hwnd);
    VSKFAQ_Copy(ctx, &copy1, &h);
    VSKFAQ_Clear(ctx, &h);
    EXPECT_TRUE(IsWindow(hwnd));
    VSKFAQ_Clear(ctx, &copy1);
    EXPECT_FALSE(IsWindow(hwnd));
    UnregisterClassA(wc.lpszClassName, nullptr);
}

TEST(VskFrames, TwentyFramesOpenTheTwentyFirstIsRefused) {
    Context ctx;
    ctx->taskno = 4;
    tagVALUEBLOCK* local = VSKVAL_GetLocal(ctx, 2);
    for (int i = 0; i < VSK_FRAMES; ++i) ASSERT_EQ(VSKVAL_CreateLocal(ctx, 2, nullptr), 1) << i;
    EXPECT_EQ(local->offset, 19 * 27);
    Boxes boxes;
    EXPECT_EQ(VSKVAL_CreateLocal(ctx, 2, nullptr), 0);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{U8(
                                 u8"タスク(4)でローカル変数領域が制限以上(20)消費されました。")});
    EXPECT_EQ(local->offset, 19 * 27);
    for (int i = 0; i < VSK_FRAMES; ++i) VSKVAL_DeleteLocal(ctx, 2);
    EXPECT_EQ(local->offset, -27);
    VSKVAL_DeleteLocal(ctx, 2);  // none open: nothing changes
    EXPECT_EQ(local->offset, -27);
    EXPECT_EQ(VSKVAL_GetLocal(ctx, 20), nullptr);
}

TEST(VskFrames, ArgumentsMoveIntoTheNewFrameAndAreReleasedWithIt) {
    Context ctx;
    tagVALUE slots[VSK_FRAME_SLOTS] = {};
    tagVALUEBLOCK frame{slots, VSK_FRAME_SLOTS, 0};
    slots[0] = Num(ctx, "3");
    slots[1] = Str(ctx, "FILE.SNA");
    slots[2] = Num(ctx, "7");
    slots[3].mode = VSK_MODE_OMITTED;
    ASSERT_EQ(VSKVAL_CreateLocal(ctx, 0, nullptr), 1);
    ASSERT_EQ(VSKVAL_CreateLocal(ctx, 0, &frame), 1);
    EXPECT_EQ(slots[1].mode, 0);  // moved, not released
    EXPECT_EQ(slots[2].mode, 0);
    EXPECT_EQ(slots[0].mode, VSK_MODE_NUMBER);
    tagVALUEBLOCK* local = VSKVAL_GetLocal(ctx, 0);
    tagVALUE a{}, b{}, at{};
    VSKVAL_Get(ctx, local, 0, &at);
    VSKVAL_Get(ctx, local, 1, &a);
    VSKVAL_Get(ctx, local, 2, &b);
    EXPECT_EQ(Text(ctx, at), "3");
    EXPECT_EQ(Bytes(ctx, a), "FILE.SNA");
    EXPECT_EQ(Text(ctx, b), "7");
    VSKVAL_DeleteLocal(ctx, 0);
    char bytes[VSK_BYTEBUF];
    EXPECT_EQ(VSKSTR_GetByte(ctx, &a, bytes), 0);  // released with the frame
    EXPECT_EQ(local->offset, 0);
}

TEST(VskNames, SlotsAreNamedByTheirBlock) {
    Context ctx;
    VSKVAL_CreateLocal(ctx, 1, nullptr);
    tagVALUE args[VSK_FRAME_SLOTS] = {};
    tagVALUEBLOCK frame{args, VSK_FRAME_SLOTS, 0};
    struct Case {
        const tagVALUEBLOCK* block;
        int index;
        const char* name;
    };
    const Case kCases[] = {{&ctx->vbuser, 5, "$5"},
                           {&ctx->vbsystem, 7, "#7"},
                           {VSKVAL_GetLocal(ctx, 1), 3, "$C"},
                           {VSKVAL_GetLocal(ctx, 1), 0, "$@"},
                           {VSKVAL_GetLocal(ctx, 1), 26, "$Z"},
                           {&frame, 2, "$B"}};
    for (const Case& c : kCases) {
        char name[16];
        VSKVAL_StringValue(ctx, c.block, c.index, name);
        EXPECT_STREQ(name, c.name);
    }
}

TEST(VskDisplay, EveryTypeHasItsForm) {
    Context ctx;
    VSKVAL_CreateLocal(ctx, 0, nullptr);
    tagCELL cell{};
    cell.xsize = 2;
    cell.ysize = 3;
    cell.mask = 0x7C1F;
    tagVALUE s = Str(ctx, "ab");
    auto make = [](WORD mode, std::initializer_list<int64_t> words) {
        tagVALUE v{};
        v.mode = mode;
        int k = 0;
        for (int64_t w : words) v.word[k++] = uint64_t(w);
        return v;
    };
    tagVALUE ref{}, localRef{}, sysRef{}, c{}, nocell{};
    VskSetVaq(&ref, &ctx->vbuser, 5);
    VskSetVaq(&localRef, VSKVAL_GetLocal(ctx, 0), 3);
    VskSetVaq(&sysRef, &ctx->vbsystem, 7);
    VskSetCaq(&c, &cell);
    VskSetCaq(&nocell, nullptr);
    struct Case {
        tagVALUE v;
        const char* text;
    };
    const Case kCases[] = {
        {Num(ctx, "-1.5"), "-1.5"},
        {make('R', {1, 2, 3, -4}), "{1,2,3,-4}"},
        {s, "\"ab\""},
        {ref, "\\$5"},
        {localRef, "\\$C"},
        {sysRef, "\\#7"},
        {c, "{2×3(31,0,31)}"},
        {nocell, "{bmpなし}"},
        {make('M', {0, 16, 4}), "{16(+4)}"},
        {make('W', {0}), "{WAVE}"},
        {make('H', {0x1234, 1 << 24, 5, 6}), "{0x1234,button(5,6)}"},
        {make('H', {0x1234, 2 << 24, 5, 6}), "{0x1234,edit(5,6)}"},
        {make('H', {0x1234, 7, 5, 6}), "{0x1234,0x0007(5,6)}"},
        {make('P', {0, 9}), "{+9}"},
        {make(0, {}), "NULL"},
        {make('Z', {}), "NULL"},
        {make('Q', {}), "NULL"},
    };
    for (const Case& k : kCases) {
        tagVALUE v = k.v;
        char text[64];
        VSKVAL_DisplayValue(ctx, &v, text, sizeof text);
        EXPECT_STREQ(text, k.text);
    }
    tagVALUE bare = s;
    bare.mode = VSK_MODE_BARE_STRING;
    char text[8];
    VSKVAL_DisplayValue(ctx, &bare, text, sizeof text);
    EXPECT_STREQ(text, "ab");
    EXPECT_EQ(bare.mode, VSK_MODE_STRING);
    VSKVAL_DisplayValue(ctx, &s, text, 3);  // cut to fit
    EXPECT_STREQ(text, "\"a");
    tagVALUE wide = Str(ctx, "\x82\xA0\x82\xA2");
    VSKVAL_DisplayValue(ctx, &wide, text, 5);  // never half a character
    EXPECT_STREQ(text, "\"\x82\xA0");
    VSKFAQ_Clear(ctx, &wide);
    VSKFAQ_Clear(ctx, &s);
}

}  // namespace
