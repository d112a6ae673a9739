// The task library: error and retry boxes, memory blocks and their refusal of foreign
// pointers, and the two byte-string functions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "vsk_test_support.h"
#include "vsktask.h"

using vsktest::Boxes;
using vsktest::U8;

namespace {

const std::string kCaption = "Caption";

// A host window that answers the error box's three questions.
class HostWindow {
  public:
    HostWindow() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = "VskTaskTestHost";
        RegisterClassA(&wc);
        hwnd_ = CreateWindowExA(0, wc.lpszClassName, "host", 0, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
    }
    ~HostWindow() {
        DestroyWindow(hwnd_);
        UnregisterClassA("VskTaskTestHost", nullptr);
    }
    HWND hwnd() const { return hwnd_; }
    static bool answers;

  private:
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        if (answers) {
            switch (m) {
                case VSKTASK_MSG_TASKNAME:
                    std::strcpy(reinterpret_cast<char*>(l), "C:\\GAME\\TITLE.SNB");
                    return 1;
                case VSKTASK_MSG_TASKNO:
                    *reinterpret_cast<int*>(l) = 3;
                    return 1;
                case VSKTASK_MSG_TASKLINE:
                    *reinterpret_cast<int*>(l) = 42;
                    return 1;
            }
        }
        return DefWindowProcA(h, m, w, l);
    }
    HWND hwnd_;
};
bool HostWindow::answers = true;

TEST(VskTaskBoxes, ErrorStopNamesScriptTaskAndLineWhenItHasAWindow) {
    Boxes boxes;
    VSKTASK_ErrorStop(nullptr, "Caption", "bare text");
    HostWindow host;
    HostWindow::answers = true;
    VSKTASK_ErrorStop(host.hwnd(), "Caption", "went wrong");
    HostWindow::answers = false;
    VSKTASK_ErrorStop(host.hwnd(), "Caption", "unanswered");
    HostWindow::answers = true;
    auto all = boxes.All();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].caption, kCaption);
    EXPECT_EQ(all[0].text, "bare text");
    EXPECT_EQ(all[1].text, U8(u8"【シナリオ】\tC:\\GAME\\TITLE."
                              u8"SNB\n【タスク】\t3\n【行番号】\t42\n【内容】\twent wrong"));
    EXPECT_EQ(
        all[2].text,
        U8(u8"【シナリオ】\tシナリオ不定\n【タスク】\t0\n【行番号】\t0\n【内容】\tunanswered"));
}

TEST(VskTaskBoxes, ErrorRetryIsOneOnlyForRetry) {
    WynPlat_PushMessageBoxAnswer(IDRETRY);
    EXPECT_EQ(VSKTASK_ErrorRetry(nullptr, "c", "t"), 1);
    WynPlat_PushMessageBoxAnswer(IDCANCEL);
    EXPECT_EQ(VSKTASK_ErrorRetry(nullptr, "c", "t"), 0);
    EXPECT_EQ(VSKTASK_ErrorRetry(nullptr, "c", "t"), 0);  // headless default: Cancel
}

TEST(VskTaskMemory, BlocksAreZeroedSizedResizedDuplicatedAndExchanged) {
    auto* a = static_cast<BYTE*>(VSKTASK_AllocMemory(nullptr, 10));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(VSKTASK_SizeMemory(nullptr, a), 10u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(a[i], 0) << i;
    std::memcpy(a, "abcdefghij", 10);

    a = static_cast<BYTE*>(VSKTASK_ResizeMemory(nullptr, a, 5000));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(VSKTASK_SizeMemory(nullptr, a), 5000u);
    EXPECT_EQ(std::memcmp(a, "abcdefghij", 10), 0);
    for (int i = 10; i < 5000; ++i) ASSERT_EQ(a[i], 0) << i;

    auto* b = static_cast<BYTE*>(VSKTASK_DuplicateMemory(nullptr, a));
    ASSERT_NE(b, nullptr);
    EXPECT_NE(b, a);
    EXPECT_EQ(VSKTASK_SizeMemory(nullptr, b), 5000u);
    EXPECT_EQ(std::memcmp(a, b, 5000), 0);

    std::memcpy(b, "0123", 4);
    EXPECT_EQ(VSKTASK_ExchangeMemory(nullptr, a, b, 4), 1);
    EXPECT_EQ(std::memcmp(a, "0123efghij", 10), 0);
    EXPECT_EQ(std::memcmp(b, "abcdefghij", 10), 0);
    // A count beyond the shorter block changes nothing.
    auto* small = static_cast<BYTE*>(VSKTASK_AllocMemory(nullptr, 3));
    EXPECT_EQ(VSKTASK_ExchangeMemory(nullptr, a, small, 4), 0);
    EXPECT_EQ(std::memcmp(a, "0123", 4), 0);
    EXPECT_EQ(small[0], 0);

    VSKTASK_FreeMemory(nullptr, a);
    VSKTASK_FreeMemory(nullptr, b);
    VSKTASK_FreeMemory(nullptr, small);
    EXPECT_EQ(VSKTASK_SizeMemory(nullptr, a), 0u);
}

TEST(VskTaskMemory, PointersThatAreNoBlockAreRefusedUntouched) {
    char onStack[16] = "untouched";
    void* heap = std::malloc(16);
    std::memcpy(heap, "untouched", 10);
    auto* block = static_cast<char*>(VSKTASK_AllocMemory(nullptr, 16));
    std::strcpy(block, "block");
    auto* freed = VSKTASK_AllocMemory(nullptr, 16);
    VSKTASK_FreeMemory(nullptr, freed);
    struct Foreign {
        const char* what;
        void* p;
    };
    const Foreign kForeign[] = {
        {"stack", onStack}, {"malloc", heap}, {"inside a block", block + 1}, {"freed", freed}};
    for (const Foreign& f : kForeign) {
        EXPECT_EQ(VSKTASK_SizeMemory(nullptr, f.p), 0u) << f.what;
        EXPECT_EQ(VSKTASK_DuplicateMemory(nullptr, f.p), nullptr) << f.what;
        EXPECT_EQ(VSKTASK_ResizeMemory(nullptr, f.p, 64), nullptr) << f.what;
        EXPECT_EQ(VSKTASK_ExchangeMemory(nullptr, f.p, block, 4), 0) << f.what;
        VSKTASK_FreeMemory(nullptr, f.p);
    }
    EXPECT_STREQ(onStack, "untouched");
    EXPECT_STREQ(static_cast<char*>(heap), "untouched");
    EXPECT_STREQ(block, "block");
    EXPECT_EQ(VSKTASK_SizeMemory(nullptr, block), 16u);
    std::free(heap);
    VSKTASK_FreeMemory(nullptr, block);
}

TEST(VskTaskMemory, ExhaustedMemoryAsksUntilCancelled) {
    Boxes boxes;
    const SIZE_T kTooMuch = SIZE_T(1) << 40;
    WynPlat_PushMessageBoxAnswer(IDRETRY);
    EXPECT_EQ(VSKTASK_AllocMemory(nullptr, kTooMuch), nullptr);  // Retry, then Cancel
    auto all = boxes.All();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].caption, U8(u8"『Veskeran33』タスクマネージャ(VSKTASK.DLL)"));
    EXPECT_EQ(all[0].text,
              U8(u8"ﾒﾓﾘが不足しています。\n他のｱﾌﾟﾘｹｰｼｮﾝを終了して[再試行]してください。\n"
                 u8"[ｷｬﾝｾﾙ]を選ぶと強制的に処理を継続しますが\nその後の動作は保証されません。"));

    // A failed resize asks once, and the block stays as it was.
    boxes.Clear();
    auto* block = static_cast<char*>(VSKTASK_AllocMemory(nullptr, 8));
    std::strcpy(block, "kept");
    WynPlat_PushMessageBoxAnswer(IDRETRY);
    EXPECT_EQ(VSKTASK_ResizeMemory(nullptr, block, kTooMuch), nullptr);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{U8(u8"ﾒﾓﾘ不足によりｻｲｽﾞ変更に失敗しました。")});
    EXPECT_STREQ(block, "kept");
    EXPECT_EQ(VSKTASK_SizeMemory(nullptr, block), 8u);
    VSKTASK_FreeMemory(nullptr, block);
    WynPlat_PushMessageBoxAnswer(IDCANCEL);  // the answer the failed resize did not use
    VSKTASK_ErrorRetry(nullptr, "c", "drain");
}

TEST(VskTaskStrings, LengthAndPrefixComparison) {
    EXPECT_EQ(VSKTASK_LengthString(""), 1);
    EXPECT_EQ(VSKTASK_LengthString("abc"), 4);
    struct Case {
        const char *a, *b;
        int agree;
    };
    const Case kCases[] = {{"ABC", "AB", 1}, {"AB", "ABC", 1}, {"AC", "AB", 0},
                           {"", "X", 1},     {"X", "", 1},     {"same", "same", 1}};
    for (const Case& c : kCases)
        EXPECT_EQ(VSKTASK_CompareString(c.a, c.b), c.agree) << c.a << " / " << c.b;
}

}  // namespace
