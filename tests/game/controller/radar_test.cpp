// The radar window: its world-to-screen mapping in both ranges and sizes, the clip, blips,
// heading lines, labels and their place, the route's colours, the markers, the clicks that flip
// the range, and docking.
#include <cstring>

#include "controller_fixture.h"

namespace {

using ctltest::Text;

class Radar : public ctltest::Stage {
  protected:
    Radar() { CreateRadarWindow(); }
    ~Radar() override { DestroyRadarWindow(); }
    static void View(int large, int wide) {
        SetRadarSize(large);
        SetRadarRange(wide);
    }
    // The radar screen's pixel.
    static ZEMPIXEL Px(int x, int y) {
        const tagZEMSCREEN* s = GetRadarScreen();
        return static_cast<const ZEMPIXEL*>(s->bits)[size_t(y) * size_t(s->width) + size_t(x)];
    }
    // Pixels of one colour in a rectangle of the radar screen.
    static int Count(ZEMPIXEL colour, int left, int top, int right, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) n += Px(x, y) == colour;
        return n;
    }
    // An aircraft in flight at (x, height, z) with its heading and speed.
    AircraftRecord& Flying(int slot, double x, double z, double heading, double speed) {
        AircraftRecord& a = Plane(slot);
        a.ground = 0;
        O(slot).pos = tagKRN3D{x, 300, z, 0};
        O(slot).angle = tagKRN3D{0, heading, 0, 0};
        O(slot).speed = speed;
        return a;
    }
};

// Colours of the font picture (etc/radarf_2.umz): the no-strip blip's grey, the label tile of
// strip slot 0, the conflict marker's red.
constexpr ZEMPIXEL kNoStripBlip = 0x5294;
constexpr ZEMPIXEL kLabelTile0 = 0x4084;
constexpr ZEMPIXEL kConflictRed = 0x7c84;

struct MapCase {
    int large, wide;
    double x, z;
    int sx, sy;
    bool inside;
};
const MapCase kMap[] = {
    {0, 1, 0, 0, 100, 100, true},       {0, 1, 1440, -1440, 110, 110, true},
    {0, 1, 72, 0, 100, 100, true},      {0, 1, 216, 0, 102, 100, true},
    {0, 1, -13680, 0, 5, 100, true},    {0, 1, -13824, 0, 4, 100, false},
    {0, 1, 13104, 0, 191, 100, true},   {0, 1, 13248, 0, 192, 100, false},
    {1, 1, 1440, 1440, 220, 180, true}, {1, 1, 72, 0, 201, 200, true},
    {0, 0, 102, 51, 110, 95, true},     {0, 0, -979.2, 0, 4, 100, false},
    {1, 0, 0, 0, 201, 200, true},       {1, 0, 102, 51, 221, 190, true},
};

TEST_F(Radar, WorldToScreenInBothRangesAndSizes) {
    for (const MapCase& c : kMap) {
        SCOPED_TRACE(::testing::Message() << c.large << c.wide << " " << c.x << "," << c.z);
        View(c.large, c.wide);
        const RadarView& v = GetRadarView();
        const POINT p = RadarScreenPoint(v, c.x, c.z);
        EXPECT_EQ(p.x, c.sx);
        EXPECT_EQ(p.y, c.sy);
        EXPECT_EQ(RadarInside(v, p.x, p.y), c.inside);
    }
    View(1, 0);
    const RadarView& v = GetRadarView();
    EXPECT_EQ(v.scale, 10.2);
    EXPECT_EQ(v.cx, 201) << "100.5 x 2";
    EXPECT_EQ(v.clip.left, 8);
    EXPECT_EQ(v.clip.right, 392);
    View(0, 1);
    EXPECT_EQ(GetRadarView().scale, 144.0);
    EXPECT_EQ(GetRadarView().clip.right, 196);
}

TEST_F(Radar, BlipsHeadingLinesAndTheGroundInTheNearRangeOnly) {
    View(0, 1);
    Flying(0, 0, 0, 0, 2);              // (100, 100)
    Flying(1, 1440, 0, 90, 2);          // (110, 100)
    AircraftRecord& parked = Plane(2);  // on the ground at (102, -51): near (110, 105)
    parked.ground = 0;
    O(2).pos = tagKRN3D{102, 0, -51, 0};
    RadarMain();
    // No strip: the no-strip blip (0, 12) of the font picture at the point.
    EXPECT_EQ(Px(100, 100), kNoStripBlip);
    // Heading 0 at speed 2: (sx + 1, sy + 4) to (sx + 1, sy + 7); heading 90: (sx - 2, sy + 1)
    // to (sx - 5, sy + 1).
    for (int y = 104; y <= 107; ++y) EXPECT_EQ(Px(101, y), 0x7fff) << y;
    EXPECT_NE(Px(101, 108), 0x7fff);
    for (int x = 105; x <= 108; ++x) EXPECT_EQ(Px(x, 101), 0x7fff) << x;
    EXPECT_NE(Px(104, 101), 0x7fff);
    EXPECT_NE(Px(109, 101), 0x7fff);
    // The wide range leaves the aircraft on the ground out; the near one shows it.
    const POINT g = RadarScreenPoint(GetRadarView(), 102, -51);
    EXPECT_EQ(Px(g.x + 1, g.y + 4), Px(g.x + 1, g.y + 20)) << "no heading line";
    View(0, 0);
    RadarMain();
    const POINT n = RadarScreenPoint(GetRadarView(), 102, -51);
    EXPECT_EQ(Px(n.x + 1, n.y + 4), 0x7fff);
}

TEST_F(Radar, LabelsFollowTheirStripAndStayInside) {
    View(0, 1);
    AircraftRecord& a = Flying(3, 0, 0, 0, 0);
    Text(a.callsign, "ANA-0456");
    a.strip = 0x102;
    DrawStrip(3);
    DrawRadarLabel(3);
    EXPECT_STREQ(GetRadarLabel(a.stripslot), "ANA-0456");
    RadarMain();
    // The label's row at (x - 16, y - 16) = (84, 84): its slot's tile behind the callsign.
    EXPECT_GT(Count(kLabelTile0, 84, 84, 148, 92), 200);
    // Near the right edge the label moves left so that its 64 pixels stay inside.
    O(3).pos.x = 80 * 144;  // sx 180
    RadarMain();
    const int right = GetRadarView().clip.right - 68;  // 128
    EXPECT_EQ(right, 128);
    EXPECT_GT(Count(kLabelTile0, right, 84, right + 64, 92), 200);
    EXPECT_EQ(Count(kLabelTile0, right + 64, 84, 196, 92), 0);
    // Selected: a white leader from the blip to the label's lower left (84, 92).
    SetSelectedAircraft(3);
    O(3).pos.x = 0;
    O(3).angle.y = 180;
    RadarMain();
    EXPECT_EQ(Px(92, 96), 0x7fff);
    // Cleared with the strip: no label row, no label.
    ClearRadarLabel(3);
    EXPECT_STREQ(GetRadarLabel(a.stripslot), "");
    // An aircraft without a strip has no label row.
    Plane(9);
    DrawRadarLabel(9);
    for (int s = 0; s < kStripSlots; ++s) {
        if (s != a.stripslot) EXPECT_STREQ(GetRadarLabel(s), "");
    }
}

TEST_F(Radar, ARouteChangingGroupTwiceIsWhiteThenYellow) {
    ReferenceScreen ref(400, 400);
    PointTable pts{};
    pts.point[0] = TablePoint{0, 0};
    pts.point[1] = TablePoint{102, 0};
    pts.point[2] = TablePoint{204, 0};
    pts.point[3] = TablePoint{204, 102};
    pts.count = 4;
    uint32_t words[kPreviewWords];
    for (uint32_t& w : words) w = kPreviewEnd;
    const uint32_t route[] = {PreviewWord(1, 0), PreviewWord(1, 1), PreviewWord(2, 1),
                              PreviewWord(2, 2), PreviewWord(3, 2), PreviewWord(3, 3)};
    std::copy(std::begin(route), std::end(route), words);
    View(0, 0);  // near, small: (0, 0) at (100, 100), 10.2 units a pixel
    DrawRadarRouteOn(ref.screen(), GetRadarView(), words, pts);
    EXPECT_EQ(ref.Px(105, 100), 0x7fff);
    EXPECT_EQ(ref.Px(115, 100), 0x7fe0);
    EXPECT_EQ(ref.Px(120, 95), 0x7fe0);
    // An end point beyond the clip is held inside it.
    pts.point[3] = TablePoint{204, 5000};
    DrawRadarRouteOn(ref.screen(), GetRadarView(), words, pts);
    EXPECT_EQ(ref.Px(120, 4), 0x7fe0);
    EXPECT_NE(ref.Px(120, 3), 0x7fe0);
}

TEST_F(Radar, TheNearPanelFollowsThePreview) {
    const struct {
        int mode, panel;
    } cases[] = {{0, 1}, {0x100, 2}, {0x200, 1}, {0x400, 1}, {0x401, 2}, {0x402, 3}, {0x403, 4}};
    for (const auto& c : cases) EXPECT_EQ(RadarPanelOfPreview(c.mode), c.panel) << c.mode;
}

TEST_F(Radar, TheConflictMarkerAfterANearMiss) {
    View(0, 1);
    Flying(5, 1440, 1440, 0, 0);  // (110, 90)
    GetCameraRecord().object2 = 5;
    RadarMain();
    const ZEMPIXEL before = Px(106, 86);
    SetStageState(STAGE_NEARMISS);
    RadarMain();
    EXPECT_NE(Px(106, 86), before);
    EXPECT_EQ(Px(106, 86), kConflictRed);
    SetStageState(STAGE_PLAY);
}

TEST_F(Radar, AClickInTheRadarFlipsTheRangeAClickInTheViewDoesNot) {
    SetRadarRange(1);
    GameInput& in = GetGameInput();
    SendMessageA(GetRadarWindow(), WM_LBUTTONDOWN, 0, MAKELPARAM(50, 50));
    EXPECT_EQ(in.lbx, -1);
    EXPECT_EQ(in.lby, -1);
    EXPECT_EQ(in.lbutton, 3);
    SendMessageA(GetRadarWindow(), WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(in.lbutton, 1);
    MouseCommand();
    EXPECT_EQ(GetRadarRange(), 0);
    EXPECT_EQ(in.lbutton, 0);
    // A press in the main window's upper part: no sprite, no flip.
    in.lbutton = 1;
    in.lbx = 300;
    in.lby = 120;
    MouseCommand();
    EXPECT_EQ(GetRadarRange(), 0);
    // Keys and the wheel reach the game's input words.
    SendMessageA(GetRadarWindow(), WM_KEYDOWN, 'W', 0);
    EXPECT_EQ(in.keycode, 'W');
    SendMessageA(GetRadarWindow(), WM_MOUSEWHEEL, MAKEWPARAM(0, uint16_t(-120)), 0);
    EXPECT_EQ(in.wheel, -120);
    in = GameInput{};
}

TEST_F(Radar, DockedOrFloatingAndRadarLZeroAlwaysDocks) {
    HWND w = GetRadarWindow();
    ASSERT_NE(w, nullptr);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.right - r.left, 200);
    EXPECT_EQ(GetRadarView().size, 1);
    EXPECT_EQ(GetAtcPanelWidth(), 371);
    // radarL 0: a request to float docks.
    GetConfig().radarlarge = 0;
    EXPECT_EQ(DockRadarWindow(2), 1);
    EXPECT_EQ(GetRadarView().size, 1);
    EXPECT_NE(GetWindowLongA(w, GWL_STYLE) & WS_CHILD, 0);
    // radarL 1: it floats at its saved place, 400 x 400 inside its frame.
    GetConfig().radarlarge = 1;
    GetConfig().layout.set[1].radar = POINT{30, 40};
    DockRadarWindow(2);
    EXPECT_EQ(GetRadarView().size, 2);
    EXPECT_EQ(GetAtcPanelWidth(), 560);
    EXPECT_EQ(GetWindowLongA(w, GWL_STYLE) & WS_CHILD, 0);
    EXPECT_NE(GetWindowLongA(w, GWL_STYLE) & WS_CAPTION, 0);
    RECT c;
    GetClientRect(w, &c);
    EXPECT_GE(c.right, 400);
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.top, 40);
    // Docking again keeps the floating place for the layouts.
    SetWindowPos(w, nullptr, 70, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    DockRadarWindow(1);
    EXPECT_EQ(GetConfig().layout.set[1].radar.x, 70);
    EXPECT_EQ(GetConfig().layout.set[1].radar.y, 80);
    EXPECT_EQ(GetRadarView().size, 1);
    // The range survives the docking changes.
    SetRadarRange(0);
    DockRadarWindow(2);
    EXPECT_EQ(GetRadarRange(), 0);
    EXPECT_EQ(GetRadarView().scale, 10.2);
}

}  // namespace
