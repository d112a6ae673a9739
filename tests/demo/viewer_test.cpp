// The aircraft model viewer's rules in this process: the drag's turns and zoom, the wrap of the
// angles, the landing lights' glare, the buttons' layers on a real sample model, and the
// pointer's confinement while a drag lasts (seen through GetClipCursor).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "umb33.h"
#include "viewer.h"

namespace {

struct DragCase {
    const char* what;
    int dx, dy, shift, ctrl;
    double x, y, z, s;
};
// From the start pose (0, 40, -10, s 1.0).
const DragCase kDrag[] = {
    {"no key: y by dx, z by dy", 30, -5, 0, 0, 0, 70, -15, 1.0},
    {"Ctrl: scale by dx / 100", 20, 99, 0, 1, 0, 40, -10, 1.2},
    {"Ctrl: scale down", -30, 0, 0, 1, 0, 40, -10, 0.7},
    {"Ctrl stops at 1.5", 80, 0, 0, 1, 0, 40, -10, 1.5},
    {"Ctrl stops at 0.5", -80, 0, 0, 1, 0, 40, -10, 0.5},
    {"Shift: z by dx, x by dy", 7, 12, 1, 0, 12, 40, -3, 1.0},
    {"Shift wins over Ctrl", 7, 12, 1, 1, 12, 40, -3, 1.0},
    {"y wraps past 180", 145, 0, 0, 0, 0, -175, -10, 1.0},
    {"z wraps past -180", 0, -175, 0, 0, 0, 40, 175, 1.0},
};

TEST(Viewer, DragTurnsAndZoomsByTheKeysHeld) {
    for (const DragCase& c : kDrag) {
        Viewer v;
        ViewerDrag(&v, c.dx, c.dy, c.shift, c.ctrl);
        EXPECT_DOUBLE_EQ(v.x, c.x) << c.what;
        EXPECT_DOUBLE_EQ(v.y, c.y) << c.what;
        EXPECT_DOUBLE_EQ(v.z, c.z) << c.what;
        EXPECT_NEAR(v.s, c.s, 1e-12) << c.what;
    }
}

TEST(Viewer, AnglesWrapIntoTheHalfOpenTurn) {
    const double kWrap[][2] = {{175 + 10, -175}, {-180, 180}, {180, 180}, {540, 180},
                               {-181, 179},      {0, 0},      {-725, -5}};
    for (const auto& c : kWrap) EXPECT_DOUBLE_EQ(ViewerWrap(c[0]), c[1]) << c[0];
}

TEST(Viewer, GlareFollowsTheTurnAboutY) {
    const double kGlare[][2] = {{-100, 0},       {-90, 0}, {-45, 0.5}, {0, 1},
                                {40, 50.0 / 90}, {90, 0},  {120, 0}};
    for (const auto& c : kGlare) EXPECT_DOUBLE_EQ(ViewerGlare(c[0]), c[1]) << c[0];
}

// ---- the model's layers, on an engine record without drivers ----

int LoadTexture(tagKRN*, tagKRNTEXTURE*) { return 1; }
int DropTexture(tagKRN*, tagKRNTEXTURE*) { return 1; }

class ViewerModel : public ::testing::Test {
  protected:
    ViewerModel() : krnp_(new tagKRN), chips_(5000) {
        std::memset(krnp_.get(), 0, sizeof(tagKRN));
        krn = krnp_.get();
        krn->chipmax = 5000;
        krn->lpchip = chips_.data();
        krn->ACC_LOADTEXTURE = LoadTexture;
        krn->ACC_DELETETEXTURE = DropTexture;
        master = KRNL_Start(krn);
        object = KRNL_CreateLayer(master, "OBJECT");
    }
    ~ViewerModel() override {
        if (master) KRNL_End(master);
    }
    int Shown(const Viewer& v, int layer) { return v.layer[layer] ? v.layer[layer]->sw : -1; }
    std::unique_ptr<tagKRN> krnp_;
    std::vector<tagKRNCHIP> chips_;
    tagKRN* krn = nullptr;
    tagKRNL* master = nullptr;
    tagKRNL* object = nullptr;
};

TEST_F(ViewerModel, TheSampleModelsCarryEveryLayerTheViewerSwitches) {
    for (const char* model : {"airplane\\B767\\B767JAL.plm", "airplane\\B777\\B777ANA.plm",
                              "airplane\\B767\\B767JAL2.plm"}) {
        KRNL_DeleteLayer(object, 0);
        ASSERT_EQ(KRNL_LoadLayer(object, model, 0), 1) << model;
        Viewer v;
        ViewerFindLayers(&v, object);
        for (int l = 0; l < VL_COUNT; ++l)
            EXPECT_NE(v.layer[l], nullptr) << model << " " << kViewerLayerNames[l];
    }
}

TEST_F(ViewerModel, ButtonsSwitchTheirLayers) {
    ASSERT_EQ(KRNL_LoadLayer(object, "airplane\\B767\\B767JAL.plm", 0), 1);
    Viewer v;
    ViewerFindLayers(&v, object);
    // Hidden at the start: the shadow, the night light, the lowered flaps, the reversers.
    for (int l : {VL_SHADOW, VL_NLIGHT, VL_FLAPDOWN, VL_REVON})
        EXPECT_EQ(Shown(v, l), 0) << kViewerLayerNames[l];
    for (int l : {VL_TIRE, VL_FLAPUP, VL_REVOFF, VL_LDLIGHTL, VL_ATLIGHT})
        EXPECT_EQ(Shown(v, l), 1) << kViewerLayerNames[l];

    ViewerPress(&v, 1);
    EXPECT_EQ(v.button[1], 2);
    EXPECT_EQ(v.toggle[1], 1);
    EXPECT_EQ(Shown(v, VL_FLAPUP), 0);
    EXPECT_EQ(Shown(v, VL_FLAPDOWN), 1);
    EXPECT_EQ(Shown(v, VL_REVON), 1);
    EXPECT_EQ(Shown(v, VL_REVOFF), 0);
    ViewerPress(&v, 1);
    EXPECT_EQ(Shown(v, VL_FLAPUP), 1);
    EXPECT_EQ(Shown(v, VL_FLAPDOWN), 0);

    ViewerPress(&v, 0);
    EXPECT_EQ(Shown(v, VL_TIRE), 0) << "the gear goes up";
    ViewerPress(&v, 2);
    for (int l : {VL_LDLIGHTL, VL_LDLIGHTR, VL_LDLIGHTM, VL_WGLIGHTL, VL_WGLIGHTR, VL_ATLIGHT})
        EXPECT_EQ(Shown(v, l), 0) << kViewerLayerNames[l];
    EXPECT_EQ(v.countdown, 0);
    ViewerPress(&v, 3);
    EXPECT_EQ(v.countdown, 2) << "the end button closes after its pressed look is drawn";
}

TEST_F(ViewerModel, AMissingLayerIsSkipped) {
    // A model of its own parts only: no flaps, no reversers.
    tagKRNL* up = KRNL_CreateLayer(object, "flapup");
    ASSERT_NE(up, nullptr);
    Viewer v;
    ViewerFindLayers(&v, object);
    EXPECT_EQ(v.layer[VL_FLAPDOWN], nullptr);
    EXPECT_EQ(v.layer[VL_REVON], nullptr);
    ViewerPress(&v, 1);
    EXPECT_EQ(up->sw, 0);
    SwitchLayer(nullptr, 1);  // nothing happens
}

// ---- hover, press and drag against a button picture made here ----

class ViewerPointer : public ::testing::Test {
  protected:
    void SetUp() override {
        ClipCursor(nullptr);
        ASSERT_EQ(UMBDLL_CreateCell(&buttons, 4 * VIEWER_BUTTON_W, 3 * VIEWER_BUTTON_H), 1);
        buttons.mask = kKey;
        for (int y = 0; y < buttons.ysize; ++y)
            for (int x = 0; x < buttons.xsize; ++x) {
                // Each button's face leaves a 10-pixel keyed margin in its rectangle.
                const int bx = x % VIEWER_BUTTON_W, by = y % VIEWER_BUTTON_H;
                const bool face =
                    bx >= 10 && bx < VIEWER_BUTTON_W - 10 && by >= 10 && by < VIEWER_BUTTON_H - 10;
                buttons.bits[y * buttons.xsize + x] = face ? 0x1234 : kKey;
            }
    }
    void TearDown() override {
        ZEM_DeleteCell(&buttons);
        ClipCursor(nullptr);
    }
    int Step(int x, int y, int* held, int shift = 0, int ctrl = 0) {
        return ViewerInputStep(&v, &buttons, ViewerInput{POINT{x, y}, held, shift, ctrl}, kClient);
    }
    RECT Clip() {
        RECT r{};
        GetClipCursor(&r);
        return r;
    }
    static constexpr ZEMPIXEL kKey = 0x7C1F;
    const RECT kClient{100, 50, 900, 650};
    tagCELL buttons{};
    Viewer v;
};

TEST_F(ViewerPointer, HoverMarksTheButtonUnderAnOpaquePixel) {
    int held = 0;
    const POINT b2 = ViewerButtonAt(2);
    EXPECT_EQ(Step(b2.x + 30, b2.y + 50, &held), -1);
    EXPECT_EQ(v.button[2], 1);
    EXPECT_EQ(v.button[0] + v.button[1] + v.button[3], 0);
    Step(b2.x + 3, b2.y + 50, &held);  // the keyed margin
    EXPECT_EQ(v.button[2], 0);
    Step(10, 10, &held);
    for (int i = 0; i < VIEWER_BUTTONS; ++i) EXPECT_EQ(v.button[i], 0) << i;
}

TEST_F(ViewerPointer, APressActsOnceAndHoldingDoesNotRepeat) {
    const POINT b1 = ViewerButtonAt(1);
    int held = 1;
    EXPECT_EQ(Step(b1.x + 30, b1.y + 50, &held), 1);
    EXPECT_EQ(held, 0) << "the press is used up";
    EXPECT_EQ(v.button[1], 2);
    EXPECT_EQ(v.toggle[1], 1);
    // The button is still held down: the platform's button-up has not come, bBUTTON stays 0.
    for (int frame = 0; frame < 3; ++frame) EXPECT_EQ(Step(b1.x + 30, b1.y + 50, &held), -1);
    EXPECT_EQ(v.toggle[1], 1);
    EXPECT_EQ(v.button[1], 1) << "back to the hover look";
    EXPECT_FALSE(v.dragging);
    held = 1;  // a new press
    EXPECT_EQ(Step(b1.x + 30, b1.y + 50, &held), 1);
    EXPECT_EQ(v.toggle[1], 0);
}

TEST_F(ViewerPointer, APressOnATransparentPixelDragsAndConfinesThePointer) {
    const POINT b0 = ViewerButtonAt(0);
    int held = 1;
    EXPECT_EQ(Step(b0.x + 2, b0.y + 2, &held), -1);
    EXPECT_TRUE(v.dragging);
    EXPECT_EQ(v.toggle[0], 1) << "the button did not act";
    RECT r = Clip();
    EXPECT_EQ(r.left, kClient.left);
    EXPECT_EQ(r.top, kClient.top);
    EXPECT_EQ(r.right, kClient.right);
    EXPECT_EQ(r.bottom, kClient.bottom);
    // Dragged 20 left and 5 down, then with Ctrl 10 left.
    Step(b0.x - 18, b0.y + 7, &held);
    EXPECT_DOUBLE_EQ(v.y, 60);
    EXPECT_DOUBLE_EQ(v.z, -15);
    Step(b0.x - 28, b0.y + 7, &held, 0, 1);
    EXPECT_NEAR(v.s, 1.1, 1e-12);
    EXPECT_EQ(Clip().right, kClient.right) << "still confined while the button is held";
    held = 0;  // released
    Step(b0.x - 28, b0.y + 7, &held);
    EXPECT_FALSE(v.dragging);
    r = Clip();
    EXPECT_EQ(r.left, 0) << "released";
    EXPECT_NE(r.right, kClient.right);
}

TEST_F(ViewerPointer, TheEndReleasesADragStillGoingOn) {
    int held = 1;
    Step(400, 200, &held);
    ASSERT_TRUE(v.dragging);
    EXPECT_EQ(Clip().top, kClient.top);
    ViewerRelease(&v);
    EXPECT_FALSE(v.dragging);
    EXPECT_EQ(Clip().top, 0);
}

}  // namespace
