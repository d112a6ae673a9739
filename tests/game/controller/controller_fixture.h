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

#include "../base/screen_fixture.h"
#include "../stage_fixture.h"
#include "controller/controller_internal.h"
#include "frame/frame_internal.h"
#include "simulation/simulation.h"
#include "world/airportfiles.h"
#include "world/world.h"
#include "wynplat.h"

namespace ctltest {

template <size_t N>
void Text(char (&field)[N], const char* text) {
    std::snprintf(field, N, "%s", text);
}

class Stage : public gametest::WindowlessStage {
  protected:
    Stage() : WindowlessStage(8468), sids_(new SidTable()) {
        std::memset(sids_.get(), 0, sizeof(SidTable));
        SetSidTable(sids_.get());
        FrameHandles& f = Handles();
        f.engine = Engine();
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
            std::snprintf(Airport().spots[size_t(s)].name, 17, "SPOT %d", s + 1);
        for (int r = 0; r < kAirportRunways; ++r) {
            std::snprintf(Airport().departures[size_t(r)].name, 17, "D%d", r);
            std::snprintf(Airport().arrivals[size_t(r)].name, 17, "A%d", r);
        }
    }
    ~Stage() override {
        FreeCommandCells();
        FreeHudPictures();
        screen_.reset();
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

    SidTable& Sids() { return *sids_; }

  private:
    std::unique_ptr<SidTable> sids_;
    std::unique_ptr<GameScreen> screen_;
};

}  // namespace ctltest
