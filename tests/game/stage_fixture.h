// A stage without windows for the game's tests: the aircraft, object and airport tables zeroed
// and handed to the game, a layer tree on an engine record that loads no pictures, and the
// build's program folder as the game's home folder; the tables and the frame's handles taken
// back after the test.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "frame/frame_internal.h"
#include "simulation/simulation.h"
#include "world/world.h"
#include "wynplat.h"

namespace gametest {

inline int LoadNoTexture(tagKRN*, tagKRNTEXTURE*) { return 1; }
inline int DropNoTexture(tagKRN*, tagKRNTEXTURE*) { return 1; }

class WindowlessStage : public ::testing::Test {
  protected:
    // `chipmax`: the chips the layer tree may hold.
    explicit WindowlessStage(int chipmax)
        : aircraft_(new AircraftTable()),
          objects_(new ObjectTable()),
          airport_(new AirportRecord()),
          krn_(new tagKRN()),
          chips_(size_t(chipmax)) {
        std::memset(aircraft_.get(), 0, sizeof(AircraftTable));
        std::memset(objects_.get(), 0, sizeof(ObjectTable));
        std::memset(airport_.get(), 0, sizeof(AirportRecord));
        std::memset(krn_.get(), 0, sizeof(tagKRN));
        krn_->chipmax = chipmax;
        krn_->lpchip = chips_.data();
        krn_->ACC_LOADTEXTURE = LoadNoTexture;
        krn_->ACC_DELETETEXTURE = DropNoTexture;
        SetAircraftTable(aircraft_.get());
        SetObjectTable(objects_.get());
        SetAirportRecord(airport_.get());
        FrameHandles& f = Handles();
        saved_ = f;
        f.root = KRNL_Start(krn_.get());
        char sys[MAX_PATH - 1];
        WynPlat_ToSystemPath(WynPlat_ProgramDir(), sys, sizeof sys);
        std::snprintf(f.homedir, sizeof f.homedir, "%s\\", sys);
    }
    ~WindowlessStage() override {
        KRNL_End(Handles().root);
        Handles() = saved_;
        SetAircraftTable(nullptr);
        SetObjectTable(nullptr);
        SetAirportRecord(nullptr);
    }

    AircraftRecord& A(int slot) { return (*aircraft_)[size_t(slot)]; }
    ObjectRecord& O(int slot) { return (*objects_)[size_t(slot)]; }
    AirportRecord& Airport() { return *airport_; }
    // The engine record the layer tree stands on (it loads no pictures).
    tagKRN* Engine() { return krn_.get(); }

  private:
    std::unique_ptr<AircraftTable> aircraft_;
    std::unique_ptr<ObjectTable> objects_;
    std::unique_ptr<AirportRecord> airport_;
    std::unique_ptr<tagKRN> krn_;
    std::vector<tagKRNCHIP> chips_;
    FrameHandles saved_{};
};

}  // namespace gametest
