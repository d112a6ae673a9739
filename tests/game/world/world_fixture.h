// The game's object and aircraft tables, zeroed and handed to the world for one test, and
// taken back after it; and a stage without windows: a layer tree on an engine record that
// loads no pictures, over a program folder the test fills.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "frame/frame_internal.h"
#include "simulation/simulation.h"
#include "world/world.h"
#include "wynplat.h"

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

inline int LoadTexture(tagKRN*, tagKRNTEXTURE*) { return 1; }
inline int DropTexture(tagKRN*, tagKRNTEXTURE*) { return 1; }
inline int Light(tagKRN*, int) { return 1; }
inline int Camera(tagKRN*, int) { return 1; }

// A layer file of one layer `name` holding `chips` triangles.
inline std::string LayerText(const std::string& name, int chips) {
    std::string t = "Layer{\n\tName{ \"" + name + "\" }\n\tSwitch{ 1 }\n\tCount{ " +
                    std::to_string(chips) + " }\n";
    for (int i = 0; i < chips; ++i)
        t += "\tChip{ Normal{ 0, 1, 0 } Vertex{ 0, 0, " + std::to_string(i) +
             ", 1, 0, 0, 0, 0, 1 } }\n";
    return t + "}\n";
}

class Stage : public Tables {
  protected:
    explicit Stage(int chipmax = 8468) : krn_(new tagKRN()), chips_(size_t(chipmax)) {
        std::memset(krn_.get(), 0, sizeof(tagKRN));
        krn_->chipmax = chipmax;
        krn_->lpchip = chips_.data();
        krn_->ACC_LOADTEXTURE = LoadTexture;
        krn_->ACC_DELETETEXTURE = DropTexture;
        krn_->LGT_LIGHT = Light;
        krn_->ACC_CAMERA = Camera;
        FrameHandles& f = Handles();
        saved_ = f;
        f.engine = krn_.get();
        f.root = KRNL_Start(krn_.get());
        const char* run = std::getenv("WYN_RUNTIME_DIR");
        const ::testing::TestInfo* t = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::path(run ? run : "/tmp") / (std::string("world_") + t->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        UseFolder(dir_);
        GetConfig() = GameConfig{};
        SetGamePhase(GAMEPHASE_SETUP);
    }
    ~Stage() override {
        KRNL_End(Handles().root);
        Handles() = saved_;
    }
    // The program folder the loaders read from.
    void UseFolder(const std::filesystem::path& dir) {
        char sys[MAX_PATH - 1];
        WynPlat_ToSystemPath(dir.c_str(), sys, sizeof sys);
        std::snprintf(Handles().homedir, sizeof Handles().homedir, "%s\\", sys);
    }
    // Writes `text` into the test's folder at `relative` ('/' between folders).
    void Put(const std::string& relative, const std::string& text) {
        const std::filesystem::path p = dir_ / relative;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << text;
    }
    tagKRNL* Root() { return Handles().root; }
    tagKRN* Engine() { return krn_.get(); }
    std::filesystem::path dir_;

  private:
    std::unique_ptr<tagKRN> krn_;
    std::vector<tagKRNCHIP> chips_;
    FrameHandles saved_;
};

}  // namespace worldtest
