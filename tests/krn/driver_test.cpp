// The driver loader with spy drivers: enumeration across processors, the entry-point names
// asked for, the fallbacks, switching, and what KRN_End writes back.
#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "engine_fixture.h"

// Every name the engine asks a driver for passes through here on its way to the platform.
extern "C" __attribute__((visibility("default"))) FARPROC GetProcAddress(HMODULE module,
                                                                         LPCSTR name) {
    using Fn = FARPROC (*)(HMODULE, LPCSTR);
    static Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "GetProcAddress"));
    Spy_Log("asked %s", name);
    return real(module, name);
}

namespace {

using krntest::Cpu;
using krntest::EngineCase;
namespace fs = std::filesystem;

const tagKRNDRVINFO* Row(const tagKRNDRVINFO* list, const char* file) {
    for (int i = 0; i < KRN_ENUMDRVMAX; ++i)
        if (std::strcmp(list[i].drv, file) == 0) return &list[i];
    return nullptr;
}

int Index(const tagKRN* krn, const tagKRNENUMDRV* entries, int count, const char* file) {
    (void)krn;
    for (int i = 0; i < count; ++i)
        if (std::strcmp(entries[i].file, file) == 0) return i;
    return -1;
}

struct ListCase {
    Cpu cpu;
    const char* drv;  // krn2.ini [DRIVER] values, NULL for none
    const char* lgt;
    const char* acc;
    const char* useDrv;  // usable transform drivers, in the file names' order
    const char* useLgt;
    const char* chosenDrv;
    const char* chosenLgt;
    const char* chosenAcc;
};
const ListCase kLists[] = {
    {{"no SSE", 0, 0},
     nullptr,
     nullptr,
     nullptr,
     "drv_pasu",
     "lgt_pasu",
     "drv_pasu.dll",
     "lgt_pasu.dll",
     "acc_dexo.dll"},
    {{"SSE", 1, 0},
     "drv_quil.dll",
     "lgt_quil.dll",
     "acc_dexo.dll",
     "drv_pasu drv_quil",
     "lgt_pasu lgt_quil",
     "drv_quil.dll",
     "lgt_quil.dll",
     "acc_dexo.dll"},
    {{"3DNow!", 0, 1},
     "drv_quil.dll",
     "lgt_nodo.dll",
     "acc_spy.dll",
     "drv_nodo drv_pasu",
     "lgt_nodo lgt_pasu",
     "drv_pasu.dll",
     "lgt_nodo.dll",
     "acc_dexo.dll"},
    {{"SSE", 1, 0},
     "drv_nochk.dll",
     "LGT_QUIL.DLL",
     "acc_dexo.dll",
     "drv_pasu drv_quil",
     "lgt_pasu lgt_quil",
     "drv_pasu.dll",
     "LGT_QUIL.DLL",
     "acc_dexo.dll"},
};

std::string Usable(const tagKRNDRVINFO* list) {
    std::set<std::string> names;
    for (int i = 0; i < KRN_ENUMDRVMAX; ++i)
        if (list[i].drv[0] && list[i].use)
            names.insert(std::string(list[i].drv, std::strlen(list[i].drv) - 4));
    std::string s;
    for (auto& n : names) s += (s.empty() ? "" : " ") + n;
    return s;
}

TEST_F(EngineCase, DriverListAcrossProcessors) {
    for (const auto& c : kLists) {
        SCOPED_TRACE(std::string(c.cpu.name) + " with " + (c.drv ? c.drv : "no krn2.ini"));
        DeleteFileA(ini_);
        krntest::FakeCpu() = c.cpu;
        if (c.drv) {
            Ini("DRIVER", "DRV", c.drv);
            Ini("DRIVER", "LGT", c.lgt);
            Ini("DRIVER", "ACC", c.acc);
        }
        ASSERT_NE(Start(), nullptr);
        tagKRNDRVINFO drv[KRN_ENUMDRVMAX], lgt[KRN_ENUMDRVMAX], acc[KRN_ENUMDRVMAX];
        std::memset(drv, 0x55, sizeof drv);
        KRN_GetDriverName(krn_, drv, lgt, acc);
        EXPECT_EQ(krn_->drvcount, 4);
        EXPECT_EQ(krn_->lgtcount, 3);
        EXPECT_EQ(krn_->acccount, 2);
        EXPECT_EQ(drv[4].use, 0) << "rows past the entries are cleared";
        EXPECT_EQ(drv[4].drv[0], 0);
        EXPECT_EQ(Usable(drv), c.useDrv);
        EXPECT_EQ(Usable(lgt), c.useLgt);
        EXPECT_STREQ(krn_->drvname, c.chosenDrv);
        EXPECT_STREQ(krn_->lgtname, c.chosenLgt);
        EXPECT_STREQ(krn_->accname, c.chosenAcc);
        for (auto* list : {drv, lgt, acc}) {
            int selected = 0;
            for (int i = 0; i < KRN_ENUMDRVMAX; ++i) selected += list[i].select;
            EXPECT_EQ(selected, 1) << "one row in use per kind";
        }
        const tagKRNDRVINFO* quil = Row(drv, "drv_quil.dll");
        ASSERT_NE(quil, nullptr);
        EXPECT_STREQ(quil->corp, "Spy drv_quil.dll");
        EXPECT_STREQ(quil->name, "spy of drv_quil.dll") << "the four-character code is cut off";
        EXPECT_EQ(quil->c1, 1u);
        EXPECT_EQ(quil->c2, 7u);
        // The driver without CHECK is counted but its row stays empty and unusable.
        const tagKRNDRVINFO* nochk = Row(drv, "");
        ASSERT_NE(nochk, nullptr);
        EXPECT_TRUE(nochk < drv + 4);
        EXPECT_EQ(nochk->use, 0);
        EXPECT_STREQ(nochk->corp, "");

        char corp[32], name[32];
        DWORD c1 = 0, c2 = 0;
        KRN_CheckLGT(krn_, corp, name, &c1, &c2);
        EXPECT_STRCASEEQ(corp, (std::string("Spy ") + c.chosenLgt).c_str())
            << "the lighting driver in use";
        End();
        EXPECT_STRCASEEQ(IniValue("DRIVER", "DRV").c_str(), c.chosenDrv) << "written back";
        EXPECT_STRCASEEQ(IniValue("DRIVER", "LGT").c_str(), c.chosenLgt);
        EXPECT_STREQ(IniValue("DRIVER", "ACC").c_str(), c.chosenAcc);
    }
}

TEST_F(EngineCase, EntryPointsAreAskedForByTheirDecoratedNames) {
    ASSERT_NE(Start(), nullptr);
    std::set<std::string> asked;
    for (auto& l : Lines("asked ")) asked.insert(l.substr(6));
    const char* const kNames[] = {
        "?CHECK@@YAHPAUtagKRN@@PAD11PAK2@Z",
        "?START@@YAHPAUtagKRN@@@Z",
        "?END@@YAHPAUtagKRN@@@Z",
        "?RESTART@@YAHPAUtagKRN@@H@Z",
        "?DRV_VIEW@@YAHPAUtagKRN@@H@Z",
        "?DRV_PERSPECTIVE@@YAHPAUtagKRN@@HH@Z",
        "?LGT_LIGHT@@YAHPAUtagKRN@@H@Z",
        "?LGT_BRIGHT@@YAHPAUtagKRN@@H@Z",
        "?ACC_MAKEVIEW@@YAHPAUtagKRN@@H@Z",
        "?ACC_RELEASEVIEW@@YAHPAUtagKRN@@H@Z",
        "?ACC_CAMERA@@YAHPAUtagKRN@@H@Z",
        "?ACC_RASTER@@YAHPAUtagKRN@@HK@Z",
        "?ACC_FLIP@@YAHPAUtagKRN@@H@Z",
        "?ACC_FULLSCREEN@@YAHPAUtagKRN@@HH@Z",
        "?ACC_REFRESH@@YAHPAUtagKRN@@HPAUHDC__@@@Z",
        "?ACC_PUTSCREEN@@YAHPAUtagKRN@@HHHPAUtagKRNCELL@@PAUtagRECT@@@Z",
        "?ACC_GETSCREEN@@YAHPAUtagKRN@@PAUtagKRNCELL@@HHHPAUtagRECT@@@Z",
        "?ACC_LOADTEXTURE@@YAHPAUtagKRN@@PAUtagKRNTEXTURE@@@Z",
        "?ACC_DELETETEXTURE@@YAHPAUtagKRN@@PAUtagKRNTEXTURE@@@Z",
    };
    for (const char* n : kNames) EXPECT_TRUE(asked.count(n)) << n;
    EXPECT_EQ(asked.size(), std::size(kNames)) << "no other name is asked for";
    // The drivers are started in order, after all three are loaded.
    auto starts = Lines(" START");
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_EQ(starts[0], "drv_pasu.dll START");
    EXPECT_EQ(starts[1], "lgt_pasu.dll START");
    EXPECT_EQ(starts[2], "acc_dexo.dll START");
}

TEST_F(EngineCase, FallbacksAndWhatEndWritesBack) {
    // acc_spy.dll names acc_spyx.dll as its file, which is not there: the standard raster driver.
    krntest::FakeCpu() = Cpu{"SSE", 1, 0};
    Ini("DRIVER", "DRV", "drv_sefa.dll");  // not among the files
    Ini("DRIVER", "LGT", "lgt_quil.dll");
    Ini("DRIVER", "ACC", "acc_spy.dll");
    Touch("drv_text.dll");  // not a library: reported, skipped and not counted
    ASSERT_NE(Start(), nullptr);
    EXPECT_EQ(krn_->drvcount, 4);
    EXPECT_STREQ(krn_->drvname, "drv_pasu.dll");
    EXPECT_STREQ(krn_->accname, "acc_dexo.dll");
    EXPECT_GE(NewBoxes(), 3) << "the broken file, the missing and the unusable choice are reported";
    End();
    EXPECT_EQ(IniValue("DRIVER", "DRV"), "drv_pasu.dll");
    EXPECT_EQ(IniValue("DRIVER", "LGT"), "lgt_quil.dll");
    EXPECT_EQ(IniValue("DRIVER", "ACC"), "acc_dexo.dll");
}

int g_paints = 0;
LRESULT CALLBACK CountPaints(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        ++g_paints;
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

TEST_F(EngineCase, AMessageRepaintsTheEngineWindow) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = CountPaints;
    wc.lpszClassName = "KrnPaintCount";
    ASSERT_NE(RegisterClassA(&wc), 0);
    HWND w = CreateWindowExA(0, "KrnPaintCount", "engine", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                             320, 240, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(w, nullptr);
    UpdateWindow(w);
    g_paints = 0;
    Ini("DRIVER", "DRV", "drv_sefa.dll");  // missing: one message box
    krn_ = KRN_Start(w, 10);
    ASSERT_NE(krn_, nullptr);
    EXPECT_GE(NewBoxes(), 1);
    EXPECT_EQ(g_paints, NewBoxes()) << "one repaint after each box";
    End();
    DestroyWindow(w);
}

TEST_F(EngineCase, AnyUsableDriverWhenTheStandardOneIsMissing) {
    krntest::FakeCpu() = Cpu{"SSE", 1, 0};
    fs::remove(dir_ / "lgt_pasu.dll");
    Ini("DRIVER", "LGT", "lgt_nodo.dll");  // present but not for this processor
    ASSERT_NE(Start(), nullptr) << "a working lighting driver is present";
    EXPECT_STREQ(krn_->lgtname, "lgt_quil.dll");
}

TEST_F(EngineCase, StartFailsWithAReasonWhenAKindHasNoDriver) {
    for (const char* f : {"lgt_pasu.dll", "lgt_quil.dll", "lgt_nodo.dll"}) fs::remove(dir_ / f);
    int before = WynPlat_MessageBoxCount();
    EXPECT_EQ(Start(), nullptr);
    EXPECT_GT(WynPlat_MessageBoxCount(), before);
    char caption[64], text[256];
    ASSERT_EQ(WynPlat_LastMessageBox(caption, sizeof caption, text, sizeof text), 1);
    EXPECT_STREQ(caption, "Korrin 3D");
    EXPECT_NE(std::string(text).find("lgt_sefa.dll"), std::string::npos) << text;
    auto lines = Lines(" START");
    EXPECT_TRUE(lines.empty()) << "no driver is started";
}

TEST_F(EngineCase, SetDriverSwitchesChecksIndicesAndKeepsTheOldDriverOnFailure) {
    krntest::FakeCpu() = Cpu{"SSE", 1, 0};
    ASSERT_NE(Start(), nullptr);
    int pasu = Index(krn_, krn_->edDRV, krn_->drvcount, "drv_pasu.dll");
    int quil = Index(krn_, krn_->edDRV, krn_->drvcount, "drv_quil.dll");
    int nodo = Index(krn_, krn_->edDRV, krn_->drvcount, "drv_nodo.dll");
    int lgt = Index(krn_, krn_->edLGT, krn_->lgtcount, "lgt_pasu.dll");
    int acc = Index(krn_, krn_->edACC, krn_->acccount, "acc_dexo.dll");
    ASSERT_GE(pasu, 0);

    struct BadIndex {
        int drv, lgt, acc;
    };
    for (auto b : {BadIndex{4, lgt, acc}, BadIndex{pasu, 3, acc}, BadIndex{pasu, lgt, -2},
                   BadIndex{100, lgt, acc}, BadIndex{-20, lgt, acc}}) {
        Spy_Clear();
        EXPECT_EQ(KRN_SetDriver(krn_, b.drv, b.lgt, b.acc), 0)
            << b.drv << " " << b.lgt << " " << b.acc;
        EXPECT_TRUE(Lines("dll RESTART").empty()) << "nothing switched";
        EXPECT_EQ(IniValue("DRIVER", "DRV"), "(none)") << "krn2.ini not written";
    }

    Spy_Clear();
    EXPECT_EQ(KRN_SetDriver(krn_, pasu, lgt, acc), 1);
    EXPECT_TRUE(Lines("dll RESTART").empty()) << "the drivers in use stay";
    EXPECT_EQ(IniValue("DRIVER", "DRV"), "drv_pasu.dll");

    Spy_Clear();
    ASSERT_EQ(KRN_SetDriver(krn_, quil, lgt, acc), 1);
    auto r = Lines("dll RESTART");
    ASSERT_EQ(r.size(), 2u) << Spy_Text();
    EXPECT_EQ(r[0], "drv_pasu.dll RESTART 0");
    EXPECT_EQ(r[1], "drv_quil.dll RESTART 1");
    EXPECT_STREQ(krn_->drvname, "drv_quil.dll");
    EXPECT_EQ(IniValue("DRIVER", "DRV"), "drv_quil.dll");

    if (acc > 0) {
        Spy_Clear();
        ASSERT_EQ(KRN_SetDriver(krn_, quil, lgt, -acc), 1);
        r = Lines("dll RESTART");
        ASSERT_EQ(r.size(), 2u) << "a negative index forces the reload";
        EXPECT_EQ(r[0], "acc_dexo.dll RESTART 0");
        EXPECT_EQ(r[1], "acc_dexo.dll RESTART 1");
    }

    // The chosen driver cannot run here and its fallback file is gone: the old one stays.
    fs::remove(dir_ / "drv_pasu.dll");
    DeleteFileA(ini_);
    Spy_Clear();
    EXPECT_EQ(KRN_SetDriver(krn_, nodo, lgt, acc), 0);
    EXPECT_STREQ(krn_->drvname, "drv_quil.dll");
    EXPECT_TRUE(Lines("dll RESTART").empty());
    EXPECT_EQ(IniValue("DRIVER", "DRV"), "(none)");
    RECT rc{0, 0, 64, 48};
    KRN_ViewPort(krn_, 0, reinterpret_cast<HWND>(1), &rc);
    Spy_Clear();
    EXPECT_EQ(KRN_Rendering(krn_, 0, 0, 0), 1);
    EXPECT_FALSE(Lines("drv_quil.dll DRV_PERSPECTIVE").empty()) << "the old driver still draws";
}

}  // namespace
