// The command menu: the items each instruction offers, the sources that fill an item, route
// items and their refusal, full columns, the sprites, hiding and clearing, and the route
// previews read from the sample airport's ".rtd" files.
#include <algorithm>
#include <cstring>
#include <vector>

#include "controller_fixture.h"

namespace {

using ctltest::Text;

constexpr int kSlot = 4;

class Menu : public ctltest::Stage {
  protected:
    Menu() {
        AircraftRecord& a = Plane(kSlot);
        a.position = 2;
        SetSelectedAircraft(kSlot);
    }
    // The item codes of the menu, in the order shown.
    static std::vector<int> Codes() {
        std::vector<int> out;
        const CommandMenu& m = GetCommandMenu();
        for (int k = 0; k < m.count; ++k) {
            const int i = m.order[k];
            out.push_back(m.column[i / kMenuColumnSlots][i % kMenuColumnSlots].code - 1);
        }
        return out;
    }
    std::vector<int> Build(int32_t status) {
        A(kSlot).status = status;
        BuildCommandMenu(kSlot);
        return Codes();
    }
};

// The aircraft's tables for the menu cases: an approach plan (row 5 of the stage's runway value
// of slot 1), name entries 0 and 2, spot entries 1 and 3 with their flags, route list 1 with
// two entries.
struct MenuCase {
    const char* what;
    int32_t status;
    std::vector<int> codes;
    int holding = 0;
    int32_t plan = 0;
    const char* airline = "JAL";
    bool sids = true;
    int32_t kind = 0x101;
    int turnspeed = 0;  // the type's minimum turn speed, knots
    int approach[3] = {100, 200, 300};
};
const MenuCase kMenus[] = {
    {"approach, all valid", 0x12010, {0x102, 0x101, 0x100}},
    {"approach, the first invalid", 0x12010, {0x103}, 0, 0, "JAL", true, 0x101, 0, {-14001, 0, 0}},
    {"approach at -14000 is valid",
     0x12010,
     {0x102},
     0,
     0,
     "JAL",
     true,
     0x101,
     0,
     {-14000, -14001, -20000}},
    {"approach, a type turning at 38 knots or more",
     0x12010,
     {0x102, 0x101, 0x100, 0x001},
     0,
     0,
     "JAL",
     true,
     0x101,
     38},
    {"approach, a type turning at 37 knots",
     0x12010,
     {0x102, 0x101, 0x100},
     0,
     0,
     "JAL",
     true,
     0x101,
     37},
    {"approach, invalid and fast",
     0x12010,
     {0x103, 0x001},
     0,
     0,
     "JAL",
     true,
     0x101,
     38,
     {-20000, -20000, -20000}},
    {"0x15000", 0x15000, {0x104}},
    {"arrival runways", 0x18000, {0x200, 0x202}},
    {"arrival runways 0x19000", 0x19050, {0x200, 0x202}},
    {"0x22000", 0x22000, {0x008}},
    {"0x26000", 0x26030, {0x00a, 0x002}},
    {"0x26000 without landing", 0x26030, {0x00a}, 0, 0x50000},
    {"0x2a000", 0x2a000, {0x017, 0x00e}},
    {"0x2b000", 0x2b000, {0x017}},
    {"0xa7000", 0xa7000, {0x017}},
    {"0x32000", 0x32020, {0x016}},
    {"0xaa000", 0xaa000, {0x016}},
    {"0x38000", 0x38000, {0x015}},
    {"spots for the state", 0x42150, {0x303, 0x00c}},
    {"no spot holds every bit", 0x42150, {0x00c}, 0, 0, "JAL", true, 0x1011},
    {"spot flags 0x903 want 0x102", 0x42150, {0x301, 0x303, 0x00c}, 0, 0, "JAL", true, 0x102},
    {"spot flags 0x903 want 0x801", 0x42150, {0x303, 0x00c}, 0, 0, "JAL", true, 0x901},
    {"spots of equal flags", 0x45000, {0x303}, 0, 0, "JAL", true, 0x0f0f},
    {"0x44000 holding 0", 0x44000, {0x00d}},
    {"0x44000 holding 1", 0x44000, {0x00b}, 1},
    {"0x9a000 holding 2", 0x9a000, {}, 2},
    {"0x46000", 0x46000, {0x00b}},
    {"0x9b000", 0x9b000, {0x00b}},
    {"0x1e4000", 0x1e4000, {0x00b}},
    {"0x4a000 holding 0", 0x4a000, {0x01b, 0x00d}},
    {"0x9e000 holding 1", 0x9e000, {0x00b}, 1},
    {"0x51000", 0x51000, {0x004, 0x105}},
    {"SID groups", 0x82000, {0x500, 0x502, 0x014}},
    {"no SID table", 0x83000, {0x013, 0x014}, 0, 0, "JAL", false},
    {"0x89000", 0x89000, {0x013, 0x014}},
    {"0x8b000", 0x8b000, {0x013, 0x014}},
    {"departure runways", 0x92000, {0x700, 0x702, 0x012}},
    {"departure runways SNK", 0x920f0, {0x700, 0x702}, 0, 0, "SNK"},
    {"0x93000", 0x93120, {0x700, 0x702, 0x00c}},
    {"0x98000", 0x98120, {0x01a, 0x00c}},
    {"0x1e2000", 0x1e2000, {0x01a, 0x00c}},
    {"0x9c000 holding 0", 0x9c000, {0x018}},
    {"0x9c000 holding 1", 0x9c000, {0x00b}, 1},
    {"0xa2000", 0xa20b0, {0x009, 0x00f, 0x010}},
    {"0xa4000", 0xa4050, {0x009, 0x010}},
    {"0xb2000", 0xb2000, {0x003}},
    {"0xb2000 planned to land", 0xb2000, {0x008}, 0, 0x40000},
    {"0xb4000", 0xb4050, {0x019}},
    {"0xd1000", 0xd1000, {0x01d, 0x01e}},
    {"0xe3000 holding 0", 0xe3000, {0x017, 0x00d}},
    {"0x1e3000 holding 1", 0x1e3000, {0x00b}, 1},
    {"route group 1", 0x201000, {0x123, 0x456}},
    {"route group 0: the name entries' list", 0x200000, {0x000, 0x000, 0x000}},
    {"0x14000: nothing", 0x14000, {}},
    {"an unknown instruction", 0x777000, {}},
};

TEST_F(Menu, EachInstructionOffersItsItems) {
    AircraftRecord& a = A(kSlot);
    GetScenarioHeader().world.routesets[1] = 5;
    a.approach = 1;
    Text(a.menulist[0][0].name, "34L");
    Text(a.menulist[0][2].name, "16R");
    a.menucount[0] = 3;
    Text(a.names[1].name, "SPOT 2");
    a.routenames[1 * 3].spare = 0x903;
    Text(a.names[3].name, "SPOT 4");
    a.routenames[3 * 3].spare = 0x0f0f;
    a.menulist[1][0].code = 0x123;
    a.menulist[1][1].code = 0x456;
    a.menucount[1] = 2;
    RouteTable& t = GetRouteTable();
    t.list[1][0] = 1;
    t.list[3][0] = 2;
    for (const MenuCase& c : kMenus) {
        SCOPED_TRACE(c.what);
        a.holding = c.holding;
        a.plan = c.plan;
        Text(a.airline, c.airline);
        a.turnspeed = c.turnspeed;
        a.tlimit = 40;  // the turn limit (degrees per tick) is no speed
        for (int k = 0; k < 3; ++k) a.approachtab[5].x[k] = c.approach[k];
        O(kSlot).kind = c.kind;
        std::snprintf(Sids()[0].name, sizeof Sids()[0].name, "%s", c.sids ? "SAKURA1" : "");
        HideCommandMenu();
        EXPECT_EQ(Build(c.status), c.codes);
        EXPECT_TRUE(IsCommandMenuShown()) << "shown, empty or not";
        EXPECT_EQ(GetCommandMenuCount(), int(c.codes.size()));
    }
}

TEST_F(Menu, ItemsAreSpritesInTheirColumnAndTheTenthIsTheLast) {
    AircraftRecord& a = A(kSlot);
    // 0x82000 with fifteen route groups: sixteen items for twelve places.
    std::snprintf(Sids()[0].name, sizeof Sids()[0].name, "SAKURA1");
    for (int g = 1; g <= 15; ++g) GetRouteTable().list[g][0] = 1;
    const std::vector<int> codes = Build(0x82000);
    ASSERT_EQ(codes.size(), 12u);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(codes[size_t(i)], 0x500 + i);
    for (int k = 0; k < 12; ++k) {
        const MenuItem* m = GetCommandMenuItem(k);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->x, 16 + 48 * k);
        EXPECT_EQ(m->y, 154);
    }
    EXPECT_EQ(GetCommandMenuItem(12), nullptr);
    // Items 0-9 are sprites 90-99, each its set's tile; the eleventh has none.
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(Sprite(90 + k).x, 16 + 48 * k);
        EXPECT_EQ(Sprite(90 + k).y, 154);
        EXPECT_EQ(Sprite(90 + k).pattern, k);
        EXPECT_EQ(Sprite(90 + k).cell, &GetCommandCells().icons[SET_SID]);
        EXPECT_NE(Sprite(90 + k).z, 0);
    }
    EXPECT_EQ(AddMenuItem(0x001, kSlot, 0), -1) << "a full column";
    // Hiding deletes every item sprite, 90 to 99; a click finds no item.
    HideCommandMenu();
    for (int n = 90; n <= 99; ++n) EXPECT_EQ(Sprite(n).cell, nullptr) << n;
    EXPECT_EQ(GetMenuItemOfSprite(90), nullptr);
    EXPECT_FALSE(IsCommandMenuShown());
    EXPECT_EQ(GetCommandMenuCount(), 12) << "its items stay";
    // Clearing empties it.
    ClearCommandMenu();
    EXPECT_EQ(GetCommandMenuCount(), 0);
    EXPECT_EQ(GetCommandMenuItem(0), nullptr);
    (void)a;
}

TEST_F(Menu, OnlyTheSelectedStripsMenuAndTheLeadersForAFollower) {
    AircraftRecord& a = A(kSlot);
    a.status = 0xb4050;
    AircraftRecord& other = Plane(7);
    other.status = 0x22000;
    other.stripslot = 3;
    a.stripslot = 1;
    BuildCommandMenu(7);
    EXPECT_FALSE(IsCommandMenuShown()) << "not the selected aircraft's strip";
    // A follower on the selected one's strip builds its leader's menu.
    other.stripslot = 1;
    other.linkedto = kSlot;
    BuildCommandMenu(7);
    EXPECT_EQ(GetCommandMenuAircraft(), kSlot);
    EXPECT_EQ(Codes(), std::vector<int>{0x019});
    SetSelectedAircraft(-1);
    HideCommandMenu();
    BuildCommandMenu(kSlot);
    EXPECT_FALSE(IsCommandMenuShown()) << "no selection";
}

TEST_F(Menu, AnItemsSources) {
    AircraftRecord& a = A(kSlot);
    a.position = 2;
    GetScenarioHeader().world.routesets[0] = 3;
    a.approach = 0;
    ApproachEntry& e = a.approachtab[3];
    for (int k = 0; k < 3; ++k) {
        e.x[k] = 1000 * (k + 1);
        e.z[k] = -100 * (k + 1);
        e.msg[k] = 130 + k;
    }
    e.msg[3] = -1;
    ExchangeTable& t = GetExchangeTable();
    t.entry[0] = ExchangeTableEntry{0x00b, 255, {4, 5, -1, -1}};
    t.entry[1] = ExchangeTableEntry{0x00b, 1, {6, 7, -1, -1}};
    t.entry[2] = ExchangeTableEntry{0x009, 1, {603, 604, -1, -1}};
    t.count = 3;
    // The answer ring first: position, flags, messages, both names.
    MenuItem& r = a.radio[5];
    r.code = 0x009;
    r.position = 4;
    r.flags = 0x11;
    r.msg[0] = 71;
    r.msg[1] = -1;
    Text(r.name2, "TEXT");
    struct SourceCase {
        int code;
        int position;
        int32_t m0, m1;
        int value, value2;
        const char* name2;
        uint32_t flags;
    };
    const SourceCase cases[] = {
        {0x009, 4, 71, -1, 0, 0, "TEXT", 0x11},   // the ring
        {0x00b, 2, 4, 5, 0, 0, "", 0},            // the exchange table's first, 255: own
        {0x007, 0, 130, 131, 0, 0, "", 0},        // set 0 without either: the approach plan's
        {0x101, 0, 130, 131, 2000, -200, "", 0},  // app icon 1: the plan's column 1
        {0x104, 0, 130, 131, 0, 0, "", 0},        // app icon 4: as set 0
        {0x307, 0, -1, -1, 0, 0, "", 0},          // another set: nothing found
    };
    for (const SourceCase& c : cases) {
        SCOPED_TRACE(c.code);
        ClearCommandMenu();
        const int i = AddMenuItem(c.code, kSlot, 0);
        ASSERT_EQ(i, 0);
        const MenuItem& m = *GetCommandMenuItem(i);
        EXPECT_EQ(m.code, c.code + 1);
        EXPECT_EQ(m.position, c.position);
        EXPECT_EQ(m.msg[0], c.m0);
        EXPECT_EQ(m.msg[1], c.m1);
        EXPECT_EQ(m.value, c.value);
        EXPECT_EQ(m.value2, c.value2);
        EXPECT_STREQ(m.name2, c.name2);
        EXPECT_EQ(m.flags, c.flags);
        EXPECT_EQ(m.reply, -1);
    }
    // Arrival and departure runways: the icon, the name entry's messages.
    a.menulist[0][2].msg[0] = 222;
    a.menulist[0][2].msg[1] = 223;
    for (int code : {0x202, 0x702}) {
        ClearCommandMenu();
        const MenuItem& m = *GetCommandMenuItem(AddMenuItem(code, kSlot, 0));
        EXPECT_EQ(m.value, 2);
        EXPECT_EQ(m.msg[0], 222);
        EXPECT_EQ(m.msg[1], 223);
    }
    // Route entries: the group's (the first-level item's) entry of the icon, the last two
    // messages one on for an aircraft on its own power.
    RouteTable& routes = GetRouteTable();
    for (int k = 0; k < 4; ++k) routes.entry[2][1].value[k] = int16_t(410 + k);
    ClearCommandMenu();
    GetCommandMenu().selected = 0x502;  // group 2
    O(kSlot).kind = 0x111;
    MenuItem m = *GetCommandMenuItem(AddMenuItem(0x600, kSlot, 1));
    EXPECT_EQ(m.msg[0], 410);
    EXPECT_EQ(m.msg[3], 413);
    O(kSlot).kind = 0x922;
    ClearCommandMenu();
    GetCommandMenu().selected = 0x502;
    m = *GetCommandMenuItem(AddMenuItem(0x600, kSlot, 1));
    EXPECT_EQ(m.msg[1], 411);
    EXPECT_EQ(m.msg[2], 413);
    EXPECT_EQ(m.msg[3], 414);
    EXPECT_EQ(m.x, 64) << "column 1";
}

TEST_F(Menu, RouteItemsAndTheirRefusal) {
    AircraftRecord& a = A(kSlot);
    MenuListEntry& e = a.menulist[0][0];
    e.code = 0x345;
    e.position = 255;
    e.msg[0] = 90;
    e.msg[1] = -1;
    e.reply = 0x33;
    e.flags = 0x20000010;  // kind 2, lights the strip
    Text(e.name, "script");
    Text(e.name2, "LABEL");
    a.menucount[0] = 1;
    // A linked aircraft of another speed: refused.
    a.links = 1;
    a.linked[0] = 9;
    Plane(9);
    O(kSlot).speed = 1.0;
    O(9).speed = 1.5;
    a.waitcount = 0;
    EXPECT_EQ(AddRouteMenuItem(0, kSlot, 0, 0), 0);
    EXPECT_EQ(GetCommandMenuCount(), 0);
    O(9).speed = 1.0;
    EXPECT_EQ(AddRouteMenuItem(0, kSlot, 0, 0), 1);
    const MenuItem& m = *GetCommandMenuItem(0);
    EXPECT_EQ(m.code, 0x346);
    EXPECT_EQ(m.position, 2);
    EXPECT_EQ(m.reply, 0x33);
    EXPECT_EQ(m.msg[0], 90);
    EXPECT_STREQ(m.name, "script");
    EXPECT_STREQ(m.name2, "LABEL");
    EXPECT_EQ(a.waitcount, 1) << "its strip lights";
    // Kind 1 is not refused.
    e.flags = 0x10000000;
    O(9).speed = 2.0;
    EXPECT_EQ(AddRouteMenuItem(0, kSlot, 0, 1), 1);
    EXPECT_EQ(GetCommandMenuItem(12)->x, 64);
}

TEST_F(Menu, TaxiRoutesArePreviewedFromTheirFiles) {
    AircraftRecord& a = A(kSlot);
    a.ground = 3;
    a.status = 0x42150;
    Text(a.names[3].name, "SPOT 12");
    // The preview is named by the line's name (byte 0), not by its label.
    Text(a.routenames[9].name, "in34l_3");
    Text(a.routenames[9].name2, "IN34L_4");
    a.routenames[9].msg[0] = 303;
    a.routenames[9].msg[1] = 304;
    a.routenames[9].msg[2] = a.routenames[9].msg[3] = -1;
    Text(a.routenames[10].name, "missing");
    Text(a.routenames[10].name2, "IN34L_4");
    BuildCommandMenu(kSlot);
    GetCommandMenu().selected = 0x304;
    ClearCommandMenu();
    GetCommandMenu().selected = 0x304;
    const MenuItem& t = *GetCommandMenuItem(AddMenuItem(0x400, kSlot, 1));
    EXPECT_EQ(t.msg[0], 303);
    EXPECT_EQ(t.msg[1], 304);
    const PreviewSlot& p = GetCommandMenu().slots[0];
    ASSERT_NE(p.layer, nullptr);
    // IN34L_3: W34L B1 A4 A3 | S3, drawn at the aircraft's ground + 0.5.
    const PointTable& pts = GetPointTable();
    EXPECT_EQ(p.words[0], PreviewWord(1, 6));
    EXPECT_EQ(p.chips, 4);
    tagKRNCHIP* chips = p.layer->lpchip;
    ASSERT_NE(chips, nullptr);
    EXPECT_DOUBLE_EQ(chips[0].v[0].y, 3.5);
    EXPECT_DOUBLE_EQ(chips[0].v[2].x, pts.point[8].x);  // from W34L to B1
    EXPECT_EQ(chips[0].red, 0);
    EXPECT_EQ(chips[0].green, 200);
    EXPECT_EQ(chips[2].green, 200);
    EXPECT_EQ(chips[3].blue, 200);  // after the change of group: the fourth colour
    EXPECT_EQ(chips[3].green, 0);
    // A missing file makes the slot empty.
    GetCommandMenu().selected = 0x304;
    AddMenuItem(0x401, kSlot, 1);
    EXPECT_EQ(GetCommandMenu().slots[1].words[0], kPreviewEnd);
    EXPECT_EQ(GetCommandMenu().slots[1].layer, nullptr);
    // Hovering the route shows its layer and names it on the panel's line; its end hides it.
    RoutePreviewCommand(kSlot, 0x401);
    EXPECT_EQ(GetCommandMenu().preview, 0x401);
    EXPECT_EQ(p.layer->sw, 1);
    RoutePreviewCommand(kSlot, -1);
    EXPECT_EQ(p.layer->sw, 0);
    EXPECT_EQ(GetCommandMenu().preview, 0);
    // Clearing the menu deletes the preview layers.
    ClearCommandMenu();
    EXPECT_EQ(GetCommandMenu().slots[0].layer, nullptr);
}

// Switching a preview on puts the camera over the airport ("PREVIEW CAM"); clearing the menu
// sets it back on the selected aircraft in its mode, unless the player has chosen another view
// meanwhile. Selecting the aircraft, or a camera key, while its menu previews keeps the view
// over the airport: the mode shows when the menu is cleared.
TEST_F(Menu, APreviewTakesTheCameraOverTheAirportUntilTheMenuIsCleared) {
    O(kObjectAirport).used = 1;
    SetCameraModeNumber(0);
    struct Case {
        const char* what;
        int32_t status;
        bool preview;
    };
    const Case cases[] = {{"spots: the arrival preview", 0x42150, true},
                          {"spots of equal flags", 0x45000, true},
                          {"departure runways", 0x92000, true},
                          {"route items: both previews", 0x210000, true},
                          {"no preview", 0xb4050, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetCameraMode(0, kSlot);
        A(kSlot).status = c.status;
        BuildCommandMenu(kSlot);
        EXPECT_EQ(IsPreviewCamera(), c.preview ? 1 : 0);
        EXPECT_STREQ(GetCameraCaption(), c.preview ? "PREVIEW CAM" : "JAL-0123 CAM");
        EXPECT_EQ(GetCameraRecord().object, c.preview ? kObjectAirport : kSlot);
        ClearCommandMenu();
        EXPECT_EQ(IsPreviewCamera(), 0);
        EXPECT_STREQ(GetCameraCaption(), "JAL-0123 CAM");
        EXPECT_EQ(GetCameraRecord().object, kSlot);
    }
    A(kSlot).status = 0x42150;
    BuildCommandMenu(kSlot);
    SetDefaultCamera(60, 0);
    ClearCommandMenu();
    EXPECT_STREQ(GetCameraCaption(), "PANORAMIC CAM");
    SetCameraMode(1, kSlot);
    EXPECT_STREQ(GetCameraCaption(), "PREVIEW CAM");
    SetCameraModeNumber(2);
    SetCameraMode(1, kSlot);
    EXPECT_STREQ(GetCameraCaption(), "PREVIEW CAM");
    ClearCommandMenu();
    EXPECT_STREQ(GetCameraCaption(), "JAL-0123 RWY34L CAM");
    EXPECT_EQ(GetCameraRecord().object, kSlot);
    // A taxi route hovered and left ends the menu's preview mode; the camera still comes back.
    SetCameraModeNumber(0);
    A(kSlot).status = 0x42150;
    BuildCommandMenu(kSlot);
    RoutePreviewCommand(kSlot, 0x401);
    RoutePreviewCommand(kSlot, -1);
    ASSERT_EQ(GetCommandMenu().preview, 0);
    ClearCommandMenu();
    EXPECT_STREQ(GetCameraCaption(), "JAL-0123 CAM");
    // Selecting another aircraft, whose menu previews nothing, from the preview: its view.
    BuildCommandMenu(kSlot);
    ASSERT_EQ(IsPreviewCamera(), 1);
    AircraftRecord& b = Plane(7, "ANA-0456");
    b.stripslot = A(kSlot).stripslot;
    b.status = 0xb4050;
    SetSelectedAircraft(7);
    SetCameraMode(1, 7);
    EXPECT_EQ(IsPreviewCamera(), 0);
    EXPECT_STREQ(GetCameraCaption(), "ANA-0456 CAM");
    EXPECT_EQ(GetCameraRecord().object, 7);
}

TEST_F(Menu, PreviewSegmentsEndAtTheEndWordOrAPointOutsideTheTable) {
    PointTable pts{};
    for (int i = 0; i < 4; ++i) pts.point[i] = TablePoint{10 * i, -10 * i};
    pts.count = 4;
    struct SegCase {
        std::vector<uint32_t> words;
        int segments;
        std::vector<int> runs;
    };
    const SegCase cases[] = {
        {{PreviewWord(1, 0), PreviewWord(1, 1), PreviewWord(1, 2), kPreviewEnd}, 2, {0, 0}},
        {{PreviewWord(1, 0), PreviewWord(2, 0), PreviewWord(2, 1), PreviewWord(3, 1),
          PreviewWord(3, 2), kPreviewEnd},
         2,
         {1, 1}},
        {{PreviewWord(1, 0), PreviewWord(1, 1), PreviewWord(1, 9), PreviewWord(1, 2)}, 1, {0}},
        {{kPreviewEnd, PreviewWord(1, 1)}, 0, {}},
        {{PreviewWord(1, 7), PreviewWord(1, 1)}, 0, {}},
    };
    for (const SegCase& c : cases) {
        uint32_t words[kPreviewWords];
        std::fill(words, words + kPreviewWords, kPreviewEnd);
        std::copy(c.words.begin(), c.words.end(), words);
        PreviewSegment seg[kPreviewSegments];
        const int n = PreviewSegments(words, pts, seg, kPreviewSegments);
        ASSERT_EQ(n, c.segments) << c.words.size();
        for (int i = 0; i < n; ++i) EXPECT_EQ(seg[i].run, c.runs[size_t(i)]) << i;
    }
    // 48 words without an end give 47 pairs at most.
    uint32_t all[kPreviewWords];
    for (int i = 0; i < kPreviewWords; ++i) all[i] = PreviewWord(1, i % 4);
    PreviewSegment seg[kPreviewSegments];
    EXPECT_EQ(PreviewSegments(all, pts, seg, kPreviewSegments), 47);
}

}  // namespace
