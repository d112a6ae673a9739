// A stage without windows for the simulation's tests: the aircraft and object tables, a layer
// tree on an engine record that loads no pictures, the program folder, the airport record and
// a scenario image whose timetable the test writes, and the calls seen so far forgotten.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "../game_trace.h"
#include "../stage_fixture.h"
#include "controller/controller.h"
#include "frame/frame_internal.h"
#include "simulation/simulation_internal.h"
#include "world/world.h"
#include "wynbytes.h"
#include "wynplat.h"

namespace simtest {

// What the controller interface shows of each aircraft: the strip slot it holds, its radar label
// row and memo lines. The tests name the changes in the words of the calls that make them.
struct ControllerLook {
    bool strip[kAircraftSlots];
    std::string label[kAircraftSlots];
    std::string memo[kAircraftSlots][kStripMemoLines];
};
inline bool HoldsStrip(int slot) {
    const AircraftTable* t = GetAircraftTable();
    if (!t) return false;
    const int s = (*t)[size_t(slot)].stripslot;
    return s >= 0 && s < kStripSlots && GetStripSlots()[size_t(s)] == slot;
}
inline ControllerLook Look() {
    ControllerLook l;
    for (int slot = 0; slot < kAircraftSlots; ++slot) {
        l.strip[slot] = HoldsStrip(slot);
        l.label[slot] =
            l.strip[slot] ? GetRadarLabel((*GetAircraftTable())[size_t(slot)].stripslot) : "";
        for (int line = 0; line < kStripMemoLines; ++line)
            l.memo[slot][line] = GetStripMemo(slot, line);
    }
    return l;
}
// The text a memo change added: what follows the old line (and its "> "), or the new second line.
inline std::string AddedMemo(const std::string* was, const std::string* is) {
    auto rest = [](const std::string& now, const std::string& old) {
        std::string r = now.substr(old.size());
        return !old.empty() && r.rfind("> ", 0) == 0 ? r.substr(2) : r;
    };
    if (was[0] == is[0] && was[1] == is[1]) return "";
    if (was[1].empty() && is[1].empty() && is[0].rfind(was[0], 0) == 0) return rest(is[0], was[0]);
    if (was[0] == is[0] && is[1].rfind(was[1], 0) == 0) return rest(is[1], was[1]);
    return is[1];
}
inline ControllerLook& Watched() {
    static ControllerLook look;
    return look;
}
// Starts watching the controller: its look kept, the menu and the panel taken down so that a new
// one shows.
inline void WatchController() {
    HideCommandMenu();
    HideFlightInfo();
    Watched() = Look();
}
// What changed in the controller's look since WatchController, per slot: "DrawStrip s",
// "DrawRadarLabel s" or "ClearRadarLabel s", "BuildCommandMenu s" (of the menu's aircraft),
// "DrawFlightInfo s", "AddStripMemo s <text>".
inline std::vector<std::string> ControllerChanges() {
    std::vector<std::string> out;
    const ControllerLook now = Look(), &was = Watched();
    for (int s = 0; s < kAircraftSlots; ++s) {
        const std::string n = std::to_string(s);
        if (now.strip[s] && !was.strip[s]) out.push_back("DrawStrip " + n);
        if (now.label[s] != was.label[s] ||
            (now.strip[s] && !was.strip[s] && !now.label[s].empty()))
            out.push_back((now.label[s].empty() ? "ClearRadarLabel " : "DrawRadarLabel ") + n);
        if (IsCommandMenuShown() && GetCommandMenuAircraft() == s)
            out.push_back("BuildCommandMenu " + n);
        if (GetFlightInfoAircraft() == s) out.push_back("DrawFlightInfo " + n);
        const std::string memo = AddedMemo(was.memo[s], now.memo[s]);
        if (!memo.empty()) out.push_back("AddStripMemo " + n + " " + memo);
    }
    return out;
}

// Little-endian words and fixed text fields, appended.
struct Bytes {
    std::vector<uint8_t> b;
    Bytes& i(int32_t v) {
        for (int k = 0; k < 4; ++k) b.push_back(uint8_t(uint32_t(v) >> (8 * k)));
        return *this;
    }
    Bytes& t(const char* s, size_t field) {
        const size_t n = std::min(std::strlen(s), field);
        b.insert(b.end(), s, s + n);
        b.insert(b.end(), field - n, 0);
        return *this;
    }
    Bytes& add(const Bytes& o) {
        b.insert(b.end(), o.b.begin(), o.b.end());
        return *this;
    }
};

// Record 5 with the fields a test usually sets; the rest as given.
inline Bytes Flight(int time, int id, const char* airline, const char* type, int knots = 210,
                    int kind = 1, int flight = 7, const char* port = "", int livery = 0,
                    const char* script = "") {
    Bytes r;
    r.i(TT_CREATE).i(time).i(id).i(-3000).i(4000).i(3000).i(knots).i(160).i(flight);
    r.t(airline, 8).t(type, 8).t(port, 8).i(livery).i(11).i(1005).i(kind).i(0).i(0x200);
    return r.t(script, 16);
}
inline Bytes Parked(int id, int spot, const char* airline, const char* type, int flags = 0,
                    const char* script = "") {
    Bytes r;
    r.i(TT_PARK).i(id).i(spot).i(100 + id).t(airline, 8).t(type, 8).t("KRG", 8).i(0).i(21);
    return r.i(1030).i(flags).t(script, 16);
}
inline Bytes Ready(int time, int id, int kind, int status = 0, int flight = 808,
                   const char* port = "", const char* script = "") {
    Bytes r;
    r.i(TT_READY).i(time).i(id).i(flight).i(3).i(kind).i(status).t(port, 8).i(0x300);
    return r.t(script, 16);
}
inline Bytes End() { return Bytes().i(TT_END); }

class SimCase : public gametest::WindowlessStage {
  protected:
    SimCase() : WindowlessStage(40000), image_(new ScenarioImage()) {
        std::memset(image_.get(), 0, sizeof(ScenarioImage));
        SetScenarioImage(image_.get());
        GetScenarioHeader() = ScenarioHeader{};
        GetStageRunways() = StageRunways{};
        GetStageWeather() = StageWeather{};
        SetTimetable(End());
        ResetTimetable();
        ClearAircraftTable();
        GetGameVariables().fill(0);
        ResetStripBoard();
        GetBridgeTable() = BridgeTable{};
        GetHud() = HudNumbers{};
        SetStageState(STAGE_PLAY);
        SetGamePhase(GAMEPHASE_RUNNING);
        SetSelectedAircraft(-1);
        ClearCalls();
        for (int s = 0; s < kAirportSpots; ++s) {
            AirportPlace& p = Airport().spots[size_t(s)];
            std::snprintf(p.name, sizeof p.name, "SPOT %d", s + 1);
            p.x = 10000 * s + 250;  // x 100 s + 2 after the division
            p.z = -5099;            // z -50
            p.height = 3;
            p.heading = 90 + s;
        }
        boxes_ = WynPlat_MessageBoxCount();
    }
    ~SimCase() override { SetScenarioImage(nullptr); }

    // The image holds a header of 0xec bytes and then `records`; the header's start time and
    // length are set and the clock reset to them.
    void SetTimetable(const Bytes& records, int start = 930, int hours = 1) {
        std::memset(image_->bytes, 0, sizeof image_->bytes);
        std::memcpy(image_->bytes + kTimetable, records.b.data(), records.b.size());
        ScenarioHeader& h = GetScenarioHeader();
        h.timetable = kTimetable;
        h.size = kTimetable + int(records.b.size());
        h.starttime = start;
        h.hours = hours;
        ResetTimetable();
        ClearAircraftTable();
    }
    // Steps whole minutes: the first minute of a stage takes 601 ticks.
    void Minutes(int n) {
        for (int k = 0; k < n; ++k) StepTimetable(GetGameClock().ticks == 0 ? 601 : 600);
    }

    int NewBoxes() const { return WynPlat_MessageBoxCount() - boxes_; }
    std::string LastBox() const {
        char caption[256], text[512];
        if (!WynPlat_LastMessageBox(caption, sizeof caption, text, sizeof text)) return "";
        return std::string(caption) + "|" + text;
    }
    // Forgets the calls made so far: the ground events and the controller's.
    void ClearCalls() {
        traceFrom_ = gametrace::TraceEnd();
        WatchController();
    }
    // The ground events sent since, in order: "GroundEvent <slot> <code>" and
    // "GroundEventCancel <slot> <code>" (from the trace's "ground" lines).
    std::vector<std::string> GroundCalls() const {
        std::vector<std::string> out;
        for (const std::string& line : gametrace::TraceLines(traceFrom_, "ground ")) {
            std::istringstream w(line);
            std::string word, slot, code;
            w >> word >> slot;
            if (slot == "cancel") {
                w >> slot >> code;
                out.push_back("GroundEventCancel " + slot + " " + code);
            } else if (w >> code) {
                out.push_back("GroundEvent " + slot + " " + code);
            }
        }
        return out;
    }
    // The ground events and what the controller shows anew, in that order.
    std::vector<std::string> Calls() const {
        std::vector<std::string> out = GroundCalls();
        for (const std::string& c : ControllerChanges()) out.push_back(c);
        return out;
    }
    // Whether a call was made (a line of Calls ()).
    bool Called(const std::string& line) const {
        const auto c = Calls();
        return std::find(c.begin(), c.end(), line) != c.end();
    }
    int CountCalls(const std::string& prefix) const {
        int n = 0;
        for (const std::string& c : Calls()) n += c.compare(0, prefix.size(), prefix) == 0;
        return n;
    }

    static constexpr int kTimetable = 0xec;

  private:
    std::unique_ptr<ScenarioImage> image_;
    uintmax_t traceFrom_ = 0;
    int boxes_ = 0;
};

}  // namespace simtest

namespace simtest {

// Records as the scripts build them, with the fields a test usually sets.
inline FlightRecord MakeFlight(int id, const char* airline, const char* type, int kind = 1,
                               int knots = 210, int flight = 7) {
    FlightRecord f{};
    f.id = id;
    f.x = -3000;
    f.z = 4000;
    f.feet = 3000;
    f.knots = knots;
    f.heading = 160;
    f.flight = flight;
    std::snprintf(f.airline, sizeof f.airline, "%s", airline);
    std::snprintf(f.type, sizeof f.type, "%s", type);
    f.schedule = 11;
    f.sched = 1005;
    f.kind = kind;
    f.plan = 0x200;
    return f;
}
inline ParkedRecord MakeParked(int id, int spot, const char* airline, const char* type) {
    ParkedRecord p{};
    p.id = id;
    p.spot = spot;
    p.flight = 100 + id;
    std::snprintf(p.airline, sizeof p.airline, "%s", airline);
    std::snprintf(p.type, sizeof p.type, "%s", type);
    p.sched = 1030;
    return p;
}
inline ReadyRecord MakeReady(int id, int kind, int status = 0, int flight = 808) {
    ReadyRecord y{};
    y.id = id;
    y.kind = kind;
    y.status = status;
    y.flight = flight;
    y.time = 1000;
    y.quantity = 3;
    y.plan = 0x300;
    return y;
}

// The switch of a model part in object slot `slot`: 1 shown, 0 hidden, -1 no such part.
inline int Sw(const ObjectRecord& o, const char* part) {
    tagKRNL* l = o.layer ? KRNL_SearchLayer(o.layer, part) : nullptr;
    return l ? l->sw : -1;
}

}  // namespace simtest
