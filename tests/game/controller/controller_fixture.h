// A stage for the controller interface's tests: the aircraft, object and airport tables, an
// 800 x 600 main screen with the strip board's sprites and pictures, the command cells and icon
// sets of the sample airport (the program folder's), idle radio rows, an engine record with a
// layer tree for the route previews, and the sample airport's point table.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "../frame/screen_fixture.h"
#include "controller/controller_internal.h"
#include "frame/frame_internal.h"
#include "simulation/simulation.h"
#include "world/airportfiles.h"
#include "world/world.h"
#include "wynplat.h"

namespace ctltest {

inline int LoadTexture(tagKRN*, tagKRNTEXTURE*) { return 1; }
inline int DropTexture(tagKRN*, tagKRNTEXTURE*) { return 1; }

template <size_t N>
void Text(char (&field)[N], const char* text) {
    std::snprintf(field, N, "%s", text);
}

class Stage : public ::testing::Test {
  protected:
    Stage()
        : aircraft_(new AircraftTable()),
          objects_(new ObjectTable()),
          airport_(new AirportRecord()),
          sids_(new SidTable()),
          krn_(new tagKRN()),
          chips_(8468) {
        std::memset(aircraft_.get(), 0, sizeof(AircraftTable));
        std::memset(objects_.get(), 0, sizeof(ObjectTable));
        std::memset(airport_.get(), 0, sizeof(AirportRecord));
        std::memset(sids_.get(), 0, sizeof(SidTable));
        std::memset(krn_.get(), 0, sizeof(tagKRN));
        krn_->chipmax = int(chips_.size());
        krn_->lpchip = chips_.data();
        krn_->ACC_LOADTEXTURE = LoadTexture;
        krn_->ACC_DELETETEXTURE = DropTexture;
        SetAircraftTable(aircraft_.get());
        SetObjectTable(objects_.get());
        SetAirportRecord(airport_.get());
        SetSidTable(sids_.get());
        FrameHandles& f = Handles();
        saved_ = f;
        f.engine = krn_.get();
        f.root = KRNL_Start(krn_.get());
        char sys[MAX_PATH - 1];
        WynPlat_ToSystemPath(WynPlat_ProgramDir(), sys, sizeof sys);
        std::snprintf(f.homedir, sizeof f.homedir, "%s\\", sys);
        std::snprintf(f.airport, sizeof f.airport, "rjtt");
        f.stageoffset = 400;
        screen_ = std::make_unique<GameScreen>(800, 600);
        GetConfig() = GameConfig{};
        GetConfig().winlayout = 0;
        GetScenarioHeader() = ScenarioHeader{};
        GetExchangeTable() = ExchangeTable{};
        GetRouteTable() = RouteTable{};
        GetAirportLayers() = AirportLayers{};
        GetHud() = HudNumbers{};
        GetHud().stresslimit = 10;
        SetStageState(STAGE_PLAY);
        for (ExchangeRow& r : GetExchangeRows()) {
            r = ExchangeRow{};
            r.scroll = -1;
        }
        GetWaitLists() = ExchangeWaitList{};
        GetInput() = GameInput{};
        ResetInput();
        ResetStripBoard();
        LoadHudPictures();
        MakeCommandCells();
        HideFlightInfo();
        LoadPoints();
        for (int s = 0; s < kAirportSpots; ++s)
            std::snprintf(airport_->spots[size_t(s)].name, 17, "SPOT %d", s + 1);
        for (int r = 0; r < kAirportRunways; ++r) {
            std::snprintf(airport_->departures[size_t(r)].name, 17, "D%d", r);
            std::snprintf(airport_->arrivals[size_t(r)].name, 17, "A%d", r);
        }
    }
    ~Stage() override {
        FreeCommandCells();
        FreeHudPictures();
        screen_.reset();
        KRNL_End(Handles().root);
        Handles() = saved_;
        SetAircraftTable(nullptr);
        SetObjectTable(nullptr);
        SetAirportRecord(nullptr);
        SetSidTable(nullptr);
        SetSelectedAircraft(-1);
    }

    static GameInput& GetInput() { return GetGameInput(); }

    // The sample airport's point table, as the game loads it.
    static void LoadPoints() {
        uint8_t bytes[kPointTableBytes] = {};
        int got = 0;
        ReadWholeFile(nullptr, "port\\rjtt\\root\\rjtt.ptd", bytes, sizeof bytes, &got);
        ReadPointFile(bytes, size_t(got), &GetPointTable());
    }

    // An aircraft in play with its object: callsign, airline, type and position.
    AircraftRecord& Plane(int slot, const char* callsign = "JAL-0123") {
        AircraftRecord& a = A(slot);
        a.used = 1;
        a.id = 100 + slot;
        a.stripslot = -1;
        a.linkedto = -1;
        a.spot = -1;
        Text(a.callsign, callsign);
        Text(a.airline, "JAL");
        Text(a.typename_, "B767");
        O(slot).used = 1;
        O(slot).flight = 123;
        return a;
    }
    // An aircraft with a strip in state `strip`, drawn.
    AircraftRecord& Stripped(int slot, int32_t strip) {
        AircraftRecord& a = Plane(slot);
        a.strip = strip;
        DrawStrip(slot);
        return a;
    }
    // The main screen's sprite n.
    const tagZEMSPRITE& Sprite(int n) const { return screen_->screen()->sprite[n]; }
    HZEMSCREEN Screen() const { return screen_->screen(); }

    AircraftRecord& A(int slot) { return (*aircraft_)[size_t(slot)]; }
    ObjectRecord& O(int slot) { return (*objects_)[size_t(slot)]; }
    AirportRecord& Airport() { return *airport_; }
    SidTable& Sids() { return *sids_; }

  private:
    std::unique_ptr<AircraftTable> aircraft_;
    std::unique_ptr<ObjectTable> objects_;
    std::unique_ptr<AirportRecord> airport_;
    std::unique_ptr<SidTable> sids_;
    std::unique_ptr<tagKRN> krn_;
    std::vector<tagKRNCHIP> chips_;
    std::unique_ptr<GameScreen> screen_;
    FrameHandles saved_{};
};

}  // namespace ctltest
