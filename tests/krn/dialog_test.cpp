// The driver choice dialog driven by a script: choosing and accepting switches the driver and
// krn2.ini keeps it, cancelling changes nothing, unusable drivers are listed only on request
// and refused, a failing switch keeps the old driver, and the dialog waits for a frame in
// progress without hanging after a failed one.
#include <dlfcn.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <sstream>

#include "engine_fixture.h"

// Where the dialog is moved to passes through here on its way to the platform.
namespace {
POINT g_movedTo{-1, -1};
}
extern "C" __attribute__((visibility("default"))) BOOL WINAPI SetWindowPos(HWND h, HWND after,
                                                                           int x, int y, int cx,
                                                                           int cy, UINT flags) {
    using Fn = BOOL (*)(HWND, HWND, int, int, int, int, UINT);
    static Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "SetWindowPos"));
    if ((flags & SWP_NOSIZE) && !(flags & SWP_NOMOVE)) g_movedTo = {x, y};
    return real(h, after, x, y, cx, cy, flags);
}

namespace {

using krntest::Cpu;
using krntest::EngineCase;

int Index(const tagKRNENUMDRV* entries, int count, const char* file) {
    for (int i = 0; i < count; ++i)
        if (std::strcmp(entries[i].file, file) == 0) return i;
    return -1;
}

// The row a driver takes in its list: with `all`, its entry index; else the number of usable
// entries before it.
int Row(const tagKRNENUMDRV* entries, int count, const char* file, bool all) {
    int i = Index(entries, count, file);
    if (i < 0 || all) return i;
    int row = 0;
    for (int j = 0; j < i; ++j) row += entries[j].use;
    return row;
}

const char* U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

class DriverDialog : public EngineCase {
  protected:
    void SetUp() override {
        EngineCase::SetUp();
        log_ = (dir_ / "dialog.log").string();
        WynPlat_SetDialogLog(log_.c_str());
    }
    void TearDown() override {
        WynPlat_SetDialogScript(nullptr);
        WynPlat_SetDialogLog(nullptr);
        EngineCase::TearDown();
    }
    std::string DialogLog() {
        std::ifstream f(log_, std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }
    void Script(const std::string& s) { WynPlat_SetDialogScript(s.c_str()); }
    std::string log_;
};

TEST_F(DriverDialog, AcceptingSwitchesTheTransformDriverAndKrnEndKeepsIt) {
    krntest::FakeCpu() = Cpu{"SSE", 1, 0};
    ASSERT_NE(Start(), nullptr);
    ASSERT_STREQ(krn_->drvname, "drv_pasu.dll");
    int quil = Row(krn_->edDRV, krn_->drvcount, "drv_quil.dll", false);
    ASSERT_GE(quil, 0);
    Spy_Clear();
    Script("select 101 " + std::to_string(quil) + "; click 1");
    EXPECT_EQ(KRN_DriverDialog(krn_, 10, 20), 1);
    auto r = Lines("dll RESTART");
    ASSERT_EQ(r.size(), 2u) << Spy_Text();
    EXPECT_EQ(r[0], "drv_pasu.dll RESTART 0");
    EXPECT_EQ(r[1], "drv_quil.dll RESTART 1");
    EXPECT_STREQ(krn_->drvname, "drv_quil.dll");
    EXPECT_STREQ(krn_->lgtname, "lgt_pasu.dll") << "the other kinds stay";
    EXPECT_STREQ(krn_->accname, "acc_dexo.dll");

    // The dialog's texts are Big5 in the engine and reach the log as what they say.
    std::string state = DialogLog();
    const char* lines[] = {"dialog \"DIALOG_DRIVER\" ended 1",
                           "Spy drv_quil.dll spy of drv_quil.dll",
                           U8(u8"201 check unchecked \"列出所有驅動    \""),
                           U8(u8"1 button \"變　更\""),
                           U8(u8"2 button \"取　消  \""),
                           U8(u8"\"３次元演算\""),
                           U8(u8"\"光源計算\""),
                           U8(u8"\"3d塊面繪製\"")};
    for (const char* l : lines) EXPECT_NE(state.find(l), std::string::npos) << l << "\n" << state;

    RECT rc{0, 0, 64, 48};
    KRN_ViewPort(krn_, 0, reinterpret_cast<HWND>(1), &rc);
    Spy_Clear();
    EXPECT_EQ(KRN_Rendering(krn_, 0, 0, 0), 1);
    EXPECT_FALSE(Lines("drv_quil.dll DRV_PERSPECTIVE").empty()) << "the new driver draws";
    End();
    EXPECT_EQ(IniValue("DRIVER", "DRV"), "drv_quil.dll");
    EXPECT_EQ(IniValue("DRIVER", "ACC"), "acc_dexo.dll");
}

TEST_F(DriverDialog, CancellingOrClosingChangesNothing) {
    krntest::FakeCpu() = Cpu{"SSE", 1, 0};
    ASSERT_NE(Start(), nullptr);
    int quil = Row(krn_->edDRV, krn_->drvcount, "drv_quil.dll", false);
    int boxes = NewBoxes();
    struct Case {
        const char* what;
        std::string script;
    };
    const Case cases[] = {
        {"cancel button", "select 101 " + std::to_string(quil) + "; click 2"},
        {"no actions: closed", ""},
    };
    for (const Case& c : cases) {
        Spy_Clear();
        Script(c.script);
        EXPECT_EQ(KRN_DriverDialog(krn_, 0, 0), 0) << c.what;
        EXPECT_TRUE(Lines("RESTART").empty()) << c.what;
        EXPECT_STREQ(krn_->drvname, "drv_pasu.dll") << c.what;
        EXPECT_EQ(IniValue("DRIVER", "DRV"), "(none)") << c.what << ": krn2.ini not written";
    }
    EXPECT_EQ(NewBoxes(), boxes) << "no message";
}

TEST_F(DriverDialog, UnusableDriversAreListedOnRequestAndRefused) {
    // Without SSE, the SSE and 3DNow! spies cannot run; the one without CHECK never can.
    ASSERT_NE(Start(), nullptr);
    int nodoEntry = Index(krn_->edDRV, krn_->drvcount, "drv_nodo.dll");
    ASSERT_GE(nodoEntry, 0);
    ASSERT_EQ(krn_->edDRV[nodoEntry].use, 0);
    int boxes = NewBoxes();
    Spy_Clear();
    // All rows listed, the unusable one chosen: refused with a message, the dialog stays and
    // is then cancelled.
    Script("check 201; select 101 " + std::to_string(nodoEntry) + "; click 1; click 2");
    EXPECT_EQ(KRN_DriverDialog(krn_, 0, 0), 0);
    EXPECT_EQ(NewBoxes(), boxes + 1);
    char caption[64], text[256];
    ASSERT_EQ(WynPlat_LastMessageBox(caption, sizeof caption, text, sizeof text), 1);
    EXPECT_STREQ(caption, "Korrin 3D");
    EXPECT_STREQ(text, U8(u8"不能指定３次元演算無法選擇驅動。"));
    EXPECT_TRUE(Lines("RESTART").empty());
    EXPECT_STREQ(krn_->drvname, "drv_pasu.dll");

    std::string state = DialogLog();
    const char* lines[] = {U8(u8"201 check checked"),
                           U8(u8"\"× Spy drv_nodo.dll spy of drv_nodo.dll\""),
                           U8(u8"\"○ Spy lgt_pasu.dll spy of lgt_pasu.dll\"")};
    for (const char* l : lines) EXPECT_NE(state.find(l), std::string::npos) << l << "\n" << state;

    // Unchecking the box lists the usable ones again, the driver in use selected.
    Script("check 201; check 201 0; click 1");
    EXPECT_EQ(KRN_DriverDialog(krn_, 0, 0), 1) << "the drivers in use are accepted as they are";
    EXPECT_TRUE(Lines("RESTART").empty()) << "nothing to switch";
    EXPECT_EQ(IniValue("DRIVER", "DRV"), "drv_pasu.dll");
}

TEST_F(DriverDialog, AFailingSwitchKeepsTheOldDriver) {
    // acc_spy.dll says it can run but names a load file that is not there, and the raster
    // kind's standard driver is not shipped among the spies.
    ASSERT_NE(Start(), nullptr);
    int spy = Row(krn_->edACC, krn_->acccount, "acc_spy.dll", false);
    ASSERT_GE(spy, 0);
    Spy_Clear();
    Script("select 103 " + std::to_string(spy) + "; click 1");
    EXPECT_EQ(KRN_DriverDialog(krn_, 0, 0), 0);
    EXPECT_STREQ(krn_->accname, "acc_dexo.dll");
    EXPECT_TRUE(Lines("RESTART").empty());
    EXPECT_EQ(IniValue("DRIVER", "ACC"), "(none)");
    RECT rc{0, 0, 64, 48};
    EXPECT_EQ(KRN_ViewPort(krn_, 0, reinterpret_cast<HWND>(1), &rc), 1);
    Spy_Clear();
    EXPECT_EQ(KRN_Rendering(krn_, 0, 0, 0), 1);
    EXPECT_FALSE(Lines("acc_dexo.dll ACC_RASTER").empty()) << "the old driver still draws";
}

TEST_F(DriverDialog, OpensAtThePointOfTheEngineWindowsClientArea) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "KrnDialogOwner";
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(0, "KrnDialogOwner", "engine", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 120,
                             80, 320, 240, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(w, nullptr);
    krn_ = KRN_Start(w, 100);
    ASSERT_NE(krn_, nullptr);
    POINT expected{30, 40};
    ASSERT_TRUE(ClientToScreen(w, &expected));
    ASSERT_NE(expected.x, 30) << "the window is not at the screen's corner";
    g_movedTo = {-1, -1};
    Script("click 2");
    EXPECT_EQ(KRN_DriverDialog(krn_, 30, 40), 0);
    EXPECT_EQ(g_movedTo.x, expected.x);
    EXPECT_EQ(g_movedTo.y, expected.y);
    End();
    DestroyWindow(w);
}

std::atomic<bool> g_dialogDone{false};
DWORD WINAPI DialogThread(LPVOID arg) {
    KRN_DriverDialog(static_cast<tagKRN*>(arg), 0, 0);
    g_dialogDone = true;
    return 0;
}

TEST_F(DriverDialog, WaitsForTheFrameBusyBitsAndNeverHangsAfterAFailedFrame) {
    ASSERT_NE(Start(), nullptr);
    RECT rc{0, 0, 64, 48};
    KRN_ViewPort(krn_, 0, reinterpret_cast<HWND>(1), &rc);
    Spy_Fail("drv_pasu.dll DRV_PERSPECTIVE");
    EXPECT_EQ(KRN_Rendering(krn_, 0, 0, 0), 0);
    Script("click 2");
    EXPECT_EQ(KRN_DriverDialog(krn_, 0, 0), 0) << "a failed frame leaves no busy bits to wait for";

    // A frame stage pending: the dialog does not open until it is over.
    WynPlat_SetVirtualClock(1);
    WynPlat_SetClockReadStep(0);
    krn_->task = KRNTASK_RASTER;
    g_dialogDone = false;
    uint64_t t0 = WynPlat_ClockMicros();
    HANDLE t = CreateThread(nullptr, 0, DialogThread, krn_, 0, nullptr);
    ASSERT_NE(t, nullptr);
    // Virtual time moves only while both threads are blocked: the dialog's thread has run
    // as far as it can by the time this sleep ends.
    Sleep(50);
    EXPECT_FALSE(g_dialogDone) << "the dialog waits while a stage is busy";
    krn_->task = 0;
    EXPECT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
    CloseHandle(t);
    EXPECT_TRUE(g_dialogDone);
    EXPECT_GE(WynPlat_ClockMicros() - t0, 50000u);
    WynPlat_SetVirtualClock(0);
}

}  // namespace
