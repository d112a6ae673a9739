// Views, cameras, lights and the frame, with spy drivers: the stage order, failing stages, the
// axis-order bits, number checks, and the release of views at the end.
#include <algorithm>
#include <cstring>

#include "engine_fixture.h"

namespace {

using krntest::EngineCase;

TEST_F(EngineCase, StartSetsTheRecordUp) {
    ASSERT_NE(Start(64), nullptr);
    EXPECT_EQ(krn_->chipmax, 64);
    EXPECT_NE(krn_->lpchip, nullptr);
    EXPECT_NE(krn_->lpcalc, nullptr);
    EXPECT_EQ(krn_->distance, -1.0);
    EXPECT_EQ(krn_->task, 0u);
    for (int i = 0; i < KRN_VIEWMAX; ++i) {
        EXPECT_EQ(krn_->view[i].flip, -1) << i;
        EXPECT_EQ(krn_->camera[i].viewlimit, 1.0) << i;
        EXPECT_EQ(krn_->light[i].mode, 0u) << i;
    }
    EXPECT_EQ(krn_->ph1color[0], 0xC12E02u);
    KRN_End(nullptr);  // ignored
}

TEST_F(EngineCase, FrameRunsTheStagesInOrder) {
    ASSERT_NE(Start(), nullptr);
    RECT rc{0, 0, 320, 200};
    ASSERT_EQ(KRN_ViewPort(krn_, 2, reinterpret_cast<HWND>(1), &rc), 1);
    tagKRN3D at{1, 2, 3, 0};
    ASSERT_EQ(KRN_Camera(krn_, 3, &at, nullptr, nullptr, 1.5, 7.9), 1);
    Spy_Clear();
    ASSERT_EQ(KRN_Rendering(krn_, 2, 3, 0x40123456), 1);
    auto lines = krntest::EngineCase::Lines();
    ASSERT_EQ(lines.size(), 5u) << Spy_Text();
    EXPECT_EQ(lines[0], "drv_pasu.dll DRV_VIEW null 7") << "the near limit, truncated";
    EXPECT_EQ(lines[1], "drv_pasu.dll DRV_VIEW 3 task=15 order=ZYX");
    EXPECT_EQ(lines[2], "drv_pasu.dll DRV_PERSPECTIVE 2 3 task=14");
    EXPECT_EQ(lines[3], "lgt_pasu.dll LGT_BRIGHT 3 task=12");
    EXPECT_EQ(lines[4], "acc_dexo.dll ACC_RASTER 2 40123456 task=8");
    EXPECT_EQ(KRN_GetTask(krn_), 0u);
    EXPECT_EQ(krn_->red, 0x56);
    EXPECT_EQ(krn_->green, 0x34);
    EXPECT_EQ(krn_->blue, 0x12);
}

struct FailCase {
    const char* failing;
    int callsBefore;  // stage lines logged before and including the failing one
};
const FailCase kFails[] = {
    {"drv_pasu.dll DRV_VIEW", 2},
    {"drv_pasu.dll DRV_PERSPECTIVE", 3},
    {"lgt_pasu.dll LGT_BRIGHT", 4},
    {"acc_dexo.dll ACC_RASTER", 5},
};

TEST_F(EngineCase, AFailingStageStopsTheFrameWithoutHangingTheNext) {
    WynPlat_SetVirtualClock(1);
    ASSERT_NE(Start(), nullptr);
    RECT rc{0, 0, 320, 200};
    KRN_ViewPort(krn_, 0, reinterpret_cast<HWND>(1), &rc);
    for (const auto& c : kFails) {
        Spy_Clear();
        Spy_Fail(c.failing);
        EXPECT_EQ(KRN_Rendering(krn_, 0, 0, 0), 0) << c.failing;
        EXPECT_EQ(krntest::EngineCase::Lines().size(), (size_t)c.callsBefore) << c.failing << "\n"
                                                                              << Spy_Text();
        EXPECT_EQ(KRN_GetTask(krn_), 0u) << c.failing << ": no busy bits left behind";
        Spy_Clear();
        EXPECT_EQ(KRN_Rendering(krn_, 0, 0, 0), 1) << c.failing << ": the next frame runs";
        EXPECT_EQ(KRN_Refresh(krn_, 0, nullptr), 1) << c.failing;
        EXPECT_EQ(KRN_FullScreen(krn_, 0, 0), 1) << c.failing;
    }
}

const char* const kOrders[] = {"ZYX", "ZXY", "YZX", "YXZ", "XYZ", "XZY"};

TEST_F(EngineCase, AxisOrderBitsApplyToTheViewStepOnly) {
    ASSERT_NE(Start(), nullptr);
    RECT rc{0, 0, 320, 200};
    KRN_ViewPort(krn_, 0, reinterpret_cast<HWND>(1), &rc);
    KRN_DefineRotate3D("XY", nullptr);
    for (unsigned code = 0; code < 16; ++code) {
        Spy_Clear();
        ASSERT_EQ(KRN_Rendering(krn_, 0, 0, code << 24 | 0x80000000u), 1);
        auto view = krntest::EngineCase::Lines("DRV_VIEW 0");
        ASSERT_EQ(view.size(), 1u);
        std::string expect =
            code < 6 ? kOrders[code] : "XY";  // codes without a string keep the order
        EXPECT_NE(view[0].find("order=" + expect), std::string::npos)
            << "code " << code << ": " << view[0];
        char now[4];
        KRN_DefineRotate3D(nullptr, now);
        EXPECT_STREQ(now, "XY") << "code " << code << ": the previous order is back";
    }
    KRN_DefineRotate3D("ZXY", nullptr);
}

TEST_F(EngineCase, NumbersAreCheckedEverywhere) {
    ASSERT_NE(Start(), nullptr);
    RECT rc{0, 0, 10, 10};
    tagKRN3D v{1, 1, 1, 0};
    for (int bad : {-1, 10, 1000}) {
        Spy_Clear();
        EXPECT_EQ(KRN_ViewPort(krn_, bad, reinterpret_cast<HWND>(1), &rc), 0) << bad;
        EXPECT_EQ(KRN_OffsetViewPort(krn_, bad, 1, 1), 0) << bad;
        EXPECT_EQ(KRN_ClipViewPort(krn_, bad, &rc), 0) << bad;
        EXPECT_EQ(KRN_Camera(krn_, bad, &v, &v, &v, 1, 1), 0) << bad;
        EXPECT_EQ(KRN_Light(krn_, bad, 1, &v, &v, 0, 1), 0) << bad;
        EXPECT_EQ(KRN_Light(krn_, bad, 0, nullptr, nullptr, 0, 0), 0) << bad;
        EXPECT_EQ(KRN_Rendering(krn_, bad, 0, 0), 0) << bad;
        EXPECT_EQ(KRN_Rendering(krn_, 0, bad, 0), 0) << bad;
        EXPECT_EQ(KRN_Flip(krn_, bad), 0) << bad;
        EXPECT_EQ(KRN_FullScreen(krn_, bad, 1), 0) << bad;
        EXPECT_EQ(KRN_Refresh(krn_, bad, nullptr), 0) << bad;
        EXPECT_STREQ(Spy_Text(), "") << bad << ": no driver was called";
    }
    EXPECT_EQ(KRN_ViewPort(nullptr, 0, nullptr, &rc), 0);
    EXPECT_EQ(KRN_Rendering(nullptr, 0, 0, 0), 0);
}

TEST_F(EngineCase, ViewsAreMadeOnceRedefinedAndReleasedOnce) {
    ASSERT_NE(Start(), nullptr);
    RECT rc{10, 20, 330, 220};
    HWND w = reinterpret_cast<HWND>(0x1234), other = reinterpret_cast<HWND>(0x99);
    Spy_Clear();
    ASSERT_EQ(KRN_ViewPort(krn_, 0, w, &rc), 1);
    EXPECT_EQ(Lines("ACC_MAKEVIEW 0").size(), 1u);
    const tagKRNVIEW& v = krn_->view[0];
    EXPECT_EQ(v.hwnd, w);
    EXPECT_EQ(v.flip, 1);
    EXPECT_EQ(v.xsize, 320);
    EXPECT_EQ(v.cysize, 200);
    Spy_Clear();
    RECT rc2{0, 0, 64, 48};
    ASSERT_EQ(KRN_ViewPort(krn_, 0, other, &rc2), 1);
    auto lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "acc_dexo.dll RESTART 0");
    EXPECT_EQ(lines[1], "acc_dexo.dll RESTART 1");
    EXPECT_EQ(v.hwnd, w) << "the window stays";
    EXPECT_EQ(v.xsize, 64);

    Spy_Fail("acc_dexo.dll ACC_MAKEVIEW");
    EXPECT_EQ(KRN_ViewPort(krn_, 5, w, &rc), 0) << "the driver's answer";

    ASSERT_EQ(KRN_OffsetViewPort(krn_, 0, 3, 4), 1);
    EXPECT_EQ(v.xoffset, 3);
    RECT clip{-5, 10, 50, 100};
    ASSERT_EQ(KRN_ClipViewPort(krn_, 0, &clip), 1);
    EXPECT_EQ(v.cxpos, 0);
    EXPECT_EQ(v.cypos, 10);
    EXPECT_EQ(v.cxsize, 50);
    EXPECT_EQ(v.cysize, 38);

    Spy_Clear();
    End();
    auto end = Lines();
    std::vector<std::string> releases, ends;
    for (auto& l : end) {
        if (l.find("ACC_RELEASEVIEW") != std::string::npos) releases.push_back(l);
        if (l.find(" END") != std::string::npos) ends.push_back(l);
    }
    ASSERT_EQ(releases.size(), 2u) << "views 0 and 5 were made\n" << Spy_Text();
    EXPECT_EQ(releases[0], "acc_dexo.dll ACC_RELEASEVIEW 0");
    EXPECT_EQ(releases[1], "acc_dexo.dll ACC_RELEASEVIEW 5");
    ASSERT_EQ(ends.size(), 3u);
    EXPECT_EQ(ends[0], "drv_pasu.dll END");
    EXPECT_EQ(ends[2], "acc_dexo.dll END");
    auto pos = [&](const std::string& s) {
        return std::find(end.begin(), end.end(), s) - end.begin();
    };
    EXPECT_LT(pos(releases[1]), pos(ends[0])) << "views are released while the drivers still run";
}

TEST_F(EngineCase, CamerasLightsAndDistances) {
    ASSERT_NE(Start(), nullptr);
    tagKRN3D at{1, 2, 3, 4}, rot{10, 20, 30, 0}, sc{2, 2, 2, 0};
    ASSERT_EQ(KRN_Camera(krn_, 9, &at, &rot, &sc, 2.5, 0.0), 1);
    EXPECT_EQ(krn_->camera[9].viewpoint.t, 4);
    EXPECT_EQ(krn_->camera[9].rotate.z, 30);
    Spy_Clear();
    ASSERT_EQ(KRN_Camera(krn_, 9, nullptr, nullptr, nullptr, 3.0, 5.0), 1);
    EXPECT_EQ(Lines("ACC_CAMERA 9").size(), 1u);
    EXPECT_EQ(krn_->camera[9].viewpoint.y, 2) << "NULL vectors change nothing";
    EXPECT_EQ(krn_->camera[9].zoom, 3.0);
    EXPECT_EQ(krn_->camera[9].viewlimit, 5.0);

    tagKRN3D pos{5, 6, 7, 0}, dir{0, -3, 0, 0};
    Spy_Clear();
    ASSERT_EQ(KRN_Light(krn_, 4, 2, &pos, &dir, 0x00332211, 500.0), 1);
    EXPECT_EQ(Lines("LGT_LIGHT 4").size(), 1u);
    const tagKRNLIGHT& l = krn_->light[4];
    EXPECT_EQ(l.mode, 2u);
    EXPECT_EQ(l.red, 0x11);
    EXPECT_EQ(l.blue, 0x33);
    EXPECT_EQ(l.normal.y, 1.0) << "opposite to the direction";
    EXPECT_EQ(l.range, 500.0);
    Spy_Fail("lgt_pasu.dll LGT_LIGHT");
    EXPECT_EQ(KRN_Light(krn_, 4, 1, nullptr, nullptr, 0, 1.0), 0) << "the driver's answer";
    Spy_Clear();
    EXPECT_EQ(KRN_Light(krn_, 4, 0, &pos, &dir, 0xFFFFFF, 1.0), 1)
        << "mode 0 never asks the driver";
    EXPECT_TRUE(Lines("LGT_LIGHT").empty());
    EXPECT_EQ(l.mode, 0u);
    EXPECT_EQ(l.pos.x, 0.0) << "the whole light is cleared";

    struct Dist {
        double d, top, bottom, expTop, expBottom;
    };
    for (auto c :
         {Dist{100, 80, 150, 80, 100}, Dist{100, 120, 90, 90, 90}, Dist{100, 10, 20, 10, 20}}) {
        KRN_SetDistance(krn_, c.d, c.top, c.bottom);
        EXPECT_EQ(krn_->distance, c.d);
        EXPECT_EQ(krn_->bottom, c.expBottom) << c.d << " " << c.top << " " << c.bottom;
        EXPECT_EQ(krn_->top, c.expTop) << c.d << " " << c.top << " " << c.bottom;
    }
    KRN_Through(krn_, 300.0, 120);
    EXPECT_EQ(krn_->throughdistance, 300.0);
    EXPECT_EQ(krn_->throughrate, 120);
    Spy_Clear();
    EXPECT_EQ(KRN_Flip(krn_, 0), 1);
    EXPECT_EQ(Lines("ACC_FLIP 0").size(), 1u);
}

}  // namespace
