// The apron of the sample airport for the ground-support tests: the airport loaded as stage
// set-up loads it (its bridges and spots), the ground-support objects of the program folder,
// and aircraft parked at the gates with the service pattern a test gives them.
#pragma once

#include <memory>
#include <string>

#include "../game_trace.h"
#include "world/ground_internal.h"
#include "world_fixture.h"

namespace groundtest {

using worldtest::V;

// The service patterns by group, the one served only by tugs, and one outside every group.
enum Pattern : int {
    kP1 = 0x111,
    kP2 = 0x211,
    kP3 = 0x121,
    kP4 = 0x221,
    kP5 = 0x122,
    kTugOnly = 0x922,
    kOutside = 0x333,
};

class Apron : public worldtest::Stage {
  protected:
    explicit Apron(const char* weather = "", int night = 0)
        : worldtest::Stage(8468 + (night ? 2000 : 0)),
          airport_(new AirportRecord()),
          sids_(new SidTable()) {
        SetAirportRecord(airport_.get());
        SetSidTable(sids_.get());
        UseFolder(WynPlat_ProgramDir());
        std::snprintf(Handles().airport, sizeof Handles().airport, "rjtt");
        GetScenarioHeader() = ScenarioHeader{};
        std::snprintf(GetScenarioHeader().world.weather, 5, "%s", weather);
        GetScenarioHeader().night = night;
        GetHud() = HudNumbers{};
        GetConfig().resolution = 1;
        GetGameClock() = GameClock{};
        SetSelectedAircraft(-1);
        boxes_ = WynPlat_MessageBoxCount();
        LoadAirport();
        SetupGroundSupport();
        trace_ = gametrace::TraceEnd();
    }
    ~Apron() override {
        EXPECT_EQ(WynPlat_MessageBoxCount(), boxes_) << "no box";
        ReleaseGroundSupport();
        SetSelectedAircraft(-1);
        SetAirportRecord(nullptr);
        SetSidTable(nullptr);
    }
    // An aircraft of `pattern` parked at spot `spot` (nose east), in `slot`.
    ObjectRecord& Park(int slot, int pattern, int spot, const char* airline = "JAL") {
        ObjectRecord& o = Obj(slot);
        o.used = 1;
        o.kind = pattern;
        const AirportPlace& p = GetAirportRecord()->spots[spot];
        o.pos = V(p.x / 100, 0, p.z / 100);
        o.angle = V(0, p.heading, 0);
        AircraftRecord& a = Air(slot);
        a.used = 1;
        a.spot = spot;
        a.choice = spot + 1;
        a.typeoffset = -250;
        std::snprintf(a.airline, sizeof a.airline, "%s", airline);
        return o;
    }
    static ObjectRecord& G(int slot) { return *GroundObject(slot); }
    static tagKRNL* CarPart(int car, CarPart part) { return GetGroundParts().car[car][part]; }
    // Shown: switched on (a layer's own word; the library draws each layer by its own).
    static bool On(const tagKRNL* l) { return l && l->sw == 1; }
    // Announcements and other trace lines since the fixture was set up.
    std::vector<std::string> Trace(const std::string& prefix) const {
        return gametrace::TraceLines(trace_, prefix);
    }
    void Mark() { trace_ = gametrace::TraceEnd(); }

  private:
    std::unique_ptr<AirportRecord> airport_;
    std::unique_ptr<SidTable> sids_;
    int boxes_ = 0;
    uintmax_t trace_ = 0;
};

class DryApron : public Apron {};
class RainApron : public Apron {
  protected:
    RainApron() : Apron("R") {}
};
class NightApron : public Apron {
  protected:
    NightApron() : Apron("", 1) {}
};

}  // namespace groundtest
