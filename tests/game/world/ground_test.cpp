// Ground support and ground events on the sample airport's apron: what set-up loads (dry, rainy
// and night stages) and release deletes, the availability questions, each event by service
// pattern, and the per-frame animations tick by tick (puffs, sprays, tugs, propellers,
// marshallers, cargo runs), with the faults the events guard against.
#include <cmath>
#include <set>

#include "ground_fixture.h"

namespace {

using groundtest::V;
using namespace groundtest;

// A layer whose name begins with `name` (the second of a pair gets the numbered form the layer
// library gives a name the tree holds, "f_light.001").
::testing::AssertionResult Named(const tagKRNL* l, const std::string& name) {
    if (!l) return ::testing::AssertionFailure() << "no layer for " << name;
    if (std::string(l->name).rfind(name, 0) != 0)
        return ::testing::AssertionFailure() << l->name << " for " << name;
    return ::testing::AssertionSuccess();
}

constexpr int kSlots[] = {kSlotTug1, kSlotTug2,     kSlotCar1,     kSlotCar2,   kSlotPc1,
                          kSlotPc2,  kSlotMarshal1, kSlotMarshal2, kSlotSmoke1, kSlotSmoke2};
const char* const kNames[] = {"tag1", "tag2", "gs_car1", "gs_car2", "pc1",
                              "pc2",  "ms1",  "ms2",     "smk1",    "smk2"};

TEST_F(DryApron, SetUpLoadsEveryObjectSwitchedOff) {
    for (size_t i = 0; i < std::size(kSlots); ++i) {
        const ObjectRecord& o = G(kSlots[i]);
        ASSERT_EQ(o.used, 1) << kNames[i];
        ASSERT_NE(o.layer, nullptr) << kNames[i];
        EXPECT_STREQ(o.layer->name, kNames[i]);
        EXPECT_EQ(o.layer->sw, 0) << kNames[i];
        EXPECT_EQ(o.state, 0) << kNames[i];
    }
    // The second service pair and the water smoke have no layer on a dry stage.
    for (int slot : {int(kSlotCar3), int(kSlotCar4), int(kSlotSmoke3), int(kSlotSmoke4)}) {
        EXPECT_EQ(G(slot).layer, nullptr) << slot;
        EXPECT_EQ(G(slot).used, 0) << slot;
    }
    const GroundParts& p = GetGroundParts();
    for (int t = 0; t < 2; ++t) {
        EXPECT_TRUE(Named(p.tuglight[t][0], "f_light"));
        EXPECT_TRUE(Named(p.tuglight[t][1], "b_light"));
        EXPECT_EQ(KRNL_GetMasterLayer(p.tuglight[t][0]), Root());
    }
    for (int car = 0; car < 2; ++car) {
        for (int part = 0; part < kCarParts; ++part)
            ASSERT_NE(p.car[car][part], nullptr) << car << " " << part;
        // The two lights are the ones of their vehicles, and the boxes of their loaders.
        EXPECT_TRUE(Named(p.car[car][CAR_LIGHT]->parent, "toing"));
        EXPECT_TRUE(Named(p.car[car][CAR_FUELLIGHT]->parent, "fuel"));
        EXPECT_TRUE(Named(p.car[car][CAR_B2], "bbox2"));
        EXPECT_TRUE(Named(p.car[car][CAR_B2]->parent, "blt"));
        EXPECT_TRUE(Named(p.car[car][CAR_H5]->parent, "hl"));
        EXPECT_TRUE(Named(p.car[car][CAR_B9]->parent, "toing"));
        EXPECT_EQ(KRNL_GetMasterLayer(p.car[car][CAR_RMP]), Root());
        EXPECT_NE(p.car[0][CAR_CS], p.car[1][CAR_CS]);
    }
    for (int m = 0; m < 2; ++m) {
        EXPECT_TRUE(Named(p.marshal[m][0], "up1"));
        EXPECT_TRUE(Named(p.marshal[m][3], "stop"));
    }
    for (int s = 0; s < 2; ++s)
        for (int k = 0; k < kSmokePatterns; ++k)
            EXPECT_TRUE(Named(p.smoke[s][k], "smake" + std::to_string(k)));
    for (int s = 2; s < 4; ++s) EXPECT_EQ(p.smoke[s][0], nullptr);
    EXPECT_EQ(GetPropellerSelector(), 0);
}

TEST_F(RainApron, RainLoadsSprayAndWaterSmokeIntoFixedSlots) {
    const GroundParts& p = GetGroundParts();
    for (int s = 0; s < 4; ++s) {
        const char* format = s < 2 ? "ldgwpat" : "wsmkpat";
        for (int k = 0; k < 3; ++k)
            EXPECT_TRUE(Named(p.smoke[s][k], format + std::to_string(k))) << s;
        EXPECT_EQ(p.smoke[s][3], nullptr) << s;
    }
    EXPECT_STREQ(G(kSlotSmoke3).layer->name, "smk3");
    EXPECT_STREQ(G(kSlotSmoke4).layer->name, "smk4");
    // The water smoke follows the runway lights' fixed slots, one layer after the other, below
    // the weather's slots.
    int chips3 = 0, chips4 = 0;
    KRNL_CountLayer(G(kSlotSmoke3).layer, nullptr, &chips3, nullptr);
    KRNL_CountLayer(G(kSlotSmoke4).layer, nullptr, &chips4, nullptr);
    ASSERT_GT(chips3, 0);
    const int first = G(kSlotSmoke3).layer->no;
    EXPECT_EQ(G(kSlotSmoke4).layer->no, first + chips3);
    EXPECT_EQ(first + chips3 + chips4, 8468 - 1000 + GetAirportLayers().reserved);
    EXPECT_GT(first, 8468 - 1000) << "after the runway lights";
    EXPECT_LE(first + chips3 + chips4, 8468 - 555);
}

TEST_F(RainApron, ReleaseDeletesEverySlotItLoaded) {
    ReleaseGroundSupport();
    for (int slot = 0; slot < kObjectSlots; ++slot)
        if (slot != kObjectAirport) EXPECT_EQ(G(slot).layer, nullptr) << slot;
    for (const char* name : {"tag1", "gs_car2", "pc1", "ms2", "smk1", "smk4"})
        EXPECT_EQ(KRNL_SearchLayer(Root(), name), nullptr) << name;
    EXPECT_EQ(GetGroundParts().car[0][CAR_TOING], nullptr);
}

struct FreeCase {
    int tug1, tug2, car1, car2;  // owner words
    int aircraft;
    int free, tug;
};

TEST_F(DryApron, AvailabilityQuestions) {
    const FreeCase cases[] = {
        {0, 0, 0, 0, 3, 1, 1}, {4, 0, 0, 0, 3, 1, 2}, {4, 0, 2, 0, 3, 1, 2}, {4, 0, 0, 2, 5, 0, 1},
        {4, 7, 0, 0, 3, 0, 2}, {1, 7, 0, 0, 5, 0, 0}, {0, 7, 2, 2, 6, 0, 2}, {0, 0, 1, 1, 0, 0, 1},
    };
    for (const FreeCase& c : cases) {
        G(kSlotTug1).state = c.tug1;
        G(kSlotTug2).state = c.tug2;
        G(kSlotCar1).state = c.car1;
        G(kSlotCar2).state = c.car2;
        EXPECT_EQ(IsGroundSupportFree(), c.free) << c.tug1 << c.tug2 << c.car1 << c.car2;
        EXPECT_EQ(CheckTugForAircraft(c.aircraft), c.tug) << c.tug1 << c.tug2 << c.aircraft;
    }
}

TEST_F(DryApron, TugEvents) {
    const ObjectRecord& a = Park(0, kP1, 0);
    ASSERT_EQ(GroundEvent(0, 5), 1);
    ObjectRecord& t1 = G(kSlotTug1);
    EXPECT_EQ(t1.state, 1);
    EXPECT_TRUE(On(t1.layer));
    EXPECT_FALSE(On(GetGroundParts().tuglight[0][0]));
    EXPECT_FALSE(On(GetGroundParts().tuglight[0][1]));
    // At the nose: typeoffset / 10 - 12 ahead along the aircraft's heading.
    tagKRN3D ahead;
    const tagKRN3D nose = V(0, 0, -250 / 10 - 12.0);
    RotateY(&ahead, &nose, a.angle.y);
    EXPECT_DOUBLE_EQ(t1.pos.x, a.pos.x + ahead.x);
    EXPECT_DOUBLE_EQ(t1.pos.z, a.pos.z + ahead.z);
    EXPECT_EQ(t1.angle.y, a.angle.y);
    EXPECT_EQ(t1.layer->shift.x, t1.pos.x);
    // Another aircraft takes tug 2; the first gets tug 1 again while tug 2 is free.
    Park(1, kP2, 1);
    EXPECT_EQ(GroundEvent(1, 5), 1);
    EXPECT_EQ(G(kSlotTug2).state, 2);
    G(kSlotTug2).state = 0;
    EXPECT_EQ(GroundEvent(0, 6), 1);
    EXPECT_EQ(t1.state, 1);
    EXPECT_EQ(G(kSlotTug2).state, 0);
    // Neither free: nothing changes.
    G(kSlotTug2).state = 9;
    Park(2, kP3, 2);
    EXPECT_EQ(GroundEvent(2, 6), 0);
    EXPECT_EQ(GroundEvent(2, 5), 0);
    EXPECT_EQ(t1.state, 1);
    // P5 is served only in status 0x46000: otherwise the tug it held goes, hidden, still 1.
    Park(4, kP5, 4);
    t1.state = 5;
    Air(4).status = 0x46010;
    EXPECT_EQ(GroundEvent(4, 5), 1);
    EXPECT_EQ(t1.state, 0);
    EXPECT_FALSE(On(t1.layer));
    Air(4).status = 0x46000;
    EXPECT_EQ(GroundEvent(4, 5), 1);
    EXPECT_EQ(t1.state, 5);
    EXPECT_TRUE(On(t1.layer));
    // 0x922 is served by the tug; a pattern outside the groups gets it hidden and unowned.
    struct Case {
        int pattern, owner;
    };
    for (const Case& c : {Case{kTugOnly, 6}, Case{kOutside, 0}, Case{kP4, 6}}) {
        t1.state = 0;
        Park(5, c.pattern, 5);
        EXPECT_EQ(GroundEvent(5, 5), 1) << std::hex << c.pattern;
        EXPECT_EQ(t1.state, c.owner) << std::hex << c.pattern;
        EXPECT_EQ(On(t1.layer), c.owner != 0) << std::hex << c.pattern;
        // The towing tug knows no pattern.
        t1.state = 0;
        EXPECT_EQ(GroundEvent(5, 6), 1);
        EXPECT_EQ(t1.state, 6);
    }
    // The cancel hides the aircraft's tug (tug 1 first) and frees it.
    G(kSlotTug2).state = 6;
    GroundEventCancel(5, 5);
    EXPECT_EQ(t1.state, 0);
    EXPECT_FALSE(On(t1.layer));
    EXPECT_EQ(G(kSlotTug2).state, 6);
    GroundEventCancel(5, 5);
    EXPECT_EQ(G(kSlotTug2).state, 0);
}

// The parts of a car that are switched on.
std::set<int> Shown(int car) {
    std::set<int> on;
    for (int p = 0; p < kCarParts; ++p)
        if (GetGroundParts().car[car][p]->sw == 1) on.insert(p);
    return on;
}
std::set<int> Parts(std::initializer_list<int> list) { return std::set<int>(list); }

struct CarCase {
    int pattern;
    std::set<int> after10;  // parts shown after event 10
    int run10;
    std::set<int> after21;
    int run21;
    std::set<int> after22;
};

TEST_F(DryApron, ServiceCarEventsByPattern) {
    // The whole car shown, then a group's parts hidden (a hidden layer takes its children, and
    // by day the tractor's light goes too); loading shows its loaders with the carts' boxes
    // and hides the loaders' boxes; the refuelling end brings the bus (and "cs").
    const std::set<int> carts = {CAR_B7, CAR_B8, CAR_B9};
    const auto set = [](std::initializer_list<int> a, const std::set<int>& b = {}) {
        std::set<int> s(a);
        s.insert(b.begin(), b.end());
        return s;
    };
    const CarCase cases[] = {
        {kP1, set({CAR_TOING, CAR_BLT, CAR_HL, CAR_MC, CAR_RMP}), 3300,
         set({CAR_TOING, CAR_BLT, CAR_HL, CAR_MC, CAR_RMP, CAR_FUDOBOX}, carts), 3100,
         set({CAR_TOING, CAR_BLT, CAR_HL, CAR_MC, CAR_RMP, CAR_FUDOBOX}, carts)},
        {kP2, set({CAR_TOING, CAR_BLT, CAR_HL, CAR_CS, CAR_MC, CAR_RMP}), 3300,
         set({CAR_TOING, CAR_BLT, CAR_HL, CAR_CS, CAR_MC, CAR_RMP}, carts), 3100,
         set({CAR_TOING, CAR_BLT, CAR_HL, CAR_CS, CAR_MC, CAR_RMP, CAR_BUS}, carts)},
        {kP3, set({CAR_TOING, CAR_BLT, CAR_MC, CAR_RMP}), 3200,
         set({CAR_TOING, CAR_BLT, CAR_MC, CAR_RMP}, carts), 3000,
         set({CAR_TOING, CAR_BLT, CAR_MC, CAR_RMP}, carts)},
        {kP4, set({CAR_TOING, CAR_BLT, CAR_CS, CAR_MC, CAR_RMP}), 3200,
         set({CAR_TOING, CAR_BLT, CAR_CS, CAR_MC, CAR_RMP}, carts), 3000,
         set({CAR_TOING, CAR_BLT, CAR_CS, CAR_MC, CAR_RMP}, carts)},
        {kP5, set({CAR_TOING, CAR_BLT, CAR_BUS, CAR_MC, CAR_RMP}), 3200,
         set({CAR_TOING, CAR_BLT, CAR_BUS, CAR_MC, CAR_RMP}, carts), 3000,
         set({CAR_TOING, CAR_BLT, CAR_BUS, CAR_MC, CAR_RMP}, carts)},
    };
    for (const CarCase& c : cases) {
        const std::string what = "pattern " + std::to_string(c.pattern);
        G(kSlotCar1) = ObjectRecord{G(kSlotCar1).used, G(kSlotCar1).layer};
        ObjectRecord& a = Park(0, c.pattern, 0);
        a.link = 0;
        ASSERT_EQ(GroundEvent(0, 10), 1) << what;
        ObjectRecord& car = G(kSlotCar1);
        EXPECT_EQ(car.state, 1) << what;
        EXPECT_EQ(a.link, kSlotCar1) << what;
        EXPECT_TRUE(On(car.layer)) << what;
        EXPECT_EQ(Shown(0), c.after10) << what;
        EXPECT_EQ(car.kind, c.run10) << what;
        EXPECT_EQ(car.count, 1) << what;
        EXPECT_EQ(car.layer->shift.x, a.pos.x) << what;
        // The run has moved its boxes meanwhile; loading starts from any state.
        GroundSupportMain(100);
        ASSERT_EQ(GroundEvent(0, 21), 1) << what;
        EXPECT_EQ(Shown(0), c.after21) << what;
        EXPECT_EQ(car.kind, c.run21) << what;
        EXPECT_EQ(car.count, 1) << what;
        car.kind = 0;
        GroundEvent(0, 22);
        EXPECT_EQ(Shown(0), c.after22) << what;
        // The cancel gives the car back.
        GroundEventCancel(0, 10);
        EXPECT_FALSE(On(car.layer)) << what;
        EXPECT_EQ(car.state, 0) << what;
        EXPECT_EQ(a.link, 0) << what;
    }
}

TEST_F(DryApron, CarsForPatternsOutsideAndTheSecondPair) {
    // A pattern outside the groups claims the car and shows nothing.
    ObjectRecord& a = Park(0, kOutside, 0);
    EXPECT_EQ(GroundEvent(0, 10), 1);
    ObjectRecord& car = G(kSlotCar1);
    EXPECT_EQ(car.state, 1);
    EXPECT_EQ(a.link, kSlotCar1);
    EXPECT_FALSE(On(car.layer));
    EXPECT_EQ(car.kind, 0);
    GroundEvent(0, 21);  // nothing for it
    EXPECT_EQ(car.kind, 0);
    KRNL_RecallFunction(KRNLOP_SWITCH, car.layer, 0, 1, 0);
    GroundEvent(0, 22);  // the whole car goes
    EXPECT_FALSE(On(car.layer));
    // Events 11 and 23 claim slots 34 and 35, which draw nothing.
    Park(1, kP1, 1);
    Park(2, kP3, 2);
    Park(3, kP4, 3);
    EXPECT_EQ(GroundEvent(1, 11), 1);
    EXPECT_EQ(GroundEvent(2, 23), 1);
    EXPECT_EQ(GroundEvent(3, 11), 0);
    EXPECT_EQ(G(kSlotCar3).state, 2);
    EXPECT_EQ(G(kSlotCar4).state, 3);
    EXPECT_EQ(Obj(1).link, kSlotCar3);
    EXPECT_EQ(Obj(3).link, 0);
    // Loading needs a car of the first pair: a claim of 34 does nothing.
    GroundEvent(1, 21);
    EXPECT_EQ(G(kSlotCar3).kind, 0);
    GroundEventCancel(1, 20);
    EXPECT_EQ(G(kSlotCar3).state, 0);
    EXPECT_EQ(Obj(1).link, 0);
    GroundEventCancel(1, 10);  // no link: nothing
    EXPECT_EQ(G(kSlotCar4).state, 3);
}

TEST_F(DryApron, FuelTruckByDayAndNight) {
    for (int night : {0, 1}) {
        GetScenarioHeader().night = night;
        ObjectRecord& car = G(kSlotCar2);
        G(kSlotCar1).state = 9;
        car.state = 0;
        KRNL_RecallFunction(KRNLOP_SWITCH, car.layer, 0, 1, 0);
        Park(0, kP2, 0).link = 0;
        EXPECT_EQ(GroundEvent(0, 20), 1);
        EXPECT_EQ(car.state, 1);
        EXPECT_EQ(Obj(0).link, kSlotCar2);
        EXPECT_EQ(Shown(1), night ? Parts({CAR_FUEL, CAR_FUELLIGHT}) : Parts({CAR_FUEL})) << night;
        EXPECT_FALSE(On(car.layer));
    }
    // Outside the groups the truck stays hidden.
    G(kSlotCar2).state = 0;
    Park(1, kOutside, 1);
    KRNL_RecallFunction(KRNLOP_SWITCH, G(kSlotCar2).layer, 0, 0, 0);
    EXPECT_EQ(GroundEvent(1, 20), 1);
    EXPECT_TRUE(Shown(1).empty());
    // Both cars taken: no truck.
    Park(2, kP1, 2);
    EXPECT_EQ(GroundEvent(2, 20), 0);
    EXPECT_EQ(Obj(2).link, 0);
}

struct BridgeCase {
    int pattern, spot, code;
    int shown;  // the pose shown afterwards, -1 unchanged
};

TEST_F(DryApron, BoardingBridgePoses) {
    const BridgeCase cases[] = {
        {kP1, 0, 31, 0},  {kP1, 0, 32, 1},   {kP3, 0, 32, 2},  {kP3, 0, 31, 0},   {kP2, 0, 32, -1},
        {kP4, 0, 31, -1}, {kP1, -1, 32, -1}, {kP1, 7, 32, -1}, {kP1, 20, 32, -1}, {kP1, 63, 31, -1},
    };
    for (const BridgeCase& c : cases) {
        Park(0, c.pattern, 0).kind = c.pattern;
        Air(0).spot = c.spot;
        tagKRNL* const* pose = GetBridgeTable()[0].pose;
        ASSERT_NE(pose[2], nullptr);
        KRNL_RecallFunction(KRNLOP_SWITCH, pose[0], 0, 0, 0);
        KRNL_RecallFunction(KRNLOP_SWITCH, pose[1], 0, 0, 0);
        KRNL_RecallFunction(KRNLOP_SWITCH, pose[2], 0, 1, 0);  // the pose before
        GroundEvent(0, c.code);
        const int shown = c.shown < 0 ? 2 : c.shown;
        for (int p = 0; p < 3; ++p)
            EXPECT_EQ(pose[p]->sw, p == shown ? 1 : 0)
                << std::hex << c.pattern << std::dec << " spot " << c.spot << " " << c.code
                << " pose " << p;
    }
}

TEST_F(DryApron, MarshallerAtTheSpot) {
    ObjectRecord& a = Park(0, kP1, 3);
    a.pos.y = 2;
    ASSERT_EQ(GroundEvent(0, 2000), 1);
    ObjectRecord& m = G(kSlotMarshal1);
    const AirportPlace& spot = GetAirportRecord()->spots[3];
    double g = spot.heading + 180;
    if (g >= 360) g -= 360;
    tagKRN3D ahead;
    const tagKRN3D thirty = V(0, 0, 30);
    RotateY(&ahead, &thirty, g);
    EXPECT_DOUBLE_EQ(m.pos.x, spot.x / 100 + ahead.x);
    EXPECT_DOUBLE_EQ(m.pos.y, 2 + ahead.y);
    EXPECT_DOUBLE_EQ(m.pos.z, spot.z / 100 + ahead.z);
    EXPECT_EQ(m.angle.y, g);
    EXPECT_EQ(m.layer->shift.x, m.pos.x);
    EXPECT_TRUE(On(m.layer));
    const GroundParts& p = GetGroundParts();
    EXPECT_TRUE(On(p.marshal[0][0]));
    for (int i = 1; i < 4; ++i) EXPECT_FALSE(On(p.marshal[0][i])) << i;
    EXPECT_EQ(m.state, 1);
    EXPECT_EQ(m.kind, 2000);
    // The second figure; with both busy the second again.
    Park(1, kP2, 4);
    Park(2, kP3, 5);
    GroundEvent(1, 2000);
    EXPECT_EQ(G(kSlotMarshal2).state, 2);
    GroundEvent(2, 2000);
    EXPECT_EQ(G(kSlotMarshal2).state, 3);
    EXPECT_EQ(m.state, 1);
    // A choice that names no spot does nothing.
    for (int choice : {0, -3, 65, 1000}) {
        Air(2).choice = choice;
        G(kSlotMarshal2).state = 0;
        EXPECT_EQ(GroundEvent(2, 2000), 1) << choice;
        EXPECT_EQ(G(kSlotMarshal2).state, 0) << choice;
    }
    // Waving and the stop sign go to the figure the aircraft holds (the later of two).
    G(kSlotMarshal2).state = 1;
    GroundEvent(0, 2010);
    EXPECT_EQ(G(kSlotMarshal2).kind, 2010);
    EXPECT_EQ(m.kind, 2000);
    EXPECT_EQ(G(kSlotMarshal2).count, 1);
    GroundEvent(1, 2020);  // holds none now
    EXPECT_EQ(m.kind, 2000);
}

TEST_F(DryApron, GroundRecords) {
    Park(0, kP1, 0);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(GroundEvent(0, 40), 1) << i;
        const ObjectRecord& r = G(kSlotGroundFirst + i);
        EXPECT_EQ(r.state, 1);
        EXPECT_EQ(r.kind, 40);
        EXPECT_EQ(r.pos.x, Obj(0).pos.x);
        EXPECT_GE(r.angle.x, 41);
        EXPECT_LE(r.angle.x, 50);
        EXPECT_EQ(r.angle.y, Obj(0).angle.y);
        EXPECT_EQ(r.count, GetUpdateTickStep());
    }
    EXPECT_EQ(GroundEvent(0, 40), 0) << "all twenty taken";
}

struct AnnounceCase {
    int pattern;
    const char* airline;
    const char* port;
    int code, selected;
    int n, speaker;  // -1: no announcement; speaker -2: 18-21
    int result;
};

TEST_F(DryApron, CabinAnnouncements) {
    const AnnounceCase cases[] = {
        {kP1, "JAL", "RJFF", 1000, -1, 0, -2, 1}, {0x411, "SNJ", "RJFF", 1000, -1, 0, 23, 1},
        {kP2, "JAL", "RJFF", 1000, -1, -1, 0, 1}, {kP1, "JAL", "RJBH", 1010, 7, 5, 7 % 10 + 8, 1},
        {kP1, "JAL", "RJFF", 1010, 7, 1, 15, 1},  {kP1, "snj", "RJBH", 1010, 7, 1, 22, 1},
        {kP1, "JAL", "RJFF", 1010, 3, -1, 0, 1},  {0x421, "ANA", "RJFF", 1020, 7, 2, 15, 1},
        {kP1, "SNJ", "RJFF", 1030, 7, 3, 22, 1},  {kP1, "JAL", "RJFF", 1040, 7, 4, 15, 1},
        {kP1, "JAL", "RJFF", 1040, -1, -1, 0, 1}, {0x1011, "JAL", "RJFF", 1050, -1, 20, 26, 1},
        {kP1, "JAL", "RJFF", 1050, -1, -1, 0, 1},
    };
    for (const AnnounceCase& c : cases) {
        const std::string what = std::to_string(c.code) + " " + c.airline + " " + c.port + " " +
                                 std::to_string(c.pattern);
        Park(7, c.pattern, 7, c.airline);
        std::snprintf(Air(7).port, sizeof Air(7).port, "%s", c.port);
        SetSelectedAircraft(c.selected);
        Mark();
        EXPECT_EQ(GroundEvent(7, c.code), c.result) << what;
        const std::vector<std::string> said = Trace("announce ");
        if (c.n < 0) {
            EXPECT_TRUE(said.empty()) << what;
            continue;
        }
        ASSERT_EQ(said.size(), 1u) << what;
        int n = -1, aircraft = -1, speaker = -1;
        ASSERT_EQ(std::sscanf(said[0].c_str(), "announce %d aircraft %d speaker %d", &n, &aircraft,
                              &speaker),
                  3);
        EXPECT_EQ(n, c.n) << what;
        EXPECT_EQ(aircraft, 7);
        if (c.speaker == -2) {
            EXPECT_GE(speaker, 18) << what;
            EXPECT_LE(speaker, 21) << what;
        } else {
            EXPECT_EQ(speaker, c.speaker) << what;
        }
    }
}

TEST_F(DryApron, EveryEventIsTraced) {
    Park(0, kP1, 0);
    Mark();
    GroundEvent(0, 5);
    GroundEvent(0, 999);
    GroundEventCancel(0, 5);
    EXPECT_EQ(Trace("ground "),
              (std::vector<std::string>{"ground 0 5 1", "ground 0 999 1", "ground cancel 0 5"}));
    // Slots outside the table are refused quietly.
    EXPECT_EQ(GroundEvent(-1, 5), 0);
    EXPECT_EQ(GroundEvent(20, 5), 0);
    GroundEventCancel(25, 10);
}

// ---- the animations, tick by tick ----

// The pattern of smoke object `s` (0-3) that is shown, -1 none; -2 more than one.
int ShownPattern(int s) {
    int shown = -1;
    for (int k = 0; k < kSmokePatterns; ++k) {
        const tagKRNL* l = GetGroundParts().smoke[s][k];
        if (l && l->sw == 1) shown = shown == -1 ? k : -2;
    }
    return shown;
}

TEST_F(DryApron, PuffShowsItsSixPatternsAndGoes) {
    const ObjectRecord& a = Park(0, kP1, 0);
    GroundEvent(0, 1);
    ObjectRecord& s = G(kSlotSmoke1);
    EXPECT_EQ(ShownPattern(0), 0);
    EXPECT_EQ(s.state, 1);
    EXPECT_EQ(s.kind, 1);
    EXPECT_EQ(s.layer->shift.x, a.pos.x);
    EXPECT_EQ(s.layer->rotate.y, a.angle.y);
    // Pattern 0 for the 6 ticks after the event, 1-5 for 8 each, gone at counter 48.
    for (int tick = 1; tick <= 50; ++tick) {
        GroundSupportMain(1);
        const int counter = 1 + tick;
        const int expect = counter < 48 ? counter / 8 : -1;
        ASSERT_EQ(ShownPattern(0), expect) << "tick " << tick;
        ASSERT_EQ(s.kind, counter < 48 ? 1 : 0) << "tick " << tick;
        if (counter == 48) EXPECT_EQ(tick, 47);
    }
    EXPECT_EQ(s.state, 0);
    // A paused frame redraws the current pattern without advancing.
    GroundEvent(0, 1);
    GroundSupportMain(20);
    EXPECT_EQ(ShownPattern(0), 2);
    KRNL_RecallFunction(KRNLOP_SWITCH, s.layer, 0, 0, 0);
    GroundSupportMain(0);
    EXPECT_EQ(ShownPattern(0), 2);
    EXPECT_EQ(s.state, 21);
}

TEST_F(RainApron, SprayAndWaterSmokeFollowUntilTheAircraftSlows) {
    ObjectRecord& a = Park(0, kP1, 0);
    a.speed = 3.0;
    GroundEvent(0, 2);
    ObjectRecord& spray = G(kSlotSmoke1);
    EXPECT_EQ(spray.flight, 0);
    tagKRN3D behind;
    const tagKRN3D twenty = V(0, 0, 20), heading = V(0, a.angle.y, 0);
    RotateVector3(&behind, &twenty, &heading);
    EXPECT_DOUBLE_EQ(spray.angle.x, behind.x);
    EXPECT_DOUBLE_EQ(spray.angle.z, behind.z);
    GroundEvent(0, 3);
    ObjectRecord& water = G(kSlotSmoke3);
    EXPECT_EQ(ShownPattern(2), 0);
    struct Case {
        double speed;
        bool stops;
        double lowered;  // the water smoke's y below the aircraft
    };
    const Case cases[] = {
        {3.0, false, 0},
        {2.0, false, 0},
        {1.3718518518518519, false, 0},  // at full speed: lowered by nothing
        {1.0, false, (1.3718518518518519 - 1.0) * 12.0},
        {0.6, false, (1.3718518518518519 - 0.6) * 12.0},
        {0.5144444444444445, true, 0},  // a knot or less: both stop
    };
    int counter = 1;
    for (const Case& c : cases) {
        a.speed = c.speed;
        a.pos.z -= c.speed;
        GroundSupportMain(3);
        counter += 3;
        const int frame = counter / 8;
        if (c.stops) {
            EXPECT_EQ(ShownPattern(0), -1);
            EXPECT_EQ(ShownPattern(2), -1);
            EXPECT_EQ(spray.kind, 0);
            EXPECT_EQ(water.kind, 0);
            EXPECT_EQ(spray.state, 0);
            continue;
        }
        EXPECT_EQ(ShownPattern(0), frame % 3) << c.speed;
        EXPECT_EQ(ShownPattern(2), frame % 3) << c.speed;
        // The spray trails by its offset and sinks half a unit a frame.
        EXPECT_DOUBLE_EQ(spray.layer->shift.z, a.pos.z + behind.z) << c.speed;
        EXPECT_DOUBLE_EQ(spray.layer->shift.y, a.pos.y + behind.y - frame * 0.5) << c.speed;
        EXPECT_DOUBLE_EQ(water.layer->shift.z, a.pos.z) << c.speed;
        EXPECT_DOUBLE_EQ(water.layer->shift.y, a.pos.y - c.lowered) << c.speed;
    }
}

TEST_F(DryApron, DryStageHasNoWaterSmoke) {
    Park(0, kP1, 0);
    // An event 3 on a dry stage runs without a layer to show.
    GroundEvent(0, 3);
    Obj(0).speed = 3;
    GroundSupportMain(1);
    EXPECT_EQ(G(kSlotSmoke3).layer, nullptr);
    EXPECT_EQ(G(kSlotSmoke4).layer, nullptr);
    ReleaseGroundSupport();
    EXPECT_EQ(G(kSlotSmoke3).used, 0);
}

TEST_F(NightApron, TugFollowsAndPushesBack) {
    ObjectRecord& a = Park(0, kP1, 0);
    GroundEvent(0, 5);
    ObjectRecord& t = G(kSlotTug1);
    tagKRNL* const* light = GetGroundParts().tuglight[0];
    // Taxiing or towed: at the nose, the front light on at night.
    a.pos = V(100, 0, 200);
    a.angle = V(0, 30, 0);
    GroundSupportMain(1);
    tagKRN3D ahead;
    const tagKRN3D nose = V(0, 0, -25 - 12.0);
    RotateY(&ahead, &nose, 30);
    EXPECT_DOUBLE_EQ(t.pos.x, 100 + ahead.x);
    EXPECT_DOUBLE_EQ(t.pos.z, 200 + ahead.z);
    EXPECT_EQ(t.angle.y, 30);
    EXPECT_TRUE(On(light[0]));
    EXPECT_FALSE(On(light[1]));
    // Push-back: the tug turns toward the nose point from where it stands, 12 behind it, the back
    // light on.
    Air(0).phase = PHASE_PUSHBACK;
    a.angle = V(1, 35, 2);
    const tagKRN3D was = t.pos;
    GroundSupportMain(1);
    tagKRN3D point;
    const tagKRN3D gear = V(0, 0, -25);
    RotateY(&point, &gear, 35);
    point = V(100 + point.x, point.y, 200 + point.z);
    const double h = Bearing(&point, &was);
    tagKRN3D back;
    const tagKRN3D twelve = V(0, 0, -12);
    RotateY(&back, &twelve, h);
    EXPECT_DOUBLE_EQ(t.pos.x, point.x + back.x);
    EXPECT_DOUBLE_EQ(t.pos.z, point.z + back.z);
    EXPECT_EQ(t.angle.y, h);
    EXPECT_EQ(t.angle.x, 1);
    EXPECT_EQ(t.layer->rotate.y, h);
    EXPECT_TRUE(On(light[1]));
    EXPECT_FALSE(On(light[0]));
    // A tug nobody holds stays where it is.
    GroundEventCancel(0, 5);
    const tagKRN3D left = t.pos;
    a.pos = V(0, 0, 0);
    GroundSupportMain(1);
    EXPECT_EQ(t.pos.x, left.x);
}

TEST_F(DryApron, PropellerFramesOfTheSelectedAircraft) {
    ObjectRecord& a = Park(0, kP1, 0);
    a.brdon = KRNL_CreateLayer(Root(), "p_brdon");
    for (int i = 0; i < 3; ++i)
        a.blades[i] = KRNL_CreateLayer(Root(), ("p_brd" + std::to_string(i)).c_str());
    tagKRNL* frames[4] = {a.brdon, a.blades[0], a.blades[1], a.blades[2]};
    const auto shown = [&] {
        int n = -1;
        for (int i = 0; i < 4; ++i)
            if (frames[i]->sw == 1) n = n == -1 ? i : -2;
        return n;
    };
    // The selector set while nothing is selected: nothing happens.
    SetPropellerSelector(1);
    GroundSupportMain(1);
    EXPECT_EQ(shown(), -2) << "all four as they were";
    SetSelectedAircraft(0);
    for (int t = 0; t < 40; ++t) {
        GetGameClock().ticks = t;
        GroundSupportMain(1);
        ASSERT_EQ(shown(), (t / 4) % 4) << t;
    }
    SetPropellerSelector(0);
    GetGameClock().ticks = 0;
    GroundSupportMain(1);
    EXPECT_EQ(shown(), 1) << "left as it was";
}

TEST_F(DryApron, MarshallerWavesThenStopsAndLeaves) {
    Park(0, kP1, 0);
    GroundEvent(0, 2000);
    GroundEvent(0, 2010);
    ObjectRecord& m = G(kSlotMarshal1);
    const GroundParts& p = GetGroundParts();
    const auto sign = [&] {
        int n = -1;
        for (int i = 0; i < 4; ++i)
            if (p.marshal[0][i]->sw == 1) n = n == -1 ? i : -2;
        return n;
    };
    // "up1" while the counter is 2-7, "up2" 8-15, "up3" 16-23; at 24 back to 1, up3 still shown.
    for (int cycle = 0; cycle < 2; ++cycle)
        for (int tick = 1; tick <= 23; ++tick) {
            GroundSupportMain(1);
            const int counter = tick + 1;
            if (counter == 24) {
                ASSERT_EQ(m.count, 1) << tick;
                ASSERT_EQ(sign(), 2) << tick;
            } else {
                ASSERT_EQ(m.count, counter) << tick;
                ASSERT_EQ(sign(), counter / 8) << cycle << " " << tick;
            }
        }
    // The stop sign for 60 ticks, then the figure goes and is free.
    GroundEvent(0, 2020);
    for (int tick = 1; tick <= 59; ++tick) {
        GroundSupportMain(1);
        ASSERT_EQ(sign(), 3) << tick;
        ASSERT_EQ(m.state, 1) << tick;
    }
    EXPECT_TRUE(On(m.layer));
    GroundSupportMain(1);
    EXPECT_EQ(m.state, 0);
    EXPECT_EQ(m.kind, 0);
    EXPECT_EQ(m.count, 0);
    EXPECT_FALSE(On(m.layer));
}

struct RunCase {
    int pattern, code;
    int start;   // the run's first state
    int length;  // ticks until the car is idle again
};

TEST_F(DryApron, CargoRunsStepEverySixtyTicks) {
    const RunCase cases[] = {
        {kP3, 21, 3000, 600},
        {kP1, 21, 3100, 600},
        {kP3, 10, 3200, 595},
        {kP1, 10, 3300, 595},
    };
    for (const RunCase& c : cases) {
        Park(0, c.pattern, 0).link = 0;
        G(kSlotCar1).state = 0;
        GroundEvent(0, 10);
        if (c.code == 21) GroundEvent(0, 21);
        ObjectRecord& car = G(kSlotCar1);
        ASSERT_EQ(car.kind, c.start);
        for (int tick = 1; tick <= c.length; ++tick) {
            GroundSupportMain(1);
            if (tick < c.length)
                ASSERT_EQ(car.kind, c.start + 10 * std::min(tick / 60, 9))
                    << c.start << " tick " << tick;
        }
        EXPECT_EQ(car.kind, 0) << c.start;
        EXPECT_EQ(car.count, 0) << c.start;
        // The owner and the link stay until the work ends.
        EXPECT_EQ(car.state, 1);
        EXPECT_EQ(Obj(0).link, kSlotCar1);
        // Idle, the counter goes on counting.
        GroundSupportMain(7);
        EXPECT_EQ(car.count, 7);
        GroundEventCancel(0, 10);
    }
}

TEST_F(DryApron, CargoBoxesOfTheUnloadingRun) {
    Park(0, kP3, 0);
    GroundEvent(0, 10);  // run 3200: unloading over the belt loader onto the carts
    const auto boxes = [] {
        std::string s;
        for (int b = CAR_B1; b <= CAR_B9; ++b)
            s += GetGroundParts().car[0][b]->sw == 1 ? char('1' + b - CAR_B1) : '.';
        return s;
    };
    EXPECT_EQ(boxes(), ".........");
    // Each step's switches, frame by frame: a box comes down the belt onto cart 7, then 8, then
    // 9 (a step's switches show from its first frame; it lasts 60 ticks).
    const char* const kSteps[10] = {"1........", ".2.......", "..3......", "1.....7..",
                                    ".2....7..", "..3...7..", "1.....78.", ".2....78.",
                                    "..3...78.", "......789"};
    for (int step = 0; step < 10; ++step) {
        GroundSupportMain(1);
        EXPECT_EQ(boxes(), kSteps[step]) << "step " << step;
        EXPECT_EQ(G(kSlotCar1).kind, 3200 + 10 * step);
        GroundSupportMain(59);
        EXPECT_EQ(boxes(), kSteps[step]) << "step " << step << ", its last frame";
    }
}

}  // namespace
