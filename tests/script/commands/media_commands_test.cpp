// The cell, sprite and sound command libraries, called from scripts the way a script host runs
// them. The screens the sprite commands draw on are made here, as the screen commands make
// them: a window and a 2D screen noted in the screen's system variable.
#include <dlfcn.h>

#include <set>
#include <string>
#include <vector>

#include "capture_read.h"
#include "tov42.h"
#include "vsk_host_support.h"
#include "wave_fixture.h"
#include "zem33.h"

using namespace vsktest;

namespace {

// A script host whose folder also holds the cell, sprite and sound command libraries.
class MediaHost : public ScriptHost {
  public:
    MediaHost() {
        for (const char* lib : {"CELL.DLL", "SPRITE.DLL", "SOUND.DLL"})
            Link(fs::path(VSK_TEST_BIN_DIR) / lib, lib);
    }
    ~MediaHost() {
        for (int n = 0; n < VSK_SCREENS; ++n) {
            auto* v = ctx()->vbsystem.lpvalue + VSK_SYS_SCREEN(n);
            if (auto* scr = reinterpret_cast<HZEMSCREEN>(uintptr_t(v->word[1]))) ZEM_End(scr);
            if (auto* w = reinterpret_cast<HWND>(uintptr_t(v->word[0]))) DestroyWindow(w);
            v->word[0] = v->word[1] = 0;
        }
    }
    // Screen n: a window and a 2D screen of w x h, as the screen commands would make them.
    HZEMSCREEN MakeScreen(int n, int w, int h) {
        static const ATOM kClass = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = DefWindowProcA;
            wc.lpszClassName = "MediaTestScreen";
            return RegisterClassA(&wc);
        }();
        EXPECT_NE(kClass, 0);
        HWND window = CreateWindowExA(0, "MediaTestScreen", "SCREEN", WS_OVERLAPPEDWINDOW, 0, 0, w,
                                      h, nullptr, nullptr, nullptr, nullptr);
        HZEMSCREEN scr = ZEM_Start(0x10000000, window, w, h, w, h);
        auto* v = ctx()->vbsystem.lpvalue + VSK_SYS_SCREEN(n);
        v->word[0] = uintptr_t(window);
        v->word[1] = uintptr_t(scr);
        return scr;
    }
    tagCELL* UserCell(int n) const {
        tagVALUE v = User(n);
        return v.mode == VSK_MODE_CELL ? VskCaqCell(&v) : nullptr;
    }
};

// A script that stops at the command under test: what it set before stays, what follows
// never runs, and the boxes shown say why.
struct StopCase {
    std::string source;  // sets $1 = 1 before and $1 = 2 after the command
    std::vector<std::string> boxes;
};

void RunStops(const std::vector<StopCase>& cases) {
    for (const StopCase& c : cases) {
        MediaHost h;
        h.MakeScreen(1, 64, 48);
        h.Write("MAIN.SNA", c.source);
        Boxes boxes;
        h.Run("MAIN");
        EXPECT_EQ(h.UserText(1), "1") << c.source;
        EXPECT_EQ(boxes.Texts(), c.boxes) << c.source;
    }
}

// ---- cells ----

const ScriptCase kCells[] = {
    // Fields read and written in place; the mask's labels are the system's own.
    {"Cell:Create(\\$1, 4, 3); $2 = Cell:GetXsize(\\$1); $3 = Cell:GetYsize(\\$1);"
     " Cell:SetXpos(\\$1, 7); Cell:SetYpos(\\$1, -8); Cell:SetXoffset(\\$1, 9);"
     " Cell:SetYoffset(\\$1, -10); Cell:SetMask(\\$1, 31);"
     " $4 = Cell:GetXpos(\\$1); $5 = Cell:GetYpos(\\$1); $6 = Cell:GetXoffset(\\$1);"
     " $7 = Cell:GetYoffset(\\$1); $8 = Cell:GetMask(\\$1);",
     {{2, "4"}, {3, "3"}, {4, "7"}, {5, "-8"}, {6, "9"}, {7, "-10"}, {8, "31"}}},
    // A new cell has no colour key: a negative mask, as copies read it.
    {"Cell:Create(\\$1, 2, 2); $2 = Cell:GetMask(\\$1);", {{2, "-1"}}},
    // Creating again replaces the cell.
    {"Cell:Create(\\$1, 2, 2); Cell:Create(\\$1, 5, 6); $3 = Cell:GetXsize(\\$1);", {{3, "5"}}},
    {"Cell:Create(\\$1, 4, 4); Cell:SetPixel(\\$1, 1, 2, 0x7C00); $2 = Cell:GetPixel(\\$1, 1, 2);"
     " $3 = Cell:GetPixel(\\$1, 9, 9); Cell:SetPixel(\\$1, 0, 0, 0x18001);"
     " $4 = Cell:GetPixel(\\$1, 0, 0);",
     {{2, "31744"}, {3, "0"}, {4, "32769"}}},
    {"Cell:Create(\\$1, 4, 4); Cell:Line(\\$1, 0, 3, 3, 3, 31); $2 = Cell:GetPixel(\\$1, 3, 3);"
     " $3 = Cell:GetPixel(\\$1, 0, 3); $4 = Cell:GetPixel(\\$1, 0, 2);",
     {{2, "31"}, {3, "31"}, {4, "0"}}},
    // An omitted part is the whole cell; a part is an edge rectangle (right and bottom out).
    {"Cell:Create(\\$1, 4, 4); Cell:Clear(\\$1, , 5); $2 = Cell:GetPixel(\\$1, 3, 3);"
     " Cell:Clear(\\$1, SetRect(1, 1, 2, 2), 9); $3 = Cell:GetPixel(\\$1, 1, 1);"
     " $4 = Cell:GetPixel(\\$1, 2, 2); $5 = Cell:GetPixel(\\$1, 3, 3);",
     {{2, "5"}, {3, "9"}, {4, "9"}, {5, "5"}}},
    // Copy into a number: a new cell of the source's size.
    {"$2 = 5; Cell:Create(\\$1, 3, 2); Cell:Clear(\\$1, , 7); Cell:Copy(\\$2, 0, 0, \\$1);"
     " $3 = Cell:GetXsize(\\$2); $4 = Cell:GetYsize(\\$2); $5 = Cell:GetPixel(\\$2, 2, 1);",
     {{3, "3"}, {4, "2"}, {5, "7"}}},
    // Copy into a cell: drawn in, its size kept; the source part is an edge rectangle.
    {"Cell:Create(\\$1, 3, 3); Cell:Clear(\\$1, , 7); Cell:Create(\\$2, 10, 10);"
     " Cell:Copy(\\$2, 5, 5, \\$1, SetRect(0, 0, 2, 2)); $3 = Cell:GetXsize(\\$2);"
     " $4 = Cell:GetPixel(\\$2, 6, 6); $5 = Cell:GetPixel(\\$2, 7, 7); $6 = Cell:GetPixel(\\$2, 4, "
     "4);",
     {{3, "10"}, {4, "7"}, {5, "0"}, {6, "0"}}},
    // The source's mask is the copy's key: keyed pixels leave the target as it was.
    {"Cell:Create(\\$1, 2, 1); Cell:SetPixel(\\$1, 1, 0, 3); Cell:SetMask(\\$1, 0);"
     " Cell:Create(\\$2, 2, 1); Cell:Clear(\\$2, , 9); Cell:Copy(\\$2, 0, 0, \\$1);"
     " $3 = Cell:GetPixel(\\$2, 0, 0); $4 = Cell:GetPixel(\\$2, 1, 0);",
     {{3, "9"}, {4, "3"}}},
    // Zoom scales within the cell; a source without width changes nothing.
    {"Cell:Create(\\$1, 8, 8); Cell:Clear(\\$1, SetRect(0, 0, 2, 2), 4);"
     " Cell:Zoom(\\$1, SetRect(4, 4, 4, 4), SetRect(0, 0, 2, 2)); $2 = Cell:GetPixel(\\$1, 7, 7);"
     " Cell:Zoom(\\$1, SetRect(0, 4, 4, 4), SetRect(0, 0, 0, 2)); $3 = Cell:GetPixel(\\$1, 0, 7);",
     {{2, "4"}, {3, "0"}}},
    // The glyph table: byte c takes the tile at column c mod 16, row c div 16.
    {"Cell:Create(\\$T, 256, 256); Cell:Clear(\\$T, SetRect(16, 64, 16, 16), 1);"
     " Cell:Clear(\\$T, SetRect(32, 64, 16, 16), 2); Cell:Create(\\$D, 64, 16);"
     " Cell:ChrTable(\\$D, 8, 0, \\$T, SetRect(0, 0, 16, 16), \"AB\");"
     " $1 = Cell:GetPixel(\\$D, 8, 0); $2 = Cell:GetPixel(\\$D, 23, 15);"
     " $3 = Cell:GetPixel(\\$D, 24, 0); $4 = Cell:GetPixel(\\$D, 39, 15);"
     " $5 = Cell:GetPixel(\\$D, 40, 0); $6 = Cell:GetPixel(\\$D, 7, 0);",
     {{1, "1"}, {2, "1"}, {3, "2"}, {4, "2"}, {5, "0"}, {6, "0"}}},
    // Written as a 24-bit BMP; a name ending in ".BMP" in capitals is read as BMP.
    {"Cell:Create(\\$1, 3, 2); Cell:SetPixel(\\$1, 2, 1, 0x7C00); Cell:SetPixel(\\$1, 0, 0, 0x3E0);"
     " Cell:Write(\\$1, \"PIC.BMP\"); Cell:Read(\\$2, \"PIC.BMP\"); $3 = Cell:GetXsize(\\$2);"
     " $4 = Cell:GetPixel(\\$2, 2, 1); $5 = Cell:GetPixel(\\$2, 0, 0); Cell:Delete(\\$1);"
     " $6 = ValueType(\\$1);",
     {{3, "3"}, {4, "31744"}, {5, "992"}, {6, "0"}}},
};

TEST(CellCommands, MakeDrawCopyAndExamineCells) {
    RunScriptCases<MediaHost>(kCells, std::size(kCells));
}

TEST(CellCommands, ReadChoosesTheReaderByTheNamesEnding) {
    MediaHost h;
    // The same BMP bytes under a name the picture reader takes for its own format: refused,
    // the task stops and the variable keeps its value.
    h.Write(
        "MAIN.SNA",
        "Cell:Create(\\$1, 2, 2); Cell:Write(\\$1, \"PIC.BMP\"); $2 = 5;"
        " File:Rename(\"PIC.BMP\", \"PIC.UMZ\"); $3 = 1; Cell:Read(\\$2, \"PIC.UMZ\"); $3 = 2;");
    Boxes boxes;
    h.Run("MAIN");
    EXPECT_EQ(h.UserText(3), "1");
    EXPECT_EQ(h.UserText(2), "5");
}

TEST(CellCommands, BothNamesOfSetPixelAreExported) {
    void* lib = dlopen((std::string(VSK_TEST_BIN_DIR) + "/CELL.DLL").c_str(), RTLD_NOW);
    ASSERT_NE(lib, nullptr) << dlerror();
    for (const char* name : {"VSK_SETPIXEL", "VSK_SetPixel", "VSK_Version", "VSK_CHRTABLE",
                             "VSK_GETMASK", "VSK_SETMASK", "VSK_STRING", "VSK_TEXT"})
        EXPECT_NE(dlsym(lib, name), nullptr) << name;
    EXPECT_EQ(dlsym(lib, "VSK_SETXSIZE"), nullptr) << "sizes are not written";
    dlclose(lib);
}

const std::vector<StopCase> kCellStops = {
    {"$1 = 1; $5 = 3; Cell:GetXsize(\\$5); $1 = 2;",
     {U8(u8"関数(Cell:GetXsize)において、第1引数はセル型でなければなりません。")}},
    {"$1 = 1; Cell:SetPixel(\\$5, 0, 0, 0); $1 = 2;",
     {U8(u8"関数(Cell:SetPixel)において、第1引数はセル型でなければなりません。")}},
    {"$1 = 1; Cell:Create(\\$5, 2, 2); Cell:Copy(\\$6, 0, 0, \\$5, 3); $1 = 2;",
     {U8(u8"関数(Cell:Copy)において、第5引数は領域型でなければなりません。")}},
    {"$1 = 1; Cell:Create(\\$5, 2, 2); Cell:GetPixel(\\$5, 0); $1 = 2;",
     {U8(u8"関数(Cell:GetPixel)において引数が足りません。")}},
};

TEST(CellCommands, ArgumentsOfTheWrongKindStopTheTask) { RunStops(kCellStops); }

TEST(CellCommands, ACellValueWithoutItsRecordIsRefused) {
    MediaHost h;
    tagVALUE empty{};
    empty.mode = VSK_MODE_CELL;
    VSKVAL_Set(h, &h.ctx()->vbuser, 5, &empty);
    for (const char* command : {"Cell:GetXsize(\\$5)", "Cell:Clear(\\$5, , 1)",
                                "Cell:Roll(\\$5, SetRect(0,0,4,4),"
                                " SetRect(0,0,4,4), 90)",
                                "Cell:Zoom(\\$5, SetRect(0,0,4,4), SetRect(0,0,2,2))",
                                "Cell:Write(\\$5, \"X.BMP\")", "Sprite:Create(1, 0, \\$5)"}) {
        h.MakeScreen(1, 32, 32);
        h.Write("MAIN.SNA", std::string("$1 = 1; ") + command + "; $1 = 2;");
        Boxes boxes;
        h.Run("MAIN");
        EXPECT_EQ(h.UserText(1), "1") << command;
        ASSERT_EQ(boxes.Count(), 1u) << command;
        EXPECT_NE(boxes.All()[0].text.find(U8(u8"セル型でなければなりません。")), std::string::npos)
            << command << ": " << boxes.All()[0].text;
    }
}

// The text engine draws into the cell lent to its cell target, #14, which gets its own value
// back afterwards; the cell target's text settings are #39, #49 and #59.
TEST(CellCommands, TextAndStringDrawIntoTheCell) {
    MediaHost h;
    h.Write(
        "MAIN.SNA",
        "#14 = \"the command line\"; #39 = SetRect(0, 0, 9, 18);"
        " #49 = SetRect(32767, 0, 0, 272); #59 = \"FixedSys\";"
        " Cell:Create(\\$1, 64, 36); Cell:Text(\\$1, , \"@C[31,0,0]A\", 7);"
        " Cell:Create(\\$2, 64, 36); Cell:String(\\$2, SetRect(0, 0, 64, 18), 0x3E0, 272, \"X\");"
        " $3 = #14; $4 = Cell:GetXsize(\\$1);");
    Boxes boxes;
    h.Run("MAIN");
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{});
    EXPECT_EQ(h.UserText(3), "\"the command line\"") << "#14 holds its own value again";
    EXPECT_EQ(h.UserText(4), "64") << "$1 holds its cell again";
    auto count = [](const tagCELL* c, ZEMPIXEL colour, int x0, int x1) {
        int n = 0;
        for (int y = 0; y < c->ysize; ++y)
            for (int x = x0; x < x1; ++x) n += ZEM_GetPixelCell(c, x, y) == colour;
        return n;
    };
    ASSERT_NE(h.UserCell(1), nullptr);
    ASSERT_NE(h.UserCell(2), nullptr);
    // "A" in red in the first character cell, "7" after it, nothing past them.
    EXPECT_GT(count(h.UserCell(1), 0x7C00, 0, 9), 5);
    EXPECT_GT(count(h.UserCell(1), 0x7C00, 9, 18), 5);
    EXPECT_EQ(count(h.UserCell(1), 0x7C00, 18, 64), 0);
    EXPECT_GT(count(h.UserCell(2), 0x3E0, 0, 64), 5);
}

TEST(CellCommands, TextThatCannotBeShownStopsTheTask) {
    RunStops({
        // An argument that is no text stops it without a word.
        {"$1 = 1; Cell:Create(\\$5, 8, 8); Cell:Text(\\$5, , SetRect(0, 0, 1, 1)); $1 = 2;", {}},
        // Before screen 0 is made the cell target has no character size: the text engine says so.
        {"$1 = 1; Cell:Create(\\$5, 8, 8); Cell:Text(\\$5, , \"x\"); $1 = 2;",
         {U8(u8"文字サイズが設定されていません。")}},
        {"$1 = 1; Cell:String(\\$5, , 0, 0, \"x\"); $1 = 2;",
         {U8(u8"関数(Cell:String)において、第1引数はセル型でなければなりません。")}},
    });
}

// ---- sprites ----

TEST(SpriteCommands, ObjectMoveHitAndArc) {
    MediaHost h;
    HZEMSCREEN scr = h.MakeScreen(1, 320, 240);
    ASSERT_NE(scr, nullptr);
    h.Write(
        "MAIN.SNA",
        "Cell:Create(\\$9, 16, 16); Cell:Clear(\\$9, , 0x7C00); Cell:SetXpos(\\$9, 16);"
        " Cell:SetYpos(\\$9, 16);"
        " Sprite:Screen(1, SetRect(0, 0, 160, 240), SetRect(160, 0, 160, 240));"
        " Sprite:Create(1, 3, \\$9); Sprite:Object(1, 3, 10, 20, 5, 0, 0x10000000);"
        " Sprite:Move(1, 3, 30, 40, 0); Sprite:RefreshAll(1);"
        " $1 = Sprite:Hit(1, SetRect(35, 45, 0, 0)); $2 = Sprite:Hit(1, SetRect(100, 100, 0, 0));"
        " $3 = Sprite:Arc(SetRect(0, 0, 0, 0), SetRect(10, 0, 0, 0));"
        " $4 = Sprite:Arc(SetRect(5, 5, 9, 9), SetRect(5, -20, 1, 1));"
        " Sprite:Move(1, 3, 100, 100, 0); Sprite:Refresh(1);"
        " $5 = Sprite:Hit(1, SetRect(35, 45, 0, 0)); $6 = Sprite:Hit(1, SetRect(101, 101, 0, 0));"
        " Sprite:Delete(1, 3); Sprite:RefreshAll(1); $7 = Sprite:Hit(1, SetRect(101, 101, 0, 0));");
    Boxes boxes;
    h.Run("MAIN");
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{});
    EXPECT_EQ(h.UserText(1), "3");
    EXPECT_EQ(h.UserText(2), "-1") << "nothing drawn there";
    EXPECT_EQ(h.UserText(3), std::to_string(ZEM_GetAngle(0, 0, 10, 0)));
    EXPECT_EQ(h.UserText(3), "90") << "straight to the right";
    EXPECT_EQ(h.UserText(4), "0") << "straight up";
    EXPECT_EQ(h.UserText(5), "-1");
    EXPECT_EQ(h.UserText(6), "3");
    EXPECT_EQ(h.UserText(7), "-1");
    // Move kept what Object set: z and the mirror flag.
    h.Write("KEEP.SNA",
            "Sprite:Create(1, 4, \\$9); Sprite:Object(1, 4, 10, 20, 5, 0, 0x10000000);"
            " Sprite:Move(1, 4, 30, 40, 0);");
    h.Run("KEEP");
    const tagZEMSPRITE& s = scr->sprite[4];
    EXPECT_EQ(s.z, 5);
    EXPECT_EQ(s.x, 30);
    EXPECT_EQ(s.y, 40);
    EXPECT_NE(s.flags & ZEM_MIRROR, 0u);
}

// The video commands live in the sound library's file but carry screen labels.
TEST(SpriteCommands, ScreenNumbersAreCheckedAsTheScreenCommandsCheckThem) {
    const std::string bad = U8(u8"スクリーン番号が不正です。");
    RunStops({
        {"$1 = 1; Sprite:Refresh(10); $1 = 2;", {bad}},
        {"$1 = 1; Sprite:Move(-1, 0, 0, 0, 0); $1 = 2;", {bad}},
        {"$1 = 1; Sound:PlayVideo(10, \"A.AVI\", SetRect(0, 0, 1, 1), 1); $1 = 2;", {bad}},
        // A screen that does not exist stops the command without a message.
        {"$1 = 1; Sprite:RefreshAll(4); $1 = 2;", {}},
        {"$1 = 1; Sprite:Hit(2, SetRect(0, 0, 0, 0)); $1 = 2;", {}},
        {"$1 = 1; Sound:PlayVideo(7, \"A.AVI\", SetRect(0, 0, 1, 1), 1); $1 = 2;", {}},
        {"$1 = 1; Sound:PlayVideo(1, \"" + std::string(300, 'A') +
             "\", SetRect(0, 0, 1, 1), 1); $1 = 2;",
         {U8(u8"ファイル名が長すぎます。")}},
        {"$1 = 1; Sound:StopVideo(); $1 = 2;",
         {U8(u8"関数(Screen:StopVideo)において引数が足りません。")}},
    });
}

TEST(CellCommands, RollTurnsTheSourceDiscOntoTheDestinationCentre) {
    MediaHost h;
    h.Write("MAKE.SNA", "Cell:Create(\\$1, 60, 24);");
    h.Run("MAKE");
    tagCELL* rolled = h.UserCell(1);
    ASSERT_NE(rolled, nullptr);
    tagCELL want{};
    ASSERT_EQ(ZEM_CreateCell(&want, 60, 24), 1);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 60; ++x) {
            ZEM_SetPixelCell(rolled, x, y, ZEMPIXEL(x + y * 64));
            ZEM_SetPixelCell(&want, x, y, ZEMPIXEL(x + y * 64));
        }
    h.Write("MAIN.SNA", "Cell:Roll(\\$1, SetRect(30, 1, 21, 23), SetRect(1, 0, 19, 23), 135);");
    h.Run("MAIN");
    // The same turn through the 2D library: from the disc of radius 9 around (10, 10) to the
    // one around (40, 12).
    ASSERT_EQ(ZEM_RollCell(&want, 40, 12, 10, 10, 9, 135), 1);
    int differing = 0, changed = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 60; ++x) {
            differing += ZEM_GetPixelCell(rolled, x, y) != ZEM_GetPixelCell(&want, x, y);
            changed += ZEM_GetPixelCell(&want, x, y) != ZEMPIXEL(x + y * 64);
        }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(changed, 200) << "the destination disc was drawn";
    ZEM_DeleteCell(&want);
}

// ---- sound ----

class SoundCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        capture_ = std::string(std::getenv("WYN_RUNTIME_DIR")) + "/sound_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".wav";
        ASSERT_EQ(WynPlat_SetAudioCapture(capture_.c_str()), 1);
        // The host starts the older sound library on screen 0's window.
        ASSERT_EQ(TOV_Start(nullptr), 1);
    }
    void TearDown() override {
        TOV_End();
        WynPlat_SetAudioCapture(nullptr);
    }
    // A 22050 Hz 8-bit mono wave of `n` samples alternating between `low` and `high`.
    void WriteWave(const MediaHost& h, const char* name, int n, uint8_t low, uint8_t high) {
        std::vector<uint8_t> samples(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) samples[size_t(i)] = (i / 50) % 2 ? high : low;
        tovtest::WriteWave(h.dir() / name, 22050, 8, 1, samples);
    }
    std::string capture_;
};

TEST_F(SoundCommands, APlayedWaveIsHeard) {
    MediaHost h;
    WriteWave(h, "TONE.WAV", 4410, 0x40, 0xC0);
    h.Write("MAIN.SNA",
            "Sound:ReadWAVE(\"TONE.WAV\", \\$1); $2 = Sound:PlayWAVE(-2, \\$1, 1, 0);"
            " $3 = Sound:StatusWAVE(2); Wait(1000); $4 = Sound:StatusWAVE(2);");
    Boxes boxes;
    h.Run("MAIN");
    WynPlat_AudioCatchUp();
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{});
    EXPECT_EQ(h.UserText(1), "{WAVE}");
    EXPECT_EQ(h.UserText(2), "2") << "the first free channel from 2";
    EXPECT_EQ(h.UserText(3), "1");
    EXPECT_EQ(h.UserText(4), "0") << "played once, over";
    std::vector<uint8_t> heard = ReadCapture8(capture_);
    std::multiset<uint8_t> values(heard.begin(), heard.end());
    EXPECT_GE(values.count(0x40), 4000u) << "both channels of the low half";
    EXPECT_GE(values.count(0xC0), 4000u) << "and of the high half";
}

TEST_F(SoundCommands, AMissingFileStopsTheTaskAndKeepsTheVariable) {
    MediaHost h;
    h.Write("MAIN.SNA", "$2 = 5; $1 = 1; Sound:ReadWAVE(\"NONE.WAV\", \\$2); $1 = 2;");
    Boxes boxes;
    h.Run("MAIN");
    EXPECT_EQ(h.UserText(1), "1");
    EXPECT_EQ(h.UserText(2), "5");
    EXPECT_GE(boxes.Count(), 1u) << "the file library says which file";
}

TEST_F(SoundCommands, AReplacedWaveIsFreedAndItsChannelStops) {
    MediaHost h;
    // Four seconds each: the counts read back stand while the script runs.
    WriteWave(h, "A.WAV", 4 * 22050, 0x50, 0xB0);
    WriteWave(h, "B.WAV", 4 * 22050, 0x60, 0xA0);
    h.Write("MAIN.SNA",
            "Sound:ReadWAVE(\"A.WAV\", \\$1); Sound:PlayWAVE(0, \\$1, -1, 0);"
            " $2 = Sound:StatusWAVE(0); Sound:ReadWAVE(\"B.WAV\", \\$1); $3 = Sound:StatusWAVE(0);"
            " $4 = Sound:PlayWAVEJUST(1, \\$1, 2, 0); $5 = Sound:StatusWAVE(-1);"
            " Sound:PauseWAVE(1, 1); Sound:SkipWAVE(1, 0); Sound:StopWAVE(-1);"
            " $6 = Sound:StatusWAVE(1); Sound:DeleteWAVE(\\$1); $7 = ValueType(\\$1);"
            " $8 = Sound:StatusCD(0) + Sound:StatusMIDI(0) + Sound:StatusVideo(0);");
    Boxes boxes;
    h.Run("MAIN");
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{});
    EXPECT_EQ(h.UserText(2), "-1") << "endless";
    EXPECT_EQ(h.UserText(3), "0") << "freeing the old wave stopped its channel";
    EXPECT_EQ(h.UserText(4), "1");
    EXPECT_EQ(h.UserText(5), "2");
    EXPECT_EQ(h.UserText(6), "0");
    EXPECT_EQ(h.UserText(7), "0");
    EXPECT_EQ(h.UserText(8), "0");
}

}  // namespace
