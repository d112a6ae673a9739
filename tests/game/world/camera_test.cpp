// The cameras tick by tick on fixed records: the thirteen modes and the panoramic view as the
// record takes them, the glide, the change of followed aircraft in three legs, the fixed
// change, jumps without camera moves, paused frames, the slow and fast turns, refusals, the
// scenery by the eye, the caption, and the weather that the camera step moves.
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "controller/controller_internal.h"
#include "world_fixture.h"

namespace {

using worldtest::V;

constexpr double kGround = 3;  // the airport's ground height

void ExpectNear(const tagKRN3D& a, const tagKRN3D& b, double eps, const std::string& what) {
    EXPECT_NEAR(a.x, b.x, eps) << what;
    EXPECT_NEAR(a.y, b.y, eps) << what;
    EXPECT_NEAR(a.z, b.z, eps) << what;
}

// The width of the caption the panel's corner shows: (glyph width - 2) x length + 3.
int CornerWidth() {
    const RECT r = GetFlightInfoCorner();
    return r.right - r.left;
}
int CaptionWidth(const char* caption) {
    return (GetCommandCells().font.xpos - 2) * int(std::strlen(caption)) + 3;
}

class Cameras : public worldtest::Stage {
  protected:
    Cameras() {
        ObjectRecord& airport = Obj(kObjectAirport);
        airport.used = 1;
        ViewPoint& vp = GetViewPointTable()[0];
        vp.eye = V(121.7, 119.0, 90.3);
        vp.height = int(kGround);
        Place(0, V(300, 0, -200), V(0, 45, 0), "JAL-0123");
        Place(1, V(-500, 400, 600), V(2, 200, 0), "ANA-0456");
        ScenarioWorld& w = GetScenarioHeader().world;
        w = ScenarioWorld{};
        w.eye[0] = -400, w.eye[1] = 300, w.eye[2] = -600;
        w.aim[0] = 20, w.aim[1] = 30, w.aim[2] = 0;
        w.distance = 500;
        GetConfig().cameramove = 1;
        GetAirportLayers() = AirportLayers{};
        GetWeatherLayers() = WeatherLayers{};
        GetStageWeather() = StageWeather{};
        GetSmokeSource() = SmokeSource{};
        SetStageState(STAGE_PLAY);
        SetSelectedAircraft(-1);
        SetCameraModeNumber(0);
        CameraReset();
        // The panel's cell and an overlay font of 10 x 16 glyphs: its corner shows the caption.
        CommandCells& cells = GetCommandCells();
        ZEM_CreateCell(&cells.font, 950, 16);
        cells.font.xpos = 10;
        cells.font.ypos = 16;
        ZEM_CreateCell(&cells.overlap, 800, 200);
        HideFlightInfo();
        HideCommandMenu();
    }
    ~Cameras() override {
        ZEM_DeleteCell(&GetCommandCells().font);
        ZEM_DeleteCell(&GetCommandCells().overlap);
        HideFlightInfo();
        GetAirportLayers() = AirportLayers{};
        GetWeatherLayers() = WeatherLayers{};
        SetSelectedAircraft(-1);
        SetStageState(STAGE_PLAY);
    }
    void Place(int slot, const tagKRN3D& pos, const tagKRN3D& angle, const char* callsign) {
        Obj(slot).used = 1;
        Obj(slot).pos = pos;
        Obj(slot).angle = angle;
        std::snprintf(Air(slot).callsign, sizeof Air(slot).callsign, "%s", callsign);
    }
    static CameraRecord& C() { return GetCameraRecord(); }
    static uint32_t Phase() { return (C().state & kCameraPhaseMask) >> kCameraPhaseShift; }
    static uint32_t Mode() { return C().state & kCameraModeMask; }
    const tagKRNCAMERA& Engine0() { return Engine()->camera[0]; }
    tagKRNL* NewLayer(const char* name) { return KRNL_CreateLayer(Root(), name); }
    // The eye the record's `distance` and `offset` give for angles looking from an object.
    static tagKRN3D EyeFrom(const tagKRN3D& angles, int slot) {
        tagKRN3D eye{};
        EXPECT_EQ(CameraOffsetFromObject(&angles, slot, &eye), 1);
        return eye;
    }
};

struct ModeCase {
    int number;
    uint32_t mode, phase;
    tagKRN3D offset;  // x -1 marks the tower eye
    tagKRN3D target;
    double distance, zoom;  // zoom 0: kept
    const char* caption;
    int nearshown;  // -1 kept
};

TEST_F(Cameras, EveryModeByTheTable) {
    const ModeCase cases[] = {
        {0, 0x5000, 0x30, V(0, 20, 0), V(20, 0, 0), 350, 50, "JAL-0123 CAM", -1},
        {1, 0x6000, 0x40, V(-1, 0, 0), V(0, 10, 0), -30, 50, "JAL-0123 HANEDA TOWER CAM", -1},
        {2, 0x6000, 0x10, V(-23, 4, -615), V(0, 10, 0), -30, 35, "JAL-0123 RWY34L CAM", 1},
        {3, 0x6000, 0x10, V(787, 4, -461), V(0, 10, 0), -30, 35, "JAL-0123 RWY34R CAM", 1},
        {4, 0x6000, 0x10, V(426, 4, 555), V(0, 10, 0), -30, 35, "JAL-0123 RWY16L CAM", 0},
        {5, 0x6000, 0x10, V(-471, 4, 441), V(0, 10, 0), -30, 35, "JAL-0123 RWY16R CAM", 0},
        {6, 0x6000, 0x10, V(-40, 4, 625), V(0, 10, 0), -30, 35, "JAL-0123 RWY22 CAM", 0},
        {7, 0x6000, 0x10, V(-700, 4, -34), V(0, 10, 0), -30, 35, "JAL-0123 RWY04 CAM", 0},
        {8, 0x6000, 0x10, V(-475, 10, -625), V(0, 10, 0), -30, 50, "JAL-0123 OUTSIDE CAM", 1},
        {9, 0x6000, 0x10, V(125, 70, -132), V(0, 10, 0), -30, 35, "JAL-0123 BIRDEYE CAM", 0},
        {10, 0x4000, 0x10, V(0, 10, 0), V(5, 180, 0), -20, 0, "PILOT CAM", -1},
        {11, 0x1000, 0x10, V(0, 1000, 0), V(90, 0, 0), 1500, 0, "UPPER CAM", -1},
        {12, 0x1000, 0x10, V(0, 500, 0), V(90, 0, 0), 50, 0, "UPPER ZOOM CAM", -1},
    };
    AirportLayers& l = GetAirportLayers();
    l.airporton = NewLayer("airporton");
    l.airportoff = NewLayer("airportoff");
    for (const ModeCase& m : cases) {
        const std::string what = "mode " + std::to_string(m.number);
        CameraReset();
        C().zoom = 77;
        // The scenery stands the other way, so that a switch shows.
        const int before = m.nearshown < 0 ? 1 : 1 - m.nearshown;
        l.nearshown = before;
        KRNL_RecallFunction(KRNLOP_SWITCH, l.airporton, 0, before, 0);
        KRNL_RecallFunction(KRNLOP_SWITCH, l.airportoff, 0, 1 - before, 0);
        HideFlightInfo();
        HideCommandMenu();
        SetSelectedAircraft(0);
        SetCameraModeNumber(m.number);
        EXPECT_EQ(GetCameraModeNumber(), m.number);
        SetCameraMode(1, 0);
        EXPECT_EQ(C().state, m.mode | CameraPhase(m.phase)) << what;
        EXPECT_EQ(C().object, 0) << what;
        if (m.phase >= 0x30) EXPECT_EQ(C().count, 30) << what;
        const tagKRN3D offset = m.offset.x == -1 ? GetViewPoint(20).eye : m.offset;
        ExpectNear(C().offset, offset, 0, what + " offset");
        ExpectNear(C().target, m.target, 0, what + " target");
        EXPECT_EQ(C().goaldist, m.distance) << what;
        EXPECT_EQ(C().zoom, m.zoom ? m.zoom : 77) << what;
        EXPECT_EQ(C().ready, 0) << what;
        EXPECT_STREQ(GetCameraCaption(), m.caption) << what;
        const int nearshown = m.nearshown < 0 ? before : m.nearshown;
        EXPECT_EQ(l.nearshown, nearshown) << what;
        EXPECT_EQ(l.airporton->sw, nearshown) << what;
        EXPECT_EQ(l.airportoff->sw, 1 - nearshown) << what;
        // Panel and menu are the aircraft's, and the corner shows the new caption.
        EXPECT_EQ(GetFlightInfoAircraft(), 0) << what;
        EXPECT_TRUE(IsCommandMenuShown()) << what;
        EXPECT_EQ(GetCommandMenuAircraft(), 0) << what;
        EXPECT_EQ(CornerWidth(), CaptionWidth(m.caption)) << what;
    }
    // Without selecting, the tower's caption has no callsign and the panel stays.
    SetCameraModeNumber(1);
    SetCameraMode(0, 1);
    EXPECT_STREQ(GetCameraCaption(), "TOWER CAM");
    EXPECT_EQ(GetFlightInfoAircraft(), 0);
    EXPECT_EQ(CornerWidth(), CaptionWidth("TOWER CAM"));
    EXPECT_EQ(C().object, 1);
    // Numbers outside 0-12 are refused.
    SetCameraModeNumber(13);
    SetCameraModeNumber(-1);
    EXPECT_EQ(GetCameraModeNumber(), 1);
}

TEST_F(Cameras, PanoramicView) {
    struct Case {
        int ticks, far;
        uint32_t state;
        int count;
    };
    for (const Case& c :
         {Case{0, 0, 0x1000 | CameraPhase(0x10), 0}, Case{0, 1, 0x2000 | CameraPhase(0x10), 0},
          Case{60, 0, 0x1000 | CameraPhase(0x20), 60},
          Case{30, 1, 0x2000 | CameraPhase(0x20), 30}}) {
        CameraReset();
        C().count = 0;
        SetDefaultCamera(c.ticks, c.far);
        EXPECT_EQ(C().state, c.state) << c.ticks << " " << c.far;
        EXPECT_EQ(C().object, kObjectAirport);
        EXPECT_EQ(C().count, c.count) << c.ticks;
        ExpectNear(C().offset, V(-400, 300, -600), 0, "offset");
        ExpectNear(C().target, V(20, 30, 0), 0, "target");
        EXPECT_EQ(C().goaldist, 500);
        EXPECT_STREQ(GetCameraCaption(), "PANORAMIC CAM");
        EXPECT_EQ(CornerWidth(), CaptionWidth("PANORAMIC CAM"));
    }
    // A scenario distance of 0 is the eye itself, whatever the view before.
    GetScenarioHeader().world.distance = 0;
    C().goaldist = 1500;
    SetDefaultCamera(60, 0);
    EXPECT_EQ(C().goaldist, 0);
    GetScenarioHeader().world.distance = 500;
    // The jump lands on the view from the airport's view point at once.
    CameraReset();
    SetDefaultCamera(0, 0);
    CameraMain(1);
    EXPECT_EQ(Phase(), 0u);
    C().distance = 500;
    ExpectNear(C().eye, EyeFrom(V(20, 30, 0), kObjectAirport), 1e-9, "jump eye");
    ExpectNear(Engine0().viewpoint, C().eye, 0, "engine eye");
    ExpectNear(Engine0().rotate, V(20, 30, 0), 0, "engine angles");
    EXPECT_EQ(Engine0().zoom, 50.0);
}

// The route preview's view: from above, 35 degrees down across the box of the airport's named
// spots and runways, its longer side across the view, its eye before the fog; any other view
// ends the preview state.
TEST_F(Cameras, RoutePreviewLooksAcrossTheAirportFromAbove) {
    struct Place {
        const char* name;
        int x, z;  // world units
    };
    struct Case {
        const char* what;
        std::vector<Place> spots, runways;
        tagKRN3D centre;
        double heading, across;
        double fog = 0;  // the engine's fog start (0: no fog)
    };
    const Case cases[] = {
        {"wider east-west: looking north",
         {{"SPOT 1", -1000, 100}, {"SPOT 2", 200, 300}},
         {{"34L", 1000, -200}},
         V(0, 0, 50),
         0,
         2000},
        {"longer north-south: looking east",
         {{"SPOT 1", 300, -900}, {"", 5000, 5000}},  // an empty name is no spot
         {{"16R", 100, 700}},
         V(200, 0, -100),
         90,
         1600},
        {"nothing named: round the origin", {}, {}, V(0, 0, 0), 0, 1000},
        {"the fog near: the eye at three quarters of its start",
         {{"SPOT 1", -1000, 100}, {"SPOT 2", 200, 300}},
         {{"34L", 1000, -200}},
         V(0, 0, 50),
         0,
         2000,
         2000},
    };
    const std::unique_ptr<AirportRecord> airport(new AirportRecord());
    SetAirportRecord(airport.get());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        *airport = AirportRecord{};
        for (size_t i = 0; i < c.spots.size(); ++i) {
            AirportPlace& p = airport->spots[i];
            std::snprintf(p.name, sizeof p.name, "%s", c.spots[i].name);
            p.x = c.spots[i].x * 100;
            p.z = c.spots[i].z * 100;
        }
        for (size_t i = 0; i < c.runways.size(); ++i) {
            AirportPlace& p = airport->departures[i];
            std::snprintf(p.name, sizeof p.name, "%s", c.runways[i].name);
            p.x = c.runways[i].x * 100;
            p.z = c.runways[i].z * 100;
        }
        Engine()->distance = c.fog ? 8000 : -1.0;
        Engine()->top = c.fog;
        CameraReset();
        SetPreviewCamera();
        EXPECT_EQ(IsPreviewCamera(), 1);
        EXPECT_EQ(C().state, 0x1000 | CameraPhase(0x20));
        EXPECT_EQ(C().object, kObjectAirport);
        EXPECT_EQ(C().count, 30);
        EXPECT_STREQ(GetCameraCaption(), "PREVIEW CAM");
        EXPECT_EQ(CornerWidth(), CaptionWidth("PREVIEW CAM"));
        ExpectNear(C().offset, c.centre, 1e-9, "the box's centre");
        ExpectNear(C().target, V(35, c.heading, 0), 0, "down and across");
        // Far enough back that the longer side and 100 units each side fill the view's width
        // (at zoom 50 its half is 0.35 of the distance), unless the fog is nearer.
        const double d = c.fog ? c.fog * 0.75 : (c.across / 2 + 100) / 0.35;
        EXPECT_NEAR(C().goaldist, d, 1e-6);
        CameraMain(30);
        EXPECT_EQ(Phase(), 0u);
        // The eye stands behind the centre and above it, 35 degrees up.
        const double back = d * std::cos(35 * M_PI / 180), up = d * std::sin(35 * M_PI / 180);
        const tagKRN3D eye = c.heading == 0 ? V(c.centre.x, up, c.centre.z - back)
                                            : V(c.centre.x - back, up, c.centre.z);
        ExpectNear(C().eye, eye, 1e-6, "eye");
        EXPECT_EQ(IsPreviewCamera(), 1);
    }
    Engine()->distance = -1.0;
    Engine()->top = 0;
    // Another view ends the preview state: an aircraft's mode, the panoramic view.
    SetCameraMode(0, 0);
    EXPECT_EQ(IsPreviewCamera(), 0);
    SetPreviewCamera();
    SetDefaultCamera(0, 0);
    EXPECT_EQ(IsPreviewCamera(), 0);
    SetPreviewCamera();
    CameraReset();
    EXPECT_EQ(IsPreviewCamera(), 0);
    SetAirportRecord(nullptr);
}

TEST_F(Cameras, GlideIsLinearWhateverTheFrames) {
    struct Pattern {
        int frames, ticks;
    };
    for (const Pattern& p : {Pattern{30, 1}, Pattern{10, 3}, Pattern{1, 30}}) {
        const std::string what = std::to_string(p.frames) + " x " + std::to_string(p.ticks);
        CameraReset();
        C().eye = V(10, 20, 30);
        C().rotate = V(5, 350, 0);
        const tagKRN3D eye0 = C().eye, rot0 = C().rotate;
        SetDefaultCamera(30, 0);
        // The goal: the panoramic view, its heading taken the short way round (30 = 390).
        C().distance = 500;
        const tagKRN3D goaleye = EyeFrom(V(20, 30, 0), kObjectAirport);
        C().distance = 0;
        const tagKRN3D goalrot = V(20, 390, 0);
        int k = 0;
        for (int f = 0; f < p.frames; ++f) {
            CameraMain(p.ticks);
            k += p.ticks;
            const double share = k / 30.0;
            const tagKRN3D eye = {eye0.x + (goaleye.x - eye0.x) * share,
                                  eye0.y + (goaleye.y - eye0.y) * share,
                                  eye0.z + (goaleye.z - eye0.z) * share, 0};
            const tagKRN3D rot = {rot0.x + (goalrot.x - rot0.x) * share,
                                  rot0.y + (goalrot.y - rot0.y) * share,
                                  rot0.z + (goalrot.z - rot0.z) * share, 0};
            ExpectNear(C().eye, eye, 1e-9, what + " eye at " + std::to_string(k));
            ExpectNear(C().rotate, rot, 1e-9, what + " angles at " + std::to_string(k));
            ExpectNear(Engine0().viewpoint, C().eye, 0, what);
            EXPECT_EQ(C().distance, 500) << what;
            EXPECT_EQ(Phase(), k < 30 ? 0x20u : 0u) << what << " " << k;
        }
        EXPECT_EQ(C().ready, 0) << what;
        EXPECT_EQ(C().count, 0) << what;
    }
}

TEST_F(Cameras, FollowChangeInThreeLegs) {
    SetCameraModeNumber(0);
    SetCameraMode(1, 0);
    CameraMain(30);
    ASSERT_EQ(Phase(), 0u);
    EXPECT_EQ(C().object2, 0);  // from rest the change started from the aircraft itself
    SetCameraMode(1, 1);
    EXPECT_EQ(C().object, 1);
    EXPECT_EQ(C().object2, 0);
    bool clamped = false;
    tagKRN3D rotate31{};
    for (int k = 1; k <= 30; ++k) {
        const uint32_t phase = Phase();
        CameraMain(1);
        const std::string what = "tick " + std::to_string(k);
        EXPECT_EQ(phase, k <= 10 ? 0x30u : k <= 20 ? 0x31u : 0x32u) << what;
        EXPECT_EQ(Phase(), k < 10 ? 0x30u : k < 20 ? 0x31u : k < 30 ? 0x32u : 0u) << what;
        if (phase == 0x30) {
            // Turning at the old aircraft: never below the ground + 5.
            EXPECT_GE(C().eye.y, kGround + 5) << what;
            const tagKRN3D raw = EyeFrom(C().rotate, 0);
            EXPECT_EQ(C().eye.y, std::max(raw.y, kGround + 5)) << what;
            clamped = clamped || raw.y < kGround + 5;
            EXPECT_EQ(C().distance, 350) << what;
        }
        if (phase == 0x31) {
            // Moving to the new aircraft, looking the same way.
            if (k == 11) rotate31 = C().rotate;
            ExpectNear(C().rotate, rotate31, 0, what);
        }
        if (k == 20) ExpectNear(C().eye, EyeFrom(C().rotate, 1), 1e-9, what);
        ExpectNear(Engine0().viewpoint, C().eye, 0, what);
    }
    EXPECT_TRUE(clamped) << "the turn toward a higher aircraft takes the eye below ground";
    // Last the mode's own view of the new aircraft: toward the airport's view point.
    tagKRN3D eye, angles;
    ASSERT_EQ(
        CameraOffsetToward(&C().offset, &GetViewPoint(20).point, 1, kObjectAirport, &eye, &angles),
        1);
    UnwrapAngles(&angles, &angles, &rotate31);
    ExpectNear(C().rotate, angles, 1e-9, "final angles");
    ExpectNear(C().eye, EyeFrom(C().rotate, 1), 1e-9, "final eye");
}

TEST_F(Cameras, ChangeFromThePanoramicViewStartsAtTheTowerSide) {
    SetDefaultCamera(0, 0);
    CameraMain(1);
    SetCameraModeNumber(0);
    SetCameraMode(1, 0);
    EXPECT_EQ(C().object2, kObjectAirport);
    CameraMain(1);
    // The first leg's goal looks from the airport + (-225, 272, -225) toward the aircraft.
    const tagKRN3D from = V(-225, 272, -225), to = V(300 + 20, 0, -200);
    tagKRN3D look;
    LookAngles(&from, &to, &look);
    ExpectNear(C().goalrot, look, 1e-9, "first leg's goal");
    EXPECT_EQ(C().count0, 30);
    EXPECT_EQ(C().count, 9);
}

TEST_F(Cameras, FixedChangeTurnsTowardTheMovingAircraft) {
    SetCameraModeNumber(1);
    SetCameraMode(1, 0);
    ASSERT_EQ(Phase(), 0x40u);
    CameraMain(1);
    EXPECT_EQ(Phase(), 0x42u);
    EXPECT_EQ(C().distance, -30);
    EXPECT_EQ(C().count, 29);
    CameraMain(14);
    Obj(0).pos = V(350, 0, -150);  // the aircraft rolls on; the goal follows it
    CameraMain(15);
    EXPECT_EQ(Phase(), 0u);
    tagKRN3D eye, angles;
    const tagKRN3D tower = GetViewPoint(20).eye, aim = V(0, 10, 0);
    ASSERT_EQ(CameraOffsetToward(&tower, &aim, kObjectAirport, 0, &eye, &angles), 1);
    ExpectNear(C().rotate, angles, 1e-9, "angles");
    ExpectNear(C().eye, eye, 1e-9, "eye");
    // Then the steady view keeps following.
    Obj(0).pos = V(400, 0, -100);
    CameraMain(1);
    ASSERT_EQ(CameraOffsetToward(&tower, &aim, kObjectAirport, 0, &eye, &angles), 1);
    ExpectNear(C().eye, eye, 1e-9, "steady eye");
}

TEST_F(Cameras, WithoutCameraMovesEveryChangeJumps) {
    GetConfig().cameramove = 0;
    for (int mode : {0, 1}) {
        SetCameraModeNumber(mode);
        SetCameraMode(1, 1);
        CameraMain(1);
        EXPECT_EQ(Phase(), 0u) << mode;
        tagKRN3D eye, angles;
        const tagKRN3D point = GetViewPoint(20).point;
        if (mode == 0)
            CameraOffsetToward(&C().offset, &point, 1, kObjectAirport, &eye, &angles);
        else
            CameraOffsetToward(&C().offset, &C().target, kObjectAirport, 1, &eye, &angles);
        ExpectNear(C().eye, eye, 1e-9, "mode " + std::to_string(mode));
    }
    SetDefaultCamera(60, 0);
    CameraMain(1);
    EXPECT_EQ(Phase(), 0u);
}

TEST_F(Cameras, PausedFrameLeavesTheEngineCamera) {
    SetDefaultCamera(30, 0);
    CameraMain(5);
    const CameraRecord before = C();
    Engine()->camera[0].viewpoint = V(1, 2, 3);
    CameraMain(0);
    ExpectNear(Engine0().viewpoint, V(1, 2, 3), 0, "engine");
    EXPECT_EQ(C().count, before.count);
    ExpectNear(C().eye, before.eye, 0, "record");
}

TEST_F(Cameras, SlowAndFastTurnsPerTick) {
    struct Case {
        uint32_t mode;
        double start, step;
    };
    for (const Case& c : {Case{0x2000, 100, 0.005}, Case{0x3000, 100, 0.5},
                          Case{0x2000, 359.999, 0.005}, Case{0x3000, 359.8, 0.5}}) {
        const tagKRN3D offset = V(0, 50, 0), target = V(10, c.start, 0);
        ASSERT_EQ(SetCamera(c.mode, kObjectAirport, &offset, &target, 400), 1);
        CameraMain(1);  // the jump
        ASSERT_EQ(C().target.y, c.start);
        for (int f = 0; f < 10; ++f) CameraMain(f % 2 ? 3 : 1);  // 20 ticks in frames of 1 and 3
        double expect = c.start;
        for (int k = 0; k < 20; ++k) {
            expect += c.step;
            if (expect >= 360) expect -= 360;
        }
        EXPECT_NEAR(C().target.y, expect, 1e-9) << std::hex << c.mode << " from " << c.start;
        EXPECT_GE(C().target.y, 0);
        EXPECT_LT(C().target.y, 360);
        ExpectNear(C().rotate, C().target, 0, "angles");
    }
}

TEST_F(Cameras, RefusedChangesKeepTheView) {
    SetCameraModeNumber(2);
    SetCameraMode(1, 0);
    CameraMain(1);
    const CameraRecord before = C();
    const std::string caption = GetCameraCaption();
    SetCameraMode(1, 5);  // slot 5 holds no object
    SetCameraMode(1, -1);
    EXPECT_EQ(C().state, before.state);
    EXPECT_EQ(C().object, 0);
    EXPECT_EQ(GetCameraCaption(), caption);
    const tagKRN3D v = V(1, 1, 1);
    struct Case {
        uint32_t code;
        int slot;
        int taken;
        int object;
    };
    const Case cases[] = {
        {0x8000, 0, 0, 0},  {0x11000, 0, 0, 0}, {0x1000, 5, 0, 0},
        {0x1000, -2, 0, 0}, {0x5000, -2, 1, 0}, {0x7000, -1, 1, 0},
        {0x4000, 1, 1, 1},  {0x1000, -1, 1, 1}, {0, 0, 1, 0},
    };
    for (const Case& c : cases) {
        const CameraRecord was = C();
        EXPECT_EQ(SetCamera(c.code, c.slot, &v, &v, 0.0), c.taken) << std::hex << c.code;
        EXPECT_EQ(C().object, c.object) << std::hex << c.code;
        if (!c.taken) EXPECT_EQ(C().state, was.state) << std::hex << c.code;
        EXPECT_EQ(C().goaldist, was.goaldist) << "distance 0.0 keeps it";
    }
    // Code 0 keeps the mode; after reset (no mode) it is refused.
    EXPECT_EQ(C().state & kCameraModeMask, 0x1000u);
    CameraReset();
    EXPECT_EQ(SetCamera(0, 0, nullptr, nullptr, 0.0), 0);
    EXPECT_EQ(C().state, 0x100u);
}

TEST_F(Cameras, PilotViewRidesWithTheAircraft) {
    Obj(0).angle = V(3, 45, 1);
    SetCameraModeNumber(10);
    SetCameraMode(1, 0);
    CameraMain(2);
    ExpectNear(C().rotate, V(8, 225, 1), 1e-12, "angles");
    tagKRN3D back = V(0, 0, -20), turned;
    RotateVector3(&turned, &back, &C().rotate);
    ExpectNear(C().eye, V(300 - turned.x, 10 - turned.y, -200 - turned.z), 1e-9, "eye");
}

struct SceneryCase {
    double x, y, z;
    int selected, area;
    int nearshown, woods;
};

TEST_F(Cameras, SceneryByTheEye) {
    AirportLayers& l = GetAirportLayers();
    l.airporton = NewLayer("airporton");
    l.airportoff = NewLayer("airportoff");
    l.woods[0] = NewLayer("woods");
    l.woods[1] = NewLayer("trees");
    l.nearshown = 1;
    KRNL_RecallFunction(KRNLOP_SWITCH, l.airportoff, 0, 0, 0);
    const SceneryCase cases[] = {
        {9999, 100.0, 0, 0, 0, 1, 1}, {10000, 100.1, 0, 0, 0, 0, 0},
        {-9999.9, 50, 0, 0, 0, 1, 1}, {7071, 20, 7071, 0, 0, 1, 1},
        {7072, 20, 7072, 0, 0, 0, 1}, {0, 500, 0, -1, 0, 0, 0},  // no selection: kept
        {0, 100, 0, 0, 1, 0, 1},                                 // another area: kept
        {0, 100, -9999, 0, 0, 1, 1},
    };
    for (const SceneryCase& c : cases) {
        const std::string what =
            std::to_string(c.x) + " " + std::to_string(c.y) + " " + std::to_string(c.z);
        SetSelectedAircraft(c.selected);
        Air(0).area = c.area;
        const tagKRN3D offset = V(c.x, c.y, c.z), target = V(0, 0, 0);
        ASSERT_EQ(SetCamera(0x1000, kObjectAirport, &offset, &target, 0.0), 1);
        CameraMain(1);
        ExpectNear(C().eye, offset, 0, what);
        EXPECT_EQ(l.nearshown, c.nearshown) << what;
        EXPECT_EQ(l.airporton->sw, c.nearshown) << what;
        EXPECT_EQ(l.airportoff->sw, 1 - c.nearshown) << what;
        EXPECT_EQ(l.woods[0]->sw, c.woods) << what;
        EXPECT_EQ(l.woods[1]->sw, c.woods) << what;
    }
}

TEST_F(Cameras, LongCallsignsAreCutToTheCaption) {
    std::snprintf(Air(0).callsign, sizeof Air(0).callsign, "%s", "ABCDEFGHIJKLMNO");
    SetCameraModeNumber(1);
    SetCameraMode(1, 0);
    EXPECT_EQ(std::string(GetCameraCaption()), "ABCDEFGHIJKLMNO HANEDA TOWER CA");
    EXPECT_EQ(std::strlen(GetCameraCaption()), size_t(kCameraCaptionMax));
}

TEST_F(Cameras, WeatherMovesInPlayAndWithATransition) {
    GetStageWeather().winddir = 250;
    GetStageWeather().windspeed = 7;
    std::snprintf(GetScenarioHeader().world.weather, 5, "R");
    tagKRNL* rain = MakeAutoRain(Root(), 1000, 20);
    GetWeatherLayers().rain = rain;
    SetDefaultCamera(0, 0);
    CameraMain(1);
    CameraMain(1);
    EXPECT_NEAR(rain->shift.x, C().eye.x, 4);
    EXPECT_NEAR(rain->shift.y, C().eye.y, 4);
    ExpectNear(rain->rotate, V(-14, 70, 0), 0, "rain angles");
    // Paused at rest: the rain stays; a transition moves it.
    SetStageState(STAGE_PAUSED);
    rain->shift = V(0, 0, 0);
    CameraMain(3);
    ExpectNear(rain->shift, V(0, 0, 0), 0, "paused");
    SetDefaultCamera(30, 0);
    CameraMain(1);
    EXPECT_NEAR(rain->shift.x, C().eye.x, 4) << "a transition while paused";

    // A dry stage: the smoke trail emits behind its aircraft (on a clock that stands still, so
    // that the puffs have not grown yet).
    const int wasvirtual = WynPlat_IsVirtualClock();
    WynPlat_SetVirtualClock(1);
    WynPlat_SetClockReadStep(0);
    WynPlat_AdvanceClock(1000);
    GetScenarioHeader().world.weather[0] = 0;
    SetStageState(STAGE_PLAY);
    tagKRNL* smoke = MakeAutoSmoke(Root(), 2000, "ETC\\SMOKE\\", 20);
    GetWeatherLayers().smoke = smoke;
    SetEmitter(smoke, 0, 0.0, 6000, 2, 30, 3000);
    GetSmokeSource() = SmokeSource{V(0, 0, -75), 1, 0};
    Obj(0).angle = V(0, 90, 0);
    CameraMain(1);
    ExpectNear(smoke->lpchip[0].v[0], V(225, 0, -200), 1e-9, "tail");
    CameraMain(1);
    ExpectNear(smoke->lpchip[1].v[0], V(225, 0, -200), 1e-9, "a second puff");
    GetSmokeSource().on = 0;
    CameraMain(1);
    EXPECT_EQ(smoke->lpchip[2].v[0].y, -1000.0) << "off: nothing emitted";
    WynPlat_SetClockReadStep(100);
    WynPlat_SetVirtualClock(wasvirtual);
}

}  // namespace
