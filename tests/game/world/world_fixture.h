// The game's object and aircraft tables, zeroed and handed to the world for one test, and
// taken back after it.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "simulation/simulation.h"
#include "world/world.h"

namespace worldtest {

inline tagKRN3D V(double x, double y, double z) { return tagKRN3D{x, y, z, 0}; }

class Tables : public ::testing::Test {
  protected:
    Tables() : objects_(new ObjectTable()), aircraft_(new AircraftTable()) {
        SetObjectTable(objects_.get());
        SetAircraftTable(aircraft_.get());
        GetCameraRecord() = CameraRecord{};
        GetViewPointTable() = ViewPointTable{};
    }
    ~Tables() override {
        SetObjectTable(nullptr);
        SetAircraftTable(nullptr);
    }
    ObjectRecord& Obj(int slot) { return (*objects_)[static_cast<size_t>(slot)]; }
    AircraftRecord& Air(int slot) { return (*aircraft_)[static_cast<size_t>(slot)]; }

  private:
    std::unique_ptr<ObjectTable> objects_;
    std::unique_ptr<AircraftTable> aircraft_;
};

}  // namespace worldtest
