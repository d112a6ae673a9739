// Fuzz target of the stage file and its timetable: any bytes as a .sd3/.sd2 and as an .sd file,
// read into the scenario image, its header parsed, the start records run and 2,000 frames of
// the timetable stepped, aircraft created from the sample flight data and models on the way.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "controller/controller.h"
#include "frame/frame_internal.h"
#include "simulation/simulation.h"
#include "world/world.h"
#include "wynplat.h"

namespace {

int LoadTexture(tagKRN*, tagKRNTEXTURE*) { return 1; }
int DropTexture(tagKRN*, tagKRNTEXTURE*) { return 1; }

constexpr int kFrames = 2000;
constexpr int kTicksPerFrame = 30;

struct Stage {
    std::unique_ptr<AircraftTable> aircraft{new AircraftTable()};
    std::unique_ptr<ObjectTable> objects{new ObjectTable()};
    std::unique_ptr<AirportRecord> airport{new AirportRecord()};
    std::unique_ptr<ScenarioImage> image{new ScenarioImage()};
    tagKRN krn{};
    std::vector<tagKRNCHIP> chips = std::vector<tagKRNCHIP>(20000);

    Stage() {
        krn.chipmax = int(chips.size());
        krn.lpchip = chips.data();
        krn.ACC_LOADTEXTURE = LoadTexture;
        krn.ACC_DELETETEXTURE = DropTexture;
        SetAircraftTable(aircraft.get());
        SetObjectTable(objects.get());
        SetAirportRecord(airport.get());
        SetScenarioImage(image.get());
        char sys[MAX_PATH - 1];
        WynPlat_ToSystemPath(WynPlat_ProgramDir(), sys, sizeof sys);
        std::snprintf(Handles().homedir, sizeof Handles().homedir, "%s\\", sys);
        for (int s = 0; s < kAirportSpots; ++s) airport->spots[size_t(s)].x = 10000 * s;
    }

    void Run(const uint8_t* data, size_t size, int format) {
        std::memset(aircraft.get(), 0, sizeof(AircraftTable));
        std::memset(objects.get(), 0, sizeof(ObjectTable));
        std::memset(image->bytes, 0, sizeof image->bytes);
        const size_t n = size < size_t(kScenarioReadMax) ? size : size_t(kScenarioReadMax);
        if (n) std::memcpy(image->bytes, data, n);
        ParseScenarioHeader(image->bytes, n, format, &GetScenarioHeader());
        Handles().root = KRNL_Start(&krn);
        GetGameVariables().fill(0);
        GetStripQueue().fill(0);
        SetStageState(STAGE_PLAY);
        ResetTimetable();
        ClearAircraftTable();
        RunTimetable();
        for (int f = 0; f < kFrames; ++f) StepTimetable(kTicksPerFrame);
        KRNL_End(Handles().root);
        Handles().root = nullptr;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Stage stage;
    stage.Run(data, size, SCENARIO_NEW);
    stage.Run(data, size, SCENARIO_OLD);
    return 0;
}
