// The flight information panel: every line by its cases, every status phrase with its place,
// what the cell shows, the caption corner, and the panel's flag.
#include <cstring>
#include <string>

#include "controller_fixture.h"

namespace {

using ctltest::Text;

constexpr int kSlot = 6;

class Panel : public ctltest::Stage {
  protected:
    Panel() {
        AircraftRecord& a = Plane(kSlot, "JAL-1501");
        Text(a.airlinee, "SUNRISE");
        Text(a.typetext, "BOEING 767-300");
        Text(a.port, "KRG");
        Text(a.portname3, "KIRIGAOKA");
        O(kSlot).flight = 1501;
        a.sched = 1005;
        a.position = 1;
        a.status = 0x12010;
    }
    std::string Line(int i) {
        char lines[kPanelLines][kPanelLineBytes];
        FlightInfoLines(kSlot, lines);
        return lines[i];
    }
};

TEST_F(Panel, WhoAndWhere) {
    AircraftRecord& a = A(kSlot);
    struct Case {
        const char* airline;
        const char* prefix;
        const char* line0;
        const char* line1;
    };
    const Case cases[] = {
        {"JAL", "JAL", "JAL - SUNRISE", "FLIGHT 1501"},
        {"JCG", "CAB", "CAB - SUNRISE", "FLIGHT 1501"},
        {"JAF", "JAF", "JAF - SUNRISE", "JAL-1501"},
        {"CA2", "CA2", "CA2 - SUNRISE", "JA-1501G"},
    };
    for (const Case& c : cases) {
        Text(a.airline, c.airline);
        Text(a.callprefix, c.prefix);
        EXPECT_EQ(Line(0), c.line0);
        EXPECT_EQ(Line(1), c.line1);
    }
    O(kSlot).flight = 7;
    Text(a.airline, "CA2");
    EXPECT_EQ(Line(1), "JA-007G");
    EXPECT_EQ(Line(2), "BOEING 767-300");
    struct PortCase {
        const char* port;
        int32_t strip;
        const char* line;
    };
    const PortCase ports[] = {
        {"KRG", 0x102, "From KRG - KIRIGAOKA"},
        {"KRG", 0x1402, "To KRG - KIRIGAOKA"},
        {"actn", 0x102, "ACROBAT FLIGHT"},
        {"", 0x102, ""},
    };
    for (const PortCase& p : ports) {
        Text(a.port, p.port);
        a.strip = p.strip;
        EXPECT_EQ(Line(3), p.line) << p.port;
    }
}

TEST_F(Panel, TimeChargeAndState) {
    AircraftRecord& a = A(kSlot);
    struct TimeCase {
        int32_t sched, delay, strip;
        const char* line;
    };
    const TimeCase times[] = {
        {1005, 0, 0x102, "ARRIVAL TIME 10:05 ON TIME"},
        {905, 3, 0x1402, "DEPARTURE TIME 09:05 DELAYED"},
        {0, 0, 0x102, " ON TIME"},
        {0, 2, 0x1402, " DELAYED"},
    };
    for (const TimeCase& t : times) {
        a.sched = t.sched;
        a.delay = t.delay;
        a.strip = t.strip;
        EXPECT_EQ(Line(4), t.line);
    }
    const char* const charge[] = {"CHARGE OF APPROACH", "CHARGE OF TOWER", "CHARGE OF GROUND",
                                  "CHARGE OF DELIVERY", "CHARGE OF DEPARTURE"};
    for (int p = -1; p <= 5; ++p) {
        a.position = p;
        EXPECT_EQ(Line(5), p >= 0 && p < 5 ? charge[p] : "NO CHARGE") << p;
    }
}

TEST_F(Panel, EveryStatusPhraseWithItsPlace) {
    AircraftRecord& a = A(kSlot);
    Text(Airport().spots[4].name, "SPOT 15");
    Text(Airport().spots[2].name, "SPOT 9");
    Text(Airport().departures[1].name, "34L");
    a.choice = 2;
    a.spot = 4;
    struct Case {
        int32_t panel;
        const char* phrase;
    };
    const Case cases[] = {
        {0x10, " APPROACHING"},
        {0x20, " GO AROUND"},
        {0x30, " LANDING"},
        {0x40, " TAKEOFF"},
        {0x50, " STANDBY TAKEOFF"},
        {0x60, " TAXI TO SPOT 15"},
        {0x70, " STANDBY TAXI"},
        {0x80, " TAXI TO RUNWAY 34L"},
        {0x90, " TOWING TO HANGER"},
        {0xa0, " TOWING TO SPOT "},
        {0xb0, " STANDBY TAKEOFF"},
        {0xc0, " BLOCK IN"},
        {0xd0, " STANDBY CLEARANCE DELIVERY"},
        {0xe0, " TAG CONNECTING"},
        {0xf0, " STANDBY PUSH BACK"},
        {0x100, " PUSH BACK TO RUNWAY 34L"},
        {0x110, " TAG DISCONNECTING"},
        {0x120, " STANDBY TAXI TO RUNWAY 34L"},
        {0x130, " DEPARTUREING"},
        {0x140, ""},
        {0x150, " SELECT SPOT"},
        {0x000, ""},
    };
    for (const Case& c : cases) {
        a.status = 0x40000 | c.panel | 3;
        EXPECT_EQ(Line(6), std::string("JAL-1501") + c.phrase) << std::hex << c.panel;
    }
    // Without a spot, the spot the aircraft is sent to; a place outside its table: none.
    a.status = 0x60;
    a.spot = -1;
    a.choice = 3;
    EXPECT_EQ(Line(6), "JAL-1501 TAXI TO SPOT 9");
    a.choice = 0;
    EXPECT_EQ(Line(6), "JAL-1501 TAXI TO ");
    a.choice = 65;
    EXPECT_EQ(Line(6), "JAL-1501 TAXI TO ");
    a.status = 0x80;
    a.choice = 9;
    EXPECT_EQ(Line(6), "JAL-1501 TAXI TO RUNWAY ");
}

TEST_F(Panel, TheCellShowsItsLinesAndTheCaptionCorner) {
    DrawFlightInfo(kSlot);
    EXPECT_TRUE(IsFlightInfoShown());
    EXPECT_EQ(GetFlightInfoAircraft(), kSlot);
    const tagCELL* cell = GetFlightInfoCell();
    ASSERT_NE(cell, nullptr);
    const tagCELL& font = GetCommandCells().font;
    // Ink on each line's band, nothing between the upper and the lower lines.
    auto ink = [&](int top, int bottom, int left, int right) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                n += cell->bits[size_t(y) * size_t(cell->xsize) + size_t(x)] != 0;
        return n;
    };
    for (int y : kPanelLineY) EXPECT_GT(ink(y, y + 16, 0, 400), 20) << y;
    EXPECT_EQ(ink(64, 152, 0, 800), 0);
    // The caption at the lower right: font height + 2 high, (width - 2) x length + 3 wide.
    const char* caption = GetCameraCaption();
    const RECT r = GetFlightInfoCorner();
    EXPECT_EQ(r.right, 800);
    EXPECT_EQ(r.bottom, 200);
    EXPECT_EQ(r.bottom - r.top, font.ypos + 2);
    EXPECT_EQ(r.right - r.left, (font.xpos - 2) * int(std::strlen(caption)) + 3);
    // A shorter caption leaves nothing of the longer one.
    DrawPanelLine("A LONG ROUTE NAME 34R");
    const RECT wide = GetFlightInfoCorner();
    DrawPanelLine("X");
    EXPECT_EQ(ink(wide.top, wide.bottom, wide.left, GetFlightInfoCorner().left), 0);
    HideFlightInfo();
    EXPECT_FALSE(IsFlightInfoShown());
    EXPECT_EQ(GetFlightInfoAircraft(), -1);
}

}  // namespace
