// Resources by module and name, and modal dialog boxes from templates: driven headless by a
// script (the procedure's messages in order, EndDialog's value returned, the final state
// logged), bad templates and unknown controls refused without a crash or a hang, and the
// dialog drawn on a desktop with its Japanese labels (when a display is there).
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <commctrl.h>
#include <commdlg.h>
#include <windows.h>
#include <wynplat.h>

#include "../../common/png_read.h"
#include "../../common/program_output.h"
#include "dialog_resources.h"

extern "C" int BIG5LIB_Declare();
extern "C" int BIG5LIB_Draw(HDC dc, RECT* r);

namespace {

using programrun::ReadText;

using namespace dlgtest;

struct BadTemplate {
    const char* name;
    const char* text;
};
const BadTemplate kBad[] = {
    {"BAD_EMPTY", ""},
    {"BAD_NODIALOG", "CAPTION \"x\"\n"},
    {"BAD_LATEDIALOG", "CONTROL BUTTON 1 \"OK\" 0 0 10 10\nDIALOG 0 0 10 10\n"},
    {"BAD_TWODIALOGS", "DIALOG 0 0 10 10\nDIALOG 0 0 10 10\n"},
    {"BAD_NUMBER", "DIALOG 0 0 1x 10\n"},
    {"BAD_HUGE", "DIALOG 0 0 99999999999999999999 10\n"},
    {"BAD_QUOTE", "DIALOG 0 0 10 10\nCAPTION \"unterminated\n"},
    {"BAD_KIND", "DIALOG 0 0 10 10\nCONTROL SLIDER 1 \"\" 0 0 10 10\n"},
    {"BAD_FLAG", "DIALOG 0 0 10 10\nCONTROL BUTTON 1 \"OK\" 0 0 10 10 BLINKING\n"},
    {"BAD_SHORT", "DIALOG 0 0 10 10\nCONTROL BUTTON 1 \"OK\" 0 0\n"},
    {"BAD_ID", "DIALOG 0 0 10 10\nCONTROL BUTTON 70000 \"OK\" 0 0 10 10\n"},
    {"BAD_STATEMENT", "DIALOG 0 0 10 10\nMENU 1\n"},
};

std::vector<WynResource> MakeTable() {
    std::vector<WynResource> t = {
        {RT_DIALOG, "SETTINGS", kSettings, sizeof kSettings - 1},
        {RT_DIALOG, MAKEINTRESOURCEA(77), kSettings, sizeof kSettings - 1},
        {RT_GROUP_ICON, "dsktopicon", nullptr, 0},
        {RT_GROUP_CURSOR, "handcursor", "hand", 4},
        {RT_BITMAP, "redpixel", kRedPixel, sizeof kRedPixel},
        {RT_BITMAP, "brokenbitmap", "BMnot", 5},
    };
    for (const BadTemplate& b : kBad) t.push_back({RT_DIALOG, b.name, b.text, std::strlen(b.text)});
    return t;
}
const std::vector<WynResource>& Table() {
    static const std::vector<WynResource> t = MakeTable();
    return t;
}
const int kRegistered =
    WynPlat_AddResources(&kBad, Table().data(), static_cast<int>(Table().size()));

TEST(Resources, FoundByModuleAndNameMissingOnesFail) {
    ASSERT_EQ(kRegistered, 1);
    HINSTANCE self = GetModuleHandleA(nullptr);
    EXPECT_EQ(WynPlat_ModuleOfAddress(&kBad), self);
    EXPECT_NE(LoadIconA(self, "dsktopicon"), nullptr);
    EXPECT_EQ(LoadIconA(self, "DSKTOPICON"), LoadIconA(self, "dsktopicon")) << "names without case";
    EXPECT_EQ(LoadCursorA(self, "handcursor"), LoadCursorA(nullptr, IDC_HAND));
    EXPECT_NE(LoadImageA(self, "dsktopicon", IMAGE_ICON, 0, 0, 0), nullptr);
    HBITMAP red =
        static_cast<HBITMAP>(LoadImageA(self, "redpixel", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(red, nullptr);
    BITMAP bm{};
    ASSERT_TRUE(GetObjectA(red, sizeof bm, &bm));
    EXPECT_EQ(bm.bmWidth, 1);
    EXPECT_EQ(bm.bmHeight, 1);
    DeleteObject(red);

    struct Missing {
        const char* what;
        HANDLE got;
        DWORD error;
    };
    SetLastError(0);
    HANDLE icon = LoadIconA(self, "TinyIcon");
    DWORD iconError = GetLastError();
    HANDLE cursor = LoadCursorA(self, "nocursor");
    DWORD cursorError = GetLastError();
    HANDLE bitmap = LoadImageA(self, "nobitmap", IMAGE_BITMAP, 0, 0, 0);
    DWORD bitmapError = GetLastError();
    HANDLE broken = LoadImageA(self, "brokenbitmap", IMAGE_BITMAP, 0, 0, 0);
    HANDLE otherModule = LoadIconA(reinterpret_cast<HINSTANCE>(0x1234), "dsktopicon");
    const Missing cases[] = {
        {"icon", icon, iconError},
        {"cursor", cursor, cursorError},
        {"bitmap", bitmap, bitmapError},
    };
    for (const Missing& c : cases) {
        EXPECT_EQ(c.got, nullptr) << c.what;
        EXPECT_EQ(c.error, static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND)) << c.what;
    }
    EXPECT_EQ(broken, nullptr) << "a resource that is not a picture";
    EXPECT_EQ(otherModule, nullptr) << "resources belong to their module";
    EXPECT_EQ(DialogBoxParamA(self, "NOSUCHDIALOG", nullptr, nullptr, 0), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    // Standard shapes still come without a module.
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
}

// ---- the scripted dialog ----

struct Seen {
    UINT message;
    int id;    // control id (WM_COMMAND) or trackbar id (WM_HSCROLL)
    int code;  // notification or scroll code
    int value;
};
std::vector<Seen> g_seen;
HWND g_owner = nullptr;
BOOL g_ownerEnabledInside = TRUE;
struct Final {
    UINT normal, expert, multi;
    LRESULT detail, volume;
} g_final{};

INT_PTR CALLBACK SettingsProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    switch (m) {
        case WM_INITDIALOG: {
            g_seen.push_back({m, 0, 0, static_cast<int>(l)});
            g_ownerEnabledInside = g_owner ? IsWindowEnabled(g_owner) : TRUE;
            const char* rows[] = {"最低", "低", "普通※", "高"};
            for (const char* r : rows)
                SendDlgItemMessageA(h, kDetail, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(r));
            SendDlgItemMessageA(h, kDetail, CB_SETCURSEL, 2, 0);
            SendDlgItemMessageA(h, kVolume, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
            SendDlgItemMessageA(h, kVolume, TBM_SETTICFREQ, 10, 0);
            SendDlgItemMessageA(h, kVolume, TBM_SETPOS, TRUE, 80);
            CheckRadioButton(h, kNormal, kExpert, kNormal);
            CheckDlgButton(h, kMulti, BST_UNCHECKED);
            return TRUE;
        }
        case WM_COMMAND:
            g_seen.push_back(
                {m, LOWORD(w), HIWORD(w), l == reinterpret_cast<LPARAM>(GetDlgItem(h, LOWORD(w)))});
            if (LOWORD(w) == kSet) {
                g_final = {IsDlgButtonChecked(h, kNormal), IsDlgButtonChecked(h, kExpert),
                           IsDlgButtonChecked(h, kMulti),
                           SendDlgItemMessageA(h, kDetail, CB_GETCURSEL, 0, 0),
                           SendDlgItemMessageA(h, kVolume, TBM_GETPOS, 0, 0)};
                EndDialog(h, 42);
            } else if (LOWORD(w) == kCancel || LOWORD(w) == IDCANCEL) {
                EndDialog(h, 0);
            }
            return TRUE;
        case WM_HSCROLL: {
            HWND bar = reinterpret_cast<HWND>(l);
            g_seen.push_back({m, GetDlgCtrlID(bar), LOWORD(w),
                              static_cast<int>(SendMessageA(bar, TBM_GETPOS, 0, 0))});
            char label[64];
            std::snprintf(label, sizeof label, "%d%%",
                          static_cast<int>(SendMessageA(bar, TBM_GETPOS, 0, 0)));
            SetDlgItemTextA(h, kLabel, label);
            return TRUE;
        }
        default:
            return FALSE;
    }
}

class Dialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(kRegistered, 1);
        g_seen.clear();
        g_final = {};
        const char* dir = std::getenv("WYN_RUNTIME_DIR");
        ASSERT_NE(dir, nullptr);
        std::string mk = std::string("mkdir -p '") + dir + "'";
        ASSERT_EQ(std::system(mk.c_str()), 0);
        log = std::string(dir) + "/" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log";
        std::remove(log.c_str());
        WynPlat_SetDialogLog(log.c_str());
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&icc));
    }
    std::string log;
};

TEST_F(Dialogs, AScriptDrivesTheDialogAndEndDialogsValueIsReturned) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "DialogOwner";
    RegisterClassA(&wc);
    g_owner = CreateWindowExA(0, "DialogOwner", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                              400, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(g_owner, nullptr);
    WynPlat_SetDialogScript(
        "click 102; check 211; select 401 3\ntrack 511 55; check 211 1; click 900");
    INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), "SETTINGS", g_owner, SettingsProc, 1234);
    EXPECT_EQ(r, 42);
    EXPECT_FALSE(g_ownerEnabledInside) << "the owner is disabled while the dialog runs";
    EXPECT_TRUE(IsWindowEnabled(g_owner)) << "and enabled again after";

    const Seen expected[] = {
        {WM_INITDIALOG, 0, 0, 1234},
        {WM_COMMAND, kExpert, BN_CLICKED, 1},
        {WM_COMMAND, kMulti, BN_CLICKED, 1},
        {WM_COMMAND, kDetail, CBN_SELCHANGE, 1},
        {WM_HSCROLL, kVolume, TB_THUMBTRACK, 55},
        {WM_HSCROLL, kVolume, TB_ENDTRACK, 55},
        {WM_COMMAND, kSet, BN_CLICKED, 1},
    };
    ASSERT_EQ(g_seen.size(), std::size(expected))
        << "\"check 211 1\" on a checked box sends nothing";
    for (size_t i = 0; i < g_seen.size(); ++i) {
        EXPECT_EQ(g_seen[i].message, expected[i].message) << "message " << i;
        EXPECT_EQ(g_seen[i].id, expected[i].id) << "message " << i;
        EXPECT_EQ(g_seen[i].code, expected[i].code) << "message " << i;
        EXPECT_EQ(g_seen[i].value, expected[i].value) << "message " << i;
    }
    EXPECT_EQ(g_final.normal, static_cast<UINT>(BST_UNCHECKED))
        << "radio buttons of a group exclude each other";
    EXPECT_EQ(g_final.expert, static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(g_final.multi, static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(g_final.detail, 3);
    EXPECT_EQ(g_final.volume, 55);

    std::string state = ReadText(log);
    // The log is UTF-8 whatever the texts' code page.
    const char8_t* lines[] = {u8"dialog \"SETTINGS\" ended 42",
                              u8"102 radio checked \"エキスパート\"",
                              u8"101 radio unchecked",
                              u8"211 check checked",
                              u8"401 combo sel 3 \"高\"",
                              u8"511 trackbar pos 55",
                              u8"501 text \"55%\""};
    for (const char8_t* l : lines) {
        const char* line = reinterpret_cast<const char*>(l);
        EXPECT_NE(state.find(line), std::string::npos) << line << "\n" << state;
    }
    DestroyWindow(g_owner);
    g_owner = nullptr;
}

TEST_F(Dialogs, WithoutActionsAHeadlessDialogIsCancelled) {
    WynPlat_SetDialogScript(nullptr);
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(77), nullptr, SettingsProc, 0), 0)
        << "by number, cancelled";
    ASSERT_EQ(g_seen.size(), 2u);
    EXPECT_EQ(g_seen[1].id, IDCANCEL);
    // A procedure that ignores the cancel cannot hold the program either.
    auto deaf = [](HWND, UINT m, WPARAM, LPARAM) -> INT_PTR { return m == WM_INITDIALOG; };
    EXPECT_EQ(DialogBoxParamA(nullptr, "SETTINGS", nullptr, deaf, 0), IDCANCEL);
    // "end" closes the first dialog's turn; the rest go to the next dialog.
    WynPlat_SetDialogScript("end; click 901");
    g_seen.clear();
    EXPECT_EQ(DialogBoxParamA(nullptr, "settings", nullptr, SettingsProc, 0), 0);
    EXPECT_EQ(g_seen.back().id, IDCANCEL);
    g_seen.clear();
    EXPECT_EQ(DialogBoxParamA(nullptr, "settings", nullptr, SettingsProc, 0), 0);
    EXPECT_EQ(g_seen.back().id, kCancel);
}

TEST_F(Dialogs, MalformedTemplatesAreRefused) {
    bool called = false;
    static bool* calledPtr;
    calledPtr = &called;
    auto proc = [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR {
        *calledPtr = true;
        return FALSE;
    };
    for (const BadTemplate& b : kBad) {
        called = false;
        SetLastError(0);
        EXPECT_EQ(DialogBoxParamA(nullptr, b.name, nullptr, proc, 0), -1) << b.name;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA)) << b.name;
        EXPECT_FALSE(called) << b.name;
    }
    // Too many controls.
    std::string many = "DIALOG 0 0 100 100\n";
    for (int i = 0; i < 300; ++i) many += "CONTROL LTEXT " + std::to_string(i) + " \"x\" 0 0 5 5\n";
    static std::string keep;
    keep = many;
    static const WynResource extra[] = {{RT_DIALOG, "BAD_MANY", nullptr, 0}};
    WynResource r = extra[0];
    r.data = keep.data();
    r.size = keep.size();
    static WynResource table[1];
    table[0] = r;
    ASSERT_EQ(WynPlat_AddResources(&kBad, table, 1), 1);
    EXPECT_EQ(DialogBoxParamA(nullptr, "BAD_MANY", nullptr, proc, 0), -1);
}

TEST_F(Dialogs, UnknownControlsAndBadCallsGiveZero) {
    auto probe = [](HWND h, UINT m, WPARAM, LPARAM) -> INT_PTR {
        if (m != WM_INITDIALOG) return FALSE;
        EXPECT_EQ(GetDlgItem(h, 999), nullptr);
        EXPECT_EQ(SendDlgItemMessageA(h, 999, BM_GETCHECK, 0, 0), 0);
        EXPECT_FALSE(CheckDlgButton(h, 999, BST_CHECKED));
        EXPECT_EQ(IsDlgButtonChecked(h, 999), 0u);
        EXPECT_FALSE(SetDlgItemTextA(h, 999, "x"));
        char buf[8] = "zz";
        EXPECT_EQ(GetDlgItemTextA(h, 999, buf, sizeof buf), 0u);
        EXPECT_EQ(buf[0], 0);
        EXPECT_TRUE(CheckRadioButton(h, 990, 999, 995));
        EXPECT_EQ(SendDlgItemMessageA(h, kDetail, CB_SETCURSEL, 9, 0), CB_ERR);
        EXPECT_EQ(SendDlgItemMessageA(h, kDetail, CB_GETLBTEXT, 9, 0), CB_ERR);
        EXPECT_EQ(SendDlgItemMessageA(h, kDetail, CB_GETLBTEXTLEN, static_cast<WPARAM>(-1), 0),
                  CB_ERR);
        EXPECT_EQ(SendDlgItemMessageA(h, kDetail, CB_ADDSTRING, 0, 0), CB_ERR) << "no text";
        EXPECT_EQ(SendDlgItemMessageA(h, kNormal, CB_GETCOUNT, 0, 0), CB_ERR)
            << "a button is no combo box";
        SendDlgItemMessageA(h, kVolume, TBM_SETRANGE, FALSE, MAKELPARAM(0, 10));
        SendDlgItemMessageA(h, kVolume, TBM_SETPOS, TRUE, 500);
        EXPECT_EQ(SendDlgItemMessageA(h, kVolume, TBM_GETPOS, 0, 0), 10)
            << "positions are kept in range";
        EXPECT_FALSE(EnableWindow(GetDlgItem(h, kSet), FALSE));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, kSet)));
        return TRUE;
    };
    WynPlat_SetDialogScript(nullptr);
    EXPECT_EQ(DialogBoxParamA(nullptr, "SETTINGS", nullptr, probe, 0), IDCANCEL);
    // Script actions on controls that do not exist, or on a disabled button, are skipped.
    auto disabledSet = [](HWND h, UINT m, WPARAM w, LPARAM) -> INT_PTR {
        if (m == WM_INITDIALOG) EnableWindow(GetDlgItem(h, kSet), FALSE);
        if (m == WM_COMMAND && LOWORD(w) == kSet) ADD_FAILURE() << "a disabled button was clicked";
        if (m == WM_COMMAND && LOWORD(w) == kCancel) EndDialog(h, 5);
        return m == WM_INITDIALOG;
    };
    WynPlat_SetDialogScript(
        "click 999; select 998 1; track 997 5; frobnicate 900; click 900; click 901");
    EXPECT_EQ(DialogBoxParamA(nullptr, "SETTINGS", nullptr, disabledSet, 0), 5);
    EXPECT_FALSE(EndDialog(reinterpret_cast<HWND>(0x1234), 1));
    EXPECT_EQ(GetDlgItem(nullptr, 1), nullptr);
    EXPECT_FALSE(EnableWindow(reinterpret_cast<HWND>(0x1234), TRUE));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(192, 192, 192));
    INITCOMMONCONTROLSEX wrong{3, ICC_BAR_CLASSES};
    EXPECT_FALSE(InitCommonControlsEx(&wrong));
}

// ---- file dialogs ----

class FileDialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string dir = std::string(std::getenv("WYN_RUNTIME_DIR")) + "/files";
        std::string mk = "mkdir -p '" + dir + "'";
        ASSERT_EQ(std::system(mk.c_str()), 0);
        std::ofstream(dir + "/pic.bmp") << "x";
        char buf[1024];
        ASSERT_TRUE(WynPlat_ToSystemPath(dir.c_str(), buf, sizeof buf));
        folder = buf;
        ofn = OPENFILENAMEA{};
        ofn.lStructSize = sizeof ofn;
        ofn.lpstrFilter = "Pictures\0*.bmp\0All\0*.*\0\0";
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = file;
        ofn.nMaxFile = sizeof file;
        ofn.lpstrFileTitle = title;
        ofn.nMaxFileTitle = sizeof title;
        ofn.lpstrInitialDir = folder.c_str();
        file[0] = title[0] = 0;
    }
    std::string folder;
    OPENFILENAMEA ofn{};
    char file[256];
    char title[64];
};

TEST_F(FileDialogs, ScriptedAnswersFillTheRecord) {
    WynPlat_SetFileDialogAnswers("pic.bmp; missing.bmp; cancel; newname");
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(std::string(file), folder + "\\pic.bmp");
    EXPECT_STREQ(title, "pic.bmp");
    EXPECT_EQ(ofn.nFileOffset, folder.size() + 1);
    EXPECT_EQ(std::string(file + ofn.nFileExtension), "bmp");
    EXPECT_FALSE(GetOpenFileNameA(&ofn)) << "a file that must exist and does not";
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_FALSE(GetSaveFileNameA(&ofn)) << "cancel";
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    ofn.lpstrDefExt = "bmp";
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    EXPECT_EQ(std::string(file), folder + "\\newname.bmp") << "the default extension is added";
    EXPECT_FALSE(GetOpenFileNameA(&ofn)) << "no answer left: cancelled headless";
}

TEST_F(FileDialogs, BadRecordsAndSmallBuffers) {
    WynPlat_SetFileDialogAnswers("C:\\a\\rather\\long\\name\\for\\a\\small\\buffer.bmp; pic.bmp");
    char small[8] = {};
    ofn.lpstrFile = small;
    ofn.nMaxFile = sizeof small;
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
    EXPECT_GT(static_cast<unsigned char>(small[0]) | (static_cast<unsigned char>(small[1]) << 8),
              8);
    ofn.lStructSize = 12;
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_STRUCTSIZE));
    EXPECT_FALSE(GetOpenFileNameA(nullptr));
    WynPlat_SetFileDialogAnswers(nullptr);
}

// ---- on a desktop ----

TEST(DialogDesktop, DrawnWithItsControlsAndJapaneseLabels) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        GTEST_SKIP() << "no display (the test script provides a virtual one)";
    std::string dir = std::getenv("WYN_RUNTIME_DIR");
    std::string png = dir + "/dialog-desktop.png";
    std::remove(png.c_str());
    std::string cmd = "mkdir -p '" + dir +
                      "' && env -u WYN_HEADLESS WYN_BACKEND=sdl ASAN_OPTIONS=detect_leaks=0 "
                      "timeout 60 ./plat_dialogdemo '" +
                      png + "'";
    int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << cmd;
    ASSERT_EQ(WEXITSTATUS(status), 7) << cmd;
    Png shot;
    ASSERT_TRUE(ReadPng(png, &shot)) << png;
    const int w = shot.w, h = shot.h;
    const std::vector<uint32_t>& px = shot.px;
    // The client area is the template's 200 x 120 dialog units at the font's base units.
    EXPECT_GT(w, 200);
    EXPECT_GT(h, 120);
    auto dark = [&](int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = std::max(0, y0); y < std::min(h, y1); ++y)
            for (int x = std::max(0, x0); x < std::min(w, x1); ++x)
                n += px[static_cast<size_t>(y) * w + x] == 0;
        return n;
    };
    EXPECT_EQ(px[static_cast<size_t>(h - 2) * w + 2], 0xC0C0C0u) << "the dialog's face";
    // Text in black where the labels stand: the group's title, the radio labels, the buttons.
    int ux = w * 4 / 200, uy = h * 8 / 120;  // pixels of 4 and 8 dialog units, roughly
    EXPECT_GT(dark(ux * 2, 0, w / 2, uy * 2), 10) << "group box title";
    EXPECT_GT(dark(ux * 4, uy * 3 / 2, w / 2, uy * 5), 20) << "radio labels";
    EXPECT_GT(dark(w * 60 / 200, h * 96 / 120, w, h), 20) << "buttons";
}

// A scripted answer closes a box on a desktop too: the box is shown (and photographed), then
// closed with that answer, or with the safe one when the answer is none of its buttons.
TEST(DialogDesktop, ScriptedAnswersCloseMessageBoxesAfterShowingThem) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        GTEST_SKIP() << "no display (the test script provides a virtual one)";
    struct Case {
        const char* answers;
        int exit;
        const char* logged;
    };
    const Case cases[] = {
        {"7", IDNO, "-> 7 (desktop, scripted)"},
        {"4", IDCANCEL, "-> 2 (desktop, scripted answer not a button; default)"},
    };
    std::string dir = std::getenv("WYN_RUNTIME_DIR");
    for (const Case& c : cases) {
        std::string png = dir + "/box-desktop.png", log = dir + "/box-desktop.log";
        std::remove(png.c_str());
        std::remove(log.c_str());
        std::string cmd = "mkdir -p '" + dir +
                          "' && env -u WYN_HEADLESS WYN_BACKEND=sdl ASAN_OPTIONS=detect_leaks=0 "
                          "WYN_MSGBOX_ANSWERS=" +
                          c.answers + " WYN_MSGBOX_LOG='" + log + "' WYN_SCREENSHOT='" + png +
                          "' timeout 60 ./plat_dialogdemo box";
        int status = std::system(cmd.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << cmd;
        EXPECT_EQ(WEXITSTATUS(status), c.exit) << cmd;
        std::ifstream in(log);
        std::string logged((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_NE(logged.find(std::string("Box test: Save the stage first?\nIt has not been "
                                          "saved. ") +
                              c.logged),
                  std::string::npos)
            << logged;
        Png shot;
        ASSERT_TRUE(ReadPng(png, &shot)) << "the box was on the screen: " << png;
        const int w = shot.w, h = shot.h;
        const std::vector<uint32_t>& px = shot.px;
        int dark = 0;
        for (uint32_t p : px) dark += p == 0;
        EXPECT_EQ(px[static_cast<size_t>(h - 2) * w + 2], 0xC0C0C0u) << "the box's face";
        EXPECT_GT(dark, 100) << "its text and buttons";
    }
}

TEST(DialogDesktop, TheFileChooserListsTheFolderThroughItsFilter) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        GTEST_SKIP() << "no display (the test script provides a virtual one)";
    std::string dir = std::string(std::getenv("WYN_RUNTIME_DIR")) + "/chooser";
    ASSERT_EQ(std::system(("mkdir -p '" + dir + "'").c_str()), 0);
    // "a-notes.txt" sorts first but the picture filter leaves it out.
    std::ofstream(dir + "/a-notes.txt") << "x";
    std::ofstream(dir + "/pic.bmp") << "x";
    char sys[1024];
    ASSERT_TRUE(WynPlat_ToSystemPath(dir.c_str(), sys, sizeof sys));
    std::string cmd =
        "env -u WYN_HEADLESS WYN_BACKEND=sdl ASAN_OPTIONS=detect_leaks=0 timeout 60 "
        "./plat_dialogdemo open '" +
        std::string(sys) + "'";
    int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << cmd;
    EXPECT_EQ(WEXITSTATUS(status), 8) << cmd;
}

// The pixels a text sets, cut to their bounding box: drawn by the layer's text in black on
// white, in the message box's font (9 points of the system font in the text's character set).
struct Glyphs {
    int w = 0, h = 0;
    std::vector<char> on;
};

template <typename Draw>
Glyphs DrawnGlyphs(int charset, Draw draw) {
    const int w = 400, h = 40;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBmp = SelectObject(dc, bmp);
    RECT all{0, 0, w, h};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HFONT font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, charset, 0, 0, 0, 0, "MS UI Gothic");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    RECT r{4, 4, w, h};
    draw(dc, &r);
    GdiFlush();
    const uint32_t* px = static_cast<const uint32_t*>(bits);
    int x0 = w, y0 = h, x1 = -1, y1 = -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((px[y * w + x] & 0xFFFFFF) == 0)
                x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x),
                y1 = std::max(y1, y);
    Glyphs g;
    if (x1 >= 0) {
        g.w = x1 - x0 + 1, g.h = y1 - y0 + 1;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) g.on.push_back((px[y * w + x] & 0xFFFFFF) == 0);
    }
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBmp);
    DeleteObject(font);
    DeleteObject(bmp);
    DeleteDC(dc);
    return g;
}

// Whether the glyphs stand somewhere in the shot exactly: black where they set a pixel, not
// black where they do not.
bool ShowsGlyphs(const Png& shot, const Glyphs& g) {
    if (g.on.empty()) return false;
    for (int oy = 0; oy + g.h <= shot.h; ++oy)
        for (int ox = 0; ox + g.w <= shot.w; ++ox) {
            bool same = true;
            for (int y = 0; y < g.h && same; ++y)
                for (int x = 0; x < g.w && same; ++x)
                    same = g.on[y * g.w + x] == (shot.At(ox + x, oy + y) == 0);
            if (same) return true;
        }
    return false;
}

// A Japanese box and a Big5 box of a module that keeps its texts in Big5 read on a desktop as
// the layer's text draws them, whatever fonts the X server has.
TEST(DialogDesktop, JapaneseAndBig5BoxesShowTheTextLayersGlyphs) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        GTEST_SKIP() << "no display (the test script provides a virtual one)";
    ASSERT_TRUE(BIG5LIB_Declare());
    struct Case {
        const char* mode;
        const char* answer;
        int exit;
        Glyphs glyphs;
    };
    const Case cases[] = {
        {"jbox", "6", IDYES,
         DrawnGlyphs(
             SHIFTJIS_CHARSET,
             [](HDC dc, RECT* r) { DrawTextA(dc, kBoxText, -1, r, DT_SINGLELINE | DT_LEFT); })},
        // "中" of the module's "中文".
        {"bbox", "1", IDOK,
         DrawnGlyphs(CHINESEBIG5_CHARSET, [](HDC dc, RECT* r) { BIG5LIB_Draw(dc, r); })},
    };
    const std::string dir = std::getenv("WYN_RUNTIME_DIR");
    for (const Case& c : cases) {
        ASSERT_FALSE(c.glyphs.on.empty()) << c.mode;
        const std::string png = dir + "/" + c.mode + ".png";
        std::remove(png.c_str());
        const std::string cmd = "mkdir -p '" + dir +
                                "' && env -u WYN_HEADLESS WYN_BACKEND=sdl "
                                "ASAN_OPTIONS=detect_leaks=0 WYN_MSGBOX_ANSWERS=" +
                                c.answer + " WYN_SCREENSHOT='" + png +
                                "' timeout 60 ./plat_dialogdemo " + c.mode;
        int status = std::system(cmd.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << cmd;
        EXPECT_EQ(WEXITSTATUS(status), c.exit) << cmd;
        Png shot;
        ASSERT_TRUE(ReadPng(png, &shot)) << png;
        EXPECT_TRUE(ShowsGlyphs(shot, c.glyphs))
            << c.mode << ": the text's glyphs are not in " << png;
    }
}

// The user answers a box on a desktop with the keyboard: Enter takes the default button (the
// first unless the type names another), the arrows move between the buttons, Escape gives the
// safe answer, a button's first letter picks it.
TEST(DialogDesktop, TheKeyboardAnswersMessageBoxes) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        GTEST_SKIP() << "no display (the test script provides a virtual one)";
    struct Case {
        UINT type;
        const char* keys;
        int answer;
    };
    const Case cases[] = {
        {MB_YESNOCANCEL | MB_ICONQUESTION, "RETURN", IDYES},
        {MB_YESNOCANCEL | MB_DEFBUTTON2, "RETURN", IDNO},
        {MB_YESNOCANCEL | MB_ICONHAND, "RIGHT RIGHT RETURN", IDCANCEL},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, "LEFT RETURN", IDNO},
        {MB_YESNO | MB_ICONEXCLAMATION, "ESCAPE", IDNO},
        {MB_OK, "ESCAPE", IDOK},
        {MB_ABORTRETRYIGNORE, "I", IDIGNORE},
        {MB_OKCANCEL | MB_ICONASTERISK, "C", IDCANCEL},
    };
    const std::string dir = std::getenv("WYN_RUNTIME_DIR");
    ASSERT_EQ(std::system(("mkdir -p '" + dir + "'").c_str()), 0);
    for (const Case& c : cases) {
        const std::string replay = dir + "/box-keys.replay";
        {
            std::ofstream out(replay);
            std::istringstream keys(c.keys);
            int ms = 300;
            for (std::string k; keys >> k; ms += 100) out << ms << " key " << k << "\n";
        }
        const std::string cmd =
            "env -u WYN_HEADLESS -u WYN_MSGBOX_ANSWERS WYN_BACKEND=sdl ASAN_OPTIONS=detect_leaks=0 "
            "WYN_REPLAY='" +
            replay + "' timeout 60 ./plat_dialogdemo box" + std::to_string(c.type);
        int status = std::system(cmd.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << cmd;
        EXPECT_EQ(WEXITSTATUS(status), c.answer) << "type " << c.type << ", keys " << c.keys;
    }
}

}  // namespace
