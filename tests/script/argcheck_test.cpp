// The command argument check against signatures, and reading arguments from a frame.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vsk_test_support.h"

using namespace vsktest;

namespace {

// A command frame of 27 slots. Arguments are written as letters: a type letter for a value
// of that type, 'Z' omitted, 'n' and 'r' references to user variables holding a number and
// a rectangle.
class Frame {
  public:
    Frame(tagVALUAREA* ctx, const std::string& args) : ctx_(ctx) {
        tagVALUE number = Num(ctx, "1"), rect{};
        VSKRAQ_Rect(ctx, &rect, 0, 0, 1, 1);
        VSKVAL_Set(ctx, &ctx->vbuser, 1, &number);
        VSKVAL_Set(ctx, &ctx->vbuser, 2, &rect);
        VSKFAQ_Number(ctx, &slots_[0], 1, int(args.size()) + 1, 0);
        for (size_t k = 0; k < args.size(); ++k) {
            tagVALUE& v = slots_[k + 1];
            switch (args[k]) {
                case 'n':
                    VskSetVaq(&v, &ctx->vbuser, 1);
                    break;
                case 'r':
                    VskSetVaq(&v, &ctx->vbuser, 2);
                    break;
                case 'S':
                    v = Str(ctx, "s");
                    break;
                default:
                    v.mode = WORD(args[k]);
                    break;
            }
        }
        if (args.size() < 26) slots_[args.size() + 1].mode = VSK_MODE_OMITTED;
    }
    ~Frame() {
        for (tagVALUE& v : slots_)
            if (v.mode == VSK_MODE_STRING) VSKFAQ_Clear(ctx_, &v);
    }
    const tagVALUEBLOCK* block() const { return &block_; }
    tagVALUE& operator[](int k) { return slots_[k]; }

  private:
    tagVALUAREA* ctx_;
    tagVALUE slots_[VSK_FRAME_SLOTS] = {};
    tagVALUEBLOCK block_{slots_, VSK_FRAME_SLOTS, 0};
};

const WORD R_ = VSK_SIG_REF + 'R', N_ = VSK_SIG_REF + 'N', ANY_ = VSK_SIG_REF + VSK_SIG_ANY;

struct CheckCase {
    std::vector<WORD> signature;  // without its final 0
    const char* args;
    const char8_t* message;  // nullptr: accepted
};

const CheckCase kChecks[] = {
    {{'N', 'N'}, "N", u8"関数(Test:Cmd)において引数が足りません。"},
    {{'N'}, "NN", u8"関数(Test:Cmd)において引数の数が多すぎます。"},
    {{'S', '~'}, "SNRZWMCHPN", nullptr},
    {{'~'}, "", nullptr},
    {{'N', '~'}, "", u8"関数(Test:Cmd)において引数が足りません。"},
    {{R_, 'N'}, "RN", u8"関数(Test:Cmd)において、第1引数は領域型でなければなりません。"},
    {{R_, 'N'}, "rN", nullptr},
    {{N_}, "r", u8"関数(Test:Cmd)において、第1引数は数値型でなければなりません。"},
    {{N_}, "n", nullptr},
    {{ANY_}, "r", nullptr},
    {{ANY_}, "N", u8"関数(Test:Cmd)において、第1引数は不明型でなければなりません。"},
    {{VSK_SIG_ANY}, "Z", nullptr},
    {{'N'}, "Z", u8"関数(Test:Cmd)において、第1引数は数値型でなければなりません。"},
    {{}, "", nullptr},
    {{'N', 'Z'}, "NN", u8"関数(Test:Cmd)において第2引数は省略できません。"},
    {{'N', 'S', 'W'}, "NSM", u8"関数(Test:Cmd)において、第3引数はウェーブ型でなければなりません。"},
    {{'C'}, "N", u8"関数(Test:Cmd)において、第1引数はセル型でなければなりません。"},
    {{'H'}, "N", u8"関数(Test:Cmd)において、第1引数はハンドル型でなければなりません。"},
    {{'M'}, "N", u8"関数(Test:Cmd)において、第1引数はメモリ型でなければなりません。"},
    {{'P'}, "N", u8"関数(Test:Cmd)において、第1引数はポインタ型でなければなりません。"},
    {{'S'}, "N", u8"関数(Test:Cmd)において、第1引数は文字型でなければなりません。"},
    {{'V'}, "N", u8"関数(Test:Cmd)において、第1引数は変数型でなければなりません。"},
    {{'V'}, "n", nullptr},
};

TEST(VskArguments, FramesAreCheckedAgainstTheirSignature) {
    Context ctx;
    for (const CheckCase& c : kChecks) {
        std::vector<WORD> signature = c.signature;
        signature.push_back(0);
        Frame frame(ctx, c.args);
        Boxes boxes;
        int ok = VSKVAL_CheckArgument(ctx, "Test:Cmd", signature.data(), frame.block());
        std::string what = std::string("args ") + c.args + " case " + std::to_string(&c - kChecks);
        EXPECT_EQ(ok, c.message ? 0 : 1) << what;
        std::vector<std::string> want;
        if (c.message) want.push_back(U8(c.message));
        EXPECT_EQ(boxes.Texts(), want) << what;
    }
}

TEST(VskArguments, ACountBeyondTheFrameReadsNoFurther) {
    Context ctx;
    Frame frame(ctx, "N");
    VSKFAQ_Number(ctx, &frame[0], 1, 500, 0);
    const WORD kRest[] = {'~', 0};
    EXPECT_EQ(VSKVAL_CheckArgument(ctx, "Big", kRest, frame.block()), 1);
    std::vector<WORD> many(26, VSK_SIG_ANY);
    many.push_back(0);
    EXPECT_EQ(VSKVAL_CheckArgument(ctx, "Big", many.data(), frame.block()), 1);
}

TEST(VskArguments, OmittedArgumentsTakeDefaultsAndReadersLeaveOutputs) {
    Context ctx;
    Frame frame(ctx, "RZNS");
    VSKRAQ_Rect(ctx, &frame[1], 10, 20, 30, 40);
    VSKFAQ_Number(ctx, &frame[3], 1, 7, 0);
    tagVALUE def = Num(ctx, "9");
    EXPECT_EQ(VSKVAL_OmitArgument(ctx, frame.block(), 1, &def), 1);  // given: unchanged
    EXPECT_EQ(frame[1].mode, VSK_MODE_RECT);
    EXPECT_EQ(VSKVAL_OmitArgument(ctx, frame.block(), 2, &def), 1);
    EXPECT_EQ(Text(ctx, frame[2]), "9");
    EXPECT_EQ(VSKVAL_OmitArgument(ctx, frame.block(), 27, &def), 0);

    RECT r{};
    ASSERT_EQ(VSKVAL_ArgRect(ctx, frame.block(), 1, &r), 1);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right, 40);
    EXPECT_EQ(r.bottom, 60);
    int n = -1;
    ASSERT_EQ(VSKVAL_ArgNumber(ctx, frame.block(), 3, &n), 1);
    EXPECT_EQ(n, 7);
    char text[VSK_BYTEBUF] = "unchanged";
    ASSERT_EQ(VSKVAL_ArgString(ctx, frame.block(), 4, text), 1);
    EXPECT_STREQ(text, "s");
    // Omitted: outputs unchanged, 1.
    std::strcpy(text, "unchanged");
    n = -1;
    r = RECT{1, 2, 3, 4};
    EXPECT_EQ(VSKVAL_ArgNumber(ctx, frame.block(), 5, &n), 1);
    EXPECT_EQ(VSKVAL_ArgRect(ctx, frame.block(), 5, &r), 1);
    EXPECT_EQ(VSKVAL_ArgString(ctx, frame.block(), 5, text), 1);
    EXPECT_EQ(n, -1);
    EXPECT_EQ(r.right, 3);
    EXPECT_STREQ(text, "unchanged");
    // A wrong type is the number check's message.
    Boxes boxes;
    EXPECT_EQ(VSKVAL_ArgNumber(ctx, frame.block(), 1, &n), 0);
    EXPECT_EQ(VSKVAL_ArgRect(ctx, frame.block(), 3, &r), 0);
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{U8(u8"指定されたFAQは数値ではありません。"),
                                        U8(u8"指定されたRAQは領域ではありません。")}));
}

}  // namespace
