// The screen command library, called from scripts the way the host runs them (its windows
// made through the mailbox on the test's thread): numbers and existence, windows, zoom, the
// button face, text through the executor's engine, the button words and rectangles.
#include <set>
#include <string>

#include "vsk_host_support.h"
#include "zem33.h"

using namespace vsktest;

namespace {

LRESULT CALLBACK ScreenProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return DefWindowProcA(h, m, w, l);
}

class ScreenCommands : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        for (const char* name : {VSK_MAIN_CLASS, VSK_SUB_CLASS}) {
            WNDCLASSA wc{};
            wc.lpfnWndProc = ScreenProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = name;
            RegisterClassA(&wc);
        }
    }
    void SetUp() override { h.Link(fs::path(VSK_TEST_BIN_DIR) / "SCREEN.DLL", "SCREEN.DLL"); }
    void TearDown() override {
        // The windows the scripts made, and their 2D screens.
        for (int n = VSK_SCREENS - 1; n >= 0; --n) {
            tagVALUE* s = h.ctx()->vbsystem.lpvalue + VSK_SYS_SCREEN(n);
            if (auto* scr = static_cast<HZEMSCREEN>(VskPtr(s, 1))) ZEM_End(scr);
            if (auto* w = static_cast<HWND>(VskPtr(s, 0))) DestroyWindow(w);
            *s = tagVALUE{};
        }
    }
    // Runs the source as MAIN; the texts of the boxes it showed.
    std::vector<std::string> Run(const std::string& source) {
        h.Write("MAIN.SNA", source);
        Boxes boxes;
        h.Run("MAIN");
        return boxes.Texts();
    }
    HWND Window(int n) {
        return static_cast<HWND>(VskPtr(h.ctx()->vbsystem.lpvalue + VSK_SYS_SCREEN(n), 0));
    }
    HZEMSCREEN Screen(int n) {
        return static_cast<HZEMSCREEN>(VskPtr(h.ctx()->vbsystem.lpvalue + VSK_SYS_SCREEN(n), 1));
    }
    // A screen pixel as a ZEMPIXEL, whatever the display's depth.
    ZEMPIXEL Pixel(int n, int x, int y) {
        return ZEM_ColorToPixel(GetPixel(ZEM_GetDC(Screen(n)), x, y));
    }

    ScriptHost h;
};

const char kCreate0[] = "Screen:Create(0, SetRect(0, 0, 320, 240), SetRect(0, 0, 640, 480), 1);\n";

TEST_F(ScreenCommands, NumbersAndExistence) {
    const struct {
        const char* source;
        const char8_t* box;  // nullptr: none
    } kCases[] = {
        {"Screen:Create(3, SetRect(0,0,32,32), SetRect(0,0,32,32), 1);",
         u8"スクリーン 0 が生成されていません。"},
        {"Screen:Create(10, SetRect(0,0,32,32), SetRect(0,0,32,32), 1);",
         u8"スクリーン番号が不正です。"},
        {"Screen:Mode(-1, 0);", u8"スクリーン番号が不正です。"},
        {"Screen:Locate(10, 0, 0);", u8"スクリーン番号が不正です。"},
        {"$1 = 1; Screen:Mode(4, 0); $1 = 2;", nullptr},  // missing: stops without a message
    };
    for (const auto& c : kCases) {
        auto boxes = Run(c.source);
        if (c.box) {
            ASSERT_EQ(boxes.size(), 1u) << c.source;
            EXPECT_EQ(boxes[0], U8(c.box)) << c.source;
        } else {
            EXPECT_TRUE(boxes.empty()) << c.source;
            EXPECT_EQ(h.UserText(1), "1") << "the statement stopped the task";
        }
    }
    h.Write("MAIN.SNA", "Screen:Locate(-1, 0, 0);");
    Boxes named;
    h.Run("MAIN");
    ASSERT_EQ(named.Count(), 1u);
    EXPECT_EQ(named.All()[0].caption, "Screen:Text") << "the text commands' number message";
}

TEST_F(ScreenCommands, CreateTwiceModesPositionAndTheWindowsWords) {
    auto boxes = Run(std::string(kCreate0) +
                     "Screen:Create(2, SetRect(10, 20, 64, 48), SetRect(0, 0, 64, 48), 1);\n"
                     "$1 = VSKTEST:WORDS(100); $2 = VSKTEST:WORDS(72); $3 = #50; $4 = #59;"
                     " $5 = #30; $6 = #70; $7 = #60;\n"
                     "Screen:Mode(0, 2); Screen:Mode(0, 4); Screen:Mode(0, 5); Screen:Mode(0, 6);"
                     " Screen:Mode(0, 50); Screen:Mode(0, -7); $8 = VSKTEST:WORDS(100);"
                     " Screen:Mode(0, 7);\n"
                     "Screen:Position(2, -100, 99999);\n"
                     "Screen:Title(2, \"題名\");\n"
                     "Screen:Create(0, SetRect(0,0,32,32), SetRect(0,0,32,32), 1); $9 = 1;");
    ASSERT_EQ(boxes.size(), 1u);
    // With screen 0's window the task library's box names the script, task and line first.
    const std::string twice = U8(u8"\tスクリーン 0 はすでに生成されています。");
    ASSERT_GE(boxes[0].size(), twice.size());
    EXPECT_EQ(boxes[0].substr(boxes[0].size() - twice.size()), twice) << boxes[0];
    EXPECT_EQ(h.UserText(9), "NULL") << "the task stopped";
    EXPECT_EQ(h.UserText(1), "\"1,0,100,100\"");
    EXPECT_EQ(h.UserText(2), "\"0,0,64,48\"") << "shown part of screen 2";
    EXPECT_EQ(h.UserText(3), "\"FixedSys\"");
    EXPECT_EQ(h.UserText(4), "\"FixedSys\"") << "screen 0 sets the cell target's too";
    EXPECT_EQ(h.UserText(5), "{0,0,9,18}");
    EXPECT_EQ(h.UserText(6), "{0,0,320,240}");
    EXPECT_EQ(h.UserText(7), "{0,0,640,480}");
    EXPECT_EQ(h.UserText(8), "\"0,0,100,100\"") << "auto refresh off";
    ASSERT_NE(Window(0), nullptr);
    ASSERT_NE(Window(2), nullptr);
    EXPECT_EQ(h.ctx()->hwnd, Window(0));
    EXPECT_EQ(Screen(2)->parent, Screen(0)) << "a sub screen of screen 0";
    EXPECT_TRUE(IsWindowVisible(Window(0))) << "modes 2, 4, 5, 6 and 50 change nothing";
    EXPECT_EQ(Screen(0)->mask, 1);
    RECT r{};
    GetWindowRect(Window(2), &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, GetSystemMetrics(SM_CYSCREEN) - 32);
    char title[64] = {};
    GetWindowTextA(Window(2), title, sizeof title);
    EXPECT_EQ(Utf8(title), U8(u8"題名"));
    EXPECT_EQ(h.served[VSK_HOST_SOUNDSTART], 1) << "the sound library starts on screen 0";
}

TEST_F(ScreenCommands, ZoomCursorLockAndInfo) {
    auto boxes = Run(std::string("$1 = Screen:Info(0, 0); $2 = Screen:Info(0, 1);\n") + kCreate0 +
                     "Screen:Zoom(0, SetRect(0, 0, 640, 480), SetRect(0, 0, 320, 240));"
                     " $3 = VSKTEST:WORDS(100);\n"
                     "Screen:Zoom(0, SetRect(0, 0, 640, 480), SetRect(0, 0, 0, 240));"
                     " $4 = VSKTEST:WORDS(100);\n"
                     "Screen:Cursor(0, \"\"); $5 = VSKTEST:WORDS(20);\n"
                     "Screen:Cursor(0, \"none.cur\"); Screen:Cursor(0, \"\");"
                     " $6 = VSKTEST:WORDS(20);\n"
                     "Screen:Lock(0, SetRect(10, 10, 50, 40));");
    EXPECT_TRUE(boxes.empty()) << boxes[0];
    EXPECT_EQ(h.UserText(1), "{0,0," + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "," +
                                 std::to_string(GetSystemMetrics(SM_CYSCREEN)) + "}")
        << "no screen needed";
    EXPECT_EQ(h.UserText(2), "NULL");
    EXPECT_EQ(h.UserText(3), "\"1,0,200,200\"");
    EXPECT_EQ(h.UserText(4), "\"1,0,200,200\"") << "a source without width changes nothing";
    auto word3 = [](const std::string& words) { return words.substr(words.rfind(',') + 1); };
    EXPECT_EQ(word3(h.UserText(5)), "0\"") << "\"\" is the name CREATE left: nothing loaded";
    EXPECT_NE(word3(h.UserText(6)), "0\"") << "the arrow after another name";
    RECT clip{};
    GetClipCursor(&clip);
    POINT corner{20, 20};  // (10, 10) at 200 %
    ClientToScreen(Window(0), &corner);
    EXPECT_EQ(clip.left, corner.x);
    EXPECT_EQ(clip.top, corner.y);
    EXPECT_EQ(clip.right - clip.left, 100);
    EXPECT_EQ(clip.bottom - clip.top, 80);
    h.Write("MAIN.SNA", "Screen:Lock(0, SetRect(0, 0, 0, 0));");
    h.Run("MAIN");
    GetClipCursor(&clip);
    EXPECT_EQ(clip.right - clip.left, GetSystemMetrics(SM_CXSCREEN)) << "freed";
}

// Icon and cursor files made by the picture maker: read as 32 x 32 pictures, kept in the
// screen's words 2 and 3 and set as its class's icon and cursor; a cursor named twice is read
// once; the next icon or cursor destroys the last; a missing file stores the null handle.
TEST_F(ScreenCommands, IconAndCursorFilesAreReadKeptAndReplaced) {
    h.Link(fs::path(VSK_TEST_BIN_DIR) / "vsk.ico", "VSK.ICO");
    h.Link(fs::path(VSK_TEST_BIN_DIR) / "pointer.cur", "POINTER.CUR");
    auto word = [&](int k) {
        return reinterpret_cast<HICON>(
            uintptr_t(h.ctx()->vbsystem.lpvalue[VSK_SYS_SCREEN(0)].word[k]));
    };
    auto boxes = Run(std::string(kCreate0) + "Screen:Icon(0, \"VSK.ICO\");" +
                     " Screen:Cursor(0, \"POINTER.CUR\");");
    EXPECT_TRUE(boxes.empty()) << boxes[0];
    HICON icon = word(2);
    HCURSOR cursor = word(3);
    ASSERT_NE(icon, nullptr);
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(GetClassLongPtrA(Window(0), GCLP_HICON), reinterpret_cast<ULONG_PTR>(icon));
    EXPECT_EQ(GetClassLongPtrA(Window(0), GCLP_HCURSOR), reinterpret_cast<ULONG_PTR>(cursor));
    EXPECT_EQ(GetCursor(), cursor);
    // The pictures: clear in the corner (the colour key), drawn in the middle; the pointer's hot
    // spot where the description puts it.
    for (HICON handle : {icon, static_cast<HICON>(cursor)}) {
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(handle, &info));
        BITMAP bm{};
        ASSERT_EQ(GetObjectA(info.hbmColor, sizeof bm, &bm), int(sizeof bm));
        EXPECT_EQ(bm.bmWidth, 32);
        EXPECT_EQ(bm.bmHeight, 32);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, info.hbmMask);
        EXPECT_NE(GetPixel(dc, 31, 31) & 0xFFFFFF, 0u) << "clear in the corner";
        EXPECT_EQ(GetPixel(dc, handle == icon ? 16 : 3, handle == icon ? 16 : 8) & 0xFFFFFF, 0u)
            << "drawn inside";
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        EXPECT_EQ(info.fIcon, handle == icon ? TRUE : FALSE);
        if (handle != icon) {
            EXPECT_EQ(info.xHotspot, 1u);
            EXPECT_EQ(info.yHotspot, 1u);
        }
    }
    // The same cursor again loads nothing; another icon and the arrow destroy the last ones; a
    // missing icon file leaves the null handle as the class's icon.
    Run("Screen:Cursor(0, \"POINTER.CUR\");");
    EXPECT_EQ(word(3), cursor) << "read once";
    Run("Screen:Icon(0, \"VSK.ICO\"); Screen:Cursor(0, \"\");");
    EXPECT_NE(word(2), nullptr);
    EXPECT_NE(word(2), icon);
    EXPECT_FALSE(DestroyIcon(icon)) << "the first icon was destroyed by the second";
    EXPECT_FALSE(DestroyCursor(cursor)) << "the pointer was destroyed by the arrow";
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
    Run("Screen:Icon(0, \"NONE.ICO\");");
    EXPECT_EQ(word(2), nullptr);
    EXPECT_EQ(GetClassLongPtrA(Window(0), GCLP_HICON), 0u);
}

TEST_F(ScreenCommands, ClearWithMinusOnePaintsTheButtonFace) {
    auto boxes = Run(std::string(kCreate0) +
                     "Screen:Clear(0, SetRect(0, 0, 20, 20), -1);"
                     " Screen:Clear(0, SetRect(20, 0, 20, 20), 0x7C00);"
                     " Screen:Line(0, 0, 30, 40, 30, 0x001F);");
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Pixel(0, 5, 5), ZEM_ColorToPixel(GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(Pixel(0, 25, 5), 0x7C00);
    EXPECT_EQ(Pixel(0, 10, 30), 0x001F);
    EXPECT_EQ(Pixel(0, 45, 5), 0);
}

TEST_F(ScreenCommands, TextAndStringDrawWithTheScreensSettings) {
    auto boxes = Run(std::string(kCreate0) +
                     "Screen:Color(0, 0x7C00, 0); Screen:Locate(0, 1, 0);"
                     " Screen:Text(0, SetRect(0, 0, 90, 36), \"A\", 12);"
                     " $1 = #30;\n"
                     "Screen:String(0, SetRect(0, 40, 200, 18), 0x001F, 0x110, \"####\"); $2 = #30;"
                     " $3 = VSKTEST:WORDS(40);");
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(h.UserText(1), "{4,0,9,18}") << "\"A\" and \"12\" from column 1";
    EXPECT_EQ(h.UserText(2), "{4,0,9,18}") << "the string moves no cursor";
    EXPECT_EQ(h.UserText(3), "\"31744,0,0,272\"");
    std::set<ZEMPIXEL> text, string;
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 36; ++x) {
            text.insert(Pixel(0, 9 + x, y));
            string.insert(Pixel(0, x, 40 + y));
        }
    EXPECT_EQ(text, (std::set<ZEMPIXEL>{0, 0x7C00}));
    EXPECT_EQ(string, (std::set<ZEMPIXEL>{0, 0x001F}));
    EXPECT_EQ(Pixel(0, 4, 4), 0) << "column 0 left empty";
}

TEST_F(ScreenCommands, ButtonWordsAndRectangles) {
    auto boxes =
        Run(std::string(kCreate0) +
            "$1 = Screen:ClickLeft(0,); $2 = Screen:Triger(0, -1);"
            " $3 = Screen:Triger(0, 3); $4 = Screen:Triger(0, 0); $5 = Screen:Button(0, 0);"
            " $6 = Screen:Button(0, 7); $7 = Screen:Triger(0, 5);\n"
            "$20 = 5; $21 = SetRect(-32768, -32768, 10, 10); $22 = SetRect(0, 0, 9, 9);\n"
            "$8 = Screen:CheckRect(0, \\$20, 3, 1, 1);"
            " $9 = Screen:CheckRect(0, \\$22, 1, 1, 1);\n"
            "$10 = Screen:GetArcPos(0, SetRect(0, 0, 100, 50), 90);"
            " $11 = Screen:Mouse(0); Screen:Drag();");
    EXPECT_TRUE(boxes.empty()) << boxes[0];
    EXPECT_EQ(h.UserText(1), "0");
    EXPECT_EQ(h.UserText(2), "0");
    EXPECT_EQ(h.UserText(3), "{-32767,-32767,0,0}");
    EXPECT_EQ(h.UserText(4), "0");
    EXPECT_EQ(h.UserText(5), "0");
    EXPECT_EQ(h.UserText(6), "NULL") << "another code gives an empty result";
    EXPECT_EQ(h.UserText(7), "NULL");
    EXPECT_EQ(h.UserText(8), "1") << "the number at $20 is skipped";
    EXPECT_EQ(h.UserText(9), "-1");
    EXPECT_EQ(h.UserText(10), "{100,25,0,0}");
    EXPECT_EQ(h.UserText(11).substr(0, 1), "{");
}

}  // namespace
